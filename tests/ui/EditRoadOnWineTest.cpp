// The whole road on Wine's registry, as a user takes it: select a class, turn Safe
// Mode off from the menu, press Modify, type the names, OK; then read the class key
// with the platform's own functions.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/support/WineScratch.h"
#include "tests/ui/AppHarness.h"
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
    void EditUpperFilters(const std::wstring& text) {
        WhenDialogOpens driver(L"Modify Upper Filters", [&](HWND hDlg) {
            TypeText(hDlg, IDC_FILTERS_EDIT, text);
            Click(hDlg, IDOK);
        });
        SendMessageW(form->GetDlgItemHwnd(IDC_MODIFY_UPPER), BM_CLICK, 0, 0);
        ASSERT_TRUE(driver.Ran());
        app.PumpFor(20);
    }

    wine::ScratchClass scratch{L"Quillex Edit Road Class"};
    wine::ScratchService first, second;
    MessageBoxRecorder boxes;
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

    // An emptied text deletes the value.
    EditUpperFilters(L"");
    EXPECT_FALSE(wine::ReadValue(scratch.KeyPath(), L"UpperFilters", &value));
    EXPECT_EQ(L"", Field(IDC_CLASS_UPPER_FILTERS));
    EXPECT_TRUE(boxes.Requests().empty());

    // Emptying a list that is already empty has nothing to delete: reported, nothing changes.
    EditUpperFilters(L" ");
    ASSERT_EQ(1u, boxes.Requests().size());
    EXPECT_EQ(L"Unable to Modify Upper Filters", boxes.Requests()[0].text);
    EXPECT_EQ(L"", Field(IDC_CLASS_UPPER_FILTERS));
}
