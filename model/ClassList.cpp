#include "model/ClassList.h"

#include <cstdio>

#include "model/DeviceAccess.h"
#include "model/StoredList.h"
#include "model/TextForms.h"

namespace qx {

bool BuildDriverClasses(DriverClassList& classes, IProgressSink* progress) {
    IDeviceAccess& access = Access();
    RegKey root;
    if (root.Open(kClassRootPath, kKeyRead) != kErrSuccess) return false;

    wchar_t name[512];
    std::vector<wchar_t> description(4096);
    StoredList stored;
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
        if (ReadClassFilters(classKey, true, &stored))
            record->AddUpperFilters(stored.data.data(), stored.data.size());
        if (ReadClassFilters(classKey, false, &stored))
            record->AddLowerFilters(stored.data.data(), stored.data.size());
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
