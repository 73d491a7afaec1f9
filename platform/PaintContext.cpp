#include "platform/PaintContext.h"

namespace platform {

PaintContext::PaintContext(const PaintInfo& paint) : DeviceContext(paint.pixels)
{
    SetScale(paint.scale);
    SetClipRect(Rect{paint.dirty.left, paint.dirty.top, paint.dirty.right, paint.dirty.bottom});
}

} // namespace platform
