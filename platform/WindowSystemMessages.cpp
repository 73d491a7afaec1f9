// The message queue of the window system: posting from any thread, sending, the loop's fetch order
// (posted messages, quit, paint, timers), timers on a replaceable clock, and default processing.
#include "platform/WindowSystem.h"

#include <algorithm>
#include <limits>

namespace platform {

namespace {

constexpr UINT kMinimumTimerPeriod = 10; // USER_TIMER_MINIMUM
constexpr UINT kMaximumTimerPeriod = 0x7FFFFFFF;
constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();

// A wait's timeout from now until `next`: -1 for never, 0 when it has passed.
int MillisecondsUntil(std::uint64_t next, std::uint64_t now)
{
    if (next == kNever)
        return -1;
    return next <= now ? 0 : int(std::min<std::uint64_t>(next - now, 1000000));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Sending and posting
// ---------------------------------------------------------------------------------------------

LRESULT WindowSystem::CallProc(WindowRecord& window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!window.proc)
        return DefWindowProc(window.handle, message, wParam, lParam);
    return window.proc(window.handle, message, wParam, lParam);
}

LRESULT WindowSystem::SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!IsUiThread())
        return SendFromOtherThread(hwnd, message, wParam, lParam);
    WindowRecord* window = Record(hwnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return CallProc(*window, message, wParam, lParam);
}

LRESULT WindowSystem::SendFromOtherThread(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto send = std::make_shared<CrossThreadSend>();
    send->msg.hwnd = hwnd;
    send->msg.message = message;
    send->msg.wParam = wParam;
    send->msg.lParam = lParam;
    {
        std::unique_lock lock(m_lock);
        if (m_closing || !m_live.count(reinterpret_cast<std::uintptr_t>(hwnd))) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        m_sent.push_back(send);
    }
    Wake();
    // Like Win32, the sender waits until the UI thread's loop gets round to it.
    std::unique_lock lock(m_lock);
    m_sendDone.wait(lock, [&] { return send->done; });
    return send->result;
}

void WindowSystem::DeliverSentMessages()
{
    for (;;) {
        std::shared_ptr<CrossThreadSend> send;
        {
            std::lock_guard lock(m_lock);
            if (m_sent.empty())
                return;
            send = m_sent.front();
            m_sent.pop_front();
        }
        LRESULT result = 0;
        if (WindowRecord* window = Record(send->msg.hwnd))
            result = CallProc(*window, send->msg.message, send->msg.wParam, send->msg.lParam);
        {
            std::lock_guard lock(m_lock);
            send->result = result;
            send->done = true;
        }
        m_sendDone.notify_all();
    }
}

LRESULT WindowSystem::CallWindowProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!proc)
        return 0;
    return proc(hwnd, message, wParam, lParam);
}

bool WindowSystem::PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    {
        std::lock_guard lock(m_lock);
        if (hwnd && !m_live.count(reinterpret_cast<std::uintptr_t>(hwnd))) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return false;
        }
        MSG msg;
        msg.hwnd = hwnd;
        msg.message = message;
        msg.wParam = wParam;
        msg.lParam = lParam;
        msg.time = DWORD(m_clock->NowMs());
        m_posted.push_back(msg);
    }
    Wake();
    return true;
}

bool WindowSystem::PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return PostMessage(nullptr, message, wParam, lParam);
}

void WindowSystem::PostQuitMessage(int exitCode)
{
    {
        std::lock_guard lock(m_lock);
        m_quitPosted = true;
        m_quitCode = exitCode;
    }
    Wake();
}

void WindowSystem::Wake()
{
    m_backend->Wake();
}

// ---------------------------------------------------------------------------------------------
// Fetching
// ---------------------------------------------------------------------------------------------

bool WindowSystem::MatchesFilter(const MSG& msg, HWND filter, UINT first, UINT last) const
{
    if (filter && msg.hwnd != filter && !IsChild(filter, msg.hwnd))
        return false;
    if (first == 0 && last == 0)
        return true;
    return msg.message >= first && msg.message <= last;
}

void WindowSystem::PumpBackend()
{
    std::vector<InputEvent> events;
    m_backend->PollEvents(events);
    m_input.insert(m_input.end(), events.begin(), events.end());
}

bool WindowSystem::TranslateNextInput()
{
    if (m_input.empty())
        return false;
    {
        // Raw input becomes messages one event at a time, and only once everything posted before
        // has been fetched: the target of the next event is chosen after the handlers of the last
        // one have run, so a capture taken on a press receives the release that follows it.
        std::lock_guard lock(m_lock);
        if (!m_posted.empty())
            return false;
    }
    const InputEvent event = m_input.front();
    m_input.pop_front();
    HandleInput(event);
    return true;
}

bool WindowSystem::TakePosted(MSG& msg, HWND filter, UINT first, UINT last, bool remove)
{
    std::lock_guard lock(m_lock);
    for (auto it = m_posted.begin(); it != m_posted.end(); ++it) {
        if (MatchesFilter(*it, filter, first, last)) {
            msg = *it;
            if (remove)
                m_posted.erase(it);
            return true;
        }
    }
    return false;
}

bool WindowSystem::FetchMessage(MSG& msg, HWND filter, UINT first, UINT last, bool remove)
{
    DeliverSentMessages();
    PumpBackend();
    for (;;) {
        if (TakePosted(msg, filter, first, last, remove))
            return true;
        if (TranslateNextInput())
            continue;
        if (m_input.empty() && ServiceHover())
            continue;
        break;
    }
    const std::uint64_t now = m_clock->NowMs();
    {
        std::lock_guard lock(m_lock);
        if (m_quitPosted) {
            msg = MSG{};
            msg.message = WM_QUIT;
            msg.wParam = WPARAM(m_quitCode);
            msg.time = DWORD(now);
            if (remove)
                m_quitPosted = false;
            return true;
        }
    }
    // Paint requests come after everything posted, and only for windows that can be seen.
    for (auto& [key, window] : m_windows) {
        if (!window->needsPaint || window->destroying || !IsWindowVisible(window->handle))
            continue;
        const WindowRecord* top = TopLevelOf(window->handle);
        if (top && top->IsMinimized())
            continue;
        MSG paint;
        paint.hwnd = window->handle;
        paint.message = WM_PAINT;
        paint.time = DWORD(now);
        paint.pt = m_cursorPos;
        if (!MatchesFilter(paint, filter, first, last))
            continue;
        msg = paint;
        return true;
    }
    // Timers last: the one due first fires; after firing it counts a full period from now.
    std::lock_guard lock(m_lock);
    Timer* due = nullptr;
    for (Timer& timer : m_timers) {
        if (timer.due > now)
            continue;
        MSG tick;
        tick.hwnd = timer.hwnd;
        tick.message = WM_TIMER;
        if (!MatchesFilter(tick, filter, first, last))
            continue;
        if (!due || timer.due < due->due || (timer.due == due->due && timer.period < due->period))
            due = &timer;
    }
    if (!due)
        return false;
    msg = MSG{};
    msg.hwnd = due->hwnd;
    msg.message = WM_TIMER;
    msg.wParam = due->id;
    msg.lParam = reinterpret_cast<LPARAM>(due->proc);
    msg.time = DWORD(now);
    msg.pt = m_cursorPos;
    if (remove)
        due->due = now + due->period;
    return true;
}

void WindowSystem::FireDueThreadTimers()
{
    // Those due now fire once each; one that a procedure kills first does not fire, and a timer
    // of period 0 waits for the next call rather than firing for ever.
    const std::uint64_t now = m_clock->NowMs();
    std::vector<std::pair<UINT_PTR, TIMERPROC>> due;
    {
        std::lock_guard lock(m_lock);
        for (Timer& timer : m_timers) {
            if (!timer.hwnd && timer.proc && timer.due <= now) {
                timer.due = now + timer.period;
                due.emplace_back(timer.id, timer.proc);
            }
        }
    }
    for (const auto& [id, proc] : due) {
        MSG tick{};
        tick.message = WM_TIMER;
        tick.wParam = id;
        tick.lParam = reinterpret_cast<LPARAM>(proc);
        tick.time = DWORD(now);
        DispatchMessage(tick);
    }
}

std::uint64_t WindowSystem::NextTimerDue(bool threadTimersOnly)
{
    std::uint64_t next = kNever;
    std::lock_guard lock(m_lock);
    for (const Timer& timer : m_timers)
        if (!threadTimersOnly || (!timer.hwnd && timer.proc))
            next = std::min(next, timer.due);
    return next;
}

int WindowSystem::MillisecondsToNextThreadTimer()
{
    const std::uint64_t now = m_clock->NowMs();
    return MillisecondsUntil(NextTimerDue(true), now);
}

int WindowSystem::MillisecondsToNextDeadline()
{
    const std::uint64_t now = m_clock->NowMs();
    std::uint64_t next = NextTimerDue(false);
    if (m_hover.hwnd && m_hover.hover)
        next = std::min(next, m_hover.since + m_hover.hoverTime);
    return MillisecondsUntil(next, now);
}

int WindowSystem::GetMessage(MSG& msg, HWND filter, UINT first, UINT last)
{
    for (;;) {
        if (FetchMessage(msg, filter, first, last, true))
            return msg.message == WM_QUIT ? 0 : 1;
        m_backend->WaitEvents(MillisecondsToNextDeadline());
    }
}

bool WindowSystem::PeekMessage(MSG& msg, HWND filter, UINT first, UINT last, UINT remove)
{
    return FetchMessage(msg, filter, first, last, (remove & PM_REMOVE) != 0);
}

bool WindowSystem::TranslateMessage(const MSG& msg)
{
    WPARAM ch = 0;
    UINT message = 0;
    if (msg.message == WM_KEYDOWN) {
        if (msg.wParam == VK_BACK || msg.wParam == VK_TAB || msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE) {
            ch = msg.wParam;
            message = WM_CHAR;
        }
    } else if (msg.message == WM_SYSKEYDOWN) {
        // Alt with a letter or digit gives the character as typed, for shortcut keys.
        const WPARAM vk = msg.wParam;
        if (vk >= '0' && vk <= '9') {
            ch = vk;
            message = WM_SYSCHAR;
        } else if (vk >= 'A' && vk <= 'Z') {
            ch = GetKeyState(int(VK_SHIFT)) < 0 ? vk : vk + ('a' - 'A');
            message = WM_SYSCHAR;
        }
    }
    if (!message)
        return false;
    MSG translated = msg;
    translated.message = message;
    translated.wParam = ch;
    std::lock_guard lock(m_lock);
    m_posted.push_front(translated);
    return true;
}

LRESULT WindowSystem::DispatchMessage(const MSG& msg)
{
    if (msg.message == WM_TIMER && msg.lParam) {
        bool alive = false;
        {
            std::lock_guard lock(m_lock);
            for (const Timer& t : m_timers)
                alive = alive || (t.hwnd == msg.hwnd && t.id == msg.wParam);
        }
        if (alive)
            reinterpret_cast<TIMERPROC>(msg.lParam)(msg.hwnd, WM_TIMER, msg.wParam, msg.time);
        return 0;
    }
    if (!msg.hwnd)
        return 0;
    WindowRecord* window = Record(msg.hwnd);
    if (!window)
        return 0;
    const LRESULT result = CallProc(*window, msg.message, msg.wParam, msg.lParam);
    // A capture exists for the drag of a held button; once the last button is up and its release
    // has been delivered, a capture its handler forgot would swallow every later click.
    const bool release = msg.message == WM_LBUTTONUP || msg.message == WM_RBUTTONUP || msg.message == WM_MBUTTONUP ||
                         msg.message == WM_NCLBUTTONUP || msg.message == WM_NCRBUTTONUP;
    if (release && m_capture && !m_keyDown[VK_LBUTTON] && !m_keyDown[VK_RBUTTON] && !m_keyDown[VK_MBUTTON])
        ReleaseCapture();
    return result;
}

int WindowSystem::DispatchPending()
{
    int count = 0;
    MSG msg;
    // A window that never validates its paint request would keep this busy forever.
    for (int guard = 0; guard < 100000; ++guard) {
        if (!PeekMessage(msg, nullptr, 0, 0, PM_NOREMOVE) || msg.message == WM_QUIT)
            break;
        PeekMessage(msg, nullptr, 0, 0, PM_REMOVE);
        TranslateMessage(msg);
        DispatchMessage(msg);
        ++count;
    }
    return count;
}

// ---------------------------------------------------------------------------------------------
// Timers
// ---------------------------------------------------------------------------------------------

UINT_PTR WindowSystem::SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc)
{
    const UINT period = std::clamp(elapseMs, kMinimumTimerPeriod, kMaximumTimerPeriod);
    UINT_PTR result = 0;
    {
        std::lock_guard lock(m_lock);
        if (hwnd && !m_live.count(reinterpret_cast<std::uintptr_t>(hwnd))) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (!hwnd) {
            const bool known = id && std::any_of(m_timers.begin(), m_timers.end(),
                                                 [&](const Timer& t) { return !t.hwnd && t.id == id; });
            if (!known)
                id = m_nextThreadTimer++;
        }
        const std::uint64_t due = m_clock->NowMs() + period;
        auto it = std::find_if(m_timers.begin(), m_timers.end(),
                               [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
        if (it != m_timers.end()) {
            it->period = period;
            it->due = due;
            it->proc = proc;
        } else {
            Timer timer;
            timer.hwnd = hwnd;
            timer.id = id;
            timer.period = period;
            timer.due = due;
            timer.proc = proc;
            m_timers.push_back(timer);
        }
        result = hwnd ? (id ? id : 1) : id;
    }
    Wake();
    return result;
}

bool WindowSystem::KillTimer(HWND hwnd, UINT_PTR id)
{
    std::lock_guard lock(m_lock);
    auto it =
        std::find_if(m_timers.begin(), m_timers.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == m_timers.end())
        return false;
    m_timers.erase(it);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Default processing
// ---------------------------------------------------------------------------------------------

LRESULT DefaultWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return WindowSystem::Get().DefWindowProc(hwnd, message, wParam, lParam);
}

LRESULT WindowSystem::DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowRecord* window = Record(hwnd);
    if (!window)
        return 0;
    switch (message) {
    case WM_NCCREATE:
        return 1;
    case WM_NCHITTEST: {
        RECT rect;
        GetWindowRect(hwnd, rect);
        const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        return (x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom) ? HTCLIENT : HTNOWHERE;
    }
    case WM_SETCURSOR: {
        if (window->IsChild() && SendMessage(window->parent, WM_SETCURSOR, wParam, lParam))
            return 1;
        const LRESULT hit = LRESULT(std::int16_t(LOWORD(std::uintptr_t(lParam))));
        int cursor = IDC_ARROW;
        switch (hit) {
        case HTCLIENT:
            if (!window->classCursor)
                return 0;
            SetCursor(window->classCursor);
            return 1;
        case HTLEFT:
        case HTRIGHT:
            cursor = IDC_SIZEWE;
            break;
        case HTTOP:
        case HTBOTTOM:
            cursor = IDC_SIZENS;
            break;
        case HTTOPLEFT:
        case HTBOTTOMRIGHT:
            cursor = IDC_SIZENWSE;
            break;
        case HTTOPRIGHT:
        case HTBOTTOMLEFT:
            cursor = IDC_SIZENESW;
            break;
        default:
            break;
        }
        SetCursor(LoadCursor(nullptr, cursor));
        return 1;
    }
    case WM_MOUSEACTIVATE:
        if (window->IsChild()) {
            if (const LRESULT r = SendMessage(window->parent, WM_MOUSEACTIVATE, wParam, lParam))
                return r;
        }
        return MA_ACTIVATE;
    case WM_PAINT: {
        PaintInfo paint;
        BeginPaint(hwnd, paint);
        EndPaint(hwnd, paint);
        return 0;
    }
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_CLOSE:
            SendMessage(hwnd, WM_CLOSE, 0, 0);
            break;
        case SC_MINIMIZE:
            ShowWindow(hwnd, SW_MINIMIZE);
            break;
        case SC_MAXIMIZE:
            ShowWindow(hwnd, SW_SHOWMAXIMIZED);
            break;
        case SC_RESTORE:
            ShowWindow(hwnd, SW_RESTORE);
            break;
        default:
            break;
        }
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4 && GetKeyState(int(VK_MENU)) < 0) {
            const WindowRecord* top = TopLevelOf(hwnd);
            if (top)
                SendMessage(top->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        return 0;
    case WM_NCLBUTTONDOWN:
        if ((LRESULT(wParam) == HTCAPTION || (LRESULT(wParam) >= HTLEFT && LRESULT(wParam) <= HTBOTTOMRIGHT))) {
            if (const WindowRecord* top = TopLevelOf(hwnd))
                StartMoveSize(top->handle, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, LRESULT(wParam));
        }
        return 0;
    case WM_NCLBUTTONDBLCLK:
        // A double click on the caption of a window with a maximise box toggles the maximised state.
        if (LRESULT(wParam) == HTCAPTION && (window->style & WS_MAXIMIZEBOX) && !window->IsChild())
            SendMessage(hwnd, WM_SYSCOMMAND, (window->style & WS_MAXIMIZE) ? SC_RESTORE : SC_MAXIMIZE, lParam);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !window->IsMinimized())
            SetFocus(hwnd);
        return 0;
    case WM_SETICON: {
        HICON icon = reinterpret_cast<HICON>(lParam);
        HICON& slot = wParam == ICON_BIG ? window->bigIcon : window->smallIcon;
        HICON previous = slot;
        slot = icon;
        if (!window->IsChild())
            m_backend->UpdateNative(*window, kChangeIcon);
        return reinterpret_cast<LRESULT>(previous);
    }
    case WM_GETICON:
        return reinterpret_cast<LRESULT>(wParam == ICON_BIG ? window->bigIcon : window->smallIcon);
    case WM_SETTEXT:
        window->title = lParam ? std::u16string(reinterpret_cast<const char16_t*>(lParam)) : std::u16string();
        if (!window->IsChild())
            m_backend->UpdateNative(*window, kChangeTitle);
        return 1;
    case WM_GETTEXTLENGTH:
        return LRESULT(window->title.size());
    case WM_GETTEXT: {
        if (!lParam || wParam == 0)
            return 0;
        auto* out = reinterpret_cast<char16_t*>(lParam);
        const std::size_t n = std::min<std::size_t>(window->title.size(), wParam - 1);
        std::copy_n(window->title.data(), n, out);
        out[n] = u'\0';
        return LRESULT(n);
    }
    case WM_MOUSEWHEEL:
    case WM_CONTEXTMENU:
        if (window->IsChild())
            return SendMessage(window->parent, message, wParam, lParam);
        return 0;
    default:
        return 0;
    }
}

} // namespace platform
