#include "platform/gui/ProgressBar.h"

#include <algorithm>

namespace gui {

void ProgressBar::SetRange(int min, int max) {
  min_ = min;
  max_ = std::max(min, max);
  position_ = std::clamp(position_, min_, max_);
  Notify(Change::kValue);
}

void ProgressBar::SetPosition(int position) {
  position_ = std::clamp(position, min_, max_);
  Notify(Change::kValue);
}

int ProgressBar::Percent() const {
  if (max_ == min_) return 0;
  return static_cast<int>((static_cast<long long>(position_ - min_) * 100) / (max_ - min_));
}

}  // namespace gui
