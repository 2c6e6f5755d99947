// A push button. A button with a modal result sets it on its form when
// clicked, which ends the form's modal run.
#pragma once

#include <functional>
#include <string>

#include "platform/gui/Control.h"

namespace gui {

class Button : public Control {
 public:
  explicit Button(Control* parent) : Control(parent, Kind::kButton) {}

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) {
    caption_ = std::move(caption);
    Notify(Change::kText);
  }
  // The button pressed by Enter on its form.
  bool IsDefault() const { return default_; }
  void SetDefault(bool on) { default_ = on; }
  ModalResult GetModalResult() const { return modalResult_; }
  void SetModalResult(ModalResult result) { modalResult_ = result; }

  // Runs OnClick as if the user had pressed the button (Delphi's Click):
  // also for a disabled button, since code asks for it.
  void Click();
  // What the user did; refused (false) while the button cannot be reached.
  bool UserClick();

  std::function<void()> OnClick;

 private:
  std::string caption_;
  bool default_ = false;
  ModalResult modalResult_ = ModalResult::kNone;
};

}  // namespace gui
