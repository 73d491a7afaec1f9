// The drawn message box (platform/DrawnMessageBox.h) in a native window of its own: owned by and
// centred on its owner, kept on the owner's monitor, modal (the owner is disabled while it is open),
// the keyboard on open. Under Wine a MessageBoxW over a window of the same process can stay black;
// this box paints itself like every other window of the backend.
#pragma once

#include "platform/DrawnMessageBox.h"
#include "platform/Win32Defs.h"

#include <functional>
#include <optional>

namespace platform {

// The native class of the drawn box's window (tests find the box by it and by its title).
inline constexpr const char16_t* kWin32MessageBoxClass = u"TarvionVpnMessageBox";

namespace win32_impl {

// Shows the box over owner and runs its own message loop, which dispatches every message of the
// thread (the owner keeps painting), until it is answered; whileOpen runs every few milliseconds
// meanwhile. Returns the chosen button's id, or nothing when the window cannot be made (the caller
// falls back to the system's box).
std::optional<int> ShowWin32DrawnMessageBox(HWND owner, const DrawnMessageBox& box,
                                            const std::function<void()>& whileOpen);

} // namespace win32_impl
} // namespace platform
