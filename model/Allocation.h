// Memory whose size the registry decides: bounded, and never an exception. Whatever
// cannot be had leaves its value, device or class out with "No Memory for new entry";
// the program goes on.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qx {

// No filter list, device property or registry value we show is larger; a size beyond
// it is damage or a hostile value, not data.
constexpr size_t kMaxRegistryData = 16u * 1024 * 1024;

// Sizes data to cb bytes. False, with data emptied, when cb is over the bound or the
// memory cannot be had.
bool ResizeRegistryData(std::vector<uint8_t>& data, size_t cb);

// Tells the user that something was left out for want of memory.
void ReportNoMemory();

}  // namespace qx
