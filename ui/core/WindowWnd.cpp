// The window base: class registration, creation, the two window-procedure forms, subclassing, the
// modal loop, centring, icons and client resizing.
#include "ui/core/WindowWnd.h"

#include "platform/WindowSystem.h"

namespace ui {

namespace {

constexpr const char16_t* kObjectProperty = u"WndX";

// Installed by the layers above; all of it runs on the UI thread.
CWindowWnd::MessagePreTranslator g_preTranslator = nullptr;
CWindowWnd::ControlChainCheck g_controlChainCheck = nullptr;
HINSTANCE g_resourceModule = nullptr;

::HINSTANCE ResourceModule()
{
    return static_cast<::HINSTANCE>(g_resourceModule);
}

// System metrics of icon sizes rounded up to whole multiples of 16, the sizes icon resources come in.
int IconSize(int metric)
{
    return (platform::Windows().GetSystemMetrics(metric) + 15) & ~15;
}

} // namespace

void CWindowWnd::SetMessagePreTranslator(MessagePreTranslator translator)
{
    g_preTranslator = translator;
}

void CWindowWnd::SetControlChainCheck(ControlChainCheck check)
{
    g_controlChainCheck = check;
}

void CWindowWnd::SetResourceModule(HINSTANCE module)
{
    g_resourceModule = module;
}

CWindowWnd::CWindowWnd() : m_previousProc(platform::DefaultWindowProc), m_alive(std::make_shared<bool>(true)) {}

CWindowWnd::~CWindowWnd()
{
    *m_alive = false;
    // The window may outlive its object; it must then stop reaching the object, or its next message
    // would call into freed memory. Unhandled messages go to default processing from here on.
    platform::WindowSystem* windows = platform::WindowSystem::Current();
    if (!windows || !m_hWnd || !windows->IsWindow(m_hWnd))
        return;
    if (windows->GetWindowLongPtr(m_hWnd, GWL_USERDATA) == reinterpret_cast<LONG_PTR>(this))
        windows->SetWindowLongPtr(m_hWnd, GWL_USERDATA, 0);
    if (windows->GetProp(m_hWnd, kObjectProperty) == this)
        windows->RemoveProp(m_hWnd, kObjectProperty);
    if (m_isSubclassed)
        UnsubclassWindow();
}

const char16_t* CWindowWnd::SuperclassName() const
{
    return nullptr;
}

UINT CWindowWnd::ClassStyle() const
{
    return 0;
}

LRESULT CWindowWnd::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallPreviousProc(message, wParam, lParam);
}

void CWindowWnd::OnWindowGone(HWND hwnd)
{
    (void)hwnd;
}

bool CWindowWnd::IsControlChainClear(CControlUI* control) const
{
    // A control exists only once the control layer is linked in, and that layer installs the check.
    if (control == nullptr || g_controlChainCheck == nullptr)
        return false;
    return g_controlChainCheck(control);
}

void CWindowWnd::DeliverMessage(const MSG& msg)
{
    if (g_preTranslator != nullptr && g_preTranslator(msg))
        return;
    auto& windows = platform::Windows();
    windows.TranslateMessage(msg);
    windows.DispatchMessage(msg);
}

void CWindowWnd::RunMessageLoop()
{
    MSG msg;
    while (platform::Windows().GetMessage(msg) != 0)
        DeliverMessage(msg);
}

// ---------------------------------------------------------------------------------------------
// Registration, creation, subclassing
// ---------------------------------------------------------------------------------------------

bool CWindowWnd::RegisterWindowClass()
{
    auto& windows = platform::Windows();
    WNDCLASSEXW wc;
    wc.style = ClassStyle();
    wc.lpfnWndProc = UserDataProc;
    wc.hInstance = ResourceModule();
    wc.hCursor = windows.LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = platform::Win32Text(WindowClassName());
    return windows.RegisterClassEx(wc) != 0 || windows.LastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWindowWnd::RegisterSuperclass()
{
    auto& windows = platform::Windows();
    WNDCLASSEXW wc;
    if (!windows.GetClassInfoEx(nullptr, SuperclassName(), wc) &&
        !windows.GetClassInfoEx(ResourceModule(), SuperclassName(), wc))
        return false;
    m_previousProc = wc.lpfnWndProc;
    wc.lpfnWndProc = PropertyProc;
    wc.hInstance = ResourceModule();
    wc.lpszClassName = platform::Win32Text(WindowClassName());
    return windows.RegisterClassEx(wc) != 0 || windows.LastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CWindowWnd::CreateNativeWindow(HWND parent, const char16_t* title, DWORD style, DWORD exStyle, int x, int y,
                                    int width, int height, HMENU menu)
{
    const bool registered = SuperclassName() ? RegisterSuperclass() : RegisterWindowClass();
    if (!registered)
        return nullptr;
    m_hWnd = platform::Windows().CreateWindowEx(exStyle, WindowClassName(), title, style, x, y, width, height, parent,
                                                menu, ResourceModule(), this);
    return m_hWnd;
}

HWND CWindowWnd::CreateNativeWindow(HWND parent, const char16_t* title, DWORD style, DWORD exStyle, const CUIRect& rect)
{
    return CreateNativeWindow(parent, title, style, exStyle, rect.left, rect.top, rect.right - rect.left,
                              rect.bottom - rect.top);
}

HWND CWindowWnd::CreateNativeWindow(HWND parent, const char16_t* title, DWORD style, DWORD exStyle)
{
    return CreateNativeWindow(parent, title, style, exStyle, 0, 0, 0, 0, nullptr);
}

HWND CWindowWnd::SubclassWindow(HWND hwnd)
{
    auto& windows = platform::Windows();
    if (!windows.IsWindow(hwnd))
        return nullptr;
    auto previous = reinterpret_cast<WNDPROC>(
        windows.SetWindowLongPtr(hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&CWindowWnd::UserDataProc)));
    if (!previous)
        return nullptr;
    m_previousProc = previous;
    m_isSubclassed = true;
    m_hWnd = hwnd;
    windows.SetWindowLongPtr(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return m_hWnd;
}

void CWindowWnd::UnsubclassWindow()
{
    auto& windows = platform::Windows();
    if (!windows.IsWindow(m_hWnd) || !m_isSubclassed)
        return;
    windows.SetWindowLongPtr(m_hWnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
    m_previousProc = platform::DefaultWindowProc;
    m_isSubclassed = false;
}

// ---------------------------------------------------------------------------------------------
// Window procedures
// ---------------------------------------------------------------------------------------------

LRESULT CWindowWnd::UserDataProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto& windows = platform::Windows();
    CWindowWnd* self = nullptr;
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        self = create ? static_cast<CWindowWnd*>(create->lpCreateParams) : nullptr;
        if (self) {
            self->m_hWnd = hwnd;
            windows.SetWindowLongPtr(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    } else {
        self = reinterpret_cast<CWindowWnd*>(windows.GetWindowLongPtr(hwnd, GWL_USERDATA));
        if (message == WM_NCDESTROY && self) {
            const LRESULT result = windows.CallWindowProc(self->m_previousProc, hwnd, message, wParam, lParam);
            windows.SetWindowLongPtr(hwnd, GWL_USERDATA, 0);
            if (self->m_isSubclassed)
                self->UnsubclassWindow();
            self->m_hWnd = nullptr;
            self->OnWindowGone(hwnd);
            return result;
        }
    }
    if (self)
        return self->ProcessMessage(message, wParam, lParam);
    return windows.DefWindowProc(hwnd, message, wParam, lParam);
}

LRESULT CWindowWnd::PropertyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto& windows = platform::Windows();
    CWindowWnd* self = nullptr;
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        self = create ? static_cast<CWindowWnd*>(create->lpCreateParams) : nullptr;
        if (self) {
            self->m_hWnd = hwnd;
            windows.SetProp(hwnd, kObjectProperty, self);
        }
    } else {
        self = static_cast<CWindowWnd*>(windows.GetProp(hwnd, kObjectProperty));
        if (message == WM_NCDESTROY && self) {
            const LRESULT result = windows.CallWindowProc(self->m_previousProc, hwnd, message, wParam, lParam);
            if (self->m_isSubclassed)
                self->UnsubclassWindow();
            windows.RemoveProp(hwnd, kObjectProperty);
            self->m_hWnd = nullptr;
            self->OnWindowGone(hwnd);
            return result;
        }
    }
    if (self)
        return self->ProcessMessage(message, wParam, lParam);
    return windows.DefWindowProc(hwnd, message, wParam, lParam);
}

// ---------------------------------------------------------------------------------------------
// Showing, the modal loop, closing
// ---------------------------------------------------------------------------------------------

void CWindowWnd::ShowNativeWindow(bool show, bool takeFocus)
{
    auto& windows = platform::Windows();
    if (!windows.IsWindow(m_hWnd))
        return;
    windows.ShowWindow(m_hWnd, !show ? SW_HIDE : takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE);
}

int CWindowWnd::RunModal()
{
    return RunModalLoop(ShowChoice::Normal, true, true);
}

int CWindowWnd::RunModalShown(bool show, bool takeFocus)
{
    return RunModalLoop(ShowChoice::AsAsked, show, takeFocus);
}

int CWindowWnd::RunModalLoop(ShowChoice choice, bool show, bool takeFocus)
{
    auto& windows = platform::Windows();
    const HWND self = m_hWnd;
    // The object may delete itself in OnWindowGone while the loop runs; from then on only locals are used.
    const std::shared_ptr<bool> alive = m_alive;
    int result = m_modalResult;

    const HWND owner = windows.GetWindow(self, GW_OWNER);
    if (choice == ShowChoice::Normal)
        windows.ShowWindow(self, SW_SHOWNORMAL);
    else
        ShowNativeWindow(show, takeFocus);
    if (owner)
        windows.EnableWindow(owner, false);

    MSG msg;
    bool quit = false;
    while (windows.IsWindow(self)) {
        if (!windows.GetMessage(msg)) {
            quit = true;
            break;
        }
        if (msg.message == WM_CLOSE && msg.hwnd == self) {
            result = int(msg.wParam);
            if (*alive)
                m_modalResult = result;
            if (owner) {
                windows.EnableWindow(owner, true);
                windows.SetFocus(owner);
            }
        }
        DeliverMessage(msg);
    }
    if (owner && windows.IsWindow(owner)) {
        windows.EnableWindow(owner, true);
        windows.SetFocus(owner);
    }
    if (quit)
        windows.PostQuitMessage(int(msg.wParam));
    return *alive ? m_modalResult : result;
}

void CWindowWnd::CloseWithResult(int result)
{
    auto& windows = platform::Windows();
    if (!windows.IsWindow(m_hWnd))
        return;
    m_modalResult = result;
    windows.PostMessage(m_hWnd, WM_CLOSE, WPARAM(result), 0);
}

// ---------------------------------------------------------------------------------------------
// Geometry and icons
// ---------------------------------------------------------------------------------------------

void CWindowWnd::CenterOnOwner()
{
    auto& windows = platform::Windows();
    RECT dialog;
    if (!windows.GetWindowRect(m_hWnd, dialog))
        return;
    const HWND owner = windows.GetWindow(m_hWnd, GW_OWNER);
    MONITORINFO monitor;
    windows.GetMonitorInfo(windows.MonitorFromWindow(owner ? owner : m_hWnd, MONITOR_DEFAULTTONEAREST), monitor);
    const RECT work = monitor.rcWork;
    RECT area = work;
    if (owner && !windows.IsIconic(owner))
        windows.GetWindowRect(owner, area);

    const int width = dialog.right - dialog.left, height = dialog.bottom - dialog.top;
    int x = (area.left + area.right) / 2 - width / 2;
    int y = (area.top + area.bottom) / 2 - height / 2;
    if (x < work.left)
        x = work.left;
    else if (x + width > work.right)
        x = work.right - width;
    if (y < work.top)
        y = work.top;
    else if (y + height > work.bottom)
        y = work.bottom - height;
    windows.SetWindowPos(m_hWnd, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::SetWindowIcon(int resourceId)
{
    auto& windows = platform::Windows();
    HICON big = windows.LoadIconResource(ResourceModule(), resourceId, IconSize(SM_CXICON), IconSize(SM_CYICON));
    windows.SendMessage(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    HICON small = windows.LoadIconResource(ResourceModule(), resourceId, IconSize(SM_CXSMICON), IconSize(SM_CYSMICON));
    windows.SendMessage(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

void CWindowWnd::ResizeClient(int width, int height)
{
    auto& windows = platform::Windows();
    RECT rect;
    if (!windows.GetClientRect(m_hWnd, rect))
        return;
    if (width != -1)
        rect.right = width;
    if (height != -1)
        rect.bottom = height;
    const auto style = DWORD(windows.GetWindowLongPtr(m_hWnd, GWL_STYLE));
    const auto exStyle = DWORD(windows.GetWindowLongPtr(m_hWnd, GWL_EXSTYLE));
    // Windows here carry no menu bar, so the window rectangle never makes room for one.
    windows.AdjustWindowRectEx(rect, style, false, exStyle);
    windows.SetWindowPos(m_hWnd, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                         SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------------------------------------
// Messages to the own window
// ---------------------------------------------------------------------------------------------

LRESULT CWindowWnd::SendToWindow(UINT message, WPARAM wParam, LPARAM lParam)
{
    return platform::Windows().SendMessage(m_hWnd, message, wParam, lParam);
}

bool CWindowWnd::PostToWindow(UINT message, WPARAM wParam, LPARAM lParam)
{
    return platform::Windows().PostMessage(m_hWnd, message, wParam, lParam);
}

LRESULT CWindowWnd::CallPreviousProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return platform::Windows().CallWindowProc(m_previousProc, m_hWnd, message, wParam, lParam);
}

} // namespace ui
