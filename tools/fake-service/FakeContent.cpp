#include "tools/fake-service/FakeContent.h"

#include <algorithm>
#include <cstring>

#include "tray-client/ContentProtocol.h"

namespace fake_service {
namespace {

std::uint64_t Seed(std::string_view name) {
  std::uint64_t hash = 1469598103934665603ULL;  // FNV-1a
  for (char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
  return hash;
}

// One 64-bit word of the stream per 8 bytes, so any offset can be made alone.
std::uint64_t Word(std::uint64_t seed, std::uint64_t index) {
  std::uint64_t z = seed + (index + 1) * 0x9E3779B97F4A7C15ULL;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

}  // namespace

void FillContent(std::string_view name, std::uint64_t offset, std::span<std::uint8_t> out) {
  const std::uint64_t seed = Seed(name);
  std::size_t done = 0;
  while (done < out.size()) {
    const std::uint64_t at = offset + done;
    const std::uint64_t word = Word(seed, at / 8);
    std::uint8_t bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<std::uint8_t>(word >> (8 * i));
    const std::size_t skip = static_cast<std::size_t>(at % 8);
    const std::size_t take = std::min<std::size_t>(8 - skip, out.size() - done);
    std::memcpy(out.data() + done, bytes + skip, take);
    done += take;
  }
}

common::Sha256::Digest ContentDigest(std::string_view name, std::uint64_t size) {
  common::Sha256 hash;
  std::vector<std::uint8_t> buffer(64 * 1024);
  for (std::uint64_t at = 0; at < size;) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), size - at));
    FillContent(name, at, std::span(buffer).first(n));
    hash.Update(std::span(buffer).first(n));
    at += n;
  }
  return hash.Finish();
}

std::vector<PreparedFile> MatchSyncList(const User& user, const ServiceData& data, std::string_view syncList) {
  std::vector<PreparedFile> files;
  auto take = [&syncList](std::string& field) {
    const auto slash = syncList.find('/');
    if (slash == std::string_view::npos) return false;
    field = std::string(syncList.substr(0, slash));
    syncList.remove_prefix(slash + 1);
    return true;
  };
  std::string name, key;
  while (take(name) && take(key)) {
    for (const auto& channel : user.channels) {
      if (channel.ChannelName != name || channel.DnFileName == "No file" || channel.DnFileName.empty()) continue;
      const bool byDate = channel.ContentType == 1;
      if ((byDate ? channel.DnFileDate : std::to_string(channel.Sequence)) != key) continue;
      PreparedFile file{orvel::content::ChangeFileExt(channel.DnFileName, orvel::content::kChannelFileExtension), 0};
      auto exact = data.fileSizes.find(file.name);
      file.size = exact != data.fileSizes.end() ? exact->second
                                                : static_cast<std::uint64_t>(std::max(0, channel.DnFileSize)) * 1024;
      const bool known = std::any_of(files.begin(), files.end(), [&](const auto& f) { return f.name == file.name; });
      if (!known) files.push_back(std::move(file));
    }
  }
  return files;
}

}  // namespace fake_service
