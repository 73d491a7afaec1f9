// Animated images: the animated PNG decoder over the bytes (a plain PNG is one frame).
#include "ui/render/ApngDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const ui::TApngBlock block = ui::apng::Decode(data, size);
    (void)block;
    return 0;
}
