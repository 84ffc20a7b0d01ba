// A change journal of one test's own, in the temporary folder: the write gate records
// there while it lives, and the file is gone afterwards.
#pragma once
#include <windows.h>

#include <string>

#include "model/FilterStore.h"

namespace qx::test {

class ScratchJournal {
public:
    // The journal at path (a fresh file in the temporary folder when empty).
    explicit ScratchJournal(std::wstring path = L"") : m_journal(path.empty() ? FreshPath() : path) {
        m_previous = SetChangeJournal(&m_journal);
    }
    ~ScratchJournal() {
        SetChangeJournal(m_previous);
        DeleteFileW(m_journal.Path().c_str());
    }
    ScratchJournal(const ScratchJournal&) = delete;
    ScratchJournal& operator=(const ScratchJournal&) = delete;

    const Journal& Get() const { return m_journal; }
    std::vector<JournalEntry> Entries() const { return m_journal.Read().entries; }

    static std::wstring FreshPath() {
        wchar_t folder[MAX_PATH + 1] = {};
        wchar_t file[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, folder);
        GetTempFileNameW(folder, L"qxj", 0, file);  // made empty, so the name is ours
        return file;
    }

private:
    Journal m_journal;
    const Journal* m_previous = nullptr;
};

}  // namespace qx::test
