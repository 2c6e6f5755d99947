#include "platform/gui/PixelCanvas.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "common/ByteOrder.h"

namespace gui {

namespace {

// The nearest-pixel stretch as GDI draws it (measured under Wine):
// destination pixel i of n takes source pixel (i * m + c) / n. Columns
// count from the left with c = (m - 1) / 2 when enlarging and
// (m - 1) - (n - 1) / 2 when shrinking; rows count from the top with
// c = (m - 1) / 2 when enlarging and n / 2 when shrinking.
int StretchColumn(int i, int destLength, int sourceLength) {
  const std::int64_t m = sourceLength, n = destLength;
  const std::int64_t c = m > n ? (m - 1) - (n - 1) / 2 : (m - 1) / 2;
  return static_cast<int>((i * m + c) / n);
}

int StretchRow(int i, int destLength, int sourceLength) {
  const std::int64_t m = sourceLength, n = destLength;
  const std::int64_t c = m > n ? n / 2 : (m - 1) / 2;
  return static_cast<int>((i * m + c) / n);
}

// Next code point of UTF-8 text (a bad byte counts as one character).
std::uint32_t NextCodePoint(std::string_view text, std::size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  int length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 1;
  if (at + static_cast<std::size_t>(length) > text.size()) length = 1;
  std::uint32_t cp = length == 1 ? lead : lead & (0x7F >> length);
  for (int k = 1; k < length; ++k) cp = (cp << 6) | (static_cast<unsigned char>(text[at + k]) & 0x3F);
  at += static_cast<std::size_t>(length);
  return cp;
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void PutBE32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data) {
  PutBE32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBE32(out, Crc32(out.data() + start, out.size() - start));
}

}  // namespace

PixelCanvas::PixelCanvas(int width, int height) { Reset(width, height); }

void PixelCanvas::Reset(int width, int height) {
  width_ = std::max(0, width);
  height_ = std::max(0, height);
  pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), Rgb(0, 0, 0));
  clips_.clear();
}

Color PixelCanvas::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
}

void PixelCanvas::SetPixel(int x, int y, Color color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)] = color;
}

void PixelCanvas::CopyImage(const Rect& dest, const Dib& image) {
  if (!image.Valid() || dest.width <= 0 || dest.height <= 0) return;
  // Destination row j shows source row (from the bottom) dest.height-1-j;
  // columns and rows the picture does not have are left alone.
  const int columns = std::min(dest.width, image.width);
  const Rect drawn = Intersect(Intersect(dest, Rect{dest.left, dest.top, columns, dest.height}), Clip());
  if (drawn.width <= 0) return;
  const std::size_t bytesPerPixel = static_cast<std::size_t>(image.bitsPerPixel / 8);
  for (int y = drawn.top; y < drawn.top + drawn.height; ++y) {
    const int row = dest.height - 1 - (y - dest.top);
    if (row >= image.height) continue;
    const std::uint8_t* src = image.bits + image.Stride() * static_cast<std::size_t>(row) +
                              static_cast<std::size_t>(drawn.left - dest.left) * bytesPerPixel;
    Color* out = pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                 static_cast<std::size_t>(drawn.left);
    for (int x = 0; x < drawn.width; ++x, src += bytesPerPixel) out[x] = Rgb(src[2], src[1], src[0]);
  }
}

void PixelCanvas::StretchImage(const Rect& dest, const Dib& image) {
  if (!image.Valid() || dest.width <= 0 || dest.height <= 0) return;
  const Rect drawn = Intersect(dest, Clip());
  if (drawn.width <= 0) return;
  // Byte offset of each destination column's source pixel within a row.
  const std::size_t bytesPerPixel = static_cast<std::size_t>(image.bitsPerPixel / 8);
  std::vector<std::size_t> sourceX(static_cast<std::size_t>(drawn.width));
  for (int x = 0; x < drawn.width; ++x) {
    sourceX[x] = static_cast<std::size_t>(StretchColumn(drawn.left - dest.left + x, dest.width, image.width)) * bytesPerPixel;
  }
  for (int y = drawn.top; y < drawn.top + drawn.height; ++y) {
    const int fromTop = StretchRow(y - dest.top, dest.height, image.height);
    const std::uint8_t* row = image.bits + image.Stride() * static_cast<std::size_t>(image.height - 1 - fromTop);
    Color* out = pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                 static_cast<std::size_t>(drawn.left);
    for (int x = 0; x < drawn.width; ++x) {
      const std::uint8_t* p = row + sourceX[x];
      out[x] = Rgb(p[2], p[1], p[0]);
    }
  }
}

void PixelCanvas::FillRect(const Rect& area, Color color) {
  const Rect drawn = Intersect(area, Clip());
  for (int y = drawn.top; y < drawn.top + drawn.height; ++y) {
    Color* out = pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                 static_cast<std::size_t>(drawn.left);
    std::fill(out, out + drawn.width, color);
  }
}

void PixelCanvas::SetFont(const FontSpec* font) { font_ = font ? *font : FontSpec{}; }

namespace {
// Character cells are held to the platform's 16-bit coordinate range, so a
// font description of any size draws without overflow.
constexpr std::int64_t kMaxCell = 32767;
}  // namespace

int PixelCanvas::CellHeight(const FontSpec& font) {
  const std::int64_t h = std::min<std::int64_t>(std::abs(std::int64_t{font.height}), kMaxCell);
  return font.face.empty() || h == 0 ? 12 : static_cast<int>(h);
}

int PixelCanvas::CellWidth(const FontSpec& font, bool wide) {
  const int w = !font.face.empty() && font.width > 0 ? static_cast<int>(std::min<std::int64_t>(font.width, kMaxCell))
                                                     : std::max(1, CellHeight(font) / 2);
  return wide ? 2 * w : w;
}

void PixelCanvas::DrawText(const Rect& box, std::string_view utf8) {
  texts_.push_back(DrawnText{box, std::string(utf8), font_, textColor_});
  PushClip(box);
  const int height = CellHeight(font_);
  int x = box.left;
  for (std::size_t at = 0; at < utf8.size() && x < box.left + box.width;) {
    const std::uint32_t cp = NextCodePoint(utf8, at);
    const int width = CellWidth(font_, cp >= 0x1100);
    if (mode_ == BackgroundMode::kOpaque) FillRect(Rect{x, box.top, width, height}, backColor_);
    if (cp != ' ') {
      FillRect(Rect{x + (width > 2 ? 1 : 0), box.top + height / 4, std::max(1, width - 2), std::max(1, height * 5 / 8)},
               textColor_);
    }
    x += width;
  }
  PopClip();
}

void PixelCanvas::PushClip(const Rect& area) { clips_.push_back(Intersect(Clip(), area)); }

void PixelCanvas::PopClip() {
  if (!clips_.empty()) clips_.pop_back();
}

void PixelCanvas::Blit(const PixelCanvas& other, Point at) {
  const Rect drawn = Intersect(Rect{at.x, at.y, other.width_, other.height_}, Clip());
  for (int y = drawn.top; y < drawn.top + drawn.height; ++y) {
    const Color* src = other.pixels_.data() + static_cast<std::size_t>(y - at.y) * static_cast<std::size_t>(other.width_) +
                       static_cast<std::size_t>(drawn.left - at.x);
    std::copy(src, src + drawn.width,
              pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                  static_cast<std::size_t>(drawn.left));
  }
}

void PixelCanvas::Buffered(const Rect& dest, const std::function<void(Canvas&)>& draw) {
  PixelCanvas buffer(dest.width, dest.height);
  buffer.font_ = font_;
  buffer.textColor_ = textColor_;
  buffer.backColor_ = backColor_;
  buffer.mode_ = mode_;
  draw(buffer);
  texts_.insert(texts_.end(), buffer.texts_.begin(), buffer.texts_.end());
  Blit(buffer, Point{dest.left, dest.top});
}

std::vector<std::uint8_t> PixelCanvas::EncodePng() const {
  std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  PutBE32(header, static_cast<std::uint32_t>(width_));
  PutBE32(header, static_cast<std::uint32_t>(height_));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
  PutChunk(out, "IHDR", header);

  // Filter byte 0 and RGB per row, in a zlib stream of stored blocks.
  std::vector<std::uint8_t> raw;
  raw.reserve(static_cast<std::size_t>(height_) * (1 + 3 * static_cast<std::size_t>(width_)));
  for (int y = 0; y < height_; ++y) {
    raw.push_back(0);
    for (int x = 0; x < width_; ++x) {
      const Color c = Pixel(x, y);
      raw.insert(raw.end(), {static_cast<std::uint8_t>(RedOf(c)), static_cast<std::uint8_t>(GreenOf(c)),
                             static_cast<std::uint8_t>(BlueOf(c))});
    }
  }
  std::vector<std::uint8_t> z = {0x78, 0x01};
  std::size_t at = 0;
  do {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
    const bool last = at + n == raw.size();
    z.push_back(last ? 1 : 0);
    z.insert(z.end(), {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                       static_cast<std::uint8_t>(~n), static_cast<std::uint8_t>(~n >> 8)});
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at), raw.begin() + static_cast<std::ptrdiff_t>(at + n));
    at += n;
  } while (at < raw.size());
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBE32(z, (b << 16) | a);
  PutChunk(out, "IDAT", z);
  PutChunk(out, "IEND", {});
  return out;
}

common::Result<void> PixelCanvas::SavePng(const common::Path& path) const {
  const std::vector<std::uint8_t> png = EncodePng();
  return common::WriteFileAtomically(path, png);
}

}  // namespace gui
