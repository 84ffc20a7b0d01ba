#include "ui/framework/Document.h"

#include <algorithm>

#include "ui/framework/FrameWnd.h"
#include "ui/framework/SingleDocTemplate.h"
#include "ui/framework/View.h"
#include "ui/framework/WinApp.h"

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

CDocument::~CDocument() {
    for (CView* pView : m_viewList) pView->m_pDocument = nullptr;
    if (m_pDocTemplate) m_pDocTemplate->RemoveDocument(this);
}

void CDocument::SetTitle(const CString& title) {
    m_strTitle = title;
    for (CView* pView : m_viewList) {
        if (CFrameWnd* pFrame = pView->GetParentFrame()) pFrame->OnUpdateFrameTitle(TRUE);
    }
}

void CDocument::SetPathName(const CString& pathName, BOOL bAddToMRU) {
    size_t slash = pathName.find_last_of(L"\\/");
    SetTitle(slash == CString::npos ? pathName : pathName.substr(slash + 1));
    if (bAddToMRU && AfxGetApp()) AfxGetApp()->AddToRecentFileList(pathName.c_str());
}

BOOL CDocument::OnNewDocument() {
    DeleteContents();
    return TRUE;
}

BOOL CDocument::OnOpenDocument(LPCWSTR lpszPathName) {
    // The file is opened before anything is released, so a file that cannot be read
    // leaves the current document as it was.
    HANDLE hFile = CreateFileW(lpszPathName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        DWORD err = GetLastError();
        wchar_t* reason = nullptr;
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, err, 0, reinterpret_cast<LPWSTR>(&reason), 0, nullptr);
        CString text = AfxFormatStrings(AFX_IDS_CANNOT_OPEN, {lpszPathName});
        if (reason) {
            text += L"\n";
            text += reason;
            LocalFree(reason);
        }
        AfxMessageBox(text, MB_OK | MB_ICONHAND);
        return FALSE;
    }
    DeleteContents();
    CArchive ar;
    Serialize(ar);
    CloseHandle(hFile);
    return TRUE;
}

void CDocument::Serialize(CArchive&) {}

BOOL CDocument::SaveModified() {
    // Nothing of the user's lives in the document, so there is never anything to save.
    return TRUE;
}

BOOL CDocument::CanCloseFrame(CFrameWnd*) { return SaveModified(); }

void CDocument::OnCloseDocument() {
    // Destroying the frames destroys the views; the document must survive that.
    BOOL bAutoDelete = m_bAutoDelete;
    m_bAutoDelete = FALSE;
    while (!m_viewList.empty()) {
        CView* pView = m_viewList.front();
        CFrameWnd* pFrame = pView->GetParentFrame();
        if (pFrame && pFrame->m_hWnd) {
            pFrame->DestroyWindow();
        } else if (pView->m_hWnd) {
            pView->DestroyWindow();
        }
        // A view that survived its frame (not a child of it) is let go.
        if (!m_viewList.empty() && m_viewList.front() == pView) RemoveView(pView);
    }
    m_bAutoDelete = bAutoDelete;
    DeleteContents();
    if (m_bAutoDelete) delete this;
}

void CDocument::AddView(CView* pView) {
    if (std::find(m_viewList.begin(), m_viewList.end(), pView) != m_viewList.end()) return;
    m_viewList.push_back(pView);
    pView->m_pDocument = this;
}

void CDocument::RemoveView(CView* pView) {
    auto it = std::find(m_viewList.begin(), m_viewList.end(), pView);
    if (it == m_viewList.end()) return;
    m_viewList.erase(it);
    pView->m_pDocument = nullptr;
    if (m_viewList.empty() && m_bAutoDelete) OnCloseDocument();
}

void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint) {
    std::vector<CView*> views = m_viewList;  // a view may go while it is told
    for (CView* pView : views) {
        if (pView != pSender && std::find(m_viewList.begin(), m_viewList.end(), pView) != m_viewList.end())
            pView->OnUpdate(pSender, lHint, pHint);
    }
}
