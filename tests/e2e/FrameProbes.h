// What the end-to-end tests of both systems read from the frames the headless backend saves of
// the main window: the progress fill's width and whether the percentage shows a text. A frame at a
// scale (device pixels per logical pixel) is probed at its device pixels; the results stay logical.
#pragma once

#include "platform/DeviceContext.h"
#include "platform/Font.h"
#include "platform/PngFile.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace e2e {

namespace fs = std::filesystem;

// The width of the progress fill in a frame, in device pixels: the fill is blue and cyan, the empty
// track grey. The track runs over logical x 40-440 and row 218.
inline int FillWidth(const fs::path& frame, int scale = 1)
{
    const platform::Surface picture = platform::ReadPng(frame.string());
    if (!picture.IsValid())
        return -1;
    int width = 0;
    const int y = 218 * scale + scale / 2;
    for (int x = 40 * scale; x < 440 * scale; ++x) {
        const std::uint32_t p = picture.GetPixel(x, y);
        if (((p >> 16) & 0xFF) < 0x80 && (p & 0xFF) > 0x80)
            width = x - 40 * scale + 1;
    }
    return width;
}

// Whether a frame's percentage label shows text: the label is drawn as the skin asks (bold 13-pixel
// sans, right-aligned, the accent colour) and compared with the frame where it stands.
inline bool ShowsPercent(const fs::path& frame, const char16_t* text, int scale = 1)
{
    constexpr int kLeft = 340, kTop = 190, kWidth = 100, kHeight = 18;
    const int width = kWidth * scale, height = kHeight * scale;
    const platform::Surface picture = platform::ReadPng(frame.string());
    platform::Surface expected = platform::Surface::Create(width, height);
    platform::Surface actual = platform::Surface::Create(width, height);
    if (!picture.IsValid() || !expected.IsValid() || !actual.IsValid())
        return false;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            actual.SetPixel(x, y, picture.GetPixel(kLeft * scale + x, kTop * scale + y));
    expected.Clear(0xFFFFFFFF);
    platform::DeviceContext dc(expected);
    dc.SetScale(scale);
    platform::LogFont font;
    font.face = u"DejaVu Sans";
    font.pixelSize = 13;
    font.bold = true;
    dc.SelectFont(platform::Font::Create(font));
    dc.SetTextColor(0xFF2F6FE4);
    platform::Rect area{0, 0, kWidth, kHeight};
    dc.DrawText(text, int(std::char_traits<char16_t>::length(text)), area, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    return platform::ComparePixels(actual.Pixels(), expected.Pixels(), 24).count <= 8 * scale * scale;
}

inline std::vector<fs::path> FramesOf(const fs::path& folder)
{
    std::vector<fs::path> frames;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        frames.push_back(entry.path());
    std::sort(frames.begin(), frames.end());
    return frames;
}

} // namespace e2e
