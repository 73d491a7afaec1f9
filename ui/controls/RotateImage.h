// CRotateImageUI: one image turning about the control's centre by a fixed step per timer tick, or
// standing at a fixed angle. The image comes from the skin archive, the skin folder or a plain path.
#pragma once

#include "ui/controls/Control.h"

#include <cstdint>
#include <memory>

namespace ui {

class CRotateImageUI : public CControlUI
{
public:
    // The control timer that turns the image.
    static constexpr std::uint32_t kRotationTimer = 100;

    CRotateImageUI();
    ~CRotateImageUI() override;

    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
    void OnInit() override;
    void SetVisible(bool visible = true) override;
    void SetPosition(CUIRect rect, bool needInvalidate = true) override;
    void HandleEvent(TUIEvent& event) override;
    // Draws the image turned by the current angle, in place of the background image.
    void PaintBackImage(HDC dc) override;
    void SetAttribute(const char16_t* name, const char16_t* value) override;

    // Starts timer 100 unless the interval or step is not positive, it runs already, or there is
    // no manager.
    void StartRotate();
    void StopRotate();
    // Stops and goes back to the fixed angle.
    void StopAndReset();
    bool IsRunning() const { return m_running; }

    // Ignored unless positive and different.
    void SetTimeInterval(int ms);
    int GetTimeInterval() const { return m_timeInterval; }
    // Ignored unless positive.
    void SetStepAngle(int degrees);
    int GetStepAngle() const { return m_stepAngle; }
    // Ignored when negative or unchanged; shown at once only while not rotating.
    void SetFixedAngle(int degrees);
    int GetFixedAngle() const { return m_fixedAngle; }
    int GetCurrentAngle() const { return m_currentAngle; }
    void SetStretch(bool stretch);
    bool IsStretch() const { return m_stretch; }
    void SetAutoStart(bool autoStart) { m_autoStart = autoStart; }
    bool IsAutoStart() const { return m_autoStart; }
    // A file name (not an image descriptor); the image is loaded at once.
    void SetImageFile(const char16_t* name);
    const CUIString& GetImageFile() const { return m_imageFile; }
    bool HasImage() const { return m_image != nullptr; }
    int GetImageWidth() const;
    int GetImageHeight() const;

private:
    struct TRecordDeleter
    {
        void operator()(TImageRecord* record) const;
    };

    void LoadImage();

    int m_timeInterval = 40;
    int m_stepAngle = 1;
    bool m_stretch = false;
    bool m_autoStart = true;
    int m_fixedAngle = 0;
    int m_currentAngle = 0;
    std::unique_ptr<TImageRecord, TRecordDeleter> m_image;
    CUIString m_imageFile;
    bool m_running = false;
    float m_centerX = 0;
    float m_centerY = 0;
};

} // namespace ui
