// CChrysanthemumLoadingUI: the spoke and colour tables, frame rendering into the offscreen surface,
// and the animation timer that follows the control's visibility.
#include "ui/controls/ChrysanthemumLoading.h"

#include "ui/core/ValueParse.h"
#include "ui/core/Limits.h"
#include "ui/manager/UIEvent.h"
#include "ui/manager/WindowManager.h"

#include "platform/DeviceContext.h"
#include "platform/WindowSystem.h"

#include <algorithm>
#include <cmath>

namespace ui {

using markup::ParseCoordinate;
using markup::ParseInt;
using markup::TextEquals;

namespace {

// The angle conversion uses 3.14 rather than pi, so a full turn of positions falls slightly short of
// 360 degrees on screen; the look of the ring depends on it.
constexpr float kHalfTurn = 3.14f;

} // namespace

CChrysanthemumLoadingUI::CChrysanthemumLoadingUI() = default;

CChrysanthemumLoadingUI::~CChrysanthemumLoadingUI()
{
    StopTimer();
}

const char16_t* CChrysanthemumLoadingUI::GetClassName() const
{
    return u"ChrysanthemumLoading";
}

void* CChrysanthemumLoadingUI::CastTo(const char16_t* typeName)
{
    if (TextEquals(typeName, u"ChrysanthemumLoading"))
        return this;
    return CControlUI::CastTo(typeName);
}

void CChrysanthemumLoadingUI::StartTimer()
{
    if (m_manager)
        m_manager->SetControlTimer(this, kAnimationTimer, UINT(m_timeInterval));
}

void CChrysanthemumLoadingUI::StopTimer()
{
    if (m_manager)
        m_manager->KillControlTimer(this, kAnimationTimer);
}

void CChrysanthemumLoadingUI::OnInit()
{
    BuildTables();
    StartTimer();
}

void CChrysanthemumLoadingUI::SetVisible(bool visible)
{
    if (visible && m_manager)
        StartTimer();
    else if (!visible)
        StopTimer();
    CControlUI::SetVisible(visible);
}

void CChrysanthemumLoadingUI::SetPosition(CUIRect rect, bool needInvalidate)
{
    CControlUI::SetPosition(rect, needInvalidate);
    BuildTables();
}

void CChrysanthemumLoadingUI::HandleEvent(TUIEvent& event)
{
    if (event.kind == EVT_TIMER) {
        if (event.wParam == kAnimationTimer) {
            RenderFrame();
            Invalidate();
        } else if (m_manager) {
            m_manager->SendNotify(this, u"timer", event.wParam, event.lParam);
        }
        return;
    }
    CControlUI::HandleEvent(event);
}

bool CChrysanthemumLoadingUI::PaintContent(HDC dc, const CUIRect& /*paintRect*/, CControlUI* /*stop*/)
{
    if (!IsVisible())
        return true;
    // The frame is drawn at the context's device resolution, so the spokes stay sharp when scaled.
    if (!m_frame || dc->Scale() != m_frameScale) {
        m_frameScale = dc->Scale();
        BuildTables();
    }
    if (m_frame && m_frame->IsValid()) {
        const int x = m_frameOrigin.x, y = m_frameOrigin.y;
        dc->AlphaBlend({x, y, x + m_frameSize.cx, y + m_frameSize.cy}, m_frame->Pixels(),
                       {0, 0, m_frame->Width(), m_frame->Height()}, 255);
    }
    return true;
}

void CChrysanthemumLoadingUI::SetAttribute(const char16_t* name, const char16_t* value)
{
    if (TextEquals(name, u"timeinterval")) {
        SetTimeInterval(ParseInt(value));
    } else if (TextEquals(name, u"spokenum")) {
        SetSpokeCount(ParseInt(value));
    } else if (TextEquals(name, u"thickness")) {
        SetThickness(ParseCoordinate(value));
    } else if (TextEquals(name, u"outradius")) {
        SetOuterRadius(ParseCoordinate(value));
    } else if (TextEquals(name, u"innerradius")) {
        SetInnerRadius(ParseCoordinate(value));
    } else if (TextEquals(name, u"bkcolor")) {
        m_backColor = markup::ParseColor(value);
    } else if (TextEquals(name, u"spokecolor")) {
        SetSpokeColor(markup::ParseColor(value));
    } else if (TextEquals(name, u"align")) {
        if (TextEquals(value, u"left") || TextEquals(value, u"center") || TextEquals(value, u"right")) {
            m_textStyle &= ~0x3u;
            if (TextEquals(value, u"center"))
                m_textStyle |= 0x1;
            else if (TextEquals(value, u"right"))
                m_textStyle |= 0x2;
        }
    } else if (TextEquals(name, u"valign")) {
        if (TextEquals(value, u"top") || TextEquals(value, u"vcenter") || TextEquals(value, u"bottom")) {
            m_textStyle &= ~0xCu;
            if (TextEquals(value, u"vcenter"))
                m_textStyle |= 0x4;
            else if (TextEquals(value, u"bottom"))
                m_textStyle |= 0x8;
        }
    } else if (TextEquals(name, u"textcolor")) {
        SetTextColor(markup::ParseBorderColor(value));
    } else if (TextEquals(name, u"rhaa")) {
        SetRenderingHint(ParseInt(value));
    } else if (TextEquals(name, u"multiline")) {
        if (markup::ParseBool(value)) {
            m_textStyle &= ~0x20u;
            m_textStyle |= 0x10;
        } else {
            m_textStyle |= 0x20;
        }
    } else if (TextEquals(name, u"font")) {
        SetFont(ParseInt(value));
    } else if (TextEquals(name, u"textpadding")) {
        SetTextPadding(markup::ParseRect(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

void CChrysanthemumLoadingUI::SetTimeInterval(int ms)
{
    if (ms == m_timeInterval)
        return;
    m_timeInterval = ms;
    if (m_manager) {
        StopTimer();
        StartTimer();
    }
}

void CChrysanthemumLoadingUI::SetSpokeCount(int count)
{
    // Each spoke keeps a colour and an angle; the count is bounded so a skin cannot ask for gigabytes.
    count = std::min(count, limits::kMaxSpokes);
    if (count < 1 || count == m_spokeCount)
        return;
    m_spokeCount = count;
    BuildTables();
}

void CChrysanthemumLoadingUI::SetSpokeColor(std::uint32_t color)
{
    if (color == m_spokeColor)
        return;
    m_spokeColor = color;
    BuildTables();
}

void CChrysanthemumLoadingUI::BuildTables()
{
    const int n = m_spokeCount;
    if (n <= 0)
        return;
    m_angles.assign(std::size_t(n), 0.0);
    const double step = 360.0 / n;
    m_angles[0] = step;
    for (int i = 1; i < n; ++i)
        m_angles[std::size_t(i)] = m_angles[std::size_t(i) - 1] + step;

    m_colors.assign(std::size_t(n), 0xFF000000u);
    const std::uint8_t alphaStep = std::uint8_t(255 / n);
    std::uint8_t alpha = 0;
    m_colors[0] = m_spokeColor;
    for (int i = 1; i < n; ++i) {
        alpha = std::uint8_t(alpha + alphaStep);
        m_colors[std::size_t(i)] = (std::uint32_t(alpha) << 24) | (m_spokeColor & 0x00FFFFFFu);
    }
    RenderFrame();
}

void CChrysanthemumLoadingUI::RenderFrame()
{
    const int n = m_spokeCount;
    if (n <= 0 || m_angles.size() != std::size_t(n))
        return;
    m_startIndex = (m_startIndex + 1) % n;

    if (m_manager && m_manager->Window()) {
        platform::WindowSystem& windows = platform::Windows();
        const HWND window = m_manager->Window();
        if (!(windows.GetWindowLongPtr(window, GWL_STYLE) & WS_VISIBLE) || windows.IsIconic(window))
            return;
    }
    if (!IsVisible())
        return;

    // The frame covers only the part of the control inside the window: nothing outside it can ever
    // be seen, and a control far larger than its window would otherwise be redrawn in full on every
    // tick. Every frame is a picture of that whole part, so one beyond the image limits shows no
    // frame rather than clearing gigabytes ten times a second.
    CUIRect area = m_itemRect;
    if (m_manager && m_manager->Window()) {
        const CUISize client = m_manager->ClientSize();
        if (!area.Intersect(CUIRect(0, 0, client.cx, client.cy))) {
            m_frame.reset();
            return;
        }
    }
    const int w = area.Width();
    const int h = area.Height();
    if (w <= 0 || h <= 0 || w > limits::kMaxImageSide || h > limits::kMaxImageSide ||
        std::int64_t(w) * std::int64_t(h) > limits::kMaxImagePixels) {
        m_frame.reset();
        return;
    }
    m_frameOrigin = CUIPoint(area.left, area.top);
    // Drawing happens in frame coordinates; the spokes turn about the control's own centre.
    const int dx = m_itemRect.left - area.left;
    const int dy = m_itemRect.top - area.top;
    m_centerX = m_itemRect.Width() / 2;
    m_centerY = m_itemRect.Height() / 2;
    m_frame.reset();
    m_frameSize = CUISize(w, h);
    auto frame = std::make_unique<platform::Surface>(
        platform::Surface::Create(platform::ScaleEdge(w, m_frameScale), platform::ScaleEdge(h, m_frameScale)));
    if (!frame->IsValid())
        return;
    frame->Clear(m_backColor);
    {
        platform::DeviceContext dc(*frame);
        dc.SetScale(m_frameScale);
        int i = m_startIndex;
        for (int j = 0; j < n; ++j) {
            i %= n;
            const float a = kHalfTurn * float(m_angles[std::size_t(i)]) / 180.0f;
            const float cosA = std::cos(a);
            const float sinA = std::sin(a);
            const float cx = float(m_centerX + dx), cy = float(m_centerY + dy);
            const platform::PointF inner{m_innerRadius * cosA + cx, m_innerRadius * sinA + cy};
            const platform::PointF outer{m_outerRadius * cosA + cx, m_outerRadius * sinA + cy};
            dc.DrawLineAA(inner, outer, m_thickness, m_colors[std::size_t(j)], platform::LineCap::Round);
            ++i;
        }

        if (!m_text.IsEmpty() && m_manager) {
            CUIString caption = m_text;
            CWindowManagerUI::ExpandLanguageTokens(caption);
            platform::StringFormat format;
            format.lineAlign = (m_textStyle & 0x4)   ? platform::TextAlign::Center
                               : (m_textStyle & 0x8) ? platform::TextAlign::Far
                                                     : platform::TextAlign::Near;
            format.align = (m_textStyle & 0x1)   ? platform::TextAlign::Center
                           : (m_textStyle & 0x2) ? platform::TextAlign::Far
                                                 : platform::TextAlign::Near;
            format.noWrap = (m_textStyle & 0x20) != 0;
            format.antialias = m_renderingHint != 1 && m_renderingHint != 2;
            const double fullW = m_itemRect.Width(), fullH = m_itemRect.Height();
            const platform::RectF layout{double(dx + m_textPadding.left), double(dy + m_textPadding.top),
                                         fullW - m_textPadding.right - m_textPadding.left,
                                         fullH - m_textPadding.bottom - m_textPadding.top};
            dc.DrawString(caption.CStr(), caption.Length(), m_manager->LookupFont(m_font), layout, format,
                          platform::Brush::Solid(m_textColor));
        }
    }
    m_frame = std::move(frame);
}

} // namespace ui
