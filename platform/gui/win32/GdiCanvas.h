// The Canvas on a GDI device context: a window's paint or window context,
// or a memory context. Pictures go straight from the caller's memory with
// SetDIBitsToDevice and StretchDIBits (no bitmap object per picture), fills
// with the context's brush colour, text with DrawTextW in fonts made once
// per description (CreateFontW) and kept for the process.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/gui/Canvas.h"

namespace gui::win32 {

class GdiCanvas : public Canvas {
 public:
  // The context stays the caller's; what the canvas selects into it is
  // put back when the canvas ends.
  GdiCanvas(HDC dc, int width, int height);
  ~GdiCanvas() override;
  GdiCanvas(const GdiCanvas&) = delete;
  GdiCanvas& operator=(const GdiCanvas&) = delete;

  HDC dc() const { return dc_; }

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void CopyImage(const Rect& dest, const Dib& image) override;
  void StretchImage(const Rect& dest, const Dib& image) override;
  void FillRect(const Rect& area, Color color) override;
  void SetFont(const FontSpec* font) override;
  void SetTextColor(Color color) override;
  void SetBackColor(Color color) override;
  void SetBackgroundMode(BackgroundMode mode) override;
  void DrawText(const Rect& box, std::string_view utf8) override;
  void PushClip(const Rect& area) override;
  void PopClip() override;
  void Buffered(const Rect& dest, const std::function<void(Canvas&)>& draw) override;

 private:
  void ApplyClip();

  HDC dc_;
  int width_;
  int height_;
  HGDIOBJ originalFont_;
  int originalStretchMode_;
  COLORREF originalText_;
  COLORREF originalBack_;
  int originalMode_;
  bool hadClip_ = false;
  HRGN originalClip_ = nullptr;
  std::vector<Rect> clips_;
  FontSpec font_;
};

// The font of a description, made at its first use and kept (a skin names
// a few dozen at most); null for an empty face.
HFONT FontFor(const FontSpec& font);

}  // namespace gui::win32
