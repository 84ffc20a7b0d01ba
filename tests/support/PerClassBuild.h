// The class list as it was built when each class's devices came from a set of their
// own, kept to check that the build from one set of all devices gives the same list.
#pragma once
#include <functional>

#include <gtest/gtest.h>

#include "model/ClassList.h"

namespace qx::test {

// Takes one class's present devices (the platform's per-class request).
using ClassSetTaker = std::function<DevInfoHandle(const Guid&)>;

// The same steps, checks and progress reports as BuildDriverClasses, each class with a
// set of its own (released with the class).
bool BuildPerClass(DriverClassList& classes, IProgressSink* progress, const ClassSetTaker& takeSet);

// Every class (GUID, description, filters) and every device (number, owner, every property,
// every snapshot row) of both lists, in order; the first difference fails.
::testing::AssertionResult SameClassLists(const DriverClassList& expected, const DriverClassList& actual);

}  // namespace qx::test
