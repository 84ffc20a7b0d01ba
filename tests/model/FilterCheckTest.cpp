// The filter check's parts on the in-memory machine: driver file paths as the loader
// resolves them, stored lists taken apart, device status, the rules table, and a
// device list found and repaired.
#include "model/FilterCheck.h"
#include "model/ListValidation.h"
#include "tests/support/MemoryFixture.h"

using namespace qx;
using namespace qx::test;

namespace {

const wchar_t kSvc[] = L"System\\CurrentControlSet\\Services\\";

class FilterCheckTest : public MemoryMachineTest {
protected:
    FilterCheckTest() { machine.SetWindowsFolder(L"D:\\WinNT"); }

    // A kernel driver service; its file exists unless told otherwise.
    void AddService(const std::wstring& name, uint32_t start = 3, bool file = true) {
        machine.PutDword(kSvc + name, L"Type", 1);
        machine.PutDword(kSvc + name, L"Start", start);
        if (file) machine.AddFile(L"D:\\WinNT\\System32\\drivers\\" + name + L".sys");
    }
    std::wstring PathFor(uint32_t type, const std::wstring& imagePath) {
        machine.PutValue(kSvc + std::wstring(L"img"), L"ImagePath", type, Utf16Bytes(imagePath));
        return DriverFilePath(L"img", ReadServiceFacts(L"img"));
    }
    static StoredList Stored(uint32_t type, std::vector<uint8_t> data) { return StoredList{true, type, std::move(data)}; }
    // What one rule says of a name (its service as the machine holds it) or of a stored list.
    static std::wstring Says(const wchar_t* id, const RuleFacts& facts) {
        const CheckRule* row = FindCheckRule(id);
        return row ? row->check(facts).sentence : L"(no such rule)";
    }
    static RuleFacts Named(const std::wstring& name, bool bootClass = false) {
        RuleFacts facts;
        facts.name = name;
        facts.contents.names = {name};
        facts.bootClass = bootClass;
        return facts;
    }
    static RuleFacts Listed(const StoredList& stored) {
        RuleFacts facts;
        facts.stored = stored;
        facts.contents = TakeApart(stored);
        return facts;
    }
    static size_t Count(const Findings& findings, const wchar_t* id) {
        size_t n = 0;
        for (const Finding& f : findings) n += f.rule == id ? 1 : 0;
        return n;
    }
};

}  // namespace

TEST_F(FilterCheckTest, DriverFileResolvedAsTheLoaderDoes) {
    machine.PutEnvironment(L"ProgramFiles", L"D:\\Apps");
    machine.CreateKey(kSvc + std::wstring(L"img"));
    EXPECT_EQ(L"D:\\WinNT\\System32\\drivers\\img.sys", DriverFilePath(L"img", ReadServiceFacts(L"img")));
    EXPECT_EQ(L"D:\\WinNT\\System32\\drivers\\a.sys", PathFor(kRegSz, L"\\SystemRoot\\System32\\drivers\\a.sys"));
    EXPECT_EQ(L"D:\\WinNT\\system32\\DRIVERS\\b.sys", PathFor(kRegSz, L"\\systemroot\\system32\\DRIVERS\\b.sys"));
    EXPECT_EQ(L"D:\\WinNT\\System32\\drivers\\c.sys", PathFor(kRegSz, L"System32\\drivers\\c.sys"));
    EXPECT_EQ(L"C:\\Vendor\\d.sys", PathFor(kRegSz, L"\\??\\C:\\Vendor\\d.sys"));
    EXPECT_EQ(L"E:\\Full\\e.sys", PathFor(kRegSz, L"E:\\Full\\e.sys"));
    EXPECT_EQ(L"D:\\WinNT\\f.sys", PathFor(kRegExpandSz, L"%SystemRoot%\\f.sys"));
    EXPECT_EQ(L"D:\\WinNT\\g.sys", PathFor(kRegExpandSz, L"%WINDIR%\\g.sys"));
    EXPECT_EQ(L"D:\\Apps\\h.sys", PathFor(kRegExpandSz, L"%ProgramFiles%\\h.sys"));
    // Plain text is not expanded.
    EXPECT_EQ(L"D:\\WinNT\\%SystemRoot%\\i.sys", PathFor(kRegSz, L"%SystemRoot%\\i.sys"));

    machine.AddFile(L"d:\\winnt\\system32\\drivers\\c.sys");
    RuleFacts facts = Named(L"img");
    facts.service = ReadServiceFacts(L"img");
    facts.service->imagePath = L"System32\\drivers\\c.sys";
    EXPECT_EQ(L"", Says(rule::DriverFileMissing, facts));
    facts.service->imagePath = L"System32\\drivers\\gone.sys";
    EXPECT_NE(std::wstring::npos, Says(rule::DriverFileMissing, facts).find(L"D:\\WinNT\\System32\\drivers\\gone.sys"));

    // An installation mounted on Linux: its paths are written with its separators only.
    machine.SetWindowsFolder(L"/mnt/win/WINDOWS");
    EXPECT_EQ(L"/mnt/win/WINDOWS/System32/drivers/c.sys", PathFor(kRegSz, L"System32\\drivers\\c.sys"));
    EXPECT_EQ(L"/mnt/win/WINDOWS/System32/drivers/a.sys", PathFor(kRegSz, L"\\SystemRoot\\System32\\drivers\\a.sys"));
    EXPECT_EQ(L"/mnt/win/WINDOWS/f.sys", PathFor(kRegExpandSz, L"%SystemRoot%\\f.sys"));
}

TEST_F(FilterCheckTest, StoredListsTakenApart) {
    EXPECT_EQ(L"", Says(rule::WrongType, Listed(Stored(kRegMultiSz, MultiSzBytes({L"a"})))));
    EXPECT_EQ(L"", Says(rule::WrongType, Listed(Stored(kRegSz, Utf16Bytes(L"a")))));
    EXPECT_EQ(L"", Says(rule::WrongType, Listed(StoredList{})));
    EXPECT_NE(std::wstring::npos, Says(rule::WrongType, Listed(Stored(kRegExpandSz, Utf16Bytes(L"a")))).find(L"REG_EXPAND_SZ"));
    EXPECT_NE(std::wstring::npos, Says(rule::WrongType, Listed(Stored(kRegBinary, {1, 2}))).find(L"REG_BINARY"));
    EXPECT_FALSE(TakeApart(Stored(kRegDword, DwordBytes(1))).isList);
    EXPECT_EQ(L"(REG_DWORD 0x00000001)", Stored(kRegDword, DwordBytes(1)).OtherTypeText());
    EXPECT_EQ(L"", Stored(kRegSz, Utf16Bytes(L"a")).OtherTypeText());

    ListContents single = TakeApart(Stored(kRegSz, Utf16Bytes(L"one")));
    EXPECT_TRUE(ListIs(single.names, {L"one"}));
    EXPECT_FALSE(Says(rule::InvalidName, Named(TakeApart(Stored(kRegSz, Utf16Bytes(L""))).names.at(0))).empty());

    // a, "", b, "", "", c: the platform reads a; b and c are stored but ignored.
    std::vector<uint8_t> data = Utf16Bytes(L"a");
    for (const wchar_t* part : {L"", L"b", L"", L"", L"c"}) {
        auto bytes = Utf16Bytes(part);
        data.insert(data.end(), bytes.begin(), bytes.end());
    }
    ListContents split = TakeApart(Stored(kRegMultiSz, data));
    EXPECT_TRUE(ListIs(split.names, {L"a"}));
    EXPECT_TRUE(ListIs(split.hidden, {L"b", L"c"}));
    EXPECT_NE(std::wstring::npos, Says(rule::HiddenEntries, Listed(Stored(kRegMultiSz, data))).find(L"b c"));
    EXPECT_TRUE(TakeApart(Stored(kRegMultiSz, MultiSzBytes({L"a", L"b"}))).hidden.empty());

    const FilterTarget anywhere{ClassGuid(1), L"", true};
    EXPECT_EQ(2u, Count(CheckProposedList(anywhere, {L"a", L"B", L"A", L"b", L"a", L"c"}), rule::Duplicate));
    EXPECT_EQ(0u, Count(CheckProposedList(anywhere, {L"a", L"b"}), rule::Duplicate));
}

TEST_F(FilterCheckTest, ServiceRules) {
    AddService(L"boot", 0);
    machine.PutDword(kSvc + std::wstring(L"win32"), L"Type", 0x110);
    machine.PutDword(kSvc + std::wstring(L"fs"), L"Type", 2);
    machine.CreateKey(kSvc + std::wstring(L"bare"));
    machine.PutValue(kSvc + std::wstring(L"text"), L"Type", kRegSz, Utf16Bytes(L"1"));
    EXPECT_EQ(L"", Says(rule::NotADriver, Named(L"boot")));
    EXPECT_EQ(L"", Says(rule::NotADriver, Named(L"fs")));
    EXPECT_NE(std::wstring::npos, Says(rule::NotADriver, Named(L"win32")).find(L"0x110"));
    EXPECT_NE(std::wstring::npos, Says(rule::NotADriver, Named(L"bare")).find(L"no Type"));
    EXPECT_FALSE(Says(rule::NotADriver, Named(L"text")).empty());
    EXPECT_FALSE(Says(rule::MissingService, Named(L"nosuch")).empty());
    EXPECT_EQ(L"", Says(rule::MissingService, Named(L"bare")));
    EXPECT_FALSE(Says(rule::InvalidName, Named(L"a\\b")).empty());
    EXPECT_EQ(L"", Says(rule::InvalidName, Named(L"a.b-c")));

    AddService(L"off", 4);
    EXPECT_FALSE(Says(rule::ServiceDisabled, Named(L"off")).empty());
    EXPECT_EQ(L"", Says(rule::ServiceDisabled, Named(L"boot")));
    EXPECT_EQ(L"", Says(rule::BootStartNeeded, Named(L"off", false)));
    EXPECT_FALSE(Says(rule::BootStartNeeded, Named(L"off", true)).empty());
    EXPECT_FALSE(Says(rule::BootStartNeeded, Named(L"bare", true)).empty());  // no Start
    EXPECT_EQ(L"", Says(rule::BootStartNeeded, Named(L"boot", true)));

    // A proposed list: errors and warnings as the dialog will see them.
    Findings found = CheckProposedList({ClassGuid(1), L"", true}, {L"boot", L"nosuch", L"boot"});
    ASSERT_EQ(2u, found.size());
    EXPECT_EQ(L"missing-service", found[0].rule);
    EXPECT_EQ(Severity::Error, found[0].severity);
    EXPECT_EQ(L"duplicate", found[1].rule);
    EXPECT_EQ(Severity::Warning, found[1].severity);
}

// The table is the one place a rule gets its severity and what it stops.
TEST_F(FilterCheckTest, EveryRuleHasOneRowInRunOrder) {
    const std::vector<CheckRule>& rows = CheckRules();
    const wchar_t* const ids[] = {rule::MissingService,  rule::InvalidName,       rule::WrongType, rule::HiddenEntries,
                                  rule::NotADriver,      rule::ServiceDisabled,   rule::DriverFileMissing,
                                  rule::BootStartNeeded, rule::Duplicate,         rule::Unreadable};
    EXPECT_EQ(std::size(ids), rows.size());
    for (const wchar_t* id : ids) {
        size_t found = 0;
        for (const CheckRule& row : rows) found += std::wstring(id) == row.id ? 1 : 0;
        EXPECT_EQ(1u, found) << Narrow(id);
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        const CheckRule& row = rows[i];
        const std::string id = Narrow(row.id);
        EXPECT_NE(nullptr, row.check) << id;
        // Scopes run one after the other: the table lists them in that order.
        if (i > 0) {
            EXPECT_LE(static_cast<int>(rows[i - 1].scope), static_cast<int>(row.scope)) << id;
        }
        // The repair runs the errors alone: a warning must not stop an error the check would miss.
        if (row.stops) {
            EXPECT_EQ(Severity::Error, row.severity) << id;
        }
        if (row.failsDevices) {
            EXPECT_EQ(Severity::Error, row.severity) << id;
        }
        // The refusal of a new list names its first bad name, in list order.
        if (row.newListRefusal) {
            EXPECT_TRUE(row.scope == RuleScope::Name && row.severity == Severity::Error) << id;
        }
    }
}

// What the edit dialog and the command line both stop at or ask, in the order asked.
TEST_F(FilterCheckTest, NewListValidatedInTheDialogsOrder) {
    AddService(L"good");
    machine.PutDword(kSvc + std::wstring(L"win32"), L"Type", 0x10);
    const ClassRules& rules = DefaultClassRules();
    const Guid keyboard = rules.FindByName(L"Keyboard")->guid;
    FilterTarget target{keyboard, L"", true};

    ListValidation missing = ValidateNewList(&target, {L"good", L"nosuch", L"win32"});
    EXPECT_EQ(L"Service nosuch could not be located in Registry.", missing.refusal);
    EXPECT_EQ(kMbOkCancel | kMbIconHand, missing.refusalType);
    machine.CreateKey(kSvc + std::wstring(L"good\\Parameters"));
    EXPECT_EQ(L"Service good\\Parameters could not be located in Registry.",
              ValidateNewList(&target, {L"good\\Parameters", L"nosuch"}).refusal);
    ListValidation notDriver = ValidateNewList(&target, {L"good", L"win32"});
    EXPECT_EQ(Says(rule::NotADriver, Named(L"win32")), notDriver.refusal);
    EXPECT_EQ(kMbOk | kMbIconHand, notDriver.refusalType);
    EXPECT_TRUE(notDriver.questions.empty());

    ListValidation asked = ValidateNewList(&target, {L"good", L"GOOD"});
    EXPECT_FALSE(asked.Refused());
    ASSERT_EQ(2u, asked.questions.size());
    EXPECT_NE(std::wstring::npos, asked.questions[0].find(L"Write the new list all the same?"));
    EXPECT_EQ(rules.CriticalQuestion(keyboard), asked.questions[1]);
    // Without a target only the services are looked up.
    EXPECT_FALSE(ValidateNewList(nullptr, {L"win32", L"win32"}).Refused());
    EXPECT_TRUE(ValidateNewList(nullptr, {L"win32", L"win32"}).questions.empty());
    target.classGuid = ClassGuid(1);
    EXPECT_TRUE(ValidateNewList(&target, {L"good"}).questions.empty());
}

TEST_F(FilterCheckTest, RulesTableServesCriticalAndBootClasses) {
    const ClassRules& rules = DefaultClassRules();
    const ClassRule* keyboard = rules.FindByName(L"keyboard");
    ASSERT_NE(nullptr, keyboard);
    EXPECT_EQ(MakeGuid(0x4D36E96B, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}), keyboard->guid);
    EXPECT_EQ(L"Every keyboard on this machine depends on this list. If a filter named here cannot start, "
              L"the keyboards stop working. Write the new list?",
              rules.CriticalQuestion(keyboard->guid));
    StringList boot, critical;
    for (const wchar_t* name : {L"Keyboard", L"Mouse", L"HIDClass", L"USB", L"DiskDrive", L"Volume",
                                L"SCSIAdapter", L"HDC", L"System"}) {
        const ClassRule* entry = rules.FindByName(name);
        ASSERT_NE(nullptr, entry) << Narrow(name);
        EXPECT_FALSE(rules.CriticalQuestion(entry->guid).empty());
        if (rules.IsBootClass(entry->guid)) boot.push_back(name);
    }
    EXPECT_TRUE(ListIs(boot, {L"DiskDrive", L"Volume", L"SCSIAdapter", L"HDC"}));
    EXPECT_EQ(L"", rules.CriticalQuestion(ClassGuid(1)));
    EXPECT_FALSE(rules.IsBootClass(ClassGuid(1)));
}

TEST_F(FilterCheckTest, DeviceStatusAndProblemText) {
    Guid guid = AddClass(1, L"Devices");
    uint32_t broken = machine.AddDevice(guid), fine = machine.AddDevice(guid), mute = machine.AddDevice(guid),
             odd = machine.AddDevice(guid);
    machine.SetDeviceStatus(broken, kDnHasProblem | 0x8, 39);
    machine.SetDeviceStatus(fine, 0x180a, 0);
    machine.FailDeviceStatus(mute);
    machine.SetDeviceStatus(odd, kDnHasProblem, 99);
    machine.SetInstanceId(broken, L"PCI\\VEN_1234&DEV_5678\\3&1");
    ASSERT_TRUE(Build());
    const DeviceList& devices = FindClass(guid)->GetDeviceList();
    ASSERT_EQ(4u, devices.size());

    uint32_t status = 0, problem = 0;
    ASSERT_TRUE(ReadDeviceStatus(*devices[0], &status, &problem));
    EXPECT_EQ(kDnHasProblem | 0x8, status);
    EXPECT_EQ(39u, problem);
    EXPECT_EQ(L"Code 39: the driver could not be loaded", DeviceProblemText(*devices[0]));
    EXPECT_EQ(L"", DeviceProblemText(*devices[1]));
    EXPECT_FALSE(ReadDeviceStatus(*devices[2], &status, &problem));
    EXPECT_EQ(L"", DeviceProblemText(*devices[2]));
    EXPECT_EQ(L"Code 99: a problem this program does not know", DeviceProblemText(*devices[3]));
    EXPECT_EQ(L"Code 22: the device is disabled", ProblemText(kDnHasProblem, 22));
    EXPECT_EQ(L"PCI\\VEN_1234&DEV_5678\\3&1", DeviceInstanceId(*devices[0]));
}

TEST_F(FilterCheckTest, DeviceListFoundAndRepaired) {
    AddService(L"good");
    AddService(L"nofile", 3, false);
    AddService(L"hiddenok");
    Guid guid = AddClass(2, L"Pointers");
    uint32_t devInst = machine.AddDevice(guid);
    machine.SetInstanceId(devInst, L"HID\\MOUSE\\1");
    machine.PutStringProperty(devInst, spdrp::DeviceDesc, L"Test Mouse");
    // good, nofile, GOOD, "", good, missing, hiddenok: the last three are hidden.
    std::vector<uint8_t> data = MultiSzBytes({L"good", L"nofile", L"GOOD"});
    data.resize(data.size() - 2);
    for (const wchar_t* part : {L"", L"good", L"missing", L"hiddenok"}) {
        auto bytes = Utf16Bytes(part);
        data.insert(data.end(), bytes.begin(), bytes.end());
    }
    machine.PutProperty(devInst, spdrp::UpperFilters, kRegMultiSz, data);
    ASSERT_TRUE(Build());

    Findings found = CheckAllFilters(classes);
    StringList seen;
    for (const auto& f : found) {
        EXPECT_EQ(L"HID\\MOUSE\\1", f.target.instanceId);
        EXPECT_TRUE(f.target.upper);
        EXPECT_EQ(L"Test Mouse (Pointers)", f.targetText);
        seen.push_back(f.name + L":" + f.rule);
    }
    EXPECT_TRUE(ListIs(seen, {L"good missing hiddenok:hidden-entries", L"nofile:driver-file-missing", L"GOOD:duplicate"}));

    FilterTarget target{guid, L"hid\\mouse\\1", true};
    EXPECT_EQ(FindClass(guid)->GetDeviceList()[0].get(), FindDeviceRecord(classes, target));
    StoredList stored;
    ASSERT_TRUE(ReadTargetList(classes, target, &stored));
    EXPECT_TRUE(ListIs(RepairedList(target, stored), {L"good"}));  // a hidden name that passes stays out
    EXPECT_EQ(nullptr, FindDeviceRecord(classes, {guid, L"HID\\MOUSE\\2", true}));
}
