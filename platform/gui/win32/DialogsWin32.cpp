// The common dialogs: GetOpenFileNameW / GetSaveFileNameW and
// SHBrowseForFolderW.
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include <vector>

#include "platform/gui/win32/ShellWin32.h"
#include "platform/gui/win32/Win32Peer.h"

namespace gui::win32 {

namespace {

// Room for many file names of a multi-select open.
constexpr std::size_t kFileBuffer = 64 * 1024;

std::wstring FilterText(const std::vector<FileFilter>& filters) {
  std::wstring text;
  for (const auto& filter : filters) {
    text += W(filter.description);
    text.push_back(L'\0');
    text += W(filter.patterns);
    text.push_back(L'\0');
  }
  text.push_back(L'\0');
  return text;
}

int CALLBACK BrowseCallback(HWND hwnd, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED && data) SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

}  // namespace

FileDialogAnswer RunFileDialog(const FileDialogRequest& request, HWND owner) {
  std::vector<wchar_t> buffer(kFileBuffer, L'\0');
  const std::wstring name = W(request.fileName);
  if (name.size() < buffer.size() - 1) std::copy(name.begin(), name.end(), buffer.begin());
  const std::wstring filters = FilterText(request.filters);
  const std::wstring title = W(request.title);
  const std::wstring folder = W(request.initialFolder);
  const std::wstring extension = W(request.defaultExtension);

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = request.filters.empty() ? nullptr : filters.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(request.filterIndex);
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (request.save) {
    if (request.overwritePrompt) ofn.Flags |= OFN_OVERWRITEPROMPT;
  } else {
    if (request.multiSelect) ofn.Flags |= OFN_ALLOWMULTISELECT;
    if (request.fileMustExist) ofn.Flags |= OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  }
  const BOOL ok = request.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  FileDialogAnswer answer;
  if (!ok) return answer;
  answer.ok = true;
  answer.filterIndex = static_cast<int>(ofn.nFilterIndex);
  // One file: its full path. Several: the folder, then each name, each
  // ending in a zero, the whole list in two.
  const wchar_t* p = buffer.data();
  std::wstring first = p;
  p += first.size() + 1;
  if (!request.multiSelect || *p == L'\0') {
    answer.paths.push_back(U(first));
    return answer;
  }
  if (!first.empty() && first.back() != L'\\') first.push_back(L'\\');
  while (*p) {
    std::wstring file = p;
    p += file.size() + 1;
    answer.paths.push_back(U(first + file));
  }
  return answer;
}

FolderDialogAnswer RunFolderDialog(const FolderDialogRequest& request, HWND owner) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const std::wstring title = W(request.title);
  const std::wstring folder = W(request.initialFolder);
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = BrowseCallback;
  info.lParam = folder.empty() ? 0 : reinterpret_cast<LPARAM>(folder.c_str());
  FolderDialogAnswer answer;
  if (PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info)) {
    wchar_t path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(chosen, path)) {
      answer.ok = true;
      answer.path = U(path);
    }
    CoTaskMemFree(chosen);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return answer;
}

}  // namespace gui::win32
