// Figures of the player's windows, on the headless backend with our skin
// and the real engine over the counting sink:
// - the start up to the first painted main window (the application's start
//   in a fresh program folder, the skin, the engine, the four windows);
// - the longest time the GUI thread spends on the messages pending at once
//   while a file plays (the engine's position, time and stream
//   notifications with the displays they redraw).
// Both against one full paint of the main window, the baseline. The goal is well under 16 ms, so drawing never stutters.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "music-player/VantuApp.h"
#include "music-player/windows/VantuPlayerDlg.h"
#include "platform/gui/Application.h"
#include "platform/gui/headless/HeadlessBackend.h"
#include "platform/gui/headless/HeadlessCustomWindow.h"

namespace {

using Clock = std::chrono::steady_clock;

class NoShell : public vantu::PlayerShell {
 public:
  std::optional<std::string> BrowserProgram() override { return std::nullopt; }
  bool StartCommand(const std::string&) override { return false; }
  bool OpenInDefaultBrowser(const std::string&) override { return false; }
  std::string PlayerPage() override { return vantu::kDefaultPlayerPage; }
};

vantu::XaudioLibrary RealTimeSink() {
  vantu::XaudioLibrary lib;
  lib.playerNew = [](xaudio::PlayerHandle* p, xaudio::NotifyWindowHandle* w) {
    xaudio::PlayerOptions o;
    o.makeOutput = [] { return xaudio::CreateNullOutput(xaudio::NullOutputOptions{1, {}}); };
    return player_new_with_options(p, w, o);
  };
  return lib;
}

// A program folder with the skin and a file to play.
struct Folder {
  Folder() {
    path = std::filesystem::temp_directory_path() / ("vantu-bench-" + std::to_string(::getpid()));
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    std::filesystem::copy_file(DRUSK_SKIN_FILE, path / "DruskLirn.Mpt");
    std::filesystem::copy_file(std::string(VANTU_TEST_DATA) + "/tone3s.mp3", path / "tone.mp3");
  }
  ~Folder() { std::filesystem::remove_all(path); }
  std::string Text() const { return path.string() + "/"; }
  std::filesystem::path path;
};

// The program's start, on a headless application.
struct Player {
  explicit Player(const Folder& folder)
      : app(std::make_unique<gui::headless::HeadlessBackend>()), player(Env(folder), settings) {
    player.Start("");
    dialog = std::make_unique<vantu::CVantuPlayerDlg>(player, shell, "", RealTimeSink());
    dialog->ShowFirst();
  }
  ~Player() {
    dialog.reset();
    vantu::FlushDeletedWindows();
  }
  static vantu::VantuEnvironment Env(const Folder& folder) {
    vantu::VantuEnvironment env;
    env.programFolder = folder.Text();
    env.markerPath = (folder.path / "vantuplayer.dat").string();
    return env;
  }
  gui::Application app;
  vantu::PlayerSettings settings;
  vantu::CVantuPlayerApp player;
  NoShell shell;
  std::unique_ptr<vantu::CVantuPlayerDlg> dialog;
};

void BM_StartToFirstPaintedMainWindow(benchmark::State& state) {
  Folder folder;
  for (auto _ : state) {
    auto player = std::make_unique<Player>(folder);
    const auto& face = gui::headless::Face(*player->dialog);
    benchmark::DoNotOptimize(face.Pixels().data());
    state.PauseTiming();
    player.reset();
    std::filesystem::remove(folder.path / "DruskConf.cnf");
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartToFirstPaintedMainWindow)->Unit(benchmark::kMillisecond);

void BM_FullPaintOfTheMainWindow(benchmark::State& state) {
  Folder folder;
  Player player(folder);
  for (auto _ : state) {
    player.dialog->Invalidate();
    benchmark::DoNotOptimize(gui::headless::Face(*player.dialog).Pixels().data());
  }
}
BENCHMARK(BM_FullPaintOfTheMainWindow)->Unit(benchmark::kMicrosecond);

void BM_LongestGuiHandlingWhilePlaying(benchmark::State& state) {
  Folder folder;
  Player player(folder);
  double longest = 0, total = 0;
  int batches = 0;
  for (auto _ : state) {
    player.dialog->UserDropFiles({(folder.path / "tone.mp3").string()}, {10, 10});
    // Steady playback only: the start itself waits for the decoder by design.
    const auto begin = Clock::now();
    while (player.dialog->Engine()->State() != xaudio::kStatePlaying && Clock::now() - begin < std::chrono::seconds(5)) {
      player.app.ProcessMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const auto end = Clock::now() + std::chrono::milliseconds(1500);
    while (Clock::now() < end) {
      const auto t = Clock::now();
      player.app.ProcessMessages();
      const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t).count();
      longest = std::max(longest, ms);
      total += ms;
      ++batches;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  state.counters["longest_ms"] = longest;
  state.counters["mean_ms"] = batches ? total / batches : 0;
}
BENCHMARK(BM_LongestGuiHandlingWhilePlaying)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
