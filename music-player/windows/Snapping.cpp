#include "music-player/windows/Snapping.h"

#include <cstdlib>

namespace vantu {

SkinRect FitToDesktop(SkinRect r, const SkinRect& d) {
  if (r.left < d.left) r = r.Moved(d.left - r.left, 0);
  else if (r.right > d.right) r = r.Moved(d.right - r.right, 0);
  if (r.top < d.top) r = r.Moved(0, d.top - r.top);
  else if (r.bottom > d.bottom) r = r.Moved(0, d.bottom - r.bottom);
  return r;
}

namespace {

// The first of the four shifts that is within the snap distance.
bool FirstWithin(const int (&shifts)[4], int& out) {
  for (int s : shifts) {
    if (std::abs(s) <= kSnapDistance) {
      out = s;
      return true;
    }
  }
  return false;
}

}  // namespace

bool SnapRect(SkinRect& r, const SkinRect& o, gui::Point* shift) {
  int dx = 0, dy = 0;
  bool vertical = false, horizontal = false;
  if (r.left <= o.right + kSnapReach && o.left <= r.right + kSnapReach) {
    const int shifts[4] = {o.bottom - r.top, o.top - r.bottom, o.top - r.top, o.bottom - r.bottom};
    vertical = FirstWithin(shifts, dy);
  }
  if (r.top <= o.bottom + kSnapReach && o.top <= r.bottom + kSnapReach) {
    const int shifts[4] = {o.right - r.left, o.left - r.right, o.left - r.left, o.right - r.right};
    horizontal = FirstWithin(shifts, dx);
  }
  r = r.Moved(dx, dy);
  if (shift) *shift = gui::Point{dx, dy};
  return vertical || horizontal;
}

bool RectsTouch(const SkinRect& a, const SkinRect& b) {
  const bool columnsMeet = b.right >= a.left && a.right >= b.left;
  const bool rowsMeet = b.bottom >= a.top && a.bottom >= b.top;
  return (columnsMeet && (a.top == b.bottom || a.bottom == b.top)) ||
         (rowsMeet && (a.left == b.right || a.right == b.left));
}

}  // namespace vantu
