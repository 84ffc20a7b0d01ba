// quillexc: the class list, the filter lists and their changes for scripts and remote
// shells. The same model as the window: the same checks before a write, the same write
// gate and change journal; a question the window would ask needs --yes here.
#include <new>

#include "cli/Commands.h"
#include "model/ClassList.h"
#include "model/DeviceAccess.h"
#include "model/FilterStore.h"
#include "model/TextForms.h"

namespace qxc {

std::wstring DirtyHiveRefusal() {
    return L"The hive is dirty: the installation's latest changes are still in its transaction logs "
           L"(SYSTEM.LOG1, SYSTEM.LOG2), and writing it would lose them or have Windows replay older data "
           L"over this change. Nothing was written. Start the installation's recovery environment and use "
           L"quillex.exe /offline there (Windows applies the logs itself), or apply the logs with a tool "
           L"that can, then try again.";
}

namespace {

// What the command reads of the machine before it runs: the class keys only, one class's
// devices, or every device. *none when it reads no class list.
qx::DeviceScope ScopeOf(const Command& command, const Session& session, bool* none) {
    *none = command.reads == Reads::Journal;
    qx::DeviceScope scope;
    // No command lists a device's every property or its driver key but "show" of that
    // one device, which reads its own record (TakeTarget).
    scope.details = false;
    if (command.reads == Reads::EveryDevice || ReadsEveryDevice(session.args.given)) return scope;
    // The class keys; a TARGET's device, or the device a change to undo names, is read
    // when the command knows it (TakeTarget, RunUndo).
    scope.kind = qx::DeviceScope::None;
    return scope;
}

int RunCommand(Arguments& args, HiveSession& hive) {
    auto usage = [&args] {
        Err().Line(args.error);
        Err().Line(L"Run \"quillexc help\" for the commands.");
        return kExitUsage;
    };
    if (!args.error.empty()) return usage();
    // Only a row of the command table runs: any other name is an unknown command.
    const Command* command = FindCommand(args.command.empty() ? L"help" : args.command);
    if (!command) {
        args.error = L"Unknown command \"" + args.command + L"\".";
        return usage();
    }
    if (command->reads == Reads::Nothing) {
        ConsoleMessages messages(false);
        DriverClassList none;
        Session session{args, none, messages, false, nullptr, {}};
        const int code = command->run(session);
        return code == kExitUsage && !args.error.empty() ? usage() : code;
    }
    if (args.Has(kHelp)) {
        PrintHelp(args.command);
        return kExitDone;
    }
    // Before anything is read or an offline hive is loaded.
    if (!args.OnlyOptions(command->options)) {
        Err().Line(args.error);
        return kExitUsage;
    }

    ConsoleMessages messages(args.Has(kYes));
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
    Session session{args, classes, messages, hive.Dirty(), nullptr, {}};
    if (command->reads == Reads::Journal || command->reads == Reads::ChangedClass) {
        // Once for the run: the command reports it when it cannot be read.
        session.journal = qx::ChangeJournal(&session.journalContents.error);
        if (session.journal) session.journalContents = session.journal->Read();
    }
    // Only what the command reads: no class list for history, the class keys for most.
    bool noClassList = false;
    const qx::DeviceScope scope = ScopeOf(*command, session, &noClassList);
    if (!noClassList && !qx::BuildDriverClasses(classes, nullptr, scope)) {
        Err().Line(L"The device setup classes cannot be read: the class key does not open.");
    } else {
        code = command->run(session);
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
