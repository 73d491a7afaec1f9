// CMainWnd: the uninstaller's only window. It builds its content from the skin's "main.xml", asks
// for confirmation, runs the uninstall worker and animates the progress display in step with the
// worker's flags, and at the end schedules the deletion of its own executable and closes.
#pragma once

#include "app/UninstallWorker.h"
#include "app/WndThread.h"
#include "ui/core/WindowWnd.h"
#include "ui/manager/WindowManager.h"

namespace ui {
class CControlUI;
}

inline constexpr UINT kMsgUninstallFinished = WM_USER + 1004; // 2028
inline constexpr int kProgressMax = 400;
inline constexpr int kProgressStep = 3;
inline constexpr int kFilesStepPause = 219;
inline constexpr int kShortcutStepPause = 313;
inline constexpr int kIconResourceId = 101;
inline constexpr unsigned kSelfDeleteDelayMs = 3000;

inline constexpr char16_t kMainWindowClass[] = u"CMainWnd";
inline constexpr char16_t kMainWindowTitle[] = u"Tarvion Uninstall Window";

class CMainWnd : public ui::CWindowWnd, public ui::INotifyUI, public IUninstallWindow
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
    void RearmProgressTimer() override;

    // True when a worker was started and has not said it finished: it may still be deleting.
    bool WorkerMayBeRunning() const { return m_workerStarted && m_flags.workerFinished.load() == 0; }

    ui::CWindowManagerUI& Manager() { return m_manager; }

private:
    LRESULT OnCreateWindow();
    LRESULT OnHitTest(LPARAM lParam);
    LRESULT OnSystemCommand(WPARAM wParam, LPARAM lParam, bool& handled);
    void OnProgressTimer(WPARAM timerId, bool& handled);
    void OnWindowInit();
    void FinishAndSelfDelete();

    // The progress value lives in the fill control's fixed width; a skin without that control
    // still gets the same pacing from a plain counter, so the worker runs and the program ends.
    int ProgressWidth() const;
    void SetProgressWidth(int width);

    ui::CWindowManagerUI m_manager;
    CWndThread m_worker;
    ui::CControlUI* m_progressBar = nullptr;
    ui::CControlUI* m_percentLabel = nullptr;
    UninstallProgressFlags m_flags;
    int m_progressWithoutControl = 0;
    bool m_workerStarted = false;
};
