// The command line: the command, its words, and its options wherever they stand.
#pragma once
#include <set>
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

struct Arguments {
    std::wstring command;       // empty when none was given
    StringList words;           // everything that is not an option, in order
    std::set<std::wstring> options;  // the options given, as spelt ("--json")
    std::wstring before, after; // the names --before and --after take
    std::wstring id;            // the change --id names
    std::wstring hive;          // --hive: the SYSTEM hive file of another installation
    bool hiveGiven = false;
    std::wstring error;         // why the line cannot be used; empty when it can

    bool Has(const wchar_t* option) const { return options.count(option) != 0; }
    // Sets error when an option not in `allowed` (nor --help) was given.
    bool OnlyOptions(std::initializer_list<const wchar_t*> allowed);
};

Arguments ParseArguments(int argc, wchar_t** argv);

}  // namespace qxc
