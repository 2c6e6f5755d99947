#include "transfer-manager/Mp3Header.h"

#include <array>

namespace halvern {

namespace {

// Layer III bit rates in kbit/s by index 1-14.
constexpr std::array<unsigned, 15> kRatesMpeg1{0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr std::array<unsigned, 15> kRatesMpeg2{0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
constexpr std::array<unsigned, 3> kSampleRatesMpeg1{44100, 48000, 32000};

std::uint32_t LoadBE32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

bool SameStream(const Mp3Frame& a, const Mp3Frame& b) {
  return a.version == b.version && a.sampleRate == b.sampleRate;
}

// The frame count of a variable-rate header ("Xing" or "VBRI") in the frame
// at `at`: the frames behind that one. An "Info" header marks a constant-rate
// file, whose frames all carry the file's rate: no count is taken from it.
std::optional<std::uint32_t> VbrFrames(std::span<const std::uint8_t> bytes, std::size_t at, const Mp3Frame& frame) {
  const std::size_t xing = at + 4 + frame.SideInfoBytes();
  if (xing + 12 <= bytes.size()) {
    const std::uint8_t* p = bytes.data() + xing;
    if (p[0] == 'I' && p[1] == 'n' && p[2] == 'f' && p[3] == 'o') return std::nullopt;
    if (p[0] == 'X' && p[1] == 'i' && p[2] == 'n' && p[3] == 'g') {
      if ((LoadBE32(p + 4) & 1u) != 0) return LoadBE32(p + 8);
      return std::nullopt;
    }
  }
  const std::size_t vbri = at + 4 + 32;
  if (vbri + 18 <= bytes.size()) {
    const std::uint8_t* p = bytes.data() + vbri;
    if (p[0] == 'V' && p[1] == 'B' && p[2] == 'R' && p[3] == 'I') return LoadBE32(p + 14);
  }
  return std::nullopt;
}

}  // namespace

std::size_t Mp3Frame::Bytes() const {
  const unsigned factor = version == Version::kMpeg1 ? 144 : 72;
  return factor * bitRateKbps * 1000 / sampleRate + (padding ? 1 : 0);
}

unsigned Mp3Frame::SamplesPerFrame() const { return version == Version::kMpeg1 ? 1152 : 576; }

std::size_t Mp3Frame::SideInfoBytes() const {
  if (version == Version::kMpeg1) return mono ? 17 : 32;
  return mono ? 9 : 17;
}

std::optional<Mp3Frame> ParseMp3FrameHeader(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 4) return std::nullopt;
  const std::uint8_t b1 = bytes[1], b2 = bytes[2], b3 = bytes[3];
  if (bytes[0] != 0xFF || (b1 & 0xE0) != 0xE0) return std::nullopt;
  const unsigned versionBits = (b1 >> 3) & 3u;
  const unsigned layerBits = (b1 >> 1) & 3u;
  const unsigned rateIndex = b2 >> 4;
  const unsigned sampleIndex = (b2 >> 2) & 3u;
  if (versionBits == 1 || layerBits != 1 || rateIndex == 0 || rateIndex == 15 || sampleIndex == 3) {
    return std::nullopt;
  }
  Mp3Frame f;
  f.version = versionBits == 3 ? Mp3Frame::Version::kMpeg1
              : versionBits == 2 ? Mp3Frame::Version::kMpeg2
                                 : Mp3Frame::Version::kMpeg25;
  const bool mpeg1 = f.version == Mp3Frame::Version::kMpeg1;
  f.bitRateKbps = (mpeg1 ? kRatesMpeg1 : kRatesMpeg2)[rateIndex];
  f.sampleRate = kSampleRatesMpeg1[sampleIndex] / (mpeg1 ? 1 : f.version == Mp3Frame::Version::kMpeg2 ? 2 : 4);
  f.padding = (b2 & 0x02) != 0;
  f.mono = (b3 >> 6) == 3;
  return f;
}

std::uint64_t Id3v2TagBytes(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 10 || bytes[0] != 'I' || bytes[1] != 'D' || bytes[2] != '3') return 0;
  if (bytes[3] == 0xFF || bytes[4] == 0xFF) return 0;
  std::uint64_t size = 0;
  for (int i = 6; i < 10; ++i) {
    if (bytes[static_cast<std::size_t>(i)] & 0x80) return 0;  // not a synchsafe size
    size = size << 7 | bytes[static_cast<std::size_t>(i)];
  }
  const bool footer = (bytes[5] & 0x10) != 0;
  return 10 + size + (footer ? 10 : 0);
}

std::optional<Mp3Rate> FindMp3Rate(std::span<const std::uint8_t> bytes, std::uint64_t audioBytes) {
  for (std::size_t p = 0; p + 4 <= bytes.size(); ++p) {
    if (bytes[p] != 0xFF) continue;
    const auto frame = ParseMp3FrameHeader(bytes.subspan(p, 4));
    if (!frame) continue;
    const std::size_t next = p + frame->Bytes();
    if (next + 4 <= bytes.size()) {
      const auto second = ParseMp3FrameHeader(bytes.subspan(next, 4));
      if (!second || !SameStream(*frame, *second)) continue;
    }
    Mp3Rate rate;
    rate.frameOffset = p;
    rate.frame = *frame;
    rate.byteRate = frame->bitRateKbps * 1000 / 8;
    rate.vbrFrames = VbrFrames(bytes, p, *frame);
    if (rate.vbrFrames && *rate.vbrFrames != 0) {
      // audio bytes * sample rate / (frames * samples per frame), rounded;
      // the header's own frame holds no audio and is not counted.
      const std::uint64_t skip = std::uint64_t{p} + frame->Bytes();
      const std::uint64_t stream = audioBytes > skip ? audioBytes - skip : 0;
      const std::uint64_t samples = std::uint64_t{*rate.vbrFrames} * frame->SamplesPerFrame();
      const std::uint64_t average = (stream * frame->sampleRate + samples / 2) / samples;
      if (average >= 1 && average <= 0xFFFF) rate.byteRate = static_cast<std::uint32_t>(average);
    }
    return rate;
  }
  return std::nullopt;
}

std::uint64_t PlayingSeconds(std::uint64_t size, std::uint32_t byteRate) {
  if (byteRate == 0) return 0;
  const std::uint64_t whole = size / byteRate;
  const std::uint64_t rest2 = (size % byteRate) * 2;
  if (rest2 > byteRate || (rest2 == byteRate && (whole & 1u) != 0)) return whole + 1;
  return whole;
}

}  // namespace halvern
