#include "platform/gui/TrackBar.h"

#include <algorithm>

#include "platform/gui/Application.h"

namespace gui {

void TrackBar::SetRange(int min, int max) {
  min_ = min;
  max_ = std::max(min, max);
  position_ = std::clamp(position_, min_, max_);
  Notify(Change::kValue);
}

void TrackBar::SetPosition(int position) {
  position_ = std::clamp(position, min_, max_);
  Notify(Change::kValue);
}

bool TrackBar::UserSetPosition(int position) {
  if (!Usable()) return false;
  const int clamped = std::clamp(position, min_, max_);
  if (clamped == position_) return true;
  SetPosition(clamped);
  Fire(OnChange);
  return true;
}

}  // namespace gui
