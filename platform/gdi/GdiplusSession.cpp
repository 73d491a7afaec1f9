// GDI+ is started once, by the first drawing that needs it, and left running: shutting it down
// while the process ends would race the static destructors of whatever still holds its objects.
#include "platform/gdi/GdiShared.h"
#include "platform/gdi/Gdiplus.h"

namespace platform::gdi {

bool GdiplusReady()
{
    static const bool ready = [] {
        Gdiplus::GdiplusStartupInput input;
        ULONG_PTR token = 0;
        return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    }();
    return ready;
}

} // namespace platform::gdi
