#include "platform/gui/Splitter.h"

#include <algorithm>

#include "platform/gui/Application.h"

namespace gui {

int Splitter::UserDragBy(int delta) {
  if (!Usable() || !resized_ || delta == 0) return 0;
  const bool vertical = orientation_ == Orientation::kVertical;
  const Rect r = resized_->Bounds();
  const int size = vertical ? r.width : r.height;
  const int newSize = std::max(std::min(minSize_, size), size + delta);
  const int moved = newSize - size;
  if (moved == 0) return 0;
  const Rect me = Bounds();
  if (vertical) {
    resized_->SetBounds(r.left, r.top, newSize, r.height);
    SetBounds(me.left + moved, me.top, me.width, me.height);
  } else {
    resized_->SetBounds(r.left, r.top, r.width, newSize);
    SetBounds(me.left, me.top + moved, me.width, me.height);
  }
  Fire(OnMoved, moved);
  return moved;
}

}  // namespace gui
