// The shared fixture of the rendering tests.
#include "RenderTestSupport.h"

#include "platform/Color.h"
#include "platform/Font.h"
#include "platform/PngFile.h"
#include "platform/WindowSystem.h"
#include "platform/headless/HeadlessBackend.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace tvtest {

Canvas::Canvas(int width, int height, std::uint32_t background) : surface(platform::Surface::Create(width, height))
{
    surface.Clear(background);
    dc = std::make_unique<platform::DeviceContext>(surface);
}

bool Canvas::SameAs(const Canvas& other) const
{
    if (surface.Width() != other.surface.Width() || surface.Height() != other.surface.Height())
        return false;
    for (int y = 0; y < surface.Height(); ++y) {
        for (int x = 0; x < surface.Width(); ++x) {
            if (Pixel(x, y) != other.Pixel(x, y))
                return false;
        }
    }
    return true;
}

ui::CUIRect Canvas::Ink(std::uint32_t background) const
{
    ui::CUIRect box;
    bool any = false;
    for (int y = 0; y < surface.Height(); ++y) {
        for (int x = 0; x < surface.Width(); ++x) {
            if (Pixel(x, y) == background)
                continue;
            if (!any)
                box = {x, y, x + 1, y + 1};
            box.left = std::min(box.left, x);
            box.top = std::min(box.top, y);
            box.right = std::max(box.right, x + 1);
            box.bottom = std::max(box.bottom, y + 1);
            any = true;
        }
    }
    return box;
}

int Canvas::CountPixels(std::uint32_t value) const
{
    int n = 0;
    for (int y = 0; y < surface.Height(); ++y) {
        for (int x = 0; x < surface.Width(); ++x)
            n += Pixel(x, y) == value ? 1 : 0;
    }
    return n;
}

int Canvas::CountNear(std::uint32_t argb, int tolerance) const
{
    auto within = [tolerance](std::uint32_t a, std::uint32_t b) { return std::abs(int(a) - int(b)) <= tolerance; };
    int n = 0;
    for (int y = 0; y < surface.Height(); ++y) {
        for (int x = 0; x < surface.Width(); ++x) {
            const std::uint32_t p = Pixel(x, y);
            n += within(platform::RedOf(p), platform::RedOf(argb)) &&
                         within(platform::GreenOf(p), platform::GreenOf(argb)) &&
                         within(platform::BlueOf(p), platform::BlueOf(argb))
                     ? 1
                     : 0;
        }
    }
    return n;
}

namespace {

LRESULT ManagedProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* manager = reinterpret_cast<ui::CWindowManagerUI*>(platform::Windows().GetProp(hwnd, u"manager"));
    LRESULT result = 0;
    if (manager && manager->HandleWindowMessage(message, wParam, lParam, result))
        return result;
    return platform::Windows().DefWindowProc(hwnd, message, wParam, lParam);
}

} // namespace

void RenderTest::SetUp()
{
    platform::WindowSystem& windows = platform::WindowSystem::Install(std::make_unique<platform::HeadlessBackend>());
    WNDCLASSEXW wc;
    wc.lpfnWndProc = ManagedProc;
    wc.lpszClassName = platform::Win32Text(u"RenderTestWnd");
    windows.RegisterClassEx(wc);
    hwnd = windows.CreateWindowEx(0, u"RenderTestWnd", u"render", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr,
                                  nullptr);
    manager = std::make_unique<ui::CWindowManagerUI>();
    windows.SetProp(hwnd, u"manager", manager.get());
    manager->AttachWindow(hwnd);
    manager->AddMessageFilter(&m_filter);
}

void RenderTest::TearDown()
{
    manager->RemoveMessageFilter(&m_filter);
    manager->DropAllImages(ui::ResourceScope::Window);
    manager->DropAllFonts(ui::ResourceScope::Window);
    platform::Windows().RemoveProp(hwnd, u"manager");
    manager.reset();
    platform::Windows().DestroyWindow(hwnd);
    platform::WindowSystem::Shutdown();
}

void RenderTest::MoveMouse(int x, int y)
{
    LRESULT result = 0;
    manager->HandleWindowMessage(WM_MOUSEMOVE, 0, LPARAM((y << 16) | (x & 0xFFFF)), result);
}

ui::TImageRecord* RenderTest::AddImage(const char16_t* name, int width, int height, std::uint32_t argb)
{
    ui::HBITMAP bitmap = ui::CreateBitmap32(width, height);
    const std::uint32_t pixel = platform::Premultiply(argb);
    std::fill(bitmap->pixels.get(), bitmap->pixels.get() + width * height, pixel);
    return manager->RegisterBitmap(name, bitmap, width, height, (argb >> 24) != 255);
}

int RenderTest::DrawMarkup(Canvas& canvas, ui::CUIRect rect, const char16_t* text, unsigned style, std::uint32_t color,
                           ui::CUIRect* linkRects, ui::CUIString* linkTexts, int capacity)
{
    int count = capacity;
    ui::CMarkupText::Draw(canvas.dc.get(), manager.get(), rect, text, color, linkRects, linkTexts, count, -1, style);
    return count;
}

ui::CUIRect RenderTest::Measure(ui::CUIRect rect, const char16_t* text, unsigned style)
{
    int count = 0;
    ui::CMarkupText::Draw(nullptr, manager.get(), rect, text, 0, nullptr, nullptr, count, -1, style | DT_CALCRECT);
    return rect;
}

int RenderTest::LineHeight()
{
    const platform::TextMetrics& m = manager->DefaultFontInfo()->font.Metrics();
    return m.height + m.externalLeading;
}

int RenderTest::TextWidth(const char16_t* text, bool bold, bool italic)
{
    const ui::TFontInfo* info = manager->DefaultFontInfo();
    platform::LogFont lf = info->font.GetLogFont();
    lf.bold = lf.bold || bold;
    lf.italic = lf.italic || italic;
    const platform::Font font = platform::Font::Create(lf);
    return font.Measure(text, int(std::char_traits<char16_t>::length(text))).width;
}

std::string DumpCanvas(const Canvas& canvas, const std::string& name)
{
    const std::string path = std::string(TVU_BINARY_DIR) + "/" + name + ".png";
    platform::WritePng(canvas.surface.Pixels(), path);
    return path;
}

} // namespace tvtest
