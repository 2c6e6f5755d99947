// A new place for one entry in the player's order: a row of the player
// list dragged onto another row. The order goes to the player as an
// OrderBlock (every entry number once, in the new order); the list shows
// the new order only once the player took the block, so its rows always
// stand for the player's entries by number.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/gui/ListView.h"
#include "transfer-manager/frmShape.h"

namespace halvern {

// The entry numbers of the rows in their new order when row `from` moves to
// row `to` (0-based): the moved entry takes place `to`, the rows between
// shift by one toward the gap. Nothing when a row's "FwOrder" is not an
// entry number or the numbers are not each of 1..rows once.
std::optional<std::vector<std::uint8_t>> MovedOrder(const gui::ListView& list, int from, int to);

// The drop of a player row on the player list (a drag within the list).
// Clears the drag flags on every way out.
void ReorderEntry(ShapeForm& form, const gui::ListDrag& drag);

}  // namespace halvern
