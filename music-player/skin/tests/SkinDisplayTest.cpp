// Image counters, number and text fields, and the icon menu.
#include <gtest/gtest.h>

#include "music-player/skin/tests/SkinTestSupport.h"

namespace vantu {
namespace {

using namespace testing;
using skinbuilder::SkinWriter;

std::array<Bytes, 11> Digits() {
  std::array<Bytes, 11> digits;
  for (int i = 0; i < 11; ++i) digits[i] = Solid(4, 6, Rgb(20 * i + 5, 0, 0));
  return digits;
}
std::uint32_t DigitColor(int i) { return Rgb(20 * i + 5, 0, 0); }

struct Display : ::testing::Test {
  Display() {
    SkinWriter w;
    w.Font(1, 3, "Mono", 5, -10);
    w.ImageSet(1, 4, Digits());
    w.Frame(1, {0, 0, 60, 40}, Solid(60, 40, 0));
    w.ImageCounter(501, 4, {0, 0, 8, 6});
    w.ImageCounter(502, 4, {10, 0, 15, 6});  // room for one digit and a bit
    w.ImageCounter(503, 9, {20, 0, 28, 6});  // slot never filled
    w.NumberField(511, 3, {0, 10, 30, 20}, Rgb(0, 255, 0), Rgb(0, 0, 80));
    w.TextField(531, 3, {0, 20, 60, 30}, Rgb(255, 255, 0), Rgb(0, 40, 0));
    w.TextField(532, 8, {0, 30, 60, 40}, Rgb(255, 255, 0), Rgb(0, 40, 0));
    skin = std::make_unique<LoadedSkin>(w.bytes());
  }
  template <class Kind>
  Kind& Get(int id) {
    Kind* e = FindElementAs<Kind>(skin->frame(1), id);
    EXPECT_NE(e, nullptr);
    return *e;
  }
  std::unique_ptr<LoadedSkin> skin;
  gui::PixelCanvas canvas{60, 40};
};

TEST_F(Display, ImageCounterDigits) {
  auto& counter = Get<CSkinImageCounter>(501);
  EXPECT_EQ(counter.value(), -1);
  EXPECT_EQ(counter.digitWidth(), 4);
  counter.SetNumber(canvas, -1);
  EXPECT_TRUE(IsFilled(canvas, {0, 0, 8, 6}, DigitColor(10)));
  counter.SetNumber(canvas, 7);
  EXPECT_TRUE(IsFilled(canvas, {0, 0, 4, 6}, DigitColor(0)));
  EXPECT_TRUE(IsFilled(canvas, {4, 0, 8, 6}, DigitColor(7)));
  counter.SetNumber(canvas, 123);
  EXPECT_TRUE(IsFilled(canvas, {0, 0, 4, 6}, DigitColor(2)));
  EXPECT_TRUE(IsFilled(canvas, {4, 0, 8, 6}, DigitColor(3)));
  counter.SetNumber(canvas, -57);  // any negative value is blank
  EXPECT_TRUE(IsFilled(canvas, {0, 0, 8, 6}, DigitColor(10)));
}

TEST_F(Display, ImageCounterStaysInsideItsRectangle) {
  auto& narrow = Get<CSkinImageCounter>(502);
  narrow.SetNumber(canvas, 45);
  EXPECT_TRUE(IsFilled(canvas, {10, 0, 14, 6}, DigitColor(4)));
  EXPECT_EQ(canvas.Pixel(14, 0), DigitColor(5));
  EXPECT_TRUE(IsFilled(canvas, {15, 0, 20, 6}, 0));
  auto& orphan = Get<CSkinImageCounter>(503);
  EXPECT_EQ(orphan.imageSet(), nullptr);
  orphan.SetNumber(canvas, 12);
  EXPECT_TRUE(IsFilled(canvas, {20, 0, 28, 6}, 0));
}

TEST_F(Display, NumberField) {
  auto& field = Get<CSkinNumberField>(511);
  ASSERT_NE(field.font(), nullptr);
  field.SetNumber(canvas, -1);
  EXPECT_TRUE(IsFilled(canvas, {0, 10, 30, 20}, Rgb(0, 0, 80)));
  EXPECT_TRUE(canvas.Texts().empty());
  field.SetNumber(canvas, 10);
  field.SetNumber(canvas, 9);
  ASSERT_EQ(canvas.Texts().size(), 2u);
  EXPECT_EQ(canvas.Texts()[1].text, "9");
  EXPECT_EQ(canvas.Texts()[1].color, Rgb(0, 255, 0));
  EXPECT_EQ(canvas.Texts()[1].font, (gui::FontSpec{"Mono", -10, 5}));
  EXPECT_EQ(canvas.Texts()[1].box, (gui::Rect{0, 10, 30, 10}));
  // The 9 is drawn over the 10: the second character's cell is still there.
  const int cell = gui::PixelCanvas::CellWidth(field.font()->spec, false);
  bool secondCellKept = false;
  for (int y = 10; y < 20; ++y) secondCellKept |= canvas.Pixel(cell + cell / 2, y) == Rgb(0, 255, 0);
  EXPECT_TRUE(secondCellKept);
}

TEST_F(Display, TextField) {
  auto& title = Get<CSkinTextField>(531);
  title.SetText(canvas, "");
  EXPECT_TRUE(IsFilled(canvas, {0, 20, 60, 30}, Rgb(0, 40, 0)));
  EXPECT_TRUE(canvas.Texts().empty());
  title.SetText(canvas, "파일이 없거나 문제있음");
  ASSERT_EQ(canvas.Texts().size(), 1u);
  EXPECT_EQ(canvas.Texts()[0].text, "파일이 없거나 문제있음");
  EXPECT_EQ(title.text(), "파일이 없거나 문제있음");
  auto& noFont = Get<CSkinTextField>(532);
  noFont.SetText(canvas, "x");
  EXPECT_TRUE(canvas.Texts()[1].font.face.empty());
}

struct IconMenu : ::testing::Test {
  IconMenu() {
    SkinWriter w;
    w.Frame(1, {0, 0, 100, 100}, Solid(100, 100, 0));
    std::vector<skinbuilder::MenuItem> items;
    for (int i = 0; i < 3; ++i) {
      items.push_back({621 + i, Solid(10, 8, Rgb(0, 50 + i, 0)), Solid(10, 8, Rgb(0, 150 + i, 0))});
    }
    w.IconMenuButton(11, {40, 60, 50, 68}, Solid(10, 8, Rgb(9, 9, 9)), Solid(10, 8, Rgb(8, 8, 8)),
                     Solid(3, 40, Rgb(7, 7, 7)), items);
    w.IconMenuButton(12, {60, 60, 70, 68}, Solid(10, 8, Rgb(9, 9, 9)), Solid(10, 8, Rgb(8, 8, 8)),
                     Solid(3, 40, Rgb(7, 7, 7)), {});
    skin = std::make_unique<LoadedSkin>(w.bytes());
    button = FindElementAs<CSkinIconMenuButton>(skin->frame(1), 11);
  }
  std::unique_ptr<LoadedSkin> skin;
  CSkinIconMenuButton* button = nullptr;
};

TEST_F(IconMenu, OpensUpwardsWithTheLastItemHighlighted) {
  TestWindow win(skin->settings);
  button->Draw(win.canvas);
  EXPECT_EQ(win.canvas.Pixel(45, 64), Rgb(9, 9, 9));
  win.Press(*button, 45, 64);
  CSkinDropDown* d = win.dropDown;
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d, button->dropDown());
  EXPECT_EQ(d->rect, (SkinRect{37, 46, 50, 70}));  // three cells of 8 upwards, the side column left
  EXPECT_EQ(d->highlighted, 2);
  // Side column, then the items at x = 3 with width 13 - 6 + 3 = 10.
  EXPECT_EQ(win.dropCanvas.Pixel(1, 1), Rgb(7, 7, 7));
  EXPECT_EQ(win.dropCanvas.Pixel(5, 2), Rgb(0, 50, 0));
  EXPECT_EQ(win.dropCanvas.Pixel(5, 18), Rgb(0, 152, 0));
  win.Release(*button, 45, 64);  // nothing: the menu stays
  EXPECT_EQ(win.dropDown, d);

  d->OnMouseMove(win, 5, 3);
  EXPECT_EQ(d->highlighted, 0);
  EXPECT_EQ(win.dropCanvas.Pixel(5, 2), Rgb(0, 150, 0));
  d->OnMouseMove(win, 5, 4);  // same cell: no repaint
  d->OnMouseMove(win, 5, 500);
  EXPECT_EQ(d->highlighted, 2);
  d->OnMouseMove(win, 5, -50);
  EXPECT_EQ(d->highlighted, 0);
  EXPECT_EQ(win.dropRedraws, 3);
  d->OnLButtonDown(win);
  EXPECT_EQ(win.commands, (std::vector<std::pair<std::uint32_t, std::int32_t>>{{621, 0}}));
  EXPECT_EQ(win.dropDown, nullptr);
  EXPECT_EQ(button->dropDown(), nullptr);
}

TEST(IconMenuDropDown, WhatTheSideAndCellsLeaveIsWhite) {
  SkinWriter w;
  w.Frame(1, {0, 0, 100, 100}, Solid(100, 100, 0));
  // A side column 8 wide and 10 high: the cells end 5 pixels short of the
  // right edge, the side 14 pixels short of the bottom.
  w.IconMenuButton(11, {40, 60, 50, 68}, Solid(10, 8, Rgb(9, 9, 9)), Solid(10, 8, Rgb(8, 8, 8)),
                   Solid(8, 10, Rgb(7, 7, 7)), {{621, Solid(10, 8, Rgb(0, 50, 0)), Solid(10, 8, Rgb(0, 150, 0))},
                                                 {622, Solid(10, 8, Rgb(0, 51, 0)), Solid(10, 8, Rgb(0, 151, 0))},
                                                 {623, Solid(10, 8, Rgb(0, 52, 0)), Solid(10, 8, Rgb(0, 152, 0))}});
  LoadedSkin skin(w.bytes());
  auto* button = FindElementAs<CSkinIconMenuButton>(skin.frame(1), 11);
  ASSERT_NE(button, nullptr);
  TestWindow win(skin.settings);
  win.Press(*button, 45, 64);
  ASSERT_NE(win.dropDown, nullptr);
  const gui::PixelCanvas& c = win.dropCanvas;
  ASSERT_EQ(c.Width(), 18);
  EXPECT_EQ(c.Pixel(17, 2), kDropDownBackground) << "right strip";
  EXPECT_EQ(c.Pixel(1, 20), kDropDownBackground) << "below the side";
  EXPECT_EQ(c.Pixel(1, 1), Rgb(7, 7, 7));
  EXPECT_EQ(c.Pixel(9, 2), Rgb(0, 50, 0));
}

TEST_F(IconMenu, FocusLossClosesWithoutAnAction) {
  TestWindow win(skin->settings);
  win.Press(*button, 45, 64);
  ASSERT_NE(win.dropDown, nullptr);
  win.dropDown->OnKillFocus(win);
  EXPECT_EQ(win.dropDown, nullptr);
  EXPECT_EQ(button->dropDown(), nullptr);
  EXPECT_TRUE(win.commands.empty());

  // A close request for a drop-down the window no longer names does nothing.
  win.Press(*button, 45, 64);
  CSkinDropDown* d = win.dropDown;
  win.dropDown = nullptr;
  d->OnClose(win);
  EXPECT_EQ(button->dropDown(), d);
}

TEST_F(IconMenu, NoItemsNoDropDown) {
  TestWindow win(skin->settings);
  auto* empty = FindElementAs<CSkinIconMenuButton>(skin->frame(1), 12);
  ASSERT_NE(empty, nullptr);
  win.Press(*empty, 65, 64);
  EXPECT_EQ(win.dropDown, nullptr);
}

// A skin under 1 MB can hold tens of thousands of items and a button picture
// taller than any window: the stack's top and the cells' places must not
// overflow, and only the cells that show are painted.
TEST(IconMenuStack, AVeryTallStackEndsAtTheCoordinateRangeAndPaintsWhatShows) {
  constexpr int kItems = 32770;   // (items - 1) x the button's height passes 2^31
  constexpr int kCell = 1 << 17;  // item 32768 starts at 2^32, which wraps to 0 in 32 bits
  std::vector<skinbuilder::MenuItem> items(kItems, skinbuilder::MenuItem{622, {}, {}});
  items[0] = {621, Solid(2, 2, Rgb(0, 200, 0)), Solid(2, 2, Rgb(0, 210, 0))};
  items[32768] = {623, Solid(2, 2, Rgb(200, 0, 0)), Solid(2, 2, Rgb(210, 0, 0))};
  SkinWriter w;
  w.Frame(1, {0, 0, 100, 100}, Solid(100, 100, 0));
  w.IconMenuButton(11, {40, -32768, 50, 32767}, Solid(1, kCell, Rgb(9, 9, 9)), Solid(1, 1, Rgb(8, 8, 8)),
                   Solid(3, 40, Rgb(7, 7, 7)), items);
  ASSERT_LT(w.bytes().size(), 1u << 20);
  LoadedSkin skin(w.bytes());
  auto* button = FindElementAs<CSkinIconMenuButton>(skin.frame(1), 11);
  ASSERT_NE(button, nullptr);
  ASSERT_EQ(button->rect.Height(), 65535);

  TestWindow win(skin.settings);
  win.Press(*button, 45, 0);
  CSkinDropDown* d = win.dropDown;
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->rect, (SkinRect{37, -32768, 50, 32769}));
  EXPECT_EQ(d->highlighted, kItems - 1);
  ASSERT_EQ(win.dropCanvas.Height(), 200);
  // The first cell fills what shows; no later item is drawn over it.
  EXPECT_TRUE(IsFilled(win.dropCanvas, {3, 0, 13, 200}, Rgb(0, 200, 0)));
  d->OnMouseMove(win, 5, 199);
  EXPECT_EQ(d->highlighted, 0);
  EXPECT_TRUE(IsFilled(win.dropCanvas, {3, 0, 13, 200}, Rgb(0, 210, 0)));
  d->OnLButtonDown(win);
  EXPECT_EQ(win.commands, (std::vector<std::pair<std::uint32_t, std::int32_t>>{{621, 0}}));
}

}  // namespace
}  // namespace vantu
