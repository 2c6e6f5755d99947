// The reading side of a skin file: the record header of the current record
// and bounded readers for the payload values. Every reader stops at the end
// of the buffer: a read that would run past it consumes what is left, gives
// zeros (or an empty image) and marks the stream as overrun, so a truncated
// file or a length larger than what is left never reads outside the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vantu {

class CSkin;

// A rectangle in window client pixels: left, top, right, bottom.
// The range a skin's coordinates are held to when read (the platform's
// window coordinates are 16-bit).
inline constexpr std::int32_t kMinCoordinate = -32768;
inline constexpr std::int32_t kMaxCoordinate = 32767;

struct SkinRect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;

  std::int32_t Width() const { return right - left; }
  std::int32_t Height() const { return bottom - top; }
  // Right and bottom edges are outside, as the platform's rectangles have it.
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  SkinRect Moved(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  bool operator==(const SkinRect&) const = default;
};

// A picture of the skin file: references to its information header and its
// pixel rows, both inside the skin's file buffer. Empty when the record held
// no usable picture (a bad or unsupported BMP); elements draw nothing then.
struct SkinImage {
  const std::uint8_t* header = nullptr;  // 40-byte information header
  const std::uint8_t* pixels = nullptr;  // bottom-up rows, padded to 4 bytes
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint16_t bitCount = 0;  // 24 or 32

  bool empty() const { return pixels == nullptr; }
  std::size_t stride() const;
};

// Why an embedded image was refused (tests and the fuzz target look).
enum class ImageCheck {
  kOk,
  kTooShort,         // fewer than 54 bytes
  kNotBmp,           // no "BM"
  kHeaderSize,       // information header other than 40 bytes
  kSize,             // width or height not positive
  kBitCount,         // neither 24 nor 32 bits, or planes not 1
  kCompression,      // not plain RGB
  kColorTable,       // a colour table announced
  kRowsOutside,      // pixel rows run past the embedded file
};

// Checks an embedded BMP file of `bytes` and describes it when usable.
ImageCheck CheckEmbeddedImage(std::span<const std::uint8_t> bytes, SkinImage* image);

class SkinStream {
 public:
  SkinStream() = default;
  SkinStream(std::span<const std::uint8_t> buffer, CSkin* owner);

  // The current record's header.
  std::uint8_t tag[8] = {};
  std::uint32_t type = 0;
  std::int32_t id = 0;
  std::uint32_t flags = 0;

  std::uint32_t position() const { return position_; }
  std::uint32_t length() const { return length_; }
  std::uint32_t remaining() const { return length_ - position_; }
  void Seek(std::uint32_t position) { position_ = position <= length_ ? position : length_; }
  CSkin* owner() const { return owner_; }
  // A read ran past the end of the buffer since the last ClearOverrun.
  bool overrun() const { return overrun_; }
  void ClearOverrun() { overrun_ = false; }

  std::vector<std::uint8_t> ReadBytes(std::uint32_t count);
  // `count` bytes as a string (the count itself is read by the caller).
  std::string ReadString(std::uint32_t count);
  std::uint32_t ReadU32();
  std::int32_t ReadS32() { return static_cast<std::int32_t>(ReadU32()); }
  SkinRect ReadRect();
  // Three words red, green, blue; only the low byte of each counts.
  std::uint32_t ReadColor();
  void SkipBytes(std::uint32_t count);
  // A u32 byte count and a BMP file of that many bytes. A count beyond the
  // buffer overruns; a bad BMP is skipped whole and gives an empty image.
  SkinImage ReadImage();

 private:
  // Takes `count` bytes when that many are left; else consumes the rest,
  // marks the overrun and answers null.
  const std::uint8_t* Take(std::uint32_t count);

  const std::uint8_t* buffer_ = nullptr;
  std::uint32_t position_ = 0;
  std::uint32_t length_ = 0;
  CSkin* owner_ = nullptr;
  bool overrun_ = false;
};

}  // namespace vantu
