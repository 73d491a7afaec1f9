// CVerticalLayoutUI ("VerticalLayout", "VBox"): stacks its children top to bottom; children that
// measure no height share what the others leave, the last of them taking the rounding remainder.
#pragma once

#include "ui/controls/LinearLayout.h"

namespace ui {

class CVerticalLayoutUI : public CLinearLayoutUI
{
public:
    CVerticalLayoutUI();

    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
};

} // namespace ui
