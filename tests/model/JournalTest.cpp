// The change journal on Wine's file system: entries written and read back, damaged
// lines passed over, a large journal read within its bound, writes refused with a
// reason, and which change an undo reverses.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include <aclapi.h>
#include <sddl.h>

#include "model/Journal.h"
#include "tests/support/Recorders.h"
#include "tests/support/TestData.h"

using namespace qx;
using namespace qx::test;

namespace {

StoredList State(uint32_t type, std::vector<uint8_t> data) {
    StoredList state;
    state.present = true;
    state.type = type;
    state.data = std::move(data);
    return state;
}

bool CanCreateIn(const std::wstring& folder) {
    std::wstring probe = folder + L"\\probe.tmp";
    HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

// Runs chattr on the folder's host path (Wine runs host programs; as root, that is the
// only way to refuse writes: Wine keeps no file permissions of its own) and waits until
// the folder is as wanted: the host program's end cannot be waited for.
// Starts a host program (Z:\usr\bin\<program>) on the folder's host path; the end of a
// host program cannot be waited for.
bool StartOnHost(const wchar_t* program, const wchar_t* argument, const std::wstring& folder) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* unixPath = toUnix ? toUnix(folder.c_str()) : nullptr;
    if (!unixPath) return false;
    std::wstring command = std::wstring(program) + L" " + argument + L" \"";
    for (const char* p = unixPath; *p; ++p) command += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    command += L"\"";
    HeapFree(GetProcessHeap(), 0, unixPath);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring exe = std::wstring(L"Z:\\usr\\bin\\") + program;
    if (!CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

bool SetImmutable(const std::wstring& folder, bool immutable) {
    if (!StartOnHost(L"chattr", immutable ? L"+i" : L"-i", folder)) return false;
    for (int i = 0; i < 250; ++i, Sleep(20))
        if (CanCreateIn(folder) != immutable) return true;
    return false;
}

// Makes a folder refuse new files for its life (under Wine; elsewhere Refuses() is false).
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(std::wstring folder) : m_folder(std::move(folder)), m_set(SetImmutable(m_folder, true)) {}
    ~ReadOnlyFolder() {
        if (m_set) SetImmutable(m_folder, false);
    }
    bool Refuses() const { return m_set && !CanCreateIn(m_folder); }

private:
    std::wstring m_folder;
    bool m_set;
};

}  // namespace

class JournalTest : public ::testing::Test {
protected:
    JournalTest() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        root = std::wstring(temp) + L"qxjournal-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(GetTickCount());
        CreateDirectoryW(root.c_str(), nullptr);
        path = root + L"\\Quillex\\changes.jsonl";
    }
    // The tests make nothing else: the journal (or a folder in its place) in its folder
    // (or a file in its place).
    ~JournalTest() override {
        for (const std::wstring& name :
             {path, root + L"\\Quillex", root + L"\\Open\\changes.jsonl", root + L"\\Open", root}) {
            DeleteFileW(name.c_str());
            RemoveDirectoryW(name.c_str());
        }
    }

    static void WriteFileBytes(const std::wstring& file, const std::string& bytes) {
        HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        DWORD cb = 0;
        EXPECT_TRUE(WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &cb, nullptr));
        CloseHandle(h);
    }
    static std::string ReadFileBytes(const std::wstring& file) {
        std::string bytes;
        HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return bytes;
        char buffer[4096];
        DWORD cb = 0;
        while (ReadFile(h, buffer, sizeof buffer, &cb, nullptr) && cb) bytes.append(buffer, cb);
        CloseHandle(h);
        return bytes;
    }
    // A line as another writer would have put it: a REG_MULTI_SZ "a" made into "b".
    static std::string HandLine(uint64_t id, const char* origin = "program", uint64_t undoes = 0) {
        std::string line = "{\"id\":" + std::to_string(id) +
                           ",\"time\":\"2024-01-02T03:04:05Z\",\"class\":\"{4D36E96B-E325-11CE-BFC1-08002BE10318}\","
                           "\"list\":\"upper\",\"before\":{\"present\":true,\"type\":7,\"data\":\"610000000000\"},"
                           "\"after\":{\"present\":true,\"type\":7,\"data\":\"620000000000\"},\"origin\":\"" +
                           origin + "\"";
        if (undoes) line += ",\"undoes\":" + std::to_string(undoes);
        return line + "}\n";
    }

    std::wstring root;
    std::wstring path;
};

TEST_F(JournalTest, EntriesRoundTripThroughTheFile) {
    Journal journal(path);
    JournalEntry classChange;
    classChange.classGuid = L"{4D36E96B-E325-11CE-BFC1-08002BE10318}";
    classChange.before = State(kRegSz, Utf16Bytes(L"kbdclass"));
    classChange.after = State(kRegMultiSz, MultiSzBytes({L"kbdclass", L"Grü\u00dfe\u0416\U0001F511"}));
    JournalEntry deviceChange;
    deviceChange.classGuid = L"{C1A55000-1234-5678-9ABC-DEF012345678}";
    deviceChange.deviceId = L"ROOT\\SYSTEM\\0001";
    deviceChange.upper = false;
    deviceChange.after = State(kRegMultiSz, MultiSzBytes({L"flt"}));
    deviceChange.origin = ChangeOrigin::CommandLine;
    JournalEntry undo = UndoEntryFor(deviceChange);
    undo.undoes = 2;
    undo.hive = L"D:\\Hives\\SYSTEM-\u00e9t\u00e9";
    std::wstring error;
    for (JournalEntry* entry : {&classChange, &deviceChange, &undo}) ASSERT_TRUE(journal.Append(*entry, &error)) << Narrow(error);

    JournalContents read = Journal(path).Read();
    EXPECT_TRUE(read.error.empty());
    EXPECT_EQ(0u, read.skipped);
    ASSERT_EQ(3u, read.entries.size());
    wchar_t user[257];
    DWORD cchUser = 257;
    ASSERT_TRUE(GetUserNameW(user, &cchUser));
    const JournalEntry* written[] = {&classChange, &deviceChange, &undo};
    for (size_t i = 0; i < 3; ++i) {
        const JournalEntry& e = read.entries[i];
        EXPECT_EQ(i + 1, e.id);
        EXPECT_EQ(20u, e.time.size()) << Narrow(e.time);
        EXPECT_EQ(L'Z', e.time.back());
        EXPECT_EQ(std::wstring(user), e.user);
        EXPECT_FALSE(e.computer.empty());
        // Every field as written: the same line again.
        EXPECT_EQ(EntryLine(*written[i]), EntryLine(e));
    }
    EXPECT_EQ(ChangeOrigin::Undo, read.entries[2].origin);
    EXPECT_EQ(undo.hive, read.entries[2].hive);
    EXPECT_TRUE(BytesAre(read.entries[0].after.data, classChange.after.data));
    EXPECT_FALSE(read.entries[1].before.present);

    // UTF-8 lines, each whole, with the names spelt out for people.
    std::string bytes = ReadFileBytes(path);
    EXPECT_EQ(3, std::count(bytes.begin(), bytes.end(), '\n'));
    EXPECT_EQ('\n', bytes.back());
    EXPECT_NE(std::string::npos, bytes.find("\"names\":[\"kbdclass\",\"Gr\xC3\xBC\xC3\x9F" "e\xD0\x96\xF0\x9F\x94\x91\"]"));
    EXPECT_NE(std::string::npos, bytes.find("\"data\":\"6b00620064006300"));

    // The journal of this machine lives in the common application data folder.
    std::wstring defaultError;
    std::wstring defaultPath = Journal::DefaultPath(&defaultError);
    EXPECT_TRUE(defaultError.empty()) << Narrow(defaultError);
    ASSERT_GT(defaultPath.size(), 22u);
    EXPECT_EQ(L"\\Quillex\\changes.jsonl", defaultPath.substr(defaultPath.size() - 22));
    DWORD parent = GetFileAttributesW(defaultPath.substr(0, defaultPath.size() - 22).c_str());
    EXPECT_TRUE(parent != INVALID_FILE_ATTRIBUTES && (parent & FILE_ATTRIBUTE_DIRECTORY));

    // A later program carries on counting.
    JournalEntry next = classChange;
    ASSERT_TRUE(Journal(path).Append(next, &error));
    EXPECT_EQ(4u, next.id);
}

TEST_F(JournalTest, DamagedLinesAreSkippedAndCounted) {
    CreateDirectoryW((root + L"\\Quillex").c_str(), nullptr);
    std::string torn = HandLine(5);
    torn.resize(torn.size() / 2);
    WriteFileBytes(path, HandLine(1) + "{not json\n" + HandLine(2) + "\xFF\xFE garbage\n" +
                             "{\"id\":9,\"list\":\"upper\"}\n" +
                             "{\"id\":3,\"time\":\"t\",\"class\":\"c\",\"list\":\"upper\",\"before\":{\"present\":true,"
                             "\"type\":7,\"data\":\"6\"},\"after\":{\"present\":false},\"origin\":\"program\"}\n\n" +
                             HandLine(4, "undo", 2) + torn);
    JournalContents read = Journal(path).Read();
    EXPECT_EQ(4u, read.skipped);  // the garbage, the non-UTF-8 line, the incomplete entry, the odd hex
    EXPECT_TRUE(read.tornEnd);
    ASSERT_EQ(3u, read.entries.size());
    EXPECT_EQ(1u, read.entries[0].id);
    EXPECT_TRUE(BytesAre(read.entries[0].before.data, MultiSzBytes({L"a"})));
    EXPECT_EQ(2u, read.entries[1].id);
    EXPECT_EQ(ChangeOrigin::Undo, read.entries[2].origin);
    EXPECT_EQ(2u, read.entries[2].undoes);

    // An entry appended after a torn line stands on a line of its own.
    JournalEntry entry;
    entry.classGuid = L"{X}";
    std::wstring error;
    ASSERT_TRUE(Journal(path).Append(entry, &error)) << Narrow(error);
    EXPECT_EQ(9u, entry.id);  // every line has taken an id, readable or not
    read = Journal(path).Read();
    EXPECT_EQ(5u, read.skipped);  // the torn line is now a whole, broken one
    EXPECT_FALSE(read.tornEnd);
    ASSERT_EQ(4u, read.entries.size());
    EXPECT_EQ(9u, read.entries[3].id);
    EXPECT_EQ(L"{X}", read.entries[3].classGuid);
}

TEST_F(JournalTest, LargeJournalIsReadWithinItsBound) {
    CreateDirectoryW((root + L"\\Quillex").c_str(), nullptr);
    std::string bytes;
    const uint64_t count = Journal::kReadLimit + 5;
    for (uint64_t id = 1; id <= count; ++id) {
        bytes += HandLine(id);
        if (id == 50) bytes += std::string(3 << 20, 'x') + "\n";  // one enormous line
    }
    WriteFileBytes(path, bytes);
    auto start = std::chrono::steady_clock::now();
    JournalContents read = Journal(path).Read();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    RecordProperty("read_seconds", std::to_string(seconds));
    EXPECT_LT(seconds, 60.0);
    EXPECT_EQ(1u, read.skipped);
    EXPECT_EQ(5u, read.dropped);
    ASSERT_EQ(Journal::kReadLimit, read.entries.size());
    EXPECT_EQ(6u, read.entries.front().id);
    EXPECT_EQ(count, read.entries.back().id);

    // The enormous line has taken an id too.
    JournalEntry entry;
    std::wstring error;
    ASSERT_TRUE(Journal(path).Append(entry, &error)) << Narrow(error);
    EXPECT_EQ(count + 2, entry.id);
}

TEST_F(JournalTest, AppendFailsWithAReasonWhenTheJournalCannotBeWritten) {
    JournalEntry entry;
    std::wstring error;
    // A file where the journal's folder should be.
    WriteFileBytes(root + L"\\Quillex", "not a folder");
    EXPECT_FALSE(Journal(path).Append(entry, &error));
    EXPECT_NE(std::wstring::npos, error.find(L"stands where its folder should be")) << Narrow(error);
    EXPECT_EQ("not a folder", ReadFileBytes(root + L"\\Quillex"));
    // Nor is it read as a journal without changes.
    EXPECT_NE(std::wstring::npos, Journal(path).Read().error.find(L"stands where its folder should be"));

    // A folder where the journal itself should be.
    DeleteFileW((root + L"\\Quillex").c_str());
    ASSERT_TRUE(CreateDirectoryW((root + L"\\Quillex").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
    error.clear();
    EXPECT_FALSE(Journal(path).Append(entry, &error));
    EXPECT_NE(std::wstring::npos, error.find(L"cannot be written: ")) << Narrow(error);

    // A read-only folder.
    ASSERT_TRUE(RemoveDirectoryW(path.c_str()));
    ReadOnlyFolder readOnly(root + L"\\Quillex");
    if (!readOnly.Refuses()) GTEST_SKIP() << "no way to make a folder read-only here";
    error.clear();
    EXPECT_FALSE(Journal(path).Append(entry, &error));
    EXPECT_NE(std::wstring::npos, error.find(L"cannot be written: ")) << Narrow(error);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
}

TEST_F(JournalTest, UndoReversesTheNewestChangeNotYetUndone) {
    auto change = [](uint64_t id, const wchar_t* hive = L"") {
        JournalEntry e;
        e.id = id;
        e.hive = hive;
        e.before = State(kRegMultiSz, MultiSzBytes({L"a"}));
        e.after = State(kRegMultiSz, MultiSzBytes({L"b"}));
        return e;
    };
    auto undoOf = [](const JournalEntry& e, uint64_t id) {
        JournalEntry u = UndoEntryFor(e);
        u.id = id;
        return u;
    };
    std::vector<JournalEntry> entries;
    EXPECT_EQ(nullptr, NextToUndo(entries));
    entries = {change(1), change(2), change(3, L"C:\\offline\\SYSTEM")};
    ASSERT_NE(nullptr, NextToUndo(entries));
    EXPECT_EQ(2u, NextToUndo(entries)->id);
    EXPECT_EQ(3u, NextToUndo(entries, L"C:\\offline\\SYSTEM")->id);

    entries.push_back(undoOf(entries[1], 4));  // undoes 2; the undo itself is no change to undo
    EXPECT_EQ(1u, NextToUndo(entries)->id);
    entries.push_back(undoOf(entries[0], 5));
    EXPECT_EQ(nullptr, NextToUndo(entries));
    entries.push_back(change(6));
    EXPECT_EQ(6u, NextToUndo(entries)->id);

    // Two entries with one id: an undo names its entry by time and target too.
    std::vector<JournalEntry> twins = {change(1), change(2), change(2)};
    twins[1].time = L"2024-01-01T00:00:00Z";
    twins[2].time = L"2024-01-01T00:00:01Z";
    twins.push_back(undoOf(twins[2], 3));
    ASSERT_NE(nullptr, NextToUndo(twins));
    EXPECT_EQ(L"2024-01-01T00:00:00Z", NextToUndo(twins)->time);

    // The undo puts back the previous state, and only over the new one, exactly.
    const JournalEntry& e = entries[5];
    EXPECT_TRUE(entries[3].after == entries[1].before && entries[3].before == entries[1].after);
    EXPECT_EQ(2u, entries[3].undoes);
    EXPECT_TRUE(StillAsChanged(e, State(kRegMultiSz, MultiSzBytes({L"b"}))));
    EXPECT_FALSE(StillAsChanged(e, State(kRegSz, MultiSzBytes({L"b"}))));
    EXPECT_FALSE(StillAsChanged(e, State(kRegMultiSz, Utf16Bytes(L"b"))));
    EXPECT_FALSE(StillAsChanged(e, StoredList{}));
    JournalEntry fromAbsent = change(7);
    fromAbsent.after = StoredList{};
    EXPECT_TRUE(StillAsChanged(fromAbsent, StoredList{}));
}

TEST_F(JournalTest, IdsCountEveryLineAndAreCheckedForRangeAndRise) {
    CreateDirectoryW((root + L"\\Quillex").c_str(), nullptr);
    WriteFileBytes(path, HandLine(1) + HandLine(18446744073709551615ull) + HandLine(2) + HandLine(2) + HandLine(5));
    JournalContents read = Journal(path).Read();
    EXPECT_EQ(1u, read.skipped);  // the id out of range
    EXPECT_EQ(4u, read.entries.size());
    EXPECT_EQ(1u, read.idsNotRising);
    EXPECT_EQ(2u, read.idsMissing);  // 3 and 4
    JournalEntry entry;
    entry.classGuid = L"{X}";
    std::wstring error;
    ASSERT_TRUE(Journal(path).Append(entry, &error)) << Narrow(error);
    EXPECT_EQ(6u, entry.id);
    EXPECT_EQ(6u, Journal(path).Read().entries.back().id);
}

// A line another version wrote with an origin this one does not know: read with its name
// as written, its id counted, never undone, and no plain undo reaches past it.
TEST_F(JournalTest, AnUnknownOriginIsReadAndCountedButNeverUndone) {
    CreateDirectoryW((root + L"\\Quillex").c_str(), nullptr);
    WriteFileBytes(path, HandLine(1) + HandLine(7, "sync service"));
    JournalContents read = Journal(path).Read();
    EXPECT_EQ(0u, read.skipped);
    ASSERT_EQ(2u, read.entries.size());
    EXPECT_EQ(ChangeOrigin::Unknown, read.entries[1].origin);
    EXPECT_EQ(L"sync service", OriginName(read.entries[1]));

    ASSERT_EQ(1u, UndoableEntries(read.entries, L"").size());
    const JournalEntry* inTheWay = UnknownOriginInTheWay(read.entries, 0, L"", L"");
    ASSERT_NE(nullptr, inTheWay);
    EXPECT_EQ(7u, inTheWay->id);
    EXPECT_EQ(inTheWay, UnknownOriginInTheWay(read.entries, 7, L"", L""));
    EXPECT_EQ(nullptr, UnknownOriginInTheWay(read.entries, 1, L"", L""));  // named, the older one may be undone
    EXPECT_EQ(nullptr, UnknownOriginInTheWay(read.entries, 0, L"C:\\offline\\SYSTEM", L""));

    JournalEntry entry;
    entry.classGuid = L"{X}";
    std::wstring error;
    ASSERT_TRUE(Journal(path).Append(entry, &error)) << Narrow(error);
    EXPECT_EQ(8u, entry.id);
    // This program writes only the origins it knows.
    entry.origin = ChangeOrigin::Unknown;
    entry.originName = L"sync service";
    EXPECT_FALSE(Journal(path).Append(entry, &error));
    EXPECT_EQ(3u, Journal(path).Read().entries.size());
}

TEST_F(JournalTest, LongEntriesAreReadBackAndTheReaderKeepsItsByteBound) {
    // A list of 600 KB taken away: its line is over 1 MiB, and is recorded and read whole.
    JournalEntry big;
    big.classGuid = L"{X}";
    big.before = State(kRegMultiSz, std::vector<uint8_t>(600 * 1024, 'a'));
    std::wstring error;
    ASSERT_TRUE(Journal::Fits(big));
    ASSERT_TRUE(Journal(path).Append(big, &error)) << Narrow(error);
    JournalContents read = Journal(path).Read();
    ASSERT_EQ(1u, read.entries.size());
    EXPECT_EQ(600u * 1024, read.entries[0].before.data.size());
    for (int i = 0; i < 3; ++i) {
        JournalEntry small;
        small.classGuid = L"{X}";
        ASSERT_TRUE(Journal(path).Append(small, &error)) << Narrow(error);
    }
    read = Journal(path).Read(Journal::kReadLimit, 64 * 1024);
    EXPECT_EQ(1u, read.dropped);
    ASSERT_EQ(3u, read.entries.size());
    EXPECT_EQ(2u, read.entries.front().id);
}

// Tells what the security of a path allows, as the platform answers; empty when unknown.
std::wstring SecurityText(const std::wstring& path) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, nullptr, nullptr, &sd) != ERROR_SUCCESS)
        return L"";
    wchar_t* text = nullptr;
    ConvertSecurityDescriptorToStringSecurityDescriptorW(sd, SDDL_REVISION_1,
                                                         OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &text,
                                                         nullptr);
    std::wstring result = text ? text : L"";
    LocalFree(text);
    LocalFree(sd);
    return result;
}

TEST_F(JournalTest, OneWriterAtATimeAndOnlyOnATrustedJournal) {
    JournalLock held;
    std::wstring error;
    ASSERT_TRUE(Journal(path).Lock(&held, &error)) << Narrow(error);
    JournalEntry entry;
    entry.classGuid = L"{X}";
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(Journal(path).Append(entry, &error));
    EXPECT_GE(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 2.0);
    EXPECT_NE(std::wstring::npos, error.find(L"another change is in progress")) << Narrow(error);
    EXPECT_TRUE(Journal(path).Read().error.empty());  // readers are not held up
    held.Release();
    ASSERT_TRUE(Journal(path).Append(entry, &error)) << Narrow(error);

    // What the platform keeps of the security it was made with (Wine keeps only what its
    // file modes can say).
    RecordProperty("folder_security", Narrow(SecurityText(root + L"\\Quillex")));
    RecordProperty("file_security", Narrow(SecurityText(path)));

    // A folder everyone may write to is refused, and named with the account.
    const std::wstring open = root + L"\\Open";
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;WD)",
                                                                     SDDL_REVISION_1, &sd, nullptr));
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), sd, FALSE};
    ASSERT_TRUE(CreateDirectoryW(open.c_str(), &attributes));
    LocalFree(sd);
    // Wine keeps only what a file mode can say: there, the mode says it.
    auto openToAll = [](const std::wstring& security) {
        return security.find(L";;;WD)") != std::wstring::npos && security.find(L";0x1200a9;;;WD)") == std::wstring::npos;
    };
    std::wstring openSecurity = SecurityText(open);
    if (!openToAll(openSecurity) && StartOnHost(L"chmod", L"777", open))
        for (int i = 0; i < 250 && !openToAll(openSecurity); ++i, Sleep(20)) openSecurity = SecurityText(open);
    RecordProperty("open_security", Narrow(openSecurity));
    if (!openToAll(openSecurity)) GTEST_SKIP() << "the folder cannot be opened to everyone here";
    EXPECT_FALSE(Journal(open + L"\\changes.jsonl").Append(entry, &error));
    EXPECT_NE(std::wstring::npos, error.find(open + L" may be changed by ")) << Narrow(error);
    EXPECT_NE(std::wstring::npos, error.find(L"Everyone")) << Narrow(error);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((open + L"\\changes.jsonl").c_str()));
}
