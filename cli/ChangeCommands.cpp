#include <algorithm>

#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "model/FilterCheck.h"
#include "model/FilterStore.h"
#include "model/FilterText.h"
#include "model/ListValidation.h"
#include "model/TextForms.h"

using nlohmann::json;

namespace qxc {
namespace {

// Names as the edit dialog takes them: spaces separate names, empty ones are dropped.
StringList NamesOf(StringList::const_iterator first, StringList::const_iterator last) {
    StringList names;
    for (; first != last; ++first) {
        StringList part = qx::SplitFilterText(*first);
        names.insert(names.end(), part.begin(), part.end());
    }
    return names;
}

bool HoldsName(const StringList& list, const std::wstring& name) {
    return std::any_of(list.begin(), list.end(), [&](const std::wstring& n) { return qx::SameNameNoCase(n, name); });
}

// The new list an operation makes of the current one. Returns an exit code: done,
// usage, or refused (a name the operation needs is not in the list, or a value of
// another type, which holds no names to add to or take from).
int MakeNewList(Arguments& args, const std::wstring& targetText, const ListShown& before, StringList* result) {
    const StringList& current = *before.names;
    const std::wstring& operation = args.words[2];
    const StringList names = NamesOf(args.words.begin() + 3, args.words.end());
    const bool placed = args.Has(kFirst) || args.Has(kBefore) || args.Has(kAfter);
    if (operation == L"set") {
        if (!args.OnlyOptions(kJson | kYes | kRestart)) return kExitUsage;
        *result = names;
        return kExitDone;
    }
    if (operation != L"add" && operation != L"remove") {
        args.error = L"Unknown operation \"" + operation + L"\": use set, add or remove.";
        return kExitUsage;
    }
    if (names.size() != 1) {
        args.error = L"\"" + operation + L"\" takes one filter name.";
        return kExitUsage;
    }
    if (!before.type.empty()) {
        Err().Line(targetText + L" hold " + before.Text() +
                   L", not a list of names: give the whole new list with \"set\". Nothing was written.");
        return kExitRefused;
    }
    const std::wstring& name = names.front();
    *result = current;
    if (operation == L"remove") {
        if (!args.OnlyOptions(kJson | kYes | kRestart)) return kExitUsage;
        if (!HoldsName(current, name)) {
            Err().Line(name + L" is not in the list; nothing was written.");
            return kExitRefused;
        }
        result->erase(std::remove_if(result->begin(), result->end(), [&](const std::wstring& n) { return qx::SameNameNoCase(n, name); }),
                      result->end());
        return kExitDone;
    }
    if (placed && int(args.Has(kFirst)) + args.Has(kBefore) + args.Has(kAfter) > 1) {
        args.error = L"Give at most one of --first, --before and --after.";
        return kExitUsage;
    }
    auto at = result->end();
    if (args.Has(kFirst)) at = result->begin();
    const std::wstring& anchor = args.Has(kBefore) ? args.before : args.after;
    if (args.Has(kBefore) || args.Has(kAfter)) {
        at = std::find_if(result->begin(), result->end(), [&](const std::wstring& n) { return qx::SameNameNoCase(n, anchor); });
        if (at == result->end()) {
            Err().Line(anchor + L" is not in the list; nothing was written.");
            return kExitRefused;
        }
        if (args.Has(kAfter)) ++at;
    }
    result->insert(at, name);
    return kExitDone;
}

// With a restart's report (--restart), its results follow the lists.
void PrintChange(Session& session, const Target& target, bool upper, const ListShown& before, const StringList& after,
                 const qx::RestartReport* restart = nullptr) {
    if (session.args.Has(kJson)) {
        json document{{"guid", U8(target.owner->GetGuidString())},
                      {"instanceId", U8(target.device ? qx::DeviceInstanceId(*target.device) : L"")},
                      {"list", ListKey(upper)},
                      {"after", NamesJson(after)}};
        before.PutJson(document, "before");
        if (restart) AddRestartJson(*restart, &document);
        PrintJson(document);
        if (restart && restart->Refused()) Err().Line(OneLine(restart->refusal));
        return;
    }
    Out().Line(qx::ListTitle(upper) + L" of " + TargetText(target) + L":");
    Out().Line(L"  old: " + before.Text());
    Out().Line(L"  new: " + NamesText(after));
    if (restart) PrintRestartText(*restart);
}

// --restart: the devices the written change affects start again now. The exit code says
// whether every one did.
int RestartAfterChange(Session& session, const Target& target, qx::RestartReport* report) {
    if (!session.args.Has(kRestart)) return kExitDone;
    *report = qx::RestartDevices(*target.owner, target.device);
    return RestartExitCode(*report, true);
}

// What a change that was not made exits with: refused (nothing written), or failed.
int ExitCodeFor(const qx::ChangeOutcome& outcome) {
    return outcome.Done() ? kExitDone : outcome.Failed() ? kExitFailed : kExitRefused;
}

// Ctrl+C came before the change began.
int Stopped() {
    Err().Line(L"Interrupted: nothing was written.");
    return kExitFailed;
}

// The questions the window would ask: with --yes they are answered; without, each is
// printed and nothing is written.
bool AnsweredYes(Session& session, const StringList& questions) {
    if (questions.empty() || session.args.Has(kYes)) return true;
    for (const std::wstring& question : questions) Err().Line(OneLine(question));
    Err().Line(L"Nothing was written. Run the command again with --yes to answer Yes.");
    return false;
}

// The device a change to undo names (the newest change, or the one --id names) is read
// alone, without its class's other devices: the undo touches nothing else. A class's
// change needs the class keys only, which are read.
void ReadDeviceOfChange(Session& session, const qx::UndoRequest& request) {
    const qx::ChangeContext context;
    const std::vector<const qx::JournalEntry*> undoable =
        qx::UndoableEntries(session.journalContents.entries, context.hive, context.hiveComputer);
    const qx::JournalEntry* entry = qx::EntryToUndo(undoable, request.id);
    qx::Guid guid;
    if (!entry || entry->deviceId.empty() || !qx::ParseGuid(entry->classGuid, &guid)) return;
    if (CDriverClass* owner = qx::FindClassRecord(session.classes, guid))
        qx::AddOneDevice(*owner, entry->deviceId, false, false);
}

}  // namespace

int RunFilters(Session& session) {
    Arguments& args = session.args;
    Target target;
    if (!TakeTarget(session, &target)) return kExitUsage;
    if (args.words.size() < 2 || (args.words[1] != L"upper" && args.words[1] != L"lower")) {
        args.error = L"\"filters\" needs the list after TARGET: upper or lower.";
        return kExitUsage;
    }
    const bool upper = args.words[1] == L"upper";
    const StringList current = target.device ? target.device->GetFilters(upper) : target.owner->GetFilters(upper);
    if (args.words.size() == 2) {
        if (!args.OnlyOptions(kJson)) return kExitUsage;
        // A value of another type is shown as what it is, not its bytes taken for names.
        const ListShown shown = ShownList(*target.owner, target.device, upper, true);
        if (!shown.type.empty()) {
            if (args.Has(kJson))
                PrintJson(json{{"names", nullptr}, {"type", U8(shown.type)}, {"contents", U8(shown.contents)}});
            else
                Out().Line(shown.Text());
        } else if (args.Has(kJson)) {
            PrintJson(NamesJson(current));
        } else {
            for (const std::wstring& name : current) Out().Line(name);
        }
        return kExitDone;
    }

    // `current` is the record's list as read: the write below replaces the record's.
    const ListShown shown = ShownList(*target.owner, target.device, upper, true);
    const ListShown before{&current, shown.type, shown.contents};
    StringList names;
    if (int code = MakeNewList(args, L"The " + qx::ListTitle(upper) + L" of " + TargetText(target), before, &names)) return code;
    if (names == current && before.type.empty()) {
        PrintChange(session, target, upper, before, current);
        if (!args.Has(kJson)) Out().Line(L"The list already holds this; nothing was written.");
        return kExitDone;
    }
    if (session.hiveDirty) {
        Err().Line(DirtyHiveRefusal());
        return kExitRefused;
    }
    qx::FilterTarget checked;
    checked.classGuid = target.owner->GetGuid();
    checked.instanceId = target.device ? qx::DeviceInstanceId(*target.device) : std::wstring();
    checked.upper = upper;
    const qx::ListValidation validation = qx::ValidateNewList(&checked, names);
    if (validation.Refused()) {
        Err().Line(OneLine(validation.refusal) + L" Nothing was written.");
        return kExitRefused;
    }
    if (!AnsweredYes(session, validation.questions)) return kExitRefused;
    // As the window's edit dialog says: names stored after an empty string go with this write.
    qx::StoredList asStored;
    if (qx::ReadTargetList(session.classes, checked, &asStored)) {
        const StringList hidden = qx::TakeApart(asStored).hidden;
        if (!hidden.empty()) Err().Line(L"Hidden entries dropped: " + qx::JoinList(hidden) + L".");
    }

    qx::ChangeContext context;
    context.origin = qx::ChangeOrigin::CommandLine;
    ChangeInProgress inProgress;
    if (!inProgress.Started()) return Stopped();
    const qx::ChangeOutcome stored =
        target.device ? (upper ? target.device->SetUpperFilters(names, context) : target.device->SetLowerFilters(names, context))
                      : (upper ? target.owner->SetUpperFilters(names, context) : target.owner->SetLowerFilters(names, context));
    if (!stored.Done()) return ExitCodeFor(stored);
    qx::RestartReport restart;
    const int code = RestartAfterChange(session, target, &restart);
    PrintChange(session, target, upper, before, target.device ? target.device->GetFilters(upper) : target.owner->GetFilters(upper),
                args.Has(kRestart) ? &restart : nullptr);
    return code;
}

// The number --id gives: decimal digits, not 0.
bool ParseChangeId(const std::wstring& text, uint64_t* id) {
    if (text.empty() || text.size() > 19 || text.find_first_not_of(L"0123456789") != std::wstring::npos) return false;
    uint64_t value = 0;
    for (wchar_t c : text) value = value * 10 + static_cast<uint64_t>(c - L'0');
    *id = value;
    return value != 0;
}

int RunUndo(Session& session) {
    Arguments& args = session.args;
    if (!args.words.empty()) {
        args.error = L"\"undo\" takes no TARGET: it reverses the newest change, or the one --id names.";
        return kExitUsage;
    }
    qx::UndoRequest request;
    if (args.Has(kId) && !ParseChangeId(args.id, &request.id)) {
        args.error = L"--id needs the number of a change, as history shows it.";
        return kExitUsage;
    }
    if (session.hiveDirty) {
        Err().Line(DirtyHiveRefusal());
        return kExitRefused;
    }
    // A journal that cannot be read is a failure, not a refusal.
    if (!SessionJournal(session)) return kExitFailed;

    ReadDeviceOfChange(session, request);
    qx::UndoneTarget undone;
    ChangeInProgress inProgress;
    if (!inProgress.Started()) return Stopped();
    const qx::ChangeOutcome undid = qx::UndoFilterChange(session.classes, true, request, &undone);
    if (!undid.Done()) {
        if (undone.olderApplicable) {
            const std::wstring hive = args.hive.empty() ? L"" : L"--hive \"" + args.hive + L"\" ";
            Err().Line(L"Change #" + std::to_wstring(undone.olderApplicable) + L" still applies; to undo it: quillexc " +
                       hive + L"undo --id " + std::to_wstring(undone.olderApplicable));
        }
        return ExitCodeFor(undid);
    }
    const qx::JournalEntry& change = undone.change;
    Target target{undone.owner, undone.device};
    Out().Line(L"Undid change #" + std::to_wstring(change.id) + L": " + qx::ListTitle(undone.upper) + L" of " +
               TargetText(target) + L":");
    Out().Line(L"  old: " + qx::StateText(change.after));
    Out().Line(L"  new: " + ShownList(*undone.owner, undone.device, undone.upper, true).Text());
    qx::RestartReport restart;
    const int code = RestartAfterChange(session, target, &restart);
    if (session.args.Has(kRestart)) PrintRestartText(restart);
    return code;
}

}  // namespace qxc
