// Ctrl+C, a closed terminal or a kill while a change is written: the signals that end
// the run are held back until the change is written and journalled (or rolled back),
// then take effect as usual. The hive file is only ever replaced whole, so a run ended
// between changes leaves it as the last commit wrote it.
#include "cli/Interrupt.h"

#include <signal.h>

namespace qxc {
namespace {

sigset_t Stopping() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    sigaddset(&set, SIGQUIT);
    return set;
}

}  // namespace

void InstallInterruptHandler() {}
void RunFinished(int) {}
bool Interrupted() { return false; }

ChangeInProgress::ChangeInProgress() : m_started(true) {
    const sigset_t set = Stopping();
    sigprocmask(SIG_BLOCK, &set, nullptr);
}

ChangeInProgress::~ChangeInProgress() {
    // A signal that came meanwhile is delivered here and ends the run.
    const sigset_t set = Stopping();
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

}  // namespace qxc
