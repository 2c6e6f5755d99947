// Decoding five minutes of MP3 through the engine (output discarded)
// against a bare libmpg123 decode loop of the same file; loading and saving
// a 1000-entry playlist against reading and writing the same bytes.
#include <benchmark/benchmark.h>
#include <mpg123.h>

#include <filesystem>
#include <vector>

#include "music-player/Playlist.h"
#include "music-player/tests/EngineTestSupport.h"
#include "music-player/xaudio/Xaudio.h"

namespace {

const std::string kLong = xaudio_test::TestFile("long5min.mp3");

void BM_BareMpg123Decode(benchmark::State& state) {
  mpg123_init();
  std::vector<unsigned char> buffer(2048 * 2);
  for (auto _ : state) {
    mpg123_handle* h = mpg123_new(nullptr, nullptr);
    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0);
    if (mpg123_open(h, kLong.c_str()) != MPG123_OK) {
      state.SkipWithError("open failed");
      break;
    }
    std::size_t total = 0, got = 0;
    int r;
    while ((r = mpg123_read(h, buffer.data(), buffer.size(), &got)) == MPG123_OK || r == MPG123_NEW_FORMAT)
      total += got;
    benchmark::DoNotOptimize(total);
    mpg123_close(h);
    mpg123_delete(h);
  }
}
BENCHMARK(BM_BareMpg123Decode)->Unit(benchmark::kMillisecond);

// Counts notifications and wakes the waiting thread at the end of input
// only, as a window's queue would cost the engine nothing more.
class EndWindow : public xaudio::NotifyWindow {
 public:
  void PostNotification(std::uint32_t message, std::uintptr_t wParam, std::intptr_t) override {
    ++count_;
    if (message == xaudio::kXaMessageBase + xaudio::kNotifyPlayerState && wParam == xaudio::kStateEof) {
      std::lock_guard lock(mutex_);
      ended_ = true;
      cv_.notify_all();
    }
  }
  bool WaitEnd(int ms) {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return ended_; });
  }

 private:
  std::atomic<int> count_{0};
  std::mutex mutex_;
  std::condition_variable cv_;
  bool ended_ = false;
};

void BM_EngineDecode(benchmark::State& state) {
  using namespace xaudio;
  for (auto _ : state) {
    EndWindow window;
    NotifyWindowHandle handle = &window;
    PlayerOptions options;
    options.makeOutput = [] { return CreateNullOutput(NullOutputOptions{0, {}}); };
    options.realTime = false;
    PlayerHandle player = nullptr;
    player_new_with_options(&player, &handle, options);
    control_message_send(player, kCmdSetNotifications, 1);
    control_message_send(player, kCmdInputOpen, kLong.c_str());
    control_message_send(player, kCmdPlay);
    if (!window.WaitEnd(60000)) state.SkipWithError("no end of input");
    player_delete(player);
  }
}
BENCHMARK(BM_EngineDecode)->Unit(benchmark::kMillisecond);

common::Path TempFile(const char* name) { return std::filesystem::temp_directory_path() / name; }

// 1000 entries of typical paths.
vantu::CPlaylist& Thousand() {
  static vantu::CPlaylist list = [] {
    vantu::CPlaylist p;
    for (int i = 0; i < 1000; ++i)
      p.AddFile("D:\\Music\\Artist " + std::to_string(i % 37) + "\\Album " + std::to_string(i % 11) + "\\" +
                std::to_string(i) + " - A song title of a usual length.mp3");
    return p;
  }();
  return list;
}

void BM_PlaylistSave(benchmark::State& state) {
  const auto path = TempFile("vantu-bench-save.lirn");
  for (auto _ : state)
    if (!Thousand().SavePlaylistFile(path)) state.SkipWithError("save failed");
  std::filesystem::remove(path);
}
BENCHMARK(BM_PlaylistSave)->Unit(benchmark::kMicrosecond);

void BM_WriteSameBytes(benchmark::State& state) {
  const auto path = TempFile("vantu-bench-bytes.lirn");
  Thousand().SavePlaylistFile(path);
  const auto bytes = common::ReadWholeFile(path, 1u << 24).value();
  const std::span<const std::uint8_t> view(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  for (auto _ : state)
    if (!common::WriteFileAtomically(path, view).ok()) state.SkipWithError("write failed");
  std::filesystem::remove(path);
}
BENCHMARK(BM_WriteSameBytes)->Unit(benchmark::kMicrosecond);

void BM_PlaylistLoad(benchmark::State& state) {
  const auto path = TempFile("vantu-bench-load.lirn");
  Thousand().SavePlaylistFile(path);
  for (auto _ : state) {
    vantu::CPlaylist p;
    if (p.LoadPlaylistFile(path) != vantu::CPlaylist::LoadResult::kLoaded || p.Count() != 1000)
      state.SkipWithError("load failed");
    benchmark::DoNotOptimize(p.Count());
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_PlaylistLoad)->Unit(benchmark::kMicrosecond);

void BM_ReadSameBytes(benchmark::State& state) {
  const auto path = TempFile("vantu-bench-read.lirn");
  Thousand().SavePlaylistFile(path);
  for (auto _ : state) {
    auto bytes = common::ReadWholeFile(path, 1u << 24);
    benchmark::DoNotOptimize(bytes);
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_ReadSameBytes)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
