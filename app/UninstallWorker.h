// The uninstall worker: terminates the product's processes and runs the four removal steps,
// reporting progress to the main window through one-byte flags and the re-arming of its timer.
#pragma once

#include "app/RemovalReport.h"

#include <atomic>
#include <cstdint>
#include <string_view>

inline constexpr unsigned kProgressTimerId = 4098;
inline constexpr unsigned kProgressTimerPeriodMs = 10;

// The progress flags the worker writes and the main window's progress timer reads. Each is
// written by one thread and read by the other, so single-byte atomics are all they need.
struct UninstallProgressFlags
{
    std::atomic<std::uint8_t> filesStepResult{0};
    std::atomic<std::uint8_t> shortcutStepResult{0};
    std::atomic<std::uint8_t> registryStepResult{0};
    std::atomic<std::uint8_t> workerFinished{0};
};

// All the worker may touch of the main window. The window implements it and registers itself with
// SetMainWindowInstance in its constructor; its destructor first calls StopAll on its CWndThread,
// then SetMainWindowInstance(nullptr), after which no worker writes into it any more.
class IUninstallWindow
{
public:
    virtual UninstallProgressFlags& ProgressFlags() = 0;
    // Stops the progress timer (kProgressTimerId) and starts it again with kProgressTimerPeriodMs.
    // Called on the worker thread; the window decides how the request reaches its own thread.
    virtual void RearmProgressTimer() = 0;

protected:
    ~IUninstallWindow() = default;
};

// Sets or clears the process-wide main window. Clearing waits until a worker that is writing to
// the window has finished that write; afterwards no worker touches the window again.
void SetMainWindowInstance(IUninstallWindow* window);
bool HasMainWindowInstance();

// Terminates every process whose executable file name equals name, ignoring the case of ASCII
// letters. Processes that cannot be signalled are skipped. Returns how many were signalled.
int TerminateProcessesByName(std::u16string_view name);

// The report of the last worker run. Complete once ProgressFlags().workerFinished reads 1 (the
// flag is stored after the report); before that it holds what the run has done so far.
RemovalReport LastRemovalReport();

// The routine CWndThread runs; the argument is unused. It stops between steps, and between the
// manifest's entries, once its owner has asked it to (CWndThread's stop request): it then notes
// what is left, marks the report stopped, stores workerFinished (when the window is still there)
// and re-arms the timer, without storing the flags of the steps it did not finish. A step that
// fails in any way, an exception included, is noted in the report and counts as done, so the
// flags are always set. The Start Menu step runs before the registry step, and the uninstall
// registration is kept whenever anything was left behind or failed.
void UninstallWorker(void* argument);
