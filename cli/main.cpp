// quillexc: the class list, the filter lists and their changes for scripts and remote
// shells. The same model as the window: the same checks before a write, the same write
// gate and change journal; a question the window would ask needs --yes here.
#include <new>

#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "model/DeviceAccess.h"
#include "model/OfflineHive.h"

using namespace qxc;

namespace {

int Run(int argc, wchar_t** argv) {
    InstallInterruptHandler();
    Arguments args = ParseArguments(argc, argv);
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
        return kExitDone;
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
    // Another installation's SYSTEM hive: every command works on it instead of this
    // machine, and it is unloaded again when the command is done (after the records).
    qx::OfflineHive hive;
    // A hive an earlier run could not unload (or left loaded when it was killed) goes now.
    qx::UnloadStaleHives();
    if (!args.hive.empty()) {
        std::wstring error;
        if (!hive.Open(args.hive, &error)) {
            Err().Line(error);
            qx::SetMessages(previous);
            return kExitFailed;
        }
    }
    DriverClassList classes;
    // Released before the hive is unloaded, also when the command ends by an exception.
    struct Release {
        DriverClassList& classes;
        qx::IMessageSink* previous;
        ~Release() {
            qx::ReleaseDriverClasses(classes);
            qx::SetMessages(previous);
        }
    } release{classes, previous};
    int code = kExitFailed;
    if (!qx::BuildDriverClasses(classes, nullptr)) {
        Err().Line(L"The device setup classes cannot be read: the class key does not open.");
    } else {
        Session session{args, classes, messages};
        if (args.command == L"list") code = RunList(session);
        else if (args.command == L"show") code = RunShow(session);
        else if (args.command == L"filters") code = RunFilters(session);
        else if (args.command == L"check") code = RunCheck(session);
        else if (args.command == L"history") code = RunHistory(session);
        else code = RunUndo(session);
        if (code == kExitUsage && !args.error.empty()) Err().Line(args.error);
    }
    qx::ReleaseDriverClasses(classes);
    std::wstring error;
    if (!hive.Close(&error)) {
        Err().Line(error);
        code = kExitFailed;
    }
    qx::SetMessages(previous);
    RunFinished(code);
    return code;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Whatever was open (the journal, an offline hive) was closed on the way out.
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        Err().Line(L"Not enough memory to finish the command; it was stopped (an offline hive was unloaded). "
                   L"Run \"quillexc history\" to see which changes were recorded.");
        return kExitFailed;
    }
}
