// The Modify Filters dialog as a user meets it: what OK does with the text, the
// services check against Wine's registry, and the captions.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/support/WineScratch.h"
#include "tests/ui/AppHarness.h"
#include "tests/ui/DialogDriver.h"
#include "ui/ModifyFiltersDlg.h"

using namespace qxtest;
using qx::test::wine::ScratchService;

namespace {

class ModifyFiltersDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(a.IsValid() && b.IsValid() && c.IsValid());
        ASSERT_TRUE(app.Start(kVersion10));
    }

    // Opens the dialog on `initial`; `steps` run inside it once it shows.
    INT_PTR Run(CModifyFiltersDlg& dlg, const wchar_t* caption, std::function<void(HWND)> steps) {
        WhenDialogOpens driver(caption, std::move(steps));
        INT_PTR result = dlg.DoModal();
        EXPECT_TRUE(driver.Ran()) << "the dialog never showed";
        return result;
    }

    MessageBoxRecorder boxes;
    ScratchService a, b, c;
    AppSession app;
};

}  // namespace

TEST_F(ModifyFiltersDlgTest, UnchangedTextOrEnterAtOnceCancels) {
    const std::wstring initial = a.Name() + L" " + b.Name();
    CModifyFiltersDlg unchanged(initial, true, app.Frame());
    EXPECT_EQ(IDCANCEL, Run(unchanged, L"Modify Upper Filters", [&](HWND hDlg) {
        EXPECT_EQ(initial, ItemText(hDlg, IDC_FILTERS_EDIT));
        Click(hDlg, IDOK);
    }));
    EXPECT_TRUE(unchanged.GetFilterNames().empty());

    // The edit has the focus, its text selected, so keys typed at once go into the list;
    // Enter still presses OK. The caption names what the list belongs to.
    CModifyFiltersDlg enter(initial, false, app.Frame());
    enter.SetTargetName(L"Keyboard");
    EXPECT_EQ(IDCANCEL, Run(enter, L"Modify Lower Filters - Keyboard", [&](HWND hDlg) {
        HWND hEdit = GetDlgItem(hDlg, IDC_FILTERS_EDIT);
        EXPECT_EQ(hEdit, GetFocus());
        DWORD first = 0, last = 0;
        SendMessageW(hEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&first), reinterpret_cast<LPARAM>(&last));
        EXPECT_EQ(0u, first);
        EXPECT_EQ(initial.size(), last);
        EXPECT_EQ(L"Separate the names with spaces.", ItemText(hDlg, IDC_FILTERS_HINT));
        SendMessageW(hEdit, EM_SETSEL, initial.size(), initial.size());
        SendMessageW(GetFocus(), WM_CHAR, L' ', 0);  // a space no longer presses OK
        EXPECT_TRUE(IsWindow(hDlg));
        EXPECT_EQ(initial + L" ", ItemText(hDlg, IDC_FILTERS_EDIT));
        SetDlgItemTextW(hDlg, IDC_FILTERS_EDIT, initial.c_str());
        PressEnter(hDlg);
    }));

    // An empty text in a dialog opened on an empty text is unchanged too.
    CModifyFiltersDlg empty(L"", true, app.Frame());
    EXPECT_EQ(IDCANCEL, Run(empty, L"Modify Upper Filters", [&](HWND hDlg) { Click(hDlg, IDOK); }));
    EXPECT_TRUE(boxes.Requests().empty());
}

TEST_F(ModifyFiltersDlgTest, AnyChangeIsCheckedAndGivesTheNames) {
    // A trailing space alone is a change: the same list comes back.
    const std::wstring initial = a.Name() + L" " + b.Name();
    CModifyFiltersDlg trailing(initial, true, app.Frame());
    EXPECT_EQ(IDOK, Run(trailing, L"Modify Upper Filters", [&](HWND hDlg) {
        TypeText(hDlg, IDC_FILTERS_EDIT, initial + L" ");
        Click(hDlg, IDOK);
    }));
    EXPECT_EQ((StringList{a.Name(), b.Name()}), trailing.GetFilterNames());

    // White space around the list goes; runs of spaces give no empty names.
    CModifyFiltersDlg spaced(L"", true, app.Frame());
    EXPECT_EQ(IDOK, Run(spaced, L"Modify Upper Filters", [&](HWND hDlg) {
        TypeText(hDlg, IDC_FILTERS_EDIT, L"  " + c.Name() + L"   " + a.Name() + L" \t");
        Click(hDlg, IDOK);
    }));
    EXPECT_EQ((StringList{c.Name(), a.Name()}), spaced.GetFilterNames());

    // Only spaces: an empty list, which the caller stores as "no filters".
    CModifyFiltersDlg cleared(a.Name(), false, app.Frame());
    EXPECT_EQ(IDOK, Run(cleared, L"Modify Lower Filters", [&](HWND hDlg) {
        TypeText(hDlg, IDC_FILTERS_EDIT, L"   ");
        Click(hDlg, IDOK);
    }));
    EXPECT_TRUE(cleared.GetFilterNames().empty());
    EXPECT_TRUE(boxes.Requests().empty());
}

TEST_F(ModifyFiltersDlgTest, AMissingServiceKeepsTheDialogOpenUntilCorrected) {
    CModifyFiltersDlg dlg(L"", true, app.Frame());
    bool stayedOpen = false;
    EXPECT_EQ(IDOK, Run(dlg, L"Modify Upper Filters", [&](HWND hDlg) {
        TypeText(hDlg, IDC_FILTERS_EDIT, L"QxNoSuchFilter " + a.Name() + L" QxAlsoMissing");
        Click(hDlg, IDOK);
        stayedOpen = IsWindowVisible(hDlg) != FALSE;
        // The text stays as typed for correcting.
        EXPECT_EQ(L"QxNoSuchFilter " + a.Name() + L" QxAlsoMissing", ItemText(hDlg, IDC_FILTERS_EDIT));
        TypeText(hDlg, IDC_FILTERS_EDIT, a.Name() + L" " + b.Name());
        Click(hDlg, IDOK);
    }));
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(1u, boxes.Requests().size());  // only the first missing name is reported
    EXPECT_EQ(L"Service QxNoSuchFilter could not be located in Registry.", boxes.Requests()[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL | MB_ICONHAND), boxes.Requests()[0].nType);
    EXPECT_EQ(L"Quillex", boxes.Requests()[0].caption);
    EXPECT_EQ((StringList{a.Name(), b.Name()}), dlg.GetFilterNames());
}

TEST_F(ModifyFiltersDlgTest, TabsAndBackslashesAreNotServiceNames) {
    CModifyFiltersDlg dlg(L"", false, app.Frame());
    EXPECT_EQ(IDCANCEL, Run(dlg, L"Modify Lower Filters", [&](HWND hDlg) {
        TypeText(hDlg, IDC_FILTERS_EDIT, a.Name() + L"\t" + b.Name());  // one name with a tab in it
        Click(hDlg, IDOK);
        TypeText(hDlg, IDC_FILTERS_EDIT, a.Name() + L"\\Enum");         // a key below a service
        Click(hDlg, IDOK);
        Click(hDlg, IDCANCEL);
    }));
    ASSERT_EQ(2u, boxes.Requests().size());
    EXPECT_EQ(L"Service " + a.Name() + L"\t" + b.Name() + L" could not be located in Registry.",
              boxes.Requests()[0].text);
    EXPECT_EQ(L"Service " + a.Name() + L"\\Enum could not be located in Registry.", boxes.Requests()[1].text);
}

TEST_F(ModifyFiltersDlgTest, CaptionAndLabelNameTheList) {
    for (bool upper : {true, false}) {
        CModifyFiltersDlg dlg(L"x", upper, app.Frame());
        const wchar_t* caption = upper ? L"Modify Upper Filters" : L"Modify Lower Filters";
        Run(dlg, caption, [&](HWND hDlg) {
            EXPECT_EQ(upper ? L"Upper Filters:" : L"Lower Filters:", ItemText(hDlg, IDC_FILTERS_LABEL));
            EXPECT_EQ(L"x", ItemText(hDlg, IDC_FILTERS_EDIT));
            Click(hDlg, IDCANCEL);
        });
    }
}

TEST_F(ModifyFiltersDlgTest, TheCheckStopsBrokenServicesAndAsksBeforeAListTheKeyboardsNeed) {
    ScratchService driver{L"QxTestSvc", true};
    ASSERT_TRUE(driver.IsValid());
    qx::FilterTarget keyboard;
    keyboard.classGuid = {0x4D36E96B, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
    {
        MessageBoxRecorder no(IDNO);
        CModifyFiltersDlg dlg(L"", true, app.Frame());
        dlg.SetTarget(keyboard);
        EXPECT_EQ(IDCANCEL, Run(dlg, L"Modify Upper Filters", [&](HWND hDlg) {
            TypeText(hDlg, IDC_FILTERS_EDIT, a.Name());  // a service key, but no driver
            Click(hDlg, IDOK);
            TypeText(hDlg, IDC_FILTERS_EDIT, driver.Name());
            Click(hDlg, IDOK);  // the keyboards' question, answered No
            Click(hDlg, IDCANCEL);
        }));
        ASSERT_EQ(2u, no.Requests().size());
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONHAND), no.Requests()[0].nType);
        EXPECT_NE(std::wstring::npos, no.Requests()[0].text.find(a.Name()));
        EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2), no.Requests()[1].nType);
        EXPECT_NE(std::wstring::npos, no.Requests()[1].text.find(L"keyboard"));
    }
    MessageBoxRecorder yes(IDYES);
    CModifyFiltersDlg dlg(L"", true, app.Frame());
    dlg.SetTarget(keyboard);
    EXPECT_EQ(IDOK, Run(dlg, L"Modify Upper Filters", [&](HWND hDlg) {
        TypeText(hDlg, IDC_FILTERS_EDIT, driver.Name());
        Click(hDlg, IDOK);
    }));
    EXPECT_EQ(1u, yes.Requests().size());
    EXPECT_EQ((StringList{driver.Name()}), dlg.GetFilterNames());
}
