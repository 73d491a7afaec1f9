// The mouse cursor as controls set it: the one place above the platform layer that changes it for
// them, so that the controls need not reach for the window system themselves.
#include "ui/manager/WindowManager.h"

#include "platform/WindowSystem.h"

namespace ui {

void CWindowManagerUI::SetCursor(int cursorId)
{
    platform::WindowSystem& windows = platform::Windows();
    windows.SetCursor(windows.LoadCursor(nullptr, cursorId));
}

} // namespace ui
