// The records a window manager hands to controls and listeners: input events for one control,
// notifications from controls to the application, and the filter interfaces that see messages first.
#pragma once

#include "platform/Win32Defs.h"
#include "ui/core/UIRect.h"
#include "ui/core/UIString.h"

#include <cstdint>

namespace ui {

class CControlUI;

// Event kinds. Controls test the key kinds as the range 3..6 and the mouse kinds as 9..19, so the
// values are fixed; 1, 2, 7, 8 and 20 only bound those ranges and are never sent.
enum : int
{
    EVT_FIRST = 1,
    EVT_KEY_BEGIN = 2,
    EVT_KEY_DOWN = 3,
    EVT_KEY_UP = 4,
    EVT_CHAR = 5,
    EVT_SYS_KEY = 6,
    EVT_KEY_END = 7,
    EVT_MOUSE_BEGIN = 8,
    EVT_MOUSE_MOVE = 9,
    EVT_MOUSE_LEAVE = 10,
    EVT_MOUSE_ENTER = 11,
    EVT_MOUSE_HOVER = 12,
    EVT_BUTTON_DOWN = 13,
    EVT_BUTTON_UP = 14,
    EVT_RBUTTON_DOWN = 15,
    EVT_RBUTTON_UP = 16,
    EVT_DOUBLE_CLICK = 17,
    EVT_CONTEXT_MENU = 18,
    EVT_SCROLL_WHEEL = 19,
    EVT_MOUSE_END = 20,
    EVT_KILL_FOCUS = 21,
    EVT_SET_FOCUS = 22,
    EVT_WINDOW_SIZE = 23,
    EVT_SET_CURSOR = 24,
    EVT_TIMER = 25,
    EVT_LAST = 26,
};

// Bits of TUIEvent::keyState: the mouse buttons and modifiers held when the event was made.
enum : std::uint16_t
{
    KEYSTATE_LBUTTON = 0x01,
    KEYSTATE_RBUTTON = 0x02,
    KEYSTATE_SHIFT = 0x04,
    KEYSTATE_CONTROL = 0x08,
    KEYSTATE_ALT = 0x20,
};

// One input event for one control, built on the stack for a single delivery.
struct TUIEvent
{
    int kind = 0;
    // The control the event concerns; for EVT_KILL_FOCUS the control that gains the focus.
    CControlUI* sender = nullptr;
    std::uint32_t timestamp = 0;
    // Client coordinates: the message's position for mouse messages, else the last mouse position.
    CUIPoint point;
    // The key or character code of key messages, else 0.
    char16_t keyChar = 0;
    std::uint16_t keyState = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// A notification from a control to the window's listeners ("click", "setfocus", "windowinit", ...).
// Queued notifications are heap copies owned by the manager's queue.
struct TNotifyMsg
{
    CUIString type;
    CUIString virtualWindow;
    CControlUI* sender = nullptr;
    std::uint32_t timestamp = 0;
    // The last mouse position in client coordinates.
    CUIPoint point;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// Receives every notification of a window, synchronous or queued.
class INotifyUI
{
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyMsg& msg) = 0;
};

// Sees window messages before the manager does; setting handled ends their processing with the
// returned result.
class IMessageFilterUI
{
public:
    virtual ~IMessageFilterUI() = default;
    virtual LRESULT MessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) = 0;
};

// Offered every queued message of the loop before it is dispatched; true consumes it.
class ITranslateAccelerator
{
public:
    virtual ~ITranslateAccelerator() = default;
    virtual bool TranslateAccelerator(MSG* msg) = 0;
};

} // namespace ui
