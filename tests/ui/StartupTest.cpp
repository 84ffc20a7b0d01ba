// Start-up: the refusal below Windows 2000, a start on 5.0 and later, and a start
// with a file that cannot be opened.
#include <gtest/gtest.h>

#include "tests/ui/AppHarness.h"

using namespace qxtest;

namespace {

// HKEY_CURRENT_USER and HKEY_CLASSES_ROOT point into fresh scratch keys for this
// process, so a test can see whatever start-up writes there and nothing else.
class RegistrySandbox {
public:
    RegistrySandbox() {
        std::wstring path = L"Software\\QuillexTests\\Sandbox-" + std::to_wstring(GetCurrentProcessId());
        RegCreateKeyExW(HKEY_CURRENT_USER, (path + L"\\User").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &m_user, nullptr);
        RegCreateKeyExW(HKEY_CURRENT_USER, (path + L"\\Classes").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &m_classes, nullptr);
        m_path = path;
        m_ok = m_user && m_classes && RegOverridePredefKey(HKEY_CURRENT_USER, m_user) == ERROR_SUCCESS &&
               RegOverridePredefKey(HKEY_CLASSES_ROOT, m_classes) == ERROR_SUCCESS;
    }
    ~RegistrySandbox() {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        if (m_user) RegCloseKey(m_user);
        if (m_classes) RegCloseKey(m_classes);
        RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
    }
    bool Ok() const { return m_ok; }
    static DWORD SubKeyCount(HKEY hKey) {
        DWORD count = 0, values = 0;
        RegQueryInfoKeyW(hKey, nullptr, nullptr, nullptr, &count, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr);
        return count + values;
    }
    DWORD UserEntries() const { return SubKeyCount(m_user); }
    DWORD ClassEntries() const { return SubKeyCount(m_classes); }

private:
    std::wstring m_path;
    HKEY m_user = nullptr;
    HKEY m_classes = nullptr;
    bool m_ok = false;
};

int CountOurWindows() {
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            wchar_t cls[64] = {};
            GetClassNameW(hWnd, cls, 64);
            if (wcsncmp(cls, L"Quillex", 7) == 0 || IsWindowVisible(hWnd)) ++*reinterpret_cast<int*>(lParam);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

class RefusalTest : public ::testing::TestWithParam<DWORD> {};

TEST_P(RefusalTest, RefusesWithStopMessageAndLeavesNoWindowOrRegistryEntry) {
    RegistrySandbox sandbox;
    ASSERT_TRUE(sandbox.Ok()) << "the registry could not be redirected";
    ASSERT_EQ(0u, sandbox.UserEntries());
    MessageBoxRecorder boxes;
    AppSession app;

    EXPECT_FALSE(app.Start(GetParam()));

    ASSERT_EQ(1u, boxes.Requests().size());
    EXPECT_EQ(L"Velor Carvel only supports Windows 2000", boxes.Requests()[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONHAND), boxes.Requests()[0].nType);  // an OK box with the stop icon
    EXPECT_EQ(0u, boxes.Requests()[0].nIDHelp);
    EXPECT_EQ(L"Quillex", boxes.Requests()[0].caption);
    EXPECT_EQ(nullptr, theApp.m_pMainWnd);
    EXPECT_EQ(0, CountOurWindows());
    app.Stop();  // the program's end (ExitInstance) writes nothing either
    EXPECT_EQ(0u, sandbox.UserEntries());
    EXPECT_EQ(0u, sandbox.ClassEntries());
}

INSTANTIATE_TEST_SUITE_P(OlderThan2000, RefusalTest, ::testing::Values(kVersionNt4, kVersion98));

class StartTest : public ::testing::TestWithParam<DWORD> {};

TEST_P(StartTest, StartsWithoutAMessageAndShowsTheMainWindow) {
    MessageBoxRecorder boxes;
    AppSession app;
    ASSERT_TRUE(app.Start(GetParam()));
    EXPECT_TRUE(boxes.Requests().empty());
    ASSERT_NE(nullptr, app.Frame());
    EXPECT_TRUE(IsWindowVisible(app.Frame()->m_hWnd));
    ASSERT_NE(nullptr, app.Document());
    EXPECT_EQ(L"Quillex V1.0", app.Document()->GetTitle());
}

INSTANTIATE_TEST_SUITE_P(From2000On, StartTest, ::testing::Values(kVersion2000, kVersion10, DWORD{0x00000106}));

TEST(StartWithFileTest, FileThatCannotBeOpenedEndsStartWithAMessageAndNoWindow) {
    MessageBoxRecorder boxes;
    AppSession app;
    EXPECT_FALSE(app.Start(kVersion10, L"\"C:\\no such folder\\missing file.zqm\""));
    ASSERT_EQ(1u, boxes.Requests().size());
    EXPECT_NE(std::wstring::npos, boxes.Requests()[0].text.find(L"missing file.zqm"));
    EXPECT_TRUE(boxes.Requests()[0].nType & MB_ICONHAND);
    EXPECT_EQ(nullptr, theApp.m_pMainWnd);
    EXPECT_EQ(nullptr, app.Document());  // the document made for it went again
    EXPECT_EQ(0, CountOurWindows());
}

TEST(StartWithFileTest, FileOnTheCommandLineIsTheDocument) {
    ScratchFile file(L"start.zqm");
    MessageBoxRecorder boxes;
    AppSession app;
    ASSERT_TRUE(app.Start(kVersion10, L"\"" + file.Path() + L"\""));
    EXPECT_TRUE(boxes.Requests().empty());
    ASSERT_NE(nullptr, app.Document());
    size_t slash = file.Path().find_last_of(L'\\');
    EXPECT_EQ(file.Path().substr(slash + 1), app.Document()->GetTitle());
    EXPECT_EQ(L"Velor's Windows 2000 Device Quillex - " + file.Path().substr(slash + 1),
              app.Frame()->GetWindowText());
}

TEST(StartWithFileTest, PrintRequestEndsTheProgramWithoutAWindow) {
    ScratchFile file(L"print.zqm");
    MessageBoxRecorder boxes;
    AppSession app;
    EXPECT_FALSE(app.Start(kVersion10, L"/p \"" + file.Path() + L"\""));
    EXPECT_EQ(nullptr, theApp.m_pMainWnd);
    EXPECT_TRUE(boxes.Requests().empty());
}

}  // namespace
