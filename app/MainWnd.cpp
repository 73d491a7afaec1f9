// CMainWnd: message handling, hit testing for the skin's caption band, the confirmation, the
// progress animation and the closing self-deletion.
#include "app/MainWnd.h"

#include "platform/DetachedTasks.h"
#include "platform/Environment.h"
#include "platform/WindowSystem.h"
#include "ui/controls/Control.h"
#include "ui/skin/SkinBuilder.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr char16_t kConfirmText[] = u"Are you sure you want to completely remove Tarvion?";

int SignExtend16(LPARAM value)
{
    return int(static_cast<std::int16_t>(value & 0xFFFF));
}

} // namespace

CMainWnd::CMainWnd()
{
    SetMainWindowInstance(this);
}

CMainWnd::~CMainWnd()
{
    m_worker.StopAll();
    SetMainWindowInstance(nullptr);
}

const char16_t* CMainWnd::WindowClassName() const
{
    return kMainWindowClass;
}

UINT CMainWnd::ClassStyle() const
{
    return CS_DBLCLKS;
}

LRESULT CMainWnd::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    bool handled = true;
    LRESULT result = 0;
    switch (message) {
    case WM_CREATE:
        result = OnCreateWindow();
        break;
    case WM_SIZE:
        result = OnSizeChanged(wParam, lParam, handled);
        break;
    case WM_NCCALCSIZE:
        result = 0; // the whole window is client area
        break;
    case WM_NCHITTEST:
        result = OnHitTest(lParam);
        break;
    case WM_SYSCOMMAND:
        result = OnSystemCommand(wParam, lParam, handled);
        break;
    case WM_TIMER:
        OnProgressTimer(wParam, handled);
        break;
    case kMsgUninstallFinished:
        FinishAndSelfDelete();
        break;
    default:
        handled = false;
        break;
    }
    if (handled)
        return result;
    if (m_manager.HandleWindowMessage(message, wParam, lParam, result))
        return result;
    return CallPreviousProc(message, wParam, lParam);
}

LRESULT CMainWnd::OnCreateWindow()
{
    auto& windows = platform::Windows();
    LONG_PTR style = windows.GetWindowLongPtr(m_hWnd, GWL_STYLE);
    style &= ~LONG_PTR(WS_CAPTION | WS_THICKFRAME);
    style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    windows.SetWindowLongPtr(m_hWnd, GWL_STYLE, style);

    m_manager.AttachWindow(m_hWnd);
    ui::CSkinBuilder builder;
    ui::CControlUI* root = builder.Create(u"main.xml", nullptr, nullptr, &m_manager);
    m_manager.AttachRoot(root);
    m_manager.AddNotifyListener(this);
    return 0;
}

LRESULT CMainWnd::OnHitTest(LPARAM lParam)
{
    auto& windows = platform::Windows();
    POINT point{SignExtend16(lParam), SignExtend16(lParam >> 16)};
    windows.ScreenToClient(m_hWnd, point);
    RECT client;
    windows.GetClientRect(m_hWnd, client);
    const ui::CUIRect caption = m_manager.CaptionRect();
    if (point.x < client.left + caption.left || point.x >= client.right - caption.right || point.y < caption.top ||
        point.y >= caption.bottom)
        return HTCLIENT;
    ui::CControlUI* control = m_manager.ControlAt(ui::CUIPoint(point.x, point.y));
    if (control == nullptr)
        return HTCLIENT;
    const std::u16string_view className = control->GetClassName();
    if (className == u"Button" || className == u"Option" || className == u"Combo")
        return HTCLIENT;
    return HTCAPTION;
}

LRESULT CMainWnd::OnSizeChanged(WPARAM, LPARAM, bool& handled)
{
    auto& windows = platform::Windows();
    const ui::CUISize corner = m_manager.RoundCorner();
    if (!windows.IsIconic(m_hWnd) && (corner.cx != 0 || corner.cy != 0)) {
        RECT rect;
        windows.GetWindowRect(m_hWnd, rect);
        const RECT bounds{0, 0, rect.right - rect.left + 1, rect.bottom - rect.top + 1};
        windows.SetWindowRegion(m_hWnd, platform::WindowRegion::RoundRect(bounds, corner.cx, corner.cy), true);
    }
    handled = false;
    return 0;
}

LRESULT CMainWnd::OnSystemCommand(WPARAM wParam, LPARAM lParam, bool& handled)
{
    switch (wParam & 0xFFF0) {
    case SC_CLOSE:
        // Closing only hides: the removal goes on and the program still ends by itself.
        ShowNativeWindow(false);
        handled = true;
        return 0;
    case SC_KEYMENU:
        return 0;
    default:
        return CallPreviousProc(WM_SYSCOMMAND, wParam, lParam);
    }
}

void CMainWnd::Notify(ui::TNotifyMsg& msg)
{
    if (msg.type == u"windowinit") {
        OnWindowInit();
    } else if (msg.type == u"click" && msg.sender != nullptr) {
        if (std::u16string_view(msg.sender->GetName().CStr()) == u"close_btn")
            FinishAndSelfDelete();
    }
}

void CMainWnd::OnWindowInit()
{
    auto& windows = platform::Windows();
    SetWindowIcon(kIconResourceId);
    const int answer = windows.MessageBox(m_hWnd, kConfirmText, kMainWindowTitle, MB_OKCANCEL);
    if (answer != IDOK) {
        // Nothing has been removed yet; the program ends at once and leaves its copy where it is.
        std::fflush(nullptr);
        std::_Exit(0);
    }
    windows.SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    windows.SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

    m_progressBar = m_manager.ControlByName(u"pro_unins_lab");
    m_percentLabel = m_manager.ControlByName(u"unins_percent_lab");
    m_flags.filesStepResult.store(0);
    m_flags.shortcutStepResult.store(0);
    windows.SetTimer(m_hWnd, kProgressTimerId, kProgressTimerPeriodMs);
    m_workerStarted = m_worker.Start(UninstallWorker, nullptr) != 0;
}

void CMainWnd::RearmProgressTimer()
{
    // The window system's timers may be set and killed from any thread; the WM_TIMER messages
    // still arrive on the UI thread.
    auto& windows = platform::Windows();
    windows.KillTimer(m_hWnd, kProgressTimerId);
    windows.SetTimer(m_hWnd, kProgressTimerId, kProgressTimerPeriodMs);
}

int CMainWnd::ProgressWidth() const
{
    return m_progressBar != nullptr ? m_progressBar->GetFixedWidth() : m_progressWithoutControl;
}

void CMainWnd::SetProgressWidth(int width)
{
    if (m_progressBar != nullptr)
        m_progressBar->SetFixedWidth(width);
    else
        m_progressWithoutControl = width;
}

void CMainWnd::OnProgressTimer(WPARAM timerId, bool& handled)
{
    if (timerId != kProgressTimerId) {
        handled = false; // the controls' own timers
        return;
    }
    auto& windows = platform::Windows();
    const int width = ProgressWidth();
    if (m_percentLabel != nullptr) {
        char text[16];
        std::snprintf(text, sizeof text, "%d%%", width * 100 / kProgressMax);
        const std::u16string wide(text, text + std::char_traits<char>::length(text));
        m_percentLabel->SetText(wide.c_str());
    }
    if (width >= kFilesStepPause && m_flags.filesStepResult.load() == 0) {
        windows.KillTimer(m_hWnd, kProgressTimerId); // the worker re-arms it after step 1
    } else if (width >= kShortcutStepPause && m_flags.shortcutStepResult.load() == 0) {
        windows.KillTimer(m_hWnd, kProgressTimerId); // the worker re-arms it after step 2
    } else if (width < kProgressMax) {
        SetProgressWidth(width + kProgressStep);
    } else if (m_flags.workerFinished.load() == 1) {
        PostToWindow(kMsgUninstallFinished, 0, 0);
        windows.KillTimer(m_hWnd, kProgressTimerId);
    } else {
        SetProgressWidth(kProgressMax);
    }
    handled = true;
}

void CMainWnd::FinishAndSelfDelete()
{
    // A detached child removes the executable once this process has had time to end. It gets the
    // path itself, never a command line, so no character in the path can change what it does.
    platform::StartDelayedDelete(platform::GetModuleFileName(), kSelfDeleteDelayMs);
    // The tick that wrote "100%" posted this message before any paint could show it; paint now so
    // the person sees the finished display before the window goes.
    platform::Windows().UpdateWindow(m_hWnd);
    ShowNativeWindow(false);
    CloseWithResult(0);
}
