#include "model/ClassList.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <new>

#include "model/Allocation.h"
#include "model/DeviceAccess.h"
#include "model/StoredList.h"
#include "model/TextForms.h"

namespace qx {
namespace {

// A device of the set as the walk found it: its element and its place in the set.
struct SetMember {
    DeviceElement element;
    uint32_t position;
};

struct GuidLess {
    bool operator()(const Guid& a, const Guid& b) const {
        if (a.Data1 != b.Data1) return a.Data1 < b.Data1;
        if (a.Data2 != b.Data2) return a.Data2 < b.Data2;
        if (a.Data3 != b.Data3) return a.Data3 < b.Data3;
        return std::memcmp(a.Data4, b.Data4, sizeof(a.Data4)) < 0;
    }
};

// Each class's devices, in the order the set enumerates them.
using DevicesByClass = std::map<Guid, std::vector<SetMember>, GuidLess>;

// The present devices of every class, taken once: asking for each class's devices on
// its own makes the device-setup service walk every device of the machine per class.
// With `onlyClass`, the set of that class alone, for a command that reads one class;
// with `onlyDevice` too, the set of that device of the class.
SharedDevInfo TakeDeviceSet(DevicesByClass* devices, const Guid* onlyClass = nullptr,
                            const std::wstring* onlyDevice = nullptr) {
    IDeviceAccess& access = Access();
    DevInfoHandle set = onlyDevice ? access.GetOneDevice(*onlyClass, *onlyDevice)
                        : onlyClass ? access.GetClassDevs(*onlyClass)
                                    : access.GetAllClassDevs();
    if (set == InvalidHandle() || set == nullptr) return nullptr;
    SharedDevInfo shared(set, [](void* handle) { Access().DestroyDeviceInfoList(handle); });
    SetMember member{};
    for (member.position = 0; access.EnumDeviceInfo(set, member.position, &member.element); ++member.position)
        (*devices)[member.element.classGuid].push_back(member);
    return shared;
}

// The class's members of the set, as records: numbered in the set's order.
void AddMembers(CDriverClass& owner, const SharedDevInfo& set, const std::vector<SetMember>& members,
                IProgressSink* progress, bool details) {
    for (size_t number = 0; number < members.size(); ++number) {
        owner.AddDevice(set.get(), static_cast<int32_t>(number), members[number].element, members[number].position,
                        details);
        if (progress) progress->StepProgress();
    }
}

}  // namespace

bool BuildDriverClasses(DriverClassList& classes, IProgressSink* progress) {
    return BuildDriverClasses(classes, progress, DeviceScope{});
}

bool BuildDriverClasses(DriverClassList& classes, IProgressSink* progress, const DeviceScope& scope) {
    IDeviceAccess& access = Access();
    RegKey root;
    if (root.Open(kClassRootPath, kKeyRead) != kErrSuccess) return false;

    // Without the set no class's devices can be enumerated, and every class is left out
    // at the point where its own set used to be refused.
    DevicesByClass devicesByClass;
    SharedDevInfo set;
    if (scope.kind != DeviceScope::None) {
        try {
            set = TakeDeviceSet(&devicesByClass, scope.kind == DeviceScope::OneClass ? &scope.classGuid : nullptr);
        } catch (const std::bad_alloc&) {
            devicesByClass.clear();
            set.reset();
            ReportNoMemory();
        }
    }
    const std::vector<SetMember> none;

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

            if (scope.kind == DeviceScope::None) {
                classes.push_back(std::move(record));  // its devices come when asked for
                continue;
            }
            if (!set) {
                record->CloseClassKey();
                continue;
            }
            record->SetDevInfo(set);
            CDriverClass* added = record.get();
            classes.push_back(std::move(record));

            if (progress) progress->SetProgressRange(0, 100);
            if (scope.kind == DeviceScope::OneClass && guid != scope.classGuid) continue;
            auto found = devicesByClass.find(guid);
            AddMembers(*added, set, found != devicesByClass.end() ? found->second : none, progress, scope.details);
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

bool AddClassDevices(CDriverClass& owner, bool details) {
    if (!owner.GetDeviceList().empty()) return true;
    DevicesByClass devicesByClass;
    SharedDevInfo set = TakeDeviceSet(&devicesByClass, &owner.GetGuid());
    if (!set) return false;
    owner.SetDevInfo(set);
    auto found = devicesByClass.find(owner.GetGuid());
    if (found != devicesByClass.end()) AddMembers(owner, set, found->second, nullptr, details);
    return true;
}

CDevice* AddOneDevice(CDriverClass& owner, const std::wstring& instanceId, bool details, bool numbered) {
    if (!owner.GetDeviceList().empty() || instanceId.empty()) return nullptr;
    DevicesByClass devicesByClass;
    SharedDevInfo set = TakeDeviceSet(&devicesByClass, &owner.GetGuid(), numbered ? nullptr : &instanceId);
    auto found = devicesByClass.find(owner.GetGuid());
    if (!set || found == devicesByClass.end()) return nullptr;
    // Its number is its place among the class's devices; only its own record is read.
    IDeviceAccess& access = Access();
    const std::wstring wanted = UpperCase(instanceId);
    for (size_t number = 0; number < found->second.size(); ++number) {
        const SetMember& member = found->second[number];
        if (UpperCase(access.GetDeviceInstanceId(member.element)) != wanted) continue;
        owner.SetDevInfo(set);
        CDevice* device = owner.AddDevice(set.get(), numbered ? static_cast<int32_t>(number) : -1, member.element,
                                          member.position, details);
        if (!device) owner.ReleaseDevInfo();
        return device;
    }
    return nullptr;
}

bool DeviceClassOf(const std::wstring& instanceId, Guid* classGuid) {
    if (instanceId.empty() || instanceId.size() > 400) return false;
    RegKey key;
    if (key.Open(L"System\\CurrentControlSet\\Enum\\" + instanceId, kKeyRead) != kErrSuccess) return false;
    uint32_t type = kRegNone;
    const std::wstring text = ReadTextValue(Access(), key.Get(), L"ClassGUID", &type);
    return type == kRegSz && ParseGuid(text, classGuid);
}

void ReleaseDriverClasses(DriverClassList& classes) {
    for (auto& record : classes) {
        record->CloseClassKey();
        record->ReleaseDevInfo();  // the last class to let go releases the set
        record.reset();
    }
    classes.clear();
}

}  // namespace qx
