#include "model/ClassList.h"

#include <cstdio>

#include "model/DeviceAccess.h"
#include "model/TextForms.h"

namespace qx {
namespace {

// Reads a class filter value whole, whatever its size: a list cut short would show
// names missing and, saved again, lose them.
bool ReadFilterValue(KeyHandle key, const wchar_t* name, std::vector<uint8_t>& data) {
    IDeviceAccess& access = Access();
    data.resize(1024);
    for (int attempt = 0; attempt < 8; ++attempt) {
        uint32_t cb = static_cast<uint32_t>(data.size());
        long error = access.QueryValue(key, name, nullptr, data.data(), &cb);
        if (error == kErrSuccess) {
            data.resize(cb < data.size() ? cb : data.size());
            return true;
        }
        if (error != kErrMoreData || cb <= data.size()) return false;
        data.resize(cb);  // the value grew or was larger than the first buffer
    }
    return false;
}

}  // namespace

bool BuildDriverClasses(DriverClassList& classes, IProgressSink* progress) {
    IDeviceAccess& access = Access();
    RegKey root;
    if (root.Open(kClassRootPath, kKeyRead) != kErrSuccess) return false;

    wchar_t name[512];
    std::vector<wchar_t> description(4096);
    std::vector<uint8_t> filterData;
    for (uint32_t index = 0; access.EnumKey(root.Get(), index, name, 512) == kErrSuccess; ++index) {
        Guid guid;
        if (!ParseGuid(name, &guid)) continue;
        auto record = std::make_unique<CDriverClass>();
        if (!access.GetClassDescription(guid, description.data(), 4096)) continue;
        description.back() = L'\0';
        std::wstring text = description.data();
        if (progress) progress->SetProgressText(L"Processing Class " + text);
        record->SetDescription(text);
        record->SetGuid(guid);

        KeyHandle classKey = access.OpenClassKey(guid, kKeyAllAccess);
        if (classKey == InvalidHandle() || classKey == nullptr) continue;
        if (ReadFilterValue(classKey, L"UpperFilters", filterData))
            record->AddUpperFilters(filterData.data(), filterData.size());
        if (ReadFilterValue(classKey, L"LowerFilters", filterData))
            record->AddLowerFilters(filterData.data(), filterData.size());
        record->SetClassKey(classKey);

        DevInfoHandle set = access.GetClassDevs(guid);
        if (set == InvalidHandle() || set == nullptr) {
            record->CloseClassKey();
            continue;
        }
        record->SetDevInfo(set);
        CDriverClass* added = record.get();
        classes.push_back(std::move(record));

        if (progress) progress->SetProgressRange(0, 100);
        DeviceElement element;
        for (uint32_t number = 0; access.EnumDeviceInfo(set, number, &element); ++number) {
            added->AddDevice(set, static_cast<int32_t>(number), element);
            if (progress) progress->StepProgress();
        }
    }
    return true;
}

void ReleaseDriverClasses(DriverClassList& classes) {
    for (auto& record : classes) {
        record->CloseClassKey();
        record->ReleaseDevInfo();
        record.reset();
    }
    classes.clear();
}

}  // namespace qx
