// The byte layout of the skin file "DruskLirn.Mpt", declared once for the
// reader, the skin builder and the tests.
//
// A skin file is a sequence of records: a 24-byte header ("TAG:", four free
// bytes, type, id, flags, payload length; little-endian) and a payload laid
// out by the record's kind. Images are complete BMP files embedded in the
// payload behind their byte count; the reader uses them in place.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantu::skin_format {

// --- Record header ---
inline constexpr std::size_t kHeaderSize = 24;
inline constexpr std::size_t kTagSize = 8;  // "TAG:" and four bytes kept as they are
inline constexpr char kTagMagic[4] = {'T', 'A', 'G', ':'};
inline constexpr std::size_t kTypeOffset = 8;
inline constexpr std::size_t kIdOffset = 12;
inline constexpr std::size_t kFlagsOffset = 16;
inline constexpr std::size_t kLengthOffset = 20;

// Record types.
enum SkinType : std::uint32_t {
  kFrameBackground = 1,  // also opens a frame; id = frame number 1-30
  kHeaderOnly = 2,       // a header without payload
  kPushButton = 3,
  kToggleButton = 4,
  kPositionSlider = 5,
  kValueSlider = 6,
  kImageCounter = 7,
  kNumberField = 8,
  kImageSelector = 9,
  kTextField = 10,
  kIconMenuButton = 11,
  kListStyle = 21,
  kScrollBar = 22,
  kDragHandle = 30,
  kResizeGrip = 31,
  kTitleHandleA = 41,
  kTitleHandleB = 42,
  kSliderStyle = 50,
  kKnobStyle = 51,
  kFontDefinition = 52,
  kImageSet = 53,
  kStretchPiece = 501,
  kFixedPiece = 502,
};

// Flags word.
inline constexpr std::uint32_t kAnchorMask = 0xFF;
inline constexpr std::uint32_t kHidden = 0x100;
inline constexpr std::uint32_t kIgnoresMouse = 0x10000;

// --- Tables ---
inline constexpr int kFrameSlots = 30;     // frame numbers 1-30 in slots 0-29
inline constexpr int kFontSlots = 50;      // font slots 0-49
inline constexpr int kImageSetSlots = 50;  // image-set slots 0-49
inline constexpr int kImageSetImages = 11; // digits 0-9 and the blank digit
inline constexpr int kBlankDigit = 10;
inline constexpr int kScrollBarImages = 11;
// Face names of fonts and list styles are at most 127 bytes.
inline constexpr std::uint32_t kFaceNameLimit = 128;

// --- Payload values ---
inline constexpr std::size_t kRectSize = 16;   // left, top, right, bottom (signed 32-bit)
inline constexpr std::size_t kColorSize = 12;  // red, green, blue words; low byte of each counts

// The colour value of three channels: red + green * 256 + blue * 65536.
constexpr std::uint32_t ColorValue(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
  return (red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16);
}
constexpr int Red(std::uint32_t color) { return static_cast<int>(color & 0xFF); }
constexpr int Green(std::uint32_t color) { return static_cast<int>((color >> 8) & 0xFF); }
constexpr int Blue(std::uint32_t color) { return static_cast<int>((color >> 16) & 0xFF); }

// --- Embedded BMP files ---
// The information header is taken at byte 14 and the pixel rows at byte 54 of
// the embedded file, whatever its own data offset says: embedded images
// carry no colour table and no colour masks.
inline constexpr std::size_t kBmpFileHeaderSize = 14;
inline constexpr std::size_t kBmpInfoHeaderSize = 40;
inline constexpr std::size_t kBmpPixelOffset = kBmpFileHeaderSize + kBmpInfoHeaderSize;
// Fields of the information header, relative to its start.
inline constexpr std::size_t kBiSize = 0;         // u32, 40
inline constexpr std::size_t kBiWidth = 4;        // s32
inline constexpr std::size_t kBiHeight = 8;       // s32, positive: rows bottom-up
inline constexpr std::size_t kBiPlanes = 12;      // u16, 1
inline constexpr std::size_t kBiBitCount = 14;    // u16, 24 or 32
inline constexpr std::size_t kBiCompression = 16; // u32, 0 (plain RGB)
inline constexpr std::size_t kBiSizeImage = 20;   // u32
inline constexpr std::size_t kBiClrUsed = 32;     // u32, 0
// Fields of the file header.
inline constexpr std::size_t kBfType = 0;         // "BM"
inline constexpr std::size_t kBfSize = 2;         // u32
inline constexpr std::size_t kBfOffBits = 10;     // u32

// Bytes of one pixel row: rows are padded to 4 bytes.
constexpr std::uint64_t RowStride(std::uint32_t width, std::uint32_t bitCount) {
  return ((std::uint64_t{width} * bitCount + 31) / 32) * 4;
}

}  // namespace vantu::skin_format
