// Device contexts over GDI. The target is a top-down 32-bit DIB section (or pixels of the same
// layout owned elsewhere) that the shared fills and blits write directly. GDI's own drawing, pens
// and text, writes no alpha; it goes into a coverage mask of the shape's box and is composed from
// there under the clip region, so the clip stays exactly the platform's Region and alpha comes out
// right. Wide lines and dashed rounded rectangles are GDI's (ExtCreatePen). One-pixel lines,
// dashed frames and solid outlines are the shared pixel pens' (DeviceContextState.h): GDI's
// built-in styled pens differ between implementations of GDI in dash lengths and phase (Wine's
// from Windows's) where the shared ones draw Windows's, and solid outlines as region rings match
// the rounded clip regions of the same rectangle pixel for pixel, which GDI's RoundRect does not.
// Vector operations are GDI+'s (DeviceContextVector.cpp).
#include "platform/DeviceContext.h"

#include <algorithm>

#include "platform/gdi/DeviceContextImpl.h"
#include "platform/gdi/GdiShared.h"

namespace platform {

DeviceContextState& StateOf(DeviceContext::Impl& impl)
{
    return impl;
}

DeviceContext::DeviceContext(Surface& target) : m_impl(std::make_unique<Impl>())
{
    m_impl->target = &target;
    if (target.IsValid())
        m_impl->deviceBounds = {0, 0, target.Width(), target.Height()};
    m_impl->ResetBounds();
    m_impl->font = Font::DefaultGui();
}

DeviceContext::DeviceContext(const PixelBuffer& target) : m_impl(std::make_unique<Impl>())
{
    // Drawn in place: every operation works on the pixels themselves, so pixels owned elsewhere
    // need no copy.
    m_impl->owned = Surface::Wrap(target);
    m_impl->target = &m_impl->owned;
    if (m_impl->owned.IsValid())
        m_impl->deviceBounds = {0, 0, target.width, target.height};
    m_impl->ResetBounds();
    m_impl->font = Font::DefaultGui();
}

DeviceContext::~DeviceContext()
{
    // Whoever reads the pixels next must see everything drawn.
    ::GdiFlush();
}

bool DeviceContext::IsValid() const
{
    return !m_impl->bounds.IsEmpty();
}

PixelBuffer DeviceContext::Pixels() const
{
    return IsValid() ? m_impl->target->Pixels() : PixelBuffer{};
}

// ---------------------------------------------------------------------------------------------
// Pens
// ---------------------------------------------------------------------------------------------

namespace {

struct DeleteObjectOnExit
{
    HGDIOBJ object;
    ~DeleteObjectOnExit()
    {
        if (object)
            ::DeleteObject(object);
    }
};

// The GDI pen for `pen`, white (the mask's ink): GDI's cosmetic styled pen, or for a wide pen a
// geometric one with round ends and joins (a wider pen of a dashed style draws solid, as GDI's
// CreatePen has it).
HPEN CreateMaskPen(const Pen& pen)
{
    LOGBRUSH brush{BS_SOLID, RGB(255, 255, 255), 0};
    const int style = pen.style & PS_STYLE_MASK;
    if (pen.width <= 1) {
        const bool known =
            style == PS_SOLID || style == PS_DASH || style == PS_DOT || style == PS_DASHDOT || style == PS_DASHDOTDOT;
        return ::ExtCreatePen(PS_COSMETIC | (known ? style : PS_SOLID), 1, &brush, 0, nullptr);
    }
    return ::ExtCreatePen(PS_GEOMETRIC | (style == PS_INSIDEFRAME ? PS_INSIDEFRAME : PS_SOLID) | PS_ENDCAP_ROUND |
                              PS_JOIN_ROUND,
                          DWORD(pen.width), &brush, 0, nullptr);
}

// Draws with the pen into a mask over `box` (cut to the clip) and composes the pen's colour.
template <typename Draw> void StrokeWithPen(const DeviceContextState& state, const Rect& box, const Pen& pen, Draw draw)
{
    const Rect visible = box.Intersect(state.clip.Bounds());
    if (visible.IsEmpty())
        return;
    const gdi::CoverageMask mask(visible, state.scale);
    if (!mask.IsValid())
        return;
    const DeleteObjectOnExit gdiPen{CreateMaskPen(pen)};
    if (!gdiPen.object)
        return;
    const gdi::Selection penSelected(mask.Dc(), gdiPen.object);
    const gdi::Selection brushSelected(mask.Dc(), ::GetStockObject(NULL_BRUSH));
    draw(mask.Dc());
    mask.ComposeInto(state.BeginPixels(), state.DeviceClip(), pen.color);
    state.EndPixels();
}

// A figure's box grown by the reach of a wide pen on either side.
Rect PenBox(const Rect& r, const Pen& pen)
{
    const int reach = pen.width / 2 + 2;
    return r.Inflate(reach, reach);
}

} // namespace

void DeviceContext::DrawLine(int x1, int y1, int x2, int y2, const Pen& pen)
{
    if (!IsValid() || pen.style == PS_NULL || (x1 == x2 && y1 == y2))
        return;
    const Rect box{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) + 1, std::max(y1, y2) + 1};
    if (pen.width <= 1) {
        DrawPixelLine(*m_impl, x1, y1, x2, y2, pen);
        return;
    }
    StrokeWithPen(*m_impl, PenBox(box, pen), pen, [&](HDC dc) {
        ::MoveToEx(dc, x1, y1, nullptr);
        ::LineTo(dc, x2, y2);
    });
}

void DeviceContext::DrawRect(const Rect& rect, const Pen& pen)
{
    const Rect r = Normalized(rect);
    if (!IsValid() || pen.style == PS_NULL || r.IsEmpty())
        return;
    if (!PenPattern(pen).empty())
        DrawPixelFrame(*m_impl, r, pen);
    else
        FillRegion(FrameRing(r, pen), pen.color | 0xFF000000);
}

void DeviceContext::DrawRoundRect(const Rect& rect, int ellipseWidth, int ellipseHeight, const Pen& pen)
{
    const Rect r = Normalized(rect);
    if (!IsValid() || pen.style == PS_NULL || r.IsEmpty())
        return;
    if (PenPattern(pen).empty()) {
        FillRegion(RoundFrameRing(r, ellipseWidth, ellipseHeight, pen), pen.color | 0xFF000000);
        return;
    }
    // Dashed curves: GDI's own styled pen along RoundRect's outline.
    StrokeWithPen(*m_impl, PenBox(r, pen), pen,
                  [&](HDC dc) { ::RoundRect(dc, r.left, r.top, r.right, r.bottom, ellipseWidth, ellipseHeight); });
}

// ---------------------------------------------------------------------------------------------
// Text
// ---------------------------------------------------------------------------------------------

namespace {

// A laid-out line as DrawTextW takes it: "&" doubled, the mnemonic marked with one.
std::u16string WithPrefixMark(const TextLine& line)
{
    std::u16string out;
    out.reserve(line.text.size() + 2);
    for (std::size_t i = 0; i < line.text.size(); ++i) {
        if (int(i) == line.prefixIndex)
            out += u'&';
        out += line.text[i];
        if (line.text[i] == u'&')
            out += u'&';
    }
    return out;
}

} // namespace

void DeviceContext::DrawTextLayout(const TextLayout& layout)
{
    if (!IsValid() || layout.Lines().empty())
        return;
    const Region clip = (layout.Format() & DT_NOCLIP) ? m_impl->clip : m_impl->clip.Intersect(layout.Bounds());
    if (clip.IsEmpty())
        return;
    // Ink may stand out of a line's box (italic overhangs, accents): the mask reaches a little beyond.
    const TextMetrics& metrics = layout.GetFont().Metrics();
    const int reach = metrics.maxCharWidth;
    Rect box = layout.Lines().front().rect;
    for (const TextLine& line : layout.Lines())
        box = {std::min(box.left, line.rect.left), std::min(box.top, line.rect.top),
               std::max(box.right, line.rect.right), std::max(box.bottom, line.rect.bottom)};
    const gdi::CoverageMask mask(box.Inflate(reach, reach).Intersect(clip.Bounds()), m_impl->scale);
    if (!mask.IsValid())
        return;
    const gdi::Selection font(mask.Dc(), gdi::FontHandle(layout.GetFont()));
    for (const TextLine& line : layout.Lines()) {
        if (line.text.empty() || !clip.Intersects(line.rect.Inflate(reach, 0)))
            continue;
        // Each line is placed by the layout; DrawTextW draws it as one line there, with its
        // mnemonic underlined and tabs expanded as the layout measured them.
        const std::u16string text = line.prefixIndex >= 0 ? WithPrefixMark(line) : line.text;
        const UINT format =
            DT_SINGLELINE | DT_LEFT | DT_TOP | DT_NOCLIP | DT_EXPANDTABS | (line.prefixIndex >= 0 ? 0 : DT_NOPREFIX);
        RECT at{line.rect.left, line.rect.top, line.rect.right, line.rect.bottom};
        ::DrawTextW(mask.Dc(), Win32Text(text.c_str()), int(text.size()), &at, format);
    }
    mask.ComposeInto(m_impl->BeginPixels(), m_impl->scale == 1.0 ? clip : clip.Scaled(m_impl->scale),
                     m_impl->textColor);
    m_impl->EndPixels();
}

} // namespace platform
