// One MPEG audio input decoded with libmpg123 into signed 16-bit PCM, read
// through callbacks over a file or a memory buffer (so paths go through our
// own file layer and fuzzers feed bytes directly).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "common/File.h"

namespace xaudio {

struct StreamInfo {
  int version = 0;      // 1, 2, or 3 for 2.5
  int layer = 0;        // 1-3
  int bitrateKbps = 0;  // of the first frame
  int sampleRate = 0;
  int channels = 0;
};

class Decoder {
 public:
  enum class Status { kOk, kNewFormat, kDone, kError };

  Decoder();
  ~Decoder();
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;

  // Opens an input and reads up to its first frame; false (with the error
  // code of Xaudio.h) when it cannot be opened or holds no MPEG audio.
  int OpenFile(const common::Path& path);
  int OpenMemory(std::span<const std::uint8_t> bytes);
  void Close();
  bool IsOpen() const { return open_; }

  const StreamInfo& Info() const { return info_; }
  // Total length in samples per channel, or -1 when unknown.
  std::int64_t LengthSamples();
  std::int64_t PositionSamples();
  bool SeekSamples(std::int64_t sample);

  // Decodes into `out` (interleaved samples); `produced` gives how many.
  Status Read(std::span<std::int16_t> out, std::size_t& produced);

  // 32 bands per channel, each a signed gain byte; null switches it off.
  void SetEqualizer(const std::uint8_t* bands64);

  // The gain factor of a band byte: 0 is 1.0, -128 +12 dB, 127 about
  // -12 dB (a knob above the middle of its track boosts).
  static double BandFactor(std::int8_t value);

 // What libmpg123 reads through (a file of ours or a buffer).
  struct Source;

 private:
  int OpenSource(std::unique_ptr<Source> source);

  void* handle_ = nullptr;  // mpg123_handle
  std::unique_ptr<Source> source_;
  StreamInfo info_;
  bool open_ = false;
};

}  // namespace xaudio
