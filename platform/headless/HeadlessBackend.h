// Headless window backend: windows without a display, for tests and unattended runs.
//
// Supported:
//  [x] Windows as records with rectangles, styles, regions and an in-memory picture (read it with
//      WindowSystem::WindowPixels); one virtual monitor, 1920 x 1080 with a work area of 1920 x 1040,
//      that tests may change (SetScreen), and system metrics they may set.
//  [x] Input injected by tests: mouse moves, buttons, wheel, keys, text, the desktop's close request,
//      moves and resizes by the desktop; caption dragging through WM_NCHITTEST = HTCAPTION.
//  [x] Message boxes answered from a script: TVU_MSGBOX="ok,cancel" gives the answers in order; without
//      a script (or once it is used up) a box answers Cancel, an OK-only box OK. TVU_MSGBOX_LOG names a
//      file to which every box is appended as "caption<TAB>text<TAB>answer".
//  [x] Frames: TVU_FRAMES names a folder into which every presented frame is written as a numbered PNG
//      (000001.png ...); TVU_FRAMES_MAX caps the count (default 1000), the last slot always holding the
//      latest frame. A paint presented in several pieces writes one frame, after the last piece.
//  [x] A scale factor for every window (TVU_SCALE, or SetScale): pictures and frames at device
//      resolution (480 x 300 logical at scale 2: 960 x 600 PNG frames); the Inject* helpers take
//      device screen coordinates, as a pointer on a scaled screen reports them, and hand on
//      logical ones. The monitor and work area stay logical.
//  [x] Cursor shape, capture and activation are recorded for tests to read.
//  [ ] No real time passes unless the window system's clock says so (use a ManualClock to step it).
#pragma once

#include "platform/WindowBackend.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

class HeadlessBackend : public IWindowBackend
{
public:
    struct MessageBoxRecord
    {
        HWND owner = nullptr;
        std::u16string text;
        std::u16string caption;
        UINT type = 0;
        int answer = 0;
    };

    // Reads TVU_MSGBOX, TVU_MSGBOX_LOG, TVU_FRAMES, TVU_FRAMES_MAX and TVU_SCALE.
    HeadlessBackend();

    const char* Name() const override { return "headless"; }

    // ---- settings for tests ----
    void SetScreen(const RECT& monitor, const RECT& workArea);
    void SetSystemMetric(int index, int value);
    void SetMessageBoxScript(const std::string& script); // "ok,cancel,..."
    void SetFrames(const std::string& folder, int maxFrames);
    // The scale of windows created from now on (SaneScale'd).
    void SetScale(double scale);
    double Scale() const { return m_scale; }

    // ---- what tests read back ----
    const std::vector<MessageBoxRecord>& MessageBoxes() const { return m_boxes; }
    int CursorShape() const { return m_cursor; }
    HWND CapturedWindow() const { return m_captured; }
    int PresentCount() const { return m_presents; }
    int FramesWritten() const { return m_framesWritten; }
    HWND LastActivated() const { return m_lastActivated; }

    // ---- input injection (any thread) ----
    // The event as it stands (logical screen coordinates).
    void Inject(const InputEvent& event);
    // These take device screen coordinates (the same as logical ones at scale 1).
    void InjectMouseMove(int x, int y);
    void InjectButton(int button, bool down, int x, int y);
    void InjectWheel(int delta, int x, int y);
    void InjectKey(UINT vk, bool down);
    void InjectText(const std::u16string& text);
    void InjectCloseRequest(HWND hwnd);

    // ---- IWindowBackend ----
    double WindowScale(const WindowRecord& window) override;
    bool CreateNative(WindowRecord& window) override;
    void DestroyNative(WindowRecord& window) override;
    void UpdateNative(WindowRecord& window, unsigned changes) override;
    void ActivateNative(WindowRecord& window) override;
    void Present(WindowRecord& window, const RECT& dirty) override;
    void PresentPieces(WindowRecord& window, const std::vector<RECT>& pieces) override;
    void SetCursorShape(int cursorId) override { m_cursor = cursorId; }
    void SetMouseCapture(WindowRecord* window) override { m_captured = window ? window->handle : nullptr; }
    bool QueryCursorPos(POINT& pos) override;
    int MonitorCount() override { return 1; }
    RECT MonitorRect(int index) override;
    RECT WorkArea(int index) override;
    int SystemMetric(int index) override;
    int ShowMessageBox(WindowRecord* owner, const std::u16string& text, const std::u16string& caption, UINT type,
                       const std::function<void()>& whileOpen = {}) override;
    void PollEvents(std::vector<InputEvent>& out) override;
    void WaitEvents(int timeoutMs) override;
    void Wake() override;

private:
    void WriteFrame(const WindowRecord& window);

    POINT Logical(int x, int y) const;

    double m_scale = 1.0;
    RECT m_monitor{0, 0, 1920, 1080};
    RECT m_work{0, 0, 1920, 1040};
    std::map<int, int> m_metrics;
    std::deque<int> m_script;
    std::string m_boxLog;
    std::vector<MessageBoxRecord> m_boxes;
    std::string m_framesFolder;
    int m_framesMax = 1000;
    int m_framesWritten = 0;
    int m_presents = 0;
    int m_cursor = IDC_ARROW;
    HWND m_captured = nullptr;
    HWND m_lastActivated = nullptr;
    POINT m_pointer;
    bool m_pointerKnown = false;

    std::mutex m_lock;
    std::condition_variable m_wakeup;
    std::deque<InputEvent> m_events;
    bool m_woken = false;
};

} // namespace platform
