#include "platform/gui/win32/Win32Peer.h"

#include <map>
#include <vector>
#include <utility>

#include "common/TextCodec.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/win32/ShellWin32.h"

namespace gui::win32 {

std::wstring W(const std::string& utf8) {
  auto text = common::Utf8ToUtf16(utf8);
  if (!text) text = common::Utf8ToUtf16(std::string(utf8.size(), '?'));
  return std::wstring(text->begin(), text->end());
}

std::string U(const std::wstring& wide) {
  auto text = common::Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
  return text ? *text : std::string();
}

std::string WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  return U(text);
}

HICON LoadPicture(const Icon& icon, int size) {
  static std::map<std::pair<std::string, int>, HICON> cache;
  if (icon.empty()) return nullptr;
  const auto key = std::make_pair(icon.resource, size);
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  HICON handle = ShellIcon(icon, size);
  if (!handle) {
    handle = static_cast<HICON>(LoadImageW(instance, W(icon.resource).c_str(), IMAGE_ICON, S(size), S(size), 0));
  }
  if (!handle) handle = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  cache[key] = handle;
  return handle;
}

namespace {
constexpr wchar_t kToolTipProperty[] = L"GuiToolTip";
constexpr int kToolTipWidth = 400;  // hints with line breaks wrap there too
}  // namespace

HWND ToolTipOf(HWND topLevel, bool make) {
  if (!topLevel) return nullptr;
  auto tip = static_cast<HWND>(GetPropW(topLevel, kToolTipProperty));
  if (tip || !make) return tip;
  tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, topLevel, nullptr, instance,
                        nullptr);
  if (!tip) return nullptr;
  SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, S(kToolTipWidth));
  SetPropW(topLevel, kToolTipProperty, tip);
  return tip;
}

void Win32Peer::ApplyHint() {
  const std::string& hint = control_.Hint();
  HWND root = GetAncestor(hwnd_, GA_ROOT);
  if (root == hwnd_) return;  // a form's own hint has no window to show over
  HWND tip = ToolTipOf(root, !hint.empty());
  if (!tip) return;
  tipped_ = !hint.empty();
  std::wstring text = W(hint);
  TTTOOLINFOW info{};
  info.cbSize = sizeof(info);
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = root;
  info.uId = reinterpret_cast<UINT_PTR>(hwnd_);
  info.lpszText = text.data();
  if (hint.empty()) {
    SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    return;
  }
  // A static text lets the mouse through to its parent unless it notifies.
  wchar_t className[16] = {};
  GetClassNameW(hwnd_, className, 16);
  if (lstrcmpiW(className, L"Static") == 0) {
    SetWindowLongPtrW(hwnd_, GWL_STYLE, GetWindowLongPtrW(hwnd_, GWL_STYLE) | SS_NOTIFY);
  }
  TTTOOLINFOW existing = info;
  existing.lpszText = nullptr;
  if (SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&existing))) {
    SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
  } else {
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  }
}

void Win32Peer::DropToolTip() {
  if (!tipped_) return;
  tipped_ = false;
  HWND root = GetAncestor(hwnd_, GA_ROOT);
  HWND tip = root != hwnd_ ? ToolTipOf(root, false) : nullptr;
  if (!tip) return;
  TTTOOLINFOW info{};
  info.cbSize = sizeof(info);
  info.hwnd = root;
  info.uId = reinterpret_cast<UINT_PTR>(hwnd_);
  SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void DropFiles(Control& control, HWND hwnd, HDROP drop) {
  std::vector<std::string> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    DragQueryFileW(drop, i, path.data(), length + 1);
    path.resize(length);
    paths.push_back(U(path));
  }
  POINT p{};
  // The drop point is in the client area of the window the files were
  // dropped on (the form's, when its child takes no files).
  if (!DragQueryPoint(drop, &p)) {
    GetCursorPos(&p);
    ScreenToClient(hwnd, &p);
  }
  DragFinish(drop);
  control.UserDropFiles(paths, Point{Unscale(p.x), Unscale(p.y)});
}

NativeImages::~NativeImages() {
  if (handle_) ImageList_Destroy(handle_);
}

HIMAGELIST NativeImages::Sync(const gui::ImageList* images) {
  if (images != source_ || (images && images->Generation() != generation_)) {
    if (handle_) ImageList_Destroy(handle_);
    handle_ = nullptr;
    source_ = images;
    count_ = 0;
    if (!images) return nullptr;
    generation_ = images->Generation();
    handle_ = ImageList_Create(S(images->Size()), S(images->Size()), ILC_COLOR32 | ILC_MASK, images->Count(), 16);
  }
  if (!images || !handle_) return handle_;
  for (; count_ < images->Count(); ++count_) {
    ImageList_AddIcon(handle_, LoadPicture(images->Icons()[static_cast<std::size_t>(count_)], images->Size()));
  }
  return handle_;
}

}  // namespace gui::win32
