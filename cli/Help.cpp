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
                 L"       quillexc filters TARGET upper|lower set [NAME...] [--yes] [--restart] [--json]\r\n"
                 L"       quillexc filters TARGET upper|lower add NAME [--first | --before NAME | --after NAME] [--yes] [--restart] [--json]\r\n"
                 L"       quillexc filters TARGET upper|lower remove NAME [--yes] [--restart] [--json]",
     L"Without an operation, prints the list, one name a line. set replaces it (no names empties it),\r\n"
     L"add puts a name at the end or where told, remove takes a name out (every entry of it).\r\n"
     L"The new list is checked as the window checks it: every name must be an installed service\r\n"
     L"that can work as a filter. A list that draws a warning, or belongs to a class the machine\r\n"
     L"depends on, is written only with --yes; without it the question is printed and exit code 3\r\n"
     L"says nothing was written. Every change is recorded in the change journal. Prints the old\r\n"
     L"and the new list. --restart then restarts the devices the change affects (see restart)."},
    {L"check", L"quillexc check [--json]",
     L"Checks every filter list of every class and device: services that are missing, disabled or\r\n"
     L"no driver, driver files that are not there, and more; also lists devices that report a\r\n"
     L"problem. Exit code 1 when an error is found."},
    {L"history", L"quillexc history [--json]", L"Shows the changes recorded in the change journal, oldest first."},
    {L"undo", L"quillexc undo [--id N] [--yes] [--restart]",
     L"Puts back the list the newest change replaced (or change N, as history numbers it), if the\r\n"
     L"list still holds what that change left. Asks first: without --yes the question is printed\r\n"
     L"and nothing is written (exit code 3).\r\n"
     L"--restart then restarts the devices the change affects (see restart)."},
    {L"restart", L"quillexc restart TARGET [--yes] [--json]",
     L"Restarts the devices of a class (each present device, in order) or one device, so that a\r\n"
     L"changed filter list is read now. Asks first: without --yes the question is printed and\r\n"
     L"nothing is restarted (exit code 3). Prints the devices restarted, those that need a restart\r\n"
     L"of the machine and those that failed. Refused offline (--hive) and for a 32-bit quillexc on\r\n"
     L"64-bit Windows (exit code 3). After a change with --restart, exit code 5 says the change is\r\n"
     L"written but holds only once the machine restarts."},
    {L"help", L"quillexc help [COMMAND]", L"Explains the commands, or one command (also: quillexc COMMAND --help)."},
};

const wchar_t kTargetText[] =
    L"TARGET is a class by its GUID (any case, braces optional), its class name (Keyboard) or its\r\n"
    L"description (\"Disk drives\"), or a device by its instance ID.";

const wchar_t kExitText[] =
    L"Exit codes: 0 done (check: no errors); 1 the check found errors; 2 bad usage or unknown\r\n"
    L"target; 3 change refused, nothing written; 4 a write, the change journal or the registry failed\r\n"
    L"(restart: a device failed); 5 written or restarted, but a restart of the machine is needed.";

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
        if (command == L"show" || command == L"filters" || command == L"restart") {
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
