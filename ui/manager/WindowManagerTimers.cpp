// The window manager's control timers: a control's timer key bound to a native timer of the window.
// Native ids cycle below 255; a killed timer keeps its entry and id until it is started again.
#include "ui/manager/WindowManager.h"

#include "ui/manager/WindowManagerShared.h"

#include <algorithm>

namespace ui {

using detail::Win;

namespace {

// The native timer is still there to kill only while its window lives.
void KillNative(HWND window, UINT_PTR id, bool killed)
{
    if (!killed && window != nullptr && Win().IsWindow(window))
        Win().KillTimer(window, id);
}

} // namespace

CWindowManagerUI::TimerEntry* CWindowManagerUI::FindTimer(CControlUI* control, std::uint32_t key)
{
    for (TimerEntry& timer : m_timers.entries) {
        if (timer.control == control && timer.window == m_window && timer.key == key)
            return &timer;
    }
    return nullptr;
}

UINT_PTR CWindowManagerUI::NextFreeTimerId()
{
    // An id still held by an entry of this window is skipped, and so is 0: two entries sharing an
    // id would steal each other's ticks.
    for (int attempt = 0; attempt < 255; ++attempt) {
        m_timers.lastId = (m_timers.lastId + 1) % 255;
        const UINT_PTR id = m_timers.lastId;
        const bool taken =
            id == 0 || std::any_of(m_timers.entries.begin(), m_timers.entries.end(),
                                   [&](const TimerEntry& timer) { return timer.window == m_window && timer.id == id; });
        if (!taken)
            return id;
    }
    return 0;
}

bool CWindowManagerUI::SetControlTimer(CControlUI* control, std::uint32_t key, UINT elapseMs)
{
    if (control == nullptr || m_window == nullptr)
        return false;
    if (TimerEntry* timer = FindTimer(control, key)) {
        if (!timer->killed || Win().SetTimer(m_window, timer->id, elapseMs) == 0)
            return false;
        timer->killed = false;
        return true;
    }
    const UINT_PTR id = NextFreeTimerId();
    if (id == 0 || Win().SetTimer(m_window, id, elapseMs) == 0)
        return false;
    m_timers.entries.push_back({control, key, m_window, id, false});
    return true;
}

bool CWindowManagerUI::KillControlTimer(CControlUI* control, std::uint32_t key)
{
    TimerEntry* timer = FindTimer(control, key);
    if (timer == nullptr || timer->killed)
        return false;
    if (Win().IsWindow(m_window))
        Win().KillTimer(timer->window, timer->id);
    timer->killed = true;
    return true;
}

void CWindowManagerUI::KillControlTimers(CControlUI* control)
{
    std::erase_if(m_timers.entries, [&](const TimerEntry& timer) {
        if (timer.window != m_window || (control != nullptr && timer.control != control))
            return false;
        KillNative(timer.window, timer.id, timer.killed);
        return true;
    });
}

void CWindowManagerUI::KillAllTimers()
{
    // Entries of another window are left by KillControlTimers; when the manager moved to a new
    // window they can never fire again, so they go too.
    for (const TimerEntry& timer : m_timers.entries)
        KillNative(timer.window, timer.id, timer.killed);
    m_timers.entries.clear();
}

UINT_PTR CWindowManagerUI::ControlTimerId(CControlUI* control, std::uint32_t key) const
{
    for (const TimerEntry& timer : m_timers.entries) {
        if (timer.control == control && timer.key == key)
            return timer.id;
    }
    return 0;
}

} // namespace ui
