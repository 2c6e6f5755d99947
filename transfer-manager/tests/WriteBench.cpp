// A 32 MiB PC file written to the in-process simulated player through the
// transfer manager's write path (the queue, the header with the MP3 probe,
// the data blocks with the progress window; headless, so its fixed pauses
// cost nothing), against the tray client's transfer thread writing the same
// file, in the same run.
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
#include "tray-client/UpDnUnit.h"

namespace {

namespace fs = std::filesystem;
using namespace playerlink;
constexpr std::size_t kFileBytes = 32u << 20;

struct Files {
  fs::path dir = fs::temp_directory_path() / "halvern-write-bench";
  fs::path source = dir / "PC" / "source.mp3";
  Files() {
    fs::create_directories(dir / "Program");
    fs::create_directories(dir / "PC");
    std::vector<std::uint8_t> d(kFileBytes);
    for (std::size_t i = 0; i < d.size(); ++i) d[i] = static_cast<std::uint8_t>(i * 2654435761u >> 24);
    (void)common::WriteFileAtomically(source, d);
    (void)common::WriteFileAtomically(dir / "Program" / "Dravik.dll", std::vector<std::uint8_t>(16, 1));
  }
  ~Files() { fs::remove_all(dir); }
};

Files& TheFiles() {
  static Files files;
  return files;
}

class NullTarget : public platform::MessageTarget {
 public:
  std::intptr_t Send(std::uint32_t, std::uintptr_t w, std::intptr_t) override {
    last = w;
    return 0;
  }
  std::uintptr_t last = 0;
};

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

void BM_HalvernWrite(benchmark::State& state) {
  const auto& files = TheFiles();
  sim::SimulatedDriver driver(std::make_shared<sim::SimulatedPlayer>());
  platform::MemoryRegistry registry;
  auto& env = halvern::Environment();
  env = halvern::HalvernEnvironment{};
  env.programFolder = files.dir / "Program";
  env.registry = &registry;
  env.driver = &driver;
  env.instanceName = "HalvernWriteBench";
  env.fallbackFolder = halvern::TextOfPath(files.dir / "PC");
  gui::Application app(std::make_unique<gui::headless::HeadlessBackend>());
  auto started = halvern::StartHalvern(app);
  if (started.result != halvern::StartResult::kRunning) {
    state.SkipWithError("the program did not start");
    return;
  }
  auto& form = *halvern::frmShape;
  const std::string path = halvern::TextOfPath(files.source);
  for (auto _ : state) {
    state.PauseTiming();
    auto player = std::make_shared<sim::SimulatedPlayer>();
    driver.Attach(player);
    form.lvwTmpDownload.Clear();
    form.lvwTmpDownload.AddItem(gui::ListItem{"source.mp3", {"", path}});
    state.ResumeTiming();
    const bool done = halvern::ConfirmOverwrite(form, form.lvwTmpDownload, false, false);
    if (!done || player->Entries(sim::MediumId::kInternal).size() != 1) state.SkipWithError("the write failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileBytes));
  app.DestroyForms();
  halvern::SetDevice(nullptr);
  halvern::SetTransport(nullptr);
}

BENCHMARK(BM_TransferThreadWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HalvernWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
