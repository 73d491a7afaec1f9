// The builder's class table: markup class names (letter case ignored) and the controls they create.
#pragma once

namespace ui {

class CControlUI;

using ControlCreator = CControlUI* (*)();

// A new control for the class name, or null when the table has no class of that name.
CControlUI* CreateControlForClass(const char16_t* className);

// The class name as the table spells it (letter case ignored in the lookup), or null when the
// table has no such class.
const char16_t* CanonicalClassName(const char16_t* className);
// Every class name of the table, with the number of names in count.
const char16_t* const* ClassNames(int& count);

} // namespace ui
