// The class tree and the information form on a machine of our own making (Wine's
// devices have no physical device objects, so its tree shows no device items): what
// the tree lists, what the form shows for a class and for a device, Safe Mode, the
// device's filter edit end to end, and the registry parameters list.
#include <gtest/gtest.h>

#include <cstdlib>

#include "model/TextForms.h"
#include "res/resource.h"
#include "tests/support/MemoryMachine.h"
#include "tests/support/Recorders.h"
#include "tests/ui/AppHarness.h"
#include "tests/ui/DialogDriver.h"
#include "ui/InfoView.h"
#include "ui/SplashScreenThread.h"
#include "ui/VelorTreeView.h"

using namespace qxtest;
using qx::test::MemoryMachine;

namespace {

const qx::Guid kAlpha = {0x1a2b3c4d, 0x0001, 0x0002, {1, 2, 3, 4, 5, 6, 7, 8}};
const qx::Guid kBeta = {0x1a2b3c4d, 0x0001, 0x0002, {1, 2, 3, 4, 5, 6, 7, 9}};
const wchar_t kServices[] = L"System\\CurrentControlSet\\Services\\";
const wchar_t kClassRoot[] = L"System\\CurrentControlSet\\Control\\Class\\";

std::vector<uint8_t> Bytes(const std::wstring& text) {
    std::vector<uint8_t> bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
}

class FormAndTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        machine.AddClass(kAlpha, L"Alpha Class");
        machine.AddClass(kBeta, L"Beta Class");
        machine.PutMultiSz(MemoryMachine::ClassKeyPath(kAlpha), L"UpperFilters", {L"classup"});
        // Working kernel drivers, so that the edit dialog's check passes them.
        for (const std::wstring name : {L"alpha", L"zeta", L"newf", L"classup"}) {
            machine.PutDword(kServices + name, L"Type", 1);
            machine.PutDword(kServices + name, L"Start", 3);
            machine.AddFile(L"C:\\Windows\\System32\\drivers\\" + name + L".sys");
        }
        // Device 0: everything a form can show. Devices 1 to 9: no physical device
        // object, so no tree item. Device 10: shown as 000A.
        for (int i = 0; i <= 10; ++i) devInst.push_back(machine.AddDevice(kAlpha));
        const uint32_t d0 = devInst[0];
        machine.PutStringProperty(d0, qx::spdrp::PhysicalDeviceObjectName, L"\\Device\\QX0");
        machine.PutStringProperty(d0, qx::spdrp::DeviceDesc, L"First alpha device");
        machine.PutStringProperty(d0, qx::spdrp::ClassGuid, L"{1a2b3c4d-0001-0002-0102-030405060708}");
        machine.PutDwordProperty(d0, qx::spdrp::BusNumber, 31);
        machine.PutMultiSzProperty(d0, qx::spdrp::UpperFilters, {L"zeta", L"alpha"});
        machine.PutMultiSzProperty(d0, qx::spdrp::CompatibleIds, {L"PCI\\CC_02", L"PCI\\CC_01"});
        const std::wstring driver = qx::GuidText(kAlpha) + L"\\0007";
        machine.PutStringProperty(d0, qx::spdrp::Driver, driver);
        const std::wstring key = kClassRoot + driver;
        machine.PutString(key, L"DriverDesc", L"Alpha driver");
        machine.PutDword(key, L"Flags", 0xFFFFFFFF);
        machine.PutValue(key + L"\\Parameters\\Sub", L"Odd", qx::kRegQword, {1, 2, 3, 4, 5, 6, 7, 8});
        machine.PutStringProperty(devInst[10], qx::spdrp::PhysicalDeviceObjectName, L"\\Device\\QX10");
        ASSERT_TRUE(app.Start(kVersion10));
        tree = dynamic_cast<CVelorTreeView*>(app.Frame()->GetSplitter().GetPane(0, 0));
        form = dynamic_cast<CInfoView*>(app.Frame()->GetSplitter().GetPane(0, 1));
        ASSERT_TRUE(tree && form);
    }

    std::wstring Field(int nID) const { return ItemTextOf(form->GetDlgItemHwnd(nID)); }
    static std::wstring ItemTextOf(HWND hWnd) {
        wchar_t text[512] = {};
        GetWindowTextW(hWnd, text, 512);
        return text;
    }
    StringList ListBox(int nID) const {
        StringList entries;
        HWND hBox = form->GetDlgItemHwnd(nID);
        const int count = static_cast<int>(SendMessageW(hBox, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[256] = {};
            SendMessageW(hBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            entries.push_back(text);
        }
        return entries;
    }
    // QX_LOOK_MS=n keeps the window up for n ms, for a screenshot taken from outside.
    void PauseForLook() {
        if (const char* ms = getenv("QX_LOOK_MS")) app.PumpFor(static_cast<DWORD>(atoi(ms)));
    }
    HTREEITEM Root(int n) const {
        HTREEITEM h = tree->GetRootItem();
        while (h && n-- > 0) h = tree->GetNextItem(h, TVGN_NEXT);
        return h;
    }
    void Select(HTREEITEM h) {
        ASSERT_NE(nullptr, h);
        tree->SelectItem(h);
        app.PumpFor(20);
    }
    void Command(UINT nID) {
        app.Frame()->PostMessage(WM_COMMAND, nID);
        app.PumpFor(30);
    }
    // A click into the form makes it the active view (F6 would toggle).
    void ActivateForm() {
        form->SendMessage(WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(app.Frame()->m_hWnd),
                          MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
        app.PumpFor(30);
        ASSERT_EQ(form, app.Frame()->GetActiveView());
    }
    // Presses a Modify button; `steps` run in the dialog it opens.
    void Modify(int nButton, const wchar_t* caption, std::function<void(HWND)> steps) {
        WhenDialogOpens driver(caption, std::move(steps));
        SendMessageW(form->GetDlgItemHwnd(nButton), BM_CLICK, 0, 0);
        EXPECT_TRUE(driver.Ran()) << "no dialog";
        app.PumpFor(20);
    }

    MemoryMachine machine;
    qx::test::AccessGuard access{machine};
    std::vector<uint32_t> devInst;
    MessageBoxRecorder boxes;
    AppSession app;
    CVelorTreeView* tree = nullptr;
    CInfoView* form = nullptr;
};

}  // namespace

TEST_F(FormAndTreeTest, TreeListsClassesAndTheDevicesWithAnObject) {
    ASSERT_EQ(L"Alpha Class", tree->GetItemText(Root(0)));
    ASSERT_EQ(L"Beta Class", tree->GetItemText(Root(1)));
    EXPECT_EQ(nullptr, Root(2));

    HTREEITEM first = tree->GetNextItem(Root(0), TVGN_CHILD);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(L"0000", tree->GetItemText(first));
    HTREEITEM second = tree->GetNextItem(first, TVGN_NEXT);
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(L"000A", tree->GetItemText(second));  // 1 to 9 have no object: a gap
    EXPECT_EQ(nullptr, tree->GetNextItem(second, TVGN_NEXT));
    // A class without shown devices has no children, so no expand button.
    EXPECT_EQ(nullptr, tree->GetNextItem(Root(1), TVGN_CHILD));

    // Right after start-up the form shows the first class.
    EXPECT_EQ(L"Alpha Class", Field(IDC_CLASS_NAME));
    EXPECT_EQ(L"{1A2B3C4D-0001-0002-0102-030405060708}", Field(IDC_CLASS_GUID));
    EXPECT_EQ(L"classup", Field(IDC_CLASS_UPPER_FILTERS));
    EXPECT_EQ(L"", Field(IDC_CLASS_LOWER_FILTERS));
}

TEST_F(FormAndTreeTest, SelectingADeviceThenAClassShowsEachRecord) {
    Select(tree->GetNextItem(Root(0), TVGN_CHILD));
    EXPECT_EQ(L"\\QX0", Field(IDC_DEVICE_NAME));
    EXPECT_EQ(L"\\Device\\QX0", Field(IDC_DEVICE_PDO_NAME));
    EXPECT_EQ(L"First alpha device", Field(IDC_DEVICE_DESC));
    EXPECT_EQ(L"0000001f", Field(IDC_DEVICE_BUS_NUMBER));
    EXPECT_EQ(L"0000", Field(IDC_DEVICE_INSTANCE));
    // The device's own class GUID as stored, the class fields as the class has them.
    EXPECT_EQ(L"{1a2b3c4d-0001-0002-0102-030405060708}", Field(IDC_DEVICE_CLASS_GUID));
    EXPECT_EQ(L"{1A2B3C4D-0001-0002-0102-030405060708}", Field(IDC_CLASS_GUID));
    EXPECT_EQ(L"Alpha Class", Field(IDC_CLASS_NAME));
    // List boxes sort what they show.
    EXPECT_EQ((StringList{L"alpha", L"zeta"}), ListBox(IDC_UPPER_FILTERS_LIST));
    EXPECT_EQ((StringList{L"PCI\\CC_01", L"PCI\\CC_02"}), ListBox(IDC_COMPATIBLE_IDS_LIST));
    EXPECT_TRUE(ListBox(IDC_LOWER_FILTERS_LIST).empty());
    EXPECT_EQ(L"Modify Device &Upper Filters", Field(IDC_MODIFY_UPPER));
    EXPECT_EQ(L"Modify Device &Lower Filters", Field(IDC_MODIFY_LOWER));
    PauseForLook();

    Select(tree->GetNextItem(tree->GetNextItem(Root(0), TVGN_CHILD), TVGN_NEXT));
    EXPECT_EQ(L"000A", Field(IDC_DEVICE_INSTANCE));
    EXPECT_EQ(L"", Field(IDC_DEVICE_DESC));
    EXPECT_TRUE(ListBox(IDC_UPPER_FILTERS_LIST).empty());

    Select(Root(1));
    EXPECT_EQ(L"Beta Class", Field(IDC_CLASS_NAME));
    EXPECT_EQ(L"", Field(IDC_DEVICE_NAME));
    EXPECT_EQ(L"", Field(IDC_DEVICE_INSTANCE));
    EXPECT_TRUE(ListBox(IDC_COMPATIBLE_IDS_LIST).empty());
    EXPECT_EQ(L"Modify Class &Upper Filters", Field(IDC_MODIFY_UPPER));
    EXPECT_EQ(L"Modify Class &Lower Filters", Field(IDC_MODIFY_LOWER));
}

TEST_F(FormAndTreeTest, SafeModeAloneEnablesTheButtons) {
    HWND upper = form->GetDlgItemHwnd(IDC_MODIFY_UPPER), lower = form->GetDlgItemHwnd(IDC_MODIFY_LOWER);
    EXPECT_FALSE(IsWindowEnabled(upper));
    EXPECT_FALSE(IsWindowEnabled(lower));
    EXPECT_TRUE(MenuItemState(app, ID_OPTIONS_SAFE_MODE, true, true));  // the tree is active: still live
    ActivateForm();
    EXPECT_TRUE(MenuItemState(app, ID_OPTIONS_SAFE_MODE, true, true));
    Command(ID_OPTIONS_SAFE_MODE);
    EXPECT_TRUE(IsWindowEnabled(upper));
    EXPECT_TRUE(IsWindowEnabled(lower));
    EXPECT_TRUE(MenuItemState(app, ID_OPTIONS_SAFE_MODE, true, false));
    // Showing another record changes the captions only.
    Select(tree->GetNextItem(Root(0), TVGN_CHILD));
    EXPECT_TRUE(IsWindowEnabled(upper));
    ActivateForm();
    Command(ID_OPTIONS_SAFE_MODE);
    EXPECT_FALSE(IsWindowEnabled(upper));
    EXPECT_FALSE(IsWindowEnabled(lower));
    EXPECT_TRUE(MenuItemState(app, ID_OPTIONS_SAFE_MODE, true, true));
}

// With the focus in the tree, Alt+U and Alt+L press the form's Modify buttons, and the
// focus comes back to the tree.
TEST_F(FormAndTreeTest, ModifyMnemonicsWorkFromTheTree) {
    Select(tree->GetNextItem(Root(0), TVGN_CHILD));
    Command(ID_OPTIONS_SAFE_MODE);
    tree->SetFocus();
    for (const wchar_t* caption : {L"Modify Upper Filters", L"Modify Lower Filters"}) {
        WhenDialogOpens driver(caption, [](HWND hDlg) { Click(hDlg, IDCANCEL); });
        PostMessageW(tree->m_hWnd, WM_SYSCHAR, caption[7] == L'U' ? L'u' : L'l', 1 | (1u << 29));
        app.PumpFor(100);
        EXPECT_TRUE(driver.Ran()) << "no dialog for Alt+" << static_cast<char>(caption[7]);
        EXPECT_EQ(tree->m_hWnd, GetFocus());
    }
}

TEST_F(FormAndTreeTest, DeviceFilterEditIsStoredThroughTheDeviceSet) {
    Select(tree->GetNextItem(Root(0), TVGN_CHILD));
    ActivateForm();
    Command(ID_OPTIONS_SAFE_MODE);
    Modify(IDC_MODIFY_UPPER, L"Modify Upper Filters", [&](HWND hDlg) {
        EXPECT_EQ(L"zeta alpha", ItemText(hDlg, IDC_FILTERS_EDIT));  // list order, not sorted
        TypeText(hDlg, IDC_FILTERS_EDIT, L"newf zeta");
        Click(hDlg, IDOK);
    });
    ASSERT_EQ(1u, machine.PropertyWrites().size());
    const auto& write = machine.PropertyWrites()[0];
    EXPECT_EQ(devInst[0], write.devInst);
    EXPECT_EQ(qx::spdrp::UpperFilters, write.property);
    std::vector<uint8_t> expected = Bytes(std::wstring(L"newf\0zeta\0\0", 11));
    EXPECT_EQ(expected, write.data);
    EXPECT_EQ((StringList{L"newf", L"zeta"}), ListBox(IDC_UPPER_FILTERS_LIST));
    // Still the same device, with its class above it.
    EXPECT_EQ(L"0000", Field(IDC_DEVICE_INSTANCE));
    EXPECT_EQ(L"Alpha Class", Field(IDC_CLASS_NAME));
    // The restart the new list needs is offered; No (the default) restarts nothing.
    ASSERT_EQ(1u, boxes.Requests().size());
    EXPECT_EQ(0u, boxes.Requests()[0].text.find(
                      L"The new Upper Filters take effect when the device starts again. Restart "))
        << boxes.Requests()[0].text;
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2), boxes.Requests()[0].nType);
    EXPECT_TRUE(machine.RestartsAsked().empty());

    // A write the device refuses is reported, and the form keeps the stored list.
    machine.RefusePropertyWrites(devInst[0]);
    Modify(IDC_MODIFY_LOWER, L"Modify Lower Filters", [&](HWND hDlg) {
        EXPECT_EQ(L"", ItemText(hDlg, IDC_FILTERS_EDIT));
        TypeText(hDlg, IDC_FILTERS_EDIT, L"alpha");
        Click(hDlg, IDOK);
    });
    ASSERT_EQ(2u, boxes.Requests().size());  // no restart is offered for a list not written
    EXPECT_EQ(L"Unable to Modify Lower Filters", boxes.Requests()[1].text);
    EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL | MB_ICONHAND), boxes.Requests()[1].nType);
    EXPECT_TRUE(ListBox(IDC_LOWER_FILTERS_LIST).empty());
    EXPECT_EQ((StringList{L"newf", L"zeta"}), ListBox(IDC_UPPER_FILTERS_LIST));
}

TEST_F(FormAndTreeTest, ADeviceListReleasedUnderTheDialogTakesNoWrite) {
    Select(tree->GetNextItem(Root(0), TVGN_CHILD));
    ActivateForm();
    Command(ID_OPTIONS_SAFE_MODE);
    Modify(IDC_MODIFY_UPPER, L"Modify Upper Filters", [&](HWND hDlg) {
        app.Document()->BuildDriverClasses();  // as a reopen would: every record is new
        TypeText(hDlg, IDC_FILTERS_EDIT, L"newf");
        Click(hDlg, IDOK);
    });
    EXPECT_TRUE(machine.PropertyWrites().empty());
    ASSERT_EQ(1u, boxes.Requests().size());
    EXPECT_EQ(0u, boxes.Requests()[0].text.find(L"The class list was reloaded while the dialog was open"));
}

// Windows selects a neighbour of each item it deletes and says so; Wine does not, so
// the test says it for it, handing over the record of the item being deleted.
TEST_F(FormAndTreeTest, EmptyingTheTreeNeverHandsTheFormARecordBeingReleased) {
    Select(tree->GetNextItem(Root(0), TVGN_CHILD));
    HWND hParent = GetParent(tree->m_hWnd);
    static WNDPROC s_original;
    static HWND s_tree;
    s_tree = tree->m_hWnd;
    s_original = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        hParent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND h, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
            LRESULT result = CallWindowProcW(s_original, h, msg, w, l);
            const auto* deleted = reinterpret_cast<const NMTREEVIEWW*>(l);
            if (msg == WM_NOTIFY && deleted->hdr.hwndFrom == s_tree && deleted->hdr.code == TVN_DELETEITEMW) {
                NMTREEVIEWW change = {};
                change.hdr = deleted->hdr;
                change.hdr.code = TVN_SELCHANGINGW;
                change.itemNew = deleted->itemOld;
                CallWindowProcW(s_original, h, WM_NOTIFY, w, reinterpret_cast<LPARAM>(&change));
            }
            return result;
        })));
    app.Document()->ReleaseDriverClasses();
    SetWindowLongPtrW(hParent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s_original));
    EXPECT_EQ(0u, tree->GetCount());
    EXPECT_EQ(nullptr, form->GetCurrentClass());
    EXPECT_EQ(nullptr, form->GetCurrentDevice());
}

TEST_F(FormAndTreeTest, RefreshReadsTheRegistryAgainAndKeepsTheSelection) {
    HTREEITEM hDevice = tree->GetNextItem(tree->GetNextItem(Root(0), TVGN_CHILD), TVGN_NEXT);
    Select(hDevice);
    ASSERT_EQ(L"000A", Field(IDC_DEVICE_INSTANCE));
    machine.PutStringProperty(devInst[10], qx::spdrp::DeviceDesc, L"Renamed outside");
    machine.PutMultiSz(MemoryMachine::ClassKeyPath(kAlpha), L"UpperFilters", {L"classup", L"newf"});
    Command(ID_VIEW_REFRESH);  // F5, from wherever the focus is
    HTREEITEM hSelected = tree->GetSelectedItem();
    ASSERT_NE(nullptr, hSelected);
    EXPECT_EQ(L"000A", tree->GetItemText(hSelected));
    EXPECT_EQ(L"000A", Field(IDC_DEVICE_INSTANCE));
    EXPECT_EQ(L"Renamed outside", Field(IDC_DEVICE_DESC));
    EXPECT_EQ(L"classup newf", Field(IDC_CLASS_UPPER_FILTERS));
    EXPECT_EQ(2u, app.Document()->GetDriverClasses().size());

    // A class stays selected too.
    Select(Root(1));
    Command(ID_VIEW_REFRESH);
    EXPECT_EQ(L"Beta Class", tree->GetItemText(tree->GetSelectedItem()));
    EXPECT_EQ(L"Beta Class", Field(IDC_CLASS_NAME));
    EXPECT_TRUE(boxes.Requests().empty());
}

TEST_F(FormAndTreeTest, HiddenNamesAndDeviceProblemsShowInTheForm) {
    // Names after an empty string: the platform never reads them, the form shows them.
    machine.PutValue(MemoryMachine::ClassKeyPath(kAlpha), L"UpperFilters", qx::kRegMultiSz,
                     Bytes(std::wstring(L"classup\0\0zeta\0\0", 15)));
    machine.SetDeviceStatus(devInst[0], 0x01802400, 39);
    Select(tree->GetNextItem(Root(0), TVGN_CHILD));
    EXPECT_EQ(L"classup (hidden: zeta)", Field(IDC_CLASS_UPPER_FILTERS));
    EXPECT_NE(std::wstring::npos, Field(IDC_DEVICE_GROUP).find(L"Code 39"));
    ActivateForm();
    Command(ID_OPTIONS_SAFE_MODE);
    bool opened = false;
    Select(Root(0));
    Modify(IDC_MODIFY_UPPER, L"Modify Upper Filters - Alpha Class (hidden entries dropped: zeta)", [&](HWND hDlg) {
        opened = true;
        EXPECT_EQ(L"classup", ItemText(hDlg, IDC_FILTERS_EDIT));  // the visible names only
        Click(hDlg, IDCANCEL);
    });
    EXPECT_TRUE(opened);
    EXPECT_EQ(L"Device Information", Field(IDC_DEVICE_GROUP));  // a class has no problem line
}

TEST_F(FormAndTreeTest, RegistryParametersListTheSelectedDevicesDriverKey) {
    HWND list = form->GetDlgItemHwnd(IDC_REGISTRY_LIST);
    auto cell = [&](int item, int sub) {
        wchar_t text[260] = {};
        LVITEMW lvi{};
        lvi.iSubItem = sub;
        lvi.pszText = text;
        lvi.cchTextMax = 260;
        SendMessageW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&lvi));
        return std::wstring(text);
    };
    auto rows = [&] { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); };

    ActivateForm();
    Command(ID_OPTIONS_REGISTRY_PARAMETERS);  // on, with a class shown: empty
    EXPECT_TRUE(IsWindowVisible(list));
    EXPECT_EQ(0, rows());
    // The controls the list lies over are hidden while it is shown.
    EXPECT_FALSE(IsWindowVisible(form->GetDlgItemHwnd(IDC_UPPER_FILTERS_LIST)));
    EXPECT_FALSE(IsWindowVisible(form->GetDlgItemHwnd(IDC_DEVICE_INSTANCE)));
    EXPECT_TRUE(IsWindowVisible(form->GetDlgItemHwnd(IDC_DEVICE_NAME)));

    Select(tree->GetNextItem(Root(0), TVGN_CHILD));
    ASSERT_EQ(3, rows());
    EXPECT_EQ(L"", cell(0, 0));
    EXPECT_EQ(L"DriverDesc", cell(0, 1));
    EXPECT_EQ(L"REG_SZ", cell(0, 2));
    EXPECT_EQ(L"Alpha driver", cell(0, 3));
    EXPECT_EQ(L"REG_DWORD", cell(1, 2));
    EXPECT_EQ(L"-1", cell(1, 3));
    EXPECT_EQ(L"Parameters\\Sub", cell(2, 0));
    EXPECT_EQ(L"UNKNOWN", cell(2, 2));
    EXPECT_EQ(L"", cell(2, 3));

    // A device without a driver key shows an empty list; so does a class.
    Select(tree->GetNextItem(tree->GetNextItem(Root(0), TVGN_CHILD), TVGN_NEXT));
    EXPECT_EQ(0, rows());
    Select(tree->GetNextItem(Root(0), TVGN_CHILD));
    EXPECT_EQ(3, rows());
    Select(Root(1));
    EXPECT_EQ(0, rows());

    // Off keeps the rows but hides the list and shows the fields again; on refills.
    Select(tree->GetNextItem(Root(0), TVGN_CHILD));
    ActivateForm();
    Command(ID_OPTIONS_REGISTRY_PARAMETERS);
    EXPECT_FALSE(IsWindowVisible(list));
    EXPECT_TRUE(IsWindowVisible(form->GetDlgItemHwnd(IDC_UPPER_FILTERS_LIST)));
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    Command(ID_OPTIONS_REGISTRY_PARAMETERS);
    EXPECT_EQ(3, rows());
}

TEST(TreeNumbers, DeviceNumbersPastFourDigitsGrow) {
    MemoryMachine machine;
    qx::test::AccessGuard access{machine};
    const qx::Guid big = {0x2b3c4d5e, 0x0001, 0x0002, {1, 2, 3, 4, 5, 6, 7, 8}};
    machine.AddClass(big, L"Many Devices");
    uint32_t last = 0;
    for (int i = 0; i <= 0x10000; ++i) last = machine.AddDevice(big);
    machine.PutStringProperty(last, qx::spdrp::PhysicalDeviceObjectName, L"\\Device\\QXLAST");
    MessageBoxRecorder boxes;
    // No splash: stepping its bar across threads once per device would take this test
    // most of its time limit under Wine, and the labels are what is tested here.
    const UINT previousTemplate = CSplashScreenThread::SetDialogTemplate(0x7FFF);
    AppSession app;
    const bool started = app.Start(kVersion10);
    CSplashScreenThread::SetDialogTemplate(previousTemplate);
    ASSERT_TRUE(started);
    auto* tree = dynamic_cast<CVelorTreeView*>(app.Frame()->GetSplitter().GetPane(0, 0));
    ASSERT_NE(nullptr, tree);
    HTREEITEM child = tree->GetNextItem(tree->GetRootItem(), TVGN_CHILD);
    ASSERT_NE(nullptr, child);
    EXPECT_EQ(L"10000", tree->GetItemText(child));
}

TEST_F(FormAndTreeTest, DeviceNamesFindAndTheInstanceIdHelpFindADevice) {
    machine.PutStringProperty(devInst[10], qx::spdrp::FriendlyName, L"Standard PS/2 Keyboard");
    machine.PutMultiSzProperty(devInst[10], qx::spdrp::HardwareId, {L"ACPI\\PNP0303"});
    Command(ID_VIEW_REFRESH);
    HTREEITEM hFirst = tree->GetNextItem(Root(0), TVGN_CHILD), hSecond = tree->GetNextItem(hFirst, TVGN_NEXT);
    EXPECT_EQ(L"000A", tree->GetItemText(hSecond));  // numbers by default
    tree->SetDeviceNames(true);
    EXPECT_EQ(L"0000 First alpha device", tree->GetItemText(hFirst));
    EXPECT_EQ(L"000A Standard PS/2 Keyboard", tree->GetItemText(hSecond));  // the friendly name first
    tree->SetDeviceNames(false);
    EXPECT_EQ(L"000A", tree->GetItemText(hSecond));
    EXPECT_TRUE(tree->GetStyle() & TVS_SHOWSELALWAYS);

    // Find: any case, any of the texts, round from the selection; the class opens.
    tree->SetDeviceNames(true);
    Select(Root(1));
    tree->SendMessage(TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(Root(0)));
    EXPECT_TRUE(tree->FindNext(L"pnp0303"));
    app.PumpFor(20);
    EXPECT_EQ(hSecond, tree->GetSelectedItem());
    EXPECT_TRUE(tree->SendMessage(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(Root(0)), TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_EQ(L"Standard PS/2 Keyboard", Field(IDC_DEVICE_FRIENDLY_NAME));
    EXPECT_FALSE(Field(IDC_DEVICE_INSTANCE_ID).empty());
    PauseForLook();
    EXPECT_TRUE(tree->FindNext(L"ZETA"));  // a filter name: device 0000's list
    EXPECT_EQ(hFirst, tree->GetSelectedItem());
    EXPECT_TRUE(tree->FindNext(L"beta"));
    EXPECT_EQ(Root(1), tree->GetSelectedItem());
    EXPECT_FALSE(tree->FindNext(L"nothing has this"));
    EXPECT_EQ(Root(1), tree->GetSelectedItem());

    // Refresh keeps the class open.
    Command(ID_VIEW_REFRESH);
    EXPECT_TRUE(tree->SendMessage(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(Root(0)), TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_TRUE(boxes.Requests().empty());
}
