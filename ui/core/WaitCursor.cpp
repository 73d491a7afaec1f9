// The wait cursor guard.
#include "ui/core/WaitCursor.h"

#include "platform/WindowSystem.h"

namespace ui {

CWaitCursor::CWaitCursor()
{
    auto& windows = platform::Windows();
    m_previous = windows.SetCursor(windows.LoadCursor(nullptr, IDC_WAIT));
}

CWaitCursor::~CWaitCursor()
{
    platform::Windows().SetCursor(m_previous);
}

} // namespace ui
