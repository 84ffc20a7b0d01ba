// The application: start-up (refusal before Windows 2000, profile, template, shell
// registration, command line), the About command, and the model's message boxes.
#pragma once
#include <memory>

#include "model/DeviceAccess.h"
#include "model/RunJournal.h"
#include "model/OfflineHive.h"
#include "ui/framework/WinApp.h"

class CCarvelApp : public CWinApp {
public:
    CCarvelApp();

    BOOL InitInstance() override;
    int ExitInstance() override;
    void OnAppAbout();

    // Shows `path`'s SYSTEM hive in place of what is shown now: the document lets go of its
    // records, the hive shown before is unloaded, the new one loaded and the tree built
    // again. A hive that cannot be loaded is reported in a stop box and the one shown
    // before comes back. True when `path` is shown.
    BOOL OpenOfflineHive(const std::wstring& path);
    void OnFileOpenOfflineHive();  // File > Open Offline System Hive...
    // The string table's document title ("Quillex V1.0"), or the offline hive's title.
    std::wstring GetDocumentTitle() const;

    // Where the system version comes from (GetVersion); tests put another in.
    using VersionSource = DWORD (*)();
    static VersionSource SetVersionSource(VersionSource source);  // returns the previous one

private:
    // The model's messages go through the framework's message box.
    class CMessageBoxSink : public qx::IMessageSink {
    public:
        int ShowMessage(const std::wstring& text, unsigned type) override;
    };
    CMessageBoxSink m_messageSink;
    qx::IMessageSink* m_pPreviousSink = nullptr;
    bool m_bSinkInstalled = false;
    // The journal of the registry shown (an offline installation keeps its own), unless
    // one was chosen before start (tests).
    qx::SourceJournal m_journal;
    qx::OfflineHive m_offlineHive;  // the offline hive shown, if any (closed: this machine)

    DECLARE_MESSAGE_MAP()
};

extern CCarvelApp theApp;
