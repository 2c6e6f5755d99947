// The PC's drives on Windows.
#include <windows.h>

#include "common/FolderList.h"
#include "common/TextCodec.h"

namespace common {

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
