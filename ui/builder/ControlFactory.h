// The builder's class table: markup class names (letter case ignored) and the controls they create.
#pragma once

namespace ui {

class CControlUI;

using ControlCreator = CControlUI* (*)();

// A new control for the class name, or null when the table has no class of that name.
CControlUI* CreateControlForClass(const char16_t* className);

} // namespace ui
