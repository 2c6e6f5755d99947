#include "platform/IniFile.h"

#include <limits>

namespace platform {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

// The name of a section line, or nothing.
std::optional<std::string_view> SectionOf(std::string_view line) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[') return std::nullopt;
  const auto close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

struct KeyLine {
  std::string_view key;
  std::string_view value;
};

std::optional<KeyLine> KeyOf(std::string_view line) {
  const auto eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  const std::string_view key = Trim(line.substr(0, eq));
  if (key.empty()) return std::nullopt;
  return KeyLine{key, Trim(line.substr(eq + 1))};
}

}  // namespace

IniFile IniFile::Parse(std::string_view bytes) {
  IniFile ini;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ini.lines_.emplace_back(line);
    start = end + 1;
  }
  return ini;
}

common::Result<IniFile> IniFile::Load(const common::Path& path) {
  if (!common::FileExists(path)) return IniFile{};
  auto bytes = common::ReadWholeFile(path, kMaxBytes);
  if (!bytes) return bytes.error();
  return Parse(*bytes);
}

std::string IniFile::Serialize() const {
  std::string out;
  for (const auto& line : lines_) {
    out += line;
    out += "\r\n";
  }
  return out;
}

common::Result<void> IniFile::Save(const common::Path& path) const {
  const std::string bytes = Serialize();
  return common::WriteFileAtomically(
      path, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

std::optional<std::string> IniFile::Read(std::string_view section, std::string_view key) const {
  bool inSection = false;
  for (const auto& line : lines_) {
    if (auto name = SectionOf(line)) {
      inSection = SameName(*name, section);
      continue;
    }
    if (!inSection) continue;
    auto entry = KeyOf(line);
    if (!entry || !SameName(entry->key, key)) continue;
    std::string_view value = entry->value;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
  }
  return std::nullopt;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view fallback) const {
  auto value = Read(section, key);
  return value ? *value : std::string(fallback);
}

std::optional<std::int32_t> ParseProfileInteger(std::string_view text) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (!text.empty() && text.front() == '$') {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return std::nullopt;
    value = value * base + digit;
    if (value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  }
  if (base == 10) {
    if (negative) value = -value;
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) {
      return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
  }
  // Hexadecimal spells the 32 bits.
  auto bits = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  return negative ? -bits : bits;
}

std::int32_t IniFile::ReadInteger(std::string_view section, std::string_view key, std::int32_t fallback) const {
  auto value = Read(section, key);
  if (!value) return fallback;
  return ParseProfileInteger(*value).value_or(fallback);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  // A value is one line: a line break in it (a zone name from the service,
  // say) would end the line there and start lines of its own, sections and
  // keys that the next read takes for real ones. What follows the break
  // could never be read back as this value anyway.
  value = value.substr(0, value.find_first_of("\r\n"));
  const std::string newLine = std::string(key) + "=" + std::string(value);
  bool inSection = false;
  std::optional<std::size_t> sectionLine;
  std::optional<std::size_t> lastKey;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (auto name = SectionOf(lines_[i])) {
      if (inSection) break;  // past the end of our section
      inSection = SameName(*name, section);
      if (inSection) sectionLine = i;
      continue;
    }
    if (!inSection) continue;
    if (auto entry = KeyOf(lines_[i])) {
      if (SameName(entry->key, key)) {
        lines_[i] = newLine;
        return;
      }
      lastKey = i;
    }
  }
  if (sectionLine) {
    const std::size_t at = (lastKey ? *lastKey : *sectionLine) + 1;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), newLine);
    return;
  }
  lines_.push_back("[" + std::string(section) + "]");
  lines_.push_back(newLine);
}

}  // namespace platform
