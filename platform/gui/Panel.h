// A plain container with an optional bevelled edge and a centred caption;
// tool bars and command bars are panels of buttons.
#pragma once

#include <string>

#include "platform/gui/Control.h"

namespace gui {

class Panel : public Control {
 public:
  enum class Bevel { kNone, kRaised, kLowered };

  explicit Panel(Control* parent) : Control(parent, Kind::kPanel) {}

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) {
    caption_ = std::move(caption);
    Notify(Change::kText);
  }
  Bevel bevel() const { return bevel_; }
  void SetBevel(Bevel bevel) { bevel_ = bevel; }

 private:
  std::string caption_;
  Bevel bevel_ = Bevel::kNone;
};

}  // namespace gui
