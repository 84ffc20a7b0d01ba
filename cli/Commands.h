// The commands of quillexc. Each returns its exit code (Arguments.h).
#pragma once
#include <nlohmann/json.hpp>

#include "cli/Arguments.h"
#include "cli/Console.h"
#include "cli/Targets.h"
#include "model/ClassList.h"
#include "model/Journal.h"

namespace qxc {

struct Session {
    Arguments& args;
    // Built as far as the command needs (see DeviceScopeFor): a TARGET's class may get
    // its devices only when the target is resolved.
    DriverClassList& classes;
    ConsoleMessages& messages;
};

// What a command reads of the machine before it runs: the class keys only, one class's
// devices, or every device (check, list --devices). *none when it reads no class list.
qx::DeviceScope DeviceScopeFor(const Arguments& args, bool* none);

int RunList(Session& session);
int RunShow(Session& session);
int RunFilters(Session& session);  // shows a list, or changes it (ChangeCommands.cpp)
int RunCheck(Session& session);
int RunHistory(Session& session);
int RunUndo(Session& session);

// Help (Help.cpp): "quillexc help [COMMAND]" and "COMMAND --help"; false for a command
// that does not exist.
bool IsCommand(const std::wstring& command);
void PrintHelp(const std::wstring& command);

// ---- Shared forms (ReadCommands.cpp) -------------------------------------------------
std::string U8(const std::wstring& text);
nlohmann::json NamesJson(const StringList& names);
// "upper" / "lower": how the JSON names a list.
const char* ListKey(bool upper);
// The names, or "(none)".
std::wstring NamesText(const StringList& names);
void PrintJson(const nlohmann::json& document);
// Resolves the first word as TARGET; prints the error and gives false when it fails.
bool TakeTarget(Session& session, Target* target);
// Reads the change journal whole; prints why and gives null when it cannot be read.
const qx::Journal* ReadChangeJournal(qx::JournalContents* contents);

}  // namespace qxc
