// Nine-slice image drawing: CRenderKit::BlitImage of a 64 x 64 image with 8-pixel corners over an
// 800 x 600 destination, opaque and blended, against the floor of one smooth scaled paint of the
// same image over the same area by the drawing layer. Each is reported by the median of eleven
// repetitions.
#include "ui/render/ImageLoader.h"
#include "ui/render/RenderKit.h"

#include "platform/DeviceContext.h"
#include "platform/Surface.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kImage = 64;

// A 64 x 64 image with a frame of one colour and a centre of another, opaque or with alpha.
std::unique_ptr<ui::TImageRecord> MakeImage(bool translucent)
{
    auto record = std::make_unique<ui::TImageRecord>();
    record->bitmap = ui::CreateBitmap32(kImage, kImage);
    record->pixels = record->bitmap->pixels.get();
    record->width = record->height = kImage;
    record->hasAlpha = translucent;
    const std::uint32_t frame = translucent ? 0xC0604020u : 0xFF806040u;
    const std::uint32_t centre = translucent ? 0x80404040u : 0xFFF0F0F0u;
    for (int y = 0; y < kImage; ++y) {
        for (int x = 0; x < kImage; ++x) {
            const bool edge = x < 8 || y < 8 || x >= kImage - 8 || y >= kImage - 8;
            record->pixels[y * kImage + x] = edge ? frame : centre;
        }
    }
    return record;
}

void NineSlice(benchmark::State& state, bool translucent)
{
    auto image = MakeImage(translucent);
    platform::Surface surface = platform::Surface::Create(kWidth, kHeight);
    platform::DeviceContext dc(surface);
    const ui::CUIRect dest(0, 0, kWidth, kHeight);
    for (auto _ : state) {
        ui::CRenderKit::BlitImage(&dc, image.get(), dest, dest, {0, 0, kImage, kImage}, {8, 8, 8, 8}, image->hasAlpha,
                                  255, false, false, false);
        benchmark::DoNotOptimize(surface.Pixels().pixels);
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
    ui::CImageLoader::FreeImageRecord(image.release(), true);
}

void BM_NineSliceOpaque(benchmark::State& state)
{
    NineSlice(state, false);
}
BENCHMARK(BM_NineSliceOpaque)->Unit(benchmark::kMicrosecond)->MinTime(0.2)->Repetitions(11)->ReportAggregatesOnly(true);

void BM_NineSliceBlended(benchmark::State& state)
{
    NineSlice(state, true);
}
BENCHMARK(BM_NineSliceBlended)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(0.2)
    ->Repetitions(11)
    ->ReportAggregatesOnly(true);

// The floor: one paint of the whole image scaled to the destination (no slicing at all).
void BM_PeerScaledPaint(benchmark::State& state)
{
    auto image = MakeImage(true);
    platform::Surface surface = platform::Surface::Create(kWidth, kHeight);
    platform::DeviceContext dc(surface);
    for (auto _ : state) {
        dc.DrawImage(image->View(), {0, 0, kImage, kImage}, {0, 0, kWidth, kHeight}, platform::ImageFilter::Bilinear);
        benchmark::DoNotOptimize(surface.Pixels().pixels);
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
    ui::CImageLoader::FreeImageRecord(image.release(), true);
}
BENCHMARK(BM_PeerScaledPaint)->Unit(benchmark::kMicrosecond)->MinTime(0.2)->Repetitions(11)->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
