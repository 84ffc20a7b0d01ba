// quillexc on Linux: another installation's SYSTEM hive, read and written through hivex
// (--hive is required: there is no Windows registry here).
#include <unistd.h>

#include <clocale>
#include <memory>

#include "cli/Commands.h"
#include "linux/HiveRegistry.h"
#include "linux/LargePages.h"
#include "model/OfflineHive.h"
#include "model/RunJournal.h"
#include "model/Utf8.h"

using namespace qxc;

namespace {

class HivexSession : public HiveSession {
public:
    HivexSession() : m_hive(qx::Registry()) {}
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
        m_journal.Use(m_hive.Path());
        return true;
    }
    bool Dirty() const override { return m_file && m_file->Dirty(); }
    bool Close(std::wstring* error) override { return m_hive.Close(error); }

private:
    qx::OfflineHive m_hive;
    qx::HiveFile* m_file = nullptr;
    qx::SourceJournal m_journal;
};

}  // namespace

int main(int argc, char** argv) {
    qx::UseLargeHeapPages();
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
