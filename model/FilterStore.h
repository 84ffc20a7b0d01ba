// The one routine that replaces a filter list, of a class or of one of its devices.
#pragma once
#include "model/Types.h"

class CDriverClass;
class CDevice;

namespace qx {

// "Unable to Modify Upper Filters" / "Unable to Modify Lower Filters".
std::wstring FilterStoreFailureText(bool upper);

// Stores `names` as the device's list when a device is given, else as the class's
// (an empty list deletes the class value, or clears the device property). Nothing is
// written unless every name can be stored and the registry still holds the list the
// record shows: a list changed by someone else since it was read is never overwritten
// unseen; the record then takes the stored list and the user is told. Every failure is
// reported to the user. True when the new list is stored and the record holds it.
bool StoreFilterList(CDriverClass& owner, CDevice* device, bool upper, const StringList& names);

}  // namespace qx
