#include "platform/gui/win32/Win32Peer.h"

#include <map>
#include <vector>
#include <utility>

#include <algorithm>
#include <cstring>

#include "common/TextCodec.h"
#include "platform/gui/Cursor.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/Label.h"
#include "platform/gui/Picture.h"
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

void DrawBitmap(HDC dc, int x, int y, const Dib& view) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = view.width;
  info.bmiHeader.biHeight = view.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(view.bitsPerPixel);
  info.bmiHeader.biCompression = BI_RGB;
  StretchDIBits(dc, x, y, S(view.width), S(view.height), 0, 0, view.width, view.height, view.bits, &info,
                DIB_RGB_COLORS, SRCCOPY);
}

namespace {

// The form under a window of the program and the window's offset in the
// form's client area, for a form with a designed look.
Form* DesignedForm(HWND window, POINT& offset) {
  Win32Peer* peer = PeerOf(window);
  Form* form = peer ? peer->control().OwnerForm() : nullptr;
  if (!form || form->kind() != Control::Kind::kForm || !form->Designed() || !form->peer()) return nullptr;
  offset = POINT{0, 0};
  MapWindowPoints(window, static_cast<Win32Peer*>(form->peer())->hwnd(), &offset, 1);
  return form;
}

// One brush per colour for the life of the process (forms use few).
HBRUSH BrushOf(Color color) {
  static std::map<Color, HBRUSH> brushes;
  auto it = brushes.find(color);
  if (it != brushes.end()) return it->second;
  return brushes[color] = CreateSolidBrush(static_cast<COLORREF>(color));
}

}  // namespace

bool PaintFormBackground(HWND window, HDC dc) {
  POINT offset{};
  Form* form = DesignedForm(window, offset);
  if (!form) return false;
  RECT client{};
  GetClientRect(window, &client);
  // The picture and the colour around it, each pixel painted once (no
  // flicker), in the window's coordinates.
  const auto& picture = form->Background();
  const int pictureRight = picture && !picture->Empty() ? S(picture->Width()) - offset.x : -offset.x;
  const int pictureBottom = picture && !picture->Empty() ? S(picture->Height()) - offset.y : -offset.y;
  HBRUSH brush = BrushOf(form->BackgroundColor());
  if (pictureRight < client.right) {
    RECT right{std::max<LONG>(client.left, pictureRight), client.top, client.right, client.bottom};
    FillRect(dc, &right, brush);
  }
  if (pictureBottom < client.bottom) {
    RECT bottom{client.left, std::max<LONG>(client.top, pictureBottom), std::min<LONG>(client.right, pictureRight),
                client.bottom};
    if (bottom.right > bottom.left) FillRect(dc, &bottom, brush);
  }
  if (picture && !picture->Empty() && pictureRight > 0 && pictureBottom > 0) {
    DrawBitmap(dc, -offset.x, -offset.y, picture->View());
  }
  return true;
}

bool StaticColors(HWND child, HDC dc, LRESULT& brush) {
  Win32Peer* peer = PeerOf(child);
  if (!peer) return false;
  const Control& control = peer->control();
  if (control.kind() == Control::Kind::kLabel && static_cast<const Label&>(control).Transparent()) {
    SetBkMode(dc, TRANSPARENT);
    brush = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    return true;
  }
  POINT offset{};
  Form* form = DesignedForm(child, offset);
  if (!form) return false;
  switch (control.kind()) {
    case Control::Kind::kLabel:
    case Control::Kind::kImage:
    case Control::Kind::kCheckBox:
    case Control::Kind::kRadioButton:
    case Control::Kind::kGroupBox: break;
    default: return false;
  }
  SetBkColor(dc, static_cast<COLORREF>(form->BackgroundColor()));
  brush = reinterpret_cast<LRESULT>(BrushOf(form->BackgroundColor()));
  return true;
}

namespace {
void DestroyCursorHandle(void* cursor) { DestroyCursor(static_cast<HCURSOR>(cursor)); }
void KeepSharedCursor(void*) {}
}  // namespace

HCURSOR CursorOf(const MousePointer& pointer) {
  if (pointer.native) return static_cast<HCURSOR>(pointer.native.get());
  HCURSOR cursor = nullptr;
  if (pointer.FromResource()) {
    cursor = LoadCursorW(instance, W(pointer.Name()).c_str());  // shared: never destroyed
    if (cursor) pointer.native = std::shared_ptr<void>(cursor, KeepSharedCursor);
  } else {
    // The image behind its hot spot, as a cursor resource holds it.
    std::vector<BYTE> resource(4 + pointer.ImageSize());
    const WORD hot[2] = {static_cast<WORD>(pointer.HotSpotX()), static_cast<WORD>(pointer.HotSpotY())};
    std::memcpy(resource.data(), hot, 4);
    std::memcpy(resource.data() + 4, pointer.FileBytes().data() + pointer.ImageOffset(), pointer.ImageSize());
    cursor = reinterpret_cast<HCURSOR>(CreateIconFromResourceEx(resource.data(), static_cast<DWORD>(resource.size()),
                                                                FALSE, 0x00030000, 0, 0, LR_DEFAULTCOLOR));
    if (cursor) pointer.native = std::shared_ptr<void>(cursor, DestroyCursorHandle);
  }
  if (!cursor) {
    cursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    pointer.native = std::shared_ptr<void>(cursor, KeepSharedCursor);
  }
  return cursor;
}

bool ShowControlCursor(const Control& control) {
  if (!control.Cursor()) return false;
  SetCursor(CursorOf(*control.Cursor()));
  return true;
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
