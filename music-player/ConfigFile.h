// "DruskConf.cnf": the playlist path and the settings block.
//
// Layout (little-endian): a 32-bit byte length n of the playlist path, n
// bytes of ANSI path without NUL, then the 248 bytes of PlayerSettings.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "music-player/PlayerSettings.h"

namespace vantu::config_file {

// The longest playlist path the file holds (the program's path buffer).
constexpr std::size_t kMaxPathBytes = 255;
constexpr std::size_t kMaxFileBytes = 4 + kMaxPathBytes + PlayerSettings::kSize;

enum class Status {
  kRead,     // path and settings (a short settings block keeps the words not read)
  kDamaged,  // no length, a length over 255 or past the end: nothing taken
};
struct Parsed {
  Status status = Status::kDamaged;
  std::string playlistPath;
};
// Takes the path and as much of the settings block as the bytes hold into
// `settings`; a damaged file changes nothing.
Parsed Parse(std::span<const std::uint8_t> bytes, PlayerSettings& settings);
// None when the path is longer than kMaxPathBytes.
std::optional<std::vector<std::uint8_t>> Encode(const std::string& playlistPath, const PlayerSettings& settings);

}  // namespace vantu::config_file
