#include "music-player/PlaylistView.h"

#include <algorithm>

#include "music-player/AnsiText.h"

namespace vantu {

void CPlaylistView::SetStyle(const PlaylistStyle& style) {
  style_ = style;
  font_ = gui::FontSpec{AnsiToUtf8(style.face), style.height,
                        style.charWidth};
  // A negative height names the characters' height (without the internal
  // leading), as the font's creation takes it: the rows need its size.
  fontHeight_ = style.height < 0 ? -style.height : style.height;
  lineHeight_ = std::max(1, fontHeight_ + 4);
  SetBounds(left_, top_, left_ + width_, top_ + height_);
}

void CPlaylistView::SetBounds(int left, int top, int right, int bottom) {
  left_ = left;
  top_ = top;
  width_ = right - left;
  height_ = bottom - top;
  visibleRows_ = height_ > 0 ? (height_ + lineHeight_ - 1) / lineHeight_ : 0;
}

void CPlaylistView::DrawList(gui::Canvas& canvas) const {
  if (!style_) return;
  canvas.SetFont(&font_);
  canvas.SetBackgroundMode(gui::BackgroundMode::kTransparent);
  const int inset = std::max(0, (lineHeight_ - fontHeight_) / 2);
  for (int i = 0; i < visibleRows_; ++i) {
    const gui::Rect band{0, i * lineHeight_, width_, lineHeight_};
    const int index = topRow_ + i;
    const CPlaylistEntry* entry = playlist_.GetEntry(index);
    if (!entry) {
      canvas.FillRect(band, style_->normal.background);
      continue;
    }
    const bool current = index == playlist_.Current();
    const RowStyle& row = current ? (entry->selected ? style_->currentSelected : style_->current)
                                  : (entry->selected ? style_->selected : style_->normal);
    canvas.FillRect(band, row.background);
    canvas.SetTextColor(row.text);
    const gui::Rect text{0, band.top + inset, width_, std::max(0, lineHeight_ - 2 * inset)};
    canvas.DrawText(text, AnsiToUtf8(entry->name));
  }
}

int CPlaylistView::RowAt(int, int y) const {
  int row = y / lineHeight_ + topRow_;
  if (row < 0) row = 0;
  if (row >= playlist_.Count()) row = playlist_.Count() - 1;
  return row;
}

void CPlaylistView::SelectAt(std::uint32_t flags, int index) {
  if (index < 0) return;
  if (flags & kMouseShift) {
    if (anchor_ >= 0) playlist_.SelectRange(anchor_, index);
    return;
  }
  anchor_ = index;
  if (flags & kMouseControl) playlist_.ToggleSelected(index);
  else playlist_.SelectOnly(index);
}

void CPlaylistView::OnButtonDown(std::uint32_t flags, int x, int y) {
  const int index = RowAt(x, y);
  if (playlist_.IsSelected(index)) {
    pressRow_ = index;
    pressedOnSelection_ = true;
    moved_ = false;
    return;
  }
  SelectAt(flags, index);
  pressRow_ = index;
}

void CPlaylistView::OnButtonUp(std::uint32_t flags, int x, int y) {
  const int index = RowAt(x, y);
  if (pressedOnSelection_ && !moved_) SelectAt(flags, index);
  pressedOnSelection_ = false;
}

bool CPlaylistView::OnDrag(int x, int y) {
  const int index = RowAt(x, y);
  if (index == pressRow_) return true;
  const int delta = index - pressRow_;
  pressRow_ = index;
  const bool movedNow = playlist_.MoveSelection(delta);
  if (movedNow) {
    anchor_ = index;
    moved_ = true;
  }
  return movedNow;
}

}  // namespace vantu
