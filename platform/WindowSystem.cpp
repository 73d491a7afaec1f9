// The window system's process-wide instance, window classes and window records: creation and
// destruction in Win32 message order, relations between windows, and window data.
#include "platform/WindowSystem.h"

#include <algorithm>
#include <atomic>

namespace platform {

namespace {

thread_local DWORD t_lastError = ERROR_SUCCESS;

// The process's window system. When the process ends with windows still open, they are dropped
// silently, as a process's windows vanish at exit.
struct InstanceHolder
{
    std::unique_ptr<WindowSystem> system;
    ~InstanceHolder()
    {
        if (system)
            system->AbandonWindows();
    }
};

std::unique_ptr<WindowSystem>& Instance()
{
    static InstanceHolder holder;
    return holder.system;
}

// Held while the instance is made, replaced or destroyed, and while another thread works on it
// through WithCurrent. Recursive: destroying windows may ask for the window system again.
std::recursive_mutex& InstanceLock()
{
    static std::recursive_mutex lock;
    return lock;
}

// The instance as other threads may read it without the lock.
std::atomic<WindowSystem*> s_current{nullptr};

std::uintptr_t Key(HWND hwnd)
{
    return reinterpret_cast<std::uintptr_t>(hwnd);
}

std::u16string Text(const char16_t* text)
{
    return text ? std::u16string(text) : std::u16string();
}

} // namespace

// Registers the classes the platform itself provides (the tooltip class).
void RegisterTooltipClass(WindowSystem& system);

// ---------------------------------------------------------------------------------------------
// Process-wide instance
// ---------------------------------------------------------------------------------------------

WindowSystem& WindowSystem::Get()
{
    if (WindowSystem* current = s_current.load(std::memory_order_acquire))
        return *current;
    std::lock_guard guard(InstanceLock());
    auto& instance = Instance();
    if (!instance) {
        instance = std::make_unique<WindowSystem>(CreateDefaultBackend());
        s_current.store(instance.get(), std::memory_order_release);
    }
    return *instance;
}

WindowSystem& WindowSystem::Install(std::unique_ptr<IWindowBackend> backend)
{
    std::lock_guard guard(InstanceLock());
    auto& instance = Instance();
    s_current.store(nullptr, std::memory_order_release);
    instance.reset();
    instance = std::make_unique<WindowSystem>(std::move(backend));
    s_current.store(instance.get(), std::memory_order_release);
    return *instance;
}

void WindowSystem::Shutdown()
{
    std::lock_guard guard(InstanceLock());
    s_current.store(nullptr, std::memory_order_release);
    Instance().reset();
}

WindowSystem* WindowSystem::Current()
{
    return s_current.load(std::memory_order_acquire);
}

bool WindowSystem::WithCurrent(const std::function<void(WindowSystem&)>& action)
{
    std::lock_guard guard(InstanceLock());
    WindowSystem* current = s_current.load(std::memory_order_acquire);
    if (current == nullptr)
        return false;
    action(*current);
    return true;
}

void WindowSystem::AbandonWindows()
{
    for (auto& [key, window] : m_windows)
        if (!window->IsChild())
            m_backend->DestroyNative(*window);
    {
        std::lock_guard lock(m_lock);
        m_live.clear();
        m_timers.clear();
    }
    m_windows.clear();
    m_zOrder.clear();
    m_focus = m_active = m_capture = nullptr;
    m_drag = DragState{};
    m_hover = HoverState{};
    m_lastClick = ClickState{};
}

WindowSystem::WindowSystem(std::unique_ptr<IWindowBackend> backend) : m_backend(std::move(backend))
{
    m_uiThread = std::this_thread::get_id();
    m_backend->Attach(this);
    m_cursor = LoadCursor(nullptr, IDC_ARROW);
    RegisterSystemClasses();
}

WindowSystem::~WindowSystem()
{
    DestroyAll();
    // Senders still waiting get 0: their windows are gone.
    {
        std::lock_guard lock(m_lock);
        m_closing = true;
        for (auto& send : m_sent)
            send->done = true;
        m_sent.clear();
    }
    m_sendDone.notify_all();
    if (m_clock != &m_steadyClock)
        m_clock->SetChangeListener(nullptr);
    m_backend.reset();
}

void WindowSystem::DestroyAll()
{
    // Owners first: DestroyWindow takes their owned windows along.
    while (!m_windows.empty()) {
        HWND first = nullptr;
        for (auto& [key, window] : m_windows) {
            if (!window->IsChild() && !window->destroying) {
                first = window->handle;
                if (!window->owner)
                    break;
            }
        }
        if (!first)
            break;
        DestroyWindow(first);
    }
}

void WindowSystem::SetClock(IClock* clock)
{
    if (m_clock != &m_steadyClock)
        m_clock->SetChangeListener(nullptr);
    m_clock = clock ? clock : &m_steadyClock;
    if (m_clock != &m_steadyClock)
        m_clock->SetChangeListener([this] { Wake(); });
}

std::uint64_t WindowSystem::NowMs() const
{
    return m_clock->NowMs();
}

DWORD WindowSystem::GetTickCount() const
{
    return DWORD(m_clock->NowMs());
}

DWORD WindowSystem::LastError() const
{
    return t_lastError;
}

void WindowSystem::SetLastError(DWORD error) const
{
    t_lastError = error;
}

bool WindowSystem::IsUiThread() const
{
    return std::this_thread::get_id() == m_uiThread;
}

// ---------------------------------------------------------------------------------------------
// Classes
// ---------------------------------------------------------------------------------------------

void WindowSystem::RegisterSystemClasses()
{
    RegisterTooltipClass(*this);
    for (auto& cls : m_classes)
        cls.system = true;
}

WindowSystem::WindowClass* WindowSystem::FindClass(const std::u16string& name, HINSTANCE instance)
{
    (void)instance; // one program per process: its classes are found under any instance
    for (auto& cls : m_classes)
        if (!cls.system && cls.name == name)
            return &cls;
    for (auto& cls : m_classes)
        if (cls.system && cls.name == name)
            return &cls;
    return nullptr;
}

ATOM WindowSystem::RegisterClassEx(const WNDCLASSEXW& wc)
{
    if (!wc.lpszClassName || !*wc.lpszClassName || !wc.lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::u16string name(Utf16Text(wc.lpszClassName));
    for (auto& cls : m_classes) {
        if (!cls.system && cls.name == name) {
            SetLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
    }
    WindowClass cls;
    cls.info = wc;
    cls.name = name;
    cls.info.lpszClassName = nullptr; // the name lives in cls.name
    m_classes.push_back(std::move(cls));
    SetLastError(ERROR_SUCCESS);
    return ATOM(0xC000 + m_classes.size());
}

bool WindowSystem::UnregisterClass(const char16_t* className, HINSTANCE instance)
{
    (void)instance;
    const std::u16string name = Text(className);
    for (auto& [key, window] : m_windows) {
        if (window->className == name) {
            SetLastError(ERROR_BUSY);
            return false;
        }
    }
    auto it = std::find_if(m_classes.begin(), m_classes.end(),
                           [&](const WindowClass& c) { return !c.system && c.name == name; });
    if (it == m_classes.end()) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return false;
    }
    m_classes.erase(it);
    return true;
}

bool WindowSystem::GetClassInfoEx(HINSTANCE instance, const char16_t* className, WNDCLASSEXW& out)
{
    const std::u16string name = Text(className);
    for (int pass = 0; pass < 2; ++pass) {
        const bool system = pass == 0;
        if (system && instance)
            continue;
        for (auto& cls : m_classes) {
            if (cls.name == name && cls.system == system) {
                out = cls.info;
                out.lpszClassName = Win32Text(className);
                return true;
            }
        }
    }
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return false;
}

std::u16string WindowSystem::GetClassName(HWND hwnd) const
{
    const WindowRecord* window = Record(hwnd);
    return window ? window->className : std::u16string();
}

// ---------------------------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------------------------

WindowRecord* WindowSystem::Record(HWND hwnd)
{
    auto it = m_windows.find(Key(hwnd));
    return it == m_windows.end() ? nullptr : it->second.get();
}

const WindowRecord* WindowSystem::Record(HWND hwnd) const
{
    auto it = m_windows.find(Key(hwnd));
    return it == m_windows.end() ? nullptr : it->second.get();
}

bool WindowSystem::IsWindow(HWND hwnd) const
{
    if (!IsUiThread()) {
        std::lock_guard lock(m_lock);
        return m_live.count(Key(hwnd)) != 0;
    }
    return Record(hwnd) != nullptr;
}

WindowRecord* WindowSystem::TopLevelOf(HWND hwnd)
{
    WindowRecord* window = Record(hwnd);
    while (window && window->IsChild())
        window = Record(window->parent);
    return window;
}

const WindowRecord* WindowSystem::TopLevelOf(HWND hwnd) const
{
    const WindowRecord* window = Record(hwnd);
    while (window && window->IsChild())
        window = Record(window->parent);
    return window;
}

// ---------------------------------------------------------------------------------------------
// Creation and destruction
// ---------------------------------------------------------------------------------------------

HWND WindowSystem::CreateWindowEx(DWORD exStyle, const char16_t* className, const char16_t* title, DWORD style, int x,
                                  int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                                  void* param)
{
    WindowClass* cls = className ? FindClass(className, instance) : nullptr;
    if (!cls) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (parent && !Record(parent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if ((style & WS_CHILD) && !parent) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (x == CW_USEDEFAULT) {
        x = 100;
        y = 100;
    }
    if (width == CW_USEDEFAULT) {
        width = 640;
        height = 480;
    }

    auto record = std::make_unique<WindowRecord>();
    WindowRecord& window = *record;
    window.handle = reinterpret_cast<HWND>(m_nextHandle);
    m_nextHandle += 4;
    window.className = cls->name;
    window.classStyle = cls->info.style;
    window.classCursor = cls->info.hCursor;
    window.proc = cls->info.lpfnWndProc;
    window.title = Text(title);
    window.style = style & ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
    // An overlapped window (neither pop-up nor child) always has a caption, as on Win32; a program
    // that wants none clears WS_CAPTION once the window exists.
    if (!(style & (WS_POPUP | WS_CHILD)))
        window.style |= WS_CAPTION | WS_CLIPSIBLINGS;
    window.exStyle = exStyle;
    window.rect = BoundedWindowRect(x, y, width, height);
    window.instance = instance;
    if (style & WS_CHILD) {
        window.parent = parent;
        window.id = LONG_PTR(reinterpret_cast<std::uintptr_t>(menu));
    } else if (parent) {
        window.owner = TopLevelOf(parent)->handle;
    }
    const HWND hwnd = window.handle;
    m_windows.emplace(Key(hwnd), std::move(record));
    {
        std::lock_guard lock(m_lock);
        m_live[Key(hwnd)] = true;
    }
    if (window.IsChild()) {
        Record(parent)->children.push_back(hwnd);
    } else {
        window.scale = SaneScale(m_backend->WindowScale(window));
        ResizeStore(window);
        // A new window starts on top of its band (topmost windows above the others).
        PlaceOnTop(hwnd);
        if (!m_backend->CreateNative(window)) {
            ForgetWindow(hwnd);
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
    }

    CREATESTRUCTW cs;
    cs.lpCreateParams = param;
    cs.hInstance = instance;
    cs.hMenu = menu;
    cs.hwndParent = parent;
    cs.cx = width;
    cs.cy = height;
    cs.x = x;
    cs.y = y;
    cs.style = LONG(style);
    cs.lpszName = Win32Text(title);
    cs.lpszClass = Win32Text(className);
    cs.dwExStyle = exStyle;

    // Top-level windows are asked for their size limits before anything else, like on Win32; the
    // window object does not know its window yet, so this goes to the default procedure.
    if (!window.IsChild()) {
        MINMAXINFO info;
        info.ptMaxTrackSize = POINT{32767, 32767};
        SendMessage(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    }
    if (!Record(hwnd))
        return nullptr;
    if (!SendMessage(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        if (WindowRecord* w = Record(hwnd)) {
            w->destroying = true;
            SendMessage(hwnd, WM_NCDESTROY, 0, 0);
            ForgetWindow(hwnd);
        }
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    RECT calc = Record(hwnd) ? Record(hwnd)->rect : RECT{};
    SendMessage(hwnd, WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(&calc));
    if (!Record(hwnd) || SendMessage(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        if (Record(hwnd))
            DestroyWindow(hwnd);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    WindowRecord* created = Record(hwnd);
    if (!created)
        return nullptr;
    created->creating = false;
    SendMessage(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(created->Width(), created->Height()));
    if (WindowRecord* w = Record(hwnd)) {
        const POINT origin = ClientOriginOnScreen(*w);
        const POINT pos = w->IsChild() ? POINT{w->rect.left, w->rect.top} : origin;
        SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(pos.x, pos.y));
    }
    if (Record(hwnd) && (style & WS_VISIBLE))
        ShowWindow(hwnd, (style & WS_MINIMIZE) ? SW_SHOWMINIMIZED : SW_SHOW);
    SetLastError(ERROR_SUCCESS);
    return Record(hwnd) ? hwnd : nullptr;
}

void WindowSystem::PlaceOnTop(HWND hwnd)
{
    // Topmost windows stay above all others; a plain window goes to the top of the plain ones.
    std::erase(m_zOrder, hwnd);
    const WindowRecord* window = Record(hwnd);
    if (!window || window->IsTopmost()) {
        m_zOrder.push_back(hwnd);
        return;
    }
    auto it =
        std::find_if(m_zOrder.begin(), m_zOrder.end(), [&](HWND h) { return Record(h) && Record(h)->IsTopmost(); });
    m_zOrder.insert(it, hwnd);
}

void WindowSystem::DestroyOwnedWindows(HWND owner)
{
    std::vector<HWND> owned;
    for (auto& [key, window] : m_windows)
        if (window->owner == owner && !window->destroying)
            owned.push_back(window->handle);
    for (HWND hwnd : owned)
        DestroyWindow(hwnd);
}

void WindowSystem::SendDestroyMessages(HWND hwnd, bool ncDestroy)
{
    WindowRecord* window = Record(hwnd);
    if (!window)
        return;
    if (!ncDestroy) {
        window->destroying = true;
        SendMessage(hwnd, WM_DESTROY, 0, 0);
    }
    window = Record(hwnd);
    if (!window)
        return;
    const std::vector<HWND> children = window->children;
    for (HWND child : children)
        SendDestroyMessages(child, ncDestroy);
    if (ncDestroy) {
        SendMessage(hwnd, WM_NCDESTROY, 0, 0);
        if (WindowRecord* w = Record(hwnd); w && !w->IsChild())
            m_backend->DestroyNative(*w);
        ForgetWindow(hwnd);
    }
}

bool WindowSystem::DestroyWindow(HWND hwnd)
{
    WindowRecord* window = Record(hwnd);
    if (!window || window->destroying) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    window->destroying = true;
    DestroyOwnedWindows(hwnd);

    window = Record(hwnd);
    if (!window)
        return true;
    if (window->IsVisibleFlag()) {
        window->style &= ~WS_VISIBLE;
        if (!window->IsChild())
            m_backend->UpdateNative(*window, kChangeVisibility);
        else if (WindowRecord* parent = Record(window->parent))
            InvalidateRect(parent->handle, &window->rect, true);
    }
    if (m_capture && (m_capture == hwnd || IsChild(hwnd, m_capture)))
        ReleaseCapture();
    if (m_active == hwnd)
        ActivateAnotherThan(hwnd);
    if (m_focus && (m_focus == hwnd || IsChild(hwnd, m_focus)))
        m_focus = nullptr;

    // WM_DESTROY goes to the window before its children; WM_NCDESTROY to the children first.
    SendDestroyMessages(hwnd, false);
    SendDestroyMessages(hwnd, true);
    return true;
}

void WindowSystem::ForgetWindow(HWND hwnd)
{
    WindowRecord* window = Record(hwnd);
    if (!window)
        return;
    if (window->IsChild()) {
        if (WindowRecord* parent = Record(window->parent))
            std::erase(parent->children, hwnd);
    }
    std::erase(m_zOrder, hwnd);
    if (m_focus == hwnd)
        m_focus = nullptr;
    if (m_active == hwnd)
        m_active = nullptr;
    if (m_capture == hwnd) {
        m_capture = nullptr;
        m_backend->SetMouseCapture(nullptr);
    }
    if (m_drag.hwnd == hwnd)
        m_drag = DragState{};
    if (m_hover.hwnd == hwnd)
        m_hover = HoverState{};
    if (m_lastClick.hwnd == hwnd)
        m_lastClick = ClickState{};
    {
        std::lock_guard lock(m_lock);
        m_live.erase(Key(hwnd));
        std::erase_if(m_timers, [&](const Timer& t) { return t.hwnd == hwnd; });
    }
    m_windows.erase(Key(hwnd));
}

// ---------------------------------------------------------------------------------------------
// Relations and window data
// ---------------------------------------------------------------------------------------------

HWND WindowSystem::GetParent(HWND hwnd) const
{
    const WindowRecord* window = Record(hwnd);
    if (!window)
        return nullptr;
    return window->IsChild() ? window->parent : window->owner;
}

HWND WindowSystem::GetWindow(HWND hwnd, UINT relation) const
{
    const WindowRecord* window = Record(hwnd);
    if (!window)
        return nullptr;
    switch (relation) {
    case GW_OWNER:
        return window->IsChild() ? nullptr : window->owner;
    case GW_CHILD:
        return window->children.empty() ? nullptr : window->children.front();
    default:
        return nullptr;
    }
}

HWND WindowSystem::GetAncestor(HWND hwnd, UINT flags) const
{
    const WindowRecord* window = Record(hwnd);
    if (!window)
        return nullptr;
    if (flags == GA_PARENT)
        return window->IsChild() ? window->parent : nullptr;
    const WindowRecord* top = TopLevelOf(hwnd);
    return top ? top->handle : nullptr;
}

bool WindowSystem::IsChild(HWND parent, HWND hwnd) const
{
    const WindowRecord* window = Record(hwnd);
    while (window && window->IsChild()) {
        if (window->parent == parent)
            return true;
        window = Record(window->parent);
    }
    return false;
}

HWND WindowSystem::FindWindow(const char16_t* className, const char16_t* title) const
{
    for (auto& [key, window] : m_windows) {
        if (window->IsChild() || window->destroying)
            continue;
        if (className && window->className != className)
            continue;
        if (title && window->title != title)
            continue;
        return window->handle;
    }
    return nullptr;
}

std::vector<HWND> WindowSystem::TopLevelWindows() const
{
    return m_zOrder;
}

LONG_PTR WindowSystem::GetWindowLongPtr(HWND hwnd, int index) const
{
    const WindowRecord* window = Record(hwnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (index) {
    case GWL_WNDPROC:
        return reinterpret_cast<LONG_PTR>(window->proc);
    case GWL_USERDATA:
        return window->userData;
    case GWL_STYLE:
        return LONG_PTR(window->style);
    case GWL_EXSTYLE:
        return LONG_PTR(window->exStyle);
    case GWL_ID:
        return window->id;
    case GWL_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(window->instance);
    case GWL_HWNDPARENT:
        return reinterpret_cast<LONG_PTR>(window->IsChild() ? window->parent : window->owner);
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
}

LONG_PTR WindowSystem::SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value)
{
    WindowRecord* window = Record(hwnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    SetLastError(ERROR_SUCCESS);
    LONG_PTR old = 0;
    switch (index) {
    case GWL_WNDPROC:
        if (!value) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        old = reinterpret_cast<LONG_PTR>(window->proc);
        window->proc = reinterpret_cast<WNDPROC>(value);
        return old;
    case GWL_USERDATA:
        old = window->userData;
        window->userData = value;
        return old;
    case GWL_STYLE: {
        // Visibility, minimised and maximised state change through ShowWindow, never by writing the style.
        old = LONG_PTR(window->style);
        const DWORD kept = window->style & (WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE | WS_CHILD);
        window->style = (DWORD(value) & ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE | WS_CHILD)) | kept;
        if (!window->IsChild())
            m_backend->UpdateNative(*window, kChangeStyle);
        return old;
    }
    case GWL_EXSTYLE: {
        old = LONG_PTR(window->exStyle);
        const DWORD kept = window->exStyle & WS_EX_TOPMOST;
        window->exStyle = (DWORD(value) & ~WS_EX_TOPMOST) | kept;
        unsigned changes = kChangeStyle;
        // A window that stops being layered is opaque again.
        if (!(window->exStyle & WS_EX_LAYERED) && window->opacity != 255) {
            window->opacity = 255;
            changes |= kChangeOpacity;
        }
        if (!window->IsChild())
            m_backend->UpdateNative(*window, changes);
        return old;
    }
    case GWL_ID:
        old = window->id;
        window->id = value;
        return old;
    case GWL_HWNDPARENT: {
        if (window->IsChild())
            return 0;
        old = reinterpret_cast<LONG_PTR>(window->owner);
        HWND owner = reinterpret_cast<HWND>(value);
        const WindowRecord* top = owner ? TopLevelOf(owner) : nullptr;
        window->owner = top ? top->handle : nullptr;
        m_backend->UpdateNative(*window, kChangeOwner);
        return old;
    }
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
}

bool WindowSystem::SetProp(HWND hwnd, const char16_t* name, HANDLE value)
{
    WindowRecord* window = Record(hwnd);
    if (!window || !name)
        return false;
    for (auto& [key, stored] : window->props) {
        if (key == name) {
            stored = value;
            return true;
        }
    }
    window->props.emplace_back(name, value);
    return true;
}

HANDLE WindowSystem::GetProp(HWND hwnd, const char16_t* name) const
{
    const WindowRecord* window = Record(hwnd);
    if (!window || !name)
        return nullptr;
    for (auto& [key, stored] : window->props)
        if (key == name)
            return stored;
    return nullptr;
}

HANDLE WindowSystem::RemoveProp(HWND hwnd, const char16_t* name)
{
    WindowRecord* window = Record(hwnd);
    if (!window || !name)
        return nullptr;
    for (auto it = window->props.begin(); it != window->props.end(); ++it) {
        if (it->first == name) {
            HANDLE value = it->second;
            window->props.erase(it);
            return value;
        }
    }
    return nullptr;
}

bool WindowSystem::SetWindowText(HWND hwnd, const char16_t* text)
{
    if (!Record(hwnd))
        return false;
    return SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0;
}

std::u16string WindowSystem::GetWindowText(HWND hwnd) const
{
    const WindowRecord* window = Record(hwnd);
    return window ? window->title : std::u16string();
}

} // namespace platform
