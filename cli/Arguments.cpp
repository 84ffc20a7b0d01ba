#include "cli/Arguments.h"

namespace qxc {

bool Arguments::OnlyOptions(std::initializer_list<const wchar_t*> allowed) {
    for (const std::wstring& given : options) {
        bool known = given == L"--help";
        for (const wchar_t* option : allowed) known = known || given == option;
        if (!known) {
            error = L"\"" + command + L"\" does not take " + given + L".";
            return false;
        }
    }
    return true;
}

Arguments ParseArguments(int argc, wchar_t** argv) {
    Arguments args;
    for (int i = 1; i < argc; ++i) {
        std::wstring word = argv[i];
        if (word == L"-h" || word == L"/?") word = L"--help";
        if (word.size() < 2 || word.compare(0, 2, L"--") != 0) {
            if (args.command.empty())
                args.command = word;
            else
                args.words.push_back(word);
            continue;
        }
        if (word == L"--hive") {
            // Says where every command works, so it is no option of one command.
            // An empty path (a script's unset variable) must never mean this machine.
            if (args.hiveGiven) {
                args.error = L"--hive is given twice.";
                return args;
            }
            if (i + 1 >= argc || argv[i + 1][0] == L'\0') {
                args.error = L"--hive needs the path of a SYSTEM hive file.";
                return args;
            }
            args.hiveGiven = true;
            args.hive = argv[++i];
            continue;
        }
        if (word == L"--before" || word == L"--after" || word == L"--id") {
            if (i + 1 >= argc) {
                args.error = word == L"--id" ? L"--id needs the number of a change, as history shows it."
                                             : word + L" needs the name of a filter in the list.";
                return args;
            }
            (word == L"--before" ? args.before : word == L"--after" ? args.after : args.id) = argv[++i];
        } else if (word != L"--json" && word != L"--devices" && word != L"--yes" && word != L"--first" && word != L"--restart" &&
                   word != L"--help") {
            args.error = L"Unknown option " + word + L".";
            return args;
        }
        if (!args.options.insert(word).second) {
            args.error = word + L" is given twice.";
            return args;
        }
    }
    return args;
}

}  // namespace qxc
