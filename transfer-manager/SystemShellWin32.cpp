// The Windows shell: folders through the UTF-16 calls, the drives, pages
// through ShellExecuteW.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "common/TextCodec.h"
#include "transfer-manager/SystemShell.h"

namespace halvern {

namespace {

std::string U(const wchar_t* text, std::size_t length) {
  auto utf8 = common::Utf16ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(text), length));
  return utf8 ? *utf8 : std::string();
}
std::string U(const std::wstring& text) { return U(text.c_str(), text.size()); }
std::wstring W(const std::string& utf8) {
  auto wide = common::Utf8ToUtf16(utf8);
  return wide ? std::wstring(wide->begin(), wide->end()) : std::wstring();
}

class Win32Shell : public SystemShell {
 public:
  std::string WindowsFolder() override {
    wchar_t buffer[MAX_PATH] = {};
    const UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? U(buffer, n) : std::string();
  }
  std::string SystemFolder() override {
    wchar_t buffer[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? U(buffer, n) : std::string();
  }
  std::string TempFolder() override {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    return n > 0 && n <= MAX_PATH ? U(buffer, n) : std::string();
  }
  std::string SpecialFolder(int csidl) override {
    PIDLIST_ABSOLUTE list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &list)) || !list) return {};
    wchar_t buffer[MAX_PATH] = {};
    const bool ok = SHGetPathFromIDListW(list, buffer);
    CoTaskMemFree(list);
    return ok ? U(buffer, wcsnlen(buffer, MAX_PATH)) : std::string();
  }
  std::vector<FolderRoot> FolderRoots() override {
    std::vector<FolderRoot> roots;
    const std::string desktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
    if (!desktop.empty()) roots.push_back({"바탕 화면", desktop});
    wchar_t drives[512] = {};
    const DWORD n = GetLogicalDriveStringsW(511, drives);
    for (const wchar_t* d = drives; n > 0 && n < 512 && *d; d += wcslen(d) + 1) {
      const std::wstring root(d);
      const UINT type = GetDriveTypeW(d);
      if (type == DRIVE_NO_ROOT_DIR || type == DRIVE_UNKNOWN) continue;
      roots.push_back({U(root.substr(0, 2)), U(root)});
    }
    return roots;
  }
  void OpenUrl(const std::string& url) override {
    ShellExecuteW(nullptr, L"open", W(url).c_str(), L"", L"", SW_SHOWNORMAL);
  }
};

}  // namespace

std::unique_ptr<SystemShell> CreateSystemShell() { return std::make_unique<Win32Shell>(); }

}  // namespace halvern
