// CCheckBoxUI: an option that toggles on every click, grouped or not.
#pragma once

#include "ui/controls/Option.h"

namespace ui {

class CCheckBoxUI : public COptionUI
{
public:
    const char16_t* GetClassName() const override;
    void* CastTo(const char16_t* typeName) override;
    bool Activate() override;

    void SetCheck(bool checked) { Selected(checked); }
    bool GetCheck() const { return IsSelected(); }
};

} // namespace ui
