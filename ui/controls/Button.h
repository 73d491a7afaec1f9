// CButtonUI: a label that reacts to the mouse and the keyboard. It tracks hot, pushed, focused and
// disabled states, paints state images, colours and borders, can cross-fade between its normal and
// hot images, and sends "click", "mouseenter", "mouseleave" and "menu".
#pragma once

#include "ui/controls/Label.h"

#include <cstdint>

namespace ui {

// Bits of the button state.
constexpr std::uint32_t UISTATE_FOCUSED = 0x01;
constexpr std::uint32_t UISTATE_DISABLED = 0x04;
constexpr std::uint32_t UISTATE_HOT = 0x08;
constexpr std::uint32_t UISTATE_PUSHED = 0x10;
constexpr std::uint32_t UISTATE_CAPTURED = 0x40; // the press began on the button

class CButtonUI : public CLabelUI
{
public:
    // The control timer that steps the cross-fade, and its period.
    static constexpr std::uint32_t kFadeTimer = 11;
    static constexpr UINT kFadePeriodMs = 30;

    CButtonUI();

    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
    std::uint32_t GetControlFlags() const override;
    // The base check, then "click".
    bool Activate() override;
    void SetEnabled(bool enabled = true) override;
    void HandleEvent(TUIEvent& event) override;
    void SetAttribute(const char16_t* name, const char16_t* value) override;
    void PaintBackColor(HDC dc) override;
    void PaintStateImage(HDC dc) override;
    void PaintText(HDC dc) override;
    void PaintBorder(HDC dc) override;

    // ---- state images (descriptor texts) ----
    const char16_t* GetNormalImage() const { return m_normalImage.text.CStr(); }
    void SetNormalImage(const char16_t* descriptor);
    const char16_t* GetHotImage() const { return m_hotImage.text.CStr(); }
    void SetHotImage(const char16_t* descriptor);
    const char16_t* GetHotForeImage() const { return m_hotForeImage.text.CStr(); }
    void SetHotForeImage(const char16_t* descriptor);
    const char16_t* GetPushedImage() const { return m_pushedImage.text.CStr(); }
    void SetPushedImage(const char16_t* descriptor);
    const char16_t* GetPushedForeImage() const { return m_pushedForeImage.text.CStr(); }
    void SetPushedForeImage(const char16_t* descriptor);
    const char16_t* GetFocusedImage() const { return m_focusedImage.text.CStr(); }
    void SetFocusedImage(const char16_t* descriptor);
    const char16_t* GetDisabledImage() const { return m_disabledImage.text.CStr(); }
    void SetDisabledImage(const char16_t* descriptor);
    // One image with five equal cells side by side: normal, pushed, hot, focused, disabled.
    void SetFiveStatusImage(const char16_t* descriptor);
    const TImageDescriptor& GetNormalImageDescriptor() const { return m_normalImage; }
    const TImageDescriptor& GetPushedImageDescriptor() const { return m_pushedImage; }
    const TImageDescriptor& GetHotImageDescriptor() const { return m_hotImage; }
    const TImageDescriptor& GetFocusedImageDescriptor() const { return m_focusedImage; }
    const TImageDescriptor& GetDisabledImageDescriptor() const { return m_disabledImage; }

    // Opacity step of the cross-fade per timer tick; 0 switches images at once.
    void SetFadeDelta(std::uint8_t delta) { m_fadeDelta = delta; }
    std::uint8_t GetFadeDelta() const { return m_fadeDelta; }
    // Opacity of the normal image in the running cross-fade (255: normal only, 0: hot only).
    std::uint8_t GetFadeAlpha() const { return m_fadeAlpha; }

    // ---- state colours (0 = not set) ----
    void SetHotBkColor(std::uint32_t color) { m_hotBackColor = color; }
    std::uint32_t GetHotBkColor() const { return m_hotBackColor; }
    void SetHotTextColor(std::uint32_t color) { m_hotTextColor = color; }
    std::uint32_t GetHotTextColor() const { return m_hotTextColor; }
    void SetHotBorderColor(std::uint32_t color) { m_hotBorderColor = color; }
    std::uint32_t GetHotBorderColor() const { return m_hotBorderColor; }
    void SetPushedTextColor(std::uint32_t color) { m_pushedTextColor = color; }
    std::uint32_t GetPushedTextColor() const { return m_pushedTextColor; }
    void SetFocusedTextColor(std::uint32_t color) { m_focusedTextColor = color; }
    std::uint32_t GetFocusedTextColor() const { return m_focusedTextColor; }
    void SetFocusedBkColor(std::uint32_t color) { m_focusedBackColor = color; }
    std::uint32_t GetFocusedBkColor() const { return m_focusedBackColor; }

    // "arrow" or "hand"; applied at once when the mouse is over the enabled button.
    void SetCursor(const char16_t* cursor);
    const CUIString& GetCursor() const { return m_cursor; }

    std::uint32_t GetButtonState() const { return m_buttonState; }

protected:
    // Reset, store and invalidate, unless the text is unchanged and the image is already loaded.
    void AssignImage(TImageDescriptor& descriptor, const char16_t* text);
    // Draws a descriptor with the given opacity; false when it produced no image.
    bool DrawImageFaded(HDC dc, TImageDescriptor& descriptor, std::uint8_t fade);
    // The normal image, cross-faded with the hot image while a fade runs, then the fore image.
    void PaintNormalState(HDC dc);
    // Re-reads focus and enablement into the state bits.
    void RefreshState();
    // The text colour for the current state.
    std::uint32_t StateTextColor() const;
    void ApplyCursor() const;
    void StartFade();

    std::uint32_t m_buttonState = 0;
    CUIString m_cursor{u"hand"};
    std::uint32_t m_hotBackColor = 0;
    std::uint32_t m_hotTextColor = 0;
    std::uint32_t m_hotBorderColor = 0;
    std::uint32_t m_pushedTextColor = 0;
    std::uint32_t m_focusedTextColor = 0;
    std::uint32_t m_focusedBackColor = 0;
    std::uint8_t m_fadeAlpha = 255;
    std::uint8_t m_fadeDelta = 0;
    TImageDescriptor m_normalImage;
    TImageDescriptor m_hotImage;
    TImageDescriptor m_hotForeImage;
    TImageDescriptor m_pushedImage;
    TImageDescriptor m_pushedForeImage;
    TImageDescriptor m_focusedImage;
    TImageDescriptor m_disabledImage;
};

} // namespace ui
