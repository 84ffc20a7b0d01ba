#include "model/StoredList.h"

#include "model/Allocation.h"
#include "model/DeviceAccess.h"
#include "model/DriverClass.h"
#include "model/TextForms.h"

namespace qx {

StringList StoredList::Names() const {
    StringList names;
    if (present) AppendMultiSz(names, data.data(), data.size());
    return names;
}

bool operator==(const StoredList& a, const StoredList& b) {
    if (a.present != b.present) return false;
    return !a.present || (a.type == b.type && a.data == b.data);
}

bool ReadClassFilters(KeyHandle classKey, bool upper, StoredList* list, bool* noMemory) {
    IDeviceAccess& access = Access();
    const wchar_t* name = FilterValueName(upper);
    *list = StoredList{};
    if (noMemory) *noMemory = false;
    list->data.resize(1024);
    for (int attempt = 0; attempt < 8; ++attempt) {
        uint32_t cb = static_cast<uint32_t>(list->data.size());
        uint32_t type = kRegNone;
        long error = access.QueryValue(classKey, name, &type, list->data.data(), &cb);
        if (error == kErrSuccess) {
            list->data.resize(cb < list->data.size() ? cb : list->data.size());
            list->present = true;
            list->type = type;
            return true;
        }
        if (error == kErrFileNotFound) {
            list->data.clear();
            return true;
        }
        // The value grew, or was larger than the first buffer.
        if (error != kErrMoreData || cb <= list->data.size()) break;
        if (!ResizeRegistryData(list->data, cb)) {
            if (noMemory) *noMemory = true;
            break;
        }
    }
    list->data.clear();
    return false;
}

bool ReadDeviceFilters(const CDevice& device, bool upper, StoredList* list, bool* noMemory) {
    *list = StoredList{};
    bool tooLarge = false;
    if (noMemory) *noMemory = false;
    const CDriverClass* pClass = device.GetClass();
    if (!pClass) return false;
    bool present = false;
    uint32_t type = kRegNone;
    list->data = CDriverClass::GetDeviceProperty(pClass->GetDevInfo(), device.GetElement(),
                                                 upper ? spdrp::UpperFilters : spdrp::LowerFilters,
                                                 &type, &present, &tooLarge);
    list->present = present;
    list->type = present ? type : kRegNone;
    if (noMemory) *noMemory = tooLarge;
    return !tooLarge;
}

}  // namespace qx
