// The file list box of the main window: a folder and the names of its files
// that match the pattern (files only, no folders, hidden and system files
// left out), sorted by name without regard to case. Not shown; the PC list
// is filled from it.
#pragma once

#include <string>
#include <vector>

namespace halvern {

class FileListBox {
 public:
  explicit FileListBox(std::string pattern) : pattern_(std::move(pattern)) {}

  // The folder (UTF-8); setting it lists the folder at once. A folder that
  // cannot be read lists nothing.
  const std::string& Path() const { return path_; }
  void SetPath(std::string folder);
  // Lists the folder again.
  void Refresh();

  int ListCount() const { return static_cast<int>(names_.size()); }
  // Index checked by the caller: out of range throws std::out_of_range.
  const std::string& List(int index) const { return names_.at(static_cast<std::size_t>(index)); }
  const std::vector<std::string>& Names() const { return names_; }
  int ListIndex() const { return listIndex_; }
  void SetListIndex(int index) { listIndex_ = index >= 0 && index < ListCount() ? index : -1; }

  // Whether a name matches a pattern of the form "*.ext" (or "*" / "*.*"),
  // without regard to ASCII case.
  static bool Matches(const std::string& name, const std::string& pattern);

 private:
  std::string pattern_;
  std::string path_;
  std::vector<std::string> names_;
  int listIndex_ = -1;
};

}  // namespace halvern
