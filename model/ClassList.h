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
// Closes each class key, destroys the records and releases the device set.
void ReleaseDriverClasses(DriverClassList& classes);

}  // namespace qx
