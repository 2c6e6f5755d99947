// The counting sink: paced like a sound device (or not at all), counting
// and optionally recording what it plays to a RIFF/WAVE file.
#include <algorithm>
#include <array>
#include <cstring>
#include <chrono>
#include <thread>
#include <vector>

#include "common/ByteOrder.h"
#include "common/File.h"
#include "music-player/AnsiText.h"
#include "music-player/xaudio/Xaudio.h"

namespace xaudio {

namespace {

using Clock = std::chrono::steady_clock;

// The sink runs this far ahead of the clock, like a device's buffers.
constexpr double kLeadSeconds = 0.1;

class NullOutput : public AudioOutput {
 public:
  NullOutput(NullOutputOptions options, std::shared_ptr<NullOutputCounters> counters)
      : options_(std::move(options)), counters_(counters ? std::move(counters) : std::make_shared<NullOutputCounters>()) {}

  bool Open(int sampleRate, int channels) override {
    if (sampleRate <= 0 || channels <= 0) return false;
    rate_ = sampleRate;
    channels_ = channels;
    counters_->sampleRate = sampleRate;
    counters_->channels = channels;
    ++counters_->opens;
    recorded_.clear();
    Restart();
    return true;
  }

  bool Write(const std::int16_t* samples, std::size_t count) override {
    counters_->samples += count;
    if (!options_.wavPath.empty()) recorded_.insert(recorded_.end(), samples, samples + count);
    epochFrames_ += count / static_cast<std::size_t>(channels_);
    if (options_.speed > 0) WaitUntil(Seconds() - kLeadSeconds);
    return true;
  }

  void Pause() override { pausedAt_ = Clock::now(); paused_ = true; }
  void Resume() override {
    if (!paused_) return;
    epochStart_ += Clock::now() - pausedAt_;
    paused_ = false;
  }
  void Flush() override { Restart(); }
  void Drain() override {
    if (options_.speed > 0) WaitUntil(Seconds());
    Restart();
  }
  void Close() override {
    if (!options_.wavPath.empty() && rate_ > 0) WriteWav();
    rate_ = 0;
  }

 private:
  void Restart() {
    epochStart_ = Clock::now();
    epochFrames_ = 0;
  }
  // Seconds of audio written since the epoch, at the sink's speed.
  double Seconds() const { return static_cast<double>(epochFrames_) / rate_ / options_.speed; }
  void WaitUntil(double seconds) {
    const auto due = epochStart_ + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    if (due > Clock::now()) std::this_thread::sleep_until(due);
  }
  void WriteWav() {
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(
        std::min<std::size_t>(recorded_.size() * 2, 0xFFFFFFFFu - 36));
    std::array<std::uint8_t, 44> header{};
    std::uint8_t* p = header.data();
    std::memcpy(p, "RIFF", 4);
    common::StoreLE32(p + 4, 36 + dataBytes);
    std::memcpy(p + 8, "WAVEfmt ", 8);
    common::StoreLE32(p + 16, 16);
    common::StoreLE16(p + 20, 1);
    common::StoreLE16(p + 22, static_cast<std::uint16_t>(channels_));
    common::StoreLE32(p + 24, static_cast<std::uint32_t>(rate_));
    common::StoreLE32(p + 28, static_cast<std::uint32_t>(rate_ * channels_ * 2));
    common::StoreLE16(p + 32, static_cast<std::uint16_t>(channels_ * 2));
    common::StoreLE16(p + 34, 16);
    std::memcpy(p + 36, "data", 4);
    common::StoreLE32(p + 40, dataBytes);
    std::vector<std::uint8_t> out(header.begin(), header.end());
    out.resize(44 + dataBytes);
    for (std::size_t i = 0; i < dataBytes / 2; ++i)
      common::StoreLE16(out.data() + 44 + 2 * i, static_cast<std::uint16_t>(recorded_[i]));
    (void)common::WriteFileAtomically(vantu::PathFromCp949(options_.wavPath), out);
  }

  NullOutputOptions options_;
  std::shared_ptr<NullOutputCounters> counters_;
  int rate_ = 0, channels_ = 1;
  Clock::time_point epochStart_{}, pausedAt_{};
  std::uint64_t epochFrames_ = 0;
  bool paused_ = false;
  std::vector<std::int16_t> recorded_;
};

}  // namespace

std::unique_ptr<AudioOutput> CreateNullOutput(NullOutputOptions options, std::shared_ptr<NullOutputCounters> counters) {
  return std::make_unique<NullOutput>(std::move(options), std::move(counters));
}

#ifndef _WIN32
std::unique_ptr<AudioOutput> CreateSystemOutput() { return CreateNullOutput(NullOutputOptions{}); }
#endif

}  // namespace xaudio
