// Pictures from JPEG and BMP files: decoded by the platform's reader (the
// JPEG library natively, the imaging component under Wine) to the same
// pixels within the decoder's tolerance, BMP pixel for pixel, and drawn
// pixel-exact; damaged files are refused.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gui/Picture.h"
#include "platform/gui/PixelCanvas.h"

namespace gui {
namespace {

common::Path Sample(const std::string& name) { return common::PathFromUtf8(std::string(PICTURE_DIR) + "/" + name); }

std::vector<std::uint8_t> Bytes(const std::string& name) {
  auto text = common::ReadWholeFile(Sample(name), 1 << 20);
  EXPECT_TRUE(text) << name;
  return text ? std::vector<std::uint8_t>(text->begin(), text->end()) : std::vector<std::uint8_t>{};
}

// Within `tolerance` in each channel.
::testing::AssertionResult Near(Color got, Color want, int tolerance) {
  if (std::abs(RedOf(got) - RedOf(want)) <= tolerance && std::abs(GreenOf(got) - GreenOf(want)) <= tolerance &&
      std::abs(BlueOf(got) - BlueOf(want)) <= tolerance) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << std::hex << "got " << got << ", want " << want;
}

constexpr int kJpegTolerance = 8;

TEST(PictureTest, JpegQuadrantsComeOutInTheirColoursWhateverTheEncoding) {
  // Four 16x16 squares: red, green / blue, white; baseline and progressive.
  for (const char* name : {"quadrants.jpg", "progressive.jpg"}) {
    SCOPED_TRACE(name);
    auto picture = LoadPicture(Sample(name));
    ASSERT_TRUE(picture) << picture.error().message;
    ASSERT_EQ(picture->Width(), 32);
    ASSERT_EQ(picture->Height(), 32);
    for (int y : {2, 8, 13}) {
      for (int x : {2, 8, 13}) {
        EXPECT_TRUE(Near(picture->Pixel(x, y), Rgb(255, 0, 0), kJpegTolerance));
        EXPECT_TRUE(Near(picture->Pixel(x + 16, y), Rgb(0, 255, 0), kJpegTolerance));
        EXPECT_TRUE(Near(picture->Pixel(x, y + 16), Rgb(0, 0, 255), kJpegTolerance));
        EXPECT_TRUE(Near(picture->Pixel(x + 16, y + 16), Rgb(255, 255, 255), kJpegTolerance));
      }
    }
  }
  // A grey-scale JPEG comes out with three equal channels.
  auto gray = LoadPicture(Sample("gray.jpg"));
  ASSERT_TRUE(gray) << gray.error().message;
  const Color white = gray->Pixel(24, 24);
  EXPECT_TRUE(Near(white, Rgb(255, 255, 255), kJpegTolerance));
  const Color c = gray->Pixel(4, 4);
  EXPECT_EQ(RedOf(c), GreenOf(c));
  EXPECT_EQ(GreenOf(c), BlueOf(c));
}

TEST(PictureTest, BmpRowsArePaddedAndBottomUpAndDrawPixelExact) {
  // 3x2, 24 bits: rows padded to 12 bytes.
  auto picture = DecodePicture(Bytes("odd.bmp"));
  ASSERT_TRUE(picture) << picture.error().message;
  ASSERT_EQ(picture->Width(), 3);
  ASSERT_EQ(picture->Height(), 2);
  EXPECT_EQ(picture->Pixel(0, 0), Rgb(0xA0, 0xB0, 0xC0));
  EXPECT_EQ(picture->Pixel(1, 0), Rgb(0x10, 0x20, 0x30));
  EXPECT_EQ(picture->Pixel(2, 1), Rgb(0x40, 0x50, 0x60));
  EXPECT_EQ(picture->Pixel(3, 0), 0u);  // outside

  PixelCanvas canvas(6, 4);
  canvas.DrawImage(Rect{2, 1, 3, 2}, picture->View());
  EXPECT_EQ(canvas.Pixel(2, 1), Rgb(0xA0, 0xB0, 0xC0));
  EXPECT_EQ(canvas.Pixel(4, 2), Rgb(0x40, 0x50, 0x60));
  EXPECT_EQ(canvas.Pixel(1, 1), 0u);
  EXPECT_EQ(canvas.Pixel(5, 2), 0u);
}

TEST(PictureTest, PaletteBmpsOfEveryDepthComeOutInTheirTableColours) {
  // 8 bits, a table of four colours; index 7 lies past it and is black.
  auto eight = DecodePicture(Bytes("palette8.bmp"));
  ASSERT_TRUE(eight) << eight.error().message;
  ASSERT_EQ(eight->Width(), 3);
  ASSERT_EQ(eight->Height(), 2);
  EXPECT_EQ(eight->Pixel(0, 0), Rgb(255, 0, 0));
  EXPECT_EQ(eight->Pixel(1, 0), Rgb(0, 128, 0));
  EXPECT_EQ(eight->Pixel(2, 0), Rgb(0, 0, 255));
  EXPECT_EQ(eight->Pixel(0, 1), Rgb(10, 20, 30));
  EXPECT_EQ(eight->Pixel(1, 1), Rgb(0, 0, 0));
  EXPECT_EQ(eight->Pixel(2, 1), Rgb(255, 0, 0));
  // 4 bits, five pixels a row (two nibbles a byte, the last half used),
  // the table's size left to the depth.
  auto four = DecodePicture(Bytes("palette4.bmp"));
  ASSERT_TRUE(four) << four.error().message;
  const Color w = Rgb(255, 255, 255), o = Rgb(200, 100, 50);
  const Color top[] = {w, o, w, o, o};
  const Color bottom[] = {o, o, w, w, w};
  for (int x = 0; x < 5; ++x) {
    EXPECT_EQ(four->Pixel(x, 0), top[x]) << x;
    EXPECT_EQ(four->Pixel(x, 1), bottom[x]) << x;
  }
  // 1 bit, ten pixels a row: the second byte's high bits.
  auto mono = DecodePicture(Bytes("mono.bmp"));
  ASSERT_TRUE(mono) << mono.error().message;
  const Color y = Rgb(255, 255, 0), k = Rgb(0, 0, 0);
  const Color first[] = {y, k, y, k, y, k, y, k, y, y};
  for (int x = 0; x < 10; ++x) {
    EXPECT_EQ(mono->Pixel(x, 0), first[x]) << x;
    EXPECT_EQ(mono->Pixel(x, 1), k) << x;
    EXPECT_EQ(mono->Pixel(x, 2), y) << x;
  }

  // Damaged: rows cut short, a run-length picture, a table overlapping
  // the header, a size beyond the limit.
  auto bytes = Bytes("palette8.bmp");
  EXPECT_FALSE(DecodePicture(std::vector<std::uint8_t>(bytes.begin(), bytes.end() - 1)));
  auto rle = bytes;
  rle[14 + 16] = 1;
  EXPECT_FALSE(DecodePicture(rle));
  auto overlap = bytes;
  overlap[14] = 0xF0;  // header size 240: the table would start past the pixels
  EXPECT_FALSE(DecodePicture(overlap));
  auto wide = bytes;
  wide[14 + 4] = 0x00;
  wide[14 + 5] = 0x40;  // 16384 x 2: rows far past the file
  EXPECT_FALSE(DecodePicture(wide));
  auto topDown = bytes;
  topDown[14 + 11] = 0xFF;  // negative height
  EXPECT_FALSE(DecodePicture(topDown));
}

TEST(PictureTest, ResourcesComeFromTheRegisteredTableAndUnknownNamesAreErrors) {
  RegisterPictureResource("BACKGROUND", Bytes("palette8.bmp"));
  auto picture = LoadPictureResource("BACKGROUND");
  ASSERT_TRUE(picture) << picture.error().message;
  EXPECT_EQ(picture->Pixel(2, 0), Rgb(0, 0, 255));
  // Registered again: the new bytes.
  RegisterPictureResource("BACKGROUND", Bytes("quadrants.jpg"));
  picture = LoadPictureResource("BACKGROUND");
  ASSERT_TRUE(picture) << picture.error().message;
  EXPECT_EQ(picture->Width(), 32);
  RegisterPictureResource("BROKEN", {'B', 'M', 1, 2});
  EXPECT_FALSE(LoadPictureResource("BROKEN"));
  auto missing = LoadPictureResource("NO_SUCH_PICTURE");
  ASSERT_FALSE(missing);
  EXPECT_NE(missing.error().message.find("NO_SUCH_PICTURE"), std::string::npos);
}

TEST(PictureTest, DamagedOrForeignFilesAreRefused) {
  auto jpeg = Bytes("quadrants.jpg");
  auto bmp = Bytes("odd.bmp");
  EXPECT_FALSE(DecodePicture({}));
  EXPECT_FALSE(DecodePicture(std::vector<std::uint8_t>{'G', 'I', 'F', '8', '9', 'a'}));
  EXPECT_FALSE(DecodePicture(std::vector<std::uint8_t>(jpeg.begin(), jpeg.begin() + 20)));  // header cut
  std::vector<std::uint8_t> shortBmp(bmp.begin(), bmp.end() - 4);
  EXPECT_FALSE(DecodePicture(shortBmp));
  auto farOffset = bmp;
  farOffset[10] = 0xFF;  // pixels beyond the file
  EXPECT_FALSE(DecodePicture(farOffset));
  // A JPEG that claims 60000 x 60000 pixels is refused before decoding.
  auto huge = jpeg;
  for (std::size_t i = 2; i + 8 < huge.size(); ++i) {
    if (huge[i] == 0xFF && (huge[i + 1] == 0xC0 || huge[i + 1] == 0xC2)) {
      huge[i + 5] = 0xEA;
      huge[i + 6] = 0x60;
      huge[i + 7] = 0xEA;
      huge[i + 8] = 0x60;
      break;
    }
  }
  EXPECT_FALSE(DecodePicture(huge));
  // Only the start of the frame header: refused before any decoder runs.
  for (std::size_t i = 2; i + 4 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      EXPECT_FALSE(DecodePicture(std::vector<std::uint8_t>(jpeg.begin(), jpeg.begin() + static_cast<long>(i) + 6)));
      break;
    }
  }
  EXPECT_FALSE(LoadPicture(Sample("missing.jpg")));
}

}  // namespace
}  // namespace gui
