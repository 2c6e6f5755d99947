#include "common/FolderList.h"

#include <filesystem>
#include <system_error>

#include "common/ErrorText.h"

namespace common {

namespace {

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// Number of bytes of the UTF-8 character that begins with `lead`.
std::size_t CharLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;
}

FileError Classify(const std::error_code& ec) {
  if (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory) return FileError::kNotFound;
  if (ec == std::errc::permission_denied) return FileError::kAccessDenied;
  return FileError::kFailed;
}

std::string Utf8Name(const std::filesystem::path& path) {
  const std::u8string name = path.filename().u8string();
  return std::string(name.begin(), name.end());
}

}  // namespace

bool MatchesPattern(std::string_view name, std::string_view pattern) {
  if (pattern == "*.*" || pattern == "*") return true;
  // Greedy match with one backtrack point for the last "*".
  std::size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && pattern[p] == '?') {
      ++p;
      n += CharLength(static_cast<unsigned char>(name[n]));
    } else if (p < pattern.size() && Fold(pattern[p]) == Fold(name[n])) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      starN += CharLength(static_cast<unsigned char>(name[starN]));
      n = starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

Result<std::vector<FolderEntry>> ListFolder(const Path& folder) {
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, std::filesystem::directory_options::skip_permission_denied, ec);
  if (ec) {
    return Error{static_cast<int>(Classify(ec)), "cannot list " + folder.string() + ": " + ec.message()};
  }
  std::vector<FolderEntry> entries;
  for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    FolderEntry entry;
    entry.name = Utf8Name(it->path());
    std::error_code kindError;
    entry.folder = it->is_directory(kindError);
    if (!entry.folder) {
      std::error_code sizeError;
      const auto size = it->file_size(sizeError);
      entry.size = sizeError ? 0 : size;
    }
    entries.push_back(std::move(entry));
  }
  if (ec) return Error{static_cast<int>(Classify(ec)), "cannot list " + folder.string() + ": " + ec.message()};
  return entries;
}

}  // namespace common
