// A Canvas over a 32-bit pixel buffer of its own: the headless windows'
// faces and the tests' expected pictures. Pictures are drawn pixel-exact
// (the unscaled copy and the stretch follow the window system's pixel
// mapping); text is approximate: each character is a block in the text
// colour inside its cell, and every text call is recorded, so a test can
// check what was written where.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/File.h"
#include "common/Result.h"
#include "platform/gui/Canvas.h"

namespace gui {

struct DrawnText {
  Rect box;
  std::string text;
  FontSpec font;
  Color color = 0;
};

class PixelCanvas : public Canvas {
 public:
  // A black surface of that size (a negative size counts as 0).
  PixelCanvas(int width, int height);

  int Width() const override { return width_; }
  int Height() const override { return height_; }

  // The colour at (x, y); 0 (black) outside the surface.
  Color Pixel(int x, int y) const;
  void SetPixel(int x, int y, Color color);
  const std::vector<Color>& Pixels() const { return pixels_; }
  // Resizes to a black surface.
  void Reset(int width, int height);
  // Copies `other` with its top-left corner at `at`, clipped to this
  // surface and the current clip.
  void Blit(const PixelCanvas& other, Point at);

  // Text calls since the surface was made or ClearTexts was called.
  const std::vector<DrawnText>& Texts() const { return texts_; }
  void ClearTexts() { texts_.clear(); }

  // The surface as an RGB PNG file (written atomically).
  common::Result<void> SavePng(const common::Path& path) const;
  std::vector<std::uint8_t> EncodePng() const;

  void CopyImage(const Rect& dest, const Dib& image) override;
  void StretchImage(const Rect& dest, const Dib& image) override;
  void FillRect(const Rect& area, Color color) override;
  void SetFont(const FontSpec* font) override;
  void SetTextColor(Color color) override { textColor_ = color; }
  void SetBackColor(Color color) override { backColor_ = color; }
  void SetBackgroundMode(BackgroundMode mode) override { mode_ = mode; }
  void DrawText(const Rect& box, std::string_view utf8) override;
  void PushClip(const Rect& area) override;
  void PopClip() override;
  void Buffered(const Rect& dest, const std::function<void(Canvas&)>& draw) override;

  // Cell of one character in the approximate text: the font's width (or
  // half its height) wide, twice that for wide (CJK) characters, the
  // font's height high; 12 pixels high without a font.
  static int CellHeight(const FontSpec& font);
  static int CellWidth(const FontSpec& font, bool wide);

 private:
  Rect Clip() const { return clips_.empty() ? Rect{0, 0, width_, height_} : clips_.back(); }

  int width_ = 0;
  int height_ = 0;
  std::vector<Color> pixels_;
  std::vector<Rect> clips_;
  FontSpec font_;
  Color textColor_ = Rgb(0, 0, 0);
  Color backColor_ = Rgb(255, 255, 255);
  BackgroundMode mode_ = BackgroundMode::kOpaque;
  std::vector<DrawnText> texts_;
};

}  // namespace gui
