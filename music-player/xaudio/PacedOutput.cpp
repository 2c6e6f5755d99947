// The engine's clock over any output: samples are handed on no faster than
// their sample rate allows, at most a queue's length ahead. A device that
// takes samples faster than it plays them (a null sound device) then still
// plays a file in its own time; one that is slower sets the pace itself and
// earns no credit for later.
#include <chrono>
#include <thread>

#include "music-player/xaudio/Xaudio.h"

namespace xaudio {

namespace {

using Clock = std::chrono::steady_clock;

class PacedOutput : public AudioOutput {
 public:
  PacedOutput(std::unique_ptr<AudioOutput> inner, double queueSeconds)
      : inner_(std::move(inner)), queue_(queueSeconds) {}

  bool Open(int sampleRate, int channels) override {
    if (!inner_->Open(sampleRate, channels)) return false;
    rate_ = sampleRate;
    channels_ = channels;
    Restart();
    return true;
  }
  bool Write(const std::int16_t* samples, std::size_t count) override {
    const bool ok = inner_->Write(samples, count);
    if (rate_ > 0) {
      frames_ += count / static_cast<std::size_t>(channels_);
      Hold(queue_);
    }
    return ok;
  }
  void Pause() override {
    inner_->Pause();
    if (!paused_) pausedAt_ = Clock::now();
    paused_ = true;
  }
  void Resume() override {
    inner_->Resume();
    if (paused_) epoch_ += Clock::now() - pausedAt_;
    paused_ = false;
  }
  void Flush() override {
    inner_->Flush();
    Restart();
  }
  void Drain() override {
    if (rate_ > 0) Hold(0);
    inner_->Drain();
    Restart();
  }
  void Close() override {
    inner_->Close();
    rate_ = 0;
  }

 private:
  void Restart() {
    epoch_ = Clock::now();
    frames_ = 0;
    paused_ = false;
  }
  // Waits until what was handed on is at most `lead` seconds ahead of the
  // clock. Behind the clock (a slow device), the clock moves back to it.
  void Hold(double lead) {
    const auto written = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(static_cast<double>(frames_) / rate_));
    const auto now = Clock::now();
    if (epoch_ + written < now) {
      epoch_ = now - written;
      return;
    }
    const auto due = epoch_ + written - std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(lead));
    if (due > now) std::this_thread::sleep_until(due);
  }

  std::unique_ptr<AudioOutput> inner_;
  double queue_;
  int rate_ = 0, channels_ = 1;
  Clock::time_point epoch_{}, pausedAt_{};
  std::uint64_t frames_ = 0;
  bool paused_ = false;
};

}  // namespace

std::unique_ptr<AudioOutput> CreatePacedOutput(std::unique_ptr<AudioOutput> inner, double queueSeconds) {
  return std::make_unique<PacedOutput>(std::move(inner), queueSeconds);
}

}  // namespace xaudio
