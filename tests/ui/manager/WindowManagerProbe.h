// Read access for tests to manager state that no caller of the manager needs: how many
// notifications wait in the queue, how many controls are on the post-paint list.
#pragma once

#include "ui/manager/WindowManager.h"

namespace ui {

class CWindowManagerProbe
{
public:
    explicit CWindowManagerProbe(const CWindowManagerUI& manager) : m_manager(manager) {}

    int PendingNotifyCount() const { return int(m_manager.m_async.notifications.size()); }
    int PostPaintCount() const { return int(m_manager.m_postPaint.size()); }

private:
    const CWindowManagerUI& m_manager;
};

} // namespace ui
