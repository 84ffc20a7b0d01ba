#include "cli/Interrupt.h"

#include <windows.h>

#include "cli/Arguments.h"
#include "cli/Console.h"
#include "model/OfflineHive.h"

namespace qxc {
namespace {

CRITICAL_SECTION g_change;      // held while a change is written and journalled
HANDLE g_finished = nullptr;    // set when the run has released everything
volatile LONG g_interrupted = 0;
volatile LONG g_exitCode = kExitFailed;

// How long the handler lets the run finish: the system ends a process whose console
// is closed about five seconds after asking.
constexpr DWORD kFinishMs = 4000;

BOOL WINAPI OnConsoleControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT && type != CTRL_CLOSE_EVENT) return FALSE;
    InterlockedExchange(&g_interrupted, 1);
    if (WaitForSingleObject(g_finished, kFinishMs) == WAIT_OBJECT_0) ExitProcess(static_cast<UINT>(g_exitCode));
    // The run is still reading: wait only for a change in progress, and keep any other
    // from starting; then end, unloading the hive if the platform lets us while the
    // run's keys are open (a hive left loaded is unloaded at the next start).
    EnterCriticalSection(&g_change);
    Err().Line(L"Interrupted. No change is left half made.");
    qx::Win32HiveLoader().UnloadHive(qx::OfflineKeyName(GetCurrentProcessId()));
    ExitProcess(kExitFailed);
}

}  // namespace

void InstallInterruptHandler() {
    InitializeCriticalSection(&g_change);
    g_finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void RunFinished(int code) {
    InterlockedExchange(&g_exitCode, code);
    if (g_finished) SetEvent(g_finished);
}

bool Interrupted() { return InterlockedCompareExchange(&g_interrupted, 0, 0) != 0; }

ChangeInProgress::ChangeInProgress() {
    EnterCriticalSection(&g_change);
    m_started = !Interrupted();
}

ChangeInProgress::~ChangeInProgress() { LeaveCriticalSection(&g_change); }

}  // namespace qxc
