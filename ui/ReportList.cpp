#include "ui/ReportList.h"

#include <cstring>

#include "common/UniqueKey.h"
#include "model/Utf8.h"

void SetUpReportList(CListCtrl& list, CWnd* pDialog, UINT nId, const ReportColumn* pColumns, int nColumns) {
    list.SubclassDlgItem(nId, pDialog);
    list.SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < nColumns; ++i)
        list.InsertColumn(i, AfxLoadString(pColumns[i].nHeading), LVCFMT_LEFT, pColumns[i].nWidth);
}

CString ReportCell(const CString& text, ReportFormat format) {
    if (format == ReportFormat::Tabs) {
        // A tab or line break inside a cell would start another cell or row.
        CString cell = text;
        for (wchar_t& ch : cell)
            if (ch == L'\t' || ch == L'\r' || ch == L'\n') ch = L' ';
        return cell;
    }
    if (text.find_first_of(L",\"\r\n") == CString::npos) return text;
    CString quoted = L"\"";
    for (wchar_t ch : text) quoted += ch == L'"' ? CString(L"\"\"") : CString(1, ch);
    return quoted + L"\"";
}

BOOL CopyTextToClipboard(HWND hOwner, const CString& text) {
    const size_t cb = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL hText = GlobalAlloc(GMEM_MOVEABLE, cb);
    if (!hText) return FALSE;
    if (void* p = GlobalLock(hText)) {
        memcpy(p, text.c_str(), cb);
        GlobalUnlock(hText);
    }
    if (!OpenClipboard(hOwner)) {
        GlobalFree(hText);
        return FALSE;
    }
    EmptyClipboard();
    // The clipboard owns the memory once it took it.
    BOOL bSet = SetClipboardData(CF_UNICODETEXT, hText) != nullptr;
    CloseClipboard();
    if (!bSet) GlobalFree(hText);
    return bSet;
}

namespace {
struct FileClose {
    void operator()(HANDLE file) const { CloseHandle(file); }
};
}  // namespace

bool SaveUtf8File(const std::wstring& path, const CString& text, std::wstring* error) {
    const std::string bytes = "\xEF\xBB\xBF" + qx::Utf8FromWide(text);
    HANDLE opened = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    UniqueKey<HANDLE, FileClose> file(opened == INVALID_HANDLE_VALUE ? nullptr : opened);
    DWORD cbWritten = 0;
    if (file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &cbWritten, nullptr) &&
        cbWritten == bytes.size())
        return true;
    *error = L"Windows error " + std::to_wstring(GetLastError()) + L".";
    return false;
}
