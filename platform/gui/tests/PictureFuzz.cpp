// Picture files from outside (the program folder's JPEG and BMP files):
// whatever the reader makes of them must draw without reading past the
// picture, and a refused file is no crash.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/gui/Picture.h"
#include "platform/gui/PixelCanvas.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto picture = gui::DecodePicture(std::span(data, size));
  if (!picture) return 0;
  gui::PixelCanvas canvas(32, 32);
  canvas.DrawImage(gui::Rect{0, 0, picture->Width(), picture->Height()}, picture->View());
  canvas.StretchImage(gui::Rect{1, 1, 30, 30}, picture->View());
  return 0;
}
