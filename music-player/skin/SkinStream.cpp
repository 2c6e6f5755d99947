#include "music-player/skin/SkinStream.h"

#include <algorithm>
#include <cstring>

#include "common/ByteOrder.h"
#include "music-player/skin/SkinFormat.h"

namespace vantu {

namespace fmt = skin_format;

std::size_t SkinImage::stride() const {
  return static_cast<std::size_t>(fmt::RowStride(static_cast<std::uint32_t>(width), bitCount));
}

ImageCheck CheckEmbeddedImage(std::span<const std::uint8_t> bytes, SkinImage* image) {
  if (bytes.size() < fmt::kBmpPixelOffset) return ImageCheck::kTooShort;
  const std::uint8_t* file = bytes.data();
  if (file[fmt::kBfType] != 'B' || file[fmt::kBfType + 1] != 'M') return ImageCheck::kNotBmp;
  const std::uint8_t* info = file + fmt::kBmpFileHeaderSize;
  if (common::LoadLE32(info + fmt::kBiSize) != fmt::kBmpInfoHeaderSize) return ImageCheck::kHeaderSize;
  const auto width = static_cast<std::int32_t>(common::LoadLE32(info + fmt::kBiWidth));
  const auto height = static_cast<std::int32_t>(common::LoadLE32(info + fmt::kBiHeight));
  if (width <= 0 || height <= 0) return ImageCheck::kSize;
  const std::uint16_t planes = common::LoadLE16(info + fmt::kBiPlanes);
  const std::uint16_t bits = common::LoadLE16(info + fmt::kBiBitCount);
  if (planes != 1 || (bits != 24 && bits != 32)) return ImageCheck::kBitCount;
  if (common::LoadLE32(info + fmt::kBiCompression) != 0) return ImageCheck::kCompression;
  if (common::LoadLE32(info + fmt::kBiClrUsed) != 0) return ImageCheck::kColorTable;
  const std::uint64_t rows = fmt::RowStride(static_cast<std::uint32_t>(width), bits) *
                             static_cast<std::uint64_t>(height);
  if (rows > bytes.size() - fmt::kBmpPixelOffset) return ImageCheck::kRowsOutside;
  if (image) {
    image->header = info;
    image->pixels = file + fmt::kBmpPixelOffset;
    image->width = width;
    image->height = height;
    image->bitCount = bits;
  }
  return ImageCheck::kOk;
}

SkinStream::SkinStream(std::span<const std::uint8_t> buffer, CSkin* owner)
    : buffer_(buffer.data()),
      // Buffers are capped well below 4 GiB when a skin is loaded.
      length_(static_cast<std::uint32_t>(buffer.size())),
      owner_(owner) {}

const std::uint8_t* SkinStream::Take(std::uint32_t count) {
  if (count > remaining()) {
    position_ = length_;
    overrun_ = true;
    return nullptr;
  }
  const std::uint8_t* p = buffer_ + position_;
  position_ += count;
  return p;
}

std::vector<std::uint8_t> SkinStream::ReadBytes(std::uint32_t count) {
  const std::uint8_t* p = Take(count);
  if (!p) return {};
  return std::vector<std::uint8_t>(p, p + count);
}

std::string SkinStream::ReadString(std::uint32_t count) {
  const std::uint8_t* p = Take(count);
  if (!p) return {};
  return std::string(reinterpret_cast<const char*>(p), count);
}

std::uint32_t SkinStream::ReadU32() {
  const std::uint8_t* p = Take(4);
  return p ? common::LoadLE32(p) : 0;
}

SkinRect SkinStream::ReadRect() {
  // Window coordinates are 16-bit on the platform; a value outside that range
  // is held at its edge, so widths, heights and moves never overflow.
  const auto coordinate = [this] { return std::clamp<std::int32_t>(ReadS32(), kMinCoordinate, kMaxCoordinate); };
  SkinRect r;
  r.left = coordinate();
  r.top = coordinate();
  r.right = coordinate();
  r.bottom = coordinate();
  return r;
}

std::uint32_t SkinStream::ReadColor() {
  const std::uint32_t red = ReadU32();
  const std::uint32_t green = ReadU32();
  const std::uint32_t blue = ReadU32();
  return fmt::ColorValue(red, green, blue);
}

void SkinStream::SkipBytes(std::uint32_t count) { Take(count); }

SkinImage SkinStream::ReadImage() {
  const std::uint32_t count = ReadU32();
  const std::uint8_t* p = Take(count);
  SkinImage image;
  if (p && CheckEmbeddedImage({p, count}, &image) != ImageCheck::kOk) image = SkinImage{};
  return image;
}

}  // namespace vantu
