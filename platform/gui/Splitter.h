// A bar the user drags to share space between two neighbours: it sits to
// the right of (vertical bar) or below (horizontal bar) the control it
// resizes. Dragging it by d pixels makes that control d pixels wider (or
// taller), never smaller than MinSize, moves the bar with it and runs
// OnMoved, where the form moves the controls on the bar's other side.
#pragma once

#include <functional>

#include "platform/gui/Control.h"

namespace gui {

class Splitter : public Control {
 public:
  enum class Orientation { kVertical, kHorizontal };

  explicit Splitter(Control* parent) : Control(parent, Kind::kSplitter) {}

  Orientation orientation() const { return orientation_; }
  void SetOrientation(Orientation orientation) { orientation_ = orientation; }
  Control* Resized() const { return resized_; }
  void SetResized(Control* control) { resized_ = control; }
  int MinSize() const { return minSize_; }
  void SetMinSize(int pixels) { minSize_ = pixels; }

  // What the user did: dragged the bar by `delta` pixels (right or down
  // positive). Gives the distance it really moved.
  int UserDragBy(int delta);

  std::function<void(int moved)> OnMoved;

 private:
  Orientation orientation_ = Orientation::kVertical;
  Control* resized_ = nullptr;
  int minSize_ = 30;
};

}  // namespace gui
