#include "platform/gui/Memo.h"

#include "platform/gui/Application.h"

namespace gui {

std::string Memo::Text() const {
  std::string text;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i) text += "\r\n";
    text += lines_[i];
  }
  return text;
}

void Memo::SetText(const std::string& text) {
  lines_.clear();
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines_.push_back(std::move(line));
      line.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines_.push_back(std::move(line));
  Notify(Change::kItems);
}

void Memo::AddLine(std::string line) {
  lines_.push_back(std::move(line));
  Notify(Change::kItemAdded, static_cast<int>(lines_.size()) - 1);
}

void Memo::Clear() {
  lines_.clear();
  Notify(Change::kItems);
}

bool Memo::UserSetText(const std::string& text) {
  if (!Usable() || readOnly_) return false;
  SetText(text);
  return true;
}

}  // namespace gui
