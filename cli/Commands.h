// The commands of quillexc. Each returns its exit code (Arguments.h).
#pragma once
#include <nlohmann/json.hpp>

#include "cli/Arguments.h"
#include "cli/Console.h"
#include "cli/Targets.h"
#include "model/ClassList.h"
#include "model/DeviceRestart.h"
#include "model/Journal.h"

namespace qxc {

struct Session {
    Arguments& args;
    // Built as far as the command needs (its Reads): a TARGET's class may get its devices
    // only when the target is resolved.
    DriverClassList& classes;
    ConsoleMessages& messages;
    // The hive's latest changes are still in its logs: it is read, never written.
    bool hiveDirty = false;
    // The change journal, read once before the command runs when the command reads it
    // (Reads::Journal, Reads::ChangedClass); null when it has none or it is unknown.
    const qx::Journal* journal = nullptr;
    qx::JournalContents journalContents;  // error says why it could not be read
};

// The platform's part of --hive: puts another installation's hive under the model for
// the run and takes it away again when destroyed (after the records are released).
class HiveSession {
public:
    virtual ~HiveSession() = default;
    // Opens the hive; an empty path is this machine, where the platform has one. False,
    // with the sentence for the user and the exit code, when it cannot be.
    virtual bool Open(const std::wstring& path, std::wstring* error, int* code) = 0;
    // The hive's header says its latest changes are still in the transaction logs.
    virtual bool Dirty() const { return false; }
    // Closes it once the records are released (an offline hive is unloaded). False, with
    // the sentence for the user, when the platform refused.
    virtual bool Close(std::wstring* error) = 0;
};

// What a command reads before it runs. An option that reads every device (--devices,
// --restart) widens the class keys and the changed class to every device.
enum class Reads {
    Nothing,      // not the machine, nor the journal (help)
    Journal,      // the change journal, no class list
    ClassKeys,    // the class keys; a TARGET's class gets its devices when it is resolved
    EveryDevice,  // every class with every device
    ChangedClass, // the journal, the class keys, and the device of the change to undo alone
};

// A command: the only way from its name to its handler.
struct Command {
    const wchar_t* name;
    unsigned options;  // the Option bits it takes (--help and --hive go with every command)
    Reads reads;
    int (*run)(Session& session);
    const wchar_t* usage;  // its lines of "Usage:"
    const wchar_t* text;   // what it does
    bool target;           // its help explains TARGET
};

// The command of that name in the command table (Commands.cpp); null for every other name.
const Command* FindCommand(const std::wstring& name);

// The whole run of a parsed command line (Run.cpp), on the place `hive` opens.
int RunQuillexc(Arguments& args, HiveSession& hive);
// The sentence a write to a dirty hive is refused with.
std::wstring DirtyHiveRefusal();

int RunHelp(Session& session);  // "quillexc help [COMMAND]", "COMMAND --help", nothing at all
int RunList(Session& session);
int RunShow(Session& session);
int RunFilters(Session& session);  // shows a list, or changes it (ChangeCommands.cpp)
int RunCheck(Session& session);
int RunHistory(Session& session);
int RunUndo(Session& session);
int RunRestart(Session& session);  // RestartCommands.cpp

// The help of one command, or of all when `command` names none (Commands.cpp).
void PrintHelp(const std::wstring& command);

// ---- Shared forms (ReadCommands.cpp) -------------------------------------------------
std::string U8(const std::wstring& text);
nlohmann::json NamesJson(const StringList& names);
// "upper" / "lower": how the JSON names a list.
const char* ListKey(bool upper);
// The names, or "(none)".
std::wstring NamesText(const StringList& names);
void PrintJson(const nlohmann::json& document);
// A filter list as the commands show it: its names, or, for a value of another type than
// a list, that value as what it is ("REG_DWORD", "0x00000001"), never its bytes taken for
// names.
struct ListShown {
    const StringList* names;
    std::wstring type, contents;  // set for a value that is not a list
    std::wstring Text() const;    // the names, "(none)", or "(REG_DWORD 0x00000001)"
    // key: the names, or null with "<key>Type" beside it.
    void PutJson(nlohmann::json& j, const char* key) const;
};
// A device's empty list is read again only when `always` (a listing shows thousands).
ListShown ShownList(const CDriverClass& owner, const CDevice* device, bool upper, bool always = false);
// Resolves the first word as TARGET; prints the error and gives false when it fails.
bool TakeTarget(Session& session, Target* target);
// The journal the session read; prints why and gives null when it could not be read.
const qx::Journal* SessionJournal(const Session& session);

// ---- Device restarts (RestartCommands.cpp) ---------------------------------------------
// The results as JSON keys "restarted", "needsReboot", "failed" (instance IDs) and, when
// refused, "restartRefusal"; in text on standard output (a refusal on standard error).
void AddRestartJson(const qx::RestartReport& report, nlohmann::json* document);
void PrintRestartText(const qx::RestartReport& report);
// 0 when every device restarted; after a written change 5 otherwise; for "restart" 3
// when refused, 4 when a device failed, else 5.
int RestartExitCode(const qx::RestartReport& report, bool afterChange);

}  // namespace qxc
