// Still images: the bytes go to the decoder (PNG, JPEG or BMP by their signature) and, when they
// decode, become an image record.
#include "ui/render/ImageLoader.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::uint8_t> rgba;
    int width = 0, height = 0;
    if (!ui::CImageLoader::DecodeImage(data, size, rgba, width, height))
        return 0;
    if (rgba.size() != std::size_t(width) * std::size_t(height) * 4)
        __builtin_trap();
    ui::TImageRecord* record = ui::CImageLoader::ImageRecordFromPixels(rgba.data(), width, height);
    ui::CImageLoader::FreeImageRecord(record, true);
    return 0;
}
