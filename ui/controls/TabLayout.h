// CTabLayoutUI ("TabLayout"): shows one child at a time over its whole content area; the selection
// follows insertions and removals and changes through SelectItem, which notifies "tabselect".
#pragma once

#include "ui/controls/Container.h"

namespace ui {

class CTabLayoutUI : public CContainerUI
{
public:
    CTabLayoutUI();

    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
    void SetPosition(CUIRect rect, bool needInvalidate = true) override;
    void SetAttribute(const char16_t* name, const char16_t* value) override;

    // The first visible child added becomes the selection; later ones are hidden.
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control, bool keep = false) override;
    void RemoveAll() override;

    // -1 when nothing is selected.
    int GetCurSel() const { return m_currentSel; }
    // False for an index out of range; true without change for the current selection.
    bool SelectItem(int index, bool notify = true);
    // False when the control is not a child.
    bool SelectItem(CControlUI* control, bool notify = true);

private:
    int m_currentSel = -1;
};

} // namespace ui
