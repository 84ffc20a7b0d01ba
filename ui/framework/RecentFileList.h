// The most recently opened files, newest first, kept in the application's profile.
#pragma once
#include <vector>

#include "ui/framework/Afx.h"

class CRecentFileList {
public:
    CRecentFileList(const CString& section, const CString& entryFormat, size_t nSize);

    void Add(const CString& path);  // to the top; an existing entry (any letter case) moves
    const std::vector<CString>& Entries() const { return m_entries; }

    void ReadList();   // from the profile
    void WriteList();  // to the profile; entries beyond the list are removed

private:
    CString EntryName(size_t index) const;

    CString m_strSection;
    CString m_strEntryFormat;  // "File%d": File1 is the newest
    size_t m_nSize;
    std::vector<CString> m_entries;
};
