// Markup text: 1,000 lines with bold, italic, colour and link tags drawn by CMarkupText, against
// the drawing layer's plain DrawText of the same characters without tags (the text layer's floor).
// Both are reported by the median of eleven repetitions.
#include "ui/manager/WindowManager.h"
#include "ui/render/MarkupText.h"

#include "platform/DeviceContext.h"
#include "platform/Surface.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int kLines = 1000;
constexpr int kWidth = 800;

struct Texts
{
    std::u16string markup;
    std::u16string plain;
};

const Texts& MakeTexts()
{
    static const Texts texts = [] {
        Texts t;
        for (int i = 0; i < kLines; ++i) {
            const std::u16string n(1, char16_t(u'0' + i % 10));
            t.markup += u"Line " + n + u" has {b}bold{/b} and {i}slanted{/i} words, {c #FF2060C0}colour{/c} and " +
                        u"a {a link" + n + u"}link{/a} to follow\n";
            t.plain += u"Line " + n + u" has bold and slanted words, colour and a link to follow\n";
        }
        return t;
    }();
    return texts;
}

int TextHeight(ui::CWindowManagerUI& manager)
{
    const platform::TextMetrics& m = manager.DefaultFontInfo()->font.Metrics();
    return (m.height + m.externalLeading) * (kLines + 1);
}

void BM_MarkupText1000Lines(benchmark::State& state)
{
    ui::CWindowManagerUI manager;
    const Texts& texts = MakeTexts();
    const int height = TextHeight(manager);
    platform::Surface surface = platform::Surface::Create(kWidth, height);
    platform::DeviceContext dc(surface);
    ui::CUIRect links[8];
    ui::CUIString linkTexts[8];
    for (auto _ : state) {
        ui::CUIRect rect(0, 0, kWidth, height);
        int count = 8;
        ui::CMarkupText::Draw(&dc, &manager, rect, texts.markup.c_str(), 0xFF000000, links, linkTexts, count, -1,
                              DT_WORDBREAK);
        benchmark::DoNotOptimize(count);
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_MarkupText1000Lines)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.2)
    ->Repetitions(11)
    ->ReportAggregatesOnly(true);

void BM_PeerPlainText1000Lines(benchmark::State& state)
{
    ui::CWindowManagerUI manager;
    const Texts& texts = MakeTexts();
    const int height = TextHeight(manager);
    platform::Surface surface = platform::Surface::Create(kWidth, height);
    platform::DeviceContext dc(surface);
    dc.SelectFont(manager.DefaultFontInfo()->font);
    for (auto _ : state) {
        platform::Rect rect{0, 0, kWidth, height};
        dc.DrawText(texts.plain.c_str(), int(texts.plain.size()), rect, DT_WORDBREAK | DT_NOPREFIX);
        benchmark::DoNotOptimize(rect);
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_PeerPlainText1000Lines)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.2)
    ->Repetitions(11)
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
