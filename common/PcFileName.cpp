#include "common/PcFileName.h"

#include <array>
#include <filesystem>
#include <system_error>

#include "common/TextCodec.h"

namespace common {

namespace {

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

bool IsDeviceName(std::u16string_view name) {
  // The part before the first dot decides, without the blanks before it
  // ("NUL .mp3" opens the device as well).
  std::u16string_view base = name.substr(0, name.find(u'.'));
  while (!base.empty() && base.back() == u' ') base.remove_suffix(1);
  std::u16string upper;
  for (char16_t c : base) upper.push_back(Upper(c));
  static constexpr std::array<std::u16string_view, 6> kPlain = {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$"};
  for (auto device : kPlain) {
    if (upper == device) return true;
  }
  if (upper.size() == 4 && (upper.starts_with(u"COM") || upper.starts_with(u"LPT"))) {
    // Digits, and the superscript digits Windows also takes as port numbers.
    const char16_t d = upper[3];
    return (d >= u'0' && d <= u'9') || d == u'\u00B9' || d == u'\u00B2' || d == u'\u00B3';
  }
  return false;
}

}  // namespace

FileNameFault CheckFileName(std::u16string_view name) {
  if (name.empty()) return FileNameFault::kEmpty;
  if (name.size() > kMaxFileNameUnits) return FileNameFault::kTooLong;
  if (name == u"." || name == u"..") return FileNameFault::kDots;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char16_t c = name[i];
    if (c == u'\\' || c == u'/') return FileNameFault::kSeparator;
    if (c == u':') return FileNameFault::kStream;
    if (c < 0x20 || c == u'<' || c == u'>' || c == u'"' || c == u'|' || c == u'?' || c == u'*') {
      return FileNameFault::kBadCharacter;
    }
    // A lone half of a surrogate pair is no character.
    const bool high = c >= 0xD800 && c <= 0xDBFF, low = c >= 0xDC00 && c <= 0xDFFF;
    if (low || (high && (i + 1 >= name.size() || name[i + 1] < 0xDC00 || name[i + 1] > 0xDFFF))) {
      return FileNameFault::kBadCharacter;
    }
    if (high) ++i;
  }
  if (name.back() == u'.' || name.back() == u' ') return FileNameFault::kTrailingDotOrSpace;
  if (IsDeviceName(name)) return FileNameFault::kDeviceName;
  return FileNameFault::kNone;
}

FileNameFault CheckFileName(std::string_view utf8) {
  if (utf8.empty()) return FileNameFault::kEmpty;
  auto wide = Utf8ToUtf16(utf8);
  if (!wide) return FileNameFault::kBadCharacter;
  return CheckFileName(std::u16string_view(*wide));
}

std::optional<Path> FindInFolder(const Path& folder, std::string_view utf8Name) {
  if (utf8Name.empty()) return std::nullopt;
  auto fold = [](std::string_view text) {
    std::string out(text);
    for (char& c : out) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return out;
  };
  // The folder's own spelling of the name, so a question shows the file
  // as it is on disk.
  const std::string wanted = fold(utf8Name);
  std::optional<Path> folded;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = PathToUtf8(it->path().filename());
    if (name == utf8Name) return it->path().lexically_normal();
    if (!folded && fold(name) == wanted) folded = it->path().lexically_normal();
  }
  if (folded) return folded;
  // Windows also folds letters beyond ASCII; the file system knows best.
  const Path exact = (folder / PathFromUtf8(utf8Name)).lexically_normal();
  if (std::filesystem::exists(std::filesystem::symlink_status(exact, error))) return exact;
  return std::nullopt;
}

}  // namespace common
