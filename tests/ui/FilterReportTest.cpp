// The Check Filters report driven as a user drives it, on the in-memory machine: the
// command opens it, rows sort by column with errors first, an opened row selects its
// class or device in the tree, and Remove Broken Names writes only after Safe Mode is
// off and the user said Yes to the old and new list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "model/ListValidation.h"
#include "model/TextForms.h"
#include "res/resource.h"
#include "tests/support/MemoryMachine.h"
#include "tests/support/Recorders.h"
#include "tests/support/TestData.h"
#include "tests/ui/AppHarness.h"
#include "tests/ui/DialogDriver.h"
#include "ui/FilterReportDlg.h"
#include "ui/InfoView.h"
#include "ui/VelorTreeView.h"

using namespace qxtest;
using qx::test::MemoryMachine;

namespace {

const qx::Guid kAlpha = {0x2a2b3c4d, 0x0001, 0x0002, {1, 2, 3, 4, 5, 6, 7, 8}};
const wchar_t kServices[] = L"System\\CurrentControlSet\\Services\\";

class FilterReportTest : public ::testing::Test {
protected:
    void Start() {
        ASSERT_TRUE(app.Start(kVersion10));
        tree = dynamic_cast<CVelorTreeView*>(app.Frame()->GetSplitter().GetPane(0, 0));
        form = dynamic_cast<CInfoView*>(app.Frame()->GetSplitter().GetPane(0, 1));
        ASSERT_TRUE(tree && form);
        Command(ID_OPTIONS_CHECK_FILTERS);
        report = app.Frame()->GetFilterReport();
        ASSERT_NE(nullptr, report);
        ASSERT_TRUE(report->IsWindowVisible());
    }
    void AddService(const std::wstring& name) {
        machine.PutDword(kServices + name, L"Type", 1);
        machine.PutDword(kServices + name, L"Start", 3);
        machine.AddFile(L"C:\\Windows\\System32\\drivers\\" + name + L".sys");
    }
    void Command(UINT nID) {
        app.Frame()->PostMessage(WM_COMMAND, nID);
        app.PumpFor(30);
    }
    StringList Column(int nColumn) {
        StringList texts;
        for (int i = 0; i < report->GetList().GetItemCount(); ++i) texts.push_back(report->GetList().GetItemText(i, nColumn));
        return texts;
    }
    int Row(const std::wstring& name) {
        StringList names = Column(CFilterReportDlg::kName);
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == name) return static_cast<int>(i);
        return -1;
    }
    void Notify(UINT code, int nItem, int nSubItem) {
        NMITEMACTIVATE nm = {};
        nm.hdr.hwndFrom = report->GetList().m_hWnd;
        nm.hdr.idFrom = IDC_CHECK_LIST;
        nm.hdr.code = code;
        nm.iItem = nItem;
        nm.iSubItem = nSubItem;
        report->SendMessage(WM_NOTIFY, IDC_CHECK_LIST, reinterpret_cast<LPARAM>(&nm));
    }
    void SelectRow(int nItem) {
        LVITEMW item = {};
        item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
        report->GetList().SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item));
    }
    StringList ClassUpper() {
        const qx::test::StoredValue* value = machine.FindValue(MemoryMachine::ClassKeyPath(kAlpha), L"UpperFilters");
        StringList names;
        if (value) qx::AppendMultiSz(names, value->data.data(), value->data.size());
        return names;
    }
    // QX_LOOK_MS=n keeps the window up for n ms, for a screenshot taken from outside.
    void PauseForLook() {
        if (const char* ms = getenv("QX_LOOK_MS")) app.PumpFor(static_cast<DWORD>(atoi(ms)));
    }

    MemoryMachine machine;
    qx::test::AccessGuard access{machine};
    AppSession app;
    CVelorTreeView* tree = nullptr;
    CInfoView* form = nullptr;
    CFilterReportDlg* report = nullptr;
};

}  // namespace

TEST_F(FilterReportTest, CleanMachineSaysSo) {
    machine.AddClass(kAlpha, L"Alpha Class");
    AddService(L"good");
    machine.PutMultiSz(MemoryMachine::ClassKeyPath(kAlpha), L"UpperFilters", {L"good"});
    MessageBoxRecorder boxes;
    Start();
    EXPECT_EQ(0, report->GetList().GetItemCount());
    wchar_t summary[256] = {};
    GetDlgItemTextW(report->m_hWnd, IDC_CHECK_SUMMARY, summary, 256);
    EXPECT_EQ(L"No problems found: every filter list names installed drivers that can start.", std::wstring(summary));
    EXPECT_FALSE(IsWindowEnabled(report->GetDlgItemHwnd(IDC_CHECK_REMOVE)));
    // The command again finds the same window; Close destroys it.
    Command(ID_OPTIONS_CHECK_FILTERS);
    EXPECT_EQ(report, app.Frame()->GetFilterReport());
    SendMessageW(report->GetDlgItemHwnd(IDCANCEL), BM_CLICK, 0, 0);
    app.PumpFor(20);
    EXPECT_EQ(nullptr, app.Frame()->GetFilterReport());
}

// A machine whose device set cannot be taken yields no class: that is no clean bill.
TEST_F(FilterReportTest, NothingReadIsNeverHealthy) {
    machine.AddClass(kAlpha, L"Alpha Class");
    machine.FailDeviceSets();
    MessageBoxRecorder boxes;
    Start();
    wchar_t summary[256] = {};
    GetDlgItemTextW(report->m_hWnd, IDC_CHECK_SUMMARY, summary, 256);
    EXPECT_EQ(L"No device setup class could be read from this machine.", std::wstring(summary));
}

TEST_F(FilterReportTest, SortsGoesToAndRemovesBrokenNames) {
    machine.AddClass(kAlpha, L"Alpha Class");
    AddService(L"good");
    machine.PutMultiSz(MemoryMachine::ClassKeyPath(kAlpha), L"UpperFilters", {L"good", L"missing", L"good"});
    const uint32_t dev = machine.AddDevice(kAlpha);
    machine.PutStringProperty(dev, qx::spdrp::PhysicalDeviceObjectName, L"\\Device\\QX0");
    machine.PutStringProperty(dev, qx::spdrp::DeviceDesc, L"Alpha device");
    machine.PutMultiSzProperty(dev, qx::spdrp::LowerFilters, {L"absent"});
    MessageBoxRecorder boxes(IDNO);
    Start();

    // Errors first, then the warning; the summary counts them and their lists.
    EXPECT_TRUE(qx::test::ListIs(Column(CFilterReportDlg::kSeverity), {L"Error", L"Error", L"Warning"}));
    wchar_t summary[256] = {};
    GetDlgItemTextW(report->m_hWnd, IDC_CHECK_SUMMARY, summary, 256);
    EXPECT_EQ(L"2 errors and 1 warning in 2 filter lists.", std::wstring(summary));
    ASSERT_GE(Row(L"absent"), 0);
    EXPECT_EQ(L"Alpha device (Alpha Class)", report->GetList().GetItemText(Row(L"absent"), CFilterReportDlg::kTarget));
    EXPECT_EQ(L"Device Lower Filters", report->GetList().GetItemText(Row(L"absent"), CFilterReportDlg::kList));
    EXPECT_EQ(L"missing-service", report->GetList().GetItemText(Row(L"absent"), CFilterReportDlg::kRule));

    // The tree shows the class and the device the check found something in in bold.
    HTREEITEM hClass = tree->GetRootItem();
    HTREEITEM hDevice = tree->GetNextItem(hClass, TVGN_CHILD);
    ASSERT_NE(nullptr, hDevice);
    for (HTREEITEM h : {hClass, hDevice})
        EXPECT_TRUE(tree->SendMessage(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(h), TVIS_BOLD) & TVIS_BOLD);
    // QX_LOOK_MS=n keeps the windows up for n ms, for a screenshot taken from outside.
    if (const char* ms = getenv("QX_LOOK_MS")) app.PumpFor(static_cast<DWORD>(atoi(ms)));

    // A click on Name sorts by name; a second click reverses.
    Notify(LVN_COLUMNCLICK, -1, CFilterReportDlg::kName);
    EXPECT_TRUE(qx::test::ListIs(Column(CFilterReportDlg::kName), {L"absent", L"good", L"missing"}));
    Notify(LVN_COLUMNCLICK, -1, CFilterReportDlg::kName);
    EXPECT_TRUE(qx::test::ListIs(Column(CFilterReportDlg::kName), {L"missing", L"good", L"absent"}));

    // Opening a row selects its device, or its class, in the tree.
    Notify(LVN_ITEMACTIVATE, Row(L"absent"), 0);
    app.PumpFor(20);
    EXPECT_EQ(L"0000", tree->GetItemText(tree->GetSelectedItem()));
    SelectRow(Row(L"missing"));
    ::SetFocus(report->GetList().m_hWnd);
    PressEnter(report->m_hWnd);
    app.PumpFor(30);
    EXPECT_EQ(L"Alpha Class", tree->GetItemText(tree->GetSelectedItem()));
    PauseForLook();

    // Safe Mode on: nothing is asked and nothing written.
    SendMessageW(report->GetDlgItemHwnd(IDC_CHECK_REMOVE), BM_CLICK, 0, 0);
    ASSERT_EQ(1u, boxes.Requests().size());
    EXPECT_NE(std::wstring::npos, boxes.Requests()[0].text.find(L"Safe Mode is on"));
    EXPECT_TRUE(qx::test::ListIs(ClassUpper(), {L"good", L"missing", L"good"}));

    // Safe Mode off (from the form, as the menu reaches it): the user sees old and new
    // list; No writes nothing.
    form->SendMessage(WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(app.Frame()->m_hWnd), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    Command(ID_OPTIONS_SAFE_MODE);
    ASSERT_FALSE(form->IsSafeMode());
    SendMessageW(report->GetDlgItemHwnd(IDC_CHECK_REMOVE), BM_CLICK, 0, 0);
    ASSERT_EQ(2u, boxes.Requests().size());
    EXPECT_EQ(L"Alpha Class, Class Upper Filters\n\nStored: good missing good\nNew: good\n\nWrite the new list?",
              boxes.Requests()[1].text);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2), boxes.Requests()[1].nType);
    EXPECT_TRUE(qx::test::ListIs(ClassUpper(), {L"good", L"missing", L"good"}));
    {
        MessageBoxRecorder yes(IDYES);
        SelectRow(Row(L"missing"));
        SendMessageW(report->GetDlgItemHwnd(IDC_CHECK_REMOVE), BM_CLICK, 0, 0);
        // Then the restart of the class's devices, and its results.
        ASSERT_EQ(3u, yes.Requests().size());
        EXPECT_EQ(0u, yes.Requests()[1].text.find(L"The new Upper Filters take effect when the device"))
            << yes.Requests()[1].text;
        EXPECT_EQ(0u, yes.Requests()[2].text.find(L"Restarted: ")) << yes.Requests()[2].text;
    }
    EXPECT_TRUE(qx::test::ListIs(ClassUpper(), {L"good"}));
    // The report runs again: only the device's finding is left, and the form shows the new list.
    EXPECT_TRUE(qx::test::ListIs(Column(CFilterReportDlg::kName), {L"absent"}));
    wchar_t upper[128] = {};
    GetWindowTextW(form->GetDlgItemHwnd(IDC_CLASS_UPPER_FILTERS), upper, 128);
    EXPECT_EQ(L"good", std::wstring(upper));
}

// The repair never brings back a name hidden after an empty string, says which go, and
// then asks what an edit of a disk list asks (boot start, a class the machine needs).
TEST_F(FilterReportTest, RemoveKeepsHiddenNamesOutAndAsksAsAnEditDoes) {
    qx::Guid disk;
    ASSERT_TRUE(qx::ParseGuid(L"{4D36E967-E325-11CE-BFC1-08002BE10318}", &disk));
    machine.AddClass(disk, L"Disk drives");
    AddService(L"good");
    AddService(L"hiddenok");
    std::vector<uint8_t> data = qx::test::MultiSzBytes({L"good", L"missing"});
    data.resize(data.size() - 2);
    for (const wchar_t* part : {L"", L"hiddenok", L""}) {
        auto bytes = qx::test::Utf16Bytes(part);
        data.insert(data.end(), bytes.begin(), bytes.end());
    }
    machine.PutValue(MemoryMachine::ClassKeyPath(disk), L"UpperFilters", qx::kRegMultiSz, data);
    MessageBoxRecorder boxes(IDNO);
    Start();
    form->SendMessage(WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(app.Frame()->m_hWnd), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    Command(ID_OPTIONS_SAFE_MODE);
    ASSERT_FALSE(form->IsSafeMode());
    {
        MessageBoxRecorder yes(IDYES);
        SelectRow(Row(L"missing"));
        SendMessageW(report->GetDlgItemHwnd(IDC_CHECK_REMOVE), BM_CLICK, 0, 0);
        ASSERT_EQ(3u, yes.Requests().size());
        EXPECT_NE(std::wstring::npos, yes.Requests()[0].text.find(L"\nNew: good (hidden entries dropped: hiddenok)\n"))
            << qx::test::Narrow(yes.Requests()[0].text);
        for (size_t i : {1u, 2u}) EXPECT_EQ(static_cast<UINT>(qx::kValidationQuestionType), yes.Requests()[i].nType);
    }
    const qx::test::StoredValue* value = machine.FindValue(MemoryMachine::ClassKeyPath(disk), L"UpperFilters");
    ASSERT_NE(nullptr, value);
    EXPECT_TRUE(qx::test::BytesAre(value->data, qx::test::MultiSzBytes({L"good"})));
}

TEST_F(FilterReportTest, DetailCopySaveAndTheSelectionAfterARerun) {
    machine.AddClass(kAlpha, L"Alpha Class");
    machine.PutMultiSz(MemoryMachine::ClassKeyPath(kAlpha), L"UpperFilters", {L"missing", L"gone, \"quoted\""});
    MessageBoxRecorder boxes;
    Start();
    ASSERT_EQ(2, report->GetList().GetItemCount());
    wchar_t detail[1024] = {};
    GetDlgItemTextW(report->m_hWnd, IDC_CHECK_DETAIL, detail, 1024);
    EXPECT_EQ(L"", std::wstring(detail));  // nothing selected yet

    // The selected finding's whole sentence below the list.
    const int nItem = Row(L"missing");
    ASSERT_GE(nItem, 0);
    SelectRow(nItem);
    app.PumpFor(20);
    GetDlgItemTextW(report->m_hWnd, IDC_CHECK_DETAIL, detail, 1024);
    const std::wstring sentence = report->GetList().GetItemText(nItem, CFilterReportDlg::kSentence);
    EXPECT_NE(std::wstring::npos, std::wstring(detail).find(sentence)) << detail;

    // A heading line and a line a row; CSV quotes what needs it.
    const std::wstring tabs = report->GetText(ReportFormat::Tabs);
    EXPECT_EQ(0u, tabs.find(L"Severity\tClass or Device\tList\tName\tRule\tWhat happens, and what to do\r\n"));
    EXPECT_EQ(3, std::count(tabs.begin(), tabs.end(), L'\n'));
    const std::wstring csv = report->GetText(ReportFormat::Csv);
    EXPECT_NE(std::wstring::npos, csv.find(L",\"gone, \"\"quoted\"\"\",")) << csv;
    ASSERT_TRUE(report->CopyToClipboard());
    EXPECT_EQ(L"Copied 2 rows to the clipboard.", app.Frame()->GetStatusBar().GetPaneText(0));

    wchar_t temp[MAX_PATH + 1] = {}, file[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    GetTempFileNameW(temp, L"qxr", 0, file);
    ASSERT_TRUE(report->SaveAs(file));
    std::string bytes;
    if (FILE* f = _wfopen(file, L"rb")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
        fclose(f);
    }
    DeleteFileW(file);
    EXPECT_EQ(0u, bytes.find("\xEF\xBB\xBF" "Severity,Class or Device,"));
    EXPECT_NE(std::string::npos, bytes.find("\"gone, \"\"quoted\"\"\""));

    // A rerun keeps the same finding selected.
    Command(ID_OPTIONS_CHECK_FILTERS);
    const int nAfter = static_cast<int>(report->GetList().SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    ASSERT_GE(nAfter, 0);
    EXPECT_EQ(L"missing", report->GetList().GetItemText(nAfter, CFilterReportDlg::kName));

    // The main window's shortcuts work while the report is active: Ctrl+K checks again.
    MSG msg{report->GetList().m_hWnd, WM_KEYDOWN, 'K', 0, 0, {}};
    BYTE keys[256] = {}, withCtrl[256] = {};
    GetKeyboardState(keys);
    std::copy(std::begin(keys), std::end(keys), withCtrl);
    withCtrl[VK_CONTROL] = 0x80;
    SetKeyboardState(withCtrl);
    const BOOL bTaken = report->PreTranslateMessage(&msg);
    SetKeyboardState(keys);
    EXPECT_TRUE(bTaken);
    EXPECT_TRUE(boxes.Requests().empty());
}
