// libFuzzer target: the piecewise signature scan against a plain search of
// the whole buffer, and the header of whatever is found.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "common/ByteOrder.h"
#include "frame-converter/Sc4Format.h"

using namespace ramblet;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // The first byte picks the piece size.
  const std::size_t piece = 1 + data[0] % 17;
  std::span<const std::uint8_t> stream(data + 1, size - 1);

  std::optional<Sc4SignatureScanner::Match> naive;
  for (std::size_t p = 0; !naive && p + 3 <= stream.size(); ++p) {
    for (std::size_t i = 0; i < kSc4Signatures.size(); ++i) {
      if (std::memcmp(stream.data() + p, kSc4Signatures[i].bytes.data(), 3) == 0) {
        naive = Sc4SignatureScanner::Match{p, i};
        break;
      }
    }
  }
  Sc4SignatureScanner scanner;
  for (std::size_t at = 0; at < stream.size(); at += piece) {
    scanner.Feed(stream.subspan(at, std::min(piece, stream.size() - at)));
  }
  const auto found = scanner.match();
  if (found.has_value() != naive.has_value()) std::abort();
  if (found) {
    if (found->offset != naive->offset || found->index != naive->index) std::abort();
    const auto n = static_cast<std::uint32_t>(stream.size() - found->offset);
    const Sc4RiffHeader h = BuildSc4RiffHeader(found->index, n);
    if (common::LoadLE32(&h[riff::kDataSize]) != n) std::abort();
  }
  return 0;
}
