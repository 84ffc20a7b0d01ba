#include "ui/SplashDlg.h"

#include "res/resource.h"
#include "ui/SplashScreenThread.h"
#include "ui/framework/DataExchange.h"

CSplashDlg::CSplashDlg(CWnd* pParent) : CDialog(IDD_SPLASH, nullptr), m_pParentObject(pParent) {}

void CSplashDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SPLASH_PROGRESS, m_progress);
    DDX_Text(pDX, IDC_SPLASH_STATUS, m_strStatus);
}

BOOL CSplashDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_progress.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    m_progress.SendMessage(PBM_SETSTEP, 1);
    m_strStatus = L"Initializing";
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

void CSplashDlg::SetStatusText(const CString& text) {
    std::lock_guard<CCriticalSection> lock(m_statusLock);
    m_strPending = text;
    m_bPending = true;
}

void CSplashDlg::SetRange(int nLower, int nUpper) {
    m_progress.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(static_cast<WORD>(nLower), static_cast<WORD>(nUpper)));
    m_progress.SendMessage(PBM_SETSTEP, 1);
    m_progress.SendMessage(PBM_SETPOS, 0);
}

void CSplashDlg::StepIt() { m_progress.SendMessage(PBM_STEPIT); }

void CSplashDlg::ShowStatus() {
    {
        std::lock_guard<CCriticalSection> lock(m_statusLock);
        if (m_bPending) {
            m_strStatus.swap(m_strPending);
            m_bPending = false;
        }
    }
    UpdateData(FALSE);
}
