#include "transfer-manager/modCommon.h"

#include <filesystem>

#include "common/TextCodec.h"

namespace halvern {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

}  // namespace

bool PathExists(const common::Path& path) { return !path.empty() && common::GetPathAttributes(path).exists; }

bool FileExists(const common::Path& path) {
  if (path.empty()) return false;
  const auto a = common::GetPathAttributes(path);
  return a.exists && !a.directory;
}

std::string GetFileName(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsSeparator(path[i - 1])) return std::string(path.substr(i));
  }
  return {};
}

std::string GetFolderPart(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsSeparator(path[i - 1])) return std::string(path.substr(0, i - 1));
  }
  return {};
}

std::int32_t ShiftLeft(std::int64_t value, int n) {
  if (n < 0 || n > 31) return 0;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value) << n));
}

std::int32_t ShiftRight(std::int64_t value, int n) {
  if (n < 0 || n > 31) return 0;
  return static_cast<std::int32_t>(value / (std::int64_t{1} << n));
}

std::string GroupThousands(std::uint64_t n) {
  std::string digits = std::to_string(n);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back(',');
    out.push_back(digits[i]);
  }
  return out;
}

std::string SizeText(std::uint64_t bytes) {
  std::uint64_t kb = bytes / 1024;
  const std::uint64_t rest = bytes % 1024;
  if (rest > 512 || (rest == 512 && kb % 2 == 1)) ++kb;
  if (kb == 0 && bytes > 0) kb = 1;
  return GroupThousands(kb) + " KB";
}

std::string VersionText(int tenths) {
  const bool negative = tenths < 0;
  const long long v = negative ? -static_cast<long long>(tenths) : tenths;
  const long long whole = v / 10;
  std::string text = negative ? "-" : "";
  if (whole != 0) text += std::to_string(whole);
  return text + "." + std::to_string(v % 10);
}

bool IsKnownModel(std::string_view code) { return code == kModelZmrA || code == kModelZmrB || code == kModelZmrC; }

std::string ModelMenuText(std::string_view code) {
  if (code == kModelZmrA) return "Model : ZMR-A";
  if (code == kModelZmrB) return "Model : ZMR-B";
  if (code == kModelZmrC) return "Model : ZMR-C";
  return "Model : ?";
}

std::string VersionMenuText(int tenths) { return "Product Version : " + VersionText(tenths); }

common::Path PathFromText(std::string_view utf8) {
  auto wide = common::Utf8ToUtf16(utf8);
  return wide ? common::Path(*wide) : common::Path(std::string(utf8));
}

std::uint64_t FileLength(const std::string& path) {
  std::error_code ec;
  const auto n = std::filesystem::file_size(PathFromText(path), ec);
  return ec ? 0 : static_cast<std::uint64_t>(n);
}

std::string AsciiLower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string TextOfPath(const common::Path& path) {
  auto utf8 = common::Utf16ToUtf8(path.u16string());
  return utf8 ? *utf8 : path.string();
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string text(folder);
  if (text.empty() || !IsSeparator(text.back())) text.push_back(kSeparator);
  return text + std::string(name);
}

}  // namespace halvern
