// "My PC"'s two lists against their bare data sources, in the same run:
// a PC folder of 10,000 files listed until the first screen of rows has
// its texts and pictures (the shell list on the headless backend), against
// a bare readdir loop over the same folder; and a player directory of 255
// entries read and shown in the player list, against the raw directory
// read alone; the same two on a player at USB 1.1 full speed, with the
// longest time the GUI thread stays away from its message loop during the
// refresh and during a transfer of three files of 1 MiB to that player
// (the transfer dialog), against the tray client's transfer thread writing
// the same files at the same pace.
#include <benchmark/benchmark.h>
#include <dirent.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "common/File.h"
#include "platform/gui/Application.h"
#include "platform/gui/Form.h"
#include "platform/gui/ShellListView.h"
#include "platform/gui/headless/HeadlessBackend.h"
#include "player-link/Directory.h"
#include "player-link/Link.h"
#include "player-link/SimulatedPlayer.h"
#include "tray-client/ExplorerForm.h"
#include "tray-client/UpDnUnit.h"
#include "tray-client/UpDownForm.h"
#include "tray-client/OrvelEnvironment.h"
#include "tools/bench/GuiThreadProbe.h"
#include "tools/bench/NullTarget.h"

namespace {

namespace fs = std::filesystem;
constexpr int kFiles = 10000;
constexpr int kRowsOnScreen = 30;
constexpr int kEntries = 255;

const fs::path& Folder() {
  static const fs::path folder = [] {
    const fs::path dir = fs::temp_directory_path() / "mypc-bench-10000";
    if (!fs::exists(dir / "done")) {
      fs::remove_all(dir);
      fs::create_directories(dir);
      char name[32];
      for (int i = 0; i < kFiles; ++i) {
        std::snprintf(name, sizeof name, "track%05d.mp3", i);
        std::FILE* f = std::fopen((dir / name).c_str(), "wb");
        if (f) {
          std::fputs("ID3", f);
          std::fclose(f);
        }
      }
      std::FILE* done = std::fopen((dir / "done").c_str(), "wb");
      if (done) std::fclose(done);
    }
    return dir;
  }();
  return folder;
}

gui::headless::HeadlessBackend* gBackend = nullptr;

gui::Application& App() {
  static gui::Application app([] {
    auto backend = std::make_unique<gui::headless::HeadlessBackend>();
    gBackend = backend.get();
    return backend;
  }());
  return app;
}

void BM_BareReaddirLoop(benchmark::State& state) {
  const std::string folder = Folder().string();
  for (auto _ : state) {
    int n = 0;
    DIR* dir = ::opendir(folder.c_str());
    while (const dirent* e = ::readdir(dir)) n += e->d_name[0] != '.';
    ::closedir(dir);
    if (n != kFiles + 1) state.SkipWithError("the folder is not complete");
    benchmark::DoNotOptimize(n);
  }
}

void BM_ShellListUntilFirstScreen(benchmark::State& state) {
  App();
  gui::Form form;
  gui::ShellListView list(&form);
  list.SetDesktopFolder(common::PathToUtf8(Folder().parent_path()));
  form.Create();
  for (auto _ : state) {
    if (!list.SetPlace(gui::ShellPlace::Folder(common::PathToUtf8(Folder())))) state.SkipWithError("not listed");
    // What the first paint asks of the rows it draws.
    for (int i = 0; i < kRowsOnScreen; ++i) {
      benchmark::DoNotOptimize(gui::ListView::ColumnText(list.Item(i), 1));
      benchmark::DoNotOptimize(list.ImageOf(i));
    }
    if (list.Count() != kFiles + 1) state.SkipWithError("rows missing");
  }
}

std::shared_ptr<playerlink::sim::SimulatedPlayer> MakeFullPlayer(playerlink::sim::LinkPace pace) {
  playerlink::sim::PlayerSettings settings;
  settings.pace = pace;
  auto p = std::make_shared<playerlink::sim::SimulatedPlayer>(settings);
  for (int i = 0; i < kEntries; ++i) {
    const std::u16string name = u"C:\\음악\\노래 " + std::u16string(1, static_cast<char16_t>(u'가' + i)) + u".mp3";
    (void)p->Store(playerlink::sim::MediumId::kInternal, name, std::vector<std::uint8_t>(1000 + i, 1));
  }
  return p;
}

// The player at memory speed, or (paced) at USB 1.1 full speed.
std::shared_ptr<playerlink::sim::SimulatedPlayer> FullPlayer(bool paced = false) {
  static const auto player = MakeFullPlayer({});
  static const auto pacedPlayer = MakeFullPlayer(playerlink::sim::kUsbFullSpeed);
  return paced ? pacedPlayer : player;
}

void BM_RawDirectoryRead(benchmark::State& state) {
  playerlink::sim::SimulatedDriver driver(FullPlayer(state.range(0) != 0));
  for (auto _ : state) {
    playerlink::Link link(driver);
    (void)link.Open();
    const auto directory = playerlink::ReadDirectory(link, playerlink::kInternalMemoryBase);
    link.Close();
    if (directory.entries.size() != kEntries) state.SkipWithError("entries missing");
  }
}

void BM_PlayerListReadAndShown(benchmark::State& state) {
  App();
  const fs::path root = fs::temp_directory_path() / "mypc-bench-program";
  fs::create_directories(root);
  orvel::Environment().programFolder = root;
  playerlink::sim::SimulatedDriver driver(FullPlayer(state.range(0) != 0));
  orvel::TfrmExplorer explorer;
  explorer.Player = &driver;
  explorer.Show();
  double longest = 0;
  for (auto _ : state) {
    benchsupport::GuiThreadProbe probe(App());
    explorer.aliRefreshExecute();
    longest = std::max(longest, probe.Stop());
    if (explorer.lvMyDevice.Count() != kEntries) state.SkipWithError("rows missing");
  }
  state.counters["longest_gui_ms"] = longest;
  explorer.Hide();
}

BENCHMARK(BM_BareReaddirLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShellListUntilFirstScreen)->Unit(benchmark::kMillisecond);
constexpr std::size_t kTransferBytes = 1u << 20;

// Three PC files of 1 MiB for the transfers.
std::vector<std::string> TransferFiles() {
  static const std::vector<std::string> files = [] {
    const fs::path dir = fs::temp_directory_path() / "mypc-bench-transfer";
    fs::create_directories(dir);
    std::vector<std::string> paths;
    for (const char* name : {"one.mp3", "two.mp3", "three.mp3"}) {
      (void)common::WriteFileAtomically(dir / name, std::vector<std::uint8_t>(kTransferBytes, 7));
      paths.push_back((dir / name).string());
    }
    return paths;
  }();
  return files;
}

using benchsupport::NullTarget;

void BM_PacedTransferThreadsOfThreeFiles(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    playerlink::sim::SimulatedDriver driver(MakeFullPlayer(playerlink::sim::kUsbFullSpeed));
    state.ResumeTiming();
    for (const std::string& path : TransferFiles()) {
      NullTarget window;
      orvel::TDNFileThread(driver, window, common::PathFromUtf8(path).u16string(),
                           u"C:\\" + common::PathFromUtf8(path).filename().u16string(), 1, 1)
          .Execute();
      if (window.last != 2) state.SkipWithError("a write failed");
    }
  }
}

void BM_PacedTransferDialogOfThreeFiles(benchmark::State& state) {
  App();
  double longest = 0;
  for (auto _ : state) {
    state.PauseTiming();
    playerlink::sim::SimulatedDriver driver(MakeFullPlayer(playerlink::sim::kUsbFullSpeed));
    orvel::TfrmUpDown dialog(&driver);
    dialog.Direction = orvel::TfrmUpDown::kPcToPlayer;
    dialog.FileList = TransferFiles();
    gBackend->SetMessageBoxScript([](const gui::MessageBoxRequest&) { return gui::ModalResult::kOk; });
    state.ResumeTiming();
    benchsupport::GuiThreadProbe probe(App());
    (void)dialog.ShowModal();
    longest = std::max(longest, probe.Stop());
    state.PauseTiming();
    if (driver.player()->Entries(playerlink::sim::MediumId::kInternal).size() != kEntries + 3) {
      state.SkipWithError("the files did not arrive");
    }
    state.ResumeTiming();
  }
  state.counters["longest_gui_ms"] = longest;
}

// Argument 0: the player at memory speed; 1: at USB 1.1 full speed.
BENCHMARK(BM_RawDirectoryRead)->Unit(benchmark::kMillisecond)->Arg(0);
BENCHMARK(BM_PlayerListReadAndShown)->Unit(benchmark::kMillisecond)->Arg(0);
BENCHMARK(BM_RawDirectoryRead)->Unit(benchmark::kMillisecond)->UseRealTime()->Arg(1)->Iterations(2);
BENCHMARK(BM_PlayerListReadAndShown)->Unit(benchmark::kMillisecond)->UseRealTime()->Arg(1)->Iterations(2);
BENCHMARK(BM_PacedTransferThreadsOfThreeFiles)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_PacedTransferDialogOfThreeFiles)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
