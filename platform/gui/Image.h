// A picture on a form. Hidden images serve as holders of pictures that code
// copies elsewhere (the tray icon's logged-in picture, say).
#pragma once

#include "platform/gui/Control.h"

namespace gui {

class Image : public Control {
 public:
  explicit Image(Control* parent) : Control(parent, Kind::kImage) {}

  const Icon& Picture() const { return picture_; }
  void SetPicture(Icon picture) {
    picture_ = std::move(picture);
    Notify(Change::kPicture);
  }

 private:
  Icon picture_;
};

}  // namespace gui
