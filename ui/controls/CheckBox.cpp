// CCheckBoxUI: the option's state and painting, with a toggle on every activation.
#include "ui/controls/CheckBox.h"

#include "ui/core/ValueParse.h"
#include "ui/manager/WindowManager.h"

namespace ui {

const char16_t* CCheckBoxUI::GetClassName() const
{
    return u"CheckBox";
}

void* CCheckBoxUI::CastTo(const char16_t* typeName)
{
    if (markup::TextEquals(typeName, u"CheckBox"))
        return this;
    return COptionUI::CastTo(typeName);
}

bool CCheckBoxUI::Activate()
{
    if (!CButtonUI::Activate())
        return false;
    Selected(!m_selected);
    return true;
}

} // namespace ui
