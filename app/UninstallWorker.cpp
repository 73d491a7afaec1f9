// The uninstall worker and the guarded link through which it reaches the main window.
#include "app/UninstallWorker.h"

#include "app/Removal.h"
#include "app/WndThread.h"
#include "platform/Processes.h"

#include <exception>
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

int TerminateProcessesByName(std::u16string_view name)
{
    int terminated = 0;
    try {
        for (const platform::ProcessEntry& process : platform::SnapshotProcesses()) {
            if (EqualsIgnoringAsciiCase(process.exeFileName, name) && platform::TerminateProcess(process.pid))
                ++terminated;
        }
    } catch (const std::exception&) {
        // Out of memory while walking the processes ends the walk; the removal goes on.
    }
    return terminated;
}

void UninstallWorker(void*)
{
    const std::atomic<bool>* stop = CWndThread::CurrentStopFlag();
    const auto stopped = [stop] { return stop != nullptr && stop->load(); };

    TerminateProcessesByName(u"Tarvion.exe");
    TerminateProcessesByName(u"transport.exe");
    if (stopped())
        return;

    if (HasMainWindowInstance()) {
        const bool result = RemoveListedFiles(stop);
        if (stopped())
            return;
        StoreFlag(&UninstallProgressFlags::filesStepResult, result);
    }
    RearmTimer();
    if (stopped())
        return;

    if (HasMainWindowInstance()) {
        const bool result = RemoveRecordedShortcut();
        if (stopped())
            return;
        StoreFlag(&UninstallProgressFlags::shortcutStepResult, result);
    }
    RearmTimer();
    if (stopped())
        return;

    if (HasMainWindowInstance()) {
        const bool result = RemoveRegistryKeys();
        if (stopped())
            return;
        StoreFlag(&UninstallProgressFlags::registryStepResult, result);
    }
    RemoveStartMenuEntries();
    WithMainWindow([](IUninstallWindow& window) { window.ProgressFlags().workerFinished.store(1); });
}
