#include "platform/gui/win32/GdiCanvas.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <tuple>

#include "common/TextCodec.h"

namespace gui::win32 {

namespace {

std::wstring Wide(std::string_view utf8) {
  auto text = common::Utf8ToUtf16(utf8);
  if (!text) return std::wstring(utf8.size(), L'?');
  return std::wstring(text->begin(), text->end());
}

BITMAPINFOHEADER HeaderOf(const Dib& image) {
  BITMAPINFOHEADER h{};
  h.biSize = sizeof(h);
  h.biWidth = image.width;
  h.biHeight = image.height;  // bottom-up
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(image.bitsPerPixel);
  h.biCompression = BI_RGB;
  return h;
}

}  // namespace

HFONT FontFor(const FontSpec& font) {
  if (font.face.empty()) return nullptr;
  static std::mutex mutex;
  static std::map<std::tuple<std::string, int, int>, HFONT> fonts;
  std::lock_guard lock(mutex);
  auto key = std::make_tuple(font.face, font.height, font.width);
  auto it = fonts.find(key);
  if (it != fonts.end()) return it->second;
  std::wstring face = Wide(font.face);
  if (face.size() >= LF_FACESIZE) face.resize(LF_FACESIZE - 1);
  HFONT handle = CreateFontW(font.height, font.width, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, ANSI_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                             face.c_str());
  fonts[key] = handle;
  return handle;
}

GdiCanvas::GdiCanvas(HDC dc, int width, int height)
    : dc_(dc),
      width_(width),
      height_(height),
      originalFont_(GetCurrentObject(dc, OBJ_FONT)),
      // Shrinking drops pixels instead of merging them into black.
      originalStretchMode_(SetStretchBltMode(dc, COLORONCOLOR)),
      originalText_(GetTextColor(dc)),
      originalBack_(GetBkColor(dc)),
      originalMode_(GetBkMode(dc)) {
  originalClip_ = CreateRectRgn(0, 0, 0, 0);
  hadClip_ = GetClipRgn(dc, originalClip_) == 1;
}

GdiCanvas::~GdiCanvas() {
  SelectObject(dc_, originalFont_);
  SetStretchBltMode(dc_, originalStretchMode_);
  ::SetTextColor(dc_, originalText_);
  ::SetBkColor(dc_, originalBack_);
  SetBkMode(dc_, originalMode_);
  SelectClipRgn(dc_, hadClip_ ? originalClip_ : nullptr);
  DeleteObject(originalClip_);
}

void GdiCanvas::CopyImage(const Rect& dest, const Dib& image) {
  if (!image.Valid() || dest.width <= 0 || dest.height <= 0) return;
  // Only the rows and columns the picture has, from its bottom-left
  // corner: never more scan lines than the caller's buffer holds.
  const int columns = std::min(dest.width, image.width);
  const int rows = std::min(dest.height, image.height);
  const BITMAPINFOHEADER header = HeaderOf(image);
  SetDIBitsToDevice(dc_, dest.left, dest.top + dest.height - rows, static_cast<DWORD>(columns),
                    static_cast<DWORD>(rows), 0, 0, 0, static_cast<UINT>(rows), image.bits,
                    reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS);
}

void GdiCanvas::StretchImage(const Rect& dest, const Dib& image) {
  if (!image.Valid() || dest.width <= 0 || dest.height <= 0) return;
  const BITMAPINFOHEADER header = HeaderOf(image);
  StretchDIBits(dc_, dest.left, dest.top, dest.width, dest.height, 0, 0, image.width, image.height, image.bits,
                reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS, SRCCOPY);
}

void GdiCanvas::FillRect(const Rect& area, Color color) {
  if (area.width <= 0 || area.height <= 0) return;
  const RECT r{area.left, area.top, area.left + area.width, area.top + area.height};
  HGDIOBJ oldBrush = SelectObject(dc_, GetStockObject(DC_BRUSH));
  const COLORREF oldColor = SetDCBrushColor(dc_, color);
  ::FillRect(dc_, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  SetDCBrushColor(dc_, oldColor);
  SelectObject(dc_, oldBrush);
}

void GdiCanvas::SetFont(const FontSpec* font) {
  font_ = font ? *font : FontSpec{};
  HFONT handle = FontFor(font_);
  SelectObject(dc_, handle ? handle : originalFont_);
}

void GdiCanvas::SetTextColor(Color color) { ::SetTextColor(dc_, color); }

void GdiCanvas::SetBackColor(Color color) { ::SetBkColor(dc_, color); }

void GdiCanvas::SetBackgroundMode(BackgroundMode mode) {
  SetBkMode(dc_, mode == BackgroundMode::kOpaque ? OPAQUE : TRANSPARENT);
}

void GdiCanvas::DrawText(const Rect& box, std::string_view utf8) {
  if (utf8.empty()) return;
  std::wstring text = Wide(utf8);
  RECT r{box.left, box.top, box.left + box.width, box.top + box.height};
  // No prefix processing: a "&" in a file name is shown as it is.
  ::DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &r, DT_NOPREFIX);
}

void GdiCanvas::ApplyClip() {
  if (clips_.empty()) {
    SelectClipRgn(dc_, hadClip_ ? originalClip_ : nullptr);
    return;
  }
  const Rect& c = clips_.back();
  HRGN region = CreateRectRgn(c.left, c.top, c.left + c.width, c.top + c.height);
  if (hadClip_) CombineRgn(region, region, originalClip_, RGN_AND);
  SelectClipRgn(dc_, region);
  DeleteObject(region);
}

void GdiCanvas::PushClip(const Rect& area) {
  clips_.push_back(clips_.empty() ? area : Intersect(clips_.back(), area));
  ApplyClip();
}

void GdiCanvas::PopClip() {
  if (clips_.empty()) return;
  clips_.pop_back();
  ApplyClip();
}

void GdiCanvas::Buffered(const Rect& dest, const std::function<void(Canvas&)>& draw) {
  if (dest.width <= 0 || dest.height <= 0) return;
  HDC memory = CreateCompatibleDC(dc_);
  HBITMAP bitmap = CreateCompatibleBitmap(dc_, dest.width, dest.height);
  if (!memory || !bitmap) {
    // Out of GDI resources: draw directly rather than not at all.
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    SetViewportOrgEx(dc_, dest.left, dest.top, nullptr);
    draw(*this);
    SetViewportOrgEx(dc_, 0, 0, nullptr);
    return;
  }
  HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
  PatBlt(memory, 0, 0, dest.width, dest.height, BLACKNESS);
  ::SetTextColor(memory, GetTextColor(dc_));
  ::SetBkColor(memory, GetBkColor(dc_));
  SetBkMode(memory, GetBkMode(dc_));
  {
    GdiCanvas inner(memory, dest.width, dest.height);
    inner.SetFont(&font_);
    draw(inner);
  }
  BitBlt(dc_, dest.left, dest.top, dest.width, dest.height, memory, 0, 0, SRCCOPY);
  SelectObject(memory, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(memory);
}

}  // namespace gui::win32
