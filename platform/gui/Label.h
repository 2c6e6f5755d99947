// A static text. It may have a font of its own (face name and points; the
// form's font otherwise) and a transparent background, so that the form's
// background picture shows around its letters.
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

  // The label's own font ("Arial", 9); an empty face name is the form's.
  const std::string& FontName() const { return fontName_; }
  int FontSize() const { return fontSize_; }
  void SetFont(std::string name, int points) {
    fontName_ = std::move(name);
    fontSize_ = points;
    Notify(Change::kLook);
  }
  // Transparent: only the letters are drawn, over whatever is under the
  // label (the form's colour and picture); a new caption clears the old
  // letters. Opaque (the default): the label's box is filled with the
  // form's colour first.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool on) {
    transparent_ = on;
    Notify(Change::kLook);
  }

 private:
  std::string caption_;
  bool wordWrap_ = false;
  Align alignment_ = Align::kLeft;
  std::string fontName_;
  int fontSize_ = 9;
  bool transparent_ = false;
};

}  // namespace gui
