// Custom-drawn windows on the headless backend: the painted face against
// expected pixels, the mouse as a user drives it (capture, stacking order,
// child windows, activation and focus), numbered messages and data copied
// from another process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gui/CustomWindow.h"
#include "platform/gui/headless/HeadlessCustomWindow.h"
#include "platform/gui/tests/CanvasTestSupport.h"
#include "platform/gui/tests/GuiTestSupport.h"

namespace gui {
namespace {

using headless::Face;
using headless::PaintCount;
using headless::Pointer;
using testing::TestDib;

constexpr Color kRed = Rgb(255, 0, 0);
constexpr Color kBlue = Rgb(0, 0, 255);

// A small skinned window: a background picture, a "button" picture drawn
// over it, and a log of what the mouse did.
struct Skinned : CustomWindow {
  explicit Skinned(Rect at) {
    SetCaption("Skinned");
    SetWindowRect(at);
    OnPaint = [this](Canvas& canvas) {
      canvas.CopyImage(ClientRect(), background.dib());
      canvas.DrawImage(button, pressed ? pressedImage.dib() : buttonImage.dib());
    };
    OnMouseDown = [this](const MouseEvent& e) { Log("down", e); };
    OnMouseUp = [this](const MouseEvent& e) { Log("up", e); };
    OnMouseMove = [this](const MouseEvent& e) { Log("move", e); };
    OnDoubleClick = [this](const MouseEvent& e) { Log("dbl", e); };
    OnFocusLost = [this] { ++focusLost; };
    Create();
  }
  ~Skinned() override { Destroy(); }
  void Log(const char* what, const MouseEvent& e) {
    log.push_back(std::string(what) + " " + std::to_string(e.client.x) + "," + std::to_string(e.client.y));
  }

  TestDib background = TestDib::Gradient(30, 20, 24);
  TestDib buttonImage = TestDib::Gradient(8, 6, 32, 0x90);
  TestDib pressedImage = TestDib::Gradient(4, 3, 24, 0xC0);  // stretched into the button
  Rect button{4, 5, 8, 6};
  bool pressed = false;
  std::vector<std::string> log;
  int focusLost = 0;
};

class CustomWindowTest : public testing::HeadlessTest {};

TEST_F(CustomWindowTest, FaceIsPaintedFromPicturesPixelForPixel) {
  Skinned window(Rect{100, 50, 30, 20});
  window.Show();
  PixelCanvas expected(30, 20);
  expected.CopyImage(Rect{0, 0, 30, 20}, window.background.dib());
  expected.CopyImage(window.button, window.buttonImage.dib());
  EXPECT_EQ(Face(window).Pixels(), expected.Pixels());
  EXPECT_EQ(PaintCount(window), 1);

  // Redrawing one element on the face does not paint the window again.
  window.pressed = true;
  window.DrawNow([&](Canvas& canvas) { canvas.DrawImage(window.button, window.pressedImage.dib()); });
  expected.StretchImage(window.button, window.pressedImage.dib());
  EXPECT_EQ(Face(window).Pixels(), expected.Pixels());
  EXPECT_EQ(PaintCount(window), 1);

  // Moving and resizing paints again, at the new size.
  window.SetWindowRect(Rect{0, 0, 12, 10});
  EXPECT_EQ(Face(window).Width(), 12);
  EXPECT_EQ(PaintCount(window), 2);
  window.Invalidate();
  window.Invalidate();
  (void)Face(window);
  EXPECT_EQ(PaintCount(window), 3);
}

TEST_F(CustomWindowTest, DoubleBufferedPaintStartsBlackWhileDirectPaintKeepsTheFace) {
  Skinned window(Rect{0, 0, 30, 20});
  int paints = 0;
  window.OnPaint = [&](Canvas& canvas) {
    if (paints++ == 0) canvas.FillRect(Rect{0, 0, 30, 20}, kRed);
    canvas.FillRect(Rect{0, 0, 1, 1}, kBlue);
  };
  window.Show();
  EXPECT_EQ(Face(window).Pixel(5, 5), kRed);
  window.Invalidate();
  EXPECT_EQ(Face(window).Pixel(5, 5), 0u);
  EXPECT_EQ(Face(window).Pixel(0, 0), kBlue);

  paints = 0;
  window.SetDoubleBuffered(false);
  window.Invalidate();
  (void)Face(window);
  window.Invalidate();
  EXPECT_EQ(Face(window).Pixel(5, 5), kRed);
}

TEST_F(CustomWindowTest, CaptureSendsTheMouseToThePressedWindowUntilReleased) {
  Skinned window(Rect{100, 50, 30, 20});
  Skinned other(Rect{200, 50, 30, 20});
  window.Show();
  other.Show();
  window.OnMouseDown = [&](const MouseEvent& e) {
    window.Log("down", e);
    if (Contains(window.button, e.client)) window.CaptureMouse();
  };
  window.OnMouseUp = [&](const MouseEvent& e) {
    window.Log("up", e);
    window.ReleaseMouse();
  };
  Pointer mouse;
  // A press outside the button takes no capture: moves elsewhere are not
  // seen, and a move over the other window goes there.
  mouse.Press(Point{101, 51});
  mouse.MoveTo(Point{90, 40});
  mouse.MoveTo(Point{205, 55});
  mouse.Release(Point{205, 55});
  EXPECT_EQ(window.log, (std::vector<std::string>{"down 1,1"}));
  EXPECT_EQ(other.log, (std::vector<std::string>{"move 5,5", "up 5,5"}));

  window.log.clear();
  other.log.clear();
  mouse.Press(Point{106, 57});
  EXPECT_TRUE(window.HasMouseCapture());
  mouse.MoveTo(Point{205, 55});  // over the other window, still ours
  mouse.MoveTo(Point{90, 40});
  mouse.Release(Point{90, 40});
  EXPECT_EQ(window.log, (std::vector<std::string>{"down 6,7", "move 105,5", "move -10,-10", "up -10,-10"}));
  EXPECT_TRUE(other.log.empty());
  EXPECT_EQ(CustomWindow::MouseCaptureWindow(), nullptr);
  mouse.MoveTo(Point{205, 55});
  EXPECT_EQ(other.log.size(), 1u);
}

TEST_F(CustomWindowTest, TakingTheCaptureAwayTellsTheFormerHolder) {
  Skinned first(Rect{0, 0, 10, 10});
  Skinned second(Rect{20, 0, 10, 10});
  first.Show();
  second.Show();
  int lost = 0;
  first.OnCaptureLost = [&] { ++lost; };
  first.CaptureMouse();
  first.ReleaseMouse();
  EXPECT_EQ(lost, 0);  // released by its own hand
  first.CaptureMouse();
  second.CaptureMouse();
  EXPECT_EQ(lost, 1);
  EXPECT_TRUE(second.HasMouseCapture());
}

TEST_F(CustomWindowTest, StackingOrderTopmostHiddenAndChildWindows) {
  Skinned lower(Rect{0, 0, 50, 50});
  Skinned upper(Rect{20, 20, 50, 50});
  lower.Show();
  upper.Show();
  EXPECT_EQ(headless::WindowAt(Point{30, 30}), &upper);
  EXPECT_EQ(headless::WindowAt(Point{10, 10}), &lower);
  EXPECT_EQ(headless::WindowAt(Point{80, 80}), nullptr);
  lower.BringToFront();
  EXPECT_EQ(headless::WindowAt(Point{30, 30}), &lower);

  Skinned pinned(Rect{25, 25, 10, 10});
  pinned.Hide();
  pinned.DestroyNative();
  pinned.SetTopmost(true);
  pinned.Create();
  pinned.Show();
  upper.BringToFront();
  EXPECT_EQ(headless::WindowAt(Point{30, 30}), &pinned);
  pinned.Hide();
  EXPECT_EQ(headless::WindowAt(Point{30, 30}), &upper);

  // A drop-down child on the upper window: its client coordinates start at
  // its own corner, and the parent sees nothing of a press on it.
  CustomWindow dropDown(upper);
  dropDown.SetWindowRect(Rect{10, 10, 20, 8});
  std::vector<Point> presses;
  dropDown.OnMouseDown = [&](const MouseEvent& e) { presses.push_back(e.client); };
  dropDown.Create();
  dropDown.Show();
  EXPECT_EQ(dropDown.ClientToScreen(Point{0, 0}).x, 30);
  Pointer mouse;
  mouse.Click(Point{33, 32});
  ASSERT_EQ(presses.size(), 1u);
  EXPECT_EQ(presses[0].x, 3);
  EXPECT_EQ(presses[0].y, 2);
  EXPECT_TRUE(upper.log.empty());
  dropDown.Destroy();
}

TEST_F(CustomWindowTest, FocusFollowsActivationNotPressesInsideOneWindow) {
  Skinned main(Rect{0, 0, 50, 50});
  Skinned equalizer(Rect{100, 0, 50, 50});
  main.Show();
  EXPECT_TRUE(main.HasFocus());
  equalizer.ShowNoActivate();
  EXPECT_TRUE(main.HasFocus());

  // An opened drop-down takes the focus. Pressing its parent leaves the
  // focus where it is; pressing another window takes it away.
  CustomWindow dropDown(main);
  int dropDownLost = 0;
  dropDown.OnFocusLost = [&] { ++dropDownLost; };
  dropDown.SetWindowRect(Rect{0, 0, 10, 10});
  dropDown.Create();
  dropDown.Show();
  dropDown.TakeFocus();
  EXPECT_EQ(main.focusLost, 1);
  Pointer mouse;
  mouse.Click(Point{30, 30});
  EXPECT_EQ(dropDownLost, 0);
  mouse.Click(Point{110, 10});
  EXPECT_EQ(dropDownLost, 1);
  EXPECT_TRUE(equalizer.HasFocus());
  dropDown.Destroy();

  // Hiding or minimising the focused window takes its focus away.
  equalizer.Minimize();
  EXPECT_TRUE(equalizer.Minimized());
  EXPECT_EQ(CustomWindow::FocusWindow(), nullptr);
  EXPECT_EQ(headless::WindowAt(Point{110, 10}), nullptr);
}

TEST_F(CustomWindowTest, DoubleClickArrivesAsTheWindowSystemSendsIt) {
  Skinned window(Rect{0, 0, 30, 20});
  window.Show();
  std::vector<int> keys;
  window.OnMouseMove = [&](const MouseEvent& e) { keys.push_back(e.keys); };
  Pointer mouse;
  mouse.DoubleClick(Point{3, 4});
  EXPECT_EQ(window.log, (std::vector<std::string>{"down 3,4", "up 3,4", "dbl 3,4", "up 3,4"}));
  mouse.Press(Point{3, 4}, MouseButton::kLeft, mouse_keys::kShift);
  mouse.MoveTo(Point{4, 4}, mouse_keys::kShift);
  mouse.Release(Point{4, 4});
  mouse.MoveTo(Point{5, 4});
  EXPECT_EQ(keys, (std::vector<int>{mouse_keys::kShift | mouse_keys::kLeftButton, 0}));

  // A disabled window hears nothing.
  window.log.clear();
  window.SetEnabled(false);
  mouse.Click(Point{3, 4});
  EXPECT_TRUE(window.log.empty());
}

TEST_F(CustomWindowTest, NumberedMessagesAndCopiedDataReachTheWindow) {
  Skinned window(Rect{0, 0, 30, 20});
  constexpr std::uint32_t kCommand = 0x0111;
  std::vector<std::uintptr_t> commands;
  window.SetMessageHandler(kCommand, [&](std::uintptr_t wParam, std::intptr_t) {
    commands.push_back(wParam);
    return 0;
  });
  app().Post(window, kCommand, 101);
  EXPECT_TRUE(commands.empty());  // posted: runs from the loop
  backend().Advance(0);
  EXPECT_EQ(commands, (std::vector<std::uintptr_t>{101}));

  std::vector<std::uint8_t> received;
  window.OnCopyData = [&](std::uintptr_t id, const std::vector<std::uint8_t>& bytes) -> std::intptr_t {
    received = bytes;
    return static_cast<std::intptr_t>(id + 1);
  };
  std::vector<std::uint8_t> sent = {'a', ':', '\\', 0};
  EXPECT_EQ(window.UserCopyData(150, sent), 151);
  sent[0] = 'b';
  EXPECT_EQ(received[0], 'a');
  EXPECT_EQ(window.UserCopyData(1, std::vector<std::uint8_t>(Form::kMaxCopyData + 1)), 0);
  EXPECT_EQ(received.size(), 4u);
}

TEST_F(CustomWindowTest, ScreenAndWorkArea) {
  EXPECT_EQ(ScreenRect(), (Rect{0, 0, 1024, 768}));
  EXPECT_EQ(DesktopWorkArea(), (Rect{0, 0, 1024, 738}));
  backend().SetScreen(Rect{0, 0, 800, 600}, Rect{0, 20, 800, 580});
  EXPECT_EQ(DesktopWorkArea().top, 20);
}

}  // namespace
}  // namespace gui
