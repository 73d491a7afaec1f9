// COptionUI: a button with a selected state. Options that share a group name are exclusive through
// the window manager's option groups; an option without a group toggles.
#pragma once

#include "ui/controls/Button.h"

namespace ui {

class COptionUI : public CButtonUI
{
public:
    COptionUI();
    ~COptionUI() override;

    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
    void SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init) override;
    // "click", then the selection: a grouped option becomes selected, an ungrouped one toggles.
    bool Activate() override;
    void SetAttribute(const char16_t* name, const char16_t* value) override;
    void PaintBackColor(HDC dc) override;
    void PaintStateImage(HDC dc) override;
    void PaintText(HDC dc) override;

    // Changes the selection; selecting a grouped option deselects the others of its group. Each
    // change sends "selectchanged" from the option that changed.
    virtual void Selected(bool selected);
    bool IsSelected() const { return m_selected; }

    // Leaves the old group and joins the new one (an empty name: no group).
    void SetGroup(const char16_t* group);
    const CUIString& GetGroup() const { return m_group; }

    const char16_t* GetSelectedImage() const { return m_selectedImage.text.CStr(); }
    void SetSelectedImage(const char16_t* descriptor);
    const char16_t* GetSelectedHotImage() const { return m_selectedHotImage.text.CStr(); }
    void SetSelectedHotImage(const char16_t* descriptor);
    void SetSelectedBkColor(std::uint32_t color);
    std::uint32_t GetSelectedBkColor() const { return m_selectedBackColor; }
    void SetSelectedTextColor(std::uint32_t color);
    std::uint32_t GetSelectedTextColor() const { return m_selectedTextColor; }

protected:
    // Deselects every other option of the group.
    void DeselectOthers();

    bool m_selected = false;
    CUIString m_group;
    bool m_joined = false;
    TImageDescriptor m_selectedImage;
    TImageDescriptor m_selectedHotImage;
    std::uint32_t m_selectedBackColor = 0;
    std::uint32_t m_selectedTextColor = 0;
};

} // namespace ui
