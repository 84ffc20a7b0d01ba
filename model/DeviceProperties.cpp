#include "model/DeviceProperties.h"

namespace qx {

const DeviceProperty* FindDeviceProperty(uint32_t code) {
    if (code == kNoPropertyCode) return nullptr;
    for (const DeviceProperty& row : kDeviceProperties)
        if (row.code == code) return &row;
    return nullptr;
}

}  // namespace qx
