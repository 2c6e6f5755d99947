// Reading our skin and painting the main window's frame into an off-screen
// canvas, against reading the skin file alone; both in this process, on the
// built DruskLirn.Mpt. The ratio of the two is the figure.
#include <benchmark/benchmark.h>

#include "common/File.h"
#include "music-player/PlayerSettings.h"
#include "music-player/skin/Skin.h"
#include "platform/gui/PixelCanvas.h"

namespace {

void BM_ReadSkinFileOnly(benchmark::State& state) {
  for (auto _ : state) {
    auto bytes = common::ReadWholeFile(DRUSK_SKIN_FILE, vantu::CSkin::kMaxFileBytes);
    if (!bytes) state.SkipWithError("no skin file");
    benchmark::DoNotOptimize(bytes);
  }
}
BENCHMARK(BM_ReadSkinFileOnly)->Unit(benchmark::kMicrosecond);

void BM_LoadSkinAndPaintMainFrame(benchmark::State& state) {
  vantu::PlayerSettings settings;
  for (auto _ : state) {
    vantu::CSkin skin(settings);
    if (!skin.LoadSkin(DRUSK_SKIN_FILE) || !skin.Frame(0)) state.SkipWithError("no skin file");
    gui::PixelCanvas screen(275, 116);
    screen.Buffered({0, 0, 275, 116}, [&](gui::Canvas& offscreen) {
      for (const auto& e : *skin.Frame(0)) {
        if (!e->IsHidden()) e->Draw(offscreen);
      }
    });
    benchmark::DoNotOptimize(screen.Pixels().data());
  }
}
BENCHMARK(BM_LoadSkinAndPaintMainFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
