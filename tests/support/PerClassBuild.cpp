#include "tests/support/PerClassBuild.h"

#include "model/DeviceAccess.h"
#include "model/DeviceProperties.h"
#include "model/StoredList.h"
#include "model/TextForms.h"

namespace qx::test {

bool BuildPerClass(DriverClassList& classes, IProgressSink* progress, const ClassSetTaker& takeSet) {
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
        if (ReadClassFilters(classKey, true, &stored)) record->AddUpperFilters(stored.data.data(), stored.data.size());
        if (ReadClassFilters(classKey, false, &stored)) record->AddLowerFilters(stored.data.data(), stored.data.size());
        record->SetClassKey(classKey);
        DevInfoHandle set = takeSet(guid);
        if (set == InvalidHandle() || set == nullptr) {
            record->CloseClassKey();
            continue;
        }
        record->SetDevInfo(SharedDevInfo(set, [](void* handle) { Access().DestroyDeviceInfoList(handle); }));
        CDriverClass* added = record.get();
        classes.push_back(std::move(record));
        if (progress) progress->SetProgressRange(0, 100);
        DeviceElement element;
        for (uint32_t number = 0; access.EnumDeviceInfo(set, number, &element); ++number) {
            added->AddDevice(set, static_cast<int32_t>(number), element, number);
            if (progress) progress->StepProgress();
        }
    }
    return true;
}

namespace {

std::wstring Joined(const StringList& list) {
    std::wstring text;
    for (const auto& entry : list) text += L"[" + entry + L"]";
    return text;
}

// One line per class, device and snapshot row, naming every field.
std::vector<std::wstring> Describe(const DriverClassList& classes) {
    std::vector<std::wstring> lines;
    for (const auto& c : classes) {
        lines.push_back(L"class " + c->GetGuidString() + L" '" + c->GetDescription() + L"' upper " +
                        Joined(c->GetUpperFilters()) + L" lower " + Joined(c->GetLowerFilters()));
        for (const auto& d : c->GetDeviceList()) {
            const CDevice& v = *d;
            // Not the instance handle: the platform hands out new ones for every set.
            std::wstring line = L"  device " + DeviceNumberText(v.GetIndex()) + L" of " + v.GetClass()->GetGuidString();
            for (const DeviceProperty& row : kDeviceProperties)
                line += std::wstring(L" ") + row.label + L"=" +
                        (row.text != DeviceText::None ? v.GetText(row.text) : Joined(v.GetList(row.list)));
            lines.push_back(line);
            const CRegistrySnapshot* snapshot = v.GetRegistryParameters();
            lines.push_back(L"    snapshot " + (snapshot ? snapshot->GetRootPath() : std::wstring(L"(none)")));
            if (!snapshot) continue;
            for (const auto& row : snapshot->GetRows()) {
                std::wstring data;
                for (uint32_t i = 0; i < row.GetDataLength(); ++i) {
                    data += L"0123456789abcdef"[row.GetData()[i] >> 4];
                    data += L"0123456789abcdef"[row.GetData()[i] & 0xF];
                }
                lines.push_back(L"    row " + row.GetKeyPath() + L" '" + row.GetValueName() + L"' type " +
                                std::to_wstring(row.GetType()) + L" " + data);
            }
        }
    }
    return lines;
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

}  // namespace

::testing::AssertionResult SameClassLists(const DriverClassList& expected, const DriverClassList& actual) {
    const std::vector<std::wstring> a = Describe(expected), b = Describe(actual);
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i] != b[i])
            return ::testing::AssertionFailure() << "line " << i << " differs:\n  expected " << Narrow(a[i])
                                                 << "\n  actual   " << Narrow(b[i]);
    if (a.size() != b.size())
        return ::testing::AssertionFailure() << a.size() << " lines expected, " << b.size() << " built";
    return ::testing::AssertionSuccess() << a.size() << " lines alike";
}

}  // namespace qx::test
