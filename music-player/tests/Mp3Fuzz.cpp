// MPEG audio bytes through libmpg123 and the engine's decoder: open, read
// a bounded amount, seek into the middle, read again, with the equalizer
// set from the input's first bytes.
#include <algorithm>
#include <vector>

#include "music-player/xaudio/Decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  xaudio::Decoder decoder;
  if (size >= 64) decoder.SetEqualizer(data);
  if (decoder.OpenMemory({data, size}) != 0) return 0;
  std::vector<std::int16_t> pcm(4608);
  std::size_t produced = 0;
  auto readSome = [&](int chunks) {
    for (int i = 0; i < chunks; ++i) {
      const auto status = decoder.Read(pcm, produced);
      if (status == xaudio::Decoder::Status::kDone || status == xaudio::Decoder::Status::kError) break;
    }
  };
  readSome(64);
  const std::int64_t length = decoder.LengthSamples();
  if (length > 0) decoder.SeekSamples(length / 2);
  readSome(16);
  (void)decoder.PositionSamples();
  return 0;
}
