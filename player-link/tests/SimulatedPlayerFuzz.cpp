// libFuzzer target: the simulated player's command state machine, driven
// by a sequence of fuzzed device calls. Each step takes one byte for the
// call (its low two bits: control, write, read, a changed medium) and then
// what the call needs: 7 request bytes for a control call (the command
// byte, the argument, the mode, the zero byte), a block's first bytes for
// a write (a length byte and that many bytes, the rest 0xFF or a valid
// file header), nothing for a read. Whatever the order, the player keeps
// its media consistent: every entry has a header with the tag and the size
// it holds, the data it stores is that size, and the used blocks never
// exceed the medium.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "player-link/SimulatedPlayer.h"

using namespace playerlink;
using namespace playerlink::sim;

namespace {

void CheckMedium(SimulatedPlayer& player, MediumId medium, std::uint32_t capacity) {
  std::uint64_t used = 0;
  const auto entries = player.Entries(medium);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const auto header = ParseFileHeader(entries[i].header);
    if (!header || header->size != entries[i].size) std::abort();
    auto data = player.EntryData(medium, i);
    if (!data || data->size() != entries[i].size) std::abort();
    used += FileBlockCount(entries[i].size) * kBlockSize;
  }
  if (used > capacity) std::abort();
  if (player.FreeBytes(medium) > capacity) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr std::uint32_t kCapacity = 64 * kBlockSize;
  PlayerSettings settings;
  settings.media[0].capacity = kCapacity;
  settings.media[1].capacity = kCapacity / 2;
  SimulatedPlayer player(settings);

  std::size_t at = 0;
  auto take = [&](std::uint8_t* out, std::size_t n) {
    const std::size_t got = std::min(n, size - at);
    std::memcpy(out, data + at, got);
    std::memset(out + got, 0, n - got);
    at += got;
  };
  Block block;
  for (int step = 0; at < size && step < 256; ++step) {
    std::uint8_t op = 0;
    take(&op, 1);
    switch (op & 3) {
      case 0: {
        DeviceCommand buffer{};
        take(buffer.data(), command::kRequestSize);
        // The answer room the link gives for the request's mode.
        const std::size_t room = IsValidMode(buffer[command::kMode]) ? AnswerSize(buffer[command::kMode]) : 8;
        const auto returned = player.Control(std::span(buffer).first(room), command::kRequestSize);
        if (returned && *returned > buffer.size()) std::abort();
        break;
      }
      case 1: {
        std::uint8_t length = 0;
        take(&length, 1);
        if (op & 4) {
          // A header the PC would write, for a file of up to a few blocks.
          std::uint8_t sizeByte = 0;
          take(&sizeByte, 1);
          std::u16string name = u"C:\\f";
          name += static_cast<char16_t>(u'a' + length % 26);
          block = BuildFileHeader(static_cast<std::uint32_t>(sizeByte) * 300, name, NameEnd::kZeroUnit);
        } else {
          block.fill(header::kFill);
          take(block.data(), length);
        }
        const auto moved = player.Write(block);
        if (moved && *moved > kBlockSize) std::abort();
        break;
      }
      case 2: {
        const auto moved = player.Read(block);
        if (moved && *moved > kBlockSize) std::abort();
        break;
      }
      case 3: {
        MediumSettings medium;
        medium.present = (op & 4) == 0;
        medium.formatted = (op & 8) == 0;
        medium.capacity = kCapacity / 2;
        player.SetMedium(MediumId::kCard, medium);
        break;
      }
    }
  }
  CheckMedium(player, MediumId::kInternal, kCapacity);
  CheckMedium(player, MediumId::kCard, kCapacity / 2);
  return 0;
}
