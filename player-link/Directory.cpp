#include "player-link/Directory.h"

#include <algorithm>

namespace playerlink {
namespace {

bool ReadWithAttempts(Link& link, Block& block, unsigned attempts) {
  for (unsigned i = 0; i < std::max(1u, attempts); ++i) {
    if (link.ReadBlock(block)) return true;
  }
  return false;
}

}  // namespace

std::optional<std::uint16_t> QueryDirectoryCount(Link& link, std::uint8_t base) {
  const CommandAnswer answer = link.Command(base, CommandCode::kDirectoryInfo, 0, kMode8);
  if (!answer.ok()) return std::nullopt;
  return answer.count;
}

void ReadDirectoryBlocks(Link& link, std::uint8_t base, std::uint16_t count, const DirectoryReadOptions& options,
                         Directory& directory) {
  directory.count = count;
  if (!link.Command(base, CommandCode::kReadDirectory, count, kMode4).ok()) {
    directory.end = Directory::End::kRefused;
    return;
  }
  Block block;
  for (unsigned index = 0; index < count; ++index) {
    if (options.beforeBlock) options.beforeBlock();
    if (!ReadWithAttempts(link, block, options.readAttempts)) {
      directory.end = Directory::End::kShortBlock;
      return;
    }
    if (options.acceptBlock && !options.acceptBlock(index, block)) {
      directory.end = Directory::End::kRejected;
      return;
    }
    if (index == 0) {
      directory.info = ParseInfoBlock(block);
      continue;
    }
    auto header = ParseFileHeader(block);
    if (!header) {
      directory.end = Directory::End::kBadTag;
      return;
    }
    directory.entries.push_back({index, std::move(*header)});
  }
  directory.end = Directory::End::kComplete;
}

Directory ReadDirectory(Link& link, std::uint8_t base, const DirectoryReadOptions& options) {
  Directory directory;
  const auto count = QueryDirectoryCount(link, base);
  if (!count) return directory;
  directory.count = *count;
  if (options.stopAtUnformatted && *count == kCountUnformattedMedium) {
    directory.end = Directory::End::kUnformatted;
    return directory;
  }
  ReadDirectoryBlocks(link, base, *count, options, directory);
  return directory;
}

}  // namespace playerlink
