// Standard forms without a window system, as the user would see and move
// them: the face drawn on a PixelCanvas, a drag on a frameless form's
// background, and the mouse pointer over its controls.
//
// The face: the form's colour, its background picture unscaled from the
// top-left corner, then its shown controls in the order they were made
// (the later over the earlier), each clipped to its own and its parents'
// bounds: an image's bitmap unscaled from its top-left corner, a label's
// text in its font (an opaque label fills its box with the form's colour
// first; a transparent one draws only its letters). Other controls draw
// nothing of their own, only their children. Text is approximate as
// PixelCanvas draws it, and recorded there (Texts()).
#pragma once

#include "platform/gui/Cursor.h"
#include "platform/gui/Form.h"
#include "platform/gui/PixelCanvas.h"

namespace gui::headless {

// The form's client area as it shows now (the form need not be shown).
PixelCanvas DrawForm(Form& form);

// What the user did: pressed the left button at `from` on a frameless
// form's client area and let go at `to` (client points at the press). It
// moves the form by the difference when `from` lies on the background
// (no control there) and the form can take input; else nothing happens.
// Gives whether the form moved.
bool DragForm(Form& form, Point from, Point to);

// The pointer the mouse shows at a client point of the form: the cursor
// of the control there, or the form's own on its surface; none for the
// standard pointer.
const MousePointer* PointerAt(Form& form, Point client);

}  // namespace gui::headless
