// Internal state of a device context over GDI, shared by the files that implement its operations.
#pragma once

#include "platform/DeviceContext.h"
#include "platform/DeviceContextState.h"

namespace platform {

struct DeviceContext::Impl : DeviceContextState
{
    Surface owned; // set when the context wraps a PixelBuffer
    Surface* target = nullptr;

    // The target's pixels, GDI's batch for this thread flushed first.
    PixelBuffer BeginPixels() const override { return target->Pixels(); }
    // GDI reads DIB sections' memory as it stands: nothing to tell it.
    void EndPixels() const override {}
};

} // namespace platform
