#include "platform/gui/Canvas.h"

#include <algorithm>

#include "common/ByteOrder.h"

namespace gui {

Rect Intersect(const Rect& a, const Rect& b) {
  const int left = std::max(a.left, b.left);
  const int top = std::max(a.top, b.top);
  const int right = std::min(a.left + a.width, b.left + b.width);
  const int bottom = std::min(a.top + a.height, b.top + b.height);
  if (right <= left || bottom <= top) return Rect{left, top, 0, 0};
  return Rect{left, top, right - left, bottom - top};
}

bool Contains(const Rect& r, Point p) {
  return p.x >= r.left && p.y >= r.top && p.x < r.left + r.width && p.y < r.top + r.height;
}

common::Result<Dib> Dib::FromInfoHeader(std::span<const std::uint8_t> header, std::span<const std::uint8_t> pixels) {
  if (header.size() < kInfoHeaderSize) return common::Error{1, "bitmap header too short"};
  const std::uint32_t size = common::LoadLE32(header.data());
  const auto width = static_cast<std::int32_t>(common::LoadLE32(header.data() + 4));
  const auto height = static_cast<std::int32_t>(common::LoadLE32(header.data() + 8));
  const std::uint16_t bpp = common::LoadLE16(header.data() + 14);
  const std::uint32_t compression = common::LoadLE32(header.data() + 16);
  if (size < kInfoHeaderSize) return common::Error{2, "not a bitmap information header"};
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
    return common::Error{3, "bitmap size not supported (empty, top-down or too large)"};
  }
  if (bpp != 24 && bpp != 32) return common::Error{4, "bitmap depth not supported (24 or 32 bits only)"};
  if (compression != 0) return common::Error{5, "compressed bitmaps are not supported"};
  Dib dib{width, height, bpp, pixels.data()};
  if (pixels.size() < dib.ImageBytes()) return common::Error{6, "bitmap pixel rows are cut short"};
  return dib;
}

}  // namespace gui
