// SC4toWAV: the stream behind the first frame signature of a file, written
// behind a RIFF/WAVE header.
#pragma once

#include <cstddef>

#include "common/File.h"

namespace ramblet {

// The export's results. 0-3 are the library's published codes; 4 covers
// every failure after the signature was found (a read, write, sync or
// rename that failed, or a stream too long for the 32-bit RIFF sizes). In
// every failing case an existing destination is left as it was.
enum class ConvertResult : int {
  kDone = 0,
  kSourceNotOpened = 1,
  kDestinationNotCreated = 2,
  kNoSignature = 3,
  kDestinationNotWritten = 4,
};

struct ConvertOptions {
  std::size_t chunkBytes = 64 * 1024;  // unit of reading and copying
};

ConvertResult ConvertSc4ToWav(const common::Path& source, const common::Path& destination,
                              const ConvertOptions& options = {});

}  // namespace ramblet
