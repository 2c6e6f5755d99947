// Drawing on the face of a custom-drawn window (or on an off-screen buffer).
//
// A Canvas works like a device context of the window system: pictures are
// bottom-up device-independent bitmaps that stay in the caller's memory
// (`Dib`, a view: no copy, no bitmap object per picture), solid fills,
// text in a named font with the text colour, background colour and
// background mode that the canvas keeps, and a clip rectangle. Two
// implementations: GDI on Windows (platform/gui/win32/GdiCanvas) and a
// 32-bit pixel buffer for tests and headless runs (PixelCanvas).
//
// Coordinates are device pixels of the surface, (0, 0) at its top left;
// skinned faces are drawn pixel for pixel, never scaled to the display DPI.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "common/Result.h"
#include "platform/gui/Types.h"

namespace gui {

// A colour as skins and the window system store it: red + green * 256 +
// blue * 65536 (the top byte is 0).
using Color = std::uint32_t;
constexpr Color Rgb(int red, int green, int blue) {
  return static_cast<Color>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int RedOf(Color c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(Color c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(Color c) { return static_cast<int>((c >> 16) & 0xFF); }

// A bottom-up DIB in memory the caller keeps alive while it is drawn: 24 or
// 32 bits per pixel (blue, green, red[, unused] bytes), rows padded to four
// bytes, the bottom row first.
struct Dib {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  const std::uint8_t* bits = nullptr;

  static constexpr std::size_t kInfoHeaderSize = 40;
  // Largest width or height taken (larger ones are refused as damaged).
  static constexpr int kMaxSide = 16384;

  std::size_t Stride() const { return ((static_cast<std::size_t>(width) * bitsPerPixel + 31) / 32) * 4; }
  std::size_t ImageBytes() const { return Stride() * static_cast<std::size_t>(height); }
  bool Valid() const {
    return bits && width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
           (bitsPerPixel == 24 || bitsPerPixel == 32);
  }

  // From a 40-byte bitmap information header (little-endian, as in a BMP
  // file) and the pixel rows behind it. Refuses what cannot be drawn safely:
  // a short header or pixel area, top-down or empty images, compression,
  // other depths than 24 and 32 bits.
  static common::Result<Dib> FromInfoHeader(std::span<const std::uint8_t> header,
                                            std::span<const std::uint8_t> pixels);
};

// A font as a font description gives it: face name (UTF-8), height and
// average character width in logical units as the window system's font
// creation takes them (height < 0: character height, > 0: cell height, 0:
// default; width 0: the face's own proportions). Default weight, upright,
// the ANSI character set.
struct FontSpec {
  std::string face;
  int height = 0;
  int width = 0;
  bool operator==(const FontSpec&) const = default;
};

enum class BackgroundMode { kOpaque, kTransparent };

class Canvas {
 public:
  virtual ~Canvas() = default;

  virtual int Width() const = 0;
  virtual int Height() const = 0;

  // The picture unscaled into `dest`, its bottom-left pixel at dest's
  // bottom-left corner: as many columns and rows as the rectangle holds
  // and the picture has; the rest of the rectangle is left as it was.
  virtual void CopyImage(const Rect& dest, const Dib& image) = 0;
  // The whole picture stretched (or shrunk) into `dest`, nearest pixels.
  virtual void StretchImage(const Rect& dest, const Dib& image) = 0;
  // Unscaled when the sizes match, else stretched.
  void DrawImage(const Rect& dest, const Dib& image) {
    if (image.width == dest.width && image.height == dest.height) CopyImage(dest, image);
    else StretchImage(dest, image);
  }

  virtual void FillRect(const Rect& area, Color color) = 0;

  // Text state, kept until changed. No font (nullptr or an empty face)
  // is the surface's default font.
  virtual void SetFont(const FontSpec* font) = 0;
  virtual void SetTextColor(Color color) = 0;
  virtual void SetBackColor(Color color) = 0;
  virtual void SetBackgroundMode(BackgroundMode mode) = 0;
  // One line of text, left and top aligned in `box` and clipped to it; in
  // the opaque mode the text's cells are filled with the background colour.
  virtual void DrawText(const Rect& box, std::string_view utf8) = 0;

  // Clipping: every drawing call lands inside the intersection of the
  // pushed rectangles. Pops match pushes.
  virtual void PushClip(const Rect& area) = 0;
  virtual void PopClip() = 0;

  // Draws off-screen and copies the result to `dest` in one transfer: the
  // inner canvas is dest's size with its own origin and starts black.
  virtual void Buffered(const Rect& dest, const std::function<void(Canvas&)>& draw) = 0;
};

// The intersection of two rectangles (empty: width or height 0).
Rect Intersect(const Rect& a, const Rect& b);
bool Contains(const Rect& r, Point p);

}  // namespace gui
