// What start-up leaves in the registry: the profile key and the shell's document type.
#include <gtest/gtest.h>

#include "tests/ui/AppHarness.h"
#include "ui/framework/RecentFileList.h"
#include "ui/framework/SystemCompat.h"

using namespace qxtest;

namespace {

std::wstring DefaultValue(HKEY root, const std::wstring& path, bool* exists = nullptr) {
    HKEY hKey = nullptr;
    if (exists) *exists = false;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS) return L"";
    if (exists) *exists = true;
    wchar_t value[1024] = {};
    DWORD cb = sizeof(value) - sizeof(wchar_t), type = 0;
    LONG err = RegQueryValueExW(hKey, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &cb);
    RegCloseKey(hKey);
    return err == ERROR_SUCCESS && type == REG_SZ ? std::wstring(value) : L"";
}

std::wstring ModulePath() {
    wchar_t path[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    return path;
}

TEST(ShellRegistrationTest, StartWritesTheProfileKeyAndTheDocumentType) {
    MessageBoxRecorder boxes;
    AppSession app;
    ASSERT_TRUE(app.Start(kVersion10));
    bool exists = false;
    DefaultValue(HKEY_CURRENT_USER, L"Software\\Local AppWizard-Generated Applications\\Quillex", &exists);
    EXPECT_TRUE(exists) << "profile key";

    const std::wstring quoted = L"\"" + ModulePath() + L"\"";
    EXPECT_EQ(L"Filter Document", DefaultValue(HKEY_CLASSES_ROOT, L"Quillex.Document"));
    EXPECT_EQ(quoted + L",0", DefaultValue(HKEY_CLASSES_ROOT, L"Quillex.Document\\DefaultIcon"));
    EXPECT_EQ(quoted + L" /dde", DefaultValue(HKEY_CLASSES_ROOT, L"Quillex.Document\\shell\\open\\command"));
    EXPECT_EQ(L"[open(\"%1\")]", DefaultValue(HKEY_CLASSES_ROOT, L"Quillex.Document\\shell\\open\\ddeexec"));
    EXPECT_EQ(L"system", DefaultValue(HKEY_CLASSES_ROOT, L"Quillex.Document\\shell\\open\\ddeexec\\topic"));
    EXPECT_EQ(quoted + L" /p \"%1\"", DefaultValue(HKEY_CLASSES_ROOT, L"Quillex.Document\\shell\\print\\command"));
    EXPECT_EQ(quoted + L" /pt \"%1\" \"%2\" \"%3\" \"%4\"",
              DefaultValue(HKEY_CLASSES_ROOT, L"Quillex.Document\\shell\\printto\\command"));
    EXPECT_EQ(L"Quillex.Document", DefaultValue(HKEY_CLASSES_ROOT, L".zqm"));
}

TEST(ShellRegistrationTest, OpenedFilesAreKeptAsTheRecentFileListAtTheEnd) {
    ScratchFile first(L"recent-a.zqm"), second(L"recent-b.zqm");
    MessageBoxRecorder boxes;
    {
        AppSession app;
        ASSERT_TRUE(app.Start(kVersion10, L"\"" + first.Path() + L"\""));
        ASSERT_NE(nullptr, theApp.OpenDocumentFile(second.Path().c_str()));
        app.Stop();
    }
    EXPECT_EQ(second.Path(), theApp.GetProfileString(L"Recent File List", L"File1", L""));
    EXPECT_EQ(first.Path(), theApp.GetProfileString(L"Recent File List", L"File2", L""));
}

TEST(RecentFileListTest, NewestFirstWithoutDuplicatesAndAtMostItsSize) {
    CRecentFileList list(L"Recent File List", L"File%d", 4);
    for (const wchar_t* path : {L"C:\\a", L"C:\\b", L"C:\\c", L"C:\\d", L"C:\\e"}) list.Add(path);
    ASSERT_EQ(4u, list.Entries().size());
    EXPECT_EQ(L"C:\\e", list.Entries()[0]);
    EXPECT_EQ(L"C:\\b", list.Entries()[3]);
    list.Add(L"c:\\C");  // the same file in other letters moves to the top
    ASSERT_EQ(4u, list.Entries().size());
    EXPECT_EQ(L"c:\\C", list.Entries()[0]);
    EXPECT_EQ(L"C:\\e", list.Entries()[1]);
    EXPECT_EQ(L"C:\\b", list.Entries()[3]);
}

// Before Windows Vista the list compares paths by upper-casing them: it must answer as
// the system's ordinal comparison does.
TEST(RecentFileListTest, PathsCompareAlikeWithOrWithoutTheSystemsComparison) {
    struct Case {
        const wchar_t* a;
        const wchar_t* b;
        bool bSame;
    };
    for (const Case& c : {Case{L"C:\\Temp\\a.qx", L"c:\\TEMP\\A.QX", true}, Case{L"C:\\\u00C4x", L"c:\\\u00E4X", true},
                          Case{L"", L"", true}, Case{L"C:\\a", L"C:\\a ", false}, Case{L"C:\\a", L"C:\\b", false},
                          Case{L"C:\\stra\u00DFe", L"C:\\STRASSE", false}}) {
        EXPECT_EQ(c.bSame, AfxSamePath(c.a, c.b)) << "system: " << testing::PrintToString(std::wstring(c.a));
        EXPECT_EQ(c.bSame, AfxSamePathByUpperCase(c.a, c.b)) << "fallback: " << testing::PrintToString(std::wstring(c.a));
    }
}

}  // namespace
