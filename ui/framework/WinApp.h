// The application: the main thread's object, with its start-up services (profile,
// document template, shell registration and command line) and its standard commands.
#pragma once
#include <memory>
#include <vector>

#include "ui/framework/CommandLineInfo.h"
#include "ui/framework/RegKeyHandle.h"
#include "ui/framework/WinThread.h"

class CDocument;
class CSingleDocTemplate;
class CRecentFileList;

class CWinApp : public CWinThread {
    DECLARE_DYNAMIC(CWinApp)
public:
    // Without a name the title comes from string AFX_IDS_APP_TITLE at AfxWinInit.
    explicit CWinApp(LPCWSTR lpszAppName = nullptr);
    ~CWinApp() override;

    HINSTANCE m_hInstance = nullptr;
    CString m_lpCmdLine;           // the arguments, without the program's name
    int m_nCmdShow = SW_SHOWNORMAL;
    CString m_pszAppName;          // title: message box caption, profile key name
    CString m_pszExeName;          // module name without extension
    CString m_pszRegistryKey;      // set by SetRegistryKey
    CString m_pszProfileName;
    CString m_pszHelpFilePath;     // the HTML help page beside the program

    BOOL InitInstance() override;
    int ExitInstance() override;   // writes the recent-file list

    // Start-up services.
    void SetRegistryKey(LPCWSTR lpszRegistryKey);
    void LoadStdProfileSettings(UINT nMaxMRU = 4);
    void AddDocTemplate(CSingleDocTemplate* pTemplate);  // the application owns it
    CSingleDocTemplate* GetDocTemplate() const { return m_pDocTemplate.get(); }
    void EnableShellOpen();
    void RegisterShellFileTypes(BOOL bCompat = FALSE);
    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);

    // While a modal loop of ours runs, the file is only noted (the current document is
    // returned): it opens once the last modal loop has ended.
    virtual CDocument* OpenDocumentFile(LPCWSTR lpszFileName);

    // Our modal loops (dialogs, message boxes, the open dialog). A document open that
    // arrives meanwhile (the shell's DDE request, a drop) would rebuild the class list
    // under a dialog that is editing one of its records, so it waits for the end of the
    // outermost loop; nothing asked for is lost.
    void BeginModalState() { ++m_nModalDepth; }
    void EndModalState();
    // Opens, in order, what arrived during modal loops (the main frame's WM_OPENDEFERRED).
    void OpenDeferredDocuments();
    virtual void AddToRecentFileList(LPCWSTR lpszPathName);
    // A shell request received by DDE: "[open("file")]"; FALSE when not understood.
    virtual BOOL OnDDECommand(LPCWSTR lpszCommand);
    ATOM m_atomApp = 0;
    ATOM m_atomSystemTopic = 0;

    // Profile: HKEY_CURRENT_USER\Software\<registry key>\<profile name>\<section>.
    CString GetProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszDefault);
    BOOL WriteProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszValue);  // null value: delete

    // Standard commands (public: derived applications name them in their maps).
    void OnFileNew();
    void OnFileOpen();
    void OnFilePrintSetup();
    void OnAppExit();

    // Shows the HTML help page beside the program.
    void ShowHelpPage();

protected:
    // The profile section's key, created when missing; none without a registry key.
    CRegKeyHandle GetSectionKey(LPCWSTR lpszSection);

    std::unique_ptr<CSingleDocTemplate> m_pDocTemplate;
    int m_nModalDepth = 0;
    std::vector<CString> m_deferredOpens;
    std::unique_ptr<CRecentFileList> m_pRecentFileList;
    HGLOBAL m_hDevMode = nullptr;   // printer set-up chosen by the user
    HGLOBAL m_hDevNames = nullptr;
    friend BOOL AfxWinInit(HINSTANCE, HINSTANCE, LPWSTR, int);
    DECLARE_MESSAGE_MAP()
};

// Prepares the application object (instance, command line, titles); then AfxWinMain
// runs InitInstance and the message loop.
BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);
