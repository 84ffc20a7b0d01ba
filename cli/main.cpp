// quillexc: the class list, the filter lists and their changes for scripts and remote
// shells. The same model as the window: the same checks before a write, the same write
// gate and change journal; a question the window would ask needs --yes here.
#include "cli/Commands.h"
#include "model/DeviceAccess.h"
#include "model/OfflineHive.h"

using namespace qxc;

int wmain(int argc, wchar_t** argv) {
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
    // Another installation's SYSTEM hive: every command works on it instead of this
    // machine, and it is unloaded again when the command is done (after the records).
    qx::OfflineHive hive;
    if (!args.hive.empty()) {
        qx::UnloadStaleHives();
        std::wstring error;
        if (!hive.Open(args.hive, &error)) {
            Err().Line(error);
            qx::SetMessages(previous);
            return kExitFailed;
        }
    }
    DriverClassList classes;
    int code = kExitFailed;
    bool noClassList = false;
    const qx::DeviceScope scope = DeviceScopeFor(args, &noClassList);
    if (!noClassList && !qx::BuildDriverClasses(classes, nullptr, scope)) {
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
    qx::SetMessages(previous);
    return code;
}
