// The uninstall worker and the guarded link through which it reaches the main window.
#include "app/UninstallWorker.h"

#include "app/Removal.h"
#include "app/WndThread.h"
#include "platform/Processes.h"

#include <exception>
#include <string>
#include <mutex>

namespace {

// The lock is held for each short write into the window, never while a step runs, so that
// clearing the instance waits at most for one flag store or timer re-arm.
std::mutex s_instanceLock;
IUninstallWindow* s_mainWindowInstance = nullptr;

std::mutex s_reportLock;
RemovalReport s_report;

template <typename Action> void WithMainWindow(Action&& action)
{
    std::lock_guard guard(s_instanceLock);
    if (s_mainWindowInstance != nullptr)
        action(*s_mainWindowInstance);
}

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'A' && x <= u'Z')
            x = char16_t(x - u'A' + u'a');
        if (y >= u'A' && y <= u'Z')
            y = char16_t(y - u'A' + u'a');
        if (x != y)
            return false;
    }
    return true;
}

void StoreFlag(std::atomic<std::uint8_t> UninstallProgressFlags::*flag, bool value)
{
    WithMainWindow([&](IUninstallWindow& window) { (window.ProgressFlags().*flag).store(value ? 1 : 0); });
}

void RearmTimer()
{
    WithMainWindow([](IUninstallWindow& window) { window.RearmProgressTimer(); });
}

} // namespace

RemovalReport LastRemovalReport()
{
    std::lock_guard guard(s_reportLock);
    return s_report;
}

void SetMainWindowInstance(IUninstallWindow* window)
{
    std::lock_guard guard(s_instanceLock);
    s_mainWindowInstance = window;
}

bool HasMainWindowInstance()
{
    std::lock_guard guard(s_instanceLock);
    return s_mainWindowInstance != nullptr;
}

namespace {

// Ends every process of that name and notes in the report each one that is still running.
int TerminateNoting(std::u16string_view name, RemovalReport& report)
{
    int terminated = 0;
    try {
        for (const platform::ProcessEntry& process : platform::SnapshotProcesses()) {
            if (!EqualsIgnoringAsciiCase(process.exeFileName, name))
                continue;
            if (platform::TerminateProcess(process.pid)) {
                ++terminated;
            } else if (platform::IsProcessRunning(process.pid)) {
                const std::string pid = std::to_string(process.pid);
                report.problems.push_back(u"The product process " + std::u16string(name) + u" (process " +
                                          std::u16string(pid.begin(), pid.end()) + u") could not be ended.");
            }
        }
    } catch (const std::exception&) {
        // Out of memory while walking the processes ends the walk; the removal goes on.
        report.problems.push_back(u"The running product processes could not all be examined.");
    }
    return terminated;
}

void PublishReport(const RemovalReport& report)
{
    try {
        RemovalReport copy = report;
        std::lock_guard guard(s_reportLock);
        s_report = std::move(copy);
    } catch (const std::exception&) {
        // Without memory for a copy the previous state stays readable; the final store retries.
    }
}

// Runs one step so that nothing it throws can keep the worker from going on and setting its
// flags: a step that fails is noted and counts as done.
template <typename Step> bool RunStep(RemovalReport& report, Step&& step)
{
    try {
        return step();
    } catch (const std::exception& e) {
        const std::string what = e.what();
        report.problems.push_back(u"A removal step failed: " + Utf8ToWide(what));
    } catch (...) {
        report.problems.push_back(u"A removal step failed.");
    }
    return true;
}

} // namespace

int TerminateProcessesByName(std::u16string_view name)
{
    RemovalReport unused;
    return TerminateNoting(name, unused);
}

void UninstallWorker(void*)
{
    const std::atomic<bool>* stop = CWndThread::CurrentStopFlag();
    const auto stopRequested = [stop] { return stop != nullptr && stop->load(); };
    RemovalReport report;
    PublishReport(report);
    // The installed uninstaller and its manifest are what a later run needs: they go at the very
    // end, just before the registration, so that a run killed at any step can be run again.
    DeferredInstallerEntries deferred;

    // After a stop the window still learns that the worker is done, and what is left.
    const auto endStopped = [&](int firstUndoneStep) {
        RunStep(report, [&] {
            NoteUndoneSteps(firstUndoneStep, report);
            FinishDeferredEntries(deferred, DeferredFate::Keep, report);
            return true;
        });
        report.stopped = true;
        PublishReport(report);
        WithMainWindow([](IUninstallWindow& window) { window.ProgressFlags().workerFinished.store(1); });
        RearmTimer();
    };

    RunStep(report, [&] {
        TerminateNoting(u"Tarvion.exe", report);
        TerminateNoting(u"transport.exe", report);
        return true;
    });
    if (stopRequested())
        return endStopped(1);

    if (HasMainWindowInstance()) {
        const bool result = RunStep(report, [&] { return RemoveListedFiles(stop, &report, &deferred); });
        if (stopRequested())
            return endStopped(2);
        PublishReport(report);
        StoreFlag(&UninstallProgressFlags::filesStepResult, result);
    }
    RearmTimer();
    if (stopRequested())
        return endStopped(2);

    if (HasMainWindowInstance()) {
        const bool result = RunStep(report, [&] { return RemoveRecordedShortcut(&report); });
        if (stopRequested())
            return endStopped(3);
        PublishReport(report);
        StoreFlag(&UninstallProgressFlags::shortcutStepResult, result);
    }
    RearmTimer();
    if (stopRequested())
        return endStopped(3);

    // The Start Menu entries go before the registration, so that the registration is deleted only
    // once it is known that nothing else was left.
    RunStep(report, [&] {
        RemoveStartMenuEntries(&report);
        FinishDeferredEntries(deferred, DeferredFate::RemoveIfAllElseWent, report);
        return true;
    });
    if (HasMainWindowInstance()) {
        const bool keep = !report.leftBehind.empty() || !report.problems.empty();
        const bool result = RunStep(report, [&] { return RemoveRegistryKeys(keep, &report); });
        StoreFlag(&UninstallProgressFlags::registryStepResult, result);
    }
    PublishReport(report);
    WithMainWindow([](IUninstallWindow& window) { window.ProgressFlags().workerFinished.store(1); });
}
