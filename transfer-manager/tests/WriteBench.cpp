// A 32 MiB PC file written to the in-process simulated player through the
// transfer manager's write path (the queue, the header with the MP3 probe,
// the data blocks with the progress window; headless, so its fixed pauses
// cost nothing), against the tray client's transfer thread writing the same
// file, in the same run. Then the same program against a player at USB 1.1
// full speed, with the longest time the GUI thread stays away from its
// message loop: the directory read of a medium of 255 entries (the medium's
// option clicked), against the raw directory read of the same player; and a
// 4 MiB file written, against the tray client's transfer thread writing it.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <vector>

#include "common/File.h"
#include "platform/Registry.h"
#include "platform/gui/Application.h"
#include "platform/gui/headless/HeadlessBackend.h"
#include "player-link/SimulatedPlayer.h"
#include "transfer-manager/HalvernEnvironment.h"
#include "transfer-manager/Startup.h"
#include "transfer-manager/frmShape.h"
#include "transfer-manager/modCommon.h"
#include "transfer-manager/modDevice.h"
#include "transfer-manager/modWrite.h"
#include "player-link/Directory.h"
#include "player-link/Link.h"
#include "tools/bench/GuiThreadProbe.h"
#include "transfer-manager/modFunctions.h"
#include "tray-client/UpDnUnit.h"
#include "tools/bench/NullTarget.h"

namespace {

namespace fs = std::filesystem;
using namespace playerlink;
constexpr std::size_t kFileBytes = 32u << 20;
constexpr std::size_t kPacedFileBytes = 4u << 20;
constexpr int kEntries = 255;

struct Files {
  fs::path dir = fs::temp_directory_path() / "halvern-write-bench";
  fs::path source = dir / "PC" / "source.mp3";
  fs::path small = dir / "PC" / "small.mp3";
  Files() {
    fs::create_directories(dir / "Program");
    fs::create_directories(dir / "PC");
    std::vector<std::uint8_t> d(kFileBytes);
    for (std::size_t i = 0; i < d.size(); ++i) d[i] = static_cast<std::uint8_t>(i * 2654435761u >> 24);
    (void)common::WriteFileAtomically(source, d);
    (void)common::WriteFileAtomically(small, std::span(d).first(kPacedFileBytes));
    (void)common::WriteFileAtomically(dir / "Program" / "Dravik.dll", std::vector<std::uint8_t>(16, 1));
  }
  ~Files() { fs::remove_all(dir); }
};

Files& TheFiles() {
  static Files files;
  return files;
}

using benchsupport::NullTarget;

void BM_TransferThreadWrite(benchmark::State& state) {
  const auto& files = TheFiles();
  for (auto _ : state) {
    sim::SimulatedDriver driver(std::make_shared<sim::SimulatedPlayer>());
    NullTarget window;
    orvel::TDNFileThread(driver, window, files.source.u16string(), u"C:\\source.mp3", 1, 1).Execute();
    if (window.last != 2) state.SkipWithError("the write failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileBytes));
}

// The transfer manager started headless on `driver`'s player.
class Halvern {
 public:
  explicit Halvern(sim::SimulatedDriver& driver) {
    const auto& files = TheFiles();
    auto& env = halvern::Environment();
    env = halvern::HalvernEnvironment{};
    env.programFolder = files.dir / "Program";
    env.registry = &registry_;
    env.driver = &driver;
    env.instanceName = "HalvernWriteBench";
    env.fallbackFolder = halvern::TextOfPath(files.dir / "PC");
    running_ = halvern::StartHalvern(app_).result == halvern::StartResult::kRunning;
    // The program's own first read of the built-in memory, a moment after
    // its start, is over before anything is measured.
    if (running_) backend_->Advance(halvern::kFirstReadDelayMs + 5000);
  }
  ~Halvern() {
    app_.DestroyForms();
    halvern::SetDevice(nullptr);
    halvern::SetTransport(nullptr);
  }
  bool running() const { return running_; }
  gui::Application& app() { return app_; }
  halvern::ShapeForm& form() { return *halvern::frmShape; }
  // Writes the PC file `path` as a drop on the player list would.
  bool Write(const fs::path& path) {
    form().lvwTmpDownload.Clear();
    form().lvwTmpDownload.AddItem(gui::ListItem{path.filename().string(), {"", halvern::TextOfPath(path)}});
    return halvern::ConfirmOverwrite(form(), form().lvwTmpDownload, false, false);
  }

 private:
  platform::MemoryRegistry registry_;
  std::unique_ptr<gui::headless::HeadlessBackend> owned_ = std::make_unique<gui::headless::HeadlessBackend>();
  gui::headless::HeadlessBackend* backend_ = owned_.get();
  gui::Application app_{std::move(owned_)};
  bool running_ = false;
};

void BM_HalvernWrite(benchmark::State& state) {
  const auto& files = TheFiles();
  sim::SimulatedDriver driver(std::make_shared<sim::SimulatedPlayer>());
  Halvern halvern(driver);
  if (!halvern.running()) {
    state.SkipWithError("the program did not start");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    auto player = std::make_shared<sim::SimulatedPlayer>();
    driver.Attach(player);
    state.ResumeTiming();
    const bool done = halvern.Write(files.source);
    if (!done || player->Entries(sim::MediumId::kInternal).size() != 1) state.SkipWithError("the write failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileBytes));
}

// A player at USB 1.1 full speed with 255 entries on each medium.
std::shared_ptr<sim::SimulatedPlayer> FullPacedPlayer() {
  sim::PlayerSettings settings;
  settings.pace = sim::kUsbFullSpeed;
  auto player = std::make_shared<sim::SimulatedPlayer>(settings);
  for (sim::MediumId medium : {sim::MediumId::kInternal, sim::MediumId::kCard}) {
    for (int i = 0; i < kEntries; ++i) {
      (void)player->Store(medium, u"C:\\Music\\track" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) +
                                      std::u16string(1, static_cast<char16_t>(u'a' + i / 26)) + u".mp3",
                          std::vector<std::uint8_t>(1000 + i, 1));
    }
  }
  return player;
}

// Argument: 0 the built-in memory, 1 the card.
void BM_PacedRawDirectoryRead(benchmark::State& state) {
  sim::SimulatedDriver driver(FullPacedPlayer());
  const std::uint8_t base = state.range(0) == 0 ? kInternalMemoryBase : kCardBase;
  for (auto _ : state) {
    Link link(driver);
    (void)link.Open();
    if (ReadDirectory(link, base).entries.size() != kEntries) state.SkipWithError("entries missing");
  }
}

void BM_PacedHalvernMediumChosen(benchmark::State& state) {
  sim::SimulatedDriver driver(FullPacedPlayer());
  Halvern halvern(driver);
  if (!halvern.running()) {
    state.SkipWithError("the program did not start");
    return;
  }
  double longest = 0;
  double reads = 0;
  for (auto _ : state) {
    // The other medium first, so that the click changes the medium.
    state.PauseTiming();
    const bool card = state.range(0) != 0;
    auto& form = halvern.form();
    if (!(card ? form.optBuiltIn : form.optCard).UserClick()) state.SkipWithError("the other medium was not chosen");
    (void)driver.player()->TakeEvents();
    state.ResumeTiming();
    benchsupport::GuiThreadProbe probe(halvern.app());
    if (!(card ? form.optCard : form.optBuiltIn).UserClick()) state.SkipWithError("no click");
    longest = std::max(longest, probe.Stop());
    state.PauseTiming();
    for (const auto& e : driver.player()->TakeEvents()) {
      reads += e.kind == sim::Event::Kind::kCommand &&
               (e.request.commandByte == CommandByte(kInternalMemoryBase, CommandCode::kReadDirectory) ||
                e.request.commandByte == CommandByte(kCardBase, CommandCode::kReadDirectory));
    }
    state.ResumeTiming();
    if (halvern.form().lvwGetFileList.Count() != kEntries) state.SkipWithError("rows missing");
  }
  state.counters["longest_gui_ms"] = longest;
  state.counters["directory_reads"] = benchmark::Counter(reads, benchmark::Counter::kAvgIterations);
}

void BM_PacedTransferThreadWrite(benchmark::State& state) {
  for (auto _ : state) {
    sim::PlayerSettings settings;
    settings.pace = sim::kUsbFullSpeed;
    sim::SimulatedDriver driver(std::make_shared<sim::SimulatedPlayer>(settings));
    NullTarget window;
    orvel::TDNFileThread(driver, window, TheFiles().small.u16string(), u"C:\\small.mp3", 1, 1).Execute();
    if (window.last != 2) state.SkipWithError("the write failed");
  }
}

void BM_PacedHalvernWrite(benchmark::State& state) {
  sim::PlayerSettings settings;
  settings.pace = sim::kUsbFullSpeed;
  sim::SimulatedDriver driver(std::make_shared<sim::SimulatedPlayer>(settings));
  Halvern halvern(driver);
  if (!halvern.running()) {
    state.SkipWithError("the program did not start");
    return;
  }
  double longest = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto player = std::make_shared<sim::SimulatedPlayer>(settings);
    driver.Attach(player);
    state.ResumeTiming();
    benchsupport::GuiThreadProbe probe(halvern.app());
    const bool done = halvern.Write(TheFiles().small);
    longest = std::max(longest, probe.Stop());
    if (!done || player->Entries(sim::MediumId::kInternal).size() != 1) state.SkipWithError("the write failed");
  }
  state.counters["longest_gui_ms"] = longest;
}

BENCHMARK(BM_TransferThreadWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HalvernWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PacedRawDirectoryRead)->Unit(benchmark::kMillisecond)->UseRealTime()->Arg(0)->Arg(1)->Iterations(1);
BENCHMARK(BM_PacedHalvernMediumChosen)->Unit(benchmark::kMillisecond)->UseRealTime()->Arg(0)->Arg(1)->Iterations(1);
BENCHMARK(BM_PacedTransferThreadWrite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_PacedHalvernWrite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
