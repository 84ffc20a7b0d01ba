#include "cli/Commands.h"

namespace qxc {
namespace {

struct CommandHelp {
    const wchar_t* name;
    const wchar_t* usage;
    const wchar_t* text;
};

const CommandHelp kCommands[] = {
    {L"list", L"quillexc list [--devices] [--json]",
     L"Lists the device setup classes in the order they are read: GUID, class name, description,\r\n"
     L"upper and lower filters. With --devices, each class's devices follow it (number, instance ID,\r\n"
     L"description, filters)."},
    {L"show", L"quillexc show TARGET [--json]",
     L"Shows a class with all its fields and its devices, or a device with every property and the\r\n"
     L"registry values below its driver key (key, value name, type, contents)."},
    {L"filters", L"quillexc filters TARGET upper|lower [--json]\r\n"
                 L"       quillexc filters TARGET upper|lower set [NAME...] [--yes] [--json]\r\n"
                 L"       quillexc filters TARGET upper|lower add NAME [--first | --before NAME | --after NAME] [--yes] [--json]\r\n"
                 L"       quillexc filters TARGET upper|lower remove NAME [--yes] [--json]",
     L"Without an operation, prints the list, one name a line. set replaces it (no names empties it),\r\n"
     L"add puts a name at the end or where told, remove takes a name out (every entry of it).\r\n"
     L"The new list is checked as the window checks it: every name must be an installed service\r\n"
     L"that can work as a filter. A list that draws a warning, or belongs to a class the machine\r\n"
     L"depends on, is written only with --yes; without it the question is printed and exit code 3\r\n"
     L"says nothing was written. Every change is recorded in the change journal. Prints the old\r\n"
     L"and the new list."},
    {L"check", L"quillexc check [--json]",
     L"Checks every filter list of every class and device: services that are missing, disabled or\r\n"
     L"no driver, driver files that are not there, and more; also lists devices that report a\r\n"
     L"problem. Exit code 1 when an error is found."},
    {L"history", L"quillexc history [--json]", L"Shows the changes recorded in the change journal, oldest first."},
    {L"undo", L"quillexc undo [--yes]",
     L"Puts back the list the newest change replaced, if the list still holds what that change\r\n"
     L"left. Asks first: without --yes the question is printed and nothing is written (exit code 3)."},
    {L"help", L"quillexc help [COMMAND]", L"Explains the commands, or one command (also: quillexc COMMAND --help)."},
};

const wchar_t kTargetText[] =
    L"TARGET is a class by its GUID (any case, braces optional), its class name (Keyboard) or its\r\n"
    L"description (\"Disk drives\"), or a device by its instance ID.";

const wchar_t kExitText[] =
    L"Exit codes: 0 done (check: no errors); 1 the check found errors; 2 bad usage or unknown\r\n"
    L"target; 3 change refused, nothing written; 4 a write, the change journal or the registry failed.";

}  // namespace

bool IsCommand(const std::wstring& command) {
    for (const CommandHelp& help : kCommands)
        if (command == help.name) return true;
    return false;
}

void PrintHelp(const std::wstring& command) {
    for (const CommandHelp& help : kCommands) {
        if (command != help.name) continue;
        Out().Line(std::wstring(L"Usage: ") + help.usage);
        Out().Line();
        Out().Line(help.text);
        if (command == L"show" || command == L"filters") {
            Out().Line();
            Out().Line(kTargetText);
        }
        if (command != L"help") {
            Out().Line();
            Out().Line(kExitText);
        }
        return;
    }
    Out().Line(L"quillexc: the device setup classes, their devices and filter drivers, from the command line.");
    Out().Line();
    for (const CommandHelp& help : kCommands) Out().Line(std::wstring(L"  ") + help.usage);
    Out().Line();
    Out().Line(kTargetText);
    Out().Line(L"--json prints one JSON document (UTF-8) for programs.");
    Out().Line(L"--hive PATH, before or after any command, works on the SYSTEM hive file of an installation");
    Out().Line(L"that does not boot (for example D:\\Windows\\System32\\config\\SYSTEM) instead of this machine.");
    Out().Line(kExitText);
}

}  // namespace qxc
