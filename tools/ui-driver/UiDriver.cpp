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
//   ui-driver box-cancel <title>         presses the Cancel of the message box of that title
//   ui-driver click <caption> <button> [<n>]
//                                        clicks the button of that text on the form of that caption
//                                        (the n-th of that text, from 1, when several have it)
//   ui-driver menu <caption> <key> <key> opens the form's menu bar title with the first access
//                                        key and picks the item with the second, as the keyboard does
//   ui-driver drop <caption> <x> <y> <file>...
//                                        drops the files on the form of that caption at a
//                                        client point, as the shell does (WM_DROPFILES to
//                                        the window there that takes files)
//   ui-driver wait-gone <caption> <ms>   waits until no visible form of that caption exists
//   ui-driver list-rows <caption> <column> [<ms>]
//                                        prints the row captions (UTF-8, one a line) of the
//                                        list view on that form that has a column of that
//                                        header text; with <ms>, first waits until it has rows
//   ui-driver list-select <caption> <column> <row>...
//                                        selects exactly the rows of those captions in that
//                                        list view, as the user would
//   ui-driver list-check <caption> <column> <row>...
//                                        ticks the check boxes of the rows of those captions in
//                                        that list view (every row of a caption), as a click on them does
//   ui-driver click-at <caption> <x> <y> presses and releases the left button at a client
//                                        point of the form of that caption
//   ui-driver click-child <caption> <x> <y>
//                                        presses and releases the left button on the deepest
//                                        child window at a client point of the form (a picture
//                                        button, say), at that point
//   ui-driver hover-at <caption> <x> <y> moves the pointer to a client point of the form of that
//                                        caption, as the mouse does (the window there sees it move)
//   ui-driver rect <caption>             prints the form's screen rectangle: left top right bottom
//   ui-driver client-rect <caption>      prints the screen rectangle of the form's client area
//   ui-driver hover <caption> <button> <ms>
//                                        moves the mouse onto the button of that text on the form
//                                        of that caption and waits (up to <ms>) for the program's
//                                        tool tip to show
//   ui-driver mouse-to <x> <y>           moves the mouse to a screen point
// Exit code 0 on success, 1 on a time-out, 2 on bad arguments.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
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
  int skip = 0;  // matches to pass over first
};

// EnumChildWindows' callback: a named stdcall function, since a lambda does
// not convert to WNDENUMPROC in the 32-bit build.
BOOL CALLBACK MatchButton(HWND child, LPARAM data) {
  auto* s = reinterpret_cast<ButtonSearch*>(data);
  wchar_t cls[16] = {};
  GetClassNameW(child, cls, 16);
  if (_wcsicmp(cls, L"Button") == 0 && TextOf(child) == s->caption) {
    if (s->skip-- > 0) return TRUE;
    s->found = child;
    return FALSE;
  }
  return TRUE;
}

HWND FindButton(HWND form, const wchar_t* caption, int nth = 1) {
  ButtonSearch search{caption, nullptr, nth - 1};
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

// The deepest visible child window under a client point of the form (the
// form itself when there is none); the point becomes a client point of it.
HWND ChildAt(HWND form, POINT& at) {
  POINT screen = at;
  ClientToScreen(form, &screen);
  HWND hit = form;
  for (HWND h = form;;) {
    POINT local = screen;
    ScreenToClient(h, &local);
    HWND deeper = ChildWindowFromPointEx(h, local, CWP_SKIPINVISIBLE);
    if (!deeper || deeper == h) break;
    hit = h = deeper;
  }
  at = screen;
  ScreenToClient(hit, &at);
  return hit;
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

// A block of memory in another process, for the messages of the common
// controls that carry pointers (list views and headers marshal nothing
// across processes).
class RemoteMemory {
 public:
  RemoteMemory(HWND window, std::size_t size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteMemory() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;

  bool ok() const { return address_ != nullptr; }
  std::uint8_t* at(std::size_t offset) const { return static_cast<std::uint8_t*>(address_) + offset; }
  bool Write(std::size_t offset, const void* data, std::size_t n) const {
    return offset + n <= size_ && WriteProcessMemory(process_, at(offset), data, n, nullptr);
  }
  bool Read(std::size_t offset, void* data, std::size_t n) const {
    return offset + n <= size_ && ReadProcessMemory(process_, at(offset), data, n, nullptr);
  }

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
  std::size_t size_;
};

constexpr std::size_t kTextChars = 512;

std::wstring ItemText(HWND list, int row, const RemoteMemory& memory) {
  LVITEMW item{};
  item.iSubItem = 0;
  item.cchTextMax = static_cast<int>(kTextChars);
  item.pszText = reinterpret_cast<wchar_t*>(memory.at(sizeof(item)));
  std::vector<wchar_t> text(kTextChars, L'\0');
  if (!memory.Write(0, &item, sizeof(item)) || !memory.Write(sizeof(item), text.data(), text.size() * sizeof(wchar_t))) {
    return {};
  }
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(memory.at(0)));
  memory.Read(sizeof(item), text.data(), text.size() * sizeof(wchar_t));
  text.back() = L'\0';
  return text.data();
}

std::vector<std::wstring> HeaderTexts(HWND list) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  std::vector<std::wstring> texts;
  if (!header) return texts;
  RemoteMemory memory(header, sizeof(HDITEMW) + kTextChars * sizeof(wchar_t));
  if (!memory.ok()) return texts;
  const int count = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.cchTextMax = static_cast<int>(kTextChars);
    item.pszText = reinterpret_cast<wchar_t*>(memory.at(sizeof(item)));
    std::vector<wchar_t> text(kTextChars, L'\0');
    memory.Write(0, &item, sizeof(item));
    memory.Write(sizeof(item), text.data(), text.size() * sizeof(wchar_t));
    SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(memory.at(0)));
    memory.Read(sizeof(item), text.data(), text.size() * sizeof(wchar_t));
    text.back() = L'\0';
    texts.push_back(text.data());
  }
  return texts;
}

struct ListSearch {
  const wchar_t* column;
  HWND found;
};

BOOL CALLBACK MatchList(HWND child, LPARAM data) {
  auto* s = reinterpret_cast<ListSearch*>(data);
  wchar_t cls[32] = {};
  GetClassNameW(child, cls, 32);
  if (_wcsicmp(cls, WC_LISTVIEWW) != 0) return TRUE;
  for (const auto& text : HeaderTexts(child)) {
    if (text == s->column) {
      s->found = child;
      return FALSE;
    }
  }
  return TRUE;
}

// The list view of the form with a column of that header text.
HWND FindList(HWND form, const wchar_t* column) {
  ListSearch search{column, nullptr};
  EnumChildWindows(form, MatchList, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<std::wstring> RowCaptions(HWND list) {
  std::vector<std::wstring> rows;
  RemoteMemory memory(list, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
  if (!memory.ok()) return rows;
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) rows.push_back(ItemText(list, i, memory));
  return rows;
}

bool SetRowState(HWND list, int row, bool selected, const RemoteMemory& memory) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | (selected ? LVIS_FOCUSED : 0);
  item.state = selected ? (LVIS_SELECTED | LVIS_FOCUSED) : 0;
  return memory.Write(0, &item, sizeof(item)) &&
         SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(memory.at(0)));
}

// The mouse to a screen point as the user moves it: real input, which
// the window under it (and its tool tip) sees.
void MoveMouse(POINT to) {
  SetCursorPos(to.x, to.y);
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = static_cast<LONG>((to.x * 65535LL) / std::max(1, width - 1));
  input.mi.dy = static_cast<LONG>((to.y * 65535LL) / std::max(1, height - 1));
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof input);
}

struct TipSearch {
  DWORD process;
  bool shown;
};

BOOL CALLBACK MatchShownTip(HWND hwnd, LPARAM data) {
  auto* s = reinterpret_cast<TipSearch*>(data);
  wchar_t cls[32] = {};
  GetClassNameW(hwnd, cls, 32);
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  if (process == s->process && _wcsicmp(cls, TOOLTIPS_CLASSW) == 0 && IsWindowVisible(hwnd)) {
    s->shown = true;
    return FALSE;
  }
  return TRUE;
}

bool ToolTipShown(DWORD process) {
  TipSearch search{process, false};
  EnumWindows(MatchShownTip, reinterpret_cast<LPARAM>(&search));
  return search.shown;
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
  if (command == L"box-cancel" && argc >= 3) {
    HWND box = FindBox(argv[2]);
    if (!box) return 1;
    PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    return WaitFor(5000, [&] { return !IsWindow(box); }) ? 0 : 1;
  }
  if (command == L"click" && argc >= 4) {
    HWND form = FindForm(argv[2], true);
    HWND button = form ? FindButton(form, argv[3], argc >= 5 ? _wtoi(argv[4]) : 1) : nullptr;
    if (!button) return 1;
    PostMessageW(button, BM_CLICK, 0, 0);
    return 0;
  }
  if (command == L"hover" && argc >= 5) {
    HWND form = FindForm(argv[2], true);
    HWND button = form ? FindButton(form, argv[3]) : nullptr;
    if (!button) return 1;
    RECT r{};
    GetWindowRect(button, &r);
    DWORD process = 0;
    GetWindowThreadProcessId(form, &process);
    // A few small moves inside the button, then rest: the tip shows after
    // its delay.
    const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    for (int dx : {-3, -1, 0}) {
      MoveMouse(POINT{centre.x + dx, centre.y});
      Sleep(60);
    }
    return WaitFor(static_cast<DWORD>(_wtoi(argv[4])), [&] { return ToolTipShown(process); }) ? 0 : 1;
  }
  if (command == L"mouse-to" && argc >= 4) {
    MoveMouse(POINT{_wtoi(argv[2]), _wtoi(argv[3])});
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
  if (command == L"wait-gone" && argc >= 4) {
    return WaitFor(static_cast<DWORD>(_wtoi(argv[3])), [&] { return FindForm(argv[2], true) == nullptr; }) ? 0 : 1;
  }
  if (command == L"list-rows" && argc >= 4) {
    HWND form = FindForm(argv[2], true);
    HWND list = form ? FindList(form, argv[3]) : nullptr;
    if (!list) return 1;
    if (argc >= 5 && !WaitFor(static_cast<DWORD>(_wtoi(argv[4])), [&] {
          return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) > 0;
        })) {
      return 1;
    }
    for (const auto& row : RowCaptions(list)) PrintUtf8(row + L"\n");
    return 0;
  }
  if (command == L"list-select" && argc >= 5) {
    HWND form = FindForm(argv[2], true);
    HWND list = form ? FindList(form, argv[3]) : nullptr;
    if (!list) return 1;
    const std::vector<std::wstring> wanted(argv + 4, argv + argc);
    const std::vector<std::wstring> rows = RowCaptions(list);
    RemoteMemory memory(list, sizeof(LVITEMW));
    if (!memory.ok()) return 1;
    std::size_t found = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const bool select = std::find(wanted.begin(), wanted.end(), rows[i]) != wanted.end();
      found += select;
      SetRowState(list, static_cast<int>(i), select, memory);
    }
    return found == wanted.size() ? 0 : 1;
  }
  if (command == L"list-check" && argc >= 5) {
    HWND form = FindForm(argv[2], true);
    HWND list = form ? FindList(form, argv[3]) : nullptr;
    if (!list) return 1;
    const std::vector<std::wstring> wanted(argv + 4, argv + argc);
    const std::vector<std::wstring> rows = RowCaptions(list);
    RemoteMemory memory(list, sizeof(LVITEMW));
    if (!memory.ok()) return 1;
    std::size_t found = 0;
    for (const auto& name : wanted) {
      bool any = false;
      for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i] != name) continue;
        LVITEMW item{};
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(2);
        any = memory.Write(0, &item, sizeof(item)) &&
              SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(memory.at(0)));
      }
      found += any;
    }
    return found == wanted.size() ? 0 : 1;
  }
  if (command == L"menu" && argc >= 5) {
    HWND form = FindForm(argv[2], true);
    if (!form) return 1;
    SetForegroundWindow(form);
    PostMessageW(form, WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(towlower(argv[3][0])));
    HWND menu = nullptr;
    if (!WaitFor(10000, [&] { return (menu = FindWindowW(L"#32768", nullptr)) != nullptr && IsWindowVisible(menu); })) {
      return 1;
    }
    Sleep(200);
    PostMessageW(menu, WM_CHAR, static_cast<WPARAM>(towlower(argv[4][0])), 0);
    return WaitFor(10000, [&] { return !IsWindow(menu) || !IsWindowVisible(menu); }) ? 0 : 1;
  }
  if (command == L"click-at" && argc >= 5) {
    HWND form = FindForm(argv[2], true);
    if (!form) return 1;
    const LPARAM at = MAKELPARAM(_wtoi(argv[3]), _wtoi(argv[4]));
    PostMessageW(form, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(form, WM_LBUTTONUP, 0, at);
    return 0;
  }
  if (command == L"click-child" && argc >= 5) {
    HWND form = FindForm(argv[2], true);
    if (!form) return 1;
    POINT at{_wtoi(argv[3]), _wtoi(argv[4])};
    HWND child = ChildAt(form, at);
    const LPARAM point = MAKELPARAM(at.x, at.y);
    PostMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(child, WM_LBUTTONUP, 0, point);
    return 0;
  }
  if (command == L"hover-at" && argc >= 5) {
    HWND form = FindForm(argv[2], true);
    if (!form) return 1;
    POINT at{_wtoi(argv[3]), _wtoi(argv[4])};
    POINT screen = at;
    ClientToScreen(form, &screen);
    // The mouse first (the window under it sees the move), then the move
    // itself to the window there, in its own client points: a desktop
    // without a real mouse does not always report the first.
    MoveMouse(screen);
    HWND child = ChildAt(form, at);  // `at` becomes the child's client point
    PostMessageW(child, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    return 0;
  }
  if (command == L"rect" && argc >= 3) {
    HWND form = FindForm(argv[2], true);
    RECT r{};
    if (!form || !GetWindowRect(form, &r)) return 1;
    PrintUtf8(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right) + L" " +
              std::to_wstring(r.bottom));
    return 0;
  }
  if (command == L"client-rect" && argc >= 3) {
    HWND form = FindForm(argv[2], true);
    RECT r{};
    if (!form || !GetClientRect(form, &r)) return 1;
    POINT origin{0, 0};
    ClientToScreen(form, &origin);
    PrintUtf8(std::to_wstring(origin.x) + L" " + std::to_wstring(origin.y) + L" " + std::to_wstring(origin.x + r.right) +
              L" " + std::to_wstring(origin.y + r.bottom));
    return 0;
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
