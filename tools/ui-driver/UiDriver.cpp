// ui-driver.exe: drives the GUI-layer programs from outside with real
// window messages, for the tests under Wine.
//
//   ui-driver wait <caption> <ms>        waits until a visible form of that caption exists
//   ui-driver close <caption>            asks the form of that caption to close (WM_CLOSE)
//   ui-driver tray-menu <key> [<ms>]     right-clicks the program's tray icon and picks the
//                                        menu item with that access key
//   ui-driver tray-present [<ms>]        succeeds when the program's tray icon is in the
//                                        notification area
// Exit code 0 on success, 1 on a time-out, 2 on bad arguments.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

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
  return 2;
}
