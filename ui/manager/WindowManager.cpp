// The window manager: process-wide skin settings, construction and destruction, attachment to a
// window and a control tree, the control-name map, the searches and the lists of the tree's controls
// (option groups, hosted native windows, post-paint and mouse-leave controls).
#include "ui/manager/WindowManager.h"

#include "platform/Environment.h"
#include "platform/Surface.h"
#include "ui/controls/Control.h"
#include "ui/core/Decimal.h"
#include "ui/core/LocalPath.h"
#include "ui/core/WindowWnd.h"
#include "ui/manager/WindowManagerShared.h"
#include "ui/skin/SkinSource.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <unordered_map>

namespace ui {

namespace detail {

SharedState& Shared()
{
    static SharedState state;
    return state;
}

CUIString IdKey(int id)
{
    char16_t text[kDecimalMaxLength + 1];
    text[kDecimalMaxLength] = u'\0';
    return CUIString(WriteDecimal(id, text + kDecimalMaxLength));
}

} // namespace detail

using detail::Shared;
using detail::Win;

namespace {

// ---- search callbacks ----

using NameMap = std::unordered_map<std::u16string, CControlUI*>;

// A later control of the same name replaces an earlier one.
CControlUI* RegisterName(CControlUI* control, void* data)
{
    auto* names = static_cast<NameMap*>(data);
    const CUIString name = control->GetName();
    if (!name.IsEmpty())
        names->insert_or_assign(name.CStr(), control);
    return nullptr;
}

// The control registered under the name, or null.
CControlUI* NamedControl(const NameMap& names, const char16_t* name)
{
    const auto it = names.find(name);
    return it != names.end() ? it->second : nullptr;
}

CControlUI* MatchPoint(CControlUI* control, void* data)
{
    const auto* point = static_cast<const CUIPoint*>(data);
    return control->GetPosition().Contains(*point) ? control : nullptr;
}

CControlUI* MatchNameNoCase(CControlUI* control, void* data)
{
    const auto* name = static_cast<const char16_t*>(data);
    return control->GetName().CompareNoCase(name) == 0 ? control : nullptr;
}

struct ClassSearch
{
    const char16_t* className;
    int wanted; // index of the match that ends the search, -1 to collect all
    CPtrArray* found;
};

CControlUI* CollectClass(CControlUI* control, void* data)
{
    auto* search = static_cast<ClassSearch*>(data);
    const bool all = search->className[0] == u'*' && search->className[1] == 0;
    if (!all && CUIString(control->GetClassName()) != search->className)
        return nullptr;
    search->found->Add(control);
    if (search->wanted >= 0 && search->found->GetSize() > search->wanted)
        return control;
    return nullptr;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Process-wide settings
// ---------------------------------------------------------------------------------------------

void CWindowManagerUI::SetAppInstance(HINSTANCE instance)
{
    Shared().appInstance = instance;
    CWindowWnd::SetResourceModule(ResourceInstance());
}

HINSTANCE CWindowManagerUI::AppInstance()
{
    return Shared().appInstance;
}

CUIString CWindowManagerUI::AppDirectory()
{
    if (Shared().appInstance == nullptr)
        return CUIString();
    // The instance stands for this program; its image is the running executable.
    const std::filesystem::path exe(platform::GetModuleFileName());
    if (exe.empty())
        return CUIString();
    std::u16string text = exe.parent_path().u16string();
    text += u'/';
    return CUIString(text.c_str());
}

CUIString CWindowManagerUI::CurrentDirectory()
{
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    if (error)
        return CUIString();
    return CUIString(current.u16string().c_str());
}

bool CWindowManagerUI::SetCurrentDirectory(const char16_t* path)
{
    if (path == nullptr || *path == 0)
        return false;
    std::u16string local(path);
    UseForwardSlashes(local);
    std::error_code error;
    std::filesystem::current_path(std::filesystem::path(local), error);
    return !error;
}

void CWindowManagerUI::SetResourceInstance(HINSTANCE instance)
{
    Shared().resourceInstance = instance;
    CWindowWnd::SetResourceModule(ResourceInstance());
}

HINSTANCE CWindowManagerUI::ResourceInstance()
{
    return Shared().resourceInstance != nullptr ? Shared().resourceInstance : Shared().appInstance;
}

// The skin settings are those of the process's skin source, which markup and images read through.

void CWindowManagerUI::SetSkinFolder(const char16_t* path)
{
    CSkinSource::Process().SetFolder(path);
}

const char16_t* CWindowManagerUI::SkinFolder()
{
    return CSkinSource::Process().Folder();
}

void CWindowManagerUI::SetSkinArchive(const char16_t* name, ArchiveMode mode, const char* password)
{
    CSkinSource::Process().SetArchive(name, mode == ArchiveMode::KeepOpen, password);
}

void CWindowManagerUI::SetSkinArchiveMemory(const void* data, std::size_t size, const char* password)
{
    CSkinSource::Process().SetArchiveMemory(data, size, password);
}

const char16_t* CWindowManagerUI::SkinArchiveName()
{
    return CSkinSource::Process().ArchiveName();
}

const char* CWindowManagerUI::SkinArchivePassword()
{
    return CSkinSource::Process().Password();
}

bool CWindowManagerUI::IsArchiveKeptOpen()
{
    return CSkinSource::Process().IsArchiveKeptOpen();
}

zip::HARCHIVE CWindowManagerUI::OpenArchive()
{
    return CSkinSource::Process().KeptArchive();
}

void CWindowManagerUI::CloseArchive()
{
    CSkinSource::Process().CloseArchive();
}

const CPtrArray& CWindowManagerUI::Managers()
{
    return Shared().managers;
}

CWindowManagerUI* CWindowManagerUI::FindManager(const char16_t* name)
{
    if (name == nullptr || *name == 0)
        return nullptr;
    const CPtrArray& managers = Shared().managers;
    for (int i = 0; i < managers.GetSize(); ++i) {
        auto* manager = static_cast<CWindowManagerUI*>(managers[i]);
        if (manager->m_name == name)
            return manager;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Construction and destruction
// ---------------------------------------------------------------------------------------------

CWindowManagerUI::CWindowManagerUI()
{
    // Queued messages reach the managers' translators before dispatch from here on.
    CWindowWnd::SetMessagePreTranslator(&CWindowManagerUI::PreTranslate);
    detail::SharedState& s = Shared();
    if (!s.initialised) {
        // The first manager of the process sets up the shared default font from the system's GUI font.
        const platform::LogFont gui = platform::Font::DefaultGuiLogFont();
        s.defaultFont.font = platform::Font::Create(gui);
        s.defaultFont.faceName = gui.face.c_str();
        s.defaultFont.size = gui.pixelSize;
        s.defaultFont.bold = gui.bold;
        s.defaultFont.underline = gui.underline;
        s.defaultFont.italic = gui.italic;
        s.defaultFont.strikeout = gui.strikeout;
        s.defaultFont.metrics = platform::TextMetrics{};
        s.initialised = true;
    }
    m_disabledColor = s.colors[detail::kDisabledColor];
    m_fontColor = s.colors[detail::kFontColor];
    m_linkColor = s.colors[detail::kLinkColor];
    m_linkHoverColor = s.colors[detail::kLinkHoverColor];
    m_selectedColor = s.colors[detail::kSelectedColor];
}

CWindowManagerUI::~CWindowManagerUI()
{
    DeleteQueuedControls();
    DropPendingNotifications();
    m_nameMap.clear();
    if (m_root != nullptr) {
        CControlUI* root = m_root;
        m_root = nullptr;
        root->DeleteSelf();
    }
    // The queue owns what it holds; nothing may be left to die after the manager's own state.
    DeleteQueuedControls();
    m_defaultFont = TFontInfo{};
    ResetWindowTables();
    DestroyTooltip();
    m_measureDC.reset();
    m_measureSurface.reset();
    CPtrArray& managers = Shared().managers;
    const int index = managers.IndexOf(this);
    if (index >= 0)
        managers.RemoveAt(index);
}

void CWindowManagerUI::ResetWindowTables()
{
    UnresolveLayeredImage();
    m_nameMap.clear();
    m_fonts.Clear();
    m_images.Clear();
    m_defaultLists.Clear();
    DropAllWindowExtras();
    DropAllOptionGroups();
    KillAllTimers();
}

void CWindowManagerUI::AttachWindow(HWND window, const char16_t* name)
{
    ResetWindowTables();
    if (name != nullptr && *name != 0)
        m_name = name;
    if (window == m_window)
        return;
    m_window = window;
    // Measuring text needs a device context; painting makes its own over the window's picture.
    m_measureDC.reset();
    m_measureSurface = std::make_unique<platform::Surface>(platform::Surface::Create(1, 1));
    m_measureDC = std::make_unique<platform::DeviceContext>(*m_measureSurface);
    // A manager attached to a second window is still one entry: the list must never name it twice,
    // or its destruction would leave a dangling entry behind.
    CPtrArray& managers = Shared().managers;
    if (managers.IndexOf(this) < 0)
        managers.Add(this);
}

// ---------------------------------------------------------------------------------------------
// The control tree
// ---------------------------------------------------------------------------------------------

bool CWindowManagerUI::AttachRoot(CControlUI* root)
{
    if (root == nullptr)
        return false;
    // The child layouts of the new tree build while it is initialised, with a budget of their own.
    m_builtControls = 0;
    SetFocusControl(nullptr, false);
    m_keyTarget = nullptr;
    m_hover = nullptr;
    m_capture = nullptr;
    m_tooltip.owner = nullptr;
    if (m_root != nullptr) {
        DeleteQueuedControls();
        DropPendingNotifications();
        m_nameMap.clear();
        m_postPaint.clear();
        m_nativeWindows.clear();
        // Attaching the same tree again must not queue it for deletion while it stays the root.
        if (m_root != root)
            QueueForDeletion(m_root);
    }
    m_root = root;
    m_layoutNeeded = true;
    m_firstLayout = true;
    m_focusNeeded = true;
    return InitControlTree(root, root->GetParent());
}

bool CWindowManagerUI::InitControlTree(CControlUI* control, CControlUI* parent)
{
    if (control == nullptr)
        return false;
    control->SetManager(this, parent != nullptr ? parent : control->GetParent(), true);
    control->FindControl(RegisterName, &m_nameMap, FIND_ALL);
    return true;
}

bool CWindowManagerUI::RenameControl(CControlUI* control, const char16_t* newName)
{
    if (control == nullptr || control->GetManager() != this || newName == nullptr || *newName == 0)
        return false;
    const CUIString oldName = control->GetName();
    if (oldName == newName)
        return true;
    if (NamedControl(m_nameMap, newName) != nullptr)
        return false;
    if (!oldName.IsEmpty() && NamedControl(m_nameMap, oldName.CStr()) == control)
        m_nameMap.erase(oldName.CStr());
    m_nameMap.emplace(newName, control);
    control->SetName(newName);
    return true;
}

void CWindowManagerUI::ForgetControl(CControlUI* control)
{
    if (control == nullptr)
        return;
    if (m_keyTarget == control)
        m_keyTarget = nullptr;
    if (m_hover == control)
        m_hover = nullptr;
    if (m_capture == control) {
        m_capture = nullptr;
        // Nobody is left to get the button release that would end the capture: without this the
        // window would hold the mouse and the hover control would never change again.
        ReleaseMouse();
    }
    if (m_focus == control)
        m_focus = nullptr;
    if (m_tooltip.owner == control)
        m_tooltip.owner = nullptr;
    KillControlTimers(control);
    const CUIString name = control->GetName();
    if (!name.IsEmpty() && NamedControl(m_nameMap, name.CStr()) == control)
        m_nameMap.erase(name.CStr());
    for (TNotifyMsg& msg : m_async.notifications) {
        if (msg.sender == control)
            msg.sender = nullptr;
    }
    // The lists hold borrowed pointers too; a dead control left in them would be painted, sent
    // events or deleted a second time.
    for (int i = m_foundControls.IndexOf(control); i >= 0; i = m_foundControls.IndexOf(control))
        m_foundControls.RemoveAt(i);
    std::erase(m_postPaint, control);
    std::erase(m_mouseLeaveControls, control);
    std::erase_if(m_nativeWindows, [control](const NativeWindow& hosted) { return hosted.control == control; });
    // A queued descendant dies with its parent: its entry is let go, not deleted again.
    std::erase_if(m_async.deletions, [control](auto& queued) {
        if (queued.get() != control)
            return false;
        (void)queued.release();
        return true;
    });
    for (auto it = m_optionGroups.begin(); it != m_optionGroups.end();) {
        CPtrArray& members = it->second;
        const int index = members.IndexOf(control);
        if (index >= 0)
            members.RemoveAt(index);
        it = members.IsEmpty() ? m_optionGroups.erase(it) : std::next(it);
    }
}

CControlUI* CWindowManagerUI::ControlByName(const char16_t* name)
{
    if (name == nullptr || *name == 0)
        return nullptr;
    return NamedControl(m_nameMap, name);
}

CControlUI* CWindowManagerUI::ControlAt(CUIPoint point) const
{
    return SubControlAt(nullptr, point);
}

CControlUI* CWindowManagerUI::SubControlAt(CControlUI* parent, CUIPoint point) const
{
    CControlUI* start = parent != nullptr ? parent : m_root;
    if (start == nullptr)
        return nullptr;
    return start->FindControl(MatchPoint, &point, FIND_VISIBLE | FIND_HITTEST | FIND_TOPFIRST);
}

CControlUI* CWindowManagerUI::SubControlByName(CControlUI* parent, const char16_t* name) const
{
    CControlUI* start = parent != nullptr ? parent : m_root;
    if (start == nullptr || name == nullptr)
        return nullptr;
    return start->FindControl(MatchNameNoCase, const_cast<char16_t*>(name), FIND_ALL);
}

CControlUI* CWindowManagerUI::SubControlByClass(CControlUI* parent, const char16_t* className, int index)
{
    CControlUI* start = parent != nullptr ? parent : m_root;
    m_foundControls.Clear();
    if (start == nullptr || className == nullptr || index < 0)
        return nullptr;
    ClassSearch search{className, index, &m_foundControls};
    return start->FindControl(CollectClass, &search, FIND_ALL);
}

CPtrArray* CWindowManagerUI::SubControlsByClass(CControlUI* parent, const char16_t* className)
{
    CControlUI* start = parent != nullptr ? parent : m_root;
    m_foundControls.Clear();
    if (start != nullptr && className != nullptr) {
        ClassSearch search{className, -1, &m_foundControls};
        start->FindControl(CollectClass, &search, FIND_ALL);
    }
    return &m_foundControls;
}

// ---------------------------------------------------------------------------------------------
// Option groups and the manager's lists
// ---------------------------------------------------------------------------------------------

bool CWindowManagerUI::JoinOptionGroup(const char16_t* group, CControlUI* control)
{
    if (group == nullptr || *group == 0 || control == nullptr)
        return false;
    CPtrArray& members = m_optionGroups.try_emplace(group, 6).first->second;
    if (members.IndexOf(control) >= 0)
        return true;
    return members.Add(control);
}

CPtrArray* CWindowManagerUI::OptionGroup(const char16_t* group)
{
    if (group == nullptr || *group == 0)
        return nullptr;
    const auto it = m_optionGroups.find(group);
    return it != m_optionGroups.end() ? &it->second : nullptr;
}

void CWindowManagerUI::LeaveOptionGroup(const char16_t* group, CControlUI* control)
{
    CPtrArray* members = OptionGroup(group);
    if (members == nullptr)
        return;
    const int index = members->IndexOf(control);
    if (index < 0)
        return;
    members->RemoveAt(index);
    if (members->IsEmpty())
        m_optionGroups.erase(group);
}

void CWindowManagerUI::DropAllOptionGroups()
{
    m_optionGroups.clear();
}

bool CWindowManagerUI::AddPostPaint(CControlUI* control)
{
    if (control == nullptr || detail::Contains(m_postPaint, control))
        return false;
    m_postPaint.push_back(control);
    return true;
}

bool CWindowManagerUI::RemovePostPaint(CControlUI* control)
{
    return detail::EraseFirst(m_postPaint, control);
}

bool CWindowManagerUI::SetPostPaintIndex(CControlUI* control, int index)
{
    RemovePostPaint(control);
    if (control == nullptr || index < 0 || std::size_t(index) > m_postPaint.size())
        return false;
    m_postPaint.insert(m_postPaint.begin() + index, control);
    return true;
}

bool CWindowManagerUI::AddNativeWindow(CControlUI* control, HWND window)
{
    if (control == nullptr || window == nullptr)
        return false;
    const auto listed = [window](const NativeWindow& hosted) { return hosted.window == window; };
    if (std::any_of(m_nativeWindows.begin(), m_nativeWindows.end(), listed))
        return false;
    m_nativeWindows.push_back({control, window});
    const CUIRect rect = NativeWindowRect(window);
    if (m_window != nullptr) {
        const RECT r{rect.left, rect.top, rect.right, rect.bottom};
        Win().InvalidateRect(m_window, &r, false);
    }
    return true;
}

bool CWindowManagerUI::RemoveNativeWindow(HWND window)
{
    return std::erase_if(m_nativeWindows, [window](const NativeWindow& hosted) { return hosted.window == window; }) > 0;
}

CUIRect CWindowManagerUI::NativeWindowRect(HWND window) const
{
    RECT r;
    if (window == nullptr || !Win().GetWindowRect(window, r))
        return CUIRect();
    POINT topLeft{r.left, r.top}, bottomRight{r.right, r.bottom};
    if (m_window != nullptr) {
        Win().ScreenToClient(m_window, topLeft);
        Win().ScreenToClient(m_window, bottomRight);
    }
    return CUIRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
}

bool CWindowManagerUI::WantMouseLeave(CControlUI* control)
{
    if (control == nullptr || detail::Contains(m_mouseLeaveControls, control))
        return false;
    m_mouseLeaveControls.push_back(control);
    return true;
}

void CWindowManagerUI::StopMouseLeave(CControlUI* control)
{
    detail::EraseFirst(m_mouseLeaveControls, control);
}

} // namespace ui
