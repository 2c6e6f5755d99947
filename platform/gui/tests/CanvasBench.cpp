// Painting a skinned window's face (275x116, a 24-bit picture as skins hold
// it) into the off-screen pixel buffer, against a plain memcpy of the same
// number of pixels in this process. The ratio of the two is the figure.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "platform/gui/PixelCanvas.h"
#include "platform/gui/tests/CanvasTestSupport.h"

namespace {

constexpr int kWidth = 275;
constexpr int kHeight = 116;

const gui::testing::TestDib& Face() {
  static const auto face = gui::testing::TestDib::Gradient(kWidth, kHeight, 24);
  return face;
}

void BM_MemcpyOfTheFacePixels(benchmark::State& state) {
  std::vector<std::uint32_t> from(static_cast<std::size_t>(kWidth) * kHeight, 0x123456);
  std::vector<std::uint32_t> to(from.size());
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size() * sizeof(std::uint32_t));
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_PaintFaceFromDib(benchmark::State& state) {
  gui::PixelCanvas canvas(kWidth, kHeight);
  for (auto _ : state) {
    canvas.DrawImage(gui::Rect{0, 0, kWidth, kHeight}, Face().dib());
    benchmark::DoNotOptimize(canvas.Pixels().data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_PaintFaceStretchedFromDib(benchmark::State& state) {
  // The same face from a picture one pixel narrower: the stretch path.
  static const auto narrower = gui::testing::TestDib::Gradient(kWidth - 1, kHeight, 24);
  gui::PixelCanvas canvas(kWidth, kHeight);
  for (auto _ : state) {
    canvas.DrawImage(gui::Rect{0, 0, kWidth, kHeight}, narrower.dib());
    benchmark::DoNotOptimize(canvas.Pixels().data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_MemcpyOfTheFacePixels);
BENCHMARK(BM_PaintFaceFromDib);
BENCHMARK(BM_PaintFaceStretchedFromDib);

}  // namespace
BENCHMARK_MAIN();
