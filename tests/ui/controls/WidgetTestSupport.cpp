// Test images for the standard and animated control tests.
#include "WidgetTestSupport.h"

#include "platform/PngFile.h"

#include <filesystem>
#include <random>

namespace widgettest {

namespace {

// The images of one test process. Tests run as parallel processes and write images of the same
// names with different contents: a folder shared between them let one process read an image while
// another was rewriting it. Removed when the process ends.
class ImageFolder
{
public:
    ImageFolder()
    {
        std::random_device random;
        m_path = std::filesystem::temp_directory_path() /
                 ("tvu-widget-images-" + std::to_string(random()) + "-" + std::to_string(random()));
        std::filesystem::create_directories(m_path);
    }
    ~ImageFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    ImageFolder(const ImageFolder&) = delete;
    ImageFolder& operator=(const ImageFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace

std::u16string SolidPng(const std::string& name, int width, int height, std::vector<std::uint32_t> bands)
{
    static const ImageFolder folder;
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
