// The whole road on Wine's registry, as a user takes it: select a class, turn Safe
// Mode off from the menu, press Modify, type the names, OK; then read the class key
// with the platform's own functions.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/support/WineScratch.h"
#include "tests/ui/AppHarness.h"
#include "tests/ui/DdeClient.h"
#include "tests/ui/DialogDriver.h"
#include "ui/InfoView.h"
#include "ui/VelorTreeView.h"

using namespace qxtest;
namespace wine = qx::test::wine;

namespace {

class EditRoadOnWine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.IsValid() && first.IsValid() && second.IsValid());
        ASSERT_TRUE(app.Start(kVersion10));
        tree = dynamic_cast<CVelorTreeView*>(app.Frame()->GetSplitter().GetPane(0, 0));
        form = dynamic_cast<CInfoView*>(app.Frame()->GetSplitter().GetPane(0, 1));
        ASSERT_TRUE(tree && form);
    }

    HTREEITEM FindRoot(const std::wstring& text) const {
        for (HTREEITEM h = tree->GetRootItem(); h; h = tree->GetNextItem(h, TVGN_NEXT))
            if (tree->GetItemText(h) == text) return h;
        return nullptr;
    }
    std::wstring Field(int nID) const {
        wchar_t text[512] = {};
        GetWindowTextW(form->GetDlgItemHwnd(nID), text, 512);
        return text;
    }
    void MenuCommand(UINT nID) {
        // As the menu sends it: WM_COMMAND to the frame, routed to the active view.
        app.Frame()->PostMessage(WM_COMMAND, MAKEWPARAM(nID, 0));
        app.PumpFor(30);
    }
    // Selects the class, clicks into the form and turns Safe Mode off from the menu.
    void ReadyToEdit(HTREEITEM item) {
        ASSERT_NE(nullptr, item);
        tree->SelectItem(item);
        app.PumpFor(20);
        form->SendMessage(WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(app.Frame()->m_hWnd),
                          MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
        app.PumpFor(20);
        MenuCommand(ID_OPTIONS_SAFE_MODE);
        ASSERT_TRUE(IsWindowEnabled(form->GetDlgItemHwnd(IDC_MODIFY_UPPER)));
    }
    void EditUpperFilters(const std::wstring& text) {
        WhenDialogOpens driver(L"Modify Upper Filters", [&](HWND hDlg) {
            TypeText(hDlg, IDC_FILTERS_EDIT, text);
            Click(hDlg, IDOK);
        });
        SendMessageW(form->GetDlgItemHwnd(IDC_MODIFY_UPPER), BM_CLICK, 0, 0);
        ASSERT_TRUE(driver.Ran());
        app.PumpFor(20);
    }

    // Its GUID sorts after every class Wine has, so that it is never the first class
    // (the one a rebuilt list would show).
    static GUID LastGuid() {
        GUID guid = wine::RandomGuid();
        guid.Data1 |= 0xFFF00000u;
        return guid;
    }
    wine::ScratchClass scratch{LastGuid(), L"Quillex Edit Road Class"};
    wine::ScratchService first{L"QxTestSvc", true}, second{L"QxTestSvc", true};
    MessageBoxRecorder boxes{IDYES};  // a warning of the check is answered Yes
    AppSession app;
    CVelorTreeView* tree = nullptr;
    CInfoView* form = nullptr;
};

}  // namespace

TEST_F(EditRoadOnWine, ClassUpperFiltersAreStoredAndCleared) {
    HTREEITEM item = FindRoot(L"Quillex Edit Road Class");
    ASSERT_NE(nullptr, item);
    tree->SelectItem(item);
    app.PumpFor(20);
    ASSERT_EQ(scratch.UpperGuid(), Field(IDC_CLASS_GUID));

    // Click into the form, then Options > Safe Mode.
    form->SendMessage(WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(app.Frame()->m_hWnd),
                      MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    app.PumpFor(20);
    MenuCommand(ID_OPTIONS_SAFE_MODE);
    ASSERT_TRUE(IsWindowEnabled(form->GetDlgItemHwnd(IDC_MODIFY_UPPER)));
    ASSERT_EQ(L"Modify Class &Upper Filters", Field(IDC_MODIFY_UPPER));

    EditUpperFilters(first.Name() + L" " + second.Name() + L" " + first.Name());
    wine::RegValue value;
    ASSERT_TRUE(wine::ReadValue(scratch.KeyPath(), L"UpperFilters", &value));
    EXPECT_EQ(static_cast<DWORD>(REG_MULTI_SZ), value.type);
    std::wstring expected = first.Name() + L'\0' + second.Name() + L'\0' + first.Name() + L'\0' + L'\0';
    ASSERT_EQ(expected.size() * 2, value.data.size());
    EXPECT_EQ(0, memcmp(expected.data(), value.data.data(), value.data.size()));
    EXPECT_EQ(first.Name() + L" " + second.Name() + L" " + first.Name(), Field(IDC_CLASS_UPPER_FILTERS));

    // The name given twice was a warning of the check, answered Yes.
    ASSERT_EQ(1u, boxes.Requests().size());
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2), boxes.Requests()[0].nType);

    // An emptied text deletes the value.
    EditUpperFilters(L"");
    EXPECT_FALSE(wine::ReadValue(scratch.KeyPath(), L"UpperFilters", &value));
    EXPECT_EQ(L"", Field(IDC_CLASS_UPPER_FILTERS));
    EXPECT_EQ(1u, boxes.Requests().size());

    // Emptying a list that is already empty has nothing to delete: reported, nothing changes.
    EditUpperFilters(L" ");
    ASSERT_EQ(2u, boxes.Requests().size());
    EXPECT_EQ(L"Unable to Modify Upper Filters", boxes.Requests()[1].text);
    EXPECT_EQ(L"", Field(IDC_CLASS_UPPER_FILTERS));
}

TEST_F(EditRoadOnWine, AShellOpenDuringTheDialogWaitsAndTheEditReachesItsOwnClass) {
    HTREEITEM item = FindRoot(L"Quillex Edit Road Class");
    ASSERT_NE(tree->GetRootItem(), item);  // not the first class, which a rebuild would show
    ReadyToEdit(item);
    const std::wstring firstClassKey =
        std::wstring(L"System\\CurrentControlSet\\Control\\Class\\") +
        reinterpret_cast<CDriverClass*>(tree->GetItemData(tree->GetRootItem()))->GetGuidString();
    wine::RegValue before, after;
    const bool firstHadList = wine::ReadValue(firstClassKey, L"UpperFilters", &before);

    ScratchFile file{L"opened during the edit.zqm"};
    DdeClient client;
    WhenDialogOpens driver(L"Modify Upper Filters", [&](HWND hDlg) {
        // The shell's open request arrives while the dialog's own loop runs.
        ASSERT_TRUE(client.Initiate(app.Frame()->m_hWnd, theApp.m_pszExeName.c_str(), L"system"));
        client.Execute(L"[open(\"" + file.Path() + L"\")]");
        for (DWORD start = GetTickCount(); !client.Answered() && GetTickCount() - start < 5000;) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            Sleep(5);
        }
        EXPECT_TRUE(client.Acknowledged());
        EXPECT_NE(nullptr, FindRoot(L"Quillex Edit Road Class"));  // nothing rebuilt yet
        TypeText(hDlg, IDC_FILTERS_EDIT, first.Name());
        Click(hDlg, IDOK);
    });
    SendMessageW(form->GetDlgItemHwnd(IDC_MODIFY_UPPER), BM_CLICK, 0, 0);
    ASSERT_TRUE(driver.Ran());
    // Then the document opens.
    const std::wstring title = file.Path().substr(file.Path().find_last_of(L'\\') + 1);
    ASSERT_TRUE(app.PumpUntil([&] { return app.Document()->GetTitle() == title; }));
    client.Terminate();

    wine::RegValue value;
    ASSERT_TRUE(wine::ReadValue(scratch.KeyPath(), L"UpperFilters", &value));
    const std::wstring expected = first.Name() + L'\0' + L'\0';
    ASSERT_EQ(expected.size() * 2, value.data.size());
    EXPECT_EQ(0, memcmp(expected.data(), value.data.data(), value.data.size()));
    EXPECT_EQ(firstHadList, wine::ReadValue(firstClassKey, L"UpperFilters", &after));
    EXPECT_EQ(before.data, after.data);
    EXPECT_TRUE(boxes.Requests().empty());
}

TEST_F(EditRoadOnWine, AClassListReleasedUnderTheDialogTakesNoWrite) {
    ReadyToEdit(FindRoot(L"Quillex Edit Road Class"));
    WhenDialogOpens driver(L"Modify Upper Filters", [&](HWND hDlg) {
        app.Document()->BuildDriverClasses();  // the records the form showed are gone
        TypeText(hDlg, IDC_FILTERS_EDIT, first.Name());
        Click(hDlg, IDOK);
    });
    SendMessageW(form->GetDlgItemHwnd(IDC_MODIFY_UPPER), BM_CLICK, 0, 0);
    ASSERT_TRUE(driver.Ran());
    wine::RegValue value;
    EXPECT_FALSE(wine::ReadValue(scratch.KeyPath(), L"UpperFilters", &value));
    ASSERT_EQ(1u, boxes.Requests().size());
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONHAND), boxes.Requests()[0].nType);
    EXPECT_EQ(0u, boxes.Requests()[0].text.find(L"The class list was reloaded while the dialog was open"));
}
