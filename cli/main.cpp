// quillexc on Windows: this machine, or another installation's hive loaded into the
// registry (--hive).
#include <windows.h>

#include <memory>

#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "model/FilterStore.h"
#include "model/OfflineHive.h"

using namespace qxc;

namespace {

// Loaded for the run, unloaded again when the command is done (after the records). An
// offline hive at its installation's usual place journals into that installation.
class LoadedHive : public HiveSession {
public:
    ~LoadedHive() override {
        if (m_journal) qx::SetChangeJournal(m_previous);
    }
    bool Open(const std::wstring& path, std::wstring* error, int* code) override {
        // A hive an earlier run could not unload (or left loaded when it was killed) goes now.
        qx::UnloadStaleHives();
        if (path.empty()) return true;
        if (!m_hive.Open(path, error)) {
            *code = kExitFailed;
            return false;
        }
        // Only where the installation has its ProgramData folder (from Vista on): nothing
        // is made on its volume for a command that only reads.
        const std::wstring journal = qx::OfflineJournalPath(m_hive.Path());
        const std::wstring quillex = journal.substr(0, journal.find_last_of(L'\\'));
        const DWORD attributes = GetFileAttributesW(quillex.substr(0, quillex.find_last_of(L'\\')).c_str());
        if (!journal.empty() && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            m_journal = std::make_unique<qx::Journal>(journal);
            m_previous = qx::SetChangeJournal(m_journal.get());
        }
        return true;
    }
    bool Close(std::wstring* error) override { return m_hive.Close(error); }

private:
    qx::OfflineHive m_hive;
    std::unique_ptr<qx::Journal> m_journal;
    const qx::Journal* m_previous = nullptr;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    InstallInterruptHandler();
    Arguments args = ParseArguments(argc, argv);
    int code = kExitFailed;
    {
        LoadedHive hive;
        code = RunQuillexc(args, hive);
    }
    RunFinished(code);
    return code;
}
