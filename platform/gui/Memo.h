// A multi-line text box. Its text is its lines joined with "\r\n".
#pragma once

#include <string>
#include <vector>

#include "platform/gui/Control.h"

namespace gui {

class Memo : public Control {
 public:
  explicit Memo(Control* parent) : Control(parent, Kind::kMemo) {}

  const std::vector<std::string>& Lines() const { return lines_; }
  std::string Text() const;
  // Splits at "\r\n", "\n" or "\r".
  void SetText(const std::string& text);
  void AddLine(std::string line);
  void Clear();
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool on) {
    readOnly_ = on;
    Notify(Change::kReadOnly);
  }

  // What the user did: the text after an edit.
  bool UserSetText(const std::string& text);

 private:
  std::vector<std::string> lines_;
  bool readOnly_ = false;
};

}  // namespace gui
