// Test images for the standard and animated control tests.
#include "WidgetTestSupport.h"

#include "platform/PngFile.h"
#include "tests/TempFolder.h"

#include <filesystem>

namespace widgettest {

std::u16string SolidPng(const std::string& name, int width, int height, std::vector<std::uint32_t> bands)
{
    // The images of one test process. Tests run as parallel processes and write images of the same
    // names with different contents: a folder shared between them let one process read an image
    // while another was rewriting it.
    static const tvtest::TempFolder folder("widget-images");
    const std::filesystem::path& dir = folder.Path();
    platform::Surface surface = platform::Surface::Create(width, height);
    const int bandWidth = width / int(bands.size());
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y)
            surface.SetPixel(x, y, bands[std::min<std::size_t>(std::size_t(x / bandWidth), bands.size() - 1)]);
    const std::string path = (dir / name).string();
    platform::WritePng(surface.Pixels(), path);
    return std::u16string(path.begin(), path.end());
}

} // namespace widgettest
