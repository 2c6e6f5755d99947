// A static text.
#pragma once

#include <string>

#include "platform/gui/Control.h"

namespace gui {

class Label : public Control {
 public:
  explicit Label(Control* parent) : Control(parent, Kind::kLabel) {}

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) {
    caption_ = std::move(caption);
    Notify(Change::kText);
  }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool on) { wordWrap_ = on; }
  Align Alignment() const { return alignment_; }
  void SetAlignment(Align alignment) { alignment_ = alignment; }

 private:
  std::string caption_;
  bool wordWrap_ = false;
  Align alignment_ = Align::kLeft;
};

}  // namespace gui
