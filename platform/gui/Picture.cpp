#include "platform/gui/Picture.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "common/ByteOrder.h"

namespace gui {

namespace {
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint64_t kMaxFileBytes = 16u << 20;
// The size a JPEG's frame header declares (markers walked from the start
// of the data, each within the bytes given); nullopt when there is none.
std::optional<std::pair<int, int>> JpegFrameSize(std::span<const std::uint8_t> bytes) {
  std::size_t at = 2;  // after the start-of-image marker
  while (at + 4 <= bytes.size()) {
    if (bytes[at] != 0xFF) return std::nullopt;
    const std::uint8_t marker = bytes[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0xD8 || marker == 0xD9 || marker == 0xDA) return std::nullopt;  // no frame header before the scan
    const std::size_t length = common::LoadBE16(bytes.data() + at + 2);
    if (length < 2) return std::nullopt;
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (length < 7 || at + 2 + length > bytes.size()) return std::nullopt;
      const int height = common::LoadBE16(bytes.data() + at + 5);
      const int width = common::LoadBE16(bytes.data() + at + 7);
      return std::make_pair(width, height);
    }
    at += 2 + length;
  }
  return std::nullopt;
}

// 1, 4 or 8 bits a pixel, each an index into the colour table behind the
// information header; an index past the table is black.
common::Result<Bitmap> DecodePaletteBmp(std::span<const std::uint8_t> bytes, std::uint32_t offset, int depth) {
  const std::uint8_t* header = bytes.data() + kFileHeaderSize;
  const std::uint32_t headerSize = common::LoadLE32(header);
  const auto width = static_cast<std::int32_t>(common::LoadLE32(header + 4));
  const auto height = static_cast<std::int32_t>(common::LoadLE32(header + 8));
  const std::uint32_t compression = common::LoadLE32(header + 16);
  std::uint32_t colors = common::LoadLE32(header + 32);
  if (headerSize < Dib::kInfoHeaderSize) return common::Error{2, "not a bitmap information header"};
  if (width <= 0 || height <= 0 || width > Dib::kMaxSide || height > Dib::kMaxSide) {
    return common::Error{3, "bitmap size not supported (empty, top-down or too large)"};
  }
  if (static_cast<std::int64_t>(width) * height > Bitmap::kMaxPixels) return common::Error{12, "picture too large"};
  if (compression != 0) return common::Error{5, "compressed bitmaps are not supported"};
  const std::uint32_t maxColors = 1u << depth;
  if (colors == 0 || colors > maxColors) colors = maxColors;
  // The table lies between the header and the pixels; a short one is cut
  // to what is there.
  const std::uint64_t tableStart = kFileHeaderSize + static_cast<std::uint64_t>(headerSize);
  if (tableStart > offset) return common::Error{11, "BMP pixel offset outside the file"};
  colors = static_cast<std::uint32_t>(std::min<std::uint64_t>(colors, (offset - tableStart) / 4));
  Color table[256] = {};
  for (std::uint32_t i = 0; i < colors; ++i) {
    const std::uint8_t* entry = bytes.data() + tableStart + i * 4;
    table[i] = Rgb(entry[2], entry[1], entry[0]);
  }
  const std::size_t stride = ((static_cast<std::size_t>(width) * static_cast<std::size_t>(depth) + 31) / 32) * 4;
  if (bytes.size() - offset < stride * static_cast<std::size_t>(height)) {
    return common::Error{6, "bitmap pixel rows are cut short"};
  }
  Bitmap out(width, height);
  const int perByte = 8 / depth;
  const unsigned mask = (1u << depth) - 1;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = bytes.data() + offset + static_cast<std::size_t>(height - 1 - y) * stride;
    for (int x = 0; x < width; ++x) {
      const std::uint8_t byte = row[x / perByte];
      const int shift = 8 - depth * (x % perByte + 1);
      const unsigned index = (byte >> shift) & mask;
      out.SetPixel(x, y, index < colors ? table[index] : Rgb(0, 0, 0));
    }
  }
  return out;
}

std::mutex registeredLock;
std::map<std::string, std::shared_ptr<const std::vector<std::uint8_t>>>& Registered() {
  static std::map<std::string, std::shared_ptr<const std::vector<std::uint8_t>>> table;
  return table;
}

}  // namespace

Bitmap::Bitmap(int width, int height) {
  if (width <= 0 || height <= 0 || width > Dib::kMaxSide || height > Dib::kMaxSide ||
      static_cast<std::int64_t>(width) * height > kMaxPixels) {
    return;
  }
  width_ = width;
  height_ = height;
  bits_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
}

std::uint8_t* Bitmap::At(int x, int y) {
  const auto row = static_cast<std::size_t>(height_ - 1 - y);
  return bits_.data() + (row * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)) * 4;
}

Color Bitmap::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  const std::uint8_t* p = const_cast<Bitmap*>(this)->At(x, y);
  return Rgb(p[2], p[1], p[0]);
}

void Bitmap::SetPixel(int x, int y, Color color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  std::uint8_t* p = At(x, y);
  p[0] = static_cast<std::uint8_t>(BlueOf(color));
  p[1] = static_cast<std::uint8_t>(GreenOf(color));
  p[2] = static_cast<std::uint8_t>(RedOf(color));
  p[3] = 0;
}

common::Result<Bitmap> DecodeBmp(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kFileHeaderSize + Dib::kInfoHeaderSize || bytes[0] != 'B' || bytes[1] != 'M') {
    return common::Error{10, "not a BMP file"};
  }
  const std::uint32_t offset = common::LoadLE32(bytes.data() + 10);
  if (offset < kFileHeaderSize + Dib::kInfoHeaderSize || offset > bytes.size()) {
    return common::Error{11, "BMP pixel offset outside the file"};
  }
  const std::uint16_t depth = common::LoadLE16(bytes.data() + kFileHeaderSize + 14);
  if (depth == 1 || depth == 4 || depth == 8) return DecodePaletteBmp(bytes, offset, depth);
  auto dib = Dib::FromInfoHeader(bytes.subspan(kFileHeaderSize), bytes.subspan(offset));
  if (!dib) return dib.error();
  if (static_cast<std::int64_t>(dib->width) * dib->height > Bitmap::kMaxPixels) {
    return common::Error{12, "picture too large"};
  }
  Bitmap out(dib->width, dib->height);
  const std::size_t stride = dib->Stride();
  const int step = dib->bitsPerPixel / 8;
  for (int y = 0; y < dib->height; ++y) {
    // BMP rows run bottom-up, as the bitmap's own.
    const std::uint8_t* row = dib->bits + static_cast<std::size_t>(dib->height - 1 - y) * stride;
    for (int x = 0; x < dib->width; ++x) {
      const std::uint8_t* p = row + static_cast<std::size_t>(x) * static_cast<std::size_t>(step);
      out.SetPixel(x, y, Rgb(p[2], p[1], p[0]));
    }
  }
  return out;
}

common::Result<Bitmap> DecodePicture(std::span<const std::uint8_t> bytes) {
  if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) {
    // The declared size is checked before any decoder sees the data, so no
    // decoder allocates for a picture larger than we take.
    const auto size = JpegFrameSize(bytes);
    if (!size) return common::Error{14, "JPEG: no frame header"};
    const auto [width, height] = *size;
    if (width <= 0 || height <= 0 || width > Dib::kMaxSide || height > Dib::kMaxSide ||
        static_cast<std::int64_t>(width) * height > Bitmap::kMaxPixels) {
      return common::Error{12, "picture too large"};
    }
    return detail::DecodeJpeg(bytes);
  }
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return DecodeBmp(bytes);
  return common::Error{13, "picture format not supported (JPEG or BMP)"};
}

common::Result<Bitmap> LoadPicture(const common::Path& path) {
  auto data = common::ReadWholeFile(path, kMaxFileBytes);
  if (!data) return data.error();
  return DecodePicture(std::span(reinterpret_cast<const std::uint8_t*>(data->data()), data->size()));
}

void RegisterPictureResource(std::string name, std::vector<std::uint8_t> bytes) {
  std::lock_guard<std::mutex> hold(registeredLock);
  Registered()[std::move(name)] = std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
}

common::Result<Bitmap> LoadPictureResource(const std::string& name) {
  std::shared_ptr<const std::vector<std::uint8_t>> bytes;
  {
    std::lock_guard<std::mutex> hold(registeredLock);
    auto it = Registered().find(name);
    if (it != Registered().end()) bytes = it->second;
  }
  if (bytes) return DecodePicture(*bytes);
  if (auto resource = detail::ProgramResource(name)) return DecodePicture(*resource);
  return common::Error{15, "no picture resource " + name};
}

}  // namespace gui
