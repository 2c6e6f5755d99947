// Draws the playlist inside the playlist window and turns presses and
// drags of the left button into selection changes and reordering. All
// coordinates are relative to the top left of the view's bounds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "music-player/Playlist.h"
#include "platform/gui/Canvas.h"

namespace vantu {

// Key flags of a mouse message (the window system's values).
constexpr std::uint32_t kMouseShift = 0x0004;
constexpr std::uint32_t kMouseControl = 0x0008;

// A row's colours.
struct RowStyle {
  gui::Color background = 0;
  gui::Color text = 0;
};

// What the list's skin element gives: the font, then the colours of the
// normal, selected, current and current-and-selected rows.
struct PlaylistStyle {
  std::string face;  // ANSI
  int charWidth = 0;
  int height = 0;
  RowStyle normal, selected, current, currentSelected;
};

class CPlaylistView {
 public:
  explicit CPlaylistView(CPlaylist& playlist) : playlist_(playlist) {}

  void SetStyle(const PlaylistStyle& style);
  void SetBounds(int left, int top, int right, int bottom);
  // Draws the visible rows onto a canvas whose (0, 0) is the bounds' top
  // left; nothing before a style is set.
  void DrawList(gui::Canvas& canvas) const;

  int RowAt(int x, int y) const;
  void SelectAt(std::uint32_t flags, int index);
  void OnButtonDown(std::uint32_t flags, int x, int y);
  void OnButtonUp(std::uint32_t flags, int x, int y);
  // True when the list must be redrawn.
  bool OnDrag(int x, int y);

  int TopRow() const { return topRow_; }
  void SetTopRow(int row) { topRow_ = row; }
  int VisibleRows() const { return visibleRows_; }
  int LineHeight() const { return lineHeight_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  gui::Rect Bounds() const { return {left_, top_, width_, height_}; }
  int Anchor() const { return anchor_; }

 private:
  CPlaylist& playlist_;
  std::optional<PlaylistStyle> style_;
  gui::FontSpec font_;
  int fontHeight_ = 0;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  int lineHeight_ = 1;
  int visibleRows_ = 0;
  int topRow_ = 0;
  int anchor_ = -1;
  int pressRow_ = -1;
  bool pressedOnSelection_ = false;
  bool moved_ = false;
};

}  // namespace vantu
