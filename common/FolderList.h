// Listing a PC folder: its files and sub-folders with their sizes, the
// Windows wildcard patterns ("*.mp3", "*.*", "track?.sa3") and the PC's
// drives. Names are UTF-8 (the file system's own on Linux, converted from
// UTF-16 on Windows).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/File.h"
#include "common/Result.h"

namespace common {

struct FolderEntry {
  std::string name;  // the entry's own name, without its folder
  bool folder = false;
  bool hidden = false;     // Windows: hidden or system; Linux: the name begins with "."
  std::uint64_t size = 0;  // bytes; 0 for folders
};

// The entries of a folder in the order the file system gives them, "." and
// ".." left out, hidden and system files included; one pass of the
// platform's listing (FindFirstFileExW, readdir), so a folder of many
// thousand files lists quickly. An entry whose size cannot be read is
// listed with size 0. A folder that cannot be read (or is not there) is an
// error whose code is a FileError.
Result<std::vector<FolderEntry>> ListFolder(const Path& folder);

// Windows wildcards: "*" any run of characters, "?" exactly one; ASCII
// letters compare without case, other characters (Hangul ...) exactly.
// "*.*" matches every name, also one without a dot.
bool MatchesPattern(std::string_view name, std::string_view pattern);

// The roots of the PC's file systems: "C:\", "D:\" ... on Windows, "/" on
// Linux.
std::vector<std::string> ListDrives();

}  // namespace common
