// Custom-drawn windows and the GDI canvas under Wine: pictures drawn by GDI
// are the pixels the headless canvas draws, and real window messages
// (mouse, capture, copied data, numbered messages, paint) reach the
// window's events.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gui/Application.h"
#include "platform/gui/CustomWindow.h"
#include "platform/gui/PixelCanvas.h"
#include "platform/gui/tests/CanvasTestSupport.h"
#include "platform/gui/tests/Win32TestSupport.h"
#include "platform/gui/win32/GdiCanvas.h"
#include "platform/gui/win32/Win32Backend.h"

namespace gui {
namespace {

using testing::TestDib;

// A 32-bit top-down memory surface whose pixels the test reads.
class MemorySurface {
 public:
  MemorySurface(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~MemorySurface() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  Color Pixel(int x, int y) const {
    GdiFlush();
    const std::uint32_t v = bits_[y * width_ + x];
    return Rgb((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
  std::uint32_t* bits_ = nullptr;
};

// The same drawing on both canvases.
void Scene(Canvas& canvas) {
  static const TestDib face = TestDib::Gradient(23, 13, 24);
  static const TestDib button = TestDib::Gradient(7, 5, 32, 0x99);
  canvas.FillRect(Rect{0, 0, 64, 48}, Rgb(10, 20, 30));
  canvas.CopyImage(Rect{0, 0, 23, 13}, face.dib());
  canvas.CopyImage(Rect{30, 0, 30, 20}, button.dib());  // larger than the picture
  canvas.CopyImage(Rect{25, 20, 4, 3}, face.dib());     // smaller
  canvas.CopyImage(Rect{-3, 40, 23, 13}, face.dib());   // partly off the surface
  canvas.DrawImage(Rect{0, 14, 14, 10}, button.dib());  // doubled
  canvas.DrawImage(Rect{15, 14, 8, 5}, button.dib());   // one pixel wider
  canvas.DrawImage(Rect{40, 22, 11, 7}, face.dib());    // shrunk
  canvas.DrawImage(Rect{52, 22, 12, 25}, button.dib()); // odd factors
  canvas.PushClip(Rect{30, 30, 8, 8});
  canvas.PushClip(Rect{33, 0, 20, 35});
  canvas.DrawImage(Rect{28, 28, 14, 10}, button.dib());
  canvas.PopClip();
  canvas.FillRect(Rect{28, 36, 4, 4}, Rgb(200, 0, 100));
  canvas.PopClip();
  canvas.Buffered(Rect{20, 40, 10, 8}, [](Canvas& buffer) {
    buffer.FillRect(Rect{1, 1, 3, 3}, Rgb(1, 255, 1));
    buffer.CopyImage(Rect{5, 0, 7, 5}, button.dib());
  });
}

TEST(GdiCanvas, PicturesFillsClipsAndBuffersMatchThePixelCanvas) {
  MemorySurface surface(64, 48);
  {
    win32::GdiCanvas gdi(surface.dc(), 64, 48);
    Scene(gdi);
  }
  PixelCanvas expected(64, 48);
  Scene(expected);
  int mismatches = 0;
  std::string first;
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      if (surface.Pixel(x, y) != expected.Pixel(x, y)) {
        if (mismatches++ == 0) {
          first = std::to_string(x) + "," + std::to_string(y) + ": gdi " + std::to_string(surface.Pixel(x, y)) +
                  " headless " + std::to_string(expected.Pixel(x, y));
        }
      }
    }
  }
  EXPECT_EQ(mismatches, 0) << "first at " << first;
}

TEST(GdiCanvas, StretchPicksTheSamePixelsAsThePixelCanvasAtEverySize) {
  MemorySurface surface(40, 40);
  win32::GdiCanvas gdi(surface.dc(), 40, 40);
  int failures = 0;
  for (int m = 1; m <= 24; ++m) {
    const TestDib image = TestDib::Gradient(m, m, 24);
    for (int n = 1; n <= 40 && failures < 5; ++n) {
      if (n == m) continue;
      const Rect dest{0, 0, n, 40 - n / 2};  // a different factor on each axis
      gdi.StretchImage(dest, image.dib());
      PixelCanvas expected(40, 40);
      expected.StretchImage(dest, image.dib());
      for (int y = 0; y < dest.height; ++y) {
        for (int x = 0; x < n; ++x) {
          if (surface.Pixel(x, y) != expected.Pixel(x, y)) {
            ADD_FAILURE() << m << " to " << n << "x" << dest.height << " differs at " << x << "," << y;
            ++failures;
            y = dest.height;
            break;
          }
        }
      }
    }
  }
}

TEST(GdiCanvas, TextStaysInItsBoxInTheNamedFont) {
  MemorySurface surface(80, 30);
  win32::GdiCanvas gdi(surface.dc(), 80, 30);
  gdi.FillRect(Rect{0, 0, 80, 30}, Rgb(0, 0, 0));
  const FontSpec font{"굴림", -12, 0};
  gdi.SetFont(&font);
  gdi.SetTextColor(Rgb(255, 255, 255));
  gdi.SetBackgroundMode(BackgroundMode::kTransparent);
  gdi.DrawText(Rect{10, 5, 30, 14}, "가나 & 88888");
  int inside = 0, outside = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 80; ++x) {
      const bool lit = surface.Pixel(x, y) != 0;
      const bool inBox = x >= 10 && x < 40 && y >= 5 && y < 19;
      (inBox ? inside : outside) += lit ? 1 : 0;
    }
  }
  EXPECT_GT(inside, 20);
  EXPECT_EQ(outside, 0);
  EXPECT_NE(win32::FontFor(font), nullptr);
  EXPECT_EQ(win32::FontFor(font), win32::FontFor(FontSpec{"굴림", -12, 0}));
}

class Win32CustomWindowTest : public ::testing::Test {
 protected:
  Win32CustomWindowTest() : app_(win32::CreateWin32Backend(nullptr)) { app_.SetTitle("Test"); }
  Application app_;
};

struct Face : CustomWindow {
  Face() {
    SetCaption("Qortan Test Face");
    SetWindowRect(Rect{120, 80, 275, 116});
    OnPaint = [this](Canvas& canvas) {
      ++paints;
      canvas.FillRect(ClientRect(), Rgb(0, 0, 128));
    };
    OnMouseDown = [this](const MouseEvent& e) {
      downs.push_back(e);
      CaptureMouse();
    };
    OnMouseUp = [this](const MouseEvent& e) {
      ups.push_back(e);
      ReleaseMouse();
    };
  }
  ~Face() override { Destroy(); }
  int paints = 0;
  std::vector<MouseEvent> downs, ups;
};

HWND H(const Control& c) { return static_cast<HWND>(win32::HandleOf(c)); }

TEST_F(Win32CustomWindowTest, ACaptionlessWindowWithItsCaptionText) {
  Face face;
  face.Create();
  face.Show();
  HWND hwnd = H(face);
  ASSERT_NE(hwnd, nullptr);
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, 0);
  EXPECT_EQ(style & WS_THICKFRAME, 0);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_EQ(FindWindowW(nullptr, L"Qortan Test Face"), hwnd);
  RECT r{};
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, 120);
  EXPECT_EQ(r.right - r.left, 275);
  RECT client{};
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.bottom, 116);  // no frame: the client is the window

  face.SetWindowRect(Rect{10, 20, 100, 50});
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.bottom - r.top, 50);

  const int before = face.paints;
  face.Invalidate();
  UpdateWindow(hwnd);
  EXPECT_GT(face.paints, before);
  EXPECT_EQ(ScreenRect().width, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_GT(DesktopWorkArea().height, 0);
}

TEST_F(Win32CustomWindowTest, OwnedTopmostAndShownWithoutActivation) {
  Face main;
  main.Create();
  main.Show();
  Face equalizer;
  equalizer.SetCaption("Equalizer");
  equalizer.SetOwner(&main);
  equalizer.SetTopmost(true);
  equalizer.Create();
  equalizer.ShowNoActivate();
  HWND hwnd = H(equalizer);
  EXPECT_EQ(GetWindow(hwnd, GW_OWNER), H(main));
  EXPECT_TRUE(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_NE(GetActiveWindow(), hwnd);

  // A child window on the main window's face.
  CustomWindow dropDown(main);
  dropDown.SetWindowRect(Rect{5, 6, 30, 40});
  dropDown.Create();
  dropDown.Show();
  EXPECT_EQ(GetParent(H(dropDown)), H(main));
  EXPECT_TRUE(GetWindowLongW(H(dropDown), GWL_STYLE) & WS_CHILD);
  dropDown.Destroy();
}

TEST_F(Win32CustomWindowTest, RealMouseMessagesCaptureAndRelease) {
  Face face;
  face.Create();
  face.Show();
  HWND hwnd = H(face);
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(12, 34));
  ASSERT_EQ(face.downs.size(), 1u);
  EXPECT_EQ(face.downs[0].client.x, 12);
  EXPECT_EQ(face.downs[0].client.y, 34);
  EXPECT_EQ(face.downs[0].screen.x, 120 + 12);
  EXPECT_EQ(face.downs[0].keys, mouse_keys::kLeftButton | mouse_keys::kShift);
  EXPECT_EQ(GetCapture(), hwnd);
  // Outside the window while captured: negative client coordinates.
  SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(static_cast<WORD>(-5), static_cast<WORD>(-7)));
  ASSERT_EQ(face.ups.size(), 1u);
  EXPECT_EQ(face.ups[0].client.x, -5);
  EXPECT_EQ(face.ups[0].client.y, -7);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(face.HasMouseCapture());

  int lost = 0;
  face.OnCaptureLost = [&] { ++lost; };
  face.CaptureMouse();
  ReleaseCapture();  // the system takes it away
  EXPECT_EQ(lost, 1);
  EXPECT_EQ(CustomWindow::MouseCaptureWindow(), nullptr);
}

TEST_F(Win32CustomWindowTest, CopiedDataAndNumberedMessages) {
  Face face;
  face.Create();
  std::vector<std::uint8_t> received;
  std::uintptr_t receivedId = 0;
  face.OnCopyData = [&](std::uintptr_t id, const std::vector<std::uint8_t>& bytes) -> std::intptr_t {
    receivedId = id;
    received = bytes;
    return 1;
  };
  std::string path = "C:\\Music\\a.mp3";
  COPYDATASTRUCT data{150, static_cast<DWORD>(path.size()), path.data()};
  EXPECT_EQ(SendMessageW(H(face), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), 1);
  EXPECT_EQ(receivedId, 150u);
  EXPECT_EQ(std::string(received.begin(), received.end()), path);

  std::vector<std::uintptr_t> commands;
  face.SetMessageHandler(WM_COMMAND, [&](std::uintptr_t wParam, std::intptr_t) {
    commands.push_back(wParam);
    return 0;
  });
  app_.Post(face, WM_COMMAND, 102);
  app_.ProcessMessages();
  EXPECT_EQ(commands, (std::vector<std::uintptr_t>{102}));

  std::vector<std::string> dropped;
  face.OnDropFiles = [&](const std::vector<std::string>& paths, Point) { dropped = paths; };
  face.SetAcceptFiles(true);
  face.ShowNoActivate();
  EXPECT_TRUE(GetWindowLongW(H(face), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  SendMessageW(H(face), WM_DROPFILES, reinterpret_cast<WPARAM>(testing::DropBlock({L"C:\\음악\\a.mp3", L"C:\\b.mp3"}, {5, 5})), 0);
  EXPECT_EQ(dropped, (std::vector<std::string>{"C:\\음악\\a.mp3", "C:\\b.mp3"}));

  bool closed = false;
  face.SetMessageHandler(WM_CLOSE, [&](std::uintptr_t, std::intptr_t) {
    closed = true;
    return 0;
  });
  PostMessageW(H(face), WM_CLOSE, 0, 0);
  app_.ProcessMessages();
  EXPECT_TRUE(closed);
}

}  // namespace
}  // namespace gui
