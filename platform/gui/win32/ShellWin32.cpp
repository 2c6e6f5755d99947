#include "platform/gui/win32/ShellWin32.h"

#include <shellapi.h>
#include <commctrl.h>

#include <cstdlib>

#include "platform/gui/win32/Win32Peer.h"

namespace gui::win32 {

namespace {

constexpr char kShellPrefix[] = "shell:";

HIMAGELIST SystemImages(int size) {
  SHFILEINFOW info{};
  const UINT which = size > 16 ? SHGFI_LARGEICON : SHGFI_SMALLICON;
  return reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(L"C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | which));
}

// The system image list index of a kind of item, from a made-up name.
int IndexOfKind(const std::string& kind) {
  const wchar_t* name = L"file";
  DWORD attributes = FILE_ATTRIBUTE_NORMAL;
  if (kind == "folder") {
    name = L"folder";
    attributes = FILE_ATTRIBUTE_DIRECTORY;
  } else if (kind == "audio") {
    name = L"file.mp3";
  } else if (kind == "drive") {
    name = L"C:\\";
    attributes = FILE_ATTRIBUTE_DIRECTORY;
  }
  SHFILEINFOW info{};
  if (!SHGetFileInfoW(name, attributes, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON)) {
    return -1;
  }
  return info.iIcon;
}

}  // namespace

HICON ShellIcon(const Icon& icon, int size) {
  if (icon.resource.rfind(kShellPrefix, 0) != 0) return nullptr;
  const std::string rest = icon.resource.substr(sizeof(kShellPrefix) - 1);
  char* end = nullptr;
  long index = std::strtol(rest.c_str(), &end, 10);
  if (rest.empty() || *end != '\0') index = IndexOfKind(rest);
  if (index < 0) return nullptr;
  HIMAGELIST list = SystemImages(size);
  return list ? ImageList_GetIcon(list, static_cast<int>(index), ILD_NORMAL) : nullptr;
}

ShellItemInfo ShellInfoOf(const std::string& path, bool folder) {
  const std::wstring wide = W(path);
  SHFILEINFOW info{};
  const UINT flags = SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON;
  // The item itself first; a path that cannot be reached gets the icon and
  // name of its kind.
  if (!SHGetFileInfoW(wide.c_str(), 0, &info, sizeof(info), flags)) {
    info = SHFILEINFOW{};
    SHGetFileInfoW(wide.c_str(), folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                   flags | SHGFI_USEFILEATTRIBUTES);
  }
  ShellItemInfo out;
  out.displayName = U(info.szDisplayName);
  out.typeName = U(info.szTypeName);
  out.icon = Icon{std::string(kShellPrefix) + std::to_string(info.iIcon)};
  if (out.displayName.empty()) {
    const auto slash = path.find_last_of("\\/", path.size() > 1 ? path.size() - 2 : 0);
    out.displayName = slash == std::string::npos ? path : path.substr(slash + 1);
  }
  return out;
}

}  // namespace gui::win32
