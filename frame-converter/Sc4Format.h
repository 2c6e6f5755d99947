// The SC4 frame signatures and the 48-byte RIFF/WAVE header written in front
// of an SC4 stream.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace ramblet {

struct Sc4Signature {
  std::array<std::uint8_t, 3> bytes;
  std::uint16_t channels;
  std::uint32_t sampleRate;
  std::uint32_t avgBytesPerSecond;
  std::uint16_t extraValue;
};

// Tried in this order at every position; the index picks the header fields.
inline constexpr std::array<Sc4Signature, 7> kSc4Signatures{{
    {{0x01, 0x1B, 0x1E}, 2, 8000, 8275, 29},
    {{0x01, 0x1B, 0x1D}, 1, 8000, 4137, 58},
    {{0x01, 0x1B, 0x1B}, 2, 11025, 11405, 29},
    {{0x01, 0x1B, 0x1A}, 1, 11025, 5702, 58},
    {{0x02, 0xB2, 0x2B}, 2, 16000, 16551, 29},
    {{0x02, 0xB2, 0x2C}, 1, 16000, 8275, 58},
    {{0x02, 0xB2, 0x2E}, 1, 32000, 16551, 58},
}};

inline constexpr std::size_t kSignatureSize = 3;

// Sc4RiffHeader layout, all numbers little-endian.
namespace riff {
inline constexpr std::size_t kHeaderSize = 48;
inline constexpr std::size_t kRiffTag = 0;          // "RIFF"
inline constexpr std::size_t kRiffSize = 4;         // n + 40
inline constexpr std::size_t kWaveTag = 8;          // "WAVE"
inline constexpr std::size_t kFmtTag = 12;          // "fmt "
inline constexpr std::size_t kFmtSize = 16;         // 20
inline constexpr std::size_t kFormatTag = 20;       // 0x0350
inline constexpr std::size_t kChannels = 22;
inline constexpr std::size_t kSampleRate = 24;
inline constexpr std::size_t kAvgBytesPerSec = 28;
inline constexpr std::size_t kBlockAlign = 32;      // 30
inline constexpr std::size_t kBitsPerSample = 34;   // 0
inline constexpr std::size_t kExtraSize = 36;       // 2
inline constexpr std::size_t kExtraValue = 38;
inline constexpr std::size_t kDataTag = 40;         // "data"
inline constexpr std::size_t kDataSize = 44;        // n

inline constexpr std::uint32_t kFmtBlockSize = 20;
inline constexpr std::uint16_t kFormatTagSc4 = 0x0350;
inline constexpr std::uint16_t kBlockAlignValue = 30;
inline constexpr std::uint16_t kExtraBytes = 2;
// The RIFF size field holds n + 40, so n may be at most this.
inline constexpr std::uint64_t kMaxStreamBytes = 0xFFFFFFFFull - 40;
}  // namespace riff

using Sc4RiffHeader = std::array<std::uint8_t, riff::kHeaderSize>;

// The header for `streamBytes` stream bytes behind signature `index`.
// streamBytes must not exceed riff::kMaxStreamBytes.
Sc4RiffHeader BuildSc4RiffHeader(std::size_t index, std::uint32_t streamBytes);

// Finds the first signature in a stream fed in pieces of any size. Every
// position is tried, the earliest wins, and a signature split across pieces
// is found as if the stream were one piece.
class Sc4SignatureScanner {
 public:
  struct Match {
    std::uint64_t offset;  // of the signature's first byte in the stream
    std::size_t index;     // into kSc4Signatures
  };

  // Feeds the next piece; gives the match once one is found (and the same
  // match on every later call).
  std::optional<Match> Feed(std::span<const std::uint8_t> piece);
  std::optional<Match> match() const { return match_; }

 private:
  std::optional<Match> match_;
  std::uint64_t consumed_ = 0;           // bytes fed so far
  std::array<std::uint8_t, 2> tail_{};   // last bytes of the previous pieces
  std::size_t tailSize_ = 0;
};

// The whole search over one buffer.
std::optional<Sc4SignatureScanner::Match> FindSc4Signature(std::span<const std::uint8_t> data);

}  // namespace ramblet
