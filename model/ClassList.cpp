#include "model/ClassList.h"

#include <cstdio>
#include <new>

#include "model/Allocation.h"
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
        // Memory that runs out part way leaves the rest of this class out, not the program.
        std::unique_ptr<CDriverClass> record;
        try {
            Guid guid;
            if (!ParseGuid(name, &guid)) continue;
            if (!access.GetClassDescription(guid, description.data(), 4096)) continue;
            record.reset(new (std::nothrow) CDriverClass);
            if (!record) {
                ReportNoMemory();
                continue;
            }
            description.back() = L'\0';
            std::wstring text = description.data();
            if (progress) progress->SetProgressText(L"Processing Class " + text);
            record->SetDescription(text);
            record->SetGuid(guid);

            KeyHandle classKey = access.OpenClassKey(guid, kKeyAllAccess);
            if (classKey == InvalidHandle() || classKey == nullptr) continue;
            record->SetClassKey(classKey);
            bool noMemory = false;
            if (ReadClassFilters(classKey, true, &stored, &noMemory))
                record->AddUpperFilters(stored.data.data(), stored.data.size());
            if (!noMemory && ReadClassFilters(classKey, false, &stored, &noMemory))
                record->AddLowerFilters(stored.data.data(), stored.data.size());
            if (noMemory) {
                // A list shown empty because it could not be held would be lost by a save.
                ReportNoMemory();
                record->CloseClassKey();
                continue;
            }

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
        } catch (const std::bad_alloc&) {
            if (record) {
                record->CloseClassKey();
                record->ReleaseDevInfo();
            }
            ReportNoMemory();
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
