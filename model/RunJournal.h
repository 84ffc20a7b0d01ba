// Which change journal a run records in and reads from: the one of the registry it
// works on, so that the record of a repair stays with the installation repaired.
#pragma once
#include <memory>
#include <string>

namespace qx {

class Journal;

// The journal of the registry at hivePath (empty: this machine):
// - the file QUILLEX_JOURNAL names, when it is set (tests, a script's own record);
// - for a hive at its installation's usual place, "<root>\ProgramData\Quillex\changes.jsonl"
//   of that installation, its parts that exist spelled as the volume spells them (the
//   folders are made with the first change written, none for a run that only reads);
// - for a hive anywhere else, the journal the platform keeps for such hives (Linux: the
//   user's data folder), else this machine's;
// - for this machine, Journal::DefaultPath.
// Empty with *error set when no journal can be named.
std::wstring JournalPathFor(const std::wstring& hivePath, std::wstring* error);

// The journal of the registry a program shows or a command works on, installed as the
// write gate's journal (SetChangeJournal) until another registry's replaces it or it is
// released. Writes and undo both go through it, so an undo reads the journal the change
// went to. A journal someone else installed before (a test's own) is left in place.
class SourceJournal {
public:
    SourceJournal();
    ~SourceJournal();
    SourceJournal(const SourceJournal&) = delete;
    SourceJournal& operator=(const SourceJournal&) = delete;

    // The journal of hivePath (empty: this machine). When none can be named, the gate
    // is left without one of ours: it refuses every change and says why.
    void Use(const std::wstring& hivePath);
    // Takes ours away again (the gate's default serves after it).
    void Release();

private:
    std::unique_ptr<Journal> m_journal;
};

}  // namespace qx
