// ui-driver.exe: drives the GUI-layer programs from outside with real
// window messages, for the tests under Wine.
//
//   ui-driver wait <caption> <ms>        waits until a visible form of that caption exists
//   ui-driver close <caption>            asks the form of that caption to close (WM_CLOSE)
//   ui-driver tray-menu <key> [<ms>]     right-clicks the program's tray icon and picks the
//                                        menu item with that access key
//   ui-driver tray-present [<ms>]        succeeds when the program's tray icon is in the
//                                        notification area
//   ui-driver box <title> <ms>           waits for a message box of that title and prints its
//                                        text (UTF-8) on stdout
//   ui-driver box-ok <title>             presses the OK of the message box of that title
//   ui-driver click <caption> <button>   clicks the button of that text on the form of that caption
//   ui-driver drop <caption> <x> <y> <file>...
//                                        drops the files on the form of that caption at a
//                                        client point, as the shell does (WM_DROPFILES to
//                                        the window there that takes files)
// Exit code 0 on success, 1 on a time-out, 2 on bad arguments.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr UINT kTrayMessage = WM_APP + 2;  // the GUI layer's tray callback

// A form or a custom-drawn window of the GUI layer.
HWND FindForm(const wchar_t* caption, bool visibleOnly) {
  for (const wchar_t* cls : {L"GuiForm", L"GuiCustomWindow"}) {
    HWND hwnd = nullptr;
    while ((hwnd = FindWindowExW(nullptr, hwnd, cls, caption)) != nullptr) {
      if (!visibleOnly || IsWindowVisible(hwnd)) return hwnd;
    }
  }
  return nullptr;
}

template <class F>
bool WaitFor(DWORD ms, F done) {
  const ULONGLONG end = GetTickCount64() + ms;
  do {
    if (done()) return true;
    Sleep(50);
  } while (GetTickCount64() < end);
  return done();
}

bool TrayPresent() {
  HWND app = FindWindowW(L"GuiApp", nullptr);
  if (!app) return false;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = app;
  data.uID = 1;
  data.uFlags = 0;
  // Modifying an icon succeeds only when the notification area has it.
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

// A message box is a dialog of the system's dialog class.
HWND FindBox(const wchar_t* title) {
  HWND hwnd = nullptr;
  while ((hwnd = FindWindowExW(nullptr, hwnd, L"#32770", title)) != nullptr) {
    if (IsWindowVisible(hwnd)) return hwnd;
  }
  return nullptr;
}

std::wstring TextOf(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The message of a box: its static controls' texts (the icon's has none).
std::wstring BoxText(HWND box) {
  std::wstring text;
  for (HWND child = FindWindowExW(box, nullptr, L"Static", nullptr); child != nullptr;
       child = FindWindowExW(box, child, L"Static", nullptr)) {
    const std::wstring part = TextOf(child);
    if (part.empty()) continue;
    if (!text.empty()) text += L"\n";
    text += part;
  }
  return text;
}

struct ButtonSearch {
  const wchar_t* caption;
  HWND found;
};

// EnumChildWindows' callback: a named stdcall function, since a lambda does
// not convert to WNDENUMPROC in the 32-bit build.
BOOL CALLBACK MatchButton(HWND child, LPARAM data) {
  auto* s = reinterpret_cast<ButtonSearch*>(data);
  wchar_t cls[16] = {};
  GetClassNameW(child, cls, 16);
  if (_wcsicmp(cls, L"Button") == 0 && TextOf(child) == s->caption) {
    s->found = child;
    return FALSE;
  }
  return TRUE;
}

HWND FindButton(HWND form, const wchar_t* caption) {
  ButtonSearch search{caption, nullptr};
  EnumChildWindows(form, MatchButton, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void PrintUtf8(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                    nullptr);
  std::string bytes(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// The window under a client point of the form that takes dropped files
// (WS_EX_ACCEPTFILES), the form itself at the latest; the point becomes a
// client point of that window.
HWND DropTarget(HWND form, POINT& at) {
  POINT screen = at;
  ClientToScreen(form, &screen);
  HWND hit = ChildWindowFromPointEx(form, at, CWP_SKIPINVISIBLE);
  for (HWND child = hit; child && child != form;) {
    POINT local = screen;
    ScreenToClient(child, &local);
    HWND deeper = ChildWindowFromPointEx(child, local, CWP_SKIPINVISIBLE);
    if (!deeper || deeper == child) break;
    hit = child = deeper;
  }
  for (HWND h = hit ? hit : form; h; h = GetParent(h)) {
    if ((GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) || h == form) {
      at = screen;
      ScreenToClient(h, &at);
      return h;
    }
  }
  return form;
}

// Posts a WM_DROPFILES with a DROPFILES block of wide paths. A drop
// handle means nothing in another process (Wine carries no HDROP across
// processes), so the block is written into the target process's own memory,
// as the handle the shell would have given it: a fixed global block is its
// address there. The page stays with the target (a test tool's small leak).
bool DropFiles(HWND form, POINT at, const std::vector<std::wstring>& paths) {
  HWND target = DropTarget(form, at);
  std::size_t chars = 1;
  for (const auto& p : paths) chars += p.size() + 1;
  std::vector<std::uint8_t> block(sizeof(DROPFILES) + chars * sizeof(wchar_t), 0);
  auto* header = reinterpret_cast<DROPFILES*>(block.data());
  header->pFiles = sizeof(DROPFILES);
  header->pt = at;
  header->fNC = FALSE;
  header->fWide = TRUE;
  auto* out = reinterpret_cast<wchar_t*>(block.data() + sizeof(DROPFILES));
  for (const auto& p : paths) {
    std::memcpy(out, p.c_str(), (p.size() + 1) * sizeof(wchar_t));
    out += p.size() + 1;
  }
  DWORD pid = 0;
  GetWindowThreadProcessId(target, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return false;
  void* remote = VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  const bool written = remote && WriteProcessMemory(process, remote, block.data(), block.size(), nullptr);
  CloseHandle(process);
  return written && PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::wstring command = argv[1];
  if (command == L"wait" && argc >= 4) {
    return WaitFor(static_cast<DWORD>(_wtoi(argv[3])), [&] { return FindForm(argv[2], true) != nullptr; }) ? 0 : 1;
  }
  if (command == L"close" && argc >= 3) {
    HWND form = FindForm(argv[2], false);
    if (!form) return 1;
    PostMessageW(form, WM_CLOSE, 0, 0);
    return 0;
  }
  if (command == L"box" && argc >= 4) {
    HWND box = nullptr;
    if (!WaitFor(static_cast<DWORD>(_wtoi(argv[3])), [&] { return (box = FindBox(argv[2])) != nullptr; })) return 1;
    Sleep(200);  // the box has drawn itself, for a screenshot taken next
    PrintUtf8(BoxText(box));
    return 0;
  }
  if (command == L"box-ok" && argc >= 3) {
    HWND box = FindBox(argv[2]);
    if (!box) return 1;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return WaitFor(5000, [&] { return !IsWindow(box); }) ? 0 : 1;
  }
  if (command == L"click" && argc >= 4) {
    HWND form = FindForm(argv[2], true);
    HWND button = form ? FindButton(form, argv[3]) : nullptr;
    if (!button) return 1;
    PostMessageW(button, BM_CLICK, 0, 0);
    return 0;
  }
  if (command == L"tray-present") {
    return WaitFor(argc >= 3 ? static_cast<DWORD>(_wtoi(argv[2])) : 10000, TrayPresent) ? 0 : 1;
  }
  if (command == L"tray-menu" && argc >= 3) {
    const DWORD ms = argc >= 4 ? static_cast<DWORD>(_wtoi(argv[3])) : 10000;
    HWND app = nullptr;
    if (!WaitFor(ms, [&] { return (app = FindWindowW(L"GuiApp", nullptr)) != nullptr; })) return 1;
    PostMessageW(app, kTrayMessage, 1, WM_RBUTTONUP);
    HWND menu = nullptr;
    if (!WaitFor(ms, [&] { return (menu = FindWindowW(L"#32768", nullptr)) != nullptr && IsWindowVisible(menu); })) {
      return 1;
    }
    Sleep(200);
    PostMessageW(menu, WM_CHAR, static_cast<WPARAM>(towlower(argv[2][0])), 0);
    return WaitFor(ms, [&] { return !IsWindow(menu) || !IsWindowVisible(menu); }) ? 0 : 1;
  }
  if (command == L"drop" && argc >= 6) {
    HWND form = nullptr;
    if (!WaitFor(10000, [&] { return (form = FindForm(argv[2], true)) != nullptr; })) return 1;
    POINT at{_wtoi(argv[3]), _wtoi(argv[4])};
    std::vector<std::wstring> paths(argv + 5, argv + argc);
    return DropFiles(form, at, paths) ? 0 : 1;
  }
  return 2;
}
