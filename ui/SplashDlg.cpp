#include "ui/SplashDlg.h"

#include "res/resource.h"
#include "ui/SplashScreenThread.h"
#include "ui/framework/DataExchange.h"

BEGIN_MESSAGE_MAP(CSplashDlg, CDialog)
    ON_MESSAGE(WM_SPLASH_UPDATE, &CSplashDlg::OnSplashUpdate)
    ON_MESSAGE(WM_SPLASH_CLOSE, &CSplashDlg::OnSplashClose)
END_MESSAGE_MAP()

CSplashDlg::CSplashDlg(CWnd*) : CDialog(IDD_SPLASH, nullptr) {}

void CSplashDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SPLASH_PROGRESS, m_progress);
    DDX_Text(pDX, IDC_SPLASH_STATUS, m_strStatus);
}

BOOL CSplashDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_progress.SetRange(0, 100);
    m_progress.SetStep(1);
    m_strStatus = AfxLoadString(IDS_SPLASH_INITIALIZING);
    UpdateData(FALSE);

    // The program's icon, at the sizes the system wants for each.
    auto loadIcon = [](int cx, int cy) {
        return static_cast<HICON>(LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                             cx, cy, LR_SHARED));
    };
    HICON hBig = loadIcon(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    HICON hSmall = loadIcon(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
    SetIcon(hBig, TRUE);
    SetIcon(hSmall, FALSE);

    if (m_pThread) m_pThread->OnDialogReady();
    return TRUE;
}

void CSplashDlg::SetRange(int nLower, int nUpper) {
    m_progress.SetRange(static_cast<short>(nLower), static_cast<short>(nUpper));
    m_progress.SetStep(1);
    m_progress.SetPos(0);
}

void CSplashDlg::StepIt(int nSteps) {
    // One at a time: the bar wraps past its upper bound as each step would make it.
    for (int i = 0; i < nSteps; ++i) m_progress.StepIt();
}

void CSplashDlg::ShowStatus(const CString& text) {
    m_strStatus = text;
    UpdateData(FALSE);
}

LRESULT CSplashDlg::OnSplashUpdate(WPARAM, LPARAM) {
    if (m_pThread) m_pThread->OnSplashUpdate();
    return 0;
}

LRESULT CSplashDlg::OnSplashClose(WPARAM, LPARAM) {
    // Destroys this dialog and ends the thread: nothing here runs after it.
    if (m_pThread) m_pThread->OnSplashClose();
    return 0;
}
