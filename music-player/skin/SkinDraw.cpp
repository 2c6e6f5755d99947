#include "music-player/skin/SkinDraw.h"

#include <algorithm>
#include <string>

#include "common/TextCodec.h"
#include "music-player/skin/SkinDisplay.h"
#include "music-player/skin/SkinElement.h"
#include "platform/gui/Canvas.h"

namespace vantu {

namespace {

gui::Rect ToGui(const SkinRect& r) { return {r.left, r.top, r.Width(), r.Height()}; }

gui::Dib ToDib(const SkinImage& image) {
  gui::Dib dib;
  dib.width = image.width;
  dib.height = image.height;
  dib.bitsPerPixel = image.bitCount;
  dib.bits = image.pixels;
  return dib;
}

bool Drawable(const SkinRect& rect, const SkinImage& image) {
  return !image.empty() && rect.Width() > 0 && rect.Height() > 0;
}

}  // namespace

SkinFont SkinFont::Make(std::string face, std::int32_t width, std::int32_t height) {
  SkinFont font;
  // Face names are code page 949 bytes in the skin file.
  auto utf8 = common::Cp949ToUtf8(face);
  font.spec.face = utf8 ? *utf8 : std::string();
  font.spec.width = width;
  font.spec.height = height;
  font.face = std::move(face);
  font.width = width;
  font.height = height;
  return font;
}

void CopyImage(gui::Canvas& canvas, const SkinRect& rect, const SkinImage& image) {
  if (!Drawable(rect, image)) return;
  // The canvas takes no more rows and columns than the picture has.
  canvas.CopyImage(ToGui(rect), ToDib(image));
}

void DrawImage(gui::Canvas& canvas, const SkinRect& rect, const SkinImage& image) {
  if (!Drawable(rect, image)) return;
  canvas.DrawImage(ToGui(rect), ToDib(image));
}

void StretchWhole(gui::Canvas& canvas, const SkinRect& rect, const SkinImage& image) {
  if (!Drawable(rect, image)) return;
  canvas.StretchImage(ToGui(rect), ToDib(image));
}

void FillSolid(gui::Canvas& canvas, const SkinRect& rect, std::uint32_t color) {
  if (rect.Width() <= 0 || rect.Height() <= 0) return;
  canvas.FillRect(ToGui(rect), color);
}

void DrawSkinText(gui::Canvas& canvas, const SkinRect& rect, std::string_view text,
                  const SkinFont* font, std::uint32_t textColor, std::uint32_t backColor) {
  canvas.SetTextColor(textColor);
  canvas.SetBackColor(backColor);
  canvas.SetFont(font ? &font->spec : nullptr);
  if (rect.Width() <= 0 || rect.Height() <= 0 || text.empty()) return;
  canvas.DrawText(ToGui(rect), text);
}

}  // namespace vantu
