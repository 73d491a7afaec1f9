// The module handle of the framework's process-wide settings.
#pragma once

namespace ui {

// A module handle stands for a loaded program image. On this system it is an opaque token that
// the program hands over at start-up (the platform layer's embedded resources and module path of
// the executable are looked up through it); null means none was given.
using HINSTANCE = void*;

} // namespace ui
