#include "frame-converter/Sc4Format.h"

#include <cstring>

#include "common/ByteOrder.h"

namespace ramblet {
namespace {

// Index of the signature that starts with bytes a b c, or -1.
int SignatureAt(std::uint8_t a, std::uint8_t b, std::uint8_t c) {
  for (std::size_t i = 0; i < kSc4Signatures.size(); ++i) {
    const auto& s = kSc4Signatures[i].bytes;
    if (s[0] == a && s[1] == b && s[2] == c) return static_cast<int>(i);
  }
  return -1;
}

bool MayStartSignature(std::uint8_t a) { return a == 0x01 || a == 0x02; }

}  // namespace

Sc4RiffHeader BuildSc4RiffHeader(std::size_t index, std::uint32_t streamBytes) {
  using namespace riff;
  const Sc4Signature& sig = kSc4Signatures.at(index);
  Sc4RiffHeader h{};
  std::memcpy(&h[kRiffTag], "RIFF", 4);
  common::StoreLE32(&h[kRiffSize], streamBytes + 40);
  std::memcpy(&h[kWaveTag], "WAVE", 4);
  std::memcpy(&h[kFmtTag], "fmt ", 4);
  common::StoreLE32(&h[kFmtSize], kFmtBlockSize);
  common::StoreLE16(&h[kFormatTag], kFormatTagSc4);
  common::StoreLE16(&h[kChannels], sig.channels);
  common::StoreLE32(&h[kSampleRate], sig.sampleRate);
  common::StoreLE32(&h[kAvgBytesPerSec], sig.avgBytesPerSecond);
  common::StoreLE16(&h[kBlockAlign], kBlockAlignValue);
  common::StoreLE16(&h[kBitsPerSample], 0);
  common::StoreLE16(&h[kExtraSize], kExtraBytes);
  common::StoreLE16(&h[kExtraValue], sig.extraValue);
  std::memcpy(&h[kDataTag], "data", 4);
  common::StoreLE32(&h[kDataSize], streamBytes);
  return h;
}

std::optional<Sc4SignatureScanner::Match> Sc4SignatureScanner::Feed(std::span<const std::uint8_t> piece) {
  if (match_ || piece.empty()) return match_;
  // Positions that straddle the previous pieces and this one.
  std::array<std::uint8_t, 4> joint{};
  std::size_t jointSize = 0;
  for (std::size_t i = 0; i < tailSize_; ++i) joint[jointSize++] = tail_[i];
  for (std::size_t i = 0; i < piece.size() && i < 2; ++i) joint[jointSize++] = piece[i];
  for (std::size_t p = 0; p < tailSize_ && p + 2 < jointSize; ++p) {
    const int idx = SignatureAt(joint[p], joint[p + 1], joint[p + 2]);
    if (idx >= 0) {
      match_ = Match{consumed_ - tailSize_ + p, static_cast<std::size_t>(idx)};
      return match_;
    }
  }
  // Positions wholly inside this piece.
  const std::uint8_t* d = piece.data();
  const std::size_t n = piece.size();
  for (std::size_t p = 0; p + 2 < n; ++p) {
    if (!MayStartSignature(d[p])) continue;
    const int idx = SignatureAt(d[p], d[p + 1], d[p + 2]);
    if (idx >= 0) {
      match_ = Match{consumed_ + p, static_cast<std::size_t>(idx)};
      return match_;
    }
  }
  // Keep the last two bytes of everything fed so far.
  if (n >= 2) {
    tail_ = {d[n - 2], d[n - 1]};
    tailSize_ = 2;
  } else if (tailSize_ == 2) {
    tail_ = {tail_[1], d[0]};
  } else {
    tail_[tailSize_++] = d[0];
  }
  consumed_ += n;
  return match_;
}

std::optional<Sc4SignatureScanner::Match> FindSc4Signature(std::span<const std::uint8_t> data) {
  Sc4SignatureScanner scanner;
  return scanner.Feed(data);
}

}  // namespace ramblet
