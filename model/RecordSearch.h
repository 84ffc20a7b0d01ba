// Finding a class or device by what people know it by: Edit > Find in the window, and
// the suggestions quillexc gives for a TARGET it does not know.
#pragma once
#include "model/DriverClass.h"

namespace qx {

// The class key's "Class" value ("Keyboard"); empty when it has none or it is not text.
std::wstring ClassShortName(const CDriverClass& owner);

// Whether `text` (any case) is part of the class's description or short name, or of a
// name in its filter lists.
bool ClassMatches(const CDriverClass& owner, const std::wstring& text);
// Whether `text` (any case) is part of the device's description, friendly name, hardware
// IDs, instance ID, service, or of a name in its filter lists.
bool DeviceMatches(const CDevice& device, const std::wstring& text);

}  // namespace qx
