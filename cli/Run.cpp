// quillexc: the class list, the filter lists and their changes for scripts and remote
// shells. The same model as the window: the same checks before a write, the same write
// gate and change journal; a question the window would ask needs --yes here.
#include <new>

#include "cli/Commands.h"
#include "model/ClassList.h"
#include "model/DeviceAccess.h"

namespace qxc {

std::wstring DirtyHiveRefusal() {
    return L"The hive is dirty: the installation's latest changes are still in its transaction logs "
           L"(SYSTEM.LOG1, SYSTEM.LOG2), and writing it would lose them or have Windows replay older data "
           L"over this change. Nothing was written. Start the installation's recovery environment and use "
           L"quillex.exe /offline there (Windows applies the logs itself), or apply the logs with a tool "
           L"that can, then try again.";
}

namespace {

int RunCommand(Arguments& args, HiveSession& hive) {
    auto usage = [&args] {
        Err().Line(args.error);
        Err().Line(L"Run \"quillexc help\" for the commands.");
        return kExitUsage;
    };
    if (!args.error.empty()) return usage();
    if (args.command.empty() || args.command == L"help") {
        if (args.command.empty() && !args.Has(L"--help") && !args.options.empty()) {
            args.error = L"Name a command before its options.";
            return usage();
        }
        const std::wstring topic = args.words.empty() ? L"" : args.words.front();
        if (!topic.empty() && !IsCommand(topic)) {
            args.error = L"Unknown command \"" + topic + L"\".";
            return usage();
        }
        PrintHelp(topic);
        // Nothing asked for at all: the caller's mistake, though the help says what to ask.
        return args.command.empty() && !args.Has(L"--help") ? kExitUsage : kExitDone;
    }
    if (!IsCommand(args.command)) {
        args.error = L"Unknown command \"" + args.command + L"\".";
        return usage();
    }
    if (args.Has(L"--help")) {
        PrintHelp(args.command);
        return kExitDone;
    }

    ConsoleMessages messages(args.Has(L"--yes"));
    qx::IMessageSink* previous = qx::SetMessages(&messages);
    std::wstring error;
    int code = kExitFailed;
    if (!hive.Open(args.hive, &error, &code)) {
        Err().Line(error);
        if (code == kExitUsage) Err().Line(L"Run \"quillexc help\" for the commands.");
        qx::SetMessages(previous);
        return code;
    }
    if (hive.Dirty())
        Err().Line(L"Warning: the hive is dirty (its header's sequence numbers differ): the installation's latest "
                   L"changes may still be in SYSTEM.LOG1 / SYSTEM.LOG2 and are not shown. It is read only.");
    DriverClassList classes;
    // Released before the hive is closed, also when the command ends by an exception.
    struct Release {
        DriverClassList& classes;
        qx::IMessageSink* previous;
        ~Release() {
            qx::ReleaseDriverClasses(classes);
            qx::SetMessages(previous);
        }
    } release{classes, previous};
    code = kExitFailed;
    // Only what the command reads: no class list for history, the class keys for most.
    bool noClassList = false;
    const qx::DeviceScope scope = DeviceScopeFor(args, &noClassList);
    if (!noClassList && !qx::BuildDriverClasses(classes, nullptr, scope)) {
        Err().Line(L"The device setup classes cannot be read: the class key does not open.");
    } else {
        Session session{args, classes, messages, hive.Dirty()};
        if (args.command == L"list") code = RunList(session);
        else if (args.command == L"show") code = RunShow(session);
        else if (args.command == L"filters") code = RunFilters(session);
        else if (args.command == L"check") code = RunCheck(session);
        else if (args.command == L"history") code = RunHistory(session);
        else if (args.command == L"restart") code = RunRestart(session);
        else code = RunUndo(session);
        if (code == kExitUsage && !args.error.empty()) Err().Line(args.error);
    }
    qx::ReleaseDriverClasses(classes);
    if (!hive.Close(&error)) {
        Err().Line(error);
        code = kExitFailed;
    }
    return code;
}

}  // namespace

int RunQuillexc(Arguments& args, HiveSession& hive) {
    // Whatever was open (the journal, an offline hive) is closed on the way out.
    try {
        return RunCommand(args, hive);
    } catch (const std::bad_alloc&) {
        Err().Line(L"Not enough memory to finish the command; it was stopped (an offline hive was unloaded). "
                   L"Run \"quillexc history\" to see which changes were recorded.");
        return kExitFailed;
    }
}

}  // namespace qxc
