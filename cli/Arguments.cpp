#include "cli/Arguments.h"

namespace qxc {
namespace {

struct OptionRow {
    Option option;
    const wchar_t* name;
    // For an option that takes the next word: where it goes, and what is said when it is missing.
    std::wstring Arguments::*value;
    const wchar_t* needs;
    bool readsEveryDevice;
};

// In the order of their names: a line with several options a command does not take
// names the first of them in this order.
constexpr OptionRow kOptions[] = {
    {kAfter, L"--after", &Arguments::after, L"--after needs the name of a filter in the list.", false},
    {kBefore, L"--before", &Arguments::before, L"--before needs the name of a filter in the list.", false},
    {kDevices, L"--devices", nullptr, nullptr, true},
    {kFirst, L"--first", nullptr, nullptr, false},
    {kHelp, L"--help", nullptr, nullptr, false},
    {kId, L"--id", &Arguments::id, L"--id needs the number of a change, as history shows it.", false},
    {kJson, L"--json", nullptr, nullptr, false},
    {kRestart, L"--restart", nullptr, nullptr, true},
    {kYes, L"--yes", nullptr, nullptr, false},
};

// Every bit of Option has its row, once and in the order of the bits.
constexpr bool EveryOptionOnce() {
    unsigned bit = 1;
    for (const OptionRow& row : kOptions) {
        if (row.option != bit || (row.value != nullptr) != (row.needs != nullptr)) return false;
        bit <<= 1;
    }
    return bit - 1 == kEveryOption;
}
static_assert(EveryOptionOnce(), "each Option needs one row in kOptions, in the order of its bits");

const OptionRow* FindOption(const std::wstring& name) {
    for (const OptionRow& row : kOptions)
        if (name == row.name) return &row;
    return nullptr;
}

}  // namespace

const wchar_t* OptionName(Option option) {
    for (const OptionRow& row : kOptions)
        if (row.option == option) return row.name;
    return L"";
}

bool ReadsEveryDevice(unsigned given) {
    for (const OptionRow& row : kOptions)
        if (row.readsEveryDevice && (given & row.option)) return true;
    return false;
}

bool Arguments::OnlyOptions(unsigned allowed) {
    allowed |= kHelp;
    for (const OptionRow& row : kOptions) {
        if ((given & row.option) && !(allowed & row.option)) {
            error = L"\"" + command + L"\" does not take " + row.name + L".";
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
        const OptionRow* option = FindOption(word);
        if (!option) {
            args.error = L"Unknown option " + word + L".";
            return args;
        }
        if (option->value) {
            if (i + 1 >= argc) {
                args.error = option->needs;
                return args;
            }
            args.*(option->value) = argv[++i];
        }
        if (args.Has(option->option)) {
            args.error = word + L" is given twice.";
            return args;
        }
        args.given |= option->option;
    }
    return args;
}

}  // namespace qxc
