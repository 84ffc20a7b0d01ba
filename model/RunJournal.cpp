#include "model/RunJournal.h"

#include "model/FilterStore.h"
#include "model/Journal.h"
#include "model/JournalFile.h"
#include "model/OfflineHive.h"

namespace qx {

std::wstring JournalPathFor(const std::wstring& hivePath, std::wstring* error) {
    error->clear();
    const std::wstring named = EnvironmentText(L"QUILLEX_JOURNAL");
    if (!named.empty()) return named;
    if (!hivePath.empty()) {
        // A recovery system's own disk is often lost at the next start: the record of a
        // repair belongs on the installation's volume, beside the hive that was changed.
        // Where that installation has no ProgramData yet (before Vista, or a copied
        // tree), the first change makes it rather than leave the record behind.
        const std::wstring own = OfflineJournalPath(hivePath);
        if (!own.empty()) return SpelledAsOnVolume(own);
        const std::wstring loose = LooseHiveJournalPath();
        if (!loose.empty()) return loose;
    }
    return Journal::DefaultPath(error);
}

SourceJournal::SourceJournal() = default;

SourceJournal::~SourceJournal() { Release(); }

void SourceJournal::Use(const std::wstring& hivePath) {
    const Journal* installed = SetChangeJournal(nullptr);
    if (installed && installed != m_journal.get()) {
        SetChangeJournal(installed);
        return;
    }
    std::wstring error;
    const std::wstring path = JournalPathFor(hivePath, &error);
    std::unique_ptr<Journal> journal = path.empty() ? nullptr : std::make_unique<Journal>(path);
    SetChangeJournal(journal.get());
    m_journal = std::move(journal);
}

void SourceJournal::Release() {
    if (!m_journal) return;
    const Journal* installed = SetChangeJournal(nullptr);
    if (installed != m_journal.get()) SetChangeJournal(installed);
    m_journal.reset();
}

}  // namespace qx
