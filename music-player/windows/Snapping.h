// Where the player's windows stand: pulling a rectangle onto the screen,
// snapping one window's rectangle to another's edges, and whether two
// rectangles touch (which makes a window follow the main window). Portable
// arithmetic on left/top/right/bottom rectangles in screen pixels.
#pragma once

#include "music-player/PlayerSettings.h"
#include "music-player/skin/SkinStream.h"
#include "platform/gui/Types.h"

namespace vantu {

// Edges closer than this snap together.
constexpr int kSnapDistance = 9;
// Rectangles this far apart (or nearer) on the other axis are within reach.
constexpr int kSnapReach = 10;

// Moves the rectangle inside the desktop: a rectangle left of it moves
// right, else one right of it moves left (likewise top before bottom), so a
// rectangle larger than the desktop ends aligned to its left or top.
SkinRect FitToDesktop(SkinRect rect, const SkinRect& desktop);

// Snaps `rect` to `other`: on each axis where the two are within reach, the
// first of the four edge pairs (outer edges first, then equal edges) that
// lies at most kSnapDistance apart moves `rect` onto it. True when `rect`
// moved on either axis; `shift` (optional) receives how far.
bool SnapRect(SkinRect& rect, const SkinRect& other, gui::Point* shift = nullptr);

// True when the rectangles share an edge: their ranges on one axis overlap
// or meet and an edge of one lies on the facing edge of the other.
bool RectsTouch(const SkinRect& a, const SkinRect& b);

// Conversions between the rectangle kinds of the program.
inline SkinRect FromGui(const gui::Rect& r) { return {r.left, r.top, r.left + r.width, r.top + r.height}; }
inline gui::Rect ToGui(const SkinRect& r) { return {r.left, r.top, r.Width(), r.Height()}; }
inline SkinRect FromSettings(const Rect32& r) { return {r.left, r.top, r.right, r.bottom}; }
inline Rect32 ToSettings(const SkinRect& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace vantu
