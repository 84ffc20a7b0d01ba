// Building the list of setup classes with their devices, and releasing it.
#pragma once
#include <memory>

#include "model/DriverClass.h"

using DriverClassList = std::vector<std::unique_ptr<CDriverClass>>;

// Progress reports while the list builds (the main frame forwards them to the splash).
class IProgressSink {
public:
    virtual ~IProgressSink() = default;
    virtual void SetProgressText(const std::wstring& text) = 0;
    virtual void SetProgressRange(int lower, int upper) = 0;
    virtual void StepProgress() = 0;
};

namespace qx {

// Appends every class that has a description and a class key openable with full access,
// with its present devices, numbered in the order of one device set taken for all
// classes; no class is appended when that set cannot be taken. False when the root of
// the class keys does not open.
bool BuildDriverClasses(DriverClassList& classes, IProgressSink* progress);

// Which devices a build reads: every class's; none (the class keys and their lists
// only, for a command that needs no more); or one class's. Without `details` each
// device record holds only what a list of devices shows (CDriverClass::AddDevice).
struct DeviceScope {
    enum Kind { All, None, OneClass } kind = All;
    Guid classGuid{};  // for OneClass
    bool details = true;
};
bool BuildDriverClasses(DriverClassList& classes, IProgressSink* progress, const DeviceScope& scope);
// The devices of a class of a list built without them, numbered as a full build numbers
// them, from a device set of that class only. Does nothing for a class that has its
// devices; false when the device set cannot be taken.
bool AddClassDevices(CDriverClass& owner, bool details = true);
// The one device of that instance ID (without case) of a class that has no devices yet.
// `numbered`: with the number a full build gives it, from the class's device set;
// otherwise from a set of the device alone, with no number (-1), for what shows none.
// Null, with nothing added, when the class has no such present device or the set cannot
// be taken.
CDevice* AddOneDevice(CDriverClass& owner, const std::wstring& instanceId, bool details = true,
                      bool numbered = true);
// The class a device instance ID's node names (its Enum key's ClassGUID); false when the
// key or the value is not there.
bool DeviceClassOf(const std::wstring& instanceId, Guid* classGuid);
// Closes each class key, destroys the records and releases the device set.
void ReleaseDriverClasses(DriverClassList& classes);

}  // namespace qx
