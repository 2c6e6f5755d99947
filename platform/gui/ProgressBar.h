// A progress bar (gauge) over a range; the position is kept inside it.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/gui/Control.h"

namespace gui {

class ProgressBar : public Control {
 public:
  explicit ProgressBar(Control* parent) : Control(parent, Kind::kProgressBar) {}

  int Min() const { return min_; }
  int Max() const { return max_; }
  // A range whose maximum is below its minimum is taken as empty (max = min).
  void SetRange(int min, int max);
  void SetMin(int min) { SetRange(min, max_ < min ? min : max_); }
  void SetMax(int max) { SetRange(min_ > max ? max : min_, max); }
  int Position() const { return position_; }
  // Clamped to the range.
  void SetPosition(int position);
  // The share of the range done, 0 to 100 (rounded down).
  int Percent() const;

  // Colour of the bar as 0xRRGGBB; none = the system's.
  std::optional<std::uint32_t> BarColor() const { return barColor_; }
  void SetBarColor(std::optional<std::uint32_t> rgb) {
    barColor_ = rgb;
    Notify(Change::kValue);
  }

 private:
  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
  std::optional<std::uint32_t> barColor_;
};

}  // namespace gui
