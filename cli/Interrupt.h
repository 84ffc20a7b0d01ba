// Ctrl+C, Ctrl+Break and closing the console. The run is let finish: a change in
// progress is written and journalled (or rolled back) and the offline hive unloaded
// before the process ends; no change starts once the user has asked to stop.
#pragma once

namespace qxc {

// Installs the console's control handler; call once, first thing.
void InstallInterruptHandler();
// Tells the handler the run has released everything (the hive is unloaded) and ends
// with `code`.
void RunFinished(int code);
// Whether the user asked to stop.
bool Interrupted();

// While one lives, a change is in progress: an interrupt waits for it to end. Started()
// is false when the user already asked to stop; the change must then not be made.
class ChangeInProgress {
public:
    ChangeInProgress();
    ~ChangeInProgress();
    ChangeInProgress(const ChangeInProgress&) = delete;
    ChangeInProgress& operator=(const ChangeInProgress&) = delete;
    bool Started() const { return m_started; }

private:
    bool m_started;
};

}  // namespace qxc
