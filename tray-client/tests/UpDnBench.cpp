// A 32 MiB file written to the in-process simulated player and read back,
// against a plain memory copy of the same bytes there and back, in the same
// run. Three levels: the bare player link through a driver that discards
// what is written and reads blocks as they are (the link's own cost: its
// commands and block calls, and the copies into and out of the blocks), the
// same link to the simulated player (the link and the simulator's storage),
// and the transfer thread (PC file to player to PC file, with the final sync
// and rename).
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>

#include "common/File.h"
#include "player-link/Link.h"
#include "player-link/SimulatedPlayer.h"
#include "tray-client/UpDnUnit.h"
#include "tools/bench/NullTarget.h"

namespace {

namespace fs = std::filesystem;
using namespace playerlink;
constexpr std::size_t kFileBytes = 32u << 20;

const std::vector<std::uint8_t>& Data() {
  static const std::vector<std::uint8_t> data = [] {
    std::vector<std::uint8_t> d(kFileBytes);
    for (std::size_t i = 0; i < d.size(); ++i) d[i] = static_cast<std::uint8_t>(i * 2654435761u >> 24);
    return d;
  }();
  return data;
}

using benchsupport::NullTarget;

// A player that takes every block and answers every command at once,
// keeping nothing: what remains of a run through it is the link's own work.
class DiscardingSession : public DriverSession {
 public:
  bool Open(Device) override { return true; }
  void Close(Device) override {}
  bool IsOpen(Device) const override { return true; }
  std::optional<std::size_t> Control(std::span<std::uint8_t> buffer, std::size_t) override { return buffer.size(); }
  std::optional<std::size_t> Write(std::span<const std::uint8_t> data) override {
    benchmark::DoNotOptimize(data.data());
    return data.size();
  }
  std::optional<std::size_t> Read(std::span<std::uint8_t> data) override { return data.size(); }
};

class DiscardingDriver : public Driver {
 public:
  std::unique_ptr<DriverSession> NewSession() override { return std::make_unique<DiscardingSession>(); }
};

// One file written through `driver` and read back into `back`.
bool WriteThenRead(Driver& driver, std::vector<std::uint8_t>& back) {
  Link link(driver);
  (void)link.Open();
  const auto blocks = static_cast<std::uint32_t>(FileBlockCount(kFileBytes));
  (void)link.Command(kInternalMemoryBase, CommandCode::kBeginWrite, blocks, kMode4);
  Block b = BuildFileHeader(kFileBytes, u"bench.mp3", NameEnd::kZeroUnit);
  bool ok = link.WriteBlock(b);
  for (std::size_t at = 0; ok && at < kFileBytes; at += kBlockSize) {
    std::memcpy(b.data(), Data().data() + at, kBlockSize);
    ok = link.WriteBlock(b);
  }
  (void)link.Command(kInternalMemoryBase, CommandCode::kEntryBlock, 1, kMode4);
  ok = ok && link.WriteBlock(BuildSelectionBlock(1));
  (void)link.Command(kInternalMemoryBase, CommandCode::kReadEntry, blocks, kMode4);
  ok = ok && link.ReadBlock(b);
  for (std::size_t at = 0; ok && at < kFileBytes; at += kBlockSize) {
    ok = link.ReadBlock(b);
    std::memcpy(back.data() + at, b.data(), kBlockSize);
  }
  return ok;
}

void BM_MemoryCopyThereAndBack(benchmark::State& state) {
  (void)Data();
  std::vector<std::uint8_t> there(kFileBytes), back(kFileBytes);
  for (auto _ : state) {
    std::memcpy(there.data(), Data().data(), kFileBytes);
    std::memcpy(back.data(), there.data(), kFileBytes);
    benchmark::DoNotOptimize(back.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileBytes));
}

// The buffers are made and touched before the timed loop, as the baseline's.
void BM_LinkThroughADiscardingDriver(benchmark::State& state) {
  (void)Data();
  std::vector<std::uint8_t> back(kFileBytes);
  DiscardingDriver driver;
  for (auto _ : state) {
    if (!WriteThenRead(driver, back)) state.SkipWithError("a block did not move");
    benchmark::DoNotOptimize(back.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileBytes));
}

void BM_LinkWriteThenRead(benchmark::State& state) {
  (void)Data();
  std::vector<std::uint8_t> back(kFileBytes);
  for (auto _ : state) {
    state.PauseTiming();
    sim::SimulatedDriver driver(std::make_shared<sim::SimulatedPlayer>());
    state.ResumeTiming();
    const bool ok = WriteThenRead(driver, back);
    state.PauseTiming();
    if (!ok || back != Data()) state.SkipWithError("the bytes did not come back");
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileBytes));
}

void BM_TransferThreadWriteThenRead(benchmark::State& state) {
  const fs::path dir = fs::temp_directory_path() / "updn-bench";
  fs::create_directories(dir);
  const fs::path source = dir / "source.mp3", target = dir / "target.mp3";
  if (!common::WriteFileAtomically(source, Data())) state.SkipWithError("cannot write the source");
  for (auto _ : state) {
    sim::SimulatedDriver driver(std::make_shared<sim::SimulatedPlayer>());
    NullTarget window;
    orvel::TDNFileThread(driver, window, source.u16string(), u"C:\\source.mp3", 1, 1).Execute();
    if (window.last != 2) state.SkipWithError("the write failed");
    orvel::TDNFileThread(driver, window, u"0", target.u16string(), 1, 2).Execute();
    if (window.last != 2) state.SkipWithError("the read failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileBytes));
  fs::remove_all(dir);
}

BENCHMARK(BM_MemoryCopyThereAndBack)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LinkThroughADiscardingDriver)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LinkWriteThenRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TransferThreadWriteThenRead)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
