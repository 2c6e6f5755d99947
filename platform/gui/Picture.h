// Pictures from image files and resources: JPEG and BMP, decoded to a
// 32-bit bottom-up bitmap that any Canvas draws (`View`). BMP files are
// read here; JPEG data goes to the platform's decoder: the JPEG library
// (libjpeg-turbo) natively, the Windows Imaging Component on Windows.
// Every reader is bounded: a picture larger than kMaxPixels, a cut-short or
// damaged file is refused, never read past its bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/File.h"
#include "common/Result.h"
#include "platform/gui/Canvas.h"

namespace gui {

class Bitmap {
 public:
  static constexpr int kMaxPixels = 4 << 20;

  Bitmap() = default;
  // A black picture of that size (both sides above 0, at most kMaxPixels).
  Bitmap(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0; }
  // (x, y) from the top-left corner; 0 outside the picture.
  Color Pixel(int x, int y) const;
  void SetPixel(int x, int y, Color color);
  // The 32-bit bottom-up DIB view of the picture, valid while it lives.
  Dib View() const { return Dib{width_, height_, 32, bits_.data()}; }
  bool operator==(const Bitmap&) const = default;

 private:
  std::uint8_t* At(int x, int y);
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> bits_;  // blue, green, red, 0; the bottom row first
};

// JPEG (starts FF D8 FF) or BMP ("BM": 24 or 32 bits, or 1, 4 or 8 bits
// with a colour table; uncompressed, bottom-up).
common::Result<Bitmap> DecodePicture(std::span<const std::uint8_t> bytes);
common::Result<Bitmap> DecodeBmp(std::span<const std::uint8_t> bytes);
// The platform's JPEG decoder (PictureJpeg.cpp or PictureWic.cpp), for
// DecodePicture only: it trusts the frame size DecodePicture checked.
// The program's RCDATA resource of that name (Windows; none elsewhere).
namespace detail {
common::Result<Bitmap> DecodeJpeg(std::span<const std::uint8_t> bytes);
std::optional<std::span<const std::uint8_t>> ProgramResource(const std::string& name);
}
// Reads a picture file (at most 16 MiB).
common::Result<Bitmap> LoadPicture(const common::Path& path);

// A picture kept in the program under a name: one the program registered
// (RegisterPictureResource: the native builds' and tests' way, a table of
// bytes the program embeds), else, on Windows, its RCDATA resource of
// that name (JPEG or BMP bytes, as `NAME RCDATA "file.jpg"` puts them).
// An unknown name is an error ("no picture resource NAME").
common::Result<Bitmap> LoadPictureResource(const std::string& name);
// Registers (or replaces) the bytes of a named picture; the bytes are
// decoded when loaded. Any thread.
void RegisterPictureResource(std::string name, std::vector<std::uint8_t> bytes);

}  // namespace gui
