// The player list's rows from the player's directory blocks: what the
// directory reader makes of each block it receives, apart from the reading.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace halvern {

// A block whose byte 3 is 0xFF (an erased block: its size would be 4 GB or
// more) means the player is in an abnormal state.
bool IsAbnormalBlock(std::span<const std::uint8_t> block);

struct DeviceRow {
  std::string caption;                // the stored name's file-name part
  std::vector<std::string> subItems;  // Size, Folder, SystemInfo, FwOrder, UserOrder, Sort
};

// The row of directory entry `number` (1 for the first file); nothing for a
// block without the tag. The name is read as every reader of the player
// reads it (clamped to the read area, ending at a zero unit); units that are
// no UTF-16 become "?".
std::optional<DeviceRow> DeviceRowOf(std::span<const std::uint8_t> block, unsigned number);

// UTF-16 from the player as UTF-8 text, lone surrogates as "?".
std::string NameText(std::u16string_view name);

}  // namespace halvern
