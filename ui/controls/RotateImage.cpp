// CRotateImageUI: image loading, the rotation timer and its start/stop rules, and drawing the image
// turned about the control's centre.
#include "ui/controls/RotateImage.h"

#include "ui/core/ValueParse.h"
#include "ui/manager/UIEvent.h"
#include "ui/manager/WindowManager.h"
#include "ui/render/ImageLoader.h"

#include "platform/DeviceContext.h"

namespace ui {

using markup::ParseInt;
using markup::TextEquals;

void CRotateImageUI::TRecordDeleter::operator()(TImageRecord* record) const
{
    CImageLoader::FreeImageRecord(record, true);
}

CRotateImageUI::CRotateImageUI() = default;

CRotateImageUI::~CRotateImageUI()
{
    if (m_manager)
        m_manager->KillControlTimers(this);
    m_running = false;
}

const char16_t* CRotateImageUI::GetClassName() const
{
    return u"RotateImage";
}

void* CRotateImageUI::CastTo(const char16_t* typeName)
{
    if (TextEquals(typeName, u"RotateImage"))
        return this;
    return CControlUI::CastTo(typeName);
}

void CRotateImageUI::OnInit()
{
    LoadImage();
    m_currentAngle = m_fixedAngle;
    if (m_autoStart)
        StartRotate();
}

void CRotateImageUI::SetVisible(bool visible)
{
    // Only a change of visibility starts or stops: showing a control that is already visible does
    // not restart a rotation stopped on purpose.
    if (visible != m_visible) {
        if (visible)
            StartRotate();
        else
            StopRotate();
    }
    CControlUI::SetVisible(visible);
}

void CRotateImageUI::SetPosition(CUIRect rect, bool needInvalidate)
{
    CControlUI::SetPosition(rect, needInvalidate);
    const int w = m_itemRect.Width();
    const int h = m_itemRect.Height();
    if (w > 0 && h > 0) {
        m_centerX = float(m_itemRect.left + w / 2.0);
        m_centerY = float(m_itemRect.top + h / 2.0);
    }
}

void CRotateImageUI::HandleEvent(TUIEvent& event)
{
    if (event.kind == EVT_TIMER) {
        if (event.wParam == kRotationTimer) {
            m_currentAngle = (m_currentAngle + m_stepAngle) % 360;
            Invalidate();
        } else if (m_manager) {
            m_manager->SendNotify(this, u"timer", event.wParam, event.lParam);
        }
        return;
    }
    CControlUI::HandleEvent(event);
}

void CRotateImageUI::PaintBackImage(HDC dc)
{
    if (!m_image)
        return;
    const platform::PixelBuffer pixels = m_image->View();
    if (pixels.IsEmpty())
        return;
    dc->Save();
    dc->SetTransform(platform::Transform::RotationAbout(m_centerX, m_centerY, m_currentAngle));
    const platform::RectF source{0, 0, double(pixels.width), double(pixels.height)};
    platform::RectF dest;
    if (m_stretch) {
        dest = {double(m_itemRect.left), double(m_itemRect.top), double(m_itemRect.Width()),
                double(m_itemRect.Height())};
    } else {
        dest = {m_centerX - pixels.width / 2.0, m_centerY - pixels.height / 2.0, double(pixels.width),
                double(pixels.height)};
    }
    dc->DrawImage(pixels, source, dest, platform::ImageFilter::Bilinear);
    dc->Restore();
}

void CRotateImageUI::SetAttribute(const char16_t* name, const char16_t* value)
{
    if (TextEquals(name, u"bkimage"))
        SetImageFile(value);
    else if (TextEquals(name, u"timeinterval"))
        SetTimeInterval(ParseInt(value));
    else if (TextEquals(name, u"eachtimeangle"))
        SetStepAngle(ParseInt(value));
    else if (TextEquals(name, u"stretch"))
        SetStretch(markup::ParseBool(value));
    else if (TextEquals(name, u"autostart"))
        SetAutoStart(markup::ParseBool(value));
    else if (TextEquals(name, u"fixangle"))
        SetFixedAngle(ParseInt(value));
    else
        CControlUI::SetAttribute(name, value);
}

void CRotateImageUI::StartRotate()
{
    if (m_timeInterval <= 0 || m_stepAngle <= 0 || m_running || !m_manager)
        return;
    m_manager->SetControlTimer(this, kRotationTimer, UINT(m_timeInterval));
    m_running = true;
}

void CRotateImageUI::StopRotate()
{
    if (!m_running || !m_manager)
        return;
    m_manager->KillControlTimer(this, kRotationTimer);
    m_running = false;
}

void CRotateImageUI::StopAndReset()
{
    StopRotate();
    if (m_currentAngle != m_fixedAngle) {
        m_currentAngle = m_fixedAngle;
        Invalidate();
    }
}

void CRotateImageUI::SetTimeInterval(int ms)
{
    if (ms <= 0 || ms == m_timeInterval)
        return;
    m_timeInterval = ms;
    if (m_running && m_manager) {
        m_manager->KillControlTimer(this, kRotationTimer);
        m_manager->SetControlTimer(this, kRotationTimer, UINT(m_timeInterval));
    }
}

void CRotateImageUI::SetStepAngle(int degrees)
{
    if (degrees <= 0)
        return;
    m_stepAngle = degrees;
}

void CRotateImageUI::SetFixedAngle(int degrees)
{
    if (degrees < 0 || degrees == m_fixedAngle)
        return;
    m_fixedAngle = degrees;
    if (!m_running) {
        m_currentAngle = degrees;
        Invalidate();
    }
}

void CRotateImageUI::SetStretch(bool stretch)
{
    if (stretch == m_stretch)
        return;
    m_stretch = stretch;
    Invalidate();
}

void CRotateImageUI::SetImageFile(const char16_t* name)
{
    const CUIString file(name ? name : u"");
    if (file == m_imageFile)
        return;
    m_image.reset();
    m_imageFile = file;
    LoadImage();
    Invalidate();
}

int CRotateImageUI::GetImageWidth() const
{
    return m_image ? m_image->width : 0;
}

int CRotateImageUI::GetImageHeight() const
{
    return m_image ? m_image->height : 0;
}

void CRotateImageUI::LoadImage()
{
    if (m_imageFile.IsEmpty())
        return;
    // The image loader looks in the skin archive (or the skin folder without one) and then takes the
    // name as a plain path; the record is this control's own, not the manager's table entry.
    m_image.reset(CImageLoader::LoadImageRecord(m_imageFile.CStr(), nullptr, 0));
}

} // namespace ui
