// A channel sync of 20 files of 4 MiB from the fake service, in the same
// run as a plain libcurl download of the same files: the fetch into
// LocalSync through the sync dialog (headless GUI thread, files written and
// checked), against the plain download into files; and the whole sync to
// the in-process simulated player with the longest time a call queued for
// the GUI thread (one every millisecond, from another thread) waited before
// it ran there: an upper bound of the longest handler, which also holds any
// other delay of the thread (a busy machine's scheduler).
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

#include "common/TextCodec.h"
#include "platform/Registry.h"
#include "platform/gui/Application.h"
#include "platform/gui/headless/HeadlessBackend.h"
#include "player-link/SimulatedPlayer.h"
#include "tools/fake-service/ServiceProcess.h"
#include "tray-client/ConfForm.h"
#include "tray-client/ContentProtocol.h"
#include "tray-client/ExplorerForm.h"
#include "tray-client/LoginForm.h"
#include "tray-client/MainForm.h"
#include "tray-client/OrvelEnvironment.h"
#include "tray-client/Startup.h"
#include "tray-client/TarnelForm.h"
#include "tools/bench/GuiThreadProbe.h"
#include "tools/bench/NullTarget.h"
#include "tray-client/DeviceUnit.h"
#include "tray-client/UpDnUnit.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
constexpr int kFiles = 20;
constexpr std::uint64_t kFileBytes = 4u << 20;

struct Bench {
  fs::path root;
  fake_service::ServiceProcess service;
  int port = 0;
  std::string Base() const { return "http://127.0.0.1:" + std::to_string(port); }
  // The service ends with the program, so nobody waits for its output.
  ~Bench() {
    service.Stop();
    std::error_code error;
    fs::remove_all(root, error);
  }
};

Bench& TheBench() {
  static std::unique_ptr<Bench> bench = [] {
    auto b = std::make_unique<Bench>();
    b->root = fs::temp_directory_path() / ("sync-bench-" + std::to_string(::getpid()));
    fs::create_directories(b->root);
    std::ofstream data(b->root / "service.txt");
    data << "zone|1|Tarnel 서울|{self}|127.0.0.1|{port}\nuser|bench|bench\n";
    for (int i = 0; i < kFiles; ++i) {
      data << "channel|bench|0|채널 " << i << "|" << i << "|ch" << i << ".sa3|4096|20260101||0||P-" << i << "\n";
      data << "file|ch" << i << ".sa3|" << kFileBytes << "\n";
    }
    data.close();
    auto started = fake_service::ServiceProcess::Start(
        {FAKE_SERVICE_PATH, "--data", (b->root / "service.txt").string(), "--lifetime", "600"});
    if (started) {
      b->service = std::move(*started);
      b->port = b->service.port();
    }
    return b;
  }();
  return *bench;
}

// The program's forms, logged in, every channel ticked in "My PC".
class SyncRun {
 public:
  explicit SyncRun(playerlink::Driver& player, int ticked = kFiles) {
    const fs::path program = TheBench().root / "Program";
    fs::remove_all(program);
    fs::create_directories(program);
    orvel::Environment() = orvel::OrvelEnvironment{program / "Orvel.exe", program, program / "ORVEL.INI", &registry_};
    const std::string ini = *common::Utf8ToCp949("[SERVERINFO]\r\nSERVERNAME=Tarnel 서울\r\n");
    (void)common::WriteFileAtomically(program / "ORVEL.INI",
                                      std::span(reinterpret_cast<const std::uint8_t*>(ini.data()), ini.size()));
    auto backend = std::make_unique<gui::headless::HeadlessBackend>();
    auto* headless = backend.get();
    app_ = std::make_unique<gui::Application>(std::move(backend));
    orvel::TfrmLogin::Services login;
    login.zoneDirectory = TheBench().Base();
    orvel::CreateStartupForms(*app_, std::move(login));
    orvel::frmExplorer->Player = &player;
    // Without a player "My PC" finds no free memory: go on all the same.
    headless->SetMessageBoxScript([](const gui::MessageBoxRequest& box) {
      return box.title == "용량초과" ? gui::ModalResult::kNo : gui::ModalResult::kOk;
    });
    orvel::frmLogin->edtUserID.SetText("bench");
    orvel::frmLogin->edtPassWD.SetText("bench");
    orvel::frmLogin->btnLoginClick();
    for (int i = 0; i < orvel::frmExplorer->lvSyncList.Count() && i < ticked; ++i) {
      orvel::frmExplorer->lvSyncList.SetChecked(i, true);
    }
  }
  ~SyncRun() { app_.reset(); }

  bool Ready() const { return orvel::frmExplorer->lvSyncList.Count() == kFiles; }
  void Sync() { orvel::frmExplorer->btnSyncClick(); }
  gui::Application& app() { return *app_; }

 private:
  platform::MemoryRegistry registry_;
  std::unique_ptr<gui::Application> app_;
};

void BM_PlainLibcurlDownload(benchmark::State& state) {
  Bench& bench = TheBench();
  const fs::path folder = bench.root / "plain";
  fs::create_directories(folder);
  // The files must be prepared by a sync request of the user first.
  {
    playerlink::sim::SimulatedDriver none;
    SyncRun prepare(none);
    prepare.Sync();
  }
  std::uint64_t bytes = 0;
  for (auto _ : state) {
    CURL* curl = curl_easy_init();
    for (int i = 0; i < kFiles; ++i) {
      const std::string name = "ch" + std::to_string(i) + ".sa3";
      FILE* out = std::fopen((folder / name).c_str(), "wb");
      curl_easy_setopt(curl, CURLOPT_URL, orvel::content::FileUrl(bench.Base(), "bench", name).c_str());
      curl_easy_setopt(curl, CURLOPT_WRITEDATA, out);
      const CURLcode code = curl_easy_perform(curl);
      std::fclose(out);
      if (code != CURLE_OK) state.SkipWithError("the plain download failed");
      bytes += fs::file_size(folder / name);
    }
    curl_easy_cleanup(curl);
  }
  if (bytes != state.iterations() * kFiles * kFileBytes) state.SkipWithError("the files are not whole");
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
  fs::remove_all(folder);
}

// The fetch phase alone: no player is plugged in, so the dialog closes
// once the files are in LocalSync.
void BM_FetchIntoLocalSyncThroughTheDialog(benchmark::State& state) {
  playerlink::sim::SimulatedDriver none;
  std::uint64_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    SyncRun run(none);
    if (!run.Ready()) state.SkipWithError("the channel list did not come");
    state.ResumeTiming();
    run.Sync();
    state.PauseTiming();
    for (const auto& entry : fs::directory_iterator(orvel::Environment().programFolder / "LocalSync")) {
      bytes += entry.file_size();
    }
    state.ResumeTiming();
  }
  if (bytes != state.iterations() * kFiles * kFileBytes) state.SkipWithError("LocalSync does not hold the files whole");
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}

void BM_WholeSyncToThePlayer(benchmark::State& state) {
  double longest = 0;
  for (auto _ : state) {
    state.PauseTiming();
    playerlink::sim::PlayerSettings settings;
    settings.media[0].capacity = 256u << 20;
    playerlink::sim::SimulatedDriver driver(std::make_shared<playerlink::sim::SimulatedPlayer>(settings));
    SyncRun run(driver);
    auto queue = run.app().WorkerQueue();
    // Every millisecond a call is queued for the GUI thread; when it runs
    // there it notes how long it waited.
    std::atomic<bool> running{true};
    std::thread probe([&] {
      while (running) {
        const auto queued = std::chrono::steady_clock::now();
        const bool posted = queue->PostCall([&longest, queued] {
          const auto waited = std::chrono::steady_clock::now() - queued;
          longest = std::max(longest, std::chrono::duration<double, std::milli>(waited).count());
        });
        if (!posted) break;
        std::this_thread::sleep_for(1ms);
      }
    });
    state.ResumeTiming();
    run.Sync();
    state.PauseTiming();
    running = false;
    probe.join();
    run.app().DrainWorkerCalls();
    if (driver.player()->Entries(playerlink::sim::MediumId::kInternal).size() != kFiles) {
      state.SkipWithError("the player did not receive every file");
    }
    state.ResumeTiming();
  }
  state.counters["longest_gui_ms"] = longest;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFiles * kFileBytes));
}

// One channel file synced to a player of 255 entries at USB 1.1 full speed:
// the longest time the GUI thread stays away from its loop, from the fetch
// through the start of the player phase to the end of the write.
void BM_PacedSyncOfOneFile(benchmark::State& state) {
  double longest = 0;
  for (auto _ : state) {
    state.PauseTiming();
    playerlink::sim::PlayerSettings settings;
    settings.media[0].capacity = 256u << 20;
    auto player = std::make_shared<playerlink::sim::SimulatedPlayer>(settings);
    for (int i = 0; i < 255; ++i) {
      (void)player->Store(playerlink::sim::MediumId::kInternal, u"C:\\old" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) +
                                                                   std::u16string(1, static_cast<char16_t>(u'a' + i / 26)) + u".mp3",
                          std::vector<std::uint8_t>(1000, 1));
    }
    player->SetPace(playerlink::sim::kUsbFullSpeed);
    playerlink::sim::SimulatedDriver driver(player);
    SyncRun run(driver, 1);
    state.ResumeTiming();
    benchsupport::GuiThreadProbe probe(run.app());
    run.Sync();
    longest = std::max(longest, probe.Stop());
    state.PauseTiming();
    if (player->Entries(playerlink::sim::MediumId::kInternal).size() != 256) state.SkipWithError("the file did not arrive");
    state.ResumeTiming();
  }
  state.counters["longest_gui_ms"] = longest;
}

// A player at USB 1.1 full speed with 255 entries on its built-in memory.
std::shared_ptr<playerlink::sim::SimulatedPlayer> FullPacedPlayer() {
  playerlink::sim::PlayerSettings settings;
  settings.media[0].capacity = 256u << 20;
  auto player = std::make_shared<playerlink::sim::SimulatedPlayer>(settings);
  for (int i = 0; i < 255; ++i) {
    (void)player->Store(playerlink::sim::MediumId::kInternal, u"C:\\old" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) +
                                                                 std::u16string(1, static_cast<char16_t>(u'a' + i / 26)) + u".mp3",
                        std::vector<std::uint8_t>(1000, 1));
  }
  player->SetPace(playerlink::sim::kUsbFullSpeed);
  return player;
}

// Waits (on a thread of its own) for the first block written to `player`
// and notes when it came.
class FirstBlockWatch {
 public:
  explicit FirstBlockWatch(std::shared_ptr<playerlink::sim::SimulatedPlayer> player,
                           std::function<void()> seen = {}) {
    (void)player->TakeEvents();
    thread_ = std::thread([this, player, seen = std::move(seen)] {
      for (bool last = false; !last;) {
        last = stop_;
        for (const auto& e : player->TakeEvents()) {
          if (e.kind != playerlink::sim::Event::Kind::kWrite) continue;
          at_ = std::chrono::steady_clock::now();
          if (seen) seen();
          return;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      }
    });
  }
  ~FirstBlockWatch() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  // Once the writes are over: when the first block came, if one did.
  std::optional<std::chrono::steady_clock::time_point> Wait() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return at_ == std::chrono::steady_clock::time_point{} ? std::nullopt : std::optional(at_);
  }

 private:
  std::atomic<bool> stop_{false};
  std::chrono::steady_clock::time_point at_{};
  std::thread thread_;
};

// The start of a sync's player phase at USB 1.1 full speed, on a player of
// 255 entries: from the sync button, with one 64 KiB channel file already
// in LocalSync (its Local row ticked, so nothing is fetched), to the first
// block written to the player; with the longest time the GUI thread stays
// away from its loop until then.
void BM_PacedStartOfThePlayerPhase(benchmark::State& state) {
  double longest = 0;
  for (auto _ : state) {
    auto player = FullPacedPlayer();
    playerlink::sim::SimulatedDriver driver(player);
    SyncRun run(driver, 0);
    // A channel's own file, so the service takes the sync request.
    const fs::path file = orvel::Environment().programFolder / "LocalSync" / "ch0.sa3";
    fs::create_directories(file.parent_path());
    (void)common::WriteFileAtomically(file, std::vector<std::uint8_t>(64u << 10, 7));
    orvel::frmExplorer->btnSyncRefreshClick();
    auto& list = orvel::frmExplorer->lvSyncList;
    for (int i = 0; i < list.Count(); ++i) {
      if (list.Item(i).caption == "ch0.sa3" && list.Item(i).subItems[0] == orvel::kRowLocal) list.SetChecked(i, true);
    }
    std::atomic<double> longestAtFirst{-1};
    auto queue = run.app().WorkerQueue();
    const auto start = std::chrono::steady_clock::now();
    {
      benchsupport::GuiThreadProbe probe(run.app());
      FirstBlockWatch watch(player, [&] {
        (void)queue->PostCall([&] { longestAtFirst = probe.Longest(); });
      });
      run.Sync();
      const auto first = watch.Wait();
      run.app().DrainWorkerCalls();
      if (!first || longestAtFirst < 0) {
        state.SkipWithError("nothing was written to the player");
        break;
      }
      state.SetIterationTime(std::chrono::duration<double>(*first - start).count());
      longest = std::max(longest, longestAtFirst.load());
    }
  }
  state.counters["longest_gui_ms"] = longest;
}

// The same start without the program: the player opened (the model), its
// free memory asked, and a transfer thread started on the same file, to
// its first block.
void BM_PacedRawStartOfAWrite(benchmark::State& state) {
  const fs::path file = TheBench().root / "start.sa3";
  (void)common::WriteFileAtomically(file, std::vector<std::uint8_t>(64u << 10, 7));
  for (auto _ : state) {
    auto player = FullPacedPlayer();
    playerlink::sim::SimulatedDriver driver(player);
    FirstBlockWatch watch(player);
    const auto start = std::chrono::steady_clock::now();
    orvel::TMyDevice device(driver);
    if (!device.DetectDevice() || device.GetFreeMemory() == 0) state.SkipWithError("the player did not answer");
    benchsupport::NullTarget window;
    orvel::TDNFileThread(driver, window, file.u16string(), u"C:\\start.mp3", 1, 1).Execute();
    const auto first = watch.Wait();
    if (!first) {
      state.SkipWithError("nothing was written to the player");
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(*first - start).count());
  }
}

BENCHMARK(BM_PlainLibcurlDownload)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FetchIntoLocalSyncThroughTheDialog)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WholeSyncToThePlayer)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_PacedSyncOfOneFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_PacedStartOfThePlayerPhase)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_PacedRawStartOfAWrite)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
