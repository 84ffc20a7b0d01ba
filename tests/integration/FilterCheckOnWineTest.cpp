// The filter check on Wine's registry: a scratch class whose lists name scratch services
// in every state the rules know, and a scratch device list, read back through the check.
#include <algorithm>
#include <fstream>

#include "model/FilterCheck.h"
#include "tests/support/WineFixture.h"

using namespace qx;
using namespace qx::test;
using namespace qx::test::wine;

namespace {

// A scratch service with its values; its driver file made in the drivers folder when asked.
class Service {
public:
    Service(DWORD type, DWORD start, bool withFile) {
        Put(L"Type", type);
        Put(L"Start", start);
        if (withFile) {
            wchar_t windows[MAX_PATH];
            GetWindowsDirectoryW(windows, MAX_PATH);
            m_file = std::wstring(windows) + L"\\system32\\drivers\\" + Name() + L".sys";
            HANDLE h = CreateFileW(m_file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        }
    }
    ~Service() {
        if (!m_file.empty()) DeleteFileW(m_file.c_str());
    }
    const std::wstring& Name() const { return m_key.Name(); }
    std::wstring Path() const { return std::wstring(kServicesRoot) + L"\\" + Name(); }
    void Put(const wchar_t* value, DWORD data) { WriteValue(Path(), value, REG_DWORD, DwordBytes(data)); }
    void PutImagePath(DWORD type, const std::wstring& text) { WriteValue(Path(), L"ImagePath", type, Utf16Bytes(text)); }

private:
    ScratchService m_key;
    std::wstring m_file;
};

// "name:rule" of each finding about the target, sorted.
StringList Rules(const Findings& findings, const Guid& classGuid, bool upper, const std::wstring& instanceId = L"") {
    StringList out;
    for (const auto& f : findings)
        if (f.target.classGuid == classGuid && f.target.upper == upper && f.target.instanceId == instanceId)
            out.push_back(f.name + L":" + f.rule);
    std::sort(out.begin(), out.end());
    return out;
}

StringList Sorted(StringList list) {
    std::sort(list.begin(), list.end());
    return list;
}

}  // namespace

class FilterCheckOnWine : public WineTest {
protected:
    ScratchClass scratch{L"Quillex Check Class"};
    Service good{1, 3, true};          // a demand-start kernel driver with its file
    Service noFile{1, 3, false};       // its ImagePath names a file that is not there
    Service disabled{1, 4, true};
    Service win32{0x10, 2, true};      // a Win32 service
    Service bootDriver{1, 0, true};
};

TEST_F(FilterCheckOnWine, ClassListsMeetEveryRule) {
    ASSERT_TRUE(scratch.IsValid());
    noFile.PutImagePath(REG_EXPAND_SZ, L"%SystemRoot%\\System32\\drivers\\" + noFile.Name() + L"x.sys");
    const std::wstring missing = L"QxNoSuchService0";
    // Upper: every name rule, a duplicate, a backslash stored directly.
    ASSERT_TRUE(WriteValue(scratch.KeyPath(), L"UpperFilters", REG_MULTI_SZ,
                           MultiSzBytes({good.Name(), missing, noFile.Name(), disabled.Name(), win32.Name(),
                                         L"bad\\name", good.Name()})));
    // Lower: a name hidden after an empty string.
    std::vector<uint8_t> lower = Utf16Bytes(good.Name());
    for (auto part : {Utf16Bytes(L""), Utf16Bytes(missing), Utf16Bytes(L"")}) lower.insert(lower.end(), part.begin(), part.end());
    ASSERT_TRUE(WriteValue(scratch.KeyPath(), L"LowerFilters", REG_MULTI_SZ, lower));
    ASSERT_NE(nullptr, scratch.AddDevice());  // a list no device uses only warns

    ASSERT_TRUE(Build());
    Findings findings = CheckAllFilters(classes);
    const Guid guid = scratch.ModelGuid();
    EXPECT_TRUE(ListIs(Rules(findings, guid, true),
                       Sorted({L"QxNoSuchService0:missing-service", L"bad\\name:invalid-name",
                        disabled.Name() + L":service-disabled", good.Name() + L":duplicate",
                        noFile.Name() + L":driver-file-missing", win32.Name() + L":not-a-driver"})))
        << "names: good " << Narrow(good.Name());
    EXPECT_TRUE(ListIs(Rules(findings, guid, false), {missing + L":hidden-entries"}));
    for (const auto& f : findings) {
        if (!(f.target.classGuid == guid)) continue;
        EXPECT_EQ(L"Quillex Check Class", f.targetText);
        EXPECT_EQ(f.rule == L"duplicate" ? Severity::Warning : Severity::Error, f.severity) << Narrow(f.rule);
        EXPECT_FALSE(f.sentence.empty());
    }

    // The repair keeps the good name once; the hidden name fails the rules and goes.
    StoredList stored;
    ASSERT_TRUE(ReadTargetList(classes, {guid, L"", true}, &stored));
    EXPECT_TRUE(ListIs(RepairedList({guid, L"", true}, stored), {good.Name()}));
    ASSERT_TRUE(ReadTargetList(classes, {guid, L"", false}, &stored));
    EXPECT_TRUE(ListIs(RepairedList({guid, L"", false}, stored), {good.Name()}));
}

TEST_F(FilterCheckOnWine, WrongTypeAndDeviceListsAndBootClass) {
    ASSERT_TRUE(scratch.IsValid());
    ASSERT_TRUE(WriteValue(scratch.KeyPath(), L"UpperFilters", REG_DWORD, DwordBytes(7)));
    ASSERT_TRUE(WriteValue(scratch.KeyPath(), L"LowerFilters", REG_SZ, Utf16Bytes(good.Name())));
    ScratchDevice* device = scratch.AddDevice();
    ASSERT_TRUE(device);
    ASSERT_TRUE(device->SetProperty(SPDRP_UPPERFILTERS, MultiSzBytes({L"QxNoSuchService1"})));
    ASSERT_TRUE(device->SetProperty(SPDRP_LOWERFILTERS, MultiSzBytes({good.Name(), bootDriver.Name()})));

    ASSERT_TRUE(Build());
    const Guid guid = scratch.ModelGuid();
    Findings findings = CheckAllFilters(classes);
    EXPECT_TRUE(ListIs(Rules(findings, guid, true), {L":wrong-type"}));
    EXPECT_TRUE(Rules(findings, guid, false).empty());
    EXPECT_TRUE(ListIs(Rules(findings, guid, true, device->InstanceId()), {L"QxNoSuchService1:missing-service"}));
    EXPECT_TRUE(Rules(findings, guid, false, device->InstanceId()).empty());
    for (const auto& f : findings) {
        if (f.rule == L"wrong-type" && f.target.classGuid == guid) {
            EXPECT_NE(std::wstring::npos, f.sentence.find(L"REG_DWORD")) << Narrow(f.sentence);
        }
    }

    // The same class treated as a disk class through the table: filters must start at boot.
    ClassRules rules = DefaultClassRules();
    ASSERT_NE(nullptr, rules.FindByName(L"DiskDrive"));
    rules.AddAlias(guid, *rules.FindByName(L"DiskDrive"));
    findings = CheckAllFilters(classes, rules);
    EXPECT_TRUE(ListIs(Rules(findings, guid, false), {good.Name() + L":boot-start-needed"}));
    EXPECT_TRUE(ListIs(Rules(findings, guid, false, device->InstanceId()), {good.Name() + L":boot-start-needed"}));
    for (const auto& f : findings) {
        if (f.rule == L"boot-start-needed") {
            EXPECT_EQ(Severity::Warning, f.severity);
        }
    }
    EXPECT_NE(std::wstring::npos, rules.CriticalQuestion(guid).find(L"disks"));
}
