// The command line: the command, its words, and its options wherever they stand.
#pragma once
#include <string>

#include "model/Types.h"

namespace qxc {

// Exit codes, for scripts.
enum Exit : int {
    kExitDone = 0,
    kExitCheckErrors = 1,  // the check found errors
    kExitUsage = 2,        // bad usage or unknown target
    kExitRefused = 3,      // the change was refused; nothing written
    kExitFailed = 4,       // the write or the journal failed, or the machine could not be read
    kExitNeedsReboot = 5,  // written (or restarted), but it holds only once the machine restarts
};

// The options a command may take, one bit each. Each is spelt once, in the option table
// (Arguments.cpp); the command table (Commands.cpp) says which command takes which.
// --hive is none of them: it says where every command works.
enum Option : unsigned {
    kAfter = 1u << 0,
    kBefore = 1u << 1,
    kDevices = 1u << 2,
    kFirst = 1u << 3,
    kHelp = 1u << 4,
    kId = 1u << 5,
    kJson = 1u << 6,
    kRestart = 1u << 7,
    kYes = 1u << 8,
};
constexpr unsigned kEveryOption = (kYes << 1) - 1;

struct Arguments {
    std::wstring command;       // empty when none was given
    StringList words;           // everything that is not an option, in order
    unsigned given = 0;         // the options given (Option bits)
    std::wstring before, after; // the names --before and --after take
    std::wstring id;            // the change --id names
    std::wstring hive;          // --hive: the SYSTEM hive file of another installation
    bool hiveGiven = false;
    std::wstring error;         // why the line cannot be used; empty when it can

    bool Has(Option option) const { return (given & option) != 0; }
    // Sets error when an option not in `allowed` (nor --help) was given.
    bool OnlyOptions(unsigned allowed);
};

Arguments ParseArguments(int argc, wchar_t** argv);
// The option as it is spelt on the command line ("--json").
const wchar_t* OptionName(Option option);
// Whether the option makes a command read every device (a restart goes to all of its
// target's devices; --devices lists them).
bool ReadsEveryDevice(unsigned given);

}  // namespace qxc
