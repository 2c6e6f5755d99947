// A captioned frame around other controls.
#pragma once

#include <string>

#include "platform/gui/Control.h"

namespace gui {

class GroupBox : public Control {
 public:
  explicit GroupBox(Control* parent) : Control(parent, Kind::kGroupBox) {}

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) {
    caption_ = std::move(caption);
    Notify(Change::kText);
  }

 private:
  std::string caption_;
};

}  // namespace gui
