// MPEG audio layer III frames made for the tests: headers of any version,
// bit rate and sample rate, zero bodies, a Xing or Info header, an
// ID3v2 tag in front.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace halvern::testing {

struct FrameSpec {
  int version = 1;        // 1, 2 or 25 (MPEG-2.5)
  unsigned rateIndex = 9;  // 1-14
  unsigned sampleIndex = 0;
  bool mono = false;
};

inline std::vector<std::uint8_t> FrameHeader(const FrameSpec& f) {
  const std::uint8_t versionBits = f.version == 1 ? 3 : f.version == 2 ? 2 : 0;
  return {0xFF, static_cast<std::uint8_t>(0xE0 | versionBits << 3 | 1 << 1 | 1),
          static_cast<std::uint8_t>(f.rateIndex << 4 | f.sampleIndex << 2),
          static_cast<std::uint8_t>(f.mono ? 0xC0 : 0x00)};
}

inline std::size_t FrameBytes(const FrameSpec& f) {
  static const unsigned mpeg1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
  static const unsigned mpeg2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
  static const unsigned rates[] = {44100, 48000, 32000};
  const unsigned kbps = (f.version == 1 ? mpeg1 : mpeg2)[f.rateIndex];
  const unsigned sampleRate = rates[f.sampleIndex] / (f.version == 1 ? 1 : f.version == 2 ? 2 : 4);
  return (f.version == 1 ? 144 : 72) * kbps * 1000 / sampleRate;
}

// `count` frames of one kind.
inline void AppendFrames(std::vector<std::uint8_t>& out, const FrameSpec& f, int count) {
  for (int i = 0; i < count; ++i) {
    const auto h = FrameHeader(f);
    out.insert(out.end(), h.begin(), h.end());
    out.resize(out.size() + FrameBytes(f) - 4, 0);
  }
}

// A first frame carrying a Xing (or "Info") header with the frame count,
// which counts the frames behind this one as an encoder writes it.
inline void AppendXingFrame(std::vector<std::uint8_t>& out, const FrameSpec& f, std::uint32_t frames,
                            const char* tag = "Xing") {
  const std::size_t at = out.size();
  AppendFrames(out, f, 1);
  const std::size_t side = f.version == 1 ? (f.mono ? 17 : 32) : (f.mono ? 9 : 17);
  std::uint8_t* p = out.data() + at + 4 + side;
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(tag[i]);
  p[4] = p[5] = p[6] = 0;
  p[7] = 1;  // the frame count is there
  p[8] = static_cast<std::uint8_t>(frames >> 24);
  p[9] = static_cast<std::uint8_t>(frames >> 16);
  p[10] = static_cast<std::uint8_t>(frames >> 8);
  p[11] = static_cast<std::uint8_t>(frames);
}

inline std::vector<std::uint8_t> Id3v2Tag(std::uint32_t bodyBytes) {
  std::vector<std::uint8_t> tag{'I', 'D', '3', 3, 0, 0,
                                static_cast<std::uint8_t>(bodyBytes >> 21 & 0x7F),
                                static_cast<std::uint8_t>(bodyBytes >> 14 & 0x7F),
                                static_cast<std::uint8_t>(bodyBytes >> 7 & 0x7F),
                                static_cast<std::uint8_t>(bodyBytes & 0x7F)};
  tag.resize(10 + bodyBytes, 0xFF);  // a tag full of 0xFF bytes: no frame in there counts
  return tag;
}

}  // namespace halvern::testing
