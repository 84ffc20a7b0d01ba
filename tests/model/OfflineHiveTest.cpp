// Another installation's SYSTEM hive on the in-memory machine: the hive is a key below
// the machine's root, "loaded" by a loader that records what it was asked; the whole
// model is then built and written through the offline decorator (the check against the
// hive's services runs on Wine, tests/ui/OfflineHiveOnWineTest.cpp).
#include <gtest/gtest.h>

#include "model/DriverClass.h"
#include "model/FilterCheck.h"
#include "model/FilterStore.h"
#include "model/Filters.h"
#include "model/OfflineHive.h"
#include "model/TextForms.h"
#include "tests/support/MemoryFixture.h"
#include "tests/support/ScratchJournal.h"

namespace qx::test {
namespace {

class FakeLoader : public IHiveLoader {
public:
    bool EnablePrivilege(const wchar_t* name, long* error) override {
        if (refused == name) {
            *error = 1300;  // ERROR_NOT_ALL_ASSIGNED
            return false;
        }
        return true;
    }
    long LoadHive(const std::wstring& keyName, const std::wstring&) override {
        if (loadError) return loadError;
        loaded.push_back(keyName);
        ++live;
        return kErrSuccess;
    }
    long UnloadHive(const std::wstring& keyName) override {
        unloaded.push_back(keyName);
        if (live == 0) return kErrInvalidParameter;  // nothing loaded under the name
        --live;
        return kErrSuccess;
    }
    std::vector<std::wstring> RootKeyNames() override { return rootKeys; }
    uint32_t CurrentProcessId() override { return 77; }
    bool ProcessRunning(uint32_t pid) override { return pid == 12; }
    std::wstring FullPath(const std::wstring& path) override { return path; }

    std::wstring refused;
    long loadError = 0;
    int live = 0;  // hives loaded and not unloaded
    std::vector<std::wstring> loaded, unloaded, rootKeys;
};

constexpr wchar_t kRoot[] = L"Quillex Offline 77";
constexpr wchar_t kHivePath[] = L"D:\\Windows\\System32\\config\\SYSTEM";

class OfflineHiveTest : public MemoryMachineTest {
protected:
    std::wstring Set(const wchar_t* controlSet) { return std::wstring(kRoot) + L'\\' + controlSet; }
    std::wstring Enum(const std::wstring& id) { return Set(L"ControlSet001") + L"\\Enum\\" + id; }
    // A hive with ControlSet001 holding one class of `description` and its devices.
    Guid MakeHive() {
        Guid guid = ClassGuid(1);
        machine.PutDword(std::wstring(kRoot) + L"\\Select", L"Current", 1);
        machine.PutString(Set(L"ControlSet001") + L"\\Control\\Class\\" + GuidText(guid), L"", L"Offline Disks");
        machine.CreateKey(Set(L"ControlSet001") + L"\\Services");
        for (const wchar_t* id : {L"SCSI\\Disk\\2", L"Root\\Disk\\0", L"SCSI\\Disk\\10"}) {
            machine.PutString(Enum(id), L"ClassGUID", GuidText(guid));
            machine.PutString(Enum(id), L"DeviceDesc", std::wstring(L"disk ") + id);
        }
        machine.PutString(Enum(L"Root\\Other\\0"), L"DeviceDesc", L"no class");
        return guid;
    }

    FakeLoader loader;
};

TEST_F(OfflineHiveTest, ControlSetAndWindowsFolderComeFromTheHive) {
    machine.CreateKey(Set(L"ControlSet001"));
    EXPECT_EQ(L"ControlSet001", ChooseControlSet(machine, kRoot));  // no Select at all
    machine.CreateKey(Set(L"ControlSet002"));
    machine.CreateKey(Set(L"ControlSet003"));
    machine.PutDword(std::wstring(kRoot) + L"\\Select", L"Default", 3);
    EXPECT_EQ(L"ControlSet003", ChooseControlSet(machine, kRoot));
    machine.PutDword(std::wstring(kRoot) + L"\\Select", L"Current", 2);
    EXPECT_EQ(L"ControlSet002", ChooseControlSet(machine, kRoot));
    machine.PutDword(std::wstring(kRoot) + L"\\Select", L"Current", 9);  // names no control set
    EXPECT_EQ(L"ControlSet003", ChooseControlSet(machine, kRoot));
    EXPECT_EQ(L"", ChooseControlSet(machine, L"Quillex Offline 5"));

    EXPECT_EQ(L"D:\\Windows", WindowsFolderOfHive(kHivePath));
    EXPECT_EQ(L"e:\\winnt", WindowsFolderOfHive(L"e:\\winnt\\system32\\CONFIG\\system"));
    EXPECT_EQ(L"", WindowsFolderOfHive(L"D:\\backup\\SYSTEM"));
    EXPECT_EQ(L"", WindowsFolderOfHive(L"D:\\Windows\\System32\\config\\SYSTEM.sav"));

    OfflineAccess offline(machine, kRoot, L"ControlSet002", L"");
    EXPECT_EQ(std::wstring(kRoot) + L"\\ControlSet002\\Services\\x", offline.MapPath(L"SYSTEM\\CurrentControlSet\\Services\\x"));
    EXPECT_EQ(std::wstring(kRoot) + L"\\ControlSet002", offline.MapPath(L"System\\CurrentControlSet"));
    EXPECT_EQ(std::wstring(kRoot) + L"\\Select", offline.MapPath(L"System\\Select"));
    EXPECT_EQ(L"System2\\x", offline.MapPath(L"System2\\x"));
    EXPECT_EQ(L"Software\\x", offline.MapPath(L"Software\\x"));
    uint32_t pid = 0;
    EXPECT_TRUE(ParseOfflineKeyName(L"quillex offline 4242", &pid) && pid == 4242u);
    for (const wchar_t* name : {L"Quillex Offline ", L"Quillex Offline 12x", L"Quillex Offline 99999999999"})
        EXPECT_FALSE(ParseOfflineKeyName(name, &pid)) << name;
}

TEST_F(OfflineHiveTest, TheModelBuildsChecksAndWritesTheHive) {
    MakeHive();
    machine.PutMultiSz(Enum(L"Root\\Disk\\0"), L"UpperFilters", {L"hiveflt", L"machineonly"});
    machine.PutString(Enum(L"Root\\Disk\\0"), L"Service", L"disk");
    machine.PutDword(Enum(L"Root\\Disk\\0"), L"ConfigFlags", 0x20);
    machine.PutDword(Set(L"ControlSet001") + L"\\Services\\hiveflt", L"Type", 1);
    machine.AddClass(ClassGuid(9), L"Running Machine Class", 1);
    ScratchJournal journal;

    OfflineHive hive(loader);
    std::wstring error;
    ASSERT_TRUE(hive.Open(kHivePath, &error)) << error;
    EXPECT_EQ(std::vector<std::wstring>{kRoot}, loader.loaded);
    EXPECT_EQ(L"Offline: D:\\Windows\\System32\\config\\SYSTEM (ControlSet001)", hive.Title());
    EXPECT_EQ(kHivePath, CurrentOfflineHive());
    ASSERT_TRUE(Build());

    ASSERT_EQ(1u, classes.size());  // the running machine's class is not in the hive
    EXPECT_EQ(L"Offline Disks", classes[0]->GetDescription());
    const auto& devices = classes[0]->GetDeviceList();
    ASSERT_EQ(3u, devices.size());  // by instance ID; the key without ClassGUID is left out
    EXPECT_EQ(L"disk Root\\Disk\\0", devices[0]->GetDeviceDesc());
    EXPECT_EQ(L"disk SCSI\\Disk\\10", devices[1]->GetDeviceDesc());
    EXPECT_EQ(L"disk SCSI\\Disk\\2", devices[2]->GetDeviceDesc());
    CDevice& disk = *devices[0];
    EXPECT_TRUE(ListIs(disk.GetUpperFilters(), {L"hiveflt", L"machineonly"}));
    EXPECT_EQ(L"disk", disk.GetService());
    EXPECT_EQ(L"00000020", disk.GetConfigFlags());
    EXPECT_EQ(L"", disk.GetDeviceName());  // run-time properties are empty offline
    EXPECT_EQ(L"Root\\Disk\\0", DeviceInstanceId(disk));
    uint32_t status = 0, problem = 0;
    EXPECT_FALSE(ReadDeviceStatus(disk, &status, &problem));

    // A device's list goes to its instance key, journalled with the hive.
    ASSERT_TRUE(disk.SetUpperFilters({L"hiveflt"}));
    const StoredValue* value = machine.FindValue(Enum(L"Root\\Disk\\0"), L"UpperFilters");
    ASSERT_NE(nullptr, value);
    EXPECT_EQ(kRegMultiSz, value->type);
    EXPECT_EQ(BuildMultiSz({L"hiveflt"}), value->data);
    ASSERT_EQ(1u, journal.Entries().size());
    EXPECT_EQ(kHivePath, journal.Entries()[0].hive);
    EXPECT_EQ(L"Root\\Disk\\0", journal.Entries()[0].deviceId);
    ASSERT_TRUE(disk.SetUpperFilters({}));  // an empty list deletes the value
    EXPECT_EQ(nullptr, machine.FindValue(Enum(L"Root\\Disk\\0"), L"UpperFilters"));
    EXPECT_TRUE(HasFilterChangeToUndo());

    ReleaseDriverClasses(classes);
    EXPECT_EQ(0, machine.OpenKeyCount());
    EXPECT_EQ(0, machine.LiveSetCount());
    hive.Close();
    EXPECT_EQ(std::vector<std::wstring>{kRoot}, loader.unloaded);
    EXPECT_EQ(L"", CurrentOfflineHive());
    EXPECT_EQ(&machine, &Access());
    EXPECT_FALSE(HasFilterChangeToUndo());  // the running machine has no change of its own
}

TEST_F(OfflineHiveTest, AHiveElsewhereSkipsTheDriverFileRuleAndSaysSo) {
    MakeHive();
    machine.PutMultiSz(Enum(L"Root\\Disk\\0"), L"UpperFilters", {L"hiveflt"});
    machine.PutDword(Set(L"ControlSet001") + L"\\Services\\hiveflt", L"Type", 1);
    OfflineHive hive(loader);
    std::wstring error;
    ASSERT_TRUE(hive.Open(L"D:\\copies\\SYSTEM", &error)) << error;
    ASSERT_TRUE(Build());
    for (const Finding& f : CheckAllFilters(classes)) EXPECT_NE(rule::DriverFileMissing, f.rule) << f.sentence;
    EXPECT_NE(std::wstring::npos, DriverFileCheckNote().find(L"Driver files not checked"));
}

TEST_F(OfflineHiveTest, EveryFailureToOpenLeavesNothingLoaded) {
    std::wstring error;
    {
        OfflineHive hive(loader);
        loader.refused = L"SeRestorePrivilege";
        EXPECT_FALSE(hive.Open(kHivePath, &error));
        EXPECT_NE(std::wstring::npos, error.find(L"SeRestorePrivilege")) << error;
        EXPECT_TRUE(loader.loaded.empty());
        loader.refused.clear();

        loader.loadError = 1314;  // ERROR_PRIVILEGE_NOT_HELD
        EXPECT_FALSE(hive.Open(kHivePath, &error));
        EXPECT_NE(std::wstring::npos, error.find(L"SeRestorePrivilege")) << error;
        loader.loadError = 0;

        // Loaded, but no control set: a file that is no SYSTEM hive is unloaded again.
        EXPECT_FALSE(hive.Open(kHivePath, &error));
        EXPECT_NE(std::wstring::npos, error.find(L"not a SYSTEM hive")) << error;
        EXPECT_EQ(1u, loader.loaded.size());
        EXPECT_EQ(0, loader.live);
        EXPECT_FALSE(hive.IsOpen());
        EXPECT_EQ(&machine, &Access());

        MakeHive();
        ASSERT_TRUE(hive.Open(kHivePath, &error));
    }
    // The destructor unloads what is open.
    EXPECT_EQ(2u, loader.loaded.size());
    EXPECT_EQ(0, loader.live);
    EXPECT_EQ(&machine, &Access());
}

TEST_F(OfflineHiveTest, OnlyHivesOfGoneRunsAreUnloadedAtStart) {
    loader.rootKeys = {L"SOFTWARE", L"Quillex Offline 12", L"Quillex Offline 13", L"Quillex Offline 77",
                       L"Quillex Offline x", L"SYSTEM"};
    loader.live = 1;  // the hive of run 13
    EXPECT_EQ(1, UnloadStaleHives(loader));  // 12 runs, 77 is this run
    EXPECT_EQ(std::vector<std::wstring>{L"Quillex Offline 13"}, loader.unloaded);
}


// Windows 8 and later: no class key has a default value, texts are indirect.
TEST_F(OfflineHiveTest, ClassNamesAndDeviceTextsOfALaterWindowsAreResolved) {
    const std::wstring classRoot = Set(L"ControlSet001") + L"\\Control\\Class\\";
    machine.PutDword(std::wstring(kRoot) + L"\\Select", L"Current", 1);
    machine.CreateKey(Set(L"ControlSet001") + L"\\Control\\MUI\\UILanguages\\de-DE");
    machine.PutStringResource(L"D:\\Windows\\System32\\SysClass.Dll", 3002, L"Keyboards");
    machine.AddFile(L"D:\\Windows\\System32\\NoTable.dll");
    machine.PutStringResource(L"D:\\Windows\\System32\\de-DE\\NoTable.dll.mui", 7, L"Tastaturen");
    struct Key {
        uint32_t n;
        const wchar_t* classDesc;
        const wchar_t* shown;  // null: left out
    } keys[] = {
        {1, L"@%SystemRoot%\\System32\\SysClass.Dll,-3002", L"Keyboards"},
        {2, L"@NoTable.dll,-7", L"Tastaturen"},
        {3, L"@digitalmediadevice.inf,%ClassName%;Digital Media Devices", L"Digital Media Devices"},
        {4, L"Plain Text", L"Plain Text"},
        {5, L"@%SystemRoot%\\System32\\Missing.dll,-1", L"Class5"},
        {6, L"@SysClass.Dll,-9999", L"Class6"},
        {7, nullptr, L"Class7"},
    };
    for (const Key& key : keys) {
        const std::wstring path = classRoot + GuidText(ClassGuid(key.n));
        machine.PutString(path, L"Class", L"Class" + std::to_wstring(key.n));
        if (key.classDesc) machine.PutString(path, L"ClassDesc", key.classDesc);
    }
    machine.CreateKey(classRoot + GuidText(ClassGuid(8)));  // no name at all
    machine.PutString(Enum(L"ACPI\\PNP0303\\0"), L"ClassGUID", GuidText(ClassGuid(1)));
    machine.PutString(Enum(L"ACPI\\PNP0303\\0"), L"DeviceDesc", L"@keyboard.inf,%*pnp0303.devicedesc%;Standard PS/2 Keyboard");
    machine.PutString(Enum(L"ACPI\\PNP0303\\0"), L"Mfg", L"@SysClass.Dll,-3002");
    machine.PutString(Enum(L"ACPI\\PNP0303\\0"), L"FriendlyName", L"@Missing.dll,-4");

    OfflineHive hive(loader);
    std::wstring error;
    ASSERT_TRUE(hive.Open(kHivePath, &error)) << error;
    ASSERT_TRUE(Build());
    ASSERT_EQ(7u, classes.size());
    for (const Key& key : keys) {
        CDriverClass* record = FindClass(ClassGuid(key.n));
        ASSERT_NE(nullptr, record) << key.n;
        EXPECT_EQ(key.shown, record->GetDescription()) << key.n;
    }
    ASSERT_EQ(1u, FindClass(ClassGuid(1))->GetDeviceList().size());
    const CDevice& keyboard = *FindClass(ClassGuid(1))->GetDeviceList()[0];
    EXPECT_EQ(L"Standard PS/2 Keyboard", keyboard.GetDeviceDesc());
    EXPECT_EQ(L"Keyboards", keyboard.GetMfg());
    EXPECT_EQ(L"@Missing.dll,-4", keyboard.GetFriendlyName());  // shown as stored
    ReleaseDriverClasses(classes);

    // The Windows folder unknown: no file is read, the Class value names the class.
    ASSERT_TRUE(hive.Open(L"D:\\copies\\SYSTEM", &error)) << error;
    ASSERT_TRUE(Build());
    EXPECT_EQ(L"Class1", FindClass(ClassGuid(1))->GetDescription());
    EXPECT_EQ(L"Digital Media Devices", FindClass(ClassGuid(3))->GetDescription());
}

// A hive without Enum has classes without devices; a list no device uses warns; the
// lists of a nameless class key are checked; a list that cannot be read is an error.
TEST_F(OfflineHiveTest, TheCheckWeighsListsByUseAndMissesNone) {
    const Guid used = MakeHive(), unused = ClassGuid(2), nameless = ClassGuid(3);
    const std::wstring classRoot = Set(L"ControlSet001") + L"\\Control\\Class\\";
    machine.PutString(classRoot + GuidText(unused), L"Class", L"Infrared");
    for (const Guid& guid : {used, unused, nameless})
        machine.PutMultiSz(classRoot + GuidText(guid), L"UpperFilters", {L"IRENUM"});
    machine.PutMultiSz(classRoot + GuidText(nameless), L"LowerFilters", {L"x"});
    machine.ClaimSize(classRoot + GuidText(nameless), L"LowerFilters", 0x7FFFFFF0u);
    OfflineHive hive(loader);
    std::wstring error;
    ASSERT_TRUE(hive.Open(kHivePath, &error)) << error;
    ASSERT_TRUE(Build());
    ASSERT_EQ(2u, classes.size());
    auto findingOf = [](const Findings& findings, const Guid& guid, const wchar_t* ruleId) {
        for (const Finding& f : findings)
            if (f.target.classGuid == guid && f.rule == ruleId && !f.target.IsDevice()) return f;
        return Finding{};
    };
    const Findings findings = CheckAllFilters(classes);
    Finding f = findingOf(findings, used, rule::MissingService);
    EXPECT_EQ(Severity::Error, f.severity);
    EXPECT_NE(std::wstring::npos, f.sentence.find(L"the devices that use this list fail to start")) << f.sentence;
    f = findingOf(findings, unused, rule::MissingService);
    EXPECT_EQ(Severity::Warning, f.severity);
    EXPECT_EQ(L"No service named \"IRENUM\" is installed: no device uses this list now; the next device of this "
              L"class will fail to start. Remove the name, or install the filter driver again.", f.sentence);
    EXPECT_EQ(Severity::Error, findingOf(findings, nameless, rule::Unreadable).severity);
    f = findingOf(findings, nameless, rule::MissingService);
    EXPECT_EQ(GuidText(nameless), f.targetText);
    EXPECT_EQ(Severity::Warning, f.severity);  // and no device of it under Enum
    ReleaseDriverClasses(classes);
    hive.Close();

    // Without Enum the classes stay, without devices; with no class at all, the check
    // says nothing was read.
    machine.DeleteKey(Set(L"ControlSet001") + L"\\Enum");
    ASSERT_TRUE(hive.Open(kHivePath, &error)) << error;
    ASSERT_TRUE(Build());
    ASSERT_EQ(2u, classes.size());
    EXPECT_TRUE(classes[0]->GetDeviceList().empty());
    EXPECT_EQ(L"", NothingReadText(classes));
    EXPECT_EQ(Severity::Warning, findingOf(CheckAllFilters(classes), used, rule::MissingService).severity);
    ReleaseDriverClasses(classes);
    EXPECT_EQ(L"No device setup class could be read from D:\\Windows\\System32\\config\\SYSTEM.", NothingReadText(classes));
    hive.Close();
    EXPECT_EQ(L"No device setup class could be read from this machine.", NothingReadText(classes));
}

// The installation on D: sees its own drive as C:; this machine's environment is not its.
TEST_F(OfflineHiveTest, DriverFilesOfAnInstallationOnAnotherDrive) {
    MakeHive();
    machine.PutEnvironment(L"SystemDrive", L"C:");
    machine.PutEnvironment(L"VendorRoot", L"C:\\Vendor");
    const std::wstring services = Set(L"ControlSet001") + L"\\Services\\";
    struct Service {
        const wchar_t* name;
        uint32_t type;
        const wchar_t* imagePath;
        const wchar_t* file;  // where it is looked up; null: not looked up
    } list[] = {
        {L"qxboot", kRegSz, L"\\??\\C:\\Drivers\\qxboot.sys", L"D:\\Drivers\\qxboot.sys"},
        {L"qxplain", kRegSz, L"C:\\Drivers\\qxplain.sys", L"D:\\Drivers\\qxplain.sys"},
        {L"qxdrive", kRegExpandSz, L"%SystemDrive%\\Drivers\\qxdrive.sys", L"D:\\Drivers\\qxdrive.sys"},
        {L"qxpf", kRegExpandSz, L"%ProgramFiles%\\Vendor\\qxpf.sys", L"D:\\Program Files\\Vendor\\qxpf.sys"},
        {L"qxother", kRegSz, L"E:\\Drivers\\qxother.sys", L"E:\\Drivers\\qxother.sys"},
        {L"qxvendor", kRegExpandSz, L"%VendorRoot%\\qxvendor.sys", nullptr},
    };
    StringList names;
    for (const Service& service : list) {
        machine.PutDword(services + service.name, L"Type", 1);
        machine.PutValue(services + service.name, L"ImagePath", service.type, Utf16Bytes(service.imagePath));
        names.push_back(service.name);
    }
    machine.PutMultiSz(Set(L"ControlSet001") + L"\\Control\\Class\\" + GuidText(ClassGuid(1)), L"UpperFilters", names);
    machine.AddFile(L"C:\\Drivers\\qxboot.sys");  // the recovery system's own drive: no proof
    machine.AddFile(L"D:\\Drivers\\qxplain.sys");
    OfflineHive hive(loader);
    std::wstring error;
    ASSERT_TRUE(hive.Open(kHivePath, &error)) << error;
    ASSERT_TRUE(Build());
    const Findings findings = CheckAllFilters(classes);
    for (const Service& service : list) {
        ServiceFacts facts = ReadServiceFacts(service.name);
        EXPECT_EQ(service.file ? service.file : L"", DriverFilePath(service.name, facts)) << service.name;
        bool missing = false;
        for (const Finding& f : findings) missing = missing || (f.name == service.name && f.rule == rule::DriverFileMissing);
        EXPECT_EQ(service.file && std::wstring(service.name) != L"qxplain", missing) << service.name;
    }
    EXPECT_EQ(L"Driver files not checked for qxvendor: their paths use variables only that installation's own "
              L"environment gives.", DriverFileCheckNote());
}

}  // namespace
}  // namespace qx::test
