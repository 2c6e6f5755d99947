#include "transfer-manager/FileListBox.h"

#include <algorithm>
#include <filesystem>

#include "platform/gui/ListView.h"
#include "transfer-manager/modCommon.h"

namespace halvern {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool FileListBox::Matches(const std::string& name, const std::string& pattern) {
  if (pattern == "*" || pattern == "*.*") return true;
  if (pattern.size() < 2 || pattern[0] != '*') return name == pattern;
  const std::string tail = pattern.substr(1);
  if (name.size() <= tail.size()) return false;
  return std::equal(tail.begin(), tail.end(), name.end() - static_cast<std::ptrdiff_t>(tail.size()),
                    [](char a, char b) { return Lower(a) == Lower(b); });
}

void FileListBox::SetPath(std::string folder) {
  path_ = std::move(folder);
  Refresh();
}

void FileListBox::Refresh() {
  names_.clear();
  listIndex_ = -1;
  if (path_.empty()) return;
  const common::Path folder = PathFromText(path_);
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    const std::string name = TextOfPath(it->path().filename());
    if (!Matches(name, pattern_)) continue;
    const auto a = common::GetPathAttributes(it->path());
    if (!a.exists || a.directory || a.hidden) continue;
    names_.push_back(name);
  }
  std::sort(names_.begin(), names_.end(), gui::CaptionLess);
}

}  // namespace halvern
