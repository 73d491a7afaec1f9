// CHorizontalLayoutUI ("HorizontalLayout", "HBox"): places its children left to right; children
// without a width share what the others leave, the last of them taking the rounding remainder.
#pragma once

#include "ui/controls/LinearLayout.h"

namespace ui {

class CHorizontalLayoutUI : public CLinearLayoutUI
{
public:
    CHorizontalLayoutUI();

    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
};

} // namespace ui
