// Test support for the decoder engine: a notification window that queues
// what the engine posts, the generated test files, and PCM measurements.
#pragma once

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <numbers>
#include <string>
#include <vector>

#include "common/ByteOrder.h"
#include "common/File.h"
#include "music-player/xaudio/Xaudio.h"

namespace xaudio_test {

inline std::string TestFile(const std::string& name) { return std::string(VANTU_TEST_DATA) + "/" + name; }

struct Posted {
  std::uint32_t code;
  std::uint32_t a;  // parameter bytes 0-3
  std::uint32_t b;  // parameter bytes 4-7
};

// Collects notifications; the test thread waits on them.
class QueueWindow : public xaudio::NotifyWindow {
 public:
  void PostNotification(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
    std::lock_guard lock(mutex_);
    all_.push_back({message - xaudio::kXaMessageBase, static_cast<std::uint32_t>(wParam),
                    static_cast<std::uint32_t>(lParam)});
    changed_.notify_all();
  }
  // Waits (at most `ms`) for a notification after index `from` that
  // matches; gives its index or -1.
  int WaitFor(const std::function<bool(const Posted&)>& match, std::size_t from = 0, int ms = 10000) {
    std::unique_lock lock(mutex_);
    int found = -1;
    changed_.wait_for(lock, std::chrono::milliseconds(ms), [&] {
      for (std::size_t i = from; i < all_.size(); ++i)
        if (match(all_[i])) return found = static_cast<int>(i), true;
      return false;
    });
    return found;
  }
  int WaitState(int state, std::size_t from = 0, int ms = 10000) {
    return WaitFor([&](const Posted& p) { return p.code == xaudio::kNotifyPlayerState && p.a == static_cast<std::uint32_t>(state); },
                   from, ms);
  }
  std::vector<Posted> Snapshot() {
    std::lock_guard lock(mutex_);
    return {all_.begin(), all_.end()};
  }
  std::size_t Count() {
    std::lock_guard lock(mutex_);
    return all_.size();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Posted> all_;
};

// Energy of one frequency in a mono or stereo signal (first channel).
inline double ToneEnergy(const std::vector<std::int16_t>& pcm, int channels, int rate, double freq) {
  const double w = 2 * std::numbers::pi * freq / rate;
  const double c = 2 * std::cos(w);
  double s1 = 0, s2 = 0;
  for (std::size_t i = 0; i < pcm.size(); i += static_cast<std::size_t>(channels)) {
    const double s0 = pcm[i] + c * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  return s1 * s1 + s2 * s2 - c * s1 * s2;
}

// The samples of a 16-bit PCM WAV file that the counting sink wrote.
inline std::vector<std::int16_t> ReadWavSamples(const std::string& path) {
  auto bytes = common::ReadWholeFile(common::PathFromAnsi(path), 1u << 28);
  std::vector<std::int16_t> out;
  if (!bytes || bytes->size() < 44) return out;
  const auto* p = reinterpret_cast<const std::uint8_t*>(bytes->data());
  for (std::size_t i = 44; i + 1 < bytes->size(); i += 2) out.push_back(static_cast<std::int16_t>(common::LoadLE16(p + i)));
  return out;
}

}  // namespace xaudio_test
