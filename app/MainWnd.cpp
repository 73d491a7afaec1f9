// CMainWnd: message handling, hit testing for the skin's caption band, the confirmation, the
// progress animation and the closing self-deletion.
#include "app/MainWnd.h"

#include "app/RunRecord.h"
#include "platform/DetachedTasks.h"
#include "platform/Environment.h"
#include "platform/WindowSystem.h"
#include "ui/controls/Control.h"
#include "ui/core/Decimal.h"

#include <cstdio>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

constexpr char16_t kConfirmText[] = u"Are you sure you want to completely remove Tarvion?";
// How long a stop waits for the worker to reach its next check before the record is written.
constexpr auto kStopWait = std::chrono::seconds(10);

// Set by the worker's thread when its routine has returned, stopped or not.
std::atomic<bool> s_workerReturned{false};

void RunUninstallWorker(void* argument)
{
    UninstallWorker(argument);
    s_workerReturned.store(true);
}

} // namespace

CMainWnd::CMainWnd()
{
    SetMainWindowInstance(this);
}

CMainWnd::~CMainWnd()
{
    m_worker.StopAll();
    SetMainWindowInstance(nullptr);
}

const char16_t* CMainWnd::WindowClassName() const
{
    return kMainWindowClass;
}

UINT CMainWnd::ClassStyle() const
{
    return CS_DBLCLKS;
}

LRESULT CMainWnd::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    bool handled = true;
    LRESULT result = 0;
    switch (message) {
    case WM_CREATE:
        result = OnCreateWindow();
        break;
    case WM_SIZE:
        result = OnSizeChanged(wParam, lParam, handled);
        break;
    case WM_NCCALCSIZE:
        result = 0; // the whole window is client area
        break;
    case WM_NCHITTEST:
        result = OnHitTest(lParam);
        break;
    case WM_SYSCOMMAND:
        result = OnSystemCommand(wParam, lParam, handled);
        break;
    case WM_TIMER:
        OnProgressTimer(wParam, handled);
        break;
    case kMsgUninstallFinished:
        OnUninstallFinished();
        break;
    case kMsgRearmProgressTimer:
        if (!m_ending) {
            platform::Windows().KillTimer(m_hWnd, kProgressTimerId);
            platform::Windows().SetTimer(m_hWnd, kProgressTimerId, kProgressTimerPeriodMs);
        }
        break;
    case kMsgAskConfirmation:
        AskConfirmationAndStart();
        break;
    case WM_DESTROY:
        SetTimerRequestTarget(nullptr);
        handled = false;
        break;
    default:
        handled = false;
        break;
    }
    if (handled)
        return result;
    if (m_manager.HandleWindowMessage(message, wParam, lParam, result))
        return result;
    return CallPreviousProc(message, wParam, lParam);
}

LRESULT CMainWnd::OnCreateWindow()
{
    return OnCreateSkin();
}

LRESULT CMainWnd::OnHitTest(LPARAM lParam)
{
    return CaptionHitTest(lParam);
}

LRESULT CMainWnd::OnSizeChanged(WPARAM, LPARAM, bool& handled)
{
    ApplyRoundCorners();
    handled = false;
    return 0;
}

LRESULT CMainWnd::OnSystemCommand(WPARAM wParam, LPARAM lParam, bool& handled)
{
    switch (wParam & 0xFFF0) {
    case SC_CLOSE:
        // Closing only hides: the removal goes on and the program still ends by itself.
        ShowNativeWindow(false);
        handled = true;
        return 0;
    case SC_KEYMENU:
        return 0;
    default:
        return CallPreviousProc(WM_SYSCOMMAND, wParam, lParam);
    }
}

void CMainWnd::Notify(ui::TNotifyMsg& msg)
{
    if (msg.type == u"windowinit") {
        OnWindowInit();
    } else if (msg.type == u"click" && msg.sender != nullptr) {
        if (std::u16string_view(msg.sender->GetName().CStr()) == u"close_btn")
            OnCloseClicked();
    }
}

void CMainWnd::OnWindowInit()
{
    SetWindowIcon(kIconResourceId);
    // "windowinit" comes from inside the first paint, before its frame is presented: asking here
    // would put the question over an unpainted window. The request waits in the queue instead.
    PostToWindow(kMsgAskConfirmation, 0, 0);
}

void CMainWnd::AskConfirmationAndStart()
{
    auto& windows = platform::Windows();
    windows.UpdateWindow(m_hWnd);
    const int answer = windows.MessageBox(m_hWnd, kConfirmText, kMainWindowTitle, MB_OKCANCEL);
    if (answer != IDOK) {
        // Nothing has been removed yet; the program ends at once and leaves its copy where it is.
        std::fflush(nullptr);
        std::_Exit(0);
    }
    windows.SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    windows.SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

    m_progressBar = m_manager.ControlByName(u"pro_unins_lab");
    m_percentLabel = m_manager.ControlByName(u"unins_percent_lab");
    m_flags.filesStepResult.store(0);
    m_flags.shortcutStepResult.store(0);
    windows.SetTimer(m_hWnd, kProgressTimerId, kProgressTimerPeriodMs);
    SetTimerRequestTarget(m_hWnd);
    s_workerReturned.store(false);
    m_workerStarted = m_worker.Start(RunUninstallWorker, nullptr) != 0;
}

void CMainWnd::SetTimerRequestTarget(HWND hwnd)
{
    std::lock_guard guard(m_timerRequestLock);
    m_timerRequestTarget = hwnd;
}

void CMainWnd::RearmProgressTimer()
{
    std::lock_guard guard(m_timerRequestLock);
    if (m_timerRequestTarget != nullptr)
        platform::Windows().PostMessage(m_timerRequestTarget, kMsgRearmProgressTimer, 0, 0);
}

void CMainWnd::OnCloseClicked()
{
    if (m_ending)
        return;
    if (!WorkerMayBeRunning()) {
        // A worker that never started has removed nothing: that is no success either.
        EndRun(!m_workerStarted);
        return;
    }
    // Stopping half-way leaves the product half removed, so it is never done on one click. The
    // default answer (Enter, Escape, closing the box) goes on.
    const int answer = platform::Windows().MessageBox(m_hWnd, StopQuestionText().c_str(), kMainWindowTitle,
                                                      MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
    if (answer != IDYES || m_ending)
        return;
    if (!WorkerMayBeRunning()) {
        // The worker finished while the question was open: nothing is stopped.
        EndRun(false);
        return;
    }
    m_ending = true;
    platform::Windows().KillTimer(m_hWnd, kProgressTimerId);
    m_worker.StopAll();
    // The worker stops at its next check; its report is final once its routine has returned.
    const auto until = std::chrono::steady_clock::now() + kStopWait;
    while (!s_workerReturned.load() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EndRun(m_flags.workerFinished.load() == 0);
}

void CMainWnd::OnUninstallFinished()
{
    if (m_ending)
        return;
    m_ending = true;
    // The tick that wrote "100%" posted this message before any paint could show it; paint now
    // and keep the finished display up for a moment, so the person sees that it ended.
    platform::Windows().UpdateWindow(m_hWnd);
    platform::Windows().SetTimer(m_hWnd, kFinishedHoldTimerId, kFinishedHoldMs);
}

void CMainWnd::EndRun(bool stopped)
{
    m_ending = true;
    RemovalReport report = LastRemovalReport();
    report.stopped = report.stopped || stopped;
    const std::u16string location = RunRecordLocation();
    const bool written = WriteRunRecord(report, location);
    auto& windows = platform::Windows();
    if (report.stopped) {
        windows.MessageBox(m_hWnd, StoppedText(location, written).c_str(), kMainWindowTitle, MB_OK | MB_ICONWARNING);
    } else if (const std::u16string outcome = OutcomeText(report, location, written); !outcome.empty()) {
        windows.MessageBox(m_hWnd, outcome.c_str(), kMainWindowTitle, MB_OK | MB_ICONWARNING);
    }
    FinishAndSelfDelete();
}

int CMainWnd::ProgressWidth() const
{
    return m_progressBar != nullptr ? m_progressBar->GetFixedWidth() : m_progressWithoutControl;
}

void CMainWnd::SetProgressWidth(int width)
{
    if (m_progressBar != nullptr)
        m_progressBar->SetFixedWidth(width);
    else
        m_progressWithoutControl = width;
}

void CMainWnd::OnProgressTimer(WPARAM timerId, bool& handled)
{
    if (timerId == kFinishedHoldTimerId) {
        platform::Windows().KillTimer(m_hWnd, kFinishedHoldTimerId);
        EndRun(false);
        handled = true;
        return;
    }
    if (timerId != kProgressTimerId) {
        handled = false; // the controls' own timers
        return;
    }
    auto& windows = platform::Windows();
    const int width = ProgressWidth();
    if (m_percentLabel != nullptr) {
        // Written by hand: formatting through printf and a wide string a hundred times a second
        // was a good part of what a tick cost.
        char16_t text[ui::kDecimalMaxLength + 2];
        text[ui::kDecimalMaxLength + 1] = u'\0';
        text[ui::kDecimalMaxLength] = u'%';
        char16_t* end = ui::WriteDecimal(width * 100 / kProgressMax, text + ui::kDecimalMaxLength);
        m_percentLabel->SetText(end);
    }
    if (width >= kFilesStepPause && m_flags.filesStepResult.load() == 0) {
        windows.KillTimer(m_hWnd, kProgressTimerId); // the worker re-arms it after step 1
    } else if (width >= kShortcutStepPause && m_flags.shortcutStepResult.load() == 0) {
        windows.KillTimer(m_hWnd, kProgressTimerId); // the worker re-arms it after step 2
    } else if (width < kProgressMax) {
        SetProgressWidth(width + kProgressStep);
    } else if (m_flags.workerFinished.load() == 1) {
        PostToWindow(kMsgUninstallFinished, 0, 0);
        windows.KillTimer(m_hWnd, kProgressTimerId);
    } else {
        SetProgressWidth(kProgressMax);
    }
    handled = true;
}

void CMainWnd::FinishAndSelfDelete()
{
    // A detached child removes the executable once this process has had time to end. It gets the
    // path itself, never a command line, so no character in the path can change what it does.
    platform::StartDelayedDelete(platform::GetModuleFileName(), kSelfDeleteDelayMs);
    ShowNativeWindow(false);
    CloseWithResult(0);
}
