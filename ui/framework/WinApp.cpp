#include "ui/framework/WinApp.h"

#include <commdlg.h>

#include <vector>

#include "ui/framework/Document.h"
#include "ui/framework/FrameWnd.h"
#include "ui/framework/RecentFileList.h"
#include "ui/framework/SingleDocTemplate.h"

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
    ON_COMMAND(ID_APP_EXIT, &CWinApp::OnAppExit)
END_MESSAGE_MAP()

namespace {
CWinApp* g_pApp = nullptr;
}

CWinApp* AfxGetApp() { return g_pApp; }

HINSTANCE AfxGetInstanceHandle() {
    return (g_pApp && g_pApp->m_hInstance) ? g_pApp->m_hInstance : GetModuleHandleW(nullptr);
}

HINSTANCE AfxGetResourceHandle() { return AfxGetInstanceHandle(); }

CWinApp::CWinApp(LPCWSTR lpszAppName) {
    if (lpszAppName) m_pszAppName = lpszAppName;
    m_bAutoDelete = FALSE;  // the one static application object
    m_nThreadID = GetCurrentThreadId();
    g_pApp = this;
}

CWinApp::~CWinApp() {
    if (m_hDevMode) GlobalFree(m_hDevMode);
    if (m_hDevNames) GlobalFree(m_hDevNames);
    if (g_pApp == this) g_pApp = nullptr;
}

BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE, LPWSTR lpCmdLine, int nCmdShow) {
    CWinApp* pApp = AfxGetApp();
    if (!pApp) return FALSE;
    pApp->m_hInstance = hInstance ? hInstance : GetModuleHandleW(nullptr);
    pApp->m_lpCmdLine = lpCmdLine ? lpCmdLine : L"";
    pApp->m_nCmdShow = nCmdShow;
    pApp->m_nThreadID = GetCurrentThreadId();
    wchar_t path[MAX_PATH * 4];
    DWORD cch = GetModuleFileNameW(pApp->m_hInstance, path, static_cast<DWORD>(std::size(path)));
    CString modulePath(path, cch < std::size(path) ? cch : 0);
    size_t slash = modulePath.find_last_of(L"\\/");
    CString fileName = slash == CString::npos ? modulePath : modulePath.substr(slash + 1);
    size_t dot = fileName.find_last_of(L'.');
    pApp->m_pszExeName = dot == CString::npos ? fileName : fileName.substr(0, dot);
    if (pApp->m_pszAppName.empty()) pApp->m_pszAppName = AfxLoadString(AFX_IDS_APP_TITLE);
    if (pApp->m_pszAppName.empty()) pApp->m_pszAppName = pApp->m_pszExeName;
    // The help page is an HTML page named after the program, beside it.
    CString dir = slash == CString::npos ? CString() : modulePath.substr(0, slash + 1);
    pApp->m_pszHelpFilePath = dir + pApp->m_pszExeName + L".html";
    return TRUE;
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow) {
    CWinApp* pApp = AfxGetApp();
    if (!pApp || !AfxWinInit(hInstance, hPrevInstance, lpCmdLine, nCmdShow)) return -1;
    if (!pApp->InitInstance()) {
        // The main window may exist when start-up failed late; it goes with the program.
        if (pApp->m_pMainWnd && pApp->m_pMainWnd->m_hWnd) pApp->m_pMainWnd->DestroyWindow();
        return pApp->ExitInstance();
    }
    return pApp->Run();
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() {
    if (m_pRecentFileList && !m_pszRegistryKey.empty()) m_pRecentFileList->WriteList();
    if (m_atomApp) GlobalDeleteAtom(m_atomApp);
    if (m_atomSystemTopic) GlobalDeleteAtom(m_atomSystemTopic);
    m_atomApp = m_atomSystemTopic = 0;
    return m_nExitCode;
}

void CWinApp::SetRegistryKey(LPCWSTR lpszRegistryKey) {
    m_pszRegistryKey = lpszRegistryKey ? lpszRegistryKey : L"";
    m_pszProfileName = m_pszAppName;
}

CRegKeyHandle CWinApp::GetSectionKey(LPCWSTR lpszSection) {
    CRegKeyHandle app, section;
    if (m_pszRegistryKey.empty() || m_pszProfileName.empty()) return section;
    if (app.Create(HKEY_CURRENT_USER, L"Software\\" + m_pszRegistryKey + L"\\" + m_pszProfileName) == ERROR_SUCCESS)
        section.Create(app.Get(), lpszSection);
    return section;
}

CString CWinApp::GetProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszDefault) {
    CString fallback = lpszDefault ? lpszDefault : L"";
    CRegKeyHandle key = GetSectionKey(lpszSection);
    if (!key) return fallback;
    DWORD type = 0, cbData = 0;
    if (RegQueryValueExW(key.Get(), lpszEntry, nullptr, &type, nullptr, &cbData) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return fallback;
    std::vector<wchar_t> buffer(cbData / sizeof(wchar_t) + 1, L'\0');
    DWORD cbBuffer = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    if (RegQueryValueExW(key.Get(), lpszEntry, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &cbBuffer) != ERROR_SUCCESS)
        return fallback;
    buffer[cbBuffer / sizeof(wchar_t)] = L'\0';  // the stored string need not end in a terminator
    return CString(buffer.data());
}

BOOL CWinApp::WriteProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszValue) {
    CRegKeyHandle key = GetSectionKey(lpszSection);
    if (!key) return FALSE;
    if (!lpszValue) {
        LONG err = RegDeleteValueW(key.Get(), lpszEntry);
        return err == ERROR_SUCCESS || err == ERROR_FILE_NOT_FOUND;
    }
    DWORD cbValue = static_cast<DWORD>((wcslen(lpszValue) + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.Get(), lpszEntry, 0, REG_SZ, reinterpret_cast<const BYTE*>(lpszValue), cbValue) ==
           ERROR_SUCCESS;
}

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU) {
    m_pRecentFileList = std::make_unique<CRecentFileList>(L"Recent File List", L"File%d", nMaxMRU);
    m_pRecentFileList->ReadList();
}

void CWinApp::AddToRecentFileList(LPCWSTR lpszPathName) {
    if (m_pRecentFileList && lpszPathName) m_pRecentFileList->Add(lpszPathName);
}

void CWinApp::AddDocTemplate(CSingleDocTemplate* pTemplate) { m_pDocTemplate.reset(pTemplate); }

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo) {
    // CommandLineToArgvW treats its first word as the program's name.
    CString line = L"program " + m_lpCmdLine;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(line.c_str(), &argc);
    if (!argv) return;
    for (int i = 1; i < argc; ++i) {
        const wchar_t* param = argv[i];
        BOOL bFlag = (param[0] == L'/' || param[0] == L'-') && param[1] != L'\0';
        rCmdInfo.ParseParam(bFlag ? param + 1 : param, bFlag, i == argc - 1);
    }
    LocalFree(argv);
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo) {
    switch (rCmdInfo.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
    case CCommandLineInfo::FileDDE:
        // A shell start for DDE needs the frame up to answer the request that follows.
        if (!OnCmdMsg(ID_FILE_NEW, CN_COMMAND, nullptr, nullptr)) OnFileNew();
        return m_pMainWnd != nullptr;
    case CCommandLineInfo::FileOpen:
        return OpenDocumentFile(rCmdInfo.m_strFileName.c_str()) != nullptr;
    case CCommandLineInfo::FilePrint:
    case CCommandLineInfo::FilePrintTo:
        // The document has nothing to print: the program ends without a window.
        return FALSE;
    case CCommandLineInfo::FileNothing:
    default:
        return TRUE;
    }
}

CDocument* CWinApp::OpenDocumentFile(LPCWSTR lpszFileName) {
    if (!m_pDocTemplate || !lpszFileName || !*lpszFileName) return nullptr;
    wchar_t full[MAX_PATH * 4];
    DWORD cch = GetFullPathNameW(lpszFileName, static_cast<DWORD>(std::size(full)), full, nullptr);
    CString path = (cch > 0 && cch < std::size(full)) ? CString(full, cch) : CString(lpszFileName);
    if (m_nModalDepth > 0) {
        m_deferredOpens.push_back(path);
        return m_pDocTemplate->GetOnlyDocument();
    }
    return m_pDocTemplate->OpenDocumentFile(path.c_str(), TRUE);
}

void CWinApp::EndModalState() {
    if (m_nModalDepth > 0) --m_nModalDepth;
    // Posted, not opened here: the caller of the modal loop still uses what it edited.
    if (m_nModalDepth == 0 && !m_deferredOpens.empty() && m_pMainWnd && m_pMainWnd->m_hWnd)
        m_pMainWnd->PostMessage(WM_OPENDEFERRED);
}

void CWinApp::OpenDeferredDocuments() {
    while (m_nModalDepth == 0 && !m_deferredOpens.empty()) {
        CString path = m_deferredOpens.front();
        m_deferredOpens.erase(m_deferredOpens.begin());
        OpenDocumentFile(path.c_str());
    }
}

void CWinApp::OnFileNew() {
    if (m_pDocTemplate) m_pDocTemplate->OpenDocumentFile(nullptr, TRUE);
}

void CWinApp::OnFileOpen() {
    CString filterName, filterExt;
    if (m_pDocTemplate) {
        m_pDocTemplate->GetDocString(filterName, CSingleDocTemplate::filterName);
        m_pDocTemplate->GetDocString(filterExt, CSingleDocTemplate::filterExt);
    }
    // "name\0*.ext\0All Files (*.*)\0*.*\0\0"
    CString filter;
    if (!filterName.empty() && !filterExt.empty()) {
        filter += filterName;
        filter.push_back(L'\0');
        filter += L"*" + filterExt;
        filter.push_back(L'\0');
    }
    filter += AfxLoadString(AFX_IDS_ALL_FILES);
    filter.push_back(L'\0');
    filter += L"*.*";
    filter.push_back(L'\0');
    std::vector<wchar_t> file(MAX_PATH * 4, L'\0');
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    BeginModalState();
    BOOL bChosen = GetOpenFileNameW(&ofn);
    EndModalState();
    if (bChosen) OpenDocumentFile(file.data());
}

void CWinApp::OnFilePrintSetup() {
    PRINTDLGW pd = {};
    pd.lStructSize = sizeof(pd);
    pd.hwndOwner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    pd.hDevMode = m_hDevMode;
    pd.hDevNames = m_hDevNames;
    pd.Flags = PD_PRINTSETUP;
    BeginModalState();
    BOOL bChosen = PrintDlgW(&pd);
    EndModalState();
    if (bChosen) {
        m_hDevMode = pd.hDevMode;
        m_hDevNames = pd.hDevNames;
    }
}

void CWinApp::OnAppExit() {
    if (m_pMainWnd && m_pMainWnd->m_hWnd) m_pMainWnd->SendMessage(WM_CLOSE);
}

void CWinApp::ShowHelpPage() {
    HWND hOwner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    if (GetFileAttributesW(m_pszHelpFilePath.c_str()) == INVALID_FILE_ATTRIBUTES) {
        AfxMessageBox(AfxFormatStrings(AFX_IDS_HELP_MISSING, {m_pszHelpFilePath}), MB_OK | MB_ICONHAND);
        return;
    }
    auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(hOwner, L"open", m_pszHelpFilePath.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32)
        AfxMessageBox(AfxFormatStrings(AFX_IDS_HELP_FAILED, {m_pszHelpFilePath}), MB_OK | MB_ICONHAND);
}
