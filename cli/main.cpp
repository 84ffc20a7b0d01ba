// quillexc on Windows: this machine, or another installation's hive loaded into the
// registry (--hive).
#include <windows.h>

#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "model/OfflineHive.h"
#include "model/RunJournal.h"

using namespace qxc;

namespace {

// Loaded for the run, unloaded again when the command is done (after the records). An
// offline hive at its installation's usual place journals into that installation.
class LoadedHive : public HiveSession {
public:
    bool Open(const std::wstring& path, std::wstring* error, int* code) override {
        // A hive an earlier run could not unload (or left loaded when it was killed) goes now.
        qx::UnloadStaleHives();
        if (path.empty()) return true;
        if (!m_hive.Open(path, error)) {
            *code = kExitFailed;
            return false;
        }
        m_journal.Use(m_hive.Path());
        return true;
    }
    bool Close(std::wstring* error) override { return m_hive.Close(error); }

private:
    qx::OfflineHive m_hive;
    qx::SourceJournal m_journal;
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
