// CContainerUI: the child list and its ownership rules, placement of the plain container, subtree
// search, clipped painting and event handling. Scrolling is in ContainerScroll.cpp.
#include "ui/controls/Container.h"

#include "ui/controls/ScrollBar.h"
#include "ui/core/ValueParse.h"
#include "ui/core/Limits.h"
#include "ui/manager/UIEvent.h"
#include "ui/manager/WindowManager.h"
#include "ui/render/ClipScope.h"

#include <algorithm>

namespace ui {

namespace {

bool IsVisibleBar(const CScrollBarUI* bar)
{
    return bar && bar->IsVisible();
}

} // namespace

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI()
{
    if (m_manager)
        m_manager->RemovePostPaint(this);
    // Children of a dying container go at once: a delayed deletion would outlive their parent link.
    m_delayedDestroy = false;
    RemoveAll();
    if (m_verticalScrollBar) {
        CScrollBarUI* bar = m_verticalScrollBar;
        m_verticalScrollBar = nullptr;
        bar->DeleteSelf();
    }
    if (m_horizontalScrollBar) {
        CScrollBarUI* bar = m_horizontalScrollBar;
        m_horizontalScrollBar = nullptr;
        bar->DeleteSelf();
    }
}

const char16_t* CContainerUI::GetClassName() const
{
    return u"Container";
}

void* CContainerUI::CastTo(const char16_t* typeName)
{
    if (markup::TextEquals(typeName, u"IContainer"))
        return static_cast<IContainerUI*>(this);
    if (markup::TextEquals(typeName, u"Container"))
        return this;
    return CControlUI::CastTo(typeName);
}

// ---- child list ----------------------------------------------------------------------------------

CControlUI* CContainerUI::GetItemAt(int index) const
{
    return static_cast<CControlUI*>(m_items.GetAt(index));
}

int CContainerUI::GetItemIndex(CControlUI* control) const
{
    return m_items.IndexOf(control);
}

bool CContainerUI::SetItemIndex(CControlUI* control, int newIndex)
{
    const int index = m_items.IndexOf(control);
    if (index < 0)
        return false;
    RequestLayout();
    m_items.RemoveAt(index);
    if (m_items.InsertAt(newIndex, control))
        return true;
    // An index out of range must not lose the child: it goes back where it was.
    m_items.InsertAt(index, control);
    return false;
}

bool CContainerUI::MoveItems(CControlUI* first, int count, int newIndex)
{
    if (!first || count < 0 || newIndex < 0)
        return false;
    const int oldIndex = m_items.IndexOf(first);
    if (oldIndex == newIndex)
        return true;
    // A control that is not a child has no run to move.
    if (oldIndex < 0)
        return false;
    const int size = m_items.GetSize();
    if (count + oldIndex > size || count + newIndex > size)
        return false;
    CPtrArray run(count);
    for (int i = 0; i < count; ++i)
        run.Add(m_items[oldIndex + i]);
    m_items.RemoveAt(oldIndex, count);
    for (int i = 0; i < count; ++i) {
        if (!m_items.InsertAt(newIndex + i, run[i]))
            return false;
    }
    RequestLayout();
    return true;
}

int CContainerUI::GetCount() const
{
    return m_items.GetSize();
}

bool CContainerUI::Add(CControlUI* control)
{
    return AddAt(control, m_items.GetSize());
}

bool CContainerUI::AddAt(CControlUI* control, int index)
{
    if (!control || index < 0 || index > m_items.GetSize())
        return false;
    if (m_manager)
        m_manager->InitControlTree(control, this);
    else
        control->SetManager(nullptr, this, false);
    if (IsVisible())
        RequestLayout();
    else
        control->SetParentVisible(false);
    return m_items.InsertAt(index, control);
}

void CContainerUI::DestroyChild(CControlUI* child)
{
    if (m_delayedDestroy && m_manager)
        m_manager->QueueForDeletion(child);
    else
        child->DeleteSelf();
}

bool CContainerUI::Remove(CControlUI* control, bool keep)
{
    const int index = m_items.IndexOf(control);
    if (index < 0)
        return false;
    RequestLayout();
    // The entry goes first so that a child deleted at once is never seen in the list.
    m_items.RemoveAt(index);
    if (!keep && m_autoDestroy)
        DestroyChild(control);
    return true;
}

bool CContainerUI::RemoveAt(int index, bool keep)
{
    CControlUI* control = GetItemAt(index);
    return control && Remove(control, keep);
}

void CContainerUI::RemoveAll()
{
    CPtrArray items = m_items;
    m_items.Clear();
    if (m_autoDestroy) {
        for (int i = 0; i < items.GetSize(); ++i)
            DestroyChild(static_cast<CControlUI*>(items[i]));
    }
    RequestLayout();
}

// ---- properties ----------------------------------------------------------------------------------

CUIRect CContainerUI::GetInset() const
{
    return m_inset;
}

void CContainerUI::SetInset(CUIRect inset)
{
    m_inset = inset;
    RequestLayout();
}

int CContainerUI::GetChildPadding() const
{
    return m_childPadding;
}

void CContainerUI::SetChildPadding(int padding)
{
    m_childPadding = std::max(padding, 0);
    RequestLayout();
}

int CContainerUI::GetChildAlign() const
{
    return m_childAlign;
}

void CContainerUI::SetChildAlign(int align)
{
    m_childAlign = align;
    RequestLayout();
}

int CContainerUI::GetChildVAlign() const
{
    return m_childVAlign;
}

void CContainerUI::SetChildVAlign(int align)
{
    m_childVAlign = align;
    RequestLayout();
}

bool CContainerUI::IsAutoDestroy() const
{
    return m_autoDestroy;
}

void CContainerUI::SetAutoDestroy(bool autoDestroy)
{
    m_autoDestroy = autoDestroy;
}

bool CContainerUI::IsDelayedDestroy() const
{
    return m_delayedDestroy;
}

void CContainerUI::SetDelayedDestroy(bool delayed)
{
    m_delayedDestroy = delayed;
}

bool CContainerUI::IsMouseChildEnabled() const
{
    return m_mouseChildEnabled;
}

void CContainerUI::SetMouseChildEnabled(bool enabled)
{
    m_mouseChildEnabled = enabled;
}

int CContainerUI::FindSelectable(int index, bool forward) const
{
    const int count = m_items.GetSize();
    if (count == 0)
        return -1;
    index = std::clamp(index, 0, count - 1);
    auto selectable = [this](int i) {
        CControlUI* child = GetItemAt(i);
        return child->CastTo(u"IListItem") && child->IsVisible() && child->IsEnabled();
    };
    if (forward) {
        for (int i = index; i < count; ++i) {
            if (selectable(i))
                return i;
        }
        return -1;
    }
    for (int i = index; i >= 0; --i) {
        if (selectable(i))
            return i;
    }
    return FindSelectable(0, true);
}

// ---- overrides of the control base ---------------------------------------------------------------

void CContainerUI::SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init)
{
    for (int i = 0; i < m_items.GetSize(); ++i)
        GetItemAt(i)->SetManager(manager, this, init);
    if (m_verticalScrollBar)
        m_verticalScrollBar->SetManager(manager, this, init);
    if (m_horizontalScrollBar)
        m_horizontalScrollBar->SetManager(manager, this, init);
    CControlUI::SetManager(manager, parent, init);
}

CUIRect CContainerUI::GetContentRect() const
{
    CUIRect rc = m_itemRect;
    rc.left += m_inset.left;
    rc.top += m_inset.top;
    rc.right -= m_inset.right;
    rc.bottom -= m_inset.bottom;
    if (IsVisibleBar(m_verticalScrollBar))
        rc.right -= m_verticalScrollBar->GetFixedWidth();
    if (IsVisibleBar(m_horizontalScrollBar))
        rc.bottom -= m_horizontalScrollBar->GetFixedHeight();
    return rc;
}

void CContainerUI::SetPosition(CUIRect rect, bool needInvalidate)
{
    if (rect.Width() != m_itemRect.Width() && IsVisibleBar(m_horizontalScrollBar))
        m_horizontalScrollBar->SetScrollRange(0);
    if (rect.Height() != m_itemRect.Height() && IsVisibleBar(m_verticalScrollBar))
        m_verticalScrollBar->SetScrollRange(0);
    CControlUI::SetPosition(rect, needInvalidate);
    if (m_items.IsEmpty())
        return;

    CUIRect area = m_itemRect;
    area.left += m_inset.left;
    area.top += m_inset.top;
    area.right -= m_inset.right;
    area.bottom -= m_inset.bottom;
    if (IsVisibleBar(m_verticalScrollBar)) {
        area.top -= m_verticalScrollBar->GetScrollPos();
        area.right -= m_verticalScrollBar->GetFixedWidth();
        area.bottom += m_verticalScrollBar->GetScrollRange() - m_verticalScrollBar->GetScrollPos();
    }
    if (IsVisibleBar(m_horizontalScrollBar)) {
        area.left -= m_horizontalScrollBar->GetScrollPos();
        area.right += m_horizontalScrollBar->GetScrollRange() - m_horizontalScrollBar->GetScrollPos();
        area.bottom -= m_horizontalScrollBar->GetFixedHeight();
    }

    PlaceVisibleChildren([&](int, CControlUI& child) {
        const int width = std::min(std::max(area.Width(), child.GetMinWidth()), child.GetMaxWidth());
        const int height = std::min(std::max(area.Height(), child.GetMinHeight()), child.GetMaxHeight());
        child.PlaceByLayout({area.left, area.top, area.left + width, area.top + height});
    });
}

void CContainerUI::SetFloatChildPos(int index)
{
    CControlUI* child = GetItemAt(index);
    if (!child || !child->IsVisible() || !child->IsFloat())
        return;
    child->PlaceByLayout(child->FloatPlacement(m_itemRect.Width(), m_itemRect.Height()));
}

void CContainerUI::Offset(int dx, int dy, bool needInvalidate)
{
    CControlUI::Offset(dx, dy, needInvalidate);
    if (IsVisibleBar(m_verticalScrollBar))
        m_verticalScrollBar->Offset(dx, dy, false);
    if (IsVisibleBar(m_horizontalScrollBar))
        m_horizontalScrollBar->Offset(dx, dy, false);
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (child->IsVisible())
            child->Offset(dx, dy, false);
    }
}

void CContainerUI::SetVisible(bool visible)
{
    if (visible == m_visible)
        return;
    CControlUI::SetVisible(visible);
    for (int i = 0; i < m_items.GetSize(); ++i)
        GetItemAt(i)->SetParentVisible(IsVisible());
}

void CContainerUI::SetParentVisible(bool visible)
{
    CControlUI::SetParentVisible(visible);
    for (int i = 0; i < m_items.GetSize(); ++i)
        GetItemAt(i)->SetParentVisible(IsVisible());
}

void CContainerUI::SetMouseEnabled(bool enabled)
{
    if (m_verticalScrollBar)
        m_verticalScrollBar->SetMouseEnabled(enabled);
    if (m_horizontalScrollBar)
        m_horizontalScrollBar->SetMouseEnabled(enabled);
    CControlUI::SetMouseEnabled(enabled);
}

CControlUI* CContainerUI::FindControl(FindControlProc proc, void* data, std::uint32_t flags)
{
    if ((flags & FIND_VISIBLE) && !IsVisible())
        return nullptr;
    if ((flags & FIND_ENABLED) && !IsEnabled())
        return nullptr;
    const bool hitTest = (flags & FIND_HITTEST) != 0;
    if (hitTest && !m_itemRect.Contains(*static_cast<const CUIPoint*>(data)))
        return nullptr;
    if ((flags & FIND_UPDATETEST) && proc(this, data))
        return nullptr;

    CControlUI* result = nullptr;
    if ((flags & FIND_MEFIRST) && (!hitTest || m_mouseEnabled))
        result = proc(this, data);
    if (!result && m_overlay && (!hitTest || m_mouseChildEnabled))
        result = m_overlay->FindControl(proc, data, flags);
    if (!result && m_verticalScrollBar && (!hitTest || m_mouseEnabled))
        result = m_verticalScrollBar->FindControl(proc, data, flags);
    if (!result && m_horizontalScrollBar && (!hitTest || m_mouseEnabled))
        result = m_horizontalScrollBar->FindControl(proc, data, flags);
    if (result)
        return result;

    if (!hitTest || m_mouseChildEnabled) {
        const CUIRect content = GetContentRect();
        auto accept = [&](CControlUI* found) {
            return found && (!hitTest || found->IsFloat() || content.Contains(*static_cast<const CUIPoint*>(data)));
        };
        const int count = m_items.GetSize();
        if (flags & FIND_TOPFIRST) {
            for (int i = count - 1; i >= 0; --i) {
                CControlUI* found = GetItemAt(i)->FindControl(proc, data, flags);
                if (accept(found))
                    return found;
            }
        } else {
            for (int i = 0; i < count; ++i) {
                CControlUI* found = GetItemAt(i)->FindControl(proc, data, flags);
                if (accept(found))
                    return found;
            }
        }
    }

    if (!(flags & FIND_MEFIRST) && (!hitTest || m_mouseEnabled))
        result = proc(this, data);
    return result;
}

void CContainerUI::HandleEvent(TUIEvent& event)
{
    if (RouteMouseToParent(event, [this](TUIEvent& e) { CControlUI::HandleEvent(e); }))
        return;
    switch (event.kind) {
    case EVT_SET_FOCUS:
        m_focused = true;
        return;
    case EVT_KILL_FOCUS:
        m_focused = false;
        return;
    case EVT_KEY_DOWN:
        if (IsKeyboardEnabled() && IsEnabled()) {
            auto usable = [](CScrollBarUI* bar) { return IsVisibleBar(bar) && bar->IsEnabled(); };
            if (usable(m_verticalScrollBar)) {
                switch (event.keyChar) {
                case VK_PRIOR:
                    PageUp();
                    return;
                case VK_NEXT:
                    PageDown();
                    return;
                case VK_HOME:
                    HomeUp();
                    return;
                case VK_END:
                    EndDown();
                    return;
                case VK_UP:
                    LineUp();
                    return;
                case VK_DOWN:
                    LineDown();
                    return;
                default:
                    break;
                }
            } else if (usable(m_horizontalScrollBar)) {
                switch (event.keyChar) {
                case VK_PRIOR:
                    PageLeft();
                    return;
                case VK_NEXT:
                    PageRight();
                    return;
                case VK_HOME:
                    HomeLeft();
                    return;
                case VK_END:
                    EndRight();
                    return;
                case VK_UP:
                    LineLeft();
                    return;
                case VK_DOWN:
                    LineRight();
                    return;
                default:
                    break;
                }
            }
        }
        break;
    case EVT_SCROLL_WHEEL: {
        auto usable = [](CScrollBarUI* bar) { return IsVisibleBar(bar) && bar->IsEnabled(); };
        const bool towardsBottom = (event.wParam & 0xFFFF) == 1;
        const bool towardsTop = (event.wParam & 0xFFFF) == 0;
        if (usable(m_horizontalScrollBar) && m_horizontalScrollBar->GetPosition().Contains(event.point)) {
            if (towardsTop)
                LineLeft();
            else if (towardsBottom)
                LineRight();
            return;
        }
        if (usable(m_verticalScrollBar)) {
            if (towardsTop)
                LineUp();
            else if (towardsBottom)
                LineDown();
            return;
        }
        if (usable(m_horizontalScrollBar)) {
            if (towardsTop)
                LineLeft();
            else if (towardsBottom)
                LineRight();
            return;
        }
        break;
    }
    default:
        break;
    }
    CControlUI::HandleEvent(event);
}

void CContainerUI::SetAttribute(const char16_t* name, const char16_t* value)
{
    using namespace markup;
    if (!value)
        value = u"";
    if (TextEquals(name, u"inset")) {
        SetInset(ParseRect(value));
    } else if (TextEquals(name, u"mousechild")) {
        SetMouseChildEnabled(ParseBool(value));
    } else if (TextEquals(name, u"vscrollbar")) {
        EnableScrollBar(ParseBool(value), m_horizontalScrollBar != nullptr);
    } else if (TextEquals(name, u"vscrollbarstyle")) {
        if (m_verticalScrollBar)
            m_verticalScrollBar->ApplyAttributeList(value);
    } else if (TextEquals(name, u"hscrollbar")) {
        EnableScrollBar(m_verticalScrollBar != nullptr, ParseBool(value));
    } else if (TextEquals(name, u"hscrollbarstyle")) {
        if (m_horizontalScrollBar)
            m_horizontalScrollBar->ApplyAttributeList(value);
    } else if (TextEquals(name, u"childpadding")) {
        SetChildPadding(ParseCoordinate(value));
    } else if (TextEquals(name, u"childalign")) {
        if (TextEquals(value, u"left"))
            m_childAlign = DT_LEFT;
        else if (TextEquals(value, u"center"))
            m_childAlign = DT_CENTER;
        else if (TextEquals(value, u"right"))
            m_childAlign = DT_RIGHT;
    } else if (TextEquals(name, u"childvalign")) {
        if (TextEquals(value, u"top"))
            m_childVAlign = DT_TOP;
        else if (TextEquals(value, u"vcenter"))
            m_childVAlign = DT_VCENTER;
        else if (TextEquals(value, u"bottom"))
            m_childVAlign = DT_BOTTOM;
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

// ---- painting ------------------------------------------------------------------------------------

bool CContainerUI::PaintContent(HDC dc, const CUIRect& paintRect, CControlUI* stop)
{
    auto overlaps = [](CUIRect a, const CUIRect& b) { return a.Intersect(b); };
    CUIRect visiblePart = paintRect;
    if (!visiblePart.Intersect(m_itemRect))
        return true;
    CClipScope outerClip;
    outerClip.ClipToRect(dc, visiblePart);
    CControlUI::PaintContent(dc, paintRect, stop);

    if (!m_items.IsEmpty()) {
        const CUIRect content = GetContentRect();
        CUIRect childArea = paintRect;
        const bool reachesContent = childArea.Intersect(content);
        CClipScope innerClip;
        if (reachesContent)
            innerClip.ClipToRect(dc, childArea);
        for (int i = 0; i < m_items.GetSize(); ++i) {
            CControlUI* child = GetItemAt(i);
            if (child == stop)
                return false;
            if (!child->IsVisible() || !overlaps(paintRect, child->GetPosition()))
                continue;
            if (child->IsFloat()) {
                // Floating children may draw over the inset and the scroll bars.
                if (!overlaps(m_itemRect, child->GetPosition()))
                    continue;
                if (reachesContent)
                    innerClip.UseOuterClip();
                const bool goOn = child->Paint(dc, paintRect, stop);
                if (reachesContent)
                    innerClip.UseInnerClip();
                if (!goOn)
                    return false;
                continue;
            }
            if (!reachesContent || !overlaps(content, child->GetPosition()))
                continue;
            if (!child->Paint(dc, paintRect, stop))
                return false;
        }
    }

    for (CScrollBarUI* bar : {m_verticalScrollBar, m_horizontalScrollBar}) {
        if (!bar)
            continue;
        if (bar == stop)
            return false;
        if (bar->IsVisible() && overlaps(paintRect, bar->GetPosition()) && !bar->Paint(dc, paintRect, stop))
            return false;
    }
    return true;
}

bool CContainerUI::PostPaint(HDC dc, const CUIRect& paintRect)
{
    if (m_scrollToEndPending) {
        const CUISize pos = GetScrollPos();
        const CUISize range = GetScrollRange();
        SetScrollPos({pos.cx, range.cy}, true);
        m_scrollToEndPending = false;
        if (m_manager)
            m_manager->RemovePostPaint(this);
    }
    return CControlUI::PostPaint(dc, paintRect);
}

// ---- descendants by name -------------------------------------------------------------------------

CControlUI* CContainerUI::FindSubControl(const char16_t* name)
{
    if (!m_manager)
        return nullptr;
    return m_manager->SubControlByName(this, name);
}

bool CContainerUI::SetSubControlText(const char16_t* name, const char16_t* text)
{
    CControlUI* control = FindSubControl(name);
    if (!control)
        return false;
    control->SetText(text);
    return true;
}

bool CContainerUI::SetSubControlFixedWidth(const char16_t* name, int cx)
{
    CControlUI* control = FindSubControl(name);
    if (!control)
        return false;
    control->SetFixedWidth(cx);
    return true;
}

bool CContainerUI::SetSubControlFixedHeight(const char16_t* name, int cy)
{
    CControlUI* control = FindSubControl(name);
    if (!control)
        return false;
    control->SetFixedHeight(cy);
    return true;
}

bool CContainerUI::SetSubControlUserData(const char16_t* name, const char16_t* text)
{
    CControlUI* control = FindSubControl(name);
    if (!control)
        return false;
    control->SetUserData(text);
    return true;
}

CUIString CContainerUI::GetSubControlText(const char16_t* name)
{
    CControlUI* control = FindSubControl(name);
    return control ? control->GetText() : CUIString();
}

int CContainerUI::GetSubControlFixedWidth(const char16_t* name)
{
    CControlUI* control = FindSubControl(name);
    return control ? control->GetFixedWidth() : -1;
}

int CContainerUI::GetSubControlFixedHeight(const char16_t* name)
{
    CControlUI* control = FindSubControl(name);
    return control ? control->GetFixedHeight() : -1;
}

CUIString CContainerUI::GetSubControlUserData(const char16_t* name)
{
    CControlUI* control = FindSubControl(name);
    return control ? control->GetUserData() : CUIString();
}

} // namespace ui
