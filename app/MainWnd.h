// CMainWnd: the uninstaller's only window. It builds its content from the skin's "main.xml", asks
// for confirmation, runs the uninstall worker and animates the progress display in step with the
// worker's flags, and at the end schedules the deletion of its own executable and closes.
#pragma once

#include "app/UninstallWorker.h"
#include "app/WndThread.h"
#include "ui/builder/SkinWindow.h"

#include <mutex>

namespace ui {
class CControlUI;
}

inline constexpr UINT kMsgUninstallFinished = WM_USER + 1004; // 2028
// Posted by the worker: stop and restart the progress timer on the window's own thread.
inline constexpr UINT kMsgRearmProgressTimer = WM_USER + 1005;
// Posted on "windowinit": ask for confirmation once the first frame has been presented.
inline constexpr UINT kMsgAskConfirmation = WM_USER + 1006;
// Holds the finished display (100 %) on screen before the window goes.
inline constexpr unsigned kFinishedHoldTimerId = 4099;
inline constexpr unsigned kFinishedHoldMs = 500;
inline constexpr int kProgressMax = 400;
inline constexpr int kProgressStep = 3;
inline constexpr int kFilesStepPause = 219;
inline constexpr int kShortcutStepPause = 313;
inline constexpr int kIconResourceId = 101;
inline constexpr unsigned kSelfDeleteDelayMs = 3000;

inline constexpr char16_t kMainWindowClass[] = u"CMainWnd";
inline constexpr char16_t kMainWindowTitle[] = u"Tarvion Uninstall Window";

class CMainWnd : public ui::CSkinWindowWnd, public IUninstallWindow
{
public:
    CMainWnd();
    // Stops a worker that is still running before the window's state goes away.
    ~CMainWnd() override;

    const char16_t* WindowClassName() const override;
    UINT ClassStyle() const override;
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Notify(ui::TNotifyMsg& msg) override;

    // Sets the rounded window region from the skin's corner size; always leaves the message to the
    // manager, which lays the tree out for the new size.
    virtual LRESULT OnSizeChanged(WPARAM wParam, LPARAM lParam, bool& handled);

    UninstallProgressFlags& ProgressFlags() override { return m_flags; }
    // Worker thread: asks the window's own thread to re-arm the progress timer. The request is
    // posted to the window system's queue; once the window is gone nothing is posted, and a
    // request still queued for a destroyed window is dropped there.
    void RearmProgressTimer() override;

    // True when a worker was started and has not said it finished: it may still be deleting.
    bool WorkerMayBeRunning() const { return m_workerStarted && m_flags.workerFinished.load() == 0; }

private:
    LRESULT OnCreateWindow();
    LRESULT OnHitTest(LPARAM lParam);
    LRESULT OnSystemCommand(WPARAM wParam, LPARAM lParam, bool& handled);
    void OnProgressTimer(WPARAM timerId, bool& handled);
    void OnWindowInit();
    void AskConfirmationAndStart();
    void OnCloseClicked();
    void OnUninstallFinished();
    // Writes the run's record, tells the person what a stopped or incomplete run left, then ends.
    void EndRun(bool stopped);
    void FinishAndSelfDelete();
    void SetTimerRequestTarget(HWND hwnd);

    // The progress value lives in the fill control's fixed width; a skin without that control
    // still gets the same pacing from a plain counter, so the worker runs and the program ends.
    int ProgressWidth() const;
    void SetProgressWidth(int width);

    CWndThread m_worker;
    ui::CControlUI* m_progressBar = nullptr;
    ui::CControlUI* m_percentLabel = nullptr;
    UninstallProgressFlags m_flags;
    int m_progressWithoutControl = 0;
    bool m_workerStarted = false;
    bool m_ending = false;
    // The window the worker's timer requests go to: set on this thread when the worker starts,
    // cleared when the window is destroyed. The worker reads only this, never the window itself.
    std::mutex m_timerRequestLock;
    HWND m_timerRequestTarget = nullptr;
};
