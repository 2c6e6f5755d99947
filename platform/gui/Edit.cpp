#include "platform/gui/Edit.h"

#include "platform/gui/Application.h"

namespace gui {

namespace {

// Length of the UTF-8 sequence that starts with `lead` (1 for a stray byte).
std::size_t Utf8Length(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

std::size_t CountChars(const std::string& text) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < text.size(); i += Utf8Length(static_cast<unsigned char>(text[i]))) ++n;
  return n;
}

int DecodeChar(const std::string& text, std::size_t at, std::size_t length) {
  auto b = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
  if (length == 1 || at + length > text.size()) return b(0);
  int code = b(0) & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) code = (code << 6) | (b(i) & 0x3F);
  return code;
}

}  // namespace

bool Edit::UserSetText(std::string text) {
  if (!Usable() || readOnly_) return false;
  text_ = std::move(text);
  Fire(OnChange);
  return true;
}

bool Edit::UserKeyPress(int& key) {
  if (!Usable()) return false;
  Fire(OnKeyPress, key);
  return true;
}

bool Edit::UserType(const std::string& text) {
  if (!Usable()) return false;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = Utf8Length(static_cast<unsigned char>(text[i]));
    int key = DecodeChar(text, i, length);
    const std::string piece = text.substr(i, length);
    i += length;
    if (!UserKeyPress(key)) return false;
    if (key == 0 || key == keys::kReturn || readOnly_) continue;
    if (maxLength_ > 0 && CountChars(text_) >= static_cast<std::size_t>(maxLength_)) continue;
    UserSetText(text_ + piece);
  }
  return true;
}

}  // namespace gui
