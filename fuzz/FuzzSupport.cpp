// The harnesses' shared headless window, skin run and input readers.
#include "FuzzSupport.h"

#include "platform/PixelBuffer.h"
#include "platform/PngFile.h"
#include "platform/Surface.h"
#include "platform/TextEncoding.h"
#include "platform/WindowSystem.h"
#include "platform/headless/HeadlessBackend.h"
#include "ui/controls/Control.h"
#include "ui/manager/WindowManager.h"
#include "ui/render/ImageLoader.h"
#include "ui/builder/SkinBuilder.h"

#include <filesystem>
#include <memory>

namespace fuzzing {

namespace {

ui::CWindowManagerUI* g_current = nullptr;

// Dispatches what is ready, at most a few hundred messages: an animated control whose timer is
// due again before its tick has been drawn would otherwise keep one input running for ever.
// Time moves only when the harness says so: an input then runs the same way on every replay, and
// an animation whose frames take longer to draw than its period (under the sanitizers they do)
// cannot keep the queue busy with timers. Each round of dispatching moves it a second on, so every
// timer of a second or less fires once per round.
platform::ManualClock g_clock{1000};

void DispatchSome(platform::WindowSystem& windows)
{
    g_clock.Advance(1000);
    MSG msg;
    for (int i = 0; i < 256 && windows.PeekMessage(msg, nullptr, 0, 0, PM_REMOVE) && msg.message != WM_QUIT; ++i) {
        windows.TranslateMessage(msg);
        windows.DispatchMessage(msg);
    }
}
std::map<std::u16string, std::vector<std::uint8_t>> g_files;

LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (g_current != nullptr && g_current->Window() == hwnd &&
        g_current->HandleWindowMessage(msg, wParam, lParam, result))
        return result;
    return platform::Windows().DefWindowProc(hwnd, msg, wParam, lParam);
}

// The window system lives for the whole process: installing one per input would dominate the run.
platform::WindowSystem& Windows()
{
    static platform::WindowSystem* windows = [] {
        platform::WindowSystem& system = platform::WindowSystem::Install(std::make_unique<platform::HeadlessBackend>());
        system.SetClock(&g_clock);
        WNDCLASSEXW wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = WindowProc;
        wc.lpszClassName = u"FuzzWnd";
        system.RegisterClassEx(wc);
        // Skin files named without a type come from an empty folder of their own, never from
        // wherever the harness runs.
        static const std::u16string folder = [] {
            const auto path = std::filesystem::temp_directory_path() / "tvu-fuzz-skin";
            std::filesystem::create_directories(path);
            // The sample picture, for skins that name it without a type.
            const std::vector<std::uint8_t>& png = SamplePng();
            if (FILE* f = std::fopen((path / "a.png").c_str(), "wb")) {
                std::fwrite(png.data(), 1, png.size(), f);
                std::fclose(f);
            }
            return platform::Utf8ToUtf16(path.string() + "/");
        }();
        ui::CWindowManagerUI::SetSkinFolder(folder.c_str());
        return &system;
    }();
    return *windows;
}

std::vector<std::uint8_t> ReadServed(const char16_t*, const char16_t* name)
{
    const auto it = g_files.find(name ? name : u"");
    return it == g_files.end() ? std::vector<std::uint8_t>() : it->second;
}

} // namespace

ui::CUIString TextOf(const std::uint8_t* data, std::size_t size)
{
    const std::u16string text = platform::Utf8ToUtf16(std::string(reinterpret_cast<const char*>(data), size));
    return ui::CUIString(text.c_str(), int(text.size()));
}

HeadlessWindow::HeadlessWindow(int width, int height)
{
    platform::WindowSystem& windows = Windows();
    HWND hwnd = windows.CreateWindowEx(0, u"FuzzWnd", u"fuzz", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                                       nullptr, nullptr, nullptr);
    m_hwnd = hwnd;
    m_manager = new ui::CWindowManagerUI;
    m_manager->AttachWindow(hwnd, u"fuzz");
    g_current = m_manager;
}

HeadlessWindow::~HeadlessWindow()
{
    g_current = nullptr;
    delete m_manager;
    platform::WindowSystem& windows = Windows();
    windows.DestroyWindow(static_cast<HWND>(m_hwnd));
    // Leftover posted messages of this window must not reach the next input's.
    DispatchSome(windows);
    ui::CWindowManagerUI::DropAllLanguageTexts();
}

void HeadlessWindow::AttachAndPaint(ui::CControlUI* root)
{
    if (root != nullptr)
        m_manager->AttachRoot(root);
    Paint();
}

void HeadlessWindow::Paint()
{
    platform::WindowSystem& windows = Windows();
    windows.InvalidateRect(static_cast<HWND>(m_hwnd), nullptr, false);
    windows.UpdateWindow(static_cast<HWND>(m_hwnd));
    DispatchSome(windows);
}

void ServeFiles(std::map<std::u16string, std::vector<std::uint8_t>> files)
{
    g_files = std::move(files);
    ui::CImageLoader::SetResourceReader(ReadServed);
    ui::CSkinBuilder::SetResourceReader(ReadServed);
}

const std::vector<std::uint8_t>& SamplePng()
{
    static const std::vector<std::uint8_t> png = [] {
        platform::Surface surface = platform::Surface::Create(4, 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                surface.SetPixel(x, y, (x < 2) == (y < 2) ? 0xFFFF0000u : 0x80000080u);
        const auto path = std::filesystem::temp_directory_path() / "tvu-fuzz-sample.png";
        platform::WritePng(surface.Pixels(), path.string());
        std::vector<std::uint8_t> bytes;
        if (FILE* f = std::fopen(path.string().c_str(), "rb")) {
            std::uint8_t buffer[4096];
            for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
                bytes.insert(bytes.end(), buffer, buffer + n);
            std::fclose(f);
        }
        return bytes;
    }();
    return png;
}

void RunSkin(const char16_t* markup, int width, int height)
{
    HeadlessWindow window(width, height);
    ui::CSkinBuilder builder;
    // Markup text as it stands, or else the served resource "1" (whose includes name resources).
    ui::CControlUI* root = markup != nullptr
                               ? builder.Create(markup, nullptr, nullptr, &window.Manager(), nullptr)
                               : builder.Create(MAKEINTRESOURCEW(1), u"SKIN", nullptr, &window.Manager(), nullptr);
    window.AttachAndPaint(root);
    ui::CWindowManagerUI& manager = window.Manager();
    manager.DropAllDefaultAttributes(ui::ResourceScope::Shared);
}

} // namespace fuzzing
