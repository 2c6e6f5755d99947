// The pixel canvas: pictures land pixel-exact where the window system puts
// them, fills and text stay inside the clip, the off-screen buffer, and the
// PNG a test saves can be read back.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "common/File.h"
#include "platform/gui/PixelCanvas.h"
#include "platform/gui/tests/CanvasTestSupport.h"

namespace gui {
namespace {

using testing::TestDib;

constexpr Color kRed = Rgb(255, 0, 0);
constexpr Color kGreen = Rgb(0, 255, 0);
constexpr Color kBlue = Rgb(0, 0, 255);
constexpr Color kWhite = Rgb(255, 255, 255);
constexpr Color kGrey = Rgb(0x80, 0x80, 0x80);

// A 3x2 picture: odd width, so every 24-bit row carries padding.
TestDib Small(int bpp) { return TestDib({{kRed, kGreen, kBlue}, {kWhite, kGrey, Rgb(1, 2, 3)}}, bpp); }

TEST(PixelCanvasImages, UnscaledCopyIsPixelExactAtBothDepths) {
  for (int bpp : {24, 32}) {
    const TestDib image = TestDib::Gradient(5, 4, bpp);
    PixelCanvas canvas(10, 10);
    canvas.CopyImage(Rect{2, 3, 5, 4}, image.dib());
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 5; ++x) EXPECT_EQ(canvas.Pixel(2 + x, 3 + y), Rgb(x * 7 + 1, y * 11 + 2, 0x40)) << bpp;
    }
    EXPECT_EQ(canvas.Pixel(1, 3), 0u);
    EXPECT_EQ(canvas.Pixel(7, 3), 0u);
    EXPECT_EQ(canvas.Pixel(2, 7), 0u);
  }
}

TEST(PixelCanvasImages, CopyIntoOtherSizesKeepsTheBottomLeftCorner) {
  const TestDib image = Small(24);
  // Taller and wider than the picture: it sits at the bottom left, the rest
  // of the rectangle stays as it was.
  PixelCanvas big(6, 6);
  big.FillRect(Rect{0, 0, 6, 6}, kGrey);
  big.CopyImage(Rect{1, 1, 4, 4}, image.dib());
  EXPECT_EQ(big.Pixel(1, 3), kRed);
  EXPECT_EQ(big.Pixel(3, 3), kBlue);
  EXPECT_EQ(big.Pixel(3, 4), Rgb(1, 2, 3));
  EXPECT_EQ(big.Pixel(1, 4), kWhite);
  EXPECT_EQ(big.Pixel(1, 1), kGrey);
  EXPECT_EQ(big.Pixel(4, 4), kGrey);
  // Lower and narrower: the bottom row and the left columns.
  PixelCanvas small(4, 4);
  small.CopyImage(Rect{0, 0, 2, 1}, image.dib());
  EXPECT_EQ(small.Pixel(0, 0), kWhite);
  EXPECT_EQ(small.Pixel(1, 0), kGrey);
  EXPECT_EQ(small.Pixel(2, 0), 0u);
  EXPECT_EQ(small.Pixel(0, 1), 0u);
}

TEST(PixelCanvasImages, DrawImageStretchesOnlyWhenTheSizesDiffer) {
  const TestDib image = Small(32);
  PixelCanvas exact(3, 2);
  exact.DrawImage(Rect{0, 0, 3, 2}, image.dib());
  PixelCanvas copied(3, 2);
  copied.CopyImage(Rect{0, 0, 3, 2}, image.dib());
  EXPECT_EQ(exact.Pixels(), copied.Pixels());

  // Doubled: every pixel becomes a 2x2 block.
  PixelCanvas doubled(6, 4);
  doubled.DrawImage(Rect{0, 0, 6, 4}, image.dib());
  EXPECT_EQ(doubled.Pixel(0, 0), kRed);
  EXPECT_EQ(doubled.Pixel(1, 1), kRed);
  EXPECT_EQ(doubled.Pixel(2, 0), kGreen);
  EXPECT_EQ(doubled.Pixel(5, 3), Rgb(1, 2, 3));
  EXPECT_EQ(doubled.Pixel(0, 2), kWhite);

  // One pixel wider than the picture is a stretch that fills the rectangle.
  PixelCanvas wider(4, 2);
  wider.DrawImage(Rect{0, 0, 4, 2}, image.dib());
  for (int x = 0; x < 4; ++x) EXPECT_NE(wider.Pixel(x, 0), 0u) << x;
  EXPECT_EQ(wider.Pixel(0, 0), kRed);
  EXPECT_EQ(wider.Pixel(3, 1), Rgb(1, 2, 3));

  // Shrunk to one pixel: GDI keeps the top row's last column.
  PixelCanvas one(1, 1);
  one.StretchImage(Rect{0, 0, 1, 1}, image.dib());
  EXPECT_EQ(one.Pixel(0, 0), kBlue);
}

TEST(PixelCanvasImages, DrawingOffTheSurfaceOrWithoutAPictureIsHarmless) {
  const TestDib image = TestDib::Gradient(8, 8, 24);
  PixelCanvas canvas(4, 4);
  canvas.CopyImage(Rect{-6, -6, 8, 8}, image.dib());
  EXPECT_EQ(canvas.Pixel(0, 0), Rgb(6 * 7 + 1, 6 * 11 + 2, 0x40));
  canvas.StretchImage(Rect{2, 2, 100, 100}, image.dib());
  canvas.DrawImage(Rect{0, 0, 4, 4}, Dib{});
  canvas.StretchImage(Rect{0, 0, 0, 3}, image.dib());
  EXPECT_EQ(canvas.Pixel(2, 2), Rgb(1, 2, 0x40));
}

TEST(DibHeader, AcceptsWhatABmpFileHoldsAndRefusesTheRest) {
  const TestDib image = Small(24);
  auto header = image.InfoHeader();
  auto dib = Dib::FromInfoHeader(header, image.bytes());
  ASSERT_TRUE(dib.ok()) << dib.error().message;
  EXPECT_EQ(dib->width, 3);
  EXPECT_EQ(dib->height, 2);
  EXPECT_EQ(dib->Stride(), 12u);

  // Pixel rows one byte short of what the header promises.
  std::span<const std::uint8_t> shortRows(image.bytes().data(), image.bytes().size() - 1);
  EXPECT_FALSE(Dib::FromInfoHeader(header, shortRows).ok());
  EXPECT_FALSE(Dib::FromInfoHeader(std::span(header).first(39), image.bytes()).ok());

  auto changed = [&](int at, std::uint32_t value) {
    auto h = header;
    for (int i = 0; i < 4; ++i) h[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    return Dib::FromInfoHeader(h, image.bytes()).ok();
  };
  EXPECT_FALSE(changed(8, static_cast<std::uint32_t>(-2)));  // top-down
  EXPECT_FALSE(changed(4, 0));
  EXPECT_FALSE(changed(4, 0x7FFFFFFF));
  EXPECT_FALSE(changed(16, 1));  // run-length compressed
  auto eightBit = header;
  eightBit[14] = 8;
  EXPECT_FALSE(Dib::FromInfoHeader(eightBit, image.bytes()).ok());
}

TEST(PixelCanvasClip, NestedClipsIntersectAndPopRestores) {
  PixelCanvas canvas(10, 10);
  canvas.PushClip(Rect{2, 2, 6, 6});
  canvas.PushClip(Rect{0, 0, 4, 4});
  canvas.FillRect(Rect{0, 0, 10, 10}, kRed);
  canvas.PopClip();
  canvas.FillRect(Rect{7, 7, 5, 5}, kGreen);
  canvas.PopClip();
  canvas.PopClip();  // one too many: nothing happens
  canvas.FillRect(Rect{9, 0, 1, 1}, kBlue);
  EXPECT_EQ(canvas.Pixel(1, 1), 0u);
  EXPECT_EQ(canvas.Pixel(2, 2), kRed);
  EXPECT_EQ(canvas.Pixel(3, 3), kRed);
  EXPECT_EQ(canvas.Pixel(4, 4), 0u);
  EXPECT_EQ(canvas.Pixel(7, 7), kGreen);
  EXPECT_EQ(canvas.Pixel(8, 8), 0u);
  EXPECT_EQ(canvas.Pixel(9, 0), kBlue);

  const TestDib image = TestDib::Gradient(6, 6, 32);
  canvas.PushClip(Rect{1, 1, 1, 1});
  canvas.CopyImage(Rect{0, 0, 6, 6}, image.dib());
  canvas.StretchImage(Rect{0, 0, 12, 12}, image.dib());
  canvas.PopClip();
  EXPECT_EQ(canvas.Pixel(1, 1), Rgb(0 * 7 + 1, 0 * 11 + 2, 0x40));  // the stretch went last
  EXPECT_EQ(canvas.Pixel(0, 0), 0u);
}

TEST(PixelCanvasText, RecordsTheCallAndKeepsToTheBox) {
  PixelCanvas canvas(40, 20);
  const FontSpec font{"굴림", -12, 6};
  canvas.SetFont(&font);
  canvas.SetTextColor(kWhite);
  canvas.SetBackColor(kBlue);
  canvas.DrawText(Rect{0, 0, 15, 20}, "7 8");
  ASSERT_EQ(canvas.Texts().size(), 1u);
  EXPECT_EQ(canvas.Texts()[0].text, "7 8");
  EXPECT_EQ(canvas.Texts()[0].font, font);
  EXPECT_EQ(canvas.Texts()[0].color, kWhite);
  // Opaque: the cells get the background colour, a glyph block sits in
  // each character's cell, nothing passes the box's right edge.
  EXPECT_EQ(canvas.Pixel(0, 0), kBlue);
  EXPECT_EQ(canvas.Pixel(2, 6), kWhite);
  EXPECT_EQ(canvas.Pixel(8, 6), kBlue);  // the space
  EXPECT_EQ(canvas.Pixel(14, 0), kBlue);
  EXPECT_EQ(canvas.Pixel(15, 0), 0u);
  EXPECT_EQ(canvas.Pixel(2, 11), kBlue);  // below the glyph, inside the cell
  EXPECT_EQ(canvas.Pixel(2, 12), 0u);     // below the cell

  canvas.SetBackgroundMode(BackgroundMode::kTransparent);
  canvas.SetFont(nullptr);
  canvas.DrawText(Rect{20, 0, 20, 20}, "한");
  EXPECT_EQ(canvas.Pixel(20, 0), 0u);
  EXPECT_EQ(canvas.Pixel(22, 6), kWhite);
  EXPECT_EQ(canvas.Pixel(30, 6), kWhite);  // a wide character's cell is twice as wide
  EXPECT_TRUE(canvas.Texts()[1].font.face.empty());
}

// A font description of any size (a skin file may hold one) draws within
// the box, its cells held to the coordinate range.
TEST(PixelCanvasText, FontsOfAnySizeDrawWithinTheBox) {
  PixelCanvas canvas(8, 8);
  canvas.SetTextColor(kWhite);
  for (const FontSpec& font : {FontSpec{"a", 1179406848, 0}, FontSpec{"a", INT_MIN, INT_MAX},
                               FontSpec{"a", -2, INT_MAX}}) {
    canvas.SetFont(&font);
    canvas.DrawText(Rect{0, 0, 8, 8}, "77");
  }
  EXPECT_EQ(canvas.Texts().size(), 3u);
  EXPECT_EQ(canvas.Pixel(1, 7), kWhite);  // the first cell covers the box
}

TEST(PixelCanvasBuffer, DrawsWithItsOwnOriginAndCopiesOnce) {
  PixelCanvas canvas(10, 10);
  canvas.FillRect(Rect{0, 0, 10, 10}, kWhite);
  canvas.PushClip(Rect{0, 0, 6, 10});
  canvas.Buffered(Rect{4, 4, 4, 4}, [&](Canvas& buffer) {
    EXPECT_EQ(buffer.Width(), 4);
    EXPECT_EQ(buffer.Height(), 4);
    buffer.FillRect(Rect{0, 0, 1, 1}, kRed);
    buffer.DrawText(Rect{0, 2, 4, 2}, "x");
  });
  canvas.PopClip();
  EXPECT_EQ(canvas.Pixel(4, 4), kRed);
  EXPECT_EQ(canvas.Pixel(5, 5), 0u);     // the buffer starts black
  EXPECT_EQ(canvas.Pixel(6, 5), kWhite); // clipped on the way back
  EXPECT_EQ(canvas.Pixel(3, 3), kWhite);
  ASSERT_EQ(canvas.Texts().size(), 1u);
}

TEST(PixelCanvasPng, SavedFileHoldsTheRowsAndValidChecksums) {
  PixelCanvas canvas(300, 250);  // rows add up to more than one stored block
  canvas.FillRect(Rect{0, 0, 300, 250}, Rgb(10, 20, 30));
  canvas.SetPixel(299, 249, Rgb(200, 100, 50));
  const auto dir = std::filesystem::temp_directory_path() / ("canvas-png-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  std::filesystem::create_directories(dir);
  const auto path = dir / "face.png";
  ASSERT_TRUE(canvas.SavePng(path).ok());
  auto file = common::ReadWholeFile(path, 1 << 20);
  ASSERT_TRUE(file.ok());
  std::filesystem::remove_all(dir);
  const std::string& png = *file;
  ASSERT_EQ(png.substr(1, 3), "PNG");

  auto be32 = [&](std::size_t at) {
    return (std::uint32_t{static_cast<unsigned char>(png[at])} << 24) |
           (std::uint32_t{static_cast<unsigned char>(png[at + 1])} << 16) |
           (std::uint32_t{static_cast<unsigned char>(png[at + 2])} << 8) | static_cast<unsigned char>(png[at + 3]);
  };
  EXPECT_EQ(be32(16), 300u);
  EXPECT_EQ(be32(20), 250u);
  // Walk the chunks; gather the stored deflate blocks of IDAT.
  std::string raw;
  std::size_t at = 8;
  bool ended = false;
  while (at + 12 <= png.size()) {
    const std::uint32_t length = be32(at);
    const std::string type = png.substr(at + 4, 4);
    if (type == "IDAT") {
      std::size_t z = at + 8 + 2;
      for (;;) {
        const bool last = png[z] & 1;
        const std::size_t n = static_cast<unsigned char>(png[z + 1]) | (static_cast<unsigned char>(png[z + 2]) << 8);
        raw += png.substr(z + 5, n);
        z += 5 + n;
        if (last) break;
      }
    }
    if (type == "IEND") ended = true;
    at += 12 + length;
  }
  EXPECT_TRUE(ended);
  ASSERT_EQ(raw.size(), 250u * (1 + 3 * 300));
  EXPECT_EQ(raw[0], 0);
  EXPECT_EQ(static_cast<unsigned char>(raw[1]), 10);
  EXPECT_EQ(static_cast<unsigned char>(raw[raw.size() - 3]), 200);
  EXPECT_EQ(static_cast<unsigned char>(raw[raw.size() - 1]), 50);
}

}  // namespace
}  // namespace gui
