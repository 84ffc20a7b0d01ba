#include "ui/CarvelApp.h"

#include "model/FilterStore.h"
#include "res/resource.h"
#include "ui/AboutDlg.h"
#include "ui/CarvelDoc.h"
#include "ui/CarvelView.h"
#include "ui/MainFrame.h"
#include "ui/framework/SingleDocTemplate.h"

BEGIN_MESSAGE_MAP(CCarvelApp, CWinApp)
    ON_COMMAND(ID_APP_ABOUT, &CCarvelApp::OnAppAbout)
    // No menu item reaches Open or Print Setup; they stay because the program's command map names them.
    ON_COMMAND(ID_FILE_NEW, &CWinApp::OnFileNew)
    ON_COMMAND(ID_FILE_OPEN, &CWinApp::OnFileOpen)
    ON_COMMAND(ID_FILE_PRINT_SETUP, &CWinApp::OnFilePrintSetup)
END_MESSAGE_MAP()

CCarvelApp theApp;

namespace {
DWORD SystemVersion() { return GetVersion(); }
CCarvelApp::VersionSource g_versionSource = &SystemVersion;
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
    if (!m_pJournal) {
        // Without its folder, the gate refuses every change and says why.
        std::wstring error;
        std::wstring path = qx::Journal::DefaultPath(&error);
        if (!path.empty()) {
            m_pJournal = std::make_unique<qx::Journal>(path);
            if (const qx::Journal* pChosen = qx::SetChangeJournal(m_pJournal.get())) qx::SetChangeJournal(pChosen);
        }
    }

    // Hosting ActiveX controls and the 3-D look of Windows 95 need nothing from our
    // layer: there are no such controls, and the system draws controls in 3-D itself.

    // Windows 2000 (major version 5) or later.
    if (LOBYTE(LOWORD(g_versionSource())) < 5) {
        AfxMessageBox(IDS_NEEDS_WINDOWS_2000, MB_ICONHAND, 0);
        return FALSE;
    }

    SetRegistryKey(L"Local AppWizard-Generated Applications");
    LoadStdProfileSettings(4);

    AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CCarvelDoc), RUNTIME_CLASS(CMainFrame),
                                          RUNTIME_CLASS(CCarvelView)));

    EnableShellOpen();
    RegisterShellFileTypes(TRUE);

    // Without arguments this makes the new document, its frame and views.
    CCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    if (!ProcessShellCommand(cmdInfo)) return FALSE;
    if (!m_pMainWnd || !m_pMainWnd->m_hWnd) return FALSE;

    m_pMainWnd->ShowWindow(SW_SHOW);
    m_pMainWnd->UpdateWindow();
    m_pMainWnd->DragAcceptFiles(TRUE);
    return TRUE;
}

int CCarvelApp::ExitInstance() {
    if (m_bSinkInstalled) {
        qx::SetMessages(m_pPreviousSink);
        m_bSinkInstalled = false;
    }
    if (m_pJournal) {
        std::wstring error;
        if (qx::ChangeJournal(&error) == m_pJournal.get()) qx::SetChangeJournal(nullptr);
        m_pJournal.reset();
    }
    return CWinApp::ExitInstance();
}

void CCarvelApp::OnAppAbout() {
    CAboutDlg aboutDlg;
    aboutDlg.DoModal();
}
