// Helpers of the Win32 backend tests.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

namespace gui::testing {

// A WM_DROPFILES block as the shell sends it.
inline HGLOBAL DropBlock(const std::vector<std::wstring>& paths, POINT at) {
  std::size_t chars = 1;
  for (const auto& p : paths) chars += p.size() + 1;
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
  auto* block = static_cast<DROPFILES*>(GlobalLock(memory));
  block->pFiles = sizeof(DROPFILES);
  block->pt = at;
  block->fWide = TRUE;
  auto* out = reinterpret_cast<wchar_t*>(block + 1);
  for (const auto& p : paths) {
    std::memcpy(out, p.c_str(), (p.size() + 1) * sizeof(wchar_t));
    out += p.size() + 1;
  }
  *out = L'\0';
  GlobalUnlock(memory);
  return memory;
}

}  // namespace gui::testing
