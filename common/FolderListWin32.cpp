// Folder listings and the PC's drives on Windows.
#include <windows.h>

#include "common/FolderList.h"
#include "common/TextCodec.h"

namespace common {

Result<std::vector<FolderEntry>> ListFolder(const Path& folder) {
  const Path pattern = folder / L"*";
  WIN32_FIND_DATAW data{};
  // Names, attributes and sizes in one pass; no short names, large fetches.
  HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                 FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) {
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return std::vector<FolderEntry>{};  // an empty drive
    return LastError(FileOp::kList, folder);
  }
  std::vector<FolderEntry> entries;
  do {
    const wchar_t* name = data.cFileName;
    if ((name[0] == L'.' && name[1] == 0) || (name[0] == L'.' && name[1] == L'.' && name[2] == 0)) continue;
    auto text = Utf16ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(name)));
    if (!text) continue;  // a name that is no UTF-16 cannot be shown or opened by us
    FolderEntry entry;
    entry.name = std::move(*text);
    entry.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.hidden = (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
    if (!entry.folder) entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entries.push_back(std::move(entry));
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return entries;
}

std::vector<std::string> ListDrives() {
  wchar_t buffer[512] = {};
  const DWORD length = GetLogicalDriveStringsW(511, buffer);
  std::vector<std::string> drives;
  for (const wchar_t* p = buffer; length > 0 && length < 512 && *p; p += wcslen(p) + 1) {
    const std::wstring root(p);
    if (auto text = Utf16ToUtf8(std::u16string(root.begin(), root.end()))) drives.push_back(*text);
  }
  return drives;
}

}  // namespace common
