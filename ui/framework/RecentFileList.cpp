#include "ui/framework/RecentFileList.h"

#include "ui/framework/SystemCompat.h"
#include "ui/framework/WinApp.h"

CRecentFileList::CRecentFileList(const CString& section, const CString& entryFormat, size_t nSize)
    : m_strSection(section), m_strEntryFormat(entryFormat), m_nSize(nSize) {}

CString CRecentFileList::EntryName(size_t index) const {
    wchar_t name[64];
    _snwprintf(name, 63, m_strEntryFormat.c_str(), static_cast<int>(index + 1));
    name[63] = L'\0';
    return name;
}

void CRecentFileList::Add(const CString& path) {
    if (path.empty() || m_nSize == 0) return;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (AfxSamePath(m_entries[i], path)) {
            m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    m_entries.insert(m_entries.begin(), path);
    if (m_entries.size() > m_nSize) m_entries.resize(m_nSize);
}

void CRecentFileList::ReadList() {
    m_entries.clear();
    CWinApp* pApp = AfxGetApp();
    for (size_t i = 0; i < m_nSize; ++i) {
        CString path = pApp->GetProfileString(m_strSection.c_str(), EntryName(i).c_str(), L"");
        if (!path.empty()) m_entries.push_back(path);
    }
}

void CRecentFileList::WriteList() {
    CWinApp* pApp = AfxGetApp();
    for (size_t i = 0; i < m_nSize; ++i) {
        if (i < m_entries.size())
            pApp->WriteProfileString(m_strSection.c_str(), EntryName(i).c_str(), m_entries[i].c_str());
        else
            pApp->WriteProfileString(m_strSection.c_str(), EntryName(i).c_str(), nullptr);
    }
}
