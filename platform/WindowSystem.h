// The window system: window classes and records, the message queue and loop, timers, focus,
// capture, cursors, painting and input translation, over a backend that shows the windows on a
// display (platform/sdl) or keeps them in memory (platform/headless).
//
// The model is Win32's: a window has a procedure (window, message, wParam, lParam) -> result that is
// called with WM_NCCREATE, WM_CREATE ... WM_DESTROY, WM_NCDESTROY in Win32 order; one UI thread runs
// GetMessage/PeekMessage/DispatchMessage; PostMessage, PostThreadMessage, SetTimer and KillTimer
// may be called from any thread, and SendMessage from another thread waits until the UI thread's
// loop has delivered the message; everything else belongs to the UI thread.
#pragma once

#include "platform/Clock.h"
#include "platform/PixelBuffer.h"
#include "platform/Win32Defs.h"
#include "platform/WindowBackend.h"
#include "platform/WindowRecord.h"
#include "platform/WindowRegion.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace platform {

// What BeginPaint hands out: the area to paint (logical client coordinates) and the pixels to paint
// it into, at device resolution (for a child window, a view into its top-level window's picture).
struct PaintInfo
{
    RECT dirty; // the bounding box of everything to paint
    // The separate rectangles within `dirty` that need painting; empty means all of `dirty`.
    std::vector<RECT> pieces;
    PixelBuffer pixels;
    bool erase = false;
    double scale = 1.0; // device pixels per logical pixel of `pixels`
};

// Draws a tooltip's text into its window's picture (device pixels: WindowScale tells the scale);
// installed by the drawing layer's user.
using TooltipPainter = std::function<void(PixelBuffer& pixels, const std::u16string& text)>;
// Measures a tooltip's text (width, height in pixels) for a maximum width (-1: none).
using TooltipMeasurer = std::function<SIZE(const std::u16string& text, int maxWidth)>;
// Finds the bytes of an embedded icon resource (a PNG picture); empty when there is none.
using IconSource = std::function<std::vector<std::uint8_t>(int resourceId)>;

// The largest window side: a window's picture is allocated in full, so a size from a skin or a
// program is clamped here (an 8K screen, 256 MiB of pixels), as are positions to ±kMaxWindowPosition.
constexpr int kMaxWindowSide = 8192;
constexpr int kMaxWindowPosition = 1 << 20;

// The rectangle at (x, y) of the given size, clamped to the limits above (negative sizes become 0).
RECT BoundedWindowRect(long long x, long long y, long long width, long long height);

class WindowSystem
{
public:
    // The process's window system, created on first use with the backend that TVU_PLATFORM names
    // (sdl or headless; without it SDL when a display is available, else headless). The thread that
    // creates it (here or in Install) is its UI thread.
    static WindowSystem& Get();
    // Replaces the process's window system by one over the given backend (tests; a headless run).
    // Every window of the previous one is destroyed first.
    static WindowSystem& Install(std::unique_ptr<IWindowBackend> backend);
    // Destroys the process's window system and all its windows.
    static void Shutdown();
    // The process's window system if one exists; never creates one.
    static WindowSystem* Current();
    // For threads other than the UI thread: runs action on the process's window system if one
    // exists, which Shutdown and Install then wait for, so it cannot go away meanwhile. False, and
    // nothing created, when there is none.
    static bool WithCurrent(const std::function<void(WindowSystem&)>& action);
    // The backend TVU_PLATFORM selects.
    static std::unique_ptr<IWindowBackend> CreateDefaultBackend();

    explicit WindowSystem(std::unique_ptr<IWindowBackend> backend);
    ~WindowSystem();
    WindowSystem(const WindowSystem&) = delete;
    WindowSystem& operator=(const WindowSystem&) = delete;

    IWindowBackend& Backend() { return *m_backend; }
    // Drops every window without calling its procedure: at process exit the objects behind the
    // windows may be gone already, and nothing may be told anything any more.
    void AbandonWindows();
    // Replaces the clock (tests step a ManualClock). The system keeps a reference: the clock must outlive it.
    void SetClock(IClock* clock);
    DWORD GetTickCount() const;
    std::uint64_t NowMs() const;
    DWORD LastError() const;
    void SetLastError(DWORD error) const;

    // ---- classes --------------------------------------------------------------------------------
    ATOM RegisterClassEx(const WNDCLASSEXW& wc);
    bool UnregisterClass(const char16_t* className, HINSTANCE instance);
    // With a null instance: the system classes, then the program's; otherwise the program's only.
    bool GetClassInfoEx(HINSTANCE instance, const char16_t* className, WNDCLASSEXW& out);
    std::u16string GetClassName(HWND hwnd) const;

    // ---- windows --------------------------------------------------------------------------------
    HWND CreateWindowEx(DWORD exStyle, const char16_t* className, const char16_t* title, DWORD style, int x, int y,
                        int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
    bool DestroyWindow(HWND hwnd);
    bool IsWindow(HWND hwnd) const;
    HWND GetParent(HWND hwnd) const; // the parent of a child window, else the owner
    HWND GetWindow(HWND hwnd, UINT relation) const;
    HWND GetAncestor(HWND hwnd, UINT flags) const;
    bool IsChild(HWND parent, HWND hwnd) const;
    HWND FindWindow(const char16_t* className, const char16_t* title) const;
    std::vector<HWND> TopLevelWindows() const; // bottom to top

    LONG_PTR GetWindowLongPtr(HWND hwnd, int index) const;
    LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value);
    bool SetProp(HWND hwnd, const char16_t* name, HANDLE value);
    HANDLE GetProp(HWND hwnd, const char16_t* name) const;
    HANDLE RemoveProp(HWND hwnd, const char16_t* name);
    bool SetWindowText(HWND hwnd, const char16_t* text);
    std::u16string GetWindowText(HWND hwnd) const;

    bool ShowWindow(HWND hwnd, int command); // the previous visibility
    bool IsWindowVisible(HWND hwnd) const;   // the window and all its parents have WS_VISIBLE
    bool IsIconic(HWND hwnd) const;
    bool IsZoomed(HWND hwnd) const;
    bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags);
    bool MoveWindow(HWND hwnd, int x, int y, int width, int height, bool repaint);
    bool GetWindowRect(HWND hwnd, RECT& rect) const; // screen coordinates
    bool GetClientRect(HWND hwnd, RECT& rect) const; // (0, 0, width, height)
    bool ClientToScreen(HWND hwnd, POINT& point) const;
    bool ScreenToClient(HWND hwnd, POINT& point) const;
    // Windows here have no frame of their own (the desktop draws one outside), so the window
    // rectangle of a client rectangle is the same rectangle.
    bool AdjustWindowRectEx(RECT& rect, DWORD style, bool menu, DWORD exStyle) const;
    // The region in window coordinates; nullopt restores the plain rectangle.
    bool SetWindowRegion(HWND hwnd, std::optional<WindowRegion> region, bool redraw);
    std::optional<WindowRegion> GetWindowRegion(HWND hwnd) const;
    // Whole-window alpha of a top-level WS_EX_LAYERED window (LWA_ALPHA); the colour key is not
    // offered. False for an unknown window, a child or a window without WS_EX_LAYERED.
    bool SetLayeredWindowAttributes(HWND hwnd, COLORREF key, BYTE alpha, DWORD flags);
    BYTE WindowOpacity(HWND hwnd) const; // 255 for an unknown window
    HWND WindowFromPoint(POINT screen) const;

    bool EnableWindow(HWND hwnd, bool enable); // true when the window was disabled before
    bool IsWindowEnabled(HWND hwnd) const;
    HWND SetFocus(HWND hwnd); // the previous focus window
    HWND GetFocus() const;
    HWND SetActiveWindow(HWND hwnd);
    HWND GetActiveWindow() const;
    bool SetForegroundWindow(HWND hwnd);
    HWND GetForegroundWindow() const { return GetActiveWindow(); }
    HWND SetCapture(HWND hwnd);
    bool ReleaseCapture();
    HWND GetCapture() const;
    bool TrackMouseEvent(TRACKMOUSEEVENT& request);
    bool GetCursorPos(POINT& point) const;
    short GetKeyState(int vk) const; // negative while the key is down

    // ---- cursors and icons ----------------------------------------------------------------------
    HCURSOR LoadCursor(HINSTANCE instance, int cursorId) const; // system cursors only
    HCURSOR SetCursor(HCURSOR cursor);                          // the previous cursor
    HCURSOR GetCursor() const;
    static int CursorId(HCURSOR cursor);
    // An icon of the given size from an embedded PNG resource; null when missing or undecodable.
    HICON LoadIconResource(HINSTANCE instance, int resourceId, int width, int height);
    HICON CreateIconFromPixels(const PixelBuffer& pixels);
    bool DestroyIcon(HICON icon);
    // The icon's pixels (premultiplied ARGB); empty for an unknown icon.
    PixelBuffer IconPixels(HICON icon) const;
    void SetIconSource(IconSource source);
    int GetSystemMetrics(int index) const;

    // ---- monitors -------------------------------------------------------------------------------
    HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags) const;
    HMONITOR MonitorFromPoint(POINT point, DWORD flags) const;
    bool GetMonitorInfo(HMONITOR monitor, MONITORINFO& info) const;

    // ---- messages -------------------------------------------------------------------------------
    LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam); // any thread
    bool PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam);      // any thread
    void PostQuitMessage(int exitCode);
    // 0 for WM_QUIT, 1 for any other message; blocks until one is there.
    int GetMessage(MSG& msg, HWND filter = nullptr, UINT first = 0, UINT last = 0);
    bool PeekMessage(MSG& msg, HWND filter = nullptr, UINT first = 0, UINT last = 0, UINT remove = PM_REMOVE);
    // Posts WM_CHAR for the keys that stand for a control character (Backspace, Tab, Enter, Escape);
    // printable characters arrive from the backend's text input.
    bool TranslateMessage(const MSG& msg);
    LRESULT DispatchMessage(const MSG& msg);
    LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Dispatches every message that is ready now without waiting; returns how many. Stops at WM_QUIT,
    // which it leaves for the next GetMessage.
    int DispatchPending();
    bool IsUiThread() const;

    // ---- timers (any thread) --------------------------------------------------------------------
    UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc = nullptr);
    bool KillTimer(HWND hwnd, UINT_PTR id);

    // ---- painting -------------------------------------------------------------------------------
    bool InvalidateRect(HWND hwnd, const RECT* rect, bool erase);
    bool ValidateRect(HWND hwnd, const RECT* rect);
    bool GetUpdateRect(HWND hwnd, RECT& rect) const;
    bool UpdateWindow(HWND hwnd);
    bool BeginPaint(HWND hwnd, PaintInfo& paint);
    bool EndPaint(HWND hwnd, const PaintInfo& paint);
    // The window's picture (client size in device pixels) for drawing outside WM_PAINT and for
    // measuring; a child's is a view into its top-level window's picture. Empty for an unknown or
    // zero-sized window.
    PixelBuffer WindowPixels(HWND hwnd) const;
    // Device pixels per logical pixel of that picture; 1 for an unknown window.
    double WindowScale(HWND hwnd) const;
    // Hands the current picture of the client rectangle to the backend.
    bool PresentWindow(HWND hwnd, const RECT* dirty = nullptr);
    // Hands the pieces of one paint to the backend together.
    bool PresentPieces(HWND hwnd, const std::vector<RECT>& pieces);

    // ---- message boxes and tooltips -------------------------------------------------------------
    int MessageBox(HWND owner, const char16_t* text, const char16_t* caption, UINT type);
    // Milliseconds until the next thread timer (one without a window) is due: 0 when one is due
    // now, -1 without any. A message box's own loop fires only those, so it may sleep that long.
    int MillisecondsToNextThreadTimer();
    void SetTooltipPainter(TooltipPainter painter, TooltipMeasurer measurer);
    const TooltipPainter& GetTooltipPainter() const { return m_tooltipPainter; }
    const TooltipMeasurer& GetTooltipMeasurer() const { return m_tooltipMeasurer; }

    // ---- input from backends --------------------------------------------------------------------
    // Turns raw input into messages (called by the loop for polled events; callable directly).
    void HandleInput(const InputEvent& event);
    // Asks a window what lies under a screen point (sends WM_NCHITTEST); used by backends that let the
    // desktop drag windows by their caption.
    LRESULT HitTest(HWND hwnd, POINT screen);

    // Record access for backends (UI thread only); null for an unknown handle.
    WindowRecord* Record(HWND hwnd);
    const WindowRecord* Record(HWND hwnd) const;

private:
    struct WindowClass
    {
        WNDCLASSEXW info;
        std::u16string name;
        bool system = false;
    };
    struct Timer
    {
        HWND hwnd = nullptr;
        UINT_PTR id = 0;
        UINT period = 0;
        std::uint64_t due = 0;
        TIMERPROC proc = nullptr;
    };
    struct Icon
    {
        std::vector<std::uint32_t> store;
        PixelBuffer pixels;
    };
    struct ClickState
    {
        HWND hwnd = nullptr;
        int button = -1;
        POINT screen;
        std::uint64_t time = 0;
    };
    struct DragState
    {
        HWND hwnd = nullptr;
        LRESULT hit = HTCAPTION; // HTCAPTION moves; a border code sizes from that border
        POINT startCursor;
        RECT startRect;
    };
    struct HoverState
    {
        HWND hwnd = nullptr;
        bool hover = false;
        bool leave = false;
        DWORD hoverTime = 0;
        POINT anchor; // screen position where the current hover wait started
        std::uint64_t since = 0;
    };

    WindowClass* FindClass(const std::u16string& name, HINSTANCE instance);
    void RegisterSystemClasses();
    void DestroyAll();
    LRESULT CallProc(WindowRecord& window, UINT message, WPARAM wParam, LPARAM lParam);
    void SendDestroyMessages(HWND hwnd, bool ncDestroy);
    void ForgetWindow(HWND hwnd);
    WindowRecord* TopLevelOf(HWND hwnd);
    // The area of the top-level picture that presenting `dirty` of hwnd shows (empty when the
    // window is hidden or minimised); false for an unknown window.
    bool PresentArea(HWND hwnd, const RECT* dirty, WindowRecord*& top, RECT& area);
    const WindowRecord* TopLevelOf(HWND hwnd) const;
    POINT ClientOriginOnScreen(const WindowRecord& window) const;
    void ResizeStore(WindowRecord& window);
    void ApplyRect(WindowRecord& window, const RECT& rect, bool fromDesktop, WPARAM sizeKind = SIZE_RESTORED);
    // A top-level window's new scale from the desktop, with its rectangle at that scale: the
    // picture is made anew at the new device size and painted again.
    void ApplyScale(WindowRecord& window, double scale, const RECT& rect);
    void SetMaximized(WindowRecord& window, bool maximized);
    void SetMinimized(WindowRecord& window, bool minimized, bool fromDesktop);
    void Activate(HWND hwnd, bool fromDesktop);
    void ActivateAnotherThan(HWND hwnd);
    void DestroyOwnedWindows(HWND owner);
    void PlaceOnTop(HWND hwnd);

    bool MatchesFilter(const MSG& msg, HWND filter, UINT first, UINT last) const;
    bool FetchMessage(MSG& msg, HWND filter, UINT first, UINT last, bool remove);
    // Moves the backend's raw input into m_input; TranslateNextInput turns its first event into
    // messages when the posted queue is empty.
    void PumpBackend();
    bool TranslateNextInput();
    bool TakePosted(MSG& msg, HWND filter, UINT first, UINT last, bool remove);
    int MillisecondsToNextDeadline();
    // When the next timer is due (max: none), of all or only of the thread timers.
    std::uint64_t NextTimerDue(bool threadTimersOnly);
    // Runs the procedures of the thread timers (no window) that are due: what a modal loop still
    // does while its box waits.
    void FireDueThreadTimers();
    bool ServiceHover(); // true when it posted WM_MOUSEHOVER
    void Wake();
    LRESULT SendFromOtherThread(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void DeliverSentMessages();

    HWND MouseTarget(const InputEvent& event, POINT& screen);
    void HandleMouse(const InputEvent& event);
    void HandleKey(const InputEvent& event);
    void PostMouseMessage(HWND hwnd, UINT clientMessage, WPARAM keys, POINT screen, LRESULT hit);
    WPARAM MouseKeyState() const;
    void UpdateHoverOnMove(HWND hwnd, POINT screen);
    // Whether the desktop has the pointer over `hwnd` or one of its children; empty when it cannot tell.
    std::optional<bool> PointerOver(HWND hwnd);
    void StartMoveSize(HWND hwnd, POINT screen, LRESULT hit);
    void FollowMoveSize(POINT screen);

    std::unique_ptr<IWindowBackend> m_backend;
    SteadyClock m_steadyClock;
    IClock* m_clock = &m_steadyClock;
    std::thread::id m_uiThread;

    std::vector<WindowClass> m_classes;
    std::map<std::uintptr_t, std::unique_ptr<WindowRecord>> m_windows; // ordered by creation
    std::vector<HWND> m_zOrder;                                        // top-level windows, bottom first
    std::uintptr_t m_nextHandle = 0x10;

    HWND m_focus = nullptr;
    HWND m_active = nullptr;
    HWND m_capture = nullptr;
    HCURSOR m_cursor = nullptr;
    POINT m_cursorPos;
    unsigned m_keyDown[256] = {};
    ClickState m_lastClick;
    DragState m_drag;
    HoverState m_hover;
    std::deque<InputEvent> m_input; // raw input not yet turned into messages
    std::map<std::uintptr_t, Icon> m_icons;
    std::uintptr_t m_nextIcon = 1;
    IconSource m_iconSource;
    TooltipPainter m_tooltipPainter;
    TooltipMeasurer m_tooltipMeasurer;

    // Shared with other threads: the posted queue, the quit request, the timers and the set of
    // live handles those threads may name.
    mutable std::mutex m_lock;
    std::deque<MSG> m_posted;
    // Messages other threads send, waiting for the UI thread; each sender waits for its answer.
    struct CrossThreadSend
    {
        MSG msg;
        LRESULT result = 0;
        bool done = false;
    };
    std::deque<std::shared_ptr<CrossThreadSend>> m_sent;
    std::condition_variable m_sendDone;
    bool m_closing = false;
    bool m_quitPosted = false;
    int m_quitCode = 0;
    std::vector<Timer> m_timers;
    std::unordered_map<std::uintptr_t, bool> m_live;
    UINT_PTR m_nextThreadTimer = 0x7FFF;
};

// The default window procedure as a plain procedure, for places that keep a WNDPROC to fall back on.
LRESULT DefaultWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The process's window system (WindowSystem::Get()).
inline WindowSystem& Windows()
{
    return WindowSystem::Get();
}

} // namespace platform
