#include "model/Allocation.h"

#include <new>

#include "model/DeviceAccess.h"

namespace qx {

bool ResizeRegistryData(std::vector<uint8_t>& data, size_t cb) {
    if (cb > kMaxRegistryData) {
        data.clear();
        return false;
    }
    try {
        data.resize(cb);
    } catch (const std::bad_alloc&) {
        data.clear();
        data.shrink_to_fit();
        return false;
    }
    return true;
}

void ReportNoMemory() { Messages().ShowMessage(L"No Memory for new entry", kMbOk | kMbIconHand); }

}  // namespace qx
