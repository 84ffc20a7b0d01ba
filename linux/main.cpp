// quillexc on Linux: another installation's SYSTEM hive, read and written through hivex
// (--hive is required: there is no Windows registry here).
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <memory>

#include "cli/Commands.h"
#include "linux/HiveRegistry.h"
#include "model/FilterStore.h"
#include "model/Utf8.h"

using namespace qxc;

namespace {

// The journal of an offline change: the installation's own when the hive is at its
// usual place, else the user's data folder.
std::wstring JournalPathFor(const std::wstring& hivePath) {
    std::wstring path;
    const std::wstring own = qx::OfflineJournalPath(hivePath);
    if (!own.empty() && qx::WideFromUtf8(qx::FindPathNoCase(own, true), &path)) return path;
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string folder;
    if (data && data[0] == '/') {
        folder = data;
    } else {
        const char* home = std::getenv("HOME");
        folder = std::string(home && home[0] ? home : ".") + "/.local/share";
    }
    qx::WideFromUtf8(folder + "/quillex/changes.jsonl", &path);
    return path;
}

class HivexSession : public HiveSession {
public:
    HivexSession() : m_hive(qx::Registry()) {}
    ~HivexSession() override {
        if (m_journal) qx::SetChangeJournal(m_previous);
    }
    bool Open(const std::wstring& path, std::wstring* error, int* code) override {
        if (path.empty()) {
            *error = L"On Linux there is no Windows registry to work on: name the SYSTEM hive file of the "
                     L"installation with --hive FILE.";
            *code = kExitUsage;
            return false;
        }
        if (!m_hive.Open(path, error)) {
            *code = kExitFailed;
            return false;
        }
        m_file = qx::Registry().Loaded(qx::OfflineKeyName(qx::Registry().CurrentProcessId()));
        m_journal = std::make_unique<qx::Journal>(JournalPathFor(m_hive.Path()));
        m_previous = qx::SetChangeJournal(m_journal.get());
        return true;
    }
    bool Dirty() const override { return m_file && m_file->Dirty(); }
    bool Close(std::wstring* error) override { return m_hive.Close(error); }

private:
    qx::OfflineHive m_hive;
    qx::HiveFile* m_file = nullptr;
    std::unique_ptr<qx::Journal> m_journal;
    const qx::Journal* m_previous = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
    // Upper case beyond ASCII, for names compared without case.
    if (!std::setlocale(LC_CTYPE, "C.UTF-8")) std::setlocale(LC_CTYPE, "");
    // The words as UTF-16 code units, as the model holds all text.
    std::vector<std::wstring> words(argc);
    std::vector<wchar_t*> wide(argc + 1, nullptr);
    for (int i = 0; i < argc; ++i) {
        if (!qx::WideFromUtf8(argv[i], &words[i])) {
            Err().Line(L"The command line is not UTF-8 text (word " + std::to_wstring(i) + L").");
            return kExitUsage;
        }
        wide[i] = &words[i][0];
    }
    Arguments args = ParseArguments(argc, wide.data());
    HivexSession hive;
    return RunQuillexc(args, hive);
}
