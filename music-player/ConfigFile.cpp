#include "music-player/ConfigFile.h"

#include "common/ByteOrder.h"

namespace vantu::config_file {

Parsed Parse(std::span<const std::uint8_t> bytes, PlayerSettings& settings) {
  Parsed out;
  std::uint32_t n = 0;
  if (!common::ReadLE32(bytes, 0, n) || n > kMaxPathBytes || !common::Fits(bytes.size(), 4, n)) return out;
  out.playlistPath.assign(reinterpret_cast<const char*>(bytes.data() + 4), n);
  settings.DecodePrefix(bytes.subspan(4 + n));
  out.status = Status::kRead;
  return out;
}

std::optional<std::vector<std::uint8_t>> Encode(const std::string& playlistPath, const PlayerSettings& settings) {
  if (playlistPath.size() > kMaxPathBytes) return std::nullopt;
  std::vector<std::uint8_t> out(4 + playlistPath.size());
  common::StoreLE32(out.data(), static_cast<std::uint32_t>(playlistPath.size()));
  std::copy(playlistPath.begin(), playlistPath.end(), out.begin() + 4);
  const auto block = settings.Encode();
  out.insert(out.end(), block.begin(), block.end());
  return out;
}

}  // namespace vantu::config_file
