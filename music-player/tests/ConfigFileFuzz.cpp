// The configuration file reader: bounded, and round trips what it reads.
#include <cstdlib>

#include "music-player/ConfigFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantu;
  PlayerSettings settings;
  const auto parsed = config_file::Parse({data, size}, settings);
  if (parsed.status != config_file::Status::kRead) {
    if (!(settings == PlayerSettings{})) std::abort();  // a damaged file changes nothing
    return 0;
  }
  if (parsed.playlistPath.size() > config_file::kMaxPathBytes) std::abort();
  const auto bytes = config_file::Encode(parsed.playlistPath, settings);
  if (!bytes) std::abort();
  PlayerSettings back;
  const auto again = config_file::Parse(*bytes, back);
  if (again.status != config_file::Status::kRead || again.playlistPath != parsed.playlistPath || !(back == settings))
    std::abort();
  return 0;
}
