// What the animated controls cost while they run: a visible spinner and a rotating image in a
// 400x300 headless window, each tick going the real way (WM_TIMER through the manager, the control's
// frame step, then the repaint of what it invalidated). The CPU time per tick times the ticks per
// second at the default 40 ms interval gives the share of one core each control keeps busy; the
// physical limit it is compared with is one core (1000 ms of CPU per second). The uninstaller's
// progress tick is measured the same way, and once more after a sleep, on cold caches.
#include "platform/PngFile.h"
#include "platform/Surface.h"
#include "platform/WindowSystem.h"
#include "platform/headless/HeadlessBackend.h"
#include "ui/controls/Control.h"
#include "ui/manager/WindowManager.h"
#include "ui/builder/SkinBuilder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <thread>
#include <vector>
#include <filesystem>
#include <memory>
#include <string>

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 300;
constexpr int kDefaultIntervalMs = 40;
constexpr std::uint32_t kAnimationTimer = 100;

ui::CWindowManagerUI* s_manager = nullptr;

LRESULT BenchWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (s_manager != nullptr && s_manager->HandleWindowMessage(message, wParam, lParam, result))
        return result;
    return platform::Windows().DefWindowProc(hwnd, message, wParam, lParam);
}

// A 96x96 picture with an opaque ring and a transparent centre, so rotation has edges to smooth.
std::u16string WriteImage()
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "tvu_bench_rotate.png";
    platform::Surface surface = platform::Surface::Create(96, 96);
    for (int y = 0; y < 96; ++y) {
        for (int x = 0; x < 96; ++x) {
            const int dx = x - 48, dy = y - 48, r2 = dx * dx + dy * dy;
            if (r2 < 46 * 46 && r2 > 30 * 30)
                surface.SetPixel(x, y, x < 48 ? 0xFF2060C0u : 0xFFC04020u);
        }
    }
    platform::WritePng(surface.Pixels(), path.string());
    const std::string s = path.string();
    return std::u16string(s.begin(), s.end());
}

// A headless window system and one visible popup window of the given class and size in it.
HWND CreateBenchWindow(const char16_t* className, int width, int height)
{
    platform::WindowSystem& windows = platform::WindowSystem::Install(std::make_unique<platform::HeadlessBackend>());
    WNDCLASSEXW wc;
    wc.lpfnWndProc = BenchWindowProc;
    wc.lpszClassName = className;
    windows.RegisterClassEx(wc);
    return windows.CreateWindowEx(0, className, u"bench", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                                  nullptr, nullptr);
}

// One headless window with a skin of a white background and the control under test in its middle.
class CAnimatedScene
{
public:
    explicit CAnimatedScene(const std::u16string& control)
    {
        m_window = CreateBenchWindow(u"BenchAnimated", kWidth, kHeight);
        platform::WindowSystem& windows = platform::Windows();
        m_manager = std::make_unique<ui::CWindowManagerUI>();
        s_manager = m_manager.get();
        m_manager->AttachWindow(m_window);
        const std::u16string skin =
            u"<Window size=\"400,300\"><VerticalLayout bkcolor=\"#FFFFFFFF\" inset=\"140,90,140,90\">" + control +
            u"</VerticalLayout></Window>";
        ui::CSkinBuilder builder;
        ui::CControlUI* root = builder.Create(skin.c_str(), nullptr, nullptr, m_manager.get(), nullptr);
        m_manager->AttachRoot(root);
        windows.InvalidateRect(m_window, nullptr, false);
        windows.UpdateWindow(m_window);
        m_control = m_manager->ControlByName(u"animated");
        m_timerId = m_control ? m_manager->ControlTimerId(m_control, kAnimationTimer) : 0;
    }
    ~CAnimatedScene()
    {
        s_manager = nullptr;
        m_manager.reset();
        platform::WindowSystem::Shutdown();
    }
    bool IsValid() const { return m_control != nullptr && m_timerId != 0; }

    // One timer tick as the window receives it, and the repaint it asks for.
    void Tick()
    {
        platform::WindowSystem& windows = platform::Windows();
        windows.SendMessage(m_window, WM_TIMER, m_timerId, 0);
        windows.UpdateWindow(m_window);
    }

private:
    HWND m_window = nullptr;
    std::unique_ptr<ui::CWindowManagerUI> m_manager;
    ui::CControlUI* m_control = nullptr;
    UINT_PTR m_timerId = 0;
};

// Runs the scene's ticks back to back; the CPU milliseconds one took.
template <typename Scene> double CpuMsPerTick(benchmark::State& state, Scene& scene)
{
    const std::clock_t start = std::clock();
    for (auto _ : state)
        scene.Tick();
    return 1000.0 * double(std::clock() - start) / CLOCKS_PER_SEC / double(state.iterations());
}

void RunTicks(benchmark::State& state, const std::u16string& control)
{
    CAnimatedScene scene(control);
    if (!scene.IsValid()) {
        state.SkipWithError("the animated control did not start its timer");
        return;
    }
    const double cpuMsPerTick = CpuMsPerTick(state, scene);
    const double ticksPerSecond = 1000.0 / kDefaultIntervalMs;
    // CPU milliseconds spent per second of animation, and that as a share of one core.
    state.counters["cpu_ms_per_s"] = cpuMsPerTick * ticksPerSecond;
    state.counters["core_share_pct"] = cpuMsPerTick * ticksPerSecond / 10.0;
}

void BM_SpinnerDefaultInterval(benchmark::State& state)
{
    RunTicks(state, u"<ChrysanthemumLoading name=\"animated\" outradius=\"50\" innerradius=\"25\" thickness=\"6\" "
                    u"spokecolor=\"#FF2060C0\" bkcolor=\"#FFFFFFFF\" text=\"Loading\"/>");
}
BENCHMARK(BM_SpinnerDefaultInterval);

void BM_RotatingImageDefaultInterval(benchmark::State& state)
{
    static const std::u16string image = WriteImage();
    RunTicks(state, u"<RotateImage name=\"animated\" bkimage=\"" + image + u"\"/>");
}
BENCHMARK(BM_RotatingImageDefaultInterval);

// The uninstaller's own window (the product skin, 480x300) and the work of one progress tick
// without the wake-up that starts it: the percentage label gets its new text, the fill its new
// width (3 of 400 pixels further), and the window repaints what that changed. The fill runs from
// 100 to 397 pixels and starts again, so every width of the animation's middle is met.
class CProgressScene
{
public:
    CProgressScene()
    {
        const std::string folder = TVU_BINARY_DIR "/skin/files";
        ui::CWindowManagerUI::SetSkinFolder(std::u16string(folder.begin(), folder.end()).c_str());
        m_window = CreateBenchWindow(u"BenchProgress", 480, 300);
        platform::WindowSystem& windows = platform::Windows();
        m_manager = std::make_unique<ui::CWindowManagerUI>();
        s_manager = m_manager.get();
        m_manager->AttachWindow(m_window);
        ui::CSkinBuilder builder;
        ui::CControlUI* root = builder.Create(u"main.xml", nullptr, nullptr, m_manager.get(), nullptr);
        m_manager->AttachRoot(root);
        windows.InvalidateRect(m_window, nullptr, false);
        windows.UpdateWindow(m_window);
        m_fill = m_manager->ControlByName(u"pro_unins_lab");
        m_percent = m_manager->ControlByName(u"unins_percent_lab");
    }
    ~CProgressScene()
    {
        s_manager = nullptr;
        m_manager.reset();
        platform::WindowSystem::Shutdown();
        ui::CWindowManagerUI::SetSkinFolder(u"");
    }
    bool IsValid() const { return m_fill != nullptr && m_percent != nullptr; }

    void Tick()
    {
        m_width = m_width + 3 > 397 ? 100 : m_width + 3;
        const std::string text = std::to_string(m_width * 100 / 400) + "%";
        m_percent->SetText(std::u16string(text.begin(), text.end()).c_str());
        m_fill->SetFixedWidth(m_width);
        platform::Windows().UpdateWindow(m_window);
    }

private:
    HWND m_window = nullptr;
    std::unique_ptr<ui::CWindowManagerUI> m_manager;
    ui::CControlUI* m_fill = nullptr;
    ui::CControlUI* m_percent = nullptr;
    int m_width = 100;
};

void BM_UninstallerProgressTick(benchmark::State& state)
{
    CProgressScene scene;
    if (!scene.IsValid()) {
        state.SkipWithError("the product skin did not build (build the tvu_skin target first)");
        return;
    }
    // At the uninstaller's 100 ticks a second.
    state.counters["cpu_ms_per_s"] = CpuMsPerTick(state, scene) * 100;
}
BENCHMARK(BM_UninstallerProgressTick);

// The same tick as the uninstaller meets it: after 10 ms of sleep, when whatever else ran on the
// machine has had the caches. The median, at 100 ticks a second, is what the animation pays
// besides the wake-ups themselves; on a virtual machine it can be several times the figure above.
void BM_UninstallerProgressTickAfterSleep(benchmark::State& state)
{
    CProgressScene scene;
    if (!scene.IsValid()) {
        state.SkipWithError("the product skin did not build (build the tvu_skin target first)");
        return;
    }
    for (int i = 0; i < 300; ++i)
        scene.Tick();
    std::vector<double> ticks;
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const auto start = std::chrono::steady_clock::now();
        scene.Tick();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        ticks.push_back(seconds);
    }
    std::sort(ticks.begin(), ticks.end());
    state.counters["cpu_ms_per_s"] = 1000.0 * ticks[ticks.size() / 2] * 100;
}
BENCHMARK(BM_UninstallerProgressTickAfterSleep)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(1000);

} // namespace

BENCHMARK_MAIN();
