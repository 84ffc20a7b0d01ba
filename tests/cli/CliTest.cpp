// quillexc.exe run as a process, as a script runs it, on scratch classes and services in
// Wine's registry: its exit codes, its text and its JSON (parsed here), and what it left
// in the registry and the change journal. The checks it shares with the window are
// tested in the model; here what is the command line's own.
#include <windows.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <tuple>

#include "model/DeviceRestart.h"
#include "model/FilterRules.h"
#include "model/Journal.h"
#include "model/TextForms.h"
#include "model/Utf8.h"
#include "tests/support/RealHive.h"
#include "tests/support/Recorders.h"
#include "tests/support/ScratchHive.h"
#include "tests/support/ScratchJournal.h"
#include "tests/support/TestData.h"
#include "tests/support/WineScratch.h"

using namespace qx;
using namespace qx::test;
using namespace qx::test::wine;
using nlohmann::json;

namespace {

struct Result {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;  // UTF-8, as the pipe carries it
    std::string err;
    json Json() const { return json::parse(out, nullptr, false); }
};

std::string ReadAll(HANDLE pipe) {
    std::string text;
    char buffer[4096];
    DWORD cb = 0;
    while (ReadFile(pipe, buffer, sizeof(buffer), &cb, nullptr) && cb) text.append(buffer, cb);
    return text;
}

std::wstring Quoted(const std::wstring& word) { return L"\"" + word + L"\""; }

// The build folder, where this test program lies (with a backslash at its end).
std::wstring BuildFolder() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring exe = self;
    return exe.substr(0, exe.find_last_of(L'\\') + 1);
}

// Runs build\quillexc.exe (beside this test program) with the words, each quoted.
Result Quillexc(const std::vector<std::wstring>& words) {
    const std::wstring exe = BuildFolder() + L"quillexc.exe";
    std::wstring line = Quoted(exe);
    for (const std::wstring& word : words) line += L" " + Quoted(word);

    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE outRead, outWrite, errRead, errWrite;
    Result run;
    if (!CreatePipe(&outRead, &outWrite, &inherit, 0)) return run;
    if (!CreatePipe(&errRead, &errWrite, &inherit, 0)) return run;
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    PROCESS_INFORMATION process{};
    // Wine now and then fails to start a process while many start at once (error 1359,
    // before any of the program has run): that is no answer of quillexc, so try again.
    BOOL started = FALSE;
    DWORD startError = 0;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        if (attempt > 0) Sleep(500);
        started = CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                                 &startup, &process);
        if (!started) startError = GetLastError();
    }
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (!started) run.err = "quillexc.exe did not start: error " + std::to_string(startError);
    if (started) {
        std::thread errReader([&] { run.err = ReadAll(errRead); });
        run.out = ReadAll(outRead);
        errReader.join();
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, &run.exitCode);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(outRead);
    CloseHandle(errRead);
    return run;
}

std::string U8(const std::wstring& text) { return Utf8FromWide(text); }

bool Contains(const std::string& text, const std::wstring& part) { return text.find(U8(part)) != std::string::npos; }

// The line of the output that holds `part`; empty when none does.
std::string LineWith(const std::string& text, const std::wstring& part) {
    size_t at = text.find(U8(part));
    if (at == std::string::npos) return "";
    size_t start = text.rfind('\n', at);
    start = start == std::string::npos ? 0 : start + 1;
    return text.substr(start, text.find('\n', at) - start);
}

json Find(const json& array, const char* key, const std::string& value) {
    for (const json& item : array)
        if (item.is_object() && item.value(key, std::string()) == value) return item;
    return json();
}

json Names(std::initializer_list<std::wstring> names) {
    json list = json::array();
    for (const std::wstring& name : names) list.push_back(U8(name));
    return list;
}

// The class value as stored: its names, or null when there is none.
json Stored(const std::wstring& keyPath, const wchar_t* value) {
    RegValue stored;
    if (!ReadValue(keyPath, value, &stored)) return json();
    StringList names;
    AppendMultiSz(names, stored.data.data(), stored.data.size());
    json list = json::array();
    for (const std::wstring& name : names) list.push_back(U8(name));
    return list;
}

std::string Show(const Result& run) { return "exit " + std::to_string(run.exitCode) + "\nout: " + run.out + "\nerr: " + run.err; }

}  // namespace

class QuillexcTest : public ::testing::Test {
protected:
    // Each test's quillexc runs record in a journal of the test's own.
    QuillexcTest() { SetEnvironmentVariableW(L"QUILLEX_JOURNAL", journal.c_str()); }
    ~QuillexcTest() override {
        SetEnvironmentVariableW(L"QUILLEX_JOURNAL", nullptr);
        DeleteFileW(journal.c_str());
    }

    const std::wstring journal = ScratchJournal::FreshPath();
    ScratchClass scratch{L"Quillex Command Line Class"};
    ScratchService a{L"QxCliA", true}, b{L"QxCliB", true}, c{L"QxCliC", true};

    std::wstring Target() const { return scratch.UpperGuid(); }
    json Upper() const { return Stored(scratch.KeyPath(), L"UpperFilters"); }
};

TEST_F(QuillexcTest, ListAndShowClassesAndDevicesInTextAndJson) {
    ASSERT_TRUE(scratch.IsValid());
    ASSERT_TRUE(WriteValue(scratch.KeyPath(), L"Class", REG_SZ, Utf16Bytes(L"QxCliClass")));
    ASSERT_TRUE(WriteValue(scratch.KeyPath(), L"UpperFilters", REG_MULTI_SZ, MultiSzBytes({a.Name(), b.Name()})));
    ScratchDevice* device = scratch.AddDevice();
    ASSERT_NE(nullptr, device);
    ASSERT_TRUE(device->SetProperty(SPDRP_LOWERFILTERS, MultiSzBytes({c.Name()})));
    const std::wstring driverKey = device->MakeDriverKey(L"0000");
    ASSERT_TRUE(WriteValue(driverKey, L"QxSetting", REG_SZ, Utf16Bytes(L"\u00e9t\u00e9")));

    Result list = Quillexc({L"list", L"--devices", L"--json"});
    ASSERT_EQ(0u, list.exitCode) << Show(list);
    json cls = Find(list.Json(), "guid", U8(Target()));
    ASSERT_TRUE(cls.is_object()) << Show(list);
    EXPECT_EQ("QxCliClass", cls["className"]);
    EXPECT_EQ("Quillex Command Line Class", cls["description"]);
    EXPECT_EQ(Names({a.Name(), b.Name()}), cls["upperFilters"]);
    EXPECT_EQ(json::array(), cls["lowerFilters"]);
    ASSERT_EQ(1u, cls["devices"].size());
    EXPECT_EQ(U8(device->InstanceId()), cls["devices"][0]["instanceId"]);
    EXPECT_EQ(Names({c.Name()}), cls["devices"][0]["lowerFilters"]);

    Result text = Quillexc({L"list"});
    ASSERT_EQ(0u, text.exitCode) << Show(text);
    const std::string row = LineWith(text.out, Target());
    EXPECT_TRUE(Contains(row, L"  QxCliClass ") && Contains(row, L"  Quillex Command") && Contains(row, L"  " + a.Name()))
        << Show(text);

    // A class by its GUID in lower case without braces, by class name, by description.
    std::wstring bare = LowerGuidText(scratch.ClassGuid()).substr(1, 36);
    for (const std::wstring& target : {bare, std::wstring(L"qxcliclass"), std::wstring(L"Quillex Command Line Class")}) {
        Result show = Quillexc({L"show", target, L"--json"});
        ASSERT_EQ(0u, show.exitCode) << Show(show);
        EXPECT_EQ(U8(Target()), show.Json()["guid"]);
        EXPECT_EQ(1u, show.Json()["devices"].size());
    }
    Result shown = Quillexc({L"show", device->InstanceId(), L"--json"});
    ASSERT_EQ(0u, shown.exitCode) << Show(shown);
    json j = shown.Json();
    EXPECT_EQ(U8(device->InstanceId()), j["instanceId"]);
    EXPECT_EQ(Names({c.Name()}), j["lowerFilters"]);
    json setting = Find(j["registry"], "valueName", "QxSetting");
    EXPECT_EQ("REG_SZ", setting["type"]) << Show(shown);
    EXPECT_EQ(U8(L"\u00e9t\u00e9"), setting["contents"]);
    Result deviceText = Quillexc({L"show", device->InstanceId()});
    EXPECT_TRUE(Contains(deviceText.out, L"Device Lower Filters:  " + c.Name())) << Show(deviceText);
    EXPECT_TRUE(Contains(deviceText.out, L"QxSetting  REG_SZ  \u00e9t\u00e9")) << Show(deviceText);

    // Unknown and ambiguous targets name the candidates.
    Result unknown = Quillexc({L"show", L"Command Line"});
    EXPECT_EQ(2u, unknown.exitCode);
    EXPECT_TRUE(Contains(unknown.err, Target() + L" (Quillex Command Line Class)")) << Show(unknown);
    // A device's description is searched for suggestions too.
    ASSERT_TRUE(device->SetProperty(SPDRP_DEVICEDESC, Utf16Bytes(L"Qx Unusual Gizmo")));
    Result byDescription = Quillexc({L"show", L"unusual gizmo"});
    EXPECT_EQ(2u, byDescription.exitCode);
    EXPECT_TRUE(Contains(byDescription.err, device->InstanceId() + L" (Qx Unusual Gizmo)")) << Show(byDescription);
    ScratchClass twin{L"Quillex Command Line Class"};
    Result ambiguous = Quillexc({L"show", L"Quillex Command Line Class"});
    EXPECT_EQ(2u, ambiguous.exitCode);
    EXPECT_TRUE(Contains(ambiguous.err, Target()) && Contains(ambiguous.err, twin.UpperGuid())) << Show(ambiguous);
}

TEST_F(QuillexcTest, FilterOperationsKeepTheOrderAndAreJournalled) {
    ASSERT_TRUE(scratch.IsValid());
    auto filters = [&](std::initializer_list<std::wstring> words) {
        std::vector<std::wstring> all{L"filters", Target(), L"upper"};
        all.insert(all.end(), words.begin(), words.end());
        return Quillexc(all);
    };
    // A name hidden after an empty string goes with the write, and the user is told.
    ASSERT_TRUE(WriteValue(scratch.KeyPath(), L"UpperFilters", REG_MULTI_SZ, MultiSzBytes({a.Name(), L"", c.Name()})));
    Result set = filters({L"set", a.Name(), b.Name(), L"--json"});
    ASSERT_EQ(0u, set.exitCode) << Show(set);
    EXPECT_TRUE(Contains(set.err, L"Hidden entries dropped: " + c.Name() + L".")) << Show(set);
    EXPECT_EQ(Names({a.Name()}), set.Json()["before"]);
    EXPECT_EQ(Names({a.Name(), b.Name()}), set.Json()["after"]);
    EXPECT_EQ(Names({a.Name(), b.Name()}), Upper());

    Result add = filters({L"add", c.Name(), L"--before", b.Name()});
    ASSERT_EQ(0u, add.exitCode) << Show(add);
    EXPECT_TRUE(Contains(add.out, L"old: " + a.Name() + L" " + b.Name())) << Show(add);
    EXPECT_TRUE(Contains(add.out, L"new: " + a.Name() + L" " + c.Name() + L" " + b.Name())) << Show(add);
    EXPECT_EQ(Names({a.Name(), c.Name(), b.Name()}), Upper());
    ASSERT_EQ(0u, filters({L"remove", a.Name()}).exitCode);
    ASSERT_EQ(0u, filters({L"add", a.Name(), L"--after", c.Name()}).exitCode);
    EXPECT_EQ(Names({c.Name(), a.Name(), b.Name()}), Upper());
    ASSERT_EQ(0u, filters({L"remove", b.Name()}).exitCode);
    ASSERT_EQ(0u, filters({L"add", b.Name(), L"--first"}).exitCode);
    Result shown = Quillexc({L"filters", Target(), L"upper", L"--json"});
    EXPECT_EQ(Names({b.Name(), c.Name(), a.Name()}), shown.Json()) << Show(shown);
    Result lines = Quillexc({L"filters", Target(), L"upper"});
    EXPECT_EQ(U8(b.Name() + L"\r\n" + c.Name() + L"\r\n" + a.Name() + L"\r\n"), lines.out);

    // set with no names empties the list: the value goes.
    ASSERT_EQ(0u, filters({L"set"}).exitCode);
    EXPECT_TRUE(Upper().is_null());

    Result history = Quillexc({L"history", L"--json"});
    ASSERT_EQ(0u, history.exitCode) << Show(history);
    json last = history.Json()["changes"].back();
    EXPECT_EQ(U8(Target()), last["guid"]);
    EXPECT_EQ("command line", last["origin"]);
    EXPECT_EQ(Names({b.Name(), c.Name(), a.Name()}), last["before"]);
    EXPECT_TRUE(last["after"].is_null());
}

TEST_F(QuillexcTest, RefusedChangesWriteNothingAndSayWhy) {
    ASSERT_TRUE(scratch.IsValid());
    ASSERT_TRUE(WriteValue(scratch.KeyPath(), L"UpperFilters", REG_MULTI_SZ, MultiSzBytes({a.Name()})));
    const json before = Upper();
    struct Case {
        std::vector<std::wstring> words;
        DWORD code;
        std::wstring said;
    };
    const Case cases[] = {
        {{L"set", L"QxNoSuchService0"}, 3, L"Service QxNoSuchService0 could not be located in Registry."},
        {{L"set", L"bad\\name"}, 3, L"could not be located"},
        {{L"add", a.Name()}, 3, L"--yes"},  // a duplicate: the window would ask
        {{L"remove", b.Name()}, 3, b.Name() + L" is not in the list"},
        {{L"add", b.Name(), L"--before", c.Name()}, 3, c.Name() + L" is not in the list"},
        {{L"add", b.Name(), L"--first", L"--after", a.Name()}, 2, L"at most one"},
        {{L"swap", a.Name()}, 2, L"Unknown operation"},
        {{L"set", a.Name(), L"--force"}, 2, L"Unknown option --force"},
    };
    for (const Case& test : cases) {
        std::vector<std::wstring> w{L"filters", Target(), L"upper"};
        w.insert(w.end(), test.words.begin(), test.words.end());
        Result run = Quillexc(w);
        EXPECT_EQ(test.code, run.exitCode) << Narrow(test.words[0]) << " " << Show(run);
        EXPECT_TRUE(Contains(run.err, test.said)) << Show(run);
        EXPECT_EQ("", run.out);
        EXPECT_EQ(before, Upper());
    }
    Result noList = Quillexc({L"filters", Target(), L"middle"});
    EXPECT_EQ(2u, noList.exitCode);
    // The duplicate written once it is answered for.
    Result yes = Quillexc({L"filters", Target(), L"upper", L"add", a.Name(), L"--yes"});
    EXPECT_EQ(0u, yes.exitCode) << Show(yes);
    EXPECT_EQ(Names({a.Name(), a.Name()}), Upper());
}

// Keyboard's GUID on a scratch class: Wine has no keyboard class, and the question
// comes from the class's GUID alone.
TEST_F(QuillexcTest, ACriticalClassIsWrittenOnlyWithYes) {
    const GUID keyboard = {0x4D36E96B, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
    ScratchClass critical(keyboard, L"Quillex Keyboards");
    if (!critical.IsValid()) GTEST_SKIP() << "this machine has a keyboard class of its own";
    const std::wstring question = DefaultClassRules().CriticalQuestion(ToModelGuid(keyboard));
    ASSERT_FALSE(question.empty());

    Result asked = Quillexc({L"filters", L"{4d36e96b-e325-11ce-bfc1-08002be10318}", L"lower", L"set", a.Name()});
    EXPECT_EQ(3u, asked.exitCode) << Show(asked);
    EXPECT_TRUE(Contains(asked.err, question)) << Show(asked);
    EXPECT_TRUE(Stored(critical.KeyPath(), L"LowerFilters").is_null());

    Result yes = Quillexc({L"filters", L"Quillex Keyboards", L"lower", L"set", a.Name(), L"--yes"});
    EXPECT_EQ(0u, yes.exitCode) << Show(yes);
    EXPECT_EQ(Names({a.Name()}), Stored(critical.KeyPath(), L"LowerFilters"));
}

TEST_F(QuillexcTest, CheckReportsErrorsWithExitCodeOne) {
    ASSERT_TRUE(scratch.IsValid());
    ASSERT_TRUE(WriteValue(scratch.KeyPath(), L"LowerFilters", REG_MULTI_SZ, MultiSzBytes({a.Name(), L"QxGone0"})));
    ASSERT_NE(nullptr, scratch.AddDevice());  // a list no device uses would only warn
    Result check = Quillexc({L"check", L"--json"});
    EXPECT_EQ(1u, check.exitCode) << Show(check);
    json j = check.Json();
    EXPECT_EQ(true, j["errors"]);
    json found;
    for (const json& f : j["findings"])
        if (f["guid"] == U8(Target())) found = f;
    ASSERT_TRUE(found.is_object()) << Show(check);
    EXPECT_EQ("missing-service", found["rule"]);
    EXPECT_EQ("error", found["severity"]);
    EXPECT_EQ("lower", found["list"]);
    EXPECT_EQ("QxGone0", found["name"]);
    EXPECT_EQ("Quillex Command Line Class", found["target"]);
    EXPECT_FALSE(found["message"].get<std::string>().empty());

    Result text = Quillexc({L"check"});
    EXPECT_EQ(1u, text.exitCode);
    EXPECT_TRUE(Contains(text.out, L"error [missing-service] Lower Filters of Quillex Command Line Class: QxGone0"))
        << Show(text);
}

TEST_F(QuillexcTest, UndoAsksThenPutsTheListBack) {
    ASSERT_TRUE(scratch.IsValid());
    ASSERT_EQ(0u, Quillexc({L"filters", Target(), L"upper", L"set", a.Name()}).exitCode);
    ASSERT_EQ(0u, Quillexc({L"filters", Target(), L"upper", L"set", b.Name()}).exitCode);

    // A name of no command runs nothing, whatever options it is given.
    Result other = Quillexc({L"export", L"--yes"});
    EXPECT_EQ(2u, other.exitCode) << Show(other);
    EXPECT_TRUE(Contains(other.err, L"Unknown command \"export\".")) << Show(other);
    EXPECT_EQ(Names({b.Name()}), Upper());

    Result asked = Quillexc({L"undo"});
    EXPECT_EQ(3u, asked.exitCode) << Show(asked);
    EXPECT_TRUE(Contains(asked.err, L"Restore the Upper Filters of Quillex Command Line Class to: " + a.Name() + L"?"))
        << Show(asked);
    EXPECT_EQ(Names({b.Name()}), Upper());

    Result undo = Quillexc({L"undo", L"--yes"});
    ASSERT_EQ(0u, undo.exitCode) << Show(undo);
    EXPECT_EQ(Names({a.Name()}), Upper());
    ASSERT_EQ(0u, Quillexc({L"undo", L"--yes"}).exitCode);
    EXPECT_TRUE(Upper().is_null());

    json changes = Quillexc({L"history", L"--json"}).Json()["changes"];
    ASSERT_EQ(4u, changes.size());
    const json& firstUndo = changes[changes.size() - 2];
    EXPECT_EQ("undo", firstUndo["origin"]);
    EXPECT_EQ(changes[changes.size() - 3]["id"], firstUndo["undoes"]);
    EXPECT_TRUE(changes[changes.size() - 3].contains("undoes") && changes[changes.size() - 3]["undoes"].is_null());
    Result text = Quillexc({L"history"});
    EXPECT_TRUE(Contains(text.out, L"undo of #" + std::to_wstring(firstUndo["undoes"].get<uint64_t>()))) << Show(text);
}

// An entry another version wrote, with an origin this one does not know: shown with its
// name as written, never undone, and a plain undo does not reach past it.
TEST_F(QuillexcTest, AChangeOfAnUnknownOriginIsShownButNeverUndone) {
    ASSERT_TRUE(scratch.IsValid());
    ASSERT_EQ(0u, Quillexc({L"filters", Target(), L"upper", L"set", a.Name()}).exitCode);
    HANDLE file = CreateFileW(journal.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    const std::string line = "{\"id\":2,\"time\":\"2026-01-02T03:04:05Z\",\"class\":\"" + U8(Target()) +
                             "\",\"list\":\"upper\",\"before\":{\"present\":false},\"after\":{\"present\":false},"
                             "\"origin\":\"sync service\"}\n";
    DWORD cb = 0;
    EXPECT_TRUE(WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &cb, nullptr));
    CloseHandle(file);

    Result history = Quillexc({L"history", L"--json"});
    ASSERT_EQ(0u, history.exitCode) << Show(history);
    EXPECT_FALSE(Contains(history.err, L"damaged")) << Show(history);
    json changes = history.Json()["changes"];
    ASSERT_EQ(2u, changes.size()) << Show(history);
    EXPECT_EQ("sync service", changes[1]["origin"]);
    EXPECT_TRUE(changes[1]["undoes"].is_null());
    EXPECT_TRUE(Contains(LineWith(Quillexc({L"history"}).out, L"sync service"), L"2026-01-02T03:04:05Z"));

    for (const std::vector<std::wstring>& undo : {std::vector<std::wstring>{L"undo", L"--yes"},
                                                  std::vector<std::wstring>{L"undo", L"--id", L"2", L"--yes"}}) {
        Result refused = Quillexc(undo);
        EXPECT_EQ(3u, refused.exitCode) << Show(refused);
        EXPECT_TRUE(Contains(refused.err, L"Change #2 cannot be undone: it was recorded with the origin \"sync service\""))
            << Show(refused);
        EXPECT_EQ(Names({a.Name()}), Upper());
    }
    // The change before it, named, is undone; the undo's id comes after the unknown entry's.
    Result older = Quillexc({L"undo", L"--id", L"1", L"--yes"});
    ASSERT_EQ(0u, older.exitCode) << Show(older);
    EXPECT_TRUE(Upper().is_null());
    changes = Quillexc({L"history", L"--json"}).Json()["changes"];
    ASSERT_EQ(3u, changes.size());
    EXPECT_EQ(3u, changes[2]["id"]);
    EXPECT_EQ(1u, changes[2]["undoes"]);
}

// Wine's device setup restarts no device (tests/integration/RestartOnWineTest.cpp): every
// restart here fails, which is what the exit codes and lists are checked on.
TEST_F(QuillexcTest, RestartAsksFirstAndAChangeWithRestartSaysTheMachineMustRestart) {
    ASSERT_TRUE(scratch.IsValid());
    ScratchDevice* device = scratch.AddDevice();
    ASSERT_NE(nullptr, device);
    const json ids = Names({device->InstanceId()});

    Result asked = Quillexc({L"restart", Target()});
    EXPECT_EQ(3u, asked.exitCode) << Show(asked);
    EXPECT_TRUE(Contains(asked.err, L"Restart the device of Quillex Command Line Class now?")) << Show(asked);

    Result tried = Quillexc({L"restart", Target(), L"--yes", L"--json"});
    EXPECT_EQ(4u, tried.exitCode) << Show(tried);
    EXPECT_EQ(ids, tried.Json()["failed"]) << Show(tried);
    EXPECT_EQ(json::array(), tried.Json()["restarted"]);
    EXPECT_EQ(json::array(), tried.Json()["needsReboot"]);

    // The change is written and journalled all the same; 5 says it is not in force yet.
    Result change = Quillexc({L"filters", Target(), L"upper", L"set", a.Name(), L"--restart", L"--json"});
    EXPECT_EQ(5u, change.exitCode) << Show(change);
    EXPECT_EQ(Names({a.Name()}), Upper());
    EXPECT_EQ(Names({a.Name()}), change.Json()["after"]);
    EXPECT_EQ(ids, change.Json()["failed"]) << Show(change);
    Result text = Quillexc({L"filters", device->InstanceId(), L"lower", L"set", b.Name(), L"--restart"});
    EXPECT_EQ(5u, text.exitCode) << Show(text);
    EXPECT_TRUE(Contains(text.out, L"Failed: 1 device:")) << Show(text);
    EXPECT_TRUE(Contains(text.out, device->InstanceId() + L"): " + RestartErrorText(kErrNotSupported))) << Show(text);

    Result undo = Quillexc({L"undo", L"--yes", L"--restart"});
    EXPECT_EQ(5u, undo.exitCode) << Show(undo);
    EXPECT_TRUE(Contains(undo.out, L"Failed: 1 device:")) << Show(undo);
    EXPECT_EQ(2u, Quillexc({L"restart", Target(), L"--first"}).exitCode);
    EXPECT_EQ(2u, Quillexc({L"history", L"--restart"}).exitCode);
}

TEST_F(QuillexcTest, HelpAndBadUsage) {
    Result help = Quillexc({L"help"});
    EXPECT_EQ(0u, help.exitCode);
    for (const wchar_t* command : {L"list", L"show", L"filters", L"check", L"history", L"undo"})
        EXPECT_TRUE(Contains(help.out, std::wstring(L"quillexc ") + command)) << Show(help);
    Result filtersHelp = Quillexc({L"filters", L"--help"});
    EXPECT_EQ(0u, filtersHelp.exitCode);
    EXPECT_TRUE(Contains(filtersHelp.out, L"--before NAME")) << Show(filtersHelp);
    EXPECT_EQ(2u, Quillexc({L"frobnicate"}).exitCode);
    EXPECT_EQ(2u, Quillexc({L"list", L"--yes"}).exitCode);
    EXPECT_EQ(2u, Quillexc({L"show"}).exitCode);
    EXPECT_EQ(2u, Quillexc({L"show", L""}).exitCode);
    // Nothing asked for is a usage error too, though the help is printed; --help is not.
    for (const std::vector<std::wstring>& nothing : {std::vector<std::wstring>{}, std::vector<std::wstring>{L""}}) {
        Result bare = Quillexc(nothing);
        EXPECT_EQ(2u, bare.exitCode) << Show(bare);
        EXPECT_TRUE(Contains(bare.out, L"quillexc list")) << Show(bare);
    }
    EXPECT_EQ(0u, Quillexc({L"--help"}).exitCode);
}

// The columns a test string takes on a console: the ideographs and kana used here are wide.
size_t Columns(const std::wstring& text) {
    size_t width = 0;
    for (wchar_t c : text) width += (c >= 0x3040 && c <= 0x9FFF) ? 2 : 1;
    return width;
}

TEST_F(QuillexcTest, ListFitsAConsoleAndShowsAWrongTypedListAsWhatItIs) {
    ASSERT_TRUE(scratch.IsValid());
    std::wstring many;  // 100 names, about 1,800 characters joined
    for (int i = 0; i < 100; ++i) many += L"QxLongFilterName" + std::to_wstring(i) + L'\0';
    ASSERT_TRUE(WriteValue(scratch.KeyPath(), L"UpperFilters", REG_MULTI_SZ, Utf16Bytes(many)));
    ASSERT_TRUE(WriteValue(scratch.KeyPath(), L"LowerFilters", REG_DWORD, {1, 0, 0, 0}));
    ScratchClass wide{L"\u30d5\u30a3\u30eb\u30bf Quillex"};  // "filter" in katakana
    ASSERT_TRUE(wide.IsValid());

    Result list = Quillexc({L"list"});
    ASSERT_EQ(0u, list.exitCode) << Show(list);
    std::wstring text;
    ASSERT_TRUE(WideFromUtf8(list.out, &text));
    std::vector<std::wstring> lines;
    for (size_t at = 0, end; at < text.size(); at = end + 1) {
        end = text.find(L'\n', at);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(at, end - at);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    ASSERT_GE(lines.size(), 3u);
    for (const std::wstring& line : lines) EXPECT_LE(Columns(line), 119u) << U8(line);
    // The long list is cut, the DWORD shows as a DWORD, and the wide name shifts nothing.
    const std::string row = LineWith(list.out, Target());
    EXPECT_TRUE(Contains(row, L"  QxLongFilterName0") && Contains(row, L"...")) << row;
    EXPECT_TRUE(Contains(row, L"(REG_DWORD")) << row;
    std::wstring header, wideRow;
    for (const std::wstring& line : lines) {
        if (line.rfind(L"GUID", 0) == 0) header = line;
        if (line.find(wide.UpperGuid()) != std::wstring::npos) wideRow = line;
    }
    ASSERT_FALSE(header.empty() || wideRow.empty()) << list.out;
    const size_t column = header.find(L"Upper Filters");
    ASSERT_NE(std::wstring::npos, column);
    size_t at = 0;  // where in wideRow the upper column starts on the screen
    for (size_t cols = 0; at < wideRow.size() && cols < column; ++at) cols += Columns(wideRow.substr(at, 1));
    EXPECT_EQ(L"(none)", wideRow.substr(at, 6)) << U8(wideRow);

    // JSON and show keep every name; a list of another type is null beside its type.
    Result json = Quillexc({L"show", Target(), L"--json"});
    ASSERT_EQ(0u, json.exitCode) << Show(json);
    EXPECT_EQ(100u, json.Json()["upperFilters"].size());
    EXPECT_TRUE(json.Json()["lowerFilters"].is_null());
    EXPECT_EQ("REG_DWORD", json.Json()["lowerFiltersType"]);
    Result show = Quillexc({L"show", Target()});
    EXPECT_TRUE(Contains(show.out, L"QxLongFilterName99")) << Show(show);
    EXPECT_TRUE(Contains(show.out, L"Class Lower Filters:  (REG_DWORD 0x00000001)")) << Show(show);
    Result filters = Quillexc({L"filters", Target(), L"lower"});
    EXPECT_TRUE(Contains(filters.out, L"(REG_DWORD 0x00000001)")) << Show(filters);
    Result filtersJson = Quillexc({L"filters", Target(), L"lower", L"--json"});
    const nlohmann::json typed = filtersJson.Json();
    EXPECT_TRUE(typed.is_object() && typed["names"].is_null() && typed["type"] == "REG_DWORD") << Show(filtersJson);

    // Its bytes are no names to add to; "set" replaces it, and undo puts the DWORD back.
    Result add = Quillexc({L"filters", Target(), L"lower", L"add", a.Name(), L"--yes"});
    EXPECT_EQ(3u, add.exitCode) << Show(add);
    EXPECT_TRUE(Contains(add.err, L"hold (REG_DWORD 0x00000001), not a list of names")) << Show(add);
    Result set = Quillexc({L"filters", Target(), L"lower", L"set", a.Name(), L"--yes"});
    ASSERT_EQ(0u, set.exitCode) << Show(set);
    EXPECT_TRUE(Contains(set.out, L"old: (REG_DWORD 0x00000001)")) << Show(set);
    EXPECT_TRUE(Contains(Quillexc({L"history"}).out, L"(REG_DWORD 0x00000001)"));
    Result undo = Quillexc({L"undo", L"--yes"});
    ASSERT_EQ(0u, undo.exitCode) << Show(undo);
    EXPECT_TRUE(Contains(undo.out, L"new: (REG_DWORD 0x00000001)")) << Show(undo);
    RegValue restored;
    ASSERT_TRUE(ReadValue(scratch.KeyPath(), L"LowerFilters", &restored));
    EXPECT_EQ(DWORD(REG_DWORD), restored.type);
    EXPECT_EQ((std::vector<uint8_t>{1, 0, 0, 0}), restored.data);
}

// A script whose hive variable is empty must not change the running machine.
TEST_F(QuillexcTest, AnEmptyOrRepeatedHiveIsBadUsageAndWritesNothing) {
    ASSERT_TRUE(scratch.IsValid());
    const std::vector<std::wstring> change{L"filters", Target(), L"upper", L"set", a.Name(), L"--yes"};
    for (std::vector<std::wstring> hive : {std::vector<std::wstring>{L"--hive", L""},
                                           std::vector<std::wstring>{L"--hive", L"", L"--hive", L""}}) {
        hive.insert(hive.end(), change.begin(), change.end());
        Result run = Quillexc(hive);
        EXPECT_EQ(2u, run.exitCode) << Show(run);
        EXPECT_TRUE(Upper().is_null()) << Show(run);
    }
}

// The hive's driver key is named as the hive's, and its undo finds and names its own
// change (by its path in any case), not this machine's newest.
TEST_F(QuillexcTest, AnOfflineHiveNamesItsOwnKeysAndItsOwnChanges) {
    ASSERT_TRUE(scratch.IsValid());
    ScratchService machineOnly{L"QxCliMachineOnly2", true};
    ScratchHive hive(machineOnly.Name());
    ASSERT_TRUE(hive.IsValid());
    const std::wstring guid = UpperGuidText(hive.Guid());
    const std::wstring driverKey = L"ControlSet001\\Control\\Class\\" + guid + L"\\0000";
    Result shown = Quillexc({L"--hive", hive.Path(), L"show", L"Root\\QXOFFLINE\\0000", L"--json"});
    ASSERT_EQ(0u, shown.exitCode) << Show(shown);
    EXPECT_EQ(U8(driverKey), shown.Json()["registryKey"]) << Show(shown);
    Result text = Quillexc({L"--hive", hive.Path(), L"show", L"Root\\QXOFFLINE\\0000"});
    EXPECT_TRUE(Contains(text.out, L"Registry parameters of " + driverKey + L" in the offline hive " + hive.Path()))
        << Show(text);

    Result change = Quillexc({L"--hive", hive.Path(), L"filters", guid, L"lower", L"set", L"--yes"});
    ASSERT_EQ(0u, change.exitCode) << Show(change);
    ASSERT_EQ(0u, Quillexc({L"filters", Target(), L"upper", L"set", a.Name()}).exitCode);
    uint64_t hiveChange = 0;
    const json history = Quillexc({L"history", L"--json"}).Json();
    for (const auto& entry : history["changes"])
        if (entry.value("hive", std::string()) == U8(hive.Path())) hiveChange = entry["id"].get<uint64_t>();
    ASSERT_NE(0u, hiveChange) << Show(change);
    std::wstring otherCase = hive.Path();
    for (wchar_t& c : otherCase) c = static_cast<wchar_t>(towlower(c));
    Result undo = Quillexc({L"--hive", otherCase, L"undo", L"--yes"});
    // Wine does not save a loaded hive's changes to its file, so the list may have gone back.
    const std::wstring id = std::to_wstring(hiveChange);
    EXPECT_TRUE(Contains(undo.out, L"Undid change #" + id + L":") || Contains(undo.err, L"Change #" + id + L" cannot be undone"))
        << Show(undo);
}

TEST_F(QuillexcTest, AnOfflineHiveIsListedCheckedAndUnloaded) {
    ScratchService machineOnly{L"QxCliMachineOnly", true};
    ScratchHive hive(machineOnly.Name());
    ASSERT_TRUE(hive.IsValid());
    const std::string guid = U8(UpperGuidText(hive.Guid()));

    Result list = Quillexc({L"--hive", hive.Path(), L"list", L"--json"});
    ASSERT_EQ(0u, list.exitCode) << Show(list);
    json offline = Find(list.Json(), "guid", guid);
    ASSERT_TRUE(offline.is_object()) << Show(list);
    EXPECT_EQ(Names({L"QxOffNoFile"}), offline["lowerFilters"]);
    EXPECT_FALSE(Find(list.Json(), "guid", U8(scratch.UpperGuid())).is_object());  // not this machine's

    // Checked against the hive's own services: one of the running machine only is missing.
    Result check = Quillexc({L"check", L"--json", L"--hive", hive.Path()});
    EXPECT_EQ(1u, check.exitCode) << Show(check);
    EXPECT_TRUE(Contains(check.out, machineOnly.Name())) << Show(check);

    // Unless QUILLEX_JOURNAL names one, a change of a hive at its usual place is journalled
    // in that installation's own ProgramData, made by the first change (a read makes
    // nothing), and its history read from there.
    SetEnvironmentVariableW(L"QUILLEX_JOURNAL", nullptr);
    const std::wstring top = hive.Path().substr(0, hive.Path().size() - wcslen(L"\\Windows\\System32\\config\\SYSTEM"));
    const qx::Journal own(top + L"\\ProgramData\\Quillex\\changes.jsonl");
    Result history = Quillexc({L"--hive", hive.Path(), L"history", L"--json"});
    EXPECT_EQ(U8(own.Path()), history.Json()["journal"]) << Show(history);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((top + L"\\ProgramData").c_str()));
    Result change = Quillexc({L"--hive", hive.Path(), L"filters", UpperGuidText(hive.Guid()), L"lower", L"set", L"--yes"});
    ASSERT_EQ(0u, change.exitCode) << Show(change);
    ASSERT_EQ(1u, own.Read().entries.size());
    EXPECT_EQ(UpperGuidText(hive.Guid()), qx::UpperCase(own.Read().entries[0].classGuid));
    SetEnvironmentVariableW(L"QUILLEX_JOURNAL", journal.c_str());

    // Unloaded when each command ended; a file that is no hive is exit code 4.
    HKEY root = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, nullptr, 0, KEY_READ, &root));
    wchar_t name[256];
    for (DWORD i = 0; RegEnumKeyW(root, i, name, 256) == ERROR_SUCCESS; ++i)
        EXPECT_NE(0, wcsncmp(name, L"Quillex Offline", 15)) << "left loaded";
    RegCloseKey(root);
    EXPECT_EQ(4u, Quillexc({L"--hive", L"C:\\no such folder\\SYSTEM", L"list"}).exitCode);

    // An offline installation's devices do not run here: a restart is refused with the reason.
    Result restart = Quillexc({L"--hive", hive.Path(), L"restart", UpperGuidText(hive.Guid()), L"--yes"});
    EXPECT_EQ(3u, restart.exitCode) << Show(restart);
    EXPECT_TRUE(Contains(restart.err, L"offline installation cannot be restarted")) << Show(restart);
    Result written = Quillexc({L"--hive", hive.Path(), L"filters", UpperGuidText(hive.Guid()), L"upper", L"set",
                               L"QxOffPresent", L"--yes", L"--restart", L"--json"});
    EXPECT_EQ(5u, written.exitCode) << Show(written);
    EXPECT_EQ(Names({L"QxOffPresent"}), written.Json()["after"]) << Show(written);
    EXPECT_TRUE(written.Json()["restartRefusal"].is_string()) << Show(written);
}

// Two scripts change one list at once, 20 times each: every change lands or is refused
// with its reason, the journal's states follow each other, and no id repeats.
TEST_F(QuillexcTest, TwoWritersTakeTurns) {
    ASSERT_TRUE(scratch.IsValid());
    std::vector<Result> runs[2];
    auto toggle = [&](int writer, const std::wstring& name) {
        bool present = false;
        for (int i = 0; i < 20; ++i) {
            Result run = Quillexc({L"filters", Target(), L"upper", present ? L"remove" : L"add", name, L"--yes"});
            if (run.exitCode == 0) present = !present;
            runs[writer].push_back(run);
        }
    };
    std::thread first(toggle, 0, a.Name());
    toggle(1, b.Name());
    first.join();
    size_t landed = 0;
    for (const auto& writer : runs)
        for (const Result& run : writer) {
            EXPECT_TRUE(run.exitCode == 0 || ((run.exitCode == 3 || run.exitCode == 4) && !run.err.empty())) << Show(run);
            landed += run.exitCode == 0;
        }
    json changes = Quillexc({L"history", L"--json"}).Json()["changes"];
    ASSERT_EQ(landed, changes.size());
    json state;  // no value at first
    uint64_t lastId = 0;
    for (const json& change : changes) {
        EXPECT_GT(change["id"].get<uint64_t>(), lastId);
        lastId = change["id"].get<uint64_t>();
        EXPECT_EQ(state, change["before"]) << "entry " << lastId;
        state = change["after"];
    }
    EXPECT_EQ(state, Upper());
    RecordProperty("landed", std::to_string(landed));
}

// A journal held by another writer, or one that cannot be read, is exit code 4 with the
// reason: never a change without its record, never an empty history.
TEST_F(QuillexcTest, AJournalThatCannotBeHadIsExitFour) {
    ASSERT_TRUE(scratch.IsValid());
    {
        JournalLock held;
        std::wstring error;
        ASSERT_TRUE(Journal(journal).Lock(&held, &error)) << Narrow(error);
        Result busy = Quillexc({L"filters", Target(), L"upper", L"set", a.Name()});
        EXPECT_EQ(4u, busy.exitCode) << Show(busy);
        EXPECT_TRUE(Contains(busy.err, L"another change is in progress")) << Show(busy);
        EXPECT_TRUE(Upper().is_null());
    }
    // The journal's folder is a file.
    SetEnvironmentVariableW(L"QUILLEX_JOURNAL", (journal + L"\\changes.jsonl").c_str());
    Result history = Quillexc({L"history"});
    EXPECT_EQ(4u, history.exitCode) << Show(history);
    EXPECT_TRUE(Contains(history.err, L"a file named " + journal + L" stands where its folder should be")) << Show(history);
}

// Real installations' SYSTEM hives (tests/data/realhives), converted for Wine.
TEST(QuillexcRealHives, EveryClassListAndDeviceTextOfARealInstallation) {
    struct Expected {
        const wchar_t* name;
        size_t classes, devices;
        size_t unresolved;  // device descriptions "@<file>,-<id>" whose file is not here
        std::vector<std::pair<const char*, json>> lists;  // "guid upper|lower", names
    };
    const std::string disk = "{4D36E967-E325-11CE-BFC1-08002BE10318}", keyboard = "{4D36E96B-E325-11CE-BFC1-08002BE10318}",
                      mouse = "{4D36E96F-E325-11CE-BFC1-08002BE10318}", volume = "{71A27CDD-812A-11D0-BEC7-08002BE2092F}",
                      usb = "{36FC9E60-C465-11CF-8056-444553540000}";
    const Expected hives[] = {
        {L"win7", 65, 288, 36, {{"DiskDrive", Names({L"PartMgr"})}, {"DiskDrive-", Names({})}, {"Keyboard", Names({L"kbdclass"})},
                       {"Mouse", Names({L"mouclass"})}, {"Volume-", Names({L"fvevol", L"rdyboost"})}, {"USB", Names({})}}},
        {L"win8plus", 81, 47, 0, {{"DiskDrive", Names({L"PartMgr"})}, {"DiskDrive-", Names({L"EhStorClass"})},
                           {"Keyboard", Names({L"kbdclass"})}, {"Mouse", Names({L"VBoxMouse", L"mouclass"})},
                           {"Volume-", Names({L"fvevol", L"rdyboost"})}, {"USB", Names({})}}},
    };
    for (const Expected& expected : hives) {
        SCOPED_TRACE(U8(expected.name));
        std::wstring error;
        const std::wstring path = RealHiveFile(expected.name, &error);
        ASSERT_FALSE(path.empty()) << U8(error);

        Result list = Quillexc({L"--hive", path, L"list", L"--devices", L"--json"});
        ASSERT_EQ(0u, list.exitCode) << Show(list);
        const json classes = list.Json();
        EXPECT_EQ(expected.classes, classes.size());
        size_t devices = 0, unresolved = 0;
        for (const json& owner : classes) {
            EXPECT_FALSE(owner["description"].get<std::string>().empty());
            for (const json& device : owner["devices"]) {
                ++devices;
                const std::string text = device["description"].get<std::string>();
                if (text.find('@') == std::string::npos) continue;
                ++unresolved;
                EXPECT_TRUE(text[0] == '@' && text.find(';') == std::string::npos && text.find(",-") != std::string::npos)
                    << device.dump();
            }
        }
        EXPECT_EQ(expected.devices, devices);
        EXPECT_EQ(expected.unresolved, unresolved);
        for (const auto& entry : expected.lists) {
            std::string className = entry.first;
            const bool lower = className.back() == '-';
            if (lower) className.pop_back();
            const json owner = Find(classes, "className", className);
            ASSERT_TRUE(owner.is_object()) << className;
            EXPECT_EQ(entry.second, owner[lower ? "lowerFilters" : "upperFilters"]) << className;
        }
        // Windows 8+: named by its Class value, since its ClassDesc names a file that is not here.
        EXPECT_EQ(expected.classes == 81 ? "Keyboard" : "Keyboards", Find(classes, "guid", keyboard).value("description", std::string()));
        EXPECT_EQ(disk, Find(classes, "className", "DiskDrive").value("guid", std::string()));
        EXPECT_EQ(mouse, Find(classes, "className", "Mouse").value("guid", std::string()));
        EXPECT_EQ(volume, Find(classes, "className", "Volume").value("guid", std::string()));
        EXPECT_EQ(usb, Find(classes, "className", "USB").value("guid", std::string()));

        Result show = Quillexc({L"--hive", path, L"show", L"Keyboard"});
        EXPECT_EQ(0u, show.exitCode) << Show(show);
        EXPECT_TRUE(Contains(LineWith(show.out, L"Class Upper Filters:"), L"kbdclass")) << Show(show);

        // No error; what warns is a list no device uses now.
        Result check = Quillexc({L"--hive", path, L"check", L"--json"});
        EXPECT_EQ(0u, check.exitCode) << Show(check);
        const json report = check.Json();
        ASSERT_TRUE(report.is_object()) << Show(check);
        EXPECT_FALSE(report["driverFilesChecked"].get<bool>());
        for (const json& finding : report["findings"]) {
            EXPECT_EQ("warning", finding["severity"]) << finding.dump();
            EXPECT_TRUE(Contains(finding["message"].get<std::string>(), L"no device uses this list now")) << finding.dump();
        }
    }
}

// Runs a Linux program from here. Wine starts it, but gives neither a handle to it nor
// its standard handles: sh leaves its output and exit code in files, the exit code last,
// and the test waits for that file. Paths and words are the Linux side's own.
// `folder` is where its files go, as Linux names it; `here`, the same folder named here.
Result RunLinux(const std::string& program, const std::vector<std::string>& words, const std::string& folder,
                const std::wstring& here) {
    auto quoted = [](const std::string& word) {
        std::string text = "'";
        for (char c : word) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return text + "'";
    };
    const std::string out = folder + "/linux.out", err = folder + "/linux.err", code = folder + "/linux.code";
    std::string script = "rm -f " + quoted(code) + "; " + quoted(program);
    for (const std::string& word : words) script += " " + quoted(word);
    script += " > " + quoted(out) + " 2> " + quoted(err) + "; echo $? > " + quoted(code + ".part") + " && mv " +
              quoted(code + ".part") + " " + quoted(code);
    Result run;
    std::wstring line;
    if (script.find('"') != std::string::npos || !WideFromUtf8("/bin/sh -c \"" + script + "\"", &line)) return run;
    const std::wstring codeFile = here + L"\\linux.code";
    DeleteFileW(codeFile.c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return run;
    if (process.hProcess) CloseHandle(process.hProcess), CloseHandle(process.hThread);
    auto read = [](const std::wstring& file) {
        std::string text;
        HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return text;
        text = ReadAll(h);
        CloseHandle(h);
        return text;
    };
    for (int i = 0; i < 1200 && GetFileAttributesW(codeFile.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(50);
    const std::string exitCode = read(codeFile);
    if (exitCode.empty()) return run;
    run.exitCode = static_cast<DWORD>(std::stoul(exitCode));
    run.out = read(here + L"\\linux.out");
    run.err = read(here + L"\\linux.err");
    return run;
}

// The Linux build (build/linux/quillexc, over hivex, on the original hive file) gives the
// exit codes and JSON this build gives for the same real installation loaded by the
// platform. Only what differs by nature is set aside: the order of a driver key's values
// (below), and hivex's report of a hive whose latest changes are still in its logs (the
// platform applies them when it loads a hive). Neither JSON names the hive's path.
TEST(QuillexcRealHives, TheLinuxBuildGivesTheSameJson) {
    const std::wstring linuxQuillexc = BuildFolder() + L"linux\\quillexc";
    if (GetFileAttributesW(linuxQuillexc.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no Linux build beside this one (scripts/test makes it)";
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    ASSERT_NE(nullptr, unixName) << "not on Wine";
    auto onLinux = [&](const std::wstring& path) {
        char* name = unixName(path.c_str());
        const std::string text = name ? name : "";
        HeapFree(GetProcessHeap(), 0, name);
        return text;
    };
    auto normalized = [](json document) {
        if (!document.is_object()) return document;
        document.erase("hiveDirty");
        // Wine's registry keeps a key's values sorted by name; Windows, like hivex, in the
        // order the hive holds them.
        if (document.contains("registry"))
            std::sort(document["registry"].begin(), document["registry"].end(), [](const json& a, const json& b) {
                return std::tie(a["keyPath"], a["valueName"]) < std::tie(b["keyPath"], b["valueName"]);
            });
        return document;
    };
    const std::string program = onLinux(linuxQuillexc), folder = onLinux(BuildFolder() + L"realhives");
    for (const wchar_t* name : {L"win7", L"win8plus"}) {
        SCOPED_TRACE(U8(name));
        std::wstring error;
        const std::wstring loaded = RealHiveFile(name, &error);
        ASSERT_FALSE(loaded.empty()) << U8(error);
        const std::string file = onLinux(BuildFolder() + L"realhives\\" + name + L"-SYSTEM");

        const json classes = Quillexc({L"--hive", loaded, L"list", L"--devices", L"--json"}).Json();
        const json keyboard = Find(classes, "className", "Keyboard");
        ASSERT_TRUE(keyboard.is_object() && !keyboard["devices"].empty()) << classes.dump().substr(0, 500);
        const std::vector<std::string> commands[] = {{"list", "--devices", "--json"},
                                                     {"check", "--json"},
                                                     {"show", "Keyboard", "--json"},
                                                     {"show", keyboard["devices"][0]["instanceId"], "--json"}};
        for (const auto& words : commands) {
            std::vector<std::wstring> windowsWords{L"--hive", loaded};
            for (const std::string& word : words) {
                std::wstring wide;
                ASSERT_TRUE(WideFromUtf8(word, &wide));
                windowsWords.push_back(wide);
            }
            std::vector<std::string> linuxWords{"--hive", file};
            linuxWords.insert(linuxWords.end(), words.begin(), words.end());
            const Result windows = Quillexc(windowsWords), native = RunLinux(program, linuxWords, folder, BuildFolder() + L"realhives");
            const json expected = normalized(windows.Json()), got = normalized(native.Json());
            ASSERT_FALSE(expected.is_discarded()) << Show(windows);
            EXPECT_EQ(windows.exitCode, native.exitCode) << words[0] << " " << words[1] << "\n" << native.err;
            EXPECT_TRUE(expected == got) << words[0] << " " << words[1] << ": "
                                         << json::diff(expected, got).dump().substr(0, 2000) << "\n"
                                         << native.out.substr(0, 300) << "\n" << native.err;
        }
    }
}
