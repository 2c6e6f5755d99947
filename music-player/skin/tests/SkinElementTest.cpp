// Drawing and mouse handling of the simple element kinds, and the action
// dispatcher.
#include <gtest/gtest.h>

#include "music-player/skin/SkinFrameLayout.h"
#include "music-player/skin/tests/SkinTestSupport.h"

namespace vantu {
namespace {

using namespace testing;
namespace fmt = skin_format;
using skinbuilder::SkinWriter;

TEST(SkinElements, FrameBackgroundDrawsAtTheOriginUnscaled) {
  SkinWriter w;
  w.Frame(1, {5, 7, 25, 17}, Picture(20, 10, 1));
  LoadedSkin s(w.bytes());
  gui::PixelCanvas canvas(30, 20);
  (*s.frame(1))[0]->Draw(canvas);
  EXPECT_TRUE(ShowsPicture(canvas, 0, 0, 20, 10, 1));
  EXPECT_EQ(canvas.Pixel(20, 0), 0u);
}

TEST(SkinElements, ExactSizeIsCopiedOtherSizesAreStretched) {
  SkinWriter w;
  w.Frame(1, {0, 0, 30, 20}, Solid(30, 20, 0));
  w.FixedPiece(2101, Picture(6, 4, 2));
  w.StretchPiece(2001, Picture(2, 2, 3));
  w.PushButton(101, {0, 0, 6, 4}, Picture(6, 4, 4), Picture(6, 4, 5));
  w.PushButton(102, {10, 0, 17, 4}, Picture(6, 4, 4), Picture(6, 4, 5));  // one pixel wider
  LoadedSkin s(w.bytes());
  auto* fixed = FindElementOfTypeAndId(s.frame(1), fmt::kFixedPiece, 2101);
  auto* stretch = FindElementOfTypeAndId(s.frame(1), fmt::kStretchPiece, 2001);
  ASSERT_TRUE(fixed && stretch);
  EXPECT_EQ(fixed->rect, (SkinRect{0, 0, 6, 4}));
  EXPECT_EQ(fixed->skinRect, fixed->rect);
  EXPECT_EQ(stretch->rect, (SkinRect{0, 0, 2, 2}));

  gui::PixelCanvas canvas(30, 20);
  FindElement(s.frame(1), 101)->Draw(canvas);
  EXPECT_TRUE(ShowsPicture(canvas, 0, 0, 6, 4, 4));
  FindElement(s.frame(1), 102)->Draw(canvas);
  EXPECT_FALSE(ShowsPicture(canvas, 10, 0, 6, 4, 4));
  EXPECT_EQ(canvas.Pixel(10, 0), PictureColor(0, 0, 4));
  EXPECT_EQ(canvas.Pixel(16, 3), PictureColor(5, 3, 4));  // the last column reaches the edge

  stretch->rect = {20, 10, 28, 18};
  stretch->Draw(canvas);
  EXPECT_EQ(canvas.Pixel(20, 10), PictureColor(0, 0, 3));
  EXPECT_EQ(canvas.Pixel(27, 17), PictureColor(1, 1, 3));
}

TEST(SkinElements, PushButtonFiresOnceOnAReleaseInside) {
  SkinWriter w;
  w.Frame(1, {0, 0, 40, 20}, Solid(40, 20, 0));
  w.PushButton(101, {10, 5, 20, 15}, Solid(10, 10, Rgb(1, 1, 1)), Solid(10, 10, Rgb(9, 9, 9)));
  LoadedSkin s(w.bytes());
  TestWindow win(s.settings);
  CSkinElement& b = *FindElement(s.frame(1), 101);

  win.Press(b, 12, 7);
  EXPECT_EQ(b.state, 1);
  EXPECT_EQ(win.canvas.Pixel(12, 7), Rgb(9, 9, 9));
  win.Move(b, 30, 7);  // leaves
  EXPECT_EQ(b.state, 0);
  EXPECT_EQ(win.canvas.Pixel(12, 7), Rgb(1, 1, 1));
  win.Move(b, 31, 7);  // still outside: no redraw
  win.Move(b, 15, 10);  // back
  EXPECT_EQ(b.state, 1);
  EXPECT_EQ(win.redraws, 3);
  win.Release(b, 15, 10);
  EXPECT_EQ(win.commands, (std::vector<std::pair<std::uint32_t, std::int32_t>>{{101, 0}}));
  EXPECT_EQ(win.canvas.Pixel(12, 7), Rgb(1, 1, 1));

  win.Press(b, 12, 7);
  win.Move(b, 0, 0);
  win.Release(b, 0, 0);  // outside: nothing, normal look
  EXPECT_EQ(win.commands.size(), 1u);
  EXPECT_EQ(b.state, 0);
  EXPECT_EQ(win.canvas.Pixel(12, 7), Rgb(1, 1, 1));
}

TEST(SkinElements, ToggleButtonShowsItsFlagAtOnce) {
  const std::uint32_t onN = Rgb(0, 200, 0), onP = Rgb(0, 100, 0), offN = Rgb(200, 0, 0), offP = Rgb(100, 0, 0);
  SkinWriter w;
  w.Frame(1, {0, 0, 40, 20}, Solid(40, 20, 0));
  w.ToggleButton(107, {0, 0, 10, 10}, Solid(10, 10, onN), Solid(10, 10, onP), Solid(10, 10, offN),
                 Solid(10, 10, offP));
  w.ToggleButton(999, {10, 0, 20, 10}, Solid(10, 10, onN), Solid(10, 10, onP), Solid(10, 10, offN),
                 Solid(10, 10, offP));
  LoadedSkin s(w.bytes());
  TestWindow win(s.settings);
  CSkinElement& shuffle = *FindElement(s.frame(1), 107);
  shuffle.Draw(win.canvas);
  EXPECT_EQ(win.canvas.Pixel(5, 5), offN);
  win.Press(shuffle, 5, 5);
  EXPECT_EQ(win.canvas.Pixel(5, 5), offP);
  win.Release(shuffle, 5, 5);
  EXPECT_EQ(s.settings[SettingsWord::kShuffle], 1);
  EXPECT_EQ(win.canvas.Pixel(5, 5), onN);
  EXPECT_TRUE(win.commands.empty());  // 107 posts nothing
  win.Press(shuffle, 5, 5);
  EXPECT_EQ(win.canvas.Pixel(5, 5), onP);
  win.Release(shuffle, 5, 5);
  EXPECT_EQ(s.settings[SettingsWord::kShuffle], 0);
  EXPECT_EQ(win.canvas.Pixel(5, 5), offN);

  // An id without a flag shows its off pictures and changes nothing.
  CSkinElement& other = *FindElement(s.frame(1), 999);
  s.settings[SettingsWord::kRepeat] = 5;
  win.Click(other, 15, 5);
  EXPECT_EQ(win.canvas.Pixel(15, 5), offN);
  EXPECT_EQ(s.settings[SettingsWord::kRepeat], 5);
}

TEST(SkinElements, ActionDispatch) {
  PlayerSettings settings;
  TestWindow win(settings);
  auto fire = [&](std::int32_t code) {
    SkinMouseContext c{&win, SkinActionDispatch, code};
    EXPECT_EQ(SkinActionDispatch(c), 0);
  };
  for (int code : {101, 106, 121, 123, 203, 204, 601, 603, 611, 614, 621, 623, 631, 633, 641, 643}) {
    win.commands.clear();
    fire(code);
    EXPECT_EQ(win.commands, (std::vector<std::pair<std::uint32_t, std::int32_t>>{{code, 0}})) << code;
  }
  win.commands.clear();
  for (int code : {0, 100, 107 - 100, 112, 122, 124, 126, 200, 205, 604, 605, 615, 624, 634, 644, 32773}) {
    fire(code);
  }
  EXPECT_TRUE(win.commands.empty());
  EXPECT_EQ(win.closes, 0);
  fire(125);
  EXPECT_EQ(win.closes, 1);
  EXPECT_TRUE(win.commands.empty());
  fire(109);
  fire(110);
  fire(111);
  EXPECT_EQ(win.toggled, (std::vector<int>{0, 1, 2}));

  settings[SettingsWord::kRepeat] = 7;  // any nonzero value turns into 0
  fire(108);
  EXPECT_EQ(settings[SettingsWord::kRepeat], 0);
  fire(201);
  fire(202);
  EXPECT_EQ(settings[SettingsWord::kEqualizerOn], 1);
  EXPECT_EQ(settings[SettingsWord::kOption202], 1);
  EXPECT_EQ(win.commands, (std::vector<std::pair<std::uint32_t, std::int32_t>>{{201, 0}, {202, 0}}));
}

TEST(SkinElements, ImageSelectorIndexOutsideItsPictures) {
  SkinWriter w;
  w.Frame(1, {0, 0, 40, 20}, Solid(40, 20, 0));
  w.ImageSelector(521, {2, 2, 6, 6}, {Picture(4, 4, 1), Picture(4, 4, 2)});
  LoadedSkin s(w.bytes());
  auto* selector = FindElementAs<CSkinImageSelector>(s.frame(1), 521);
  ASSERT_NE(selector, nullptr);
  gui::PixelCanvas canvas(10, 10);
  selector->Draw(canvas);
  EXPECT_TRUE(ShowsPicture(canvas, 2, 2, 4, 4, 1));
  selector->SetIndex(canvas, 1);
  EXPECT_TRUE(ShowsPicture(canvas, 2, 2, 4, 4, 2));
  canvas.Reset(10, 10);
  selector->SetIndex(canvas, 2);
  selector->SetIndex(canvas, -1);
  EXPECT_TRUE(IsFilled(canvas, {0, 0, 10, 10}, 0));
}

TEST(SkinElements, DragHandleAndResizeGrip) {
  SkinWriter w;
  w.Frame(1, {0, 0, 60, 40}, Solid(60, 40, 0));
  w.DragHandle(fmt::kDragHandle, 1, {0, 0, 60, 8}, Solid(60, 8, Rgb(1, 2, 3)), Solid(60, 8, Rgb(4, 5, 6)));
  w.ResizeGrip(2, {50, 30, 60, 40}, Solid(10, 10, Rgb(7, 7, 7)), Solid(10, 10, Rgb(8, 8, 8)));
  LoadedSkin s(w.bytes());
  TestWindow win(s.settings);
  win.background = (*s.frame(1))[0].get();
  CSkinElement& handle = *FindElementAs<CSkinDragHandle>(s.frame(1), 1);
  handle.Draw(win.canvas);
  EXPECT_EQ(win.canvas.Pixel(30, 4), Rgb(1, 2, 3));
  win.Press(handle, 10, 4);
  win.Move(handle, 15, 6);
  win.Release(handle, 15, 6);
  EXPECT_EQ(win.drags, (std::vector<TestWindow::Drag>{{'b', 10, 4}, {'m', 15, 6}}));
  EXPECT_TRUE(win.commands.empty());  // its id (1) is no command

  CSkinElement& grip = *FindElementAs<CSkinResizeGrip>(s.frame(1), 2);
  win.screen = {100, 100, 200, 180};
  win.Press(grip, 55, 35);
  win.Move(grip, 75, 45);
  EXPECT_EQ(win.screen, (SkinRect{100, 100, 220, 190}));
  EXPECT_EQ(grip.state, 1);  // pressed while dragged
  win.Move(grip, -200, -200);  // far below the background's size
  EXPECT_EQ(win.screen, (SkinRect{100, 100, 160, 140}));
  EXPECT_EQ(win.offscreenPaints, 2);
  win.Release(grip, -200, -200);
  EXPECT_EQ(grip.state, 0);
}

TEST(SkinElements, HitTestPassesOverBackgroundsAndMouseIgnoringElements) {
  SkinWriter w;
  w.Frame(1, {0, 0, 60, 40}, Solid(60, 40, 0));
  w.DragHandle(fmt::kDragHandle, 1, {0, 0, 60, 10}, Solid(60, 10, 1), Solid(60, 10, 1));
  w.PushButton(101, {0, 0, 10, 10}, Solid(10, 10, 2), Solid(10, 10, 2), fmt::kHidden);
  w.PushButton(102, {20, 0, 30, 10}, Solid(10, 10, 2), Solid(10, 10, 2), fmt::kHidden | fmt::kIgnoresMouse);
  LoadedSkin s(w.bytes());
  EXPECT_EQ(ElementAtPoint(s.frame(1), 5, 5)->id, 101);  // hidden but still reacts
  EXPECT_TRUE(FindElement(s.frame(1), 101)->IsHidden());
  EXPECT_EQ(ElementAtPoint(s.frame(1), 25, 5)->id, 1);  // lets the press through
  EXPECT_EQ(ElementAtPoint(s.frame(1), 5, 30), nullptr);  // only the background there
}

TEST(SkinElements, ResizableFrameLayout) {
  SkinWriter w;
  w.Frame(7, {0, 0, 100, 60}, Solid(100, 60, 0));
  w.FixedPiece(2101, Solid(10, 12, 1));
  w.StretchPiece(2001, Solid(4, 12, 2));
  w.FixedPiece(2102, Solid(20, 12, 3));
  w.StretchPiece(2002, Solid(4, 12, 2));
  w.FixedPiece(2103, Solid(10, 12, 4));
  w.StretchPiece(2003, Solid(5, 4, 5));
  w.StretchPiece(2004, Solid(7, 4, 6));
  w.FixedPiece(2104, Solid(30, 15, 7));
  w.FixedPiece(2105, Solid(40, 15, 8));
  w.StretchPiece(2005, Solid(4, 15, 9));
  w.StretchPiece(2006, Solid(4, 4, 10));
  w.DragHandle(fmt::kTitleHandleA, 2001, {0, 0, 0, 12}, Solid(4, 12, 2), Solid(4, 12, 2));
  w.DragHandle(fmt::kTitleHandleB, 2103, {0, 0, 0, 12}, Solid(4, 12, 2), Solid(4, 12, 2));
  w.ResizeGrip(1, {30, 5, 40, 15}, Solid(10, 10, 11), Solid(10, 10, 11), 68);
  w.PushButton(125, {2, 2, 8, 8}, Solid(6, 6, 12), Solid(6, 6, 12), 20);
  w.PushButton(720, {1, 0, 6, 0}, Solid(5, 5, 12), Solid(5, 5, 12), 36);
  LoadedSkin s(w.bytes());
  const SkinElementList& list = *s.frame(7);
  LayoutSkinFrame(list, 200, 100);
  auto at = [&](std::uint32_t type, int id) { return FindElementOfTypeAndId(&list, type, id)->rect; };
  // half = (200 - 10 - 20 - 10 - 1) / 2 = 79
  EXPECT_EQ(at(fmt::kStretchPiece, 2001), (SkinRect{10, 0, 90, 12}));
  EXPECT_EQ(at(fmt::kFixedPiece, 2102), (SkinRect{90, 0, 110, 12}));
  EXPECT_EQ(at(fmt::kStretchPiece, 2002), (SkinRect{110, 0, 190, 12}));
  EXPECT_EQ(at(fmt::kFixedPiece, 2103), (SkinRect{190, 0, 200, 12}));
  EXPECT_EQ(at(fmt::kStretchPiece, 2003), (SkinRect{0, 12, 5, 85}));
  EXPECT_EQ(at(fmt::kStretchPiece, 2004), (SkinRect{193, 12, 200, 85}));
  EXPECT_EQ(at(fmt::kFixedPiece, 2104), (SkinRect{0, 85, 30, 100}));
  EXPECT_EQ(at(fmt::kFixedPiece, 2105), (SkinRect{160, 85, 200, 100}));
  EXPECT_EQ(at(fmt::kStretchPiece, 2005), (SkinRect{30, 85, 160, 100}));
  EXPECT_EQ(at(fmt::kStretchPiece, 2006), (SkinRect{5, 12, 193, 85}));
  EXPECT_EQ(at(fmt::kResizeGrip, 1), (SkinRect{190, 90, 200, 100}));
  EXPECT_EQ(at(fmt::kPushButton, 125), (SkinRect{192, 2, 198, 8}));
  EXPECT_EQ(at(fmt::kPushButton, 720), (SkinRect{194, 12, 199, 85}));  // a bottom of 0 reaches the piece's
  EXPECT_EQ(at(fmt::kTitleHandleA, 2001), (SkinRect{10, 0, 90, 12}));
  EXPECT_EQ(at(fmt::kTitleHandleB, 2103), (SkinRect{190, 0, 200, 12}));
}

}  // namespace
}  // namespace vantu
