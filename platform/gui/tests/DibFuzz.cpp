// Picture headers and pixel rows from outside (skin files): whatever
// FromInfoHeader accepts must draw without reading past the bytes given.
// Input: 40 header bytes, 4 bytes of destination size, then the pixel rows.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gui/PixelCanvas.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 44) return 0;
  // The pixel rows in a buffer of their own, so a read past them is caught.
  const std::vector<std::uint8_t> pixels(data + 44, data + size);
  auto dib = gui::Dib::FromInfoHeader(std::span(data, 40), pixels);
  if (!dib) return 0;
  gui::PixelCanvas canvas(48, 48);
  const int width = data[40] % 64, height = data[41] % 64;
  const int left = static_cast<int>(data[42] % 32) - 16, top = static_cast<int>(data[43] % 32) - 16;
  canvas.PushClip(gui::Rect{2, 2, 40, 40});
  canvas.CopyImage(gui::Rect{left, top, width, height}, *dib);
  canvas.StretchImage(gui::Rect{top, left, height, width}, *dib);
  canvas.DrawImage(gui::Rect{0, 0, dib->width, dib->height}, *dib);
  canvas.PopClip();
  return 0;
}
