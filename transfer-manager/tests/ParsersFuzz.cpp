// The MP3 probe and the directory rows on any bytes: the first byte says
// which; the rest are the bytes read (a file's start, or directory blocks
// one after the other, each padded to a block).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "player-link/Protocol.h"
#include "transfer-manager/DirectoryRows.h"
#include "transfer-manager/Mp3Header.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::span<const std::uint8_t> bytes(data + 1, size - 1);
  if (data[0] % 2 == 0) {
    const std::uint64_t tag = halvern::Id3v2TagBytes(bytes);
    const auto probe = bytes.first(std::min(bytes.size(), halvern::kMp3ProbeBytes));
    if (const auto rate = halvern::FindMp3Rate(probe, bytes.size() + tag)) {
      if (rate->frameOffset + 4 > probe.size() || rate->byteRate == 0 || rate->byteRate > 0xFFFF) __builtin_trap();
      (void)halvern::PlayingSeconds(0xFFFFFFFFull, rate->byteRate);
    }
    return 0;
  }
  // Directory blocks: the information block, then entries.
  playerlink::Block block;
  unsigned number = 0;
  for (std::size_t at = 0; at < bytes.size(); at += playerlink::kBlockSize / 64, ++number) {
    block.fill(0xFF);
    const std::size_t n = std::min(bytes.size() - at, playerlink::kBlockSize / 64);
    std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + n),
              block.begin());
    if (halvern::IsAbnormalBlock(block)) continue;
    if (number == 0) {
      if (const auto info = playerlink::ParseInfoBlock(block)) (void)playerlink::ModelCodeText(*info);
      continue;
    }
    if (const auto row = halvern::DeviceRowOf(block, number)) {
      if (row->subItems.size() != 6) __builtin_trap();
    }
  }
  return 0;
}
