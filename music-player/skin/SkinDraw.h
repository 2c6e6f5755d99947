// The drawing the elements do, over the GUI layer's canvas, in one place:
// unscaled and stretched pictures from the skin buffer, solid fills and text
// in a skin font.
#pragma once

#include <cstdint>
#include <string_view>

#include "music-player/skin/SkinStream.h"

namespace gui {
class Canvas;
}

namespace vantu {

struct SkinFont;

// Fills the rectangle with a colour value (red + green * 256 + blue * 65536).
void FillSolid(gui::Canvas& canvas, const SkinRect& rect, std::uint32_t color);
// The whole picture stretched into (x, y, width, height).
void StretchWhole(gui::Canvas& canvas, const SkinRect& rect, const SkinImage& image);
// UTF-8 text at the rectangle's top-left, clipped to it, in the font (none:
// the canvas's own), with the text and background colours; the background
// behind the glyphs is left as the canvas's background mode has it.
void DrawSkinText(gui::Canvas& canvas, const SkinRect& rect, std::string_view text,
                  const SkinFont* font, std::uint32_t textColor, std::uint32_t backColor);

}  // namespace vantu
