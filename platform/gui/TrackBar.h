// A track bar (slider) over a range. The user's moves run OnChange.
#pragma once

#include <functional>

#include "platform/gui/Control.h"

namespace gui {

class TrackBar : public Control {
 public:
  enum class Orientation { kHorizontal, kVertical };

  explicit TrackBar(Control* parent) : Control(parent, Kind::kTrackBar) {}

  int Min() const { return min_; }
  int Max() const { return max_; }
  // A maximum below the minimum is taken as the minimum.
  void SetRange(int min, int max);
  int Position() const { return position_; }
  // Clamped to the range; never runs OnChange.
  void SetPosition(int position);
  // Distance between tick marks (0: none).
  int Frequency() const { return frequency_; }
  void SetFrequency(int ticks) { frequency_ = ticks; }
  Orientation orientation() const { return orientation_; }
  void SetOrientation(Orientation orientation) { orientation_ = orientation; }

  // What the user did: moved the thumb (clamped); OnChange runs when the
  // position changed.
  bool UserSetPosition(int position);

  std::function<void()> OnChange;

 private:
  int min_ = 0;
  int max_ = 10;
  int position_ = 0;
  int frequency_ = 1;
  Orientation orientation_ = Orientation::kHorizontal;
};

}  // namespace gui
