// Pictures for canvas tests: a bottom-up DIB built from rows given top
// first, as a person reads them.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gui/Canvas.h"

namespace gui::testing {

class TestDib {
 public:
  // rowsTopFirst[y][x]; every row as long as the first.
  TestDib(const std::vector<std::vector<Color>>& rowsTopFirst, int bitsPerPixel) {
    dib_.height = static_cast<int>(rowsTopFirst.size());
    dib_.width = dib_.height ? static_cast<int>(rowsTopFirst[0].size()) : 0;
    dib_.bitsPerPixel = bitsPerPixel;
    bytes_.assign(dib_.ImageBytes(), 0xEE);  // padding bytes that must never show
    const std::size_t step = static_cast<std::size_t>(bitsPerPixel / 8);
    for (int y = 0; y < dib_.height; ++y) {
      std::uint8_t* row = bytes_.data() + dib_.Stride() * static_cast<std::size_t>(dib_.height - 1 - y);
      for (int x = 0; x < dib_.width; ++x) {
        const Color c = rowsTopFirst[y][x];
        row[x * step] = static_cast<std::uint8_t>(BlueOf(c));
        row[x * step + 1] = static_cast<std::uint8_t>(GreenOf(c));
        row[x * step + 2] = static_cast<std::uint8_t>(RedOf(c));
      }
    }
    dib_.bits = bytes_.data();
  }
  // A picture whose every pixel differs: red = x, green = y, blue = seed.
  static TestDib Gradient(int width, int height, int bitsPerPixel, int seed = 0x40) {
    std::vector<std::vector<Color>> rows(static_cast<std::size_t>(height), std::vector<Color>(static_cast<std::size_t>(width)));
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) rows[y][x] = Rgb(x * 7 + 1, y * 11 + 2, seed);
    }
    return TestDib(rows, bitsPerPixel);
  }
  const Dib& dib() const { return dib_; }
  // The 40-byte information header such a picture has in a BMP file.
  std::vector<std::uint8_t> InfoHeader() const {
    std::vector<std::uint8_t> h(40, 0);
    auto put32 = [&](int at, std::uint32_t v) {
      for (int i = 0; i < 4; ++i) h[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put32(0, 40);
    put32(4, static_cast<std::uint32_t>(dib_.width));
    put32(8, static_cast<std::uint32_t>(dib_.height));
    h[12] = 1;
    h[14] = static_cast<std::uint8_t>(dib_.bitsPerPixel);
    return h;
  }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
  Dib dib_;
};

}  // namespace gui::testing
