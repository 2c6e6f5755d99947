// Layout of a resizable window's skin frame: eleven pieces (stretched 2001-
// 2006, fixed 2101-2105) placed for the client size, the elements anchored to
// a piece moved with it, and the title handles (types 41 and 42) stretched
// over their pieces. Portable, over an element list; the resizable window
// runs it whenever its size changes.
#pragma once

#include "music-player/skin/SkinElement.h"

namespace vantu {

// Places the pieces, anchors and title handles of `list` for a client area
// of width x height. Pieces the list lacks count as 0 x 0 at (0, 0).
void LayoutSkinFrame(const SkinElementList& list, int width, int height);

// Of the elements whose current rectangle contains (x, y), whose type is not
// 1 and which do not ignore the mouse, the one with the smallest type code
// (the first of equal ones); null when none.
CSkinElement* ElementAtPoint(const SkinElementList* list, int x, int y);

}  // namespace vantu
