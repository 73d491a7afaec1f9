// The window manager's notifications: delivered at once to the sender's delegates and the listeners,
// or queued (coalesced on request) and delivered by the posted message, which then also deletes the
// controls queued for deletion.
#include "ui/manager/WindowManager.h"

#include "ui/controls/Control.h"
#include "ui/manager/WindowManagerShared.h"

namespace ui {

using detail::Win;

namespace {

// The message that delivers queued notifications and runs the delayed clean-up.
constexpr UINT kAsyncMessage = WM_APP + 1;

void Deliver(TNotifyMsg& msg, const std::vector<INotifyUI*>& listeners)
{
    if (msg.sender != nullptr && msg.sender->OnNotifyDelegates().HasAny())
        msg.sender->OnNotifyDelegates().InvokeAll(&msg);
    for (INotifyUI* listener : listeners)
        listener->Notify(msg);
}

} // namespace

void CWindowManagerUI::ControlDeleter::operator()(CControlUI* control) const
{
    control->DeleteSelf();
}

bool CWindowManagerUI::AddNotifyListener(INotifyUI* listener)
{
    return detail::AppendIfSet(m_notifyListeners, listener);
}

bool CWindowManagerUI::RemoveNotifyListener(INotifyUI* listener)
{
    return detail::EraseFirst(m_notifyListeners, listener);
}

void CWindowManagerUI::SendNotify(CControlUI* control, const char16_t* type, WPARAM wParam, LPARAM lParam, bool async,
                                  bool allowRepeat)
{
    TNotifyMsg msg;
    msg.sender = control;
    msg.type = type;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotify(msg, async, allowRepeat);
}

void CWindowManagerUI::SendNotify(TNotifyMsg& msg, bool async, bool allowRepeat)
{
    msg.point = m_lastMousePos;
    msg.timestamp = Win().GetTickCount();
    if (m_virtualWindowOption)
        msg.virtualWindow = msg.sender != nullptr ? msg.sender->GetVirtualWindow() : CUIString();
    if (!async) {
        // A listener may remove itself while it is being told.
        const std::vector<INotifyUI*> listeners = m_notifyListeners;
        Deliver(msg, listeners);
        return;
    }
    if (!allowRepeat) {
        for (TNotifyMsg& queued : m_async.notifications) {
            if (queued.sender == msg.sender && queued.type == msg.type) {
                if (m_virtualWindowOption)
                    queued.virtualWindow = msg.virtualWindow;
                queued.wParam = msg.wParam;
                queued.lParam = msg.lParam;
                queued.point = msg.point;
                queued.timestamp = msg.timestamp;
                return;
            }
        }
    }
    m_async.notifications.push_back(msg);
    PostAsyncMessage();
}

void CWindowManagerUI::PostAsyncMessage()
{
    if (!m_async.posted && m_window != nullptr)
        m_async.posted = Win().PostMessage(m_window, kAsyncMessage, 0, 0);
}

void CWindowManagerUI::DeliverQueuedNotifications()
{
    m_async.posted = false;
    while (!m_async.notifications.empty()) {
        // Taken off the queue first: a listener may queue more, or make the manager forget a sender.
        TNotifyMsg msg = std::move(m_async.notifications.front());
        m_async.notifications.pop_front();
        const std::vector<INotifyUI*> listeners = m_notifyListeners;
        Deliver(msg, listeners);
    }
    DeleteQueuedControls();
}

void CWindowManagerUI::DropPendingNotifications()
{
    m_async.notifications.clear();
}

void CWindowManagerUI::QueueForDeletion(CControlUI* control)
{
    if (control == nullptr)
        return;
    control->SetManager(this, nullptr, false);
    m_async.deletions.emplace_back(control);
    PostAsyncMessage();
}

void CWindowManagerUI::DeleteQueuedControls()
{
    // Taken one at a time from the live list: a dying control makes the manager forget it, which
    // also lets go of any queued descendant that dies with it, so nothing is deleted twice.
    while (!m_async.deletions.empty()) {
        auto control = std::move(m_async.deletions.front());
        m_async.deletions.erase(m_async.deletions.begin());
        control.reset();
    }
}

} // namespace ui
