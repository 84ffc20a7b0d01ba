#include "model/StoredList.h"

#include "model/Allocation.h"
#include "model/Bytes.h"
#include "model/DeviceAccess.h"
#include "model/DriverClass.h"
#include "model/RegistrySnapshot.h"
#include "model/TextForms.h"

namespace qx {

StringList StoredList::Names() const {
    StringList names;
    if (present) AppendMultiSz(names, data.data(), data.size());
    return names;
}

std::wstring StoredList::OtherTypeContents() const {
    if (!HoldsOtherType()) return L"";
    if (type == kRegDword && data.size() >= 4) return L"0x" + HexText(ReadLe32(data.data()));
    return FormatRegistryValue(type, data.data(), static_cast<uint32_t>(data.size())).contents;
}

std::wstring StoredList::OtherTypeText() const {
    return HoldsOtherType() ? L"(" + RegistryTypeName(type) + L" " + OtherTypeContents() + L")" : L"";
}

bool operator==(const StoredList& a, const StoredList& b) {
    if (a.present != b.present) return false;
    return !a.present || (a.type == b.type && a.data == b.data);
}

bool ReadClassFilters(KeyHandle classKey, bool upper, StoredList* list, bool* noMemory, long* failure) {
    IDeviceAccess& access = Access();
    const wchar_t* name = FilterValueName(upper);
    *list = StoredList{};
    if (noMemory) *noMemory = false;
    if (failure) *failure = kErrSuccess;
    list->data.resize(1024);
    long error = kErrSuccess;
    for (int attempt = 0; attempt < 8; ++attempt) {
        uint32_t cb = static_cast<uint32_t>(list->data.size());
        uint32_t type = kRegNone;
        error = access.QueryValue(classKey, name, &type, list->data.data(), &cb);
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
            error = kErrNotEnoughMemory;
            break;
        }
    }
    list->data.clear();
    if (failure) *failure = error;
    return false;
}

bool ReadDeviceFilters(const CDevice& device, bool upper, StoredList* list, bool* noMemory, long* failure) {
    *list = StoredList{};
    if (noMemory) *noMemory = false;
    if (failure) *failure = kErrSuccess;
    auto fail = [&](long error) {
        *list = StoredList{};
        if (failure) *failure = error;
        return false;
    };
    const CDriverClass* pClass = device.GetClass();
    if (!pClass) return fail(kErrInvalidParameter);
    IDeviceAccess& access = Access();
    const uint32_t property = upper ? spdrp::UpperFilters : spdrp::LowerFilters;
    uint32_t type = kRegNone, cbRequired = 0;
    long error = access.GetDeviceRegistryProperty(pClass->GetDevInfo(), device.GetElement(), property, &type, nullptr,
                                                  0, &cbRequired);
    // The device setup's answer for a property the device does not have.
    if (error == kErrInvalidData) return true;
    // An empty value (the device setup leaves one when a list is cleared) is present.
    if (error == kErrSuccess || (error == kErrInsufficientBuffer && cbRequired == 0)) {
        list->present = true;
        list->type = type;
        return true;
    }
    if (error != kErrInsufficientBuffer) return fail(error);
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (!ResizeRegistryData(list->data, cbRequired)) {
            if (noMemory) *noMemory = true;
            return fail(kErrNotEnoughMemory);
        }
        const uint32_t cb = static_cast<uint32_t>(list->data.size());
        error = access.GetDeviceRegistryProperty(pClass->GetDevInfo(), device.GetElement(), property, &type,
                                                 list->data.data(), cb, &cbRequired);
        if (error == kErrSuccess) {
            // What the platform says it returned, never more than the buffer.
            if (cbRequired < cb) list->data.resize(cbRequired);
            list->present = true;
            list->type = type;
            return true;
        }
        // The value grew since the probe; after the probe found it, any other answer
        // (even "not found") is a read that failed.
        if (error != kErrInsufficientBuffer || cbRequired <= cb) break;
    }
    return fail(error);
}

bool SameListState(bool device, const StoredList& a, const StoredList& b) {
    return device ? a.Names() == b.Names() : a == b;
}

}  // namespace qx
