// Folder listings and the PC's drives on Linux (one root).
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>

#include "common/FolderList.h"

namespace common {

Result<std::vector<FolderEntry>> ListFolder(const Path& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return LastError(FileOp::kList, folder);
  const int fd = ::dirfd(dir);
  std::vector<FolderEntry> entries;
  while (const dirent* e = ::readdir(dir)) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    FolderEntry entry;
    entry.name = e->d_name;
    entry.hidden = e->d_name[0] == '.';
    struct stat st {};
    // Links count as what they point to, as the shell shows them.
    if (::fstatat(fd, e->d_name, &st, 0) == 0) {
      entry.folder = S_ISDIR(st.st_mode);
      if (!entry.folder) entry.size = static_cast<std::uint64_t>(st.st_size);
    } else {
      entry.folder = e->d_type == DT_DIR;
    }
    entries.push_back(std::move(entry));
  }
  ::closedir(dir);
  return entries;
}

std::vector<std::string> ListDrives() { return {"/"}; }

}  // namespace common
