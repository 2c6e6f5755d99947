// A single-line text box, optionally masking its text with a password
// character.
#pragma once

#include <functional>
#include <string>

#include "platform/gui/Control.h"

namespace gui {

class Edit : public Control {
 public:
  explicit Edit(Control* parent) : Control(parent, Kind::kEdit) {}

  const std::string& Text() const { return text_; }
  void SetText(std::string text) {
    text_ = std::move(text);
    Notify(Change::kText);
  }
  // 0: the text shows as it is.
  char PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char c) {
    passwordChar_ = c;
    Notify(Change::kPasswordChar);
  }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool on) {
    readOnly_ = on;
    Notify(Change::kReadOnly);
  }
  // Characters the user may type; 0 = no limit.
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int length) { maxLength_ = length; }

  // What the user did. UserSetText: the text after an edit (runs OnChange);
  // UserKeyPress: a key (Enter is keys::kReturn) before the control acts on
  // it; a handler that sets the key to 0 swallows it. Both refused while the
  // box cannot be reached.
  bool UserSetText(std::string text);
  bool UserKeyPress(int& key);
  // Types text as the user would: each character goes through OnKeyPress
  // first.
  bool UserType(const std::string& text);

  std::function<void()> OnChange;
  std::function<void(int& key)> OnKeyPress;

 private:
  std::string text_;
  char passwordChar_ = 0;
  bool readOnly_ = false;
  int maxLength_ = 0;
};

}  // namespace gui
