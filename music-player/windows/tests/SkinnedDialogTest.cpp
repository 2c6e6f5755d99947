// The skinned window base on the headless backend: painting, the mouse and
// its capture, the resizable frame at several sizes, drop-downs, and the
// docking and snapping of the main window's secondary windows.
#include <gtest/gtest.h>

#include "music-player/windows/tests/WindowsTestSupport.h"

namespace vantu::testing {
namespace {

using gui::headless::Face;
using gui::headless::Pointer;

class SkinnedDialogTest : public WindowsTest {};

TEST_F(SkinnedDialogTest, PaintsTheFrameButNotItsHiddenElements) {
  TestMain main(settings(), skin(), {200, 100, 300, 140});
  const auto& face = Face(main);
  EXPECT_EQ(face.Pixel(50, 35), kMainBack);
  EXPECT_EQ(face.Pixel(50, 5), kHandle);
  EXPECT_EQ(face.Pixel(10, 15), kButton);
  EXPECT_EQ(face.Pixel(29, 29), kButton);
  EXPECT_EQ(face.Pixel(45, 20), kMainBack) << "hidden element 102 painted";
  EXPECT_EQ(face.Pixel(65, 20), kButton);  // 104 lies over 108 and is drawn
}

TEST_F(SkinnedDialogTest, PressOutsideEveryElementCapturesNothing) {
  TestMain main(settings(), skin(), {200, 100, 300, 140});
  Pointer mouse;
  mouse.Press({250, 135});  // background only
  EXPECT_EQ(main.CaptureElement(), nullptr);
  EXPECT_FALSE(main.HasMouseCapture());
  mouse.MoveTo({220, 120});  // over button 101
  mouse.Release({220, 120});
  Pump();
  EXPECT_TRUE(main.commands.empty());
  EXPECT_EQ(FindElement(main.Elements(), 101)->state, 0);
}

TEST_F(SkinnedDialogTest, PressedElementHoldsTheMouseUntilTheRelease) {
  TestMain main(settings(), skin(), {200, 100, 300, 140});
  CSkinElement* button = FindElement(main.Elements(), 101);
  Pointer mouse;
  mouse.Press({215, 120});
  EXPECT_EQ(main.CaptureElement(), button);
  EXPECT_TRUE(main.HasMouseCapture());
  EXPECT_EQ(Face(main).Pixel(15, 20), kButtonPressed);
  mouse.MoveTo({500, 500});  // far outside the window: still ours
  EXPECT_EQ(button->state, 0);
  EXPECT_EQ(Face(main).Pixel(15, 20), kButton);
  mouse.MoveTo({216, 121});
  EXPECT_EQ(button->state, 1);
  mouse.Release({216, 121});
  EXPECT_FALSE(main.HasMouseCapture());
  EXPECT_EQ(main.CaptureElement(), nullptr);
  EXPECT_TRUE(main.commands.empty()) << "the command is posted, not run inside the release";
  Pump();
  ASSERT_EQ(main.commands.size(), 1u);
  EXPECT_EQ(main.commands[0], (std::pair<std::uint32_t, std::intptr_t>{101, 0}));

  // Released outside: nothing fires, the normal picture shows.
  mouse.Press({215, 120});
  mouse.Release({215, 131});
  Pump();
  EXPECT_EQ(main.commands.size(), 1u);
  EXPECT_EQ(Face(main).Pixel(15, 20), kButton);
}

TEST_F(SkinnedDialogTest, ElementIgnoringTheMouseLetsThePressThrough) {
  TestMain main(settings(), skin(), {200, 100, 300, 140});
  settings()[SettingsWord::kRepeat] = 0;
  Pointer mouse;
  mouse.Click({265, 120});  // 104 (ignores the mouse) over toggle 108
  Pump();
  EXPECT_EQ(settings()[SettingsWord::kRepeat], 1);
  EXPECT_TRUE(main.commands.empty());
}

TEST_F(SkinnedDialogTest, LostCaptureEndsThePressWithoutFiring) {
  TestMain main(settings(), skin(), {200, 100, 300, 140});
  Pointer mouse;
  mouse.Press({215, 120});
  main.UserCaptureLost();
  EXPECT_EQ(main.CaptureElement(), nullptr);
  EXPECT_EQ(FindElement(main.Elements(), 101)->state, 0);
  mouse.Release({215, 120});
  Pump();
  EXPECT_TRUE(main.commands.empty());
}

// The eleven pieces of a resizable frame, checked pixel by pixel.
void ExpectFrameLayout(CSizableSkinnedDialog& window, int W, int H) {
  SCOPED_TRACE("size " + std::to_string(W) + "x" + std::to_string(H));
  const auto& face = Face(window);
  ASSERT_EQ(face.Width(), W);
  const int half = (W - 6 - 10 - 6 - 1) / 2;
  const int r2001 = 6 + half + 1, r2102 = r2001 + 10;
  struct Check {
    int x, y, piece;
  };
  const Check checks[] = {
      {0, 0, 2101},          {5, 9, 2101},          {6, 0, 2001},         {r2001 - 1, 9, 2001},
      {r2001, 0, 2102},      {r2102 - 1, 9, 2102},  {r2102, 0, 2002},     {W - 7, 9, 2002},
      {W - 6, 0, 2103},      {W - 1, 9, 2103},      {0, 10, 2003},        {3, H - 9, 2003},
      {W - 5, 10, 2004},     {W - 1, H - 9, 2004},  {0, H - 8, 2104},     {5, H - 1, 2104},
      {6, H - 8, 2005},      {W - 8, H - 1, 2005},  {4, 10, 2006},        {W - 6, H - 9, 2006},
  };
  for (const auto& c : checks) {
    EXPECT_EQ(face.Pixel(c.x, c.y), kPieceColor(c.piece)) << "piece " << c.piece << " at " << c.x << "," << c.y;
  }
  // Anchored: the close button to the top-right corner, the grip over the
  // bottom-right corner.
  EXPECT_EQ(face.Pixel(W - 5, 1), kButton);
  EXPECT_EQ(face.Pixel(W - 2, 4), kButton);
  EXPECT_EQ(face.Pixel(W - 7, H - 8), kHandle);
  EXPECT_EQ(face.Pixel(W - 1, H - 1), kHandle);
}

TEST_F(SkinnedDialogTest, ResizableFrameIsLaidOutForEverySize) {
  CSizableSkinnedDialog window(settings());
  window.SetElements(skin().Frame(6));
  window.Create();
  window.SetPlace({100, 100, 160, 140});
  window.Show();
  ExpectFrameLayout(window, 60, 40);
  window.SetPlace({100, 100, 197, 153});
  ExpectFrameLayout(window, 97, 53);
  window.SetPlace({100, 100, 420, 340});
  ExpectFrameLayout(window, 320, 240);
  window.Destroy();
}

TEST_F(SkinnedDialogTest, ResizeGripNeverGoesBelowTheBackgroundSize) {
  TestMain main(settings(), skin(), {200, 100, 300, 140});
  settings().SetRect(SettingsRect::kPlaylistWindow, {300, 300, 400, 360});
  main.OpenWindow(1);
  auto& playlist = *main.Window(1);
  Pointer mouse;
  mouse.Drag({397, 357}, {447, 377});
  EXPECT_EQ(playlist.ScreenRect(), (SkinRect{300, 300, 450, 380}));
  ExpectFrameLayout(static_cast<CSizableSkinnedDialog&>(playlist), 150, 80);
  mouse.Drag({447, 377}, {320, 310});
  EXPECT_EQ(playlist.ScreenRect(), (SkinRect{300, 300, 360, 340})) << "60 x 40 is the least";
}

TEST_F(SkinnedDialogTest, DropDownClosesAndGoesAfterItsOwnMessage) {
  TestMain main(settings(), skin(), {200, 100, 300, 140});
  auto* menu = FindElementAs<CSkinIconMenuButton>(main.Elements(), 1601);
  ASSERT_NE(menu, nullptr);
  Pointer mouse;
  mouse.Click({280, 120});
  ASSERT_NE(main.DropDown(), nullptr);
  ASSERT_NE(menu->dropDown(), nullptr);
  // The drop-down stacks its two cells upwards from the button: 72-4, 15-15+2.
  const SkinRect r = main.DropDown()->rect;
  EXPECT_EQ(r, (SkinRect{68, 2, 90, 32}));
  // The last item is highlighted at first; the pointer over the first
  // cell highlights it, a press chooses it: the action goes to the main
  // window, the drop-down closes inside its own press handling.
  EXPECT_EQ(main.DropDown()->highlighted, 1);
  mouse.MoveTo({200 + 75, 100 + 5});
  EXPECT_EQ(main.DropDown()->highlighted, 0);
  mouse.Click({200 + 75, 100 + 5});
  EXPECT_EQ(main.DropDown(), nullptr);
  EXPECT_EQ(menu->dropDown(), nullptr);
  Pump();
  ASSERT_EQ(main.commands.size(), 1u);
  EXPECT_EQ(main.commands[0].first, 603u);

  // A press anywhere on the window closes an open drop-down.
  mouse.Click({280, 120});
  ASSERT_NE(main.DropDown(), nullptr);
  mouse.Click({250, 135});
  EXPECT_EQ(main.DropDown(), nullptr);
  Pump();

  // The window closing with its drop-down open.
  mouse.Click({280, 120});
  ASSERT_NE(main.DropDown(), nullptr);
  main.HandleClose();
  EXPECT_EQ(menu->dropDown(), nullptr);
  Pump();
}

// --- Docking ---

class DockingTest : public WindowsTest {
 protected:
  void Place(SettingsRect which, const SkinRect& r) { settings().SetRect(which, ToSettings(r)); }
};

TEST_F(DockingTest, AVariantTheSkinLacksOpensWithVariantZerosFrame) {
  TestMain main(settings(), skin(), {200, 100, 300, 140});
  settings()[SettingsWord::kWindowStyle] = 2;
  for (int row : {0, 1}) {
    main.OpenWindow(row);
    ASSERT_NE(main.Window(row), nullptr);
    EXPECT_EQ(main.Window(row)->FrameIndex(), 3 * (row + 1)) << row;
    EXPECT_EQ(main.Window(row)->Elements(), skin().Frame(3 * (row + 1)));
    EXPECT_GT(main.Window(row)->ScreenRect().Height(), 0);
  }
}

TEST_F(DockingTest, DockedChainOfThreeFollowsTheMainWindow) {
  TestMain main(settings(), skin(), {200, 100, 300, 140});
  // Playlist under the main window, equalizer under the playlist, browser
  // touching only the equalizer: three links.
  Place(SettingsRect::kPlaylistWindow, {200, 140, 300, 200});
  Place(SettingsRect::kEqualizerWindow, {200, 200, 300, 230});
  Place(SettingsRect::kBrowserWindow, {300, 230, 400, 280});
  for (int row : {0, 1, 2}) main.OpenWindow(row);
  ASSERT_EQ(main.Window(0)->ScreenRect(), (SkinRect{200, 200, 300, 230}));

  Pointer mouse;
  mouse.Drag({250, 105}, {290, 125});
  for (int row : {0, 1, 2}) EXPECT_TRUE(main.Docked(row)) << row;
  EXPECT_EQ(main.ScreenRect(), (SkinRect{240, 120, 340, 160}));
  EXPECT_EQ(main.Window(1)->ScreenRect(), (SkinRect{240, 160, 340, 220}));
  EXPECT_EQ(main.Window(0)->ScreenRect(), (SkinRect{240, 220, 340, 250}));
  EXPECT_EQ(main.Window(2)->ScreenRect(), (SkinRect{340, 250, 440, 300}));
  EXPECT_EQ(settings().GetRect(SettingsRect::kBrowserWindow), (Rect32{340, 250, 440, 300}));
  EXPECT_EQ(settings().GetRect(SettingsRect::kMainWindow), (Rect32{230, 115, 330, 155}))
      << "the main window's place before the last drag step";
}

TEST_F(DockingTest, WindowsNotTouchingStayAndTheMainWindowSnapsToThem) {
  TestMain main(settings(), skin(), {200, 100, 300, 140});
  Place(SettingsRect::kEqualizerWindow, {500, 100, 600, 130});
  main.OpenWindow(0);
  Pointer mouse;
  // Moved to 6 pixels left of the equalizer: the main window snaps onto it.
  mouse.Drag({250, 105}, {444, 125});
  EXPECT_FALSE(main.Docked(0));
  EXPECT_EQ(main.Window(0)->ScreenRect(), (SkinRect{500, 100, 600, 130}));
  EXPECT_EQ(main.ScreenRect().right, 500);
  EXPECT_EQ(main.ScreenRect().top, 120) << "tops 20 apart: too far to align";
}

TEST_F(DockingTest, MainWindowSnapsToTheScreenEdgeFromNinePixels) {
  TestMain main(settings(), skin(), {200, 300, 300, 340});
  Pointer mouse;
  mouse.Drag({250, 305}, {59, 305});  // left edge at 9
  EXPECT_EQ(main.ScreenRect().left, 0);
  mouse.Drag({50, 305}, {60, 305});  // left edge at 10
  EXPECT_EQ(main.ScreenRect().left, 10);
}

TEST_F(DockingTest, DockedWindowSnappingToTheScreenTakesTheGroupAlong) {
  TestMain main(settings(), skin(), {200, 100, 300, 140});
  Place(SettingsRect::kPlaylistWindow, {200, 140, 300, 200});
  main.OpenWindow(1);
  Pointer mouse;
  // The playlist's bottom comes to 762: it snaps to the screen's bottom and
  // the main window moves with it.
  mouse.Drag({250, 105}, {250, 667});
  EXPECT_EQ(main.Window(1)->ScreenRect(), (SkinRect{200, 708, 300, 768}));
  EXPECT_EQ(main.ScreenRect(), (SkinRect{200, 668, 300, 708}));
}

TEST_F(DockingTest, SecondaryWindowSnapsAloneAndDragsNothingAlong) {
  TestMain main(settings(), skin(), {200, 100, 300, 140});
  Place(SettingsRect::kEqualizerWindow, {500, 300, 600, 330});
  Place(SettingsRect::kPlaylistWindow, {200, 140, 300, 200});
  main.OpenWindow(0);
  main.OpenWindow(1);
  Pointer mouse;
  // The equalizer dragged to 5 pixels under the main window's... playlist.
  mouse.Drag({550, 305}, {254, 210});
  EXPECT_EQ(main.Window(0)->ScreenRect(), (SkinRect{200, 200, 300, 230}));
  EXPECT_EQ(main.Window(1)->ScreenRect(), (SkinRect{200, 140, 300, 200}));
  EXPECT_EQ(main.ScreenRect(), (SkinRect{200, 100, 300, 140}));
}

TEST_F(DockingTest, ClosedWindowOpensWhereItWouldHaveFollowedTo) {
  TestMain main(settings(), skin(), {200, 100, 300, 140});
  Place(SettingsRect::kEqualizerWindow, {200, 140, 300, 170});
  main.OpenWindow(0);
  ASSERT_EQ(settings()[SettingsWord::kEqualizerWindowOpen], 1);
  EXPECT_EQ(Face(main).Pixel(2, 35), kToggleOn);
  Pointer mouse;
  // Its own close button: the window closes itself.
  mouse.Click({295, 145});
  Pump();
  EXPECT_EQ(main.Window(0), nullptr);
  EXPECT_EQ(settings()[SettingsWord::kEqualizerWindowOpen], 0);
  EXPECT_EQ(Face(main).Pixel(2, 35), kToggleOff) << "toggle 109 redrawn when the window closed";

  mouse.Drag({250, 105}, {350, 155});
  EXPECT_TRUE(main.Docked(0));
  EXPECT_EQ(settings().GetRect(SettingsRect::kEqualizerWindow), (Rect32{300, 190, 400, 220}));
  // The main window's toggle 109 opens it again, there.
  mouse.Click({302, 185});
  ASSERT_NE(main.Window(0), nullptr);
  EXPECT_EQ(main.Window(0)->ScreenRect(), (SkinRect{300, 190, 400, 220}));
  EXPECT_EQ(settings()[SettingsWord::kEqualizerWindowOpen], 1);
  // And closes it.
  mouse.Click({302, 185});
  Pump();
  EXPECT_EQ(main.Window(0), nullptr);
}

TEST_F(DockingTest, FirstOpeningUsesTheSkinPlacePulledOntoTheScreen) {
  TestMain main(settings(), skin(), {200, 100, 300, 140});
  // Never placed: the frame background's rectangle, 0,0-100,30.
  main.OpenWindow(0);
  EXPECT_EQ(main.Window(0)->ScreenRect(), (SkinRect{0, 0, 100, 30}));
  // Stored partly off the screen: pulled on.
  Place(SettingsRect::kPlaylistWindow, {-20, 750, 40, 790});
  main.OpenWindow(1);
  EXPECT_EQ(main.Window(1)->ScreenRect(), (SkinRect{0, 728, 60, 768}));
  EXPECT_EQ(settings().GetRect(SettingsRect::kPlaylistWindow), (Rect32{0, 728, 60, 768}));
}

}  // namespace
}  // namespace vantu::testing
