#include "cli/Commands.h"

namespace qxc {
namespace {

// Every command of quillexc. A command runs only through its row here: a name that has
// none is an unknown command.
constexpr Command kCommands[] = {
    {L"list", kDevices | kJson, Reads::ClassKeys, RunList, L"quillexc list [--devices] [--json]",
     L"Lists the device setup classes in the order they are read: GUID, class name, description,\r\n"
     L"upper and lower filters. With --devices, each class's devices follow it (number, instance ID,\r\n"
     L"description, filters).", false},
    {L"show", kJson, Reads::ClassKeys, RunShow, L"quillexc show TARGET [--json]",
     L"Shows a class with all its fields and its devices, or a device with every property and the\r\n"
     L"registry values below its driver key (key, value name, type, contents).", true},
    {L"filters", kJson | kYes | kRestart | kFirst | kBefore | kAfter, Reads::ClassKeys, RunFilters,
     L"quillexc filters TARGET upper|lower [--json]\r\n"
     L"       quillexc filters TARGET upper|lower set [NAME...] [--yes] [--restart] [--json]\r\n"
     L"       quillexc filters TARGET upper|lower add NAME [--first | --before NAME | --after NAME] [--yes] [--restart] [--json]\r\n"
     L"       quillexc filters TARGET upper|lower remove NAME [--yes] [--restart] [--json]",
     L"Without an operation, prints the list, one name a line. set replaces it (no names empties it),\r\n"
     L"add puts a name at the end or where told, remove takes a name out (every entry of it).\r\n"
     L"The new list is checked as the window checks it: every name must be an installed service\r\n"
     L"that can work as a filter. A list that draws a warning, or belongs to a class the machine\r\n"
     L"depends on, is written only with --yes; without it the question is printed and exit code 3\r\n"
     L"says nothing was written. Every change is recorded in the change journal. Prints the old\r\n"
     L"and the new list. --restart then restarts the devices the change affects (see restart).", true},
    {L"check", kJson, Reads::EveryDevice, RunCheck, L"quillexc check [--json]",
     L"Checks every filter list of every class and device: services that are missing, disabled or\r\n"
     L"no driver, driver files that are not there, and more; also lists devices that report a\r\n"
     L"problem. Exit code 1 when an error is found.", false},
    {L"history", kJson, Reads::Journal, RunHistory, L"quillexc history [--json]",
     L"Shows the changes recorded in the change journal, oldest first.", false},
    {L"undo", kId | kYes | kRestart, Reads::ChangedClass, RunUndo, L"quillexc undo [--id N] [--yes] [--restart]",
     L"Puts back the list the newest change replaced (or change N, as history numbers it), if the\r\n"
     L"list still holds what that change left. Asks first: without --yes the question is printed\r\n"
     L"and nothing is written (exit code 3).\r\n"
     L"--restart then restarts the devices the change affects (see restart).", false},
    {L"restart", kJson | kYes, Reads::EveryDevice, RunRestart, L"quillexc restart TARGET [--yes] [--json]",
     L"Restarts the devices of a class (each present device, in order) or one device, so that a\r\n"
     L"changed filter list is read now. Asks first: without --yes the question is printed and\r\n"
     L"nothing is restarted (exit code 3). Prints the devices restarted, those that need a restart\r\n"
     L"of the machine and those that failed. Refused offline (--hive) and for a 32-bit quillexc on\r\n"
     L"64-bit Windows (exit code 3). After a change with --restart, exit code 5 says the change is\r\n"
     L"written but holds only once the machine restarts.", true},
    // Help takes any option: "quillexc help --json" is still a request for help.
    {L"help", kEveryOption, Reads::Nothing, RunHelp, L"quillexc help [COMMAND]",
     L"Explains the commands, or one command (also: quillexc COMMAND --help).", false},
};

constexpr bool SameName(const wchar_t* a, const wchar_t* b) {
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}

// Every row can run and be explained, and no name stands twice.
constexpr bool EveryCommandWhole() {
    for (const Command& command : kCommands) {
        if (!command.name || !*command.name || !command.run || !command.usage || !command.text ||
            (command.options & ~kEveryOption))
            return false;
        int named = 0;
        for (const Command& other : kCommands) named += SameName(command.name, other.name);
        if (named != 1) return false;
    }
    return true;
}
static_assert(EveryCommandWhole(), "each command needs its own name, a handler, its usage and its text");

const wchar_t kTargetText[] =
    L"TARGET is a class by its GUID (any case, braces optional), its class name (Keyboard) or its\r\n"
    L"description (\"Disk drives\"), or a device by its instance ID.";

const wchar_t kExitText[] =
    L"Exit codes: 0 done (check: no errors); 1 the check found errors; 2 bad usage or unknown\r\n"
    L"target; 3 change refused, nothing written; 4 a write, the change journal or the registry failed\r\n"
    L"(restart: a device failed); 5 written or restarted, but a restart of the machine is needed.";

}  // namespace

const Command* FindCommand(const std::wstring& name) {
    for (const Command& command : kCommands)
        if (name == command.name) return &command;
    return nullptr;
}

void PrintHelp(const std::wstring& name) {
    if (const Command* command = FindCommand(name)) {
        Out().Line(std::wstring(L"Usage: ") + command->usage);
        Out().Line();
        Out().Line(command->text);
        if (command->target) {
            Out().Line();
            Out().Line(kTargetText);
        }
        if (command->run != RunHelp) {
            Out().Line();
            Out().Line(kExitText);
        }
        return;
    }
    Out().Line(L"quillexc: the device setup classes, their devices and filter drivers, from the command line.");
    Out().Line();
    for (const Command& command : kCommands) Out().Line(std::wstring(L"  ") + command.usage);
    Out().Line();
    Out().Line(kTargetText);
    Out().Line(L"--json prints one JSON document (UTF-8) for programs.");
    Out().Line(L"--hive PATH, before or after any command, works on the SYSTEM hive file of an installation");
    Out().Line(L"that does not boot (for example D:\\Windows\\System32\\config\\SYSTEM) instead of this machine.");
    Out().Line(kExitText);
}

int RunHelp(Session& session) {
    Arguments& args = session.args;
    if (args.command.empty() && !args.Has(kHelp) && args.given) {
        args.error = L"Name a command before its options.";
        return kExitUsage;
    }
    const std::wstring topic = args.words.empty() ? L"" : args.words.front();
    if (!topic.empty() && !FindCommand(topic)) {
        args.error = L"Unknown command \"" + topic + L"\".";
        return kExitUsage;
    }
    PrintHelp(topic);
    // Nothing asked for at all: the caller's mistake, though the help says what to ask.
    return args.command.empty() && !args.Has(kHelp) ? kExitUsage : kExitDone;
}

}  // namespace qxc
