#include "ui/CarvelApp.h"

#include <commdlg.h>

#include <algorithm>

#include "model/FilterStore.h"
#include "res/resource.h"
#include "ui/AboutDlg.h"
#include "ui/CarvelDoc.h"
#include "ui/CarvelView.h"
#include "ui/MainFrame.h"
#include "ui/framework/SingleDocTemplate.h"

BEGIN_MESSAGE_MAP(CCarvelApp, CWinApp)
    ON_COMMAND(ID_APP_ABOUT, &CCarvelApp::OnAppAbout)
    ON_COMMAND(ID_FILE_OPEN_OFFLINE_HIVE, &CCarvelApp::OnFileOpenOfflineHive)
    // No menu item reaches Open or Print Setup; they stay because the program's command map names them.
    ON_COMMAND(ID_FILE_NEW, &CWinApp::OnFileNew)
    ON_COMMAND(ID_FILE_OPEN, &CWinApp::OnFileOpen)
    ON_COMMAND(ID_FILE_PRINT_SETUP, &CWinApp::OnFilePrintSetup)
END_MESSAGE_MAP()

CCarvelApp theApp;

namespace {
DWORD SystemVersion() { return GetVersion(); }
CCarvelApp::VersionSource g_versionSource = &SystemVersion;

// The program's switches: "/offline PATH" opens a SYSTEM hive instead of the running
// machine's registry.
class CQuillexCommandLineInfo : public CCommandLineInfo {
public:
    void ParseParam(const CString& param, BOOL bFlag, BOOL bLast) override {
        if (m_bHivePathNext && !bFlag) {
            m_strOfflineHive = param;
            m_bHivePathNext = false;
            return;
        }
        if (bFlag && _wcsicmp(param.c_str(), L"offline") == 0) {
            m_bOffline = true;
            m_bHivePathNext = true;
            return;
        }
        CCommandLineInfo::ParseParam(param, bFlag, bLast);
    }
    bool m_bOffline = false;
    bool m_bHivePathNext = false;
    CString m_strOfflineHive;
};
}  // namespace

CCarvelApp::VersionSource CCarvelApp::SetVersionSource(VersionSource source) {
    VersionSource previous = g_versionSource;
    g_versionSource = source ? source : &SystemVersion;
    return previous;
}

CCarvelApp::CCarvelApp() = default;

int CCarvelApp::CMessageBoxSink::ShowMessage(const std::wstring& text, unsigned type) {
    return AfxMessageBox(text, type);
}

BOOL CCarvelApp::InitInstance() {
    if (!m_bSinkInstalled) {
        m_pPreviousSink = qx::SetMessages(&m_messageSink);
        m_bSinkInstalled = true;
    }
    // Hosting ActiveX controls and the 3-D look of Windows 95 need nothing from our
    // layer: there are no such controls, and the system draws controls in 3-D itself.

    // Windows 2000 (major version 5) or later.
    if (LOBYTE(LOWORD(g_versionSource())) < 5) {
        AfxMessageBox(IDS_NEEDS_WINDOWS_2000, MB_ICONHAND, 0);
        return FALSE;
    }

    // A hive a crashed run left loaded would stay in the registry until the next boot.
    qx::UnloadStaleHives();

    SetRegistryKey(L"Local AppWizard-Generated Applications");
    LoadStdProfileSettings(4);

    AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CCarvelDoc), RUNTIME_CLASS(CMainFrame),
                                          RUNTIME_CLASS(CCarvelView)));

    EnableShellOpen();
    RegisterShellFileTypes(TRUE);

    // Without arguments this makes the new document, its frame and views.
    CQuillexCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    if (cmdInfo.m_bOffline) {
        // The hive is loaded before the first build, so the running machine is never shown
        // to a user who asked for another installation.
        std::wstring error = AfxLoadString(IDS_OFFLINE_NEEDS_PATH);
        if (cmdInfo.m_strOfflineHive.empty() || !m_offlineHive.Open(cmdInfo.m_strOfflineHive, &error)) {
            AfxMessageBox(error, MB_OK | MB_ICONSTOP);
            return FALSE;
        }
    }
    // Without a journal, the gate refuses every change and says why.
    m_journal.Use(m_offlineHive.Path());
    if (!ProcessShellCommand(cmdInfo)) {
        m_offlineHive.Close();
        return FALSE;
    }
    if (!m_pMainWnd || !m_pMainWnd->m_hWnd) return FALSE;

    m_pMainWnd->ShowWindow(SW_SHOW);
    m_pMainWnd->UpdateWindow();
    m_pMainWnd->DragAcceptFiles(TRUE);
    return TRUE;
}

int CCarvelApp::ExitInstance() {
    // The frame and its document are gone, and with them every key of the hive.
    std::wstring error;
    if (!m_offlineHive.Close(&error)) AfxMessageBox(error, MB_OK | MB_ICONSTOP);
    if (m_bSinkInstalled) {
        qx::SetMessages(m_pPreviousSink);
        m_bSinkInstalled = false;
    }
    m_journal.Release();
    return CWinApp::ExitInstance();
}

void CCarvelApp::OnAppAbout() {
    CAboutDlg aboutDlg;
    aboutDlg.DoModal();
}

std::wstring CCarvelApp::GetDocumentTitle() const {
    return m_offlineHive.IsOpen() ? m_offlineHive.Title() : std::wstring(AfxLoadString(IDS_DOCUMENT_TITLE));
}

void CCarvelApp::OnFileOpenOfflineHive() {
    wchar_t file[MAX_PATH + 1] = L"SYSTEM";
    CString filter = AfxLoadString(IDS_OFFLINE_FILTER);  // '|' stands for the separating zeros
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    const CString title = AfxLoadString(IDS_OPEN_OFFLINE_HIVE);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH + 1;
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&ofn)) return;
    OpenOfflineHive(file);
}

BOOL CCarvelApp::OpenOfflineHive(const std::wstring& path) {
    auto* pFrame = dynamic_cast<CMainFrame*>(m_pMainWnd);
    DriverClassList* pClasses = pFrame ? pFrame->GetDriverClasses() : nullptr;
    CCarvelDoc* pDoc = pFrame ? pFrame->GetCarvelDoc() : nullptr;
    if (!pFrame || !pClasses || !pDoc) return FALSE;
    // Every record and class key of the registry shown now goes before its hive does.
    pDoc->ReleaseDriverClasses();
    const std::wstring previous = m_offlineHive.Path();
    std::wstring error;
    BOOL bOpened = m_offlineHive.Open(path, &error) ? TRUE : FALSE;
    if (!bOpened) {
        AfxMessageBox(error, MB_OK | MB_ICONSTOP);
        std::wstring ignored;
        // A hive that could not be unloaded is still open, and still shown.
        if (!previous.empty() && !m_offlineHive.IsOpen() && !m_offlineHive.Open(previous, &ignored))
            AfxMessageBox(AfxFormatStrings(IDS_PREVIOUS_HIVE_LOST, {previous, ignored}), MB_OK | MB_ICONSTOP);
    }
    // Changes of the hive shown now are journalled, and undone, in its installation.
    m_journal.Use(m_offlineHive.Path());
    pFrame->ShowRegistrySource(GetDocumentTitle());
    return bOpened;
}
