// What a window backend provides: native windows that mirror the window system's records, their
// presentation, desktop services (monitors, cursors, message boxes), and raw input that the window
// system turns into Win32 messages.
#pragma once

#include "platform/Win32Defs.h"
#include "platform/WindowRecord.h"

#include <functional>
#include <string>
#include <vector>

namespace platform {

class WindowSystem;

enum class InputKind
{
    MouseMove,
    MouseDown,
    MouseUp,
    Wheel,
    MouseLeave, // the pointer left the native window
    KeyDown,
    KeyUp,
    Text,
    CloseRequest, // the desktop asks the window to close (Alt+F4, a taskbar's close)
    Moved,        // the desktop moved the window; rect holds the new rectangle
    Resized,      // the desktop resized the window; rect holds the new rectangle
    Minimized,
    Restored,
    Activated,
    Deactivated,
    Exposed,          // the window's picture was lost and needs painting again
    CaptionDragStart, // a press on a caption or border (hit) that the desktop did not take over
    ScaleChanged,     // the window's scale changed (another monitor, another desktop setting); scale
                      // holds the new one, rect the window's rectangle in logical pixels at it
};

enum MouseButton
{
    kLeftButton = 0,
    kRightButton = 1,
    kMiddleButton = 2,
};

struct InputEvent
{
    InputKind kind = InputKind::MouseMove;
    HWND window = nullptr; // the native window the event belongs to; null: found from the position
    POINT screen;          // pointer position in logical screen coordinates (mouse events)
    int button = kLeftButton;
    unsigned buttons = 0; // MK_LBUTTON | MK_RBUTTON | MK_MBUTTON held during a move; ~0u when unknown
    int wheelDelta = 0;   // positive away from the user, WHEEL_DELTA per notch
    UINT vk = 0;
    bool repeat = false;
    std::u16string text;
    RECT rect;
    LRESULT hit = HTCAPTION; // CaptionDragStart: HTCAPTION, or the border being dragged
    double scale = 1.0;      // ScaleChanged: device pixels per logical pixel
};

// Bits of UpdateNative: which parts of a record changed.
enum NativeChange : unsigned
{
    kChangeVisibility = 0x001,
    kChangePosition = 0x002,
    kChangeSize = 0x004,
    kChangeTopmost = 0x008,
    kChangeMinimized = 0x010,
    kChangeTitle = 0x020,
    kChangeRegion = 0x040,
    kChangeIcon = 0x080,
    kChangeStyle = 0x100,
    kChangeOwner = 0x200,
    kChangeOpacity = 0x400,
};

class IWindowBackend
{
public:
    virtual ~IWindowBackend() = default;

    virtual const char* Name() const = 0;
    // Called once when the backend is installed; the system outlives every call into the backend.
    virtual void Attach(WindowSystem* system) { m_system = system; }

    // Native windows exist for top-level windows only; child windows live inside their parent's picture.
    virtual bool CreateNative(WindowRecord& window) = 0;
    virtual void DestroyNative(WindowRecord& window) = 0;
    virtual void UpdateNative(WindowRecord& window, unsigned changes) = 0;
    // Raises the window and gives it the keyboard.
    virtual void ActivateNative(WindowRecord& window) = 0;
    // The scale factor a new top-level window gets (device pixels per logical pixel); asked before
    // CreateNative, which then makes the native window round(logical size × scale) large.
    virtual double WindowScale(const WindowRecord& window)
    {
        (void)window;
        return 1.0;
    }
    // Shows the window's picture (window.pixels) for the dirty rectangle in logical client
    // coordinates; window.DeviceRect gives the device pixels it covers.
    virtual void Present(WindowRecord& window, const RECT& dirty) = 0;
    // Shows the rectangles of one paint, in logical client coordinates, one Present each. A backend
    // that keeps whole frames (a recorder) keeps one frame for them, after the last.
    virtual void PresentPieces(WindowRecord& window, const std::vector<RECT>& pieces)
    {
        for (const RECT& piece : pieces)
            Present(window, piece);
    }

    virtual void SetCursorShape(int cursorId) = 0;
    virtual void SetMouseCapture(WindowRecord* window) = 0;
    // The pointer position in screen coordinates; false when the backend cannot tell.
    virtual bool QueryCursorPos(POINT& pos) = 0;
    virtual int MonitorCount() = 0;
    virtual RECT MonitorRect(int index) = 0;
    virtual RECT WorkArea(int index) = 0;
    // A system metric (SM_*), or -1 to take the window system's default.
    virtual int SystemMetric(int index)
    {
        (void)index;
        return -1;
    }

    // A modal message box; returns an ID* answer. A box that waits for its answer in a loop of
    // its own calls whileOpen again and again meanwhile: there the window system runs the thread's
    // timers, as a modal loop does (the answer to a second copy's raise request rides on one).
    virtual int ShowMessageBox(WindowRecord* owner, const std::u16string& text, const std::u16string& caption,
                               UINT type, const std::function<void()>& whileOpen) = 0;

    // Moves pending raw input into out without blocking.
    virtual void PollEvents(std::vector<InputEvent>& out) = 0;
    // Blocks until input may be pending, Wake is called, or timeoutMs passes (-1: no limit).
    virtual void WaitEvents(int timeoutMs) = 0;
    // Ends a WaitEvents early; callable from any thread.
    virtual void Wake() = 0;

protected:
    WindowSystem* m_system = nullptr;
};

} // namespace platform
