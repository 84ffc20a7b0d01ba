// Building the class list on the in-memory machine: which classes enter it, in what
// order, what progress is reported, and what stays open until the list is released.
#include <cstdio>

#include "model/FilterCheck.h"
#include "model/TextForms.h"
#include "tests/support/MemoryFixture.h"
#include "tests/support/PerClassBuild.h"
#include "tests/support/ScratchJournal.h"

using namespace qx;
using namespace qx::test;

namespace {

StringList Descriptions(const DriverClassList& classes) {
    StringList names;
    for (const auto& record : classes) names.push_back(record->GetDescription());
    return names;
}

}  // namespace

class ClassListBuild : public MemoryMachineTest {};

TEST_F(ClassListBuild, TakesUsableClassesInEnumerationOrderAndReportsProgress) {
    // Created in this order, which is not the GUIDs' order: the list must follow the
    // registry's enumeration, not sort.
    Guid listed = AddClass(9, L"Listed", 2);
    machine.AddClass(L"Properties", nullptr);                       // not a GUID
    machine.AddClass(L"{C1A55099-1234-5678-9ABC}", nullptr);        // half a GUID
    AddClass(3, nullptr, 1);                                        // no description
    Guid readOnly = AddClass(7, L"ReadOnly", 1);
    machine.SetKeyAccess(MemoryMachine::ClassKeyPath(readOnly), KeyAccess::ReadOnly);
    Guid empty = AddClass(1, L"Empty", 0);
    Guid lower = ClassGuid(2);
    machine.AddClass(lower, L"LowerCaseKey", true);
    machine.AddDevice(lower);

    ASSERT_TRUE(Build());

    EXPECT_TRUE(ListIs(Descriptions(classes), {L"Listed", L"Empty", L"LowerCaseKey"}));
    ASSERT_EQ(3u, classes.size());
    EXPECT_EQ(listed, classes[0]->GetGuid());
    EXPECT_EQ(empty, classes[1]->GetGuid());
    // The GUID text is always upper case, whatever case the key was named in.
    EXPECT_EQ(L"{C1A55002-1234-5678-9ABC-DEF012345678}", classes[2]->GetGuidString());

    // One status text for every class that has a description, even one dropped later;
    // one range and one step per device for every class that enters the list.
    EXPECT_TRUE(ListIs(progress.Log(), {L"text:Processing Class Listed", L"range:0-100", L"step", L"step",
                                        L"text:Processing Class ReadOnly",
                                        L"text:Processing Class Empty", L"range:0-100",
                                        L"text:Processing Class LowerCaseKey", L"range:0-100", L"step"}));
    EXPECT_TRUE(NoMessages(messages));

    // Each listed class holds its class key, and all share one device set; nothing else
    // stays open (the dropped class's key was closed again).
    EXPECT_EQ(3, machine.OpenKeyCount());
    EXPECT_EQ(1, machine.Calls().classDevs);
    EXPECT_EQ(1, machine.LiveSetCount());
    ReleaseDriverClasses(classes);
    EXPECT_TRUE(classes.empty());
    EXPECT_EQ(0, machine.OpenKeyCount());
    EXPECT_EQ(0, machine.LiveSetCount());
    EXPECT_EQ(0, machine.Calls().badKeyCloses);
    EXPECT_EQ(0, machine.Calls().badSetDestroys);
}

TEST_F(ClassListBuild, WithoutTheDeviceSetNoClassIsListed) {
    AddClass(1, L"First", 2);
    AddClass(2, L"Second", 0);
    machine.FailDeviceSets();
    ASSERT_TRUE(Build());
    EXPECT_TRUE(classes.empty());
    // Each class is still announced before it is dropped, and its key is closed again.
    EXPECT_TRUE(ListIs(progress.Log(), {L"text:Processing Class First", L"text:Processing Class Second"}));
    EXPECT_EQ(0, machine.OpenKeyCount());
    EXPECT_EQ(0, machine.LiveSetCount());
}

// Devices of many classes interleaved in the one set: each class gets its own devices,
// numbered among themselves, exactly as when each class's set was taken on its own.
TEST_F(ClassListBuild, OneSetForAllClassesGivesTheListOfOneSetPerClass) {
    const uint32_t kinds[] = {1, 2, 3, 4, 5, 6};
    AddClass(1, L"Alpha");
    AddClass(2, L"Beta");
    AddClass(3, nullptr);  // no description: its devices belong to no listed class
    Guid readOnly = AddClass(4, L"ReadOnly");
    machine.SetKeyAccess(MemoryMachine::ClassKeyPath(readOnly), KeyAccess::ReadOnly);
    machine.AddClass(ClassGuid(5), L"LowerCase", true);
    AddClass(6, L"Empty");
    machine.PutMultiSz(MemoryMachine::ClassKeyPath(ClassGuid(2)), L"UpperFilters", {L"up1", L"up2"});
    std::vector<uint32_t> alpha, gamma;
    for (int i = 0; i < 24; ++i) {
        Guid guid = ClassGuid(kinds[i % 5]);  // never the empty class
        if (i % 7 == 3) guid = ClassGuid(77);  // a class without a key
        uint32_t devInst = machine.AddDevice(guid);
        if (guid == ClassGuid(1)) alpha.push_back(devInst);
        machine.PutStringProperty(devInst, spdrp::DeviceDesc, L"Device " + std::to_wstring(i));
        machine.PutMultiSzProperty(devInst, spdrp::LowerFilters, {L"low" + std::to_wstring(i)});
        machine.PutStringProperty(devInst, spdrp::PhysicalDeviceObjectName, L"\\Device\\" + std::to_wstring(i));
        if (i % 2)
            machine.PutDword(GiveDriverKey(devInst, guid, DeviceNumberText(i)), L"Serial", static_cast<uint32_t>(i));
    }
    machine.Vanish(alpha[1]);  // gone before the build: in neither kind of set

    DriverClassList perClass;
    ProgressRecorder perClassProgress;
    ASSERT_TRUE(BuildPerClass(perClass, &perClassProgress,
                              [this](const Guid& guid) { return machine.ClassDevs(guid); }));
    const int setsBefore = machine.Calls().classDevs;
    ASSERT_TRUE(Build());
    EXPECT_EQ(1, machine.Calls().classDevs - setsBefore);
    EXPECT_TRUE(SameClassLists(perClass, classes));
    EXPECT_TRUE(ListIs(progress.Log(), perClassProgress.Log()));
    ReleaseDriverClasses(perClass);

    // A device's write finds its own element in the one set, not the element at its number.
    CDriverClass* record = FindClass(ClassGuid(1));
    ASSERT_NE(nullptr, record);
    ASSERT_EQ(alpha.size() - 1, record->GetDeviceList().size());
    CDevice& third = *record->GetDeviceList()[2];
    EXPECT_NE(third.GetIndex(), third.GetSetPosition());
    ASSERT_TRUE(third.SetUpperFilters({L"mine"}));
    ASSERT_EQ(1u, machine.PropertyWrites().size());
    EXPECT_EQ(alpha[3], machine.PropertyWrites()[0].devInst);
    EXPECT_EQ(spdrp::UpperFilters, machine.PropertyWrites()[0].property);

    ReleaseDriverClasses(classes);
    EXPECT_EQ(0, machine.LiveSetCount());
    EXPECT_EQ(0, machine.OpenKeyCount());
    EXPECT_EQ(0, machine.Calls().badSetDestroys);
}

TEST_F(ClassListBuild, FailsWithoutTheClassRoot) {
    AddClass(1, L"Orphan", 1);
    ASSERT_TRUE(machine.DeleteKey(L"System\\CurrentControlSet\\Control\\Class"));
    EXPECT_FALSE(Build());
    EXPECT_TRUE(classes.empty());
    EXPECT_TRUE(progress.Log().empty());

    machine.CreateKey(L"System\\CurrentControlSet\\Control\\Class");
    machine.SetKeyAccess(L"System\\CurrentControlSet\\Control\\Class", KeyAccess::None);
    EXPECT_FALSE(Build());
    EXPECT_EQ(0, machine.OpenKeyCount());
}

TEST_F(ClassListBuild, DevicesAreNumberedInSetOrderAndUseTheirOwnDriverKeys) {
    Guid guid = AddClass(1, L"Numbered");
    uint32_t first = machine.AddDevice(guid);
    uint32_t second = machine.AddDevice(guid);
    uint32_t third = machine.AddDevice(guid);
    uint32_t fourth = machine.AddDevice(guid);
    // The first device's own key is \0003 (as on Wine's HID device); the key named
    // after its position belongs to the second device.
    machine.PutString(GiveDriverKey(first, guid, L"0003"), L"Owner", L"first");
    machine.PutString(GiveDriverKey(second, guid, L"0000"), L"Owner", L"second");
    // The third has no Driver property although a key \0002 exists: no snapshot.
    machine.PutString(MemoryMachine::ClassKeyPath(guid) + L"\\0002", L"Owner", L"nobody");
    // The fourth names a key that is not there: no snapshot, the record is complete.
    machine.PutStringProperty(fourth, spdrp::Driver, L"{C1A55001-1234-5678-9ABC-DEF012345678}\\0042");
    machine.PutStringProperty(fourth, spdrp::DeviceDesc, L"Fourth");
    (void)third;

    ASSERT_TRUE(Build());
    CDriverClass* record = FindClass(guid);
    ASSERT_NE(nullptr, record);
    const DeviceList& devices = record->GetDeviceList();
    ASSERT_EQ(4u, devices.size());
    for (size_t i = 0; i < devices.size(); ++i) {
        EXPECT_EQ(static_cast<int32_t>(i), devices[i]->GetIndex());
        EXPECT_EQ(record, devices[i]->GetClass());
    }

    const CRegistrySnapshot* own = devices[0]->GetRegistryParameters();
    ASSERT_NE(nullptr, own);
    EXPECT_EQ(L"System\\CurrentControlSet\\Control\\Class\\{C1A55001-1234-5678-9ABC-DEF012345678}\\0003",
              own->GetRootPath());
    ASSERT_EQ(1u, own->GetRows().size());
    EXPECT_EQ(L"first", TextFromBytes(own->GetRows()[0].GetData(), own->GetRows()[0].GetDataLength()));

    ASSERT_NE(nullptr, devices[1]->GetRegistryParameters());
    EXPECT_EQ(L"second", TextFromBytes(devices[1]->GetRegistryParameters()->GetRows()[0].GetData(),
                                       devices[1]->GetRegistryParameters()->GetRows()[0].GetDataLength()));
    EXPECT_EQ(nullptr, devices[2]->GetRegistryParameters());
    EXPECT_EQ(nullptr, devices[3]->GetRegistryParameters());
    EXPECT_EQ(L"Fourth", devices[3]->GetDeviceDesc());
    EXPECT_EQ(L"{C1A55001-1234-5678-9ABC-DEF012345678}\\0042", devices[3]->GetDriver());

    // The snapshot keys were closed after the walk.
    EXPECT_EQ(1, machine.OpenKeyCount());
}

TEST_F(ClassListBuild, ClassFilterValuesAreReadWhole) {
    Guid guid = AddClass(1, L"Filters");
    std::wstring key = MemoryMachine::ClassKeyPath(guid);
    // 300 names of 8 characters: 5,402 bytes, far beyond a 1,024-byte buffer.
    StringList many;
    for (int i = 0; i < 300; ++i) {
        wchar_t name[16];
        std::swprintf(name, 16, L"flt%05d", i);
        many.push_back(name);
    }
    machine.PutMultiSz(key, L"UpperFilters", many);
    // A plain string holding one name.
    machine.PutString(key, L"LowerFilters", L"single");

    ASSERT_TRUE(Build());
    CDriverClass* record = FindClass(guid);
    ASSERT_NE(nullptr, record);
    EXPECT_TRUE(ListIs(record->GetUpperFilters(), many));
    EXPECT_TRUE(ListIs(record->GetLowerFilters(), {L"single"}));
}

TEST_F(ClassListBuild, OddClassFilterValuesNeverCrash) {
    struct Case {
        const wchar_t* description;
        uint32_t type;
        std::vector<uint8_t> data;
        StringList expected;
    };
    std::vector<uint8_t> megabyte(1024 * 1024, 0);
    // "m", NUL, "m", NUL ... then the closing NUL: one entry per four bytes.
    for (size_t i = 0; i + 4 <= megabyte.size() - 2; i += 4) megabyte[i] = 'm';
    const Case cases[] = {
        // The type is not checked: a number reads as the characters its bytes make.
        {L"Dword", kRegDword, DwordBytes(0x00420041), {L"AB"}},
        {L"SmallDword", kRegDword, DwordBytes(5), {L"\x0005"}},
        {L"NoTerminator", kRegMultiSz, Utf16Bytes(L"abc", false), {L"abc"}},
        {L"OddBytes", kRegMultiSz, {'a', 0, 0, 0, 'b', 0, 'c'}, {L"a", L"b"}},
        {L"ZeroLength", kRegMultiSz, {}, {}},
        {L"OneByte", kRegBinary, {'x'}, {}},
        {L"Megabyte", kRegMultiSz, megabyte, StringList(262143, L"m")},
    };
    uint32_t n = 1;
    for (const Case& c : cases) {
        Guid guid = AddClass(n++, c.description);
        machine.PutValue(MemoryMachine::ClassKeyPath(guid), L"UpperFilters", c.type, c.data);
    }
    ASSERT_TRUE(Build());
    n = 1;
    for (const Case& c : cases) {
        CDriverClass* record = FindClass(ClassGuid(n++));
        ASSERT_NE(nullptr, record) << Narrow(c.description);
        EXPECT_TRUE(ListIs(record->GetUpperFilters(), c.expected)) << Narrow(c.description);
        EXPECT_TRUE(record->GetLowerFilters().empty());
    }
}

TEST_F(ClassListBuild, OnlyKeysNamedExactlyAsABracedGuidAreClasses) {
    Guid guid = AddClass(1, L"Real");
    const std::wstring name = GuidText(guid);
    // An administrator's saved copy, trailing text, and the GUID without its braces.
    for (const std::wstring& other : {name + L".bak", name + L"x", name.substr(1, 36)})
        machine.AddClass(other, L"Not a class");
    ASSERT_TRUE(Build());
    ASSERT_EQ(1u, classes.size());
    EXPECT_EQ(L"Real", classes[0]->GetDescription());
}

TEST_F(ClassListBuild, DataOfAbsurdSizeIsLeftOutWithAMessageAndTheBuildGoesOn) {
    const uint32_t kTwoGiB = 0x80000000u;
    const ShownMessage kNoMemory{L"No Memory for new entry", kMbOk | kMbIconHand};
    // A class filter value that claims 2 GiB: the class is left out, since its list
    // would show empty and a save from there would destroy it.
    Guid huge = AddClass(1, L"Huge filters");
    machine.PutMultiSz(MemoryMachine::ClassKeyPath(huge), L"LowerFilters", {L"x"});
    machine.ClaimSize(MemoryMachine::ClassKeyPath(huge), L"LowerFilters", kTwoGiB);
    Guid fine = AddClass(2, L"Fine");
    // A property that claims 2 GiB leaves its field empty...
    uint32_t named = machine.AddDevice(fine);
    machine.PutStringProperty(named, spdrp::DeviceDesc, L"kept");
    machine.PutStringProperty(named, spdrp::FriendlyName, L"big");
    machine.ClaimPropertySize(named, spdrp::FriendlyName, kTwoGiB);
    // ...a filter list that does leaves the device out...
    uint32_t filtered = machine.AddDevice(fine);
    machine.PutMultiSzProperty(filtered, spdrp::UpperFilters, {L"f"});
    machine.ClaimPropertySize(filtered, spdrp::UpperFilters, kTwoGiB);
    // ...and a driver key value that does ends that key's values, as any value too
    // large to read whole does.
    uint32_t snapshot = machine.AddDevice(fine);
    std::wstring key = GiveDriverKey(snapshot, fine, L"0002");
    machine.PutString(key, L"Before", L"b");
    machine.PutString(key, L"Huge", L"h");
    machine.ClaimSize(key, L"Huge", kTwoGiB);

    ASSERT_TRUE(Build());
    EXPECT_EQ(nullptr, FindClass(huge));
    CDriverClass* record = FindClass(fine);
    ASSERT_NE(nullptr, record);
    ASSERT_EQ(2u, record->GetDeviceList().size());
    const CDevice& first = *record->GetDeviceList()[0];
    EXPECT_EQ(L"kept", first.GetDeviceDesc());
    EXPECT_EQ(L"", first.GetFriendlyName());
    const CDevice& third = *record->GetDeviceList()[1];
    EXPECT_EQ(2, third.GetIndex());  // numbers stay positions in the enumeration
    ASSERT_NE(nullptr, third.GetRegistryParameters());
    ASSERT_EQ(1u, third.GetRegistryParameters()->GetRows().size());
    EXPECT_EQ(L"Before", third.GetRegistryParameters()->GetRows()[0].GetValueName());
    EXPECT_TRUE(MessagesAre(messages, {kNoMemory, kNoMemory, kNoMemory}));
}

TEST_F(ClassListBuild, ACommandsDeviceTargetIsReadAloneWithTheNumberAFullBuildGivesIt) {
    const Guid alpha = AddClass(1, L"Alpha"), beta = AddClass(2, L"Beta");
    std::vector<uint32_t> devices;
    for (int i = 0; i < 6; ++i) {
        devices.push_back(machine.AddDevice(i % 2 ? beta : alpha));
        machine.SetInstanceId(devices.back(), L"ROOT\\BENCH\\" + std::to_wstring(i));
        machine.PutStringProperty(devices.back(), spdrp::DeviceDesc, L"Device " + std::to_wstring(i));
        machine.PutStringProperty(devices.back(), spdrp::Mfg, L"Maker " + std::to_wstring(i));
    }
    DeviceScope none;
    none.kind = DeviceScope::None;
    ASSERT_TRUE(BuildDriverClasses(classes, nullptr, none));
    CDriverClass* record = FindClass(beta);
    ASSERT_NE(nullptr, record);
    // Beta's third device (devices 1, 3, 5 are Beta's), named in another case.
    CDevice* device = AddOneDevice(*record, L"root\\bench\\5");
    ASSERT_NE(nullptr, device);
    ASSERT_EQ(1u, record->GetDeviceList().size());
    EXPECT_EQ(2, device->GetIndex());
    EXPECT_EQ(L"ROOT\\BENCH\\5", DeviceInstanceId(*device));
    EXPECT_EQ(L"Device 5", device->GetDeviceDesc());
    EXPECT_EQ(L"Maker 5", device->GetMfg());
    // Alpha's device is not Beta's; a list without details holds no manufacturer.
    EXPECT_EQ(nullptr, AddOneDevice(*FindClass(alpha), L"ROOT\\BENCH\\5"));
    EXPECT_TRUE(FindClass(alpha)->GetDeviceList().empty());
    ASSERT_TRUE(AddClassDevices(*FindClass(alpha), false));
    ASSERT_EQ(3u, FindClass(alpha)->GetDeviceList().size());
    EXPECT_EQ(L"Device 4", FindClass(alpha)->GetDeviceList()[2]->GetDeviceDesc());
    EXPECT_TRUE(FindClass(alpha)->GetDeviceList()[2]->GetMfg().empty());
    ReleaseDriverClasses(classes);
    EXPECT_EQ(0, machine.LiveSetCount());
}

TEST_F(ClassListBuild, ADeviceReadWithoutItsNumberTakesNoClassSetAndIsNamedByItsId) {
    ScratchJournal journal;
    const Guid alpha = AddClass(1, L"Alpha", 3), beta = AddClass(2, L"Beta", 1);
    machine.SetInstanceId(3, L"ROOT\\BENCH\\3");  // Alpha's third, with no name
    machine.PutMultiSzProperty(3, spdrp::UpperFilters, {L"old"});
    DeviceScope none;
    none.kind = DeviceScope::None;
    ASSERT_TRUE(BuildDriverClasses(classes, nullptr, none));
    // Not of Beta, and not once it has left the machine: as the class's set would say.
    EXPECT_EQ(nullptr, AddOneDevice(*FindClass(beta), L"ROOT\\BENCH\\3", false, false));
    machine.Vanish(4);
    EXPECT_EQ(nullptr, AddOneDevice(*FindClass(beta), L"ROOT\\QUILLEX\\4", false, false));
    CDevice* device = AddOneDevice(*FindClass(alpha), L"root\\bench\\3", false, false);
    ASSERT_NE(nullptr, device);
    EXPECT_EQ(0, machine.Calls().classDevs);  // neither the class's set nor every class's
    EXPECT_EQ(-1, device->GetIndex());
    EXPECT_TRUE(ListIs(device->GetUpperFilters(), {L"old"}));
    // Written on its own element; a failure names it by its ID, having no number.
    EXPECT_TRUE(device->SetUpperFilters({L"new"}));
    EXPECT_TRUE(BytesAre(*machine.FindProperty(3, spdrp::UpperFilters), MultiSzBytes({L"new"})));
    machine.PutMultiSzProperty(3, spdrp::UpperFilters, {L"other"});
    EXPECT_FALSE(device->SetUpperFilters({L"mine"}));
    ASSERT_EQ(1u, messages.Shown().size());
    EXPECT_EQ(0u, messages.Shown()[0].text.find(L"The Upper Filters of device ROOT\\BENCH\\3 of Alpha were changed outside"));
    ReleaseDriverClasses(classes);
    EXPECT_EQ(0, machine.LiveSetCount());
}
