// Building, laying out and painting a generated skin of 10,000 controls in nested layouts at
// 800x600 without a display: build, full layout and full paint times, the peak memory, and the
// relayout after one control's fixed width changes against a full layout through the manager.
// A layout leaves alone what keeps its rectangle and holds no pending layout, so a full layout is
// one where everything moves: the tree alone is given alternately 800 and 799 pixels of width, and
// through the manager the window reports a new size, which lays out everything and repaints all.
#include "platform/DeviceContext.h"
#include "platform/Surface.h"
#include "platform/WindowSystem.h"
#include "platform/headless/HeadlessBackend.h"
#include "ui/controls/Container.h"
#include "ui/manager/WindowManager.h"
#include "ui/builder/SkinBuilder.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kGroups = 10;
constexpr int kRowsPerGroup = 10;
constexpr int kControlsPerRow = 100;

// 10 vertical groups of 10 rows of 100 controls (10,000 leaves in 111 layouts under the root):
// every leaf is 8x6 pixels and visible, so a full paint touches all of them.
std::u16string MakeSkin()
{
    std::u16string s = u"<Window size=\"800,600\">"
                       u"<Default name=\"Control\" value=\"bkcolor=&quot;#FF336699&quot;\"/>"
                       u"<VerticalLayout bkcolor=\"#FFFFFFFF\">";
    for (int g = 0; g < kGroups; ++g) {
        s += u"<VerticalLayout childpadding=\"0\">";
        for (int r = 0; r < kRowsPerGroup; ++r) {
            s += u"<HorizontalLayout height=\"6\">";
            for (int c = 0; c < kControlsPerRow; ++c) {
                if (c % 10 == 0) {
                    s += u"<Control width=\"8\" bkcolor=\"#FFCC3300\" bordersize=\"1\" bordercolor=\"#FF000000\"/>";
                } else if (c % 2 == 0) {
                    s += u"<Control width=\"8\"/>";
                } else {
                    s += u"<Control/>";
                }
            }
            s += u"</HorizontalLayout>";
        }
        s += u"</VerticalLayout>";
    }
    s += u"</VerticalLayout></Window>";
    return s;
}

const std::u16string& Skin()
{
    static const std::u16string skin = MakeSkin();
    return skin;
}

// The process's peak resident memory in kilobytes (VmHWM), 0 when unknown.
double PeakMemoryKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stod(line.substr(6));
        }
    }
    return 0;
}

ui::CControlUI* Build(ui::CWindowManagerUI& manager)
{
    ui::CSkinBuilder builder;
    return builder.Create(Skin().c_str(), nullptr, nullptr, &manager, nullptr);
}

void BM_Build(benchmark::State& state)
{
    ui::CWindowManagerUI manager;
    for (auto _ : state) {
        std::unique_ptr<ui::CControlUI> root(Build(manager));
        benchmark::DoNotOptimize(root.get());
    }
    state.counters["peak_kb"] = PeakMemoryKb();
}
BENCHMARK(BM_Build)->Unit(benchmark::kMillisecond);

void BM_FullLayout(benchmark::State& state)
{
    ui::CWindowManagerUI manager;
    std::unique_ptr<ui::CControlUI> root(Build(manager));
    int width = kWidth;
    for (auto _ : state) {
        width = width == kWidth ? kWidth - 1 : kWidth;
        root->SetPosition(ui::CUIRect(0, 0, width, kHeight), false);
    }
}
BENCHMARK(BM_FullLayout)->Unit(benchmark::kMillisecond);

void BM_FullPaint(benchmark::State& state)
{
    ui::CWindowManagerUI manager;
    std::unique_ptr<ui::CControlUI> root(Build(manager));
    root->SetPosition(ui::CUIRect(0, 0, kWidth, kHeight), false);
    platform::Surface surface = platform::Surface::Create(kWidth, kHeight);
    const ui::CUIRect all(0, 0, kWidth, kHeight);
    for (auto _ : state) {
        platform::DeviceContext dc(surface);
        root->Paint(&dc, all, nullptr);
    }
    state.counters["peak_kb"] = PeakMemoryKb();
}
BENCHMARK(BM_FullPaint)->Unit(benchmark::kMillisecond);

// The tree attached to a manager on a headless window, as the program runs it.
class CAttachedTree
{
public:
    CAttachedTree()
    {
        platform::WindowSystem::Install(std::make_unique<platform::HeadlessBackend>());
        WNDCLASSEXW wc;
        wc.lpfnWndProc = [](HWND hwnd, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
            return platform::Windows().DefWindowProc(hwnd, msg, w, l);
        };
        wc.lpszClassName = u"BenchWnd";
        platform::Windows().RegisterClassEx(wc);
        m_window = platform::Windows().CreateWindowEx(0, u"BenchWnd", u"bench", WS_POPUP, 0, 0, kWidth, kHeight,
                                                      nullptr, nullptr, nullptr, nullptr);
        m_manager = std::make_unique<ui::CWindowManagerUI>();
        m_manager->AttachWindow(m_window);
        m_manager->AttachRoot(Build(*m_manager));
        m_manager->LayoutIfNeeded();
    }
    ~CAttachedTree()
    {
        m_manager.reset();
        platform::WindowSystem::Shutdown();
    }
    ui::CWindowManagerUI& Manager() { return *m_manager; }
    // A leaf in the middle of the tree.
    ui::CControlUI* MiddleLeaf()
    {
        auto* root = static_cast<ui::CContainerUI*>(m_manager->Root());
        auto* group = static_cast<ui::CContainerUI*>(root->GetItemAt(kGroups / 2));
        auto* row = static_cast<ui::CContainerUI*>(group->GetItemAt(kRowsPerGroup / 2));
        return row->GetItemAt(kControlsPerRow / 2);
    }

private:
    HWND m_window = nullptr;
    std::unique_ptr<ui::CWindowManagerUI> m_manager;
};

void BM_RelayoutAfterFixedWidthChange(benchmark::State& state)
{
    CAttachedTree tree;
    ui::CControlUI* leaf = tree.MiddleLeaf();
    int width = 8;
    for (auto _ : state) {
        width = width == 8 ? 9 : 8;
        leaf->SetFixedWidth(width);
        tree.Manager().LayoutIfNeeded();
    }
}
BENCHMARK(BM_RelayoutAfterFixedWidthChange)->Unit(benchmark::kMillisecond);

void BM_FullLayoutThroughManager(benchmark::State& state)
{
    CAttachedTree tree;
    for (auto _ : state) {
        LRESULT result = 0;
        tree.Manager().HandleWindowMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(kWidth, kHeight), result);
        tree.Manager().LayoutIfNeeded();
    }
}
BENCHMARK(BM_FullLayoutThroughManager)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
