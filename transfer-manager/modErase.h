// Erasing on the chosen medium: the selected entries one by one (each
// selected by its number, then deleted; the player closes the gap, and so
// does the list), or every entry with one command.
#pragma once

#include "transfer-manager/frmShape.h"

namespace halvern {

// With every row of four or more selected, the erase runs as erase all.
inline constexpr int kEraseAllFrom = 4;

void imgErase_Click(ShapeForm& form);
void imgEraseAll_Click(ShapeForm& form);

}  // namespace halvern
