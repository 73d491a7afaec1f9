// GDI+'s flat interface for the GDI backend's files, after windows.h as GDI+ needs it.
#pragma once

#include "platform/Win32Defs.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include <gdiplus.h>
#pragma GCC diagnostic pop

namespace platform::gdi {

namespace gp = Gdiplus::DllExports;

} // namespace platform::gdi
