// The designed look on the Win32 backend under Wine: a form's colour and
// background picture painted by its real erase message pixel for pixel,
// transparent labels over it, labels in a font of their own, a frameless
// form that moves by its surface and stays in the task bar, pointers per
// control from a file and from the program's resources, and pictures from
// its RCDATA resources.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/gui/Application.h"
#include "platform/gui/Cursor.h"
#include "platform/gui/Form.h"
#include "platform/gui/Image.h"
#include "platform/gui/Label.h"
#include "platform/gui/Picture.h"
#include "platform/gui/win32/Win32Backend.h"
#include "platform/gui/win32/Win32Peer.h"

namespace gui {
namespace {

HWND H(const Control& control) { return static_cast<HWND>(win32::HandleOf(control)); }

class Win32FormLookTest : public ::testing::Test {
 protected:
  Win32FormLookTest() : app_(win32::CreateWin32Backend(nullptr)) { app_.SetTitle("Test"); }
  Application app_;
};

std::shared_ptr<const Bitmap> Gradient(int width, int height) {
  auto bitmap = std::make_shared<Bitmap>(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) bitmap->SetPixel(x, y, Rgb(x * 7, y * 11, 99));
  }
  return bitmap;
}

// A 32-bit memory surface a window paints on through its messages.
struct Surface {
  Surface(int width, int height) : w(width), h(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    old = SelectObject(dc, bitmap);
    for (int i = 0; i < width * height; ++i) bits[i] = 0x00123456;
  }
  ~Surface() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  Color Pixel(int x, int y) const {
    GdiFlush();
    const std::uint32_t p = bits[y * w + x];
    return Rgb((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  int w, h;
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
  std::uint32_t* bits = nullptr;
};

struct DesignedForm : Form {
  DesignedForm() {
    SetCaption("Look Test");
    SetClientSize(60, 40);
    SetColor(Rgb(255, 255, 255));
    SetBackground(Gradient(40, 30));
    title.SetBounds(5, 5, 50, 16);
    title.SetCaption("TrackTime : ");
    title.SetFont("Arial", 12);
    title.SetTransparent(true);
    plain.SetBounds(5, 24, 50, 14);
    plain.SetCaption("전송");
  }
  ~DesignedForm() override { Destroy(); }
  Label title{this};
  Label plain{this};
};

TEST_F(Win32FormLookTest, TheEraseMessagePaintsColourAndPictureAndLabelsShowThemThrough) {
  if (win32::dpi != 96) GTEST_SKIP() << "pixel checks at 96 dots per inch";
  DesignedForm form;
  form.Create();
  const auto background = form.Background();
  {
    Surface surface(60, 40);
    EXPECT_EQ(SendMessageW(H(form), WM_ERASEBKGND, reinterpret_cast<WPARAM>(surface.dc), 0), 1);
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 60; ++x) {
        const Color want = x < 40 && y < 30 ? background->Pixel(x, y) : Rgb(255, 255, 255);
        ASSERT_EQ(surface.Pixel(x, y), want) << x << "," << y;
      }
    }
  }
  // The transparent label: a hollow brush and transparent text, its own
  // erase painting the form's surface at its place.
  {
    Surface surface(50, 16);
    const LRESULT brush = SendMessageW(H(form), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(surface.dc),
                                       reinterpret_cast<LPARAM>(H(form.title)));
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(brush), GetStockObject(NULL_BRUSH));
    EXPECT_EQ(GetBkMode(surface.dc), TRANSPARENT);
    EXPECT_EQ(SendMessageW(H(form.title), WM_ERASEBKGND, reinterpret_cast<WPARAM>(surface.dc), 0), 1);
    EXPECT_EQ(surface.Pixel(0, 0), background->Pixel(5, 5));
    EXPECT_EQ(surface.Pixel(34, 15), background->Pixel(39, 20));
    EXPECT_EQ(surface.Pixel(35, 15), Rgb(255, 255, 255));  // past the picture
  }
  // The opaque label takes the form's colour.
  {
    Surface surface(4, 4);
    const LRESULT brush = SendMessageW(H(form), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(surface.dc),
                                       reinterpret_cast<LPARAM>(H(form.plain)));
    LOGBRUSH info{};
    ASSERT_NE(GetObjectW(reinterpret_cast<HGDIOBJ>(brush), sizeof info, &info), 0);
    EXPECT_EQ(info.lbColor, RGB(255, 255, 255));
  }
  // The label's own font; the other keeps the form's.
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(H(form.title), WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_STREQ(font.lfFaceName, L"Arial");
  EXPECT_EQ(font.lfHeight, -16);
  form.title.SetFont("", 9);
  EXPECT_EQ(SendMessageW(H(form.title), WM_GETFONT, 0, 0), SendMessageW(H(form.plain), WM_GETFONT, 0, 0));

  // A form without a designed look leaves the colours to the system.
  Form standard;
  standard.SetClientSize(20, 20);
  Label label(&standard);
  label.SetBounds(0, 0, 20, 10);
  standard.Create();
  Surface surface(20, 20);
  const LRESULT brush = SendMessageW(H(standard), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(surface.dc),
                                     reinterpret_cast<LPARAM>(H(label)));
  LOGBRUSH info{};
  ASSERT_NE(GetObjectW(reinterpret_cast<HGDIOBJ>(brush), sizeof info, &info), 0);
  EXPECT_EQ(info.lbColor, GetSysColor(COLOR_BTNFACE));
}

TEST_F(Win32FormLookTest, FramelessFormHasNoCaptionMovesByItsSurfaceAndMinimisesFromCode) {
  Form form;
  form.SetCaption("Frameless Test");
  form.SetFrameless(true);
  form.SetBounds(100, 100, 120, 80);
  Image close(&form);
  close.SetBounds(100, 0, 20, 20);
  form.Show();
  HWND hwnd = H(form);
  const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, 0);
  EXPECT_EQ(style & WS_THICKFRAME, 0);
  EXPECT_NE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);  // in the task bar
  RECT window{}, client{};
  GetWindowRect(hwnd, &window);
  GetClientRect(hwnd, &client);
  EXPECT_EQ(window.right - window.left, client.right);  // no border
  POINT inside{win32::S(10), win32::S(60)};
  ClientToScreen(hwnd, &inside);
  EXPECT_EQ(SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(inside.x, inside.y)), HTCAPTION);
  POINT onClose{win32::S(110), win32::S(10)};
  EXPECT_EQ(ChildWindowFromPoint(hwnd, onClose), H(close));

  // Where the user drags it, Left and Top follow.
  int moves = 0;
  form.OnMove = [&] { ++moves; };
  SetWindowPos(hwnd, nullptr, win32::S(150), win32::S(130), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(form.Left(), 150);
  EXPECT_EQ(form.Top(), 130);
  EXPECT_EQ(moves, 1);

  form.Minimize();
  EXPECT_TRUE(IsIconic(hwnd));
  form.BringToFront();
  EXPECT_FALSE(IsIconic(hwnd));
}

TEST_F(Win32FormLookTest, PointersPerControlFromAFileAndFromResources) {
  auto hand = LoadPointer(common::PathFromUtf8(std::string(PICTURE_DIR) + "/hand.cur"));
  ASSERT_TRUE(hand) << hand.error().message;
  Form form;
  form.SetClientSize(100, 100);
  Image command(&form);
  command.SetBounds(10, 10, 20, 20);
  command.SetCursor(*hand);
  Image plain(&form);
  plain.SetBounds(40, 10, 20, 20);
  form.SetCursor(PointerResource("TESTPOINTER"));
  form.Create();

  const HCURSOR arrow = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  auto over = [](HWND hwnd) {
    return SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  };
  SetCursor(arrow);
  EXPECT_EQ(over(H(command)), TRUE);
  const HCURSOR fromFile = GetCursor();
  EXPECT_NE(fromFile, arrow);
  EXPECT_EQ(fromFile, win32::CursorOf(**hand));
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(fromFile, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 3u);
  EXPECT_EQ(info.yHotspot, 5u);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);

  // The form's own pointer over its surface, from the CURSOR resource.
  SetCursor(arrow);
  EXPECT_EQ(over(H(form)), TRUE);
  EXPECT_NE(GetCursor(), arrow);
  EXPECT_EQ(GetCursor(), LoadCursorW(GetModuleHandleW(nullptr), L"TESTPOINTER"));
  // Not passed on: the other picture shows the standard pointer.
  SetCursor(nullptr);
  over(H(plain));
  EXPECT_NE(GetCursor(), win32::CursorOf(**hand));
  EXPECT_NE(GetCursor(), LoadCursorW(GetModuleHandleW(nullptr), L"TESTPOINTER"));
  // A missing resource shows the arrow.
  EXPECT_EQ(win32::CursorOf(*PointerResource("NO_SUCH_POINTER")), arrow);
}

TEST_F(Win32FormLookTest, PicturesFromTheProgramsResources) {
  auto picture = LoadPictureResource("TESTPICTURE");
  ASSERT_TRUE(picture) << picture.error().message;
  EXPECT_EQ(picture->Width(), 3);
  EXPECT_EQ(picture->Pixel(2, 0), Rgb(0, 0, 255));
  auto jpeg = LoadPictureResource("TESTJPEG");
  ASSERT_TRUE(jpeg) << jpeg.error().message;
  EXPECT_EQ(jpeg->Width(), 32);
  EXPECT_FALSE(LoadPictureResource("NO_SUCH_PICTURE"));
}

}  // namespace
}  // namespace gui
