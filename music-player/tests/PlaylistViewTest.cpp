#include "music-player/PlaylistView.h"

#include <gtest/gtest.h>

#include "platform/gui/PixelCanvas.h"

namespace vantu {
namespace {

PlaylistStyle Style() {
  PlaylistStyle s;
  s.face = "\xB1\xBC\xB8\xB2";  // 굴림 in code page 949
  s.height = 12;
  s.charWidth = 6;
  s.normal = {gui::Rgb(0, 0, 0), gui::Rgb(0, 255, 0)};
  s.selected = {gui::Rgb(0, 0, 128), gui::Rgb(255, 255, 255)};
  s.current = {gui::Rgb(40, 40, 40), gui::Rgb(255, 255, 0)};
  s.currentSelected = {gui::Rgb(0, 0, 200), gui::Rgb(255, 255, 0)};
  return s;
}

class PlaylistViewTest : public ::testing::Test {
 protected:
  PlaylistViewTest() : view_(playlist_) {
    for (const char* name : {"A", "B", "C", "D", "E"}) playlist_.AddFile(std::string("c:\\") + name);
    view_.SetStyle(Style());  // line height 16
    view_.SetBounds(10, 20, 110, 70);  // 100 x 50: four rows, the last one cut
  }
  std::string Names() {
    std::string s;
    for (int i = 0; i < playlist_.Count(); ++i) s += playlist_.GetEntry(i)->name;
    return s;
  }
  std::string Marks() {
    std::string s;
    for (int i = 0; i < playlist_.Count(); ++i) s += playlist_.IsSelected(i) ? 'x' : '.';
    return s;
  }
  CPlaylist playlist_;
  CPlaylistView view_;
};

TEST_F(PlaylistViewTest, DrawsRowsInTheirStyles) {
  EXPECT_EQ(view_.LineHeight(), 16);
  EXPECT_EQ(view_.VisibleRows(), 4);
  playlist_.GetEntry(2)->selected = true;
  playlist_.GetEntry(3)->selected = true;
  playlist_.SetCurrent(3);
  view_.SetTopRow(2);  // rows: C (selected), D (current, selected), E, nothing
  gui::PixelCanvas canvas(view_.Width(), view_.Height());
  view_.DrawList(canvas);
  EXPECT_EQ(canvas.Pixel(50, 1), Style().selected.background);
  EXPECT_EQ(canvas.Pixel(50, 17), Style().currentSelected.background);
  EXPECT_EQ(canvas.Pixel(50, 33), Style().normal.background);
  EXPECT_EQ(canvas.Pixel(50, 49), Style().normal.background);
  ASSERT_EQ(canvas.Texts().size(), 3u);
  EXPECT_EQ(canvas.Texts()[0].text, "C");
  EXPECT_EQ(canvas.Texts()[0].box, (gui::Rect{0, 2, 100, 12}));  // shrunk by (16 - 12) / 2
  EXPECT_EQ(canvas.Texts()[1].color, Style().currentSelected.text);
  EXPECT_EQ(canvas.Texts()[2].color, Style().normal.text);
  EXPECT_EQ(canvas.Texts()[0].font.face, "굴림");

  playlist_.Clear();
  gui::PixelCanvas empty(view_.Width(), view_.Height());
  view_.DrawList(empty);
  EXPECT_TRUE(empty.Texts().empty());
  EXPECT_EQ(view_.RowAt(0, 0), -1);
  view_.SelectAt(0, view_.RowAt(0, 0));  // ignored
}

TEST_F(PlaylistViewTest, NothingIsDrawnBeforeAStyleAndACharacterHeightKeepsRows) {
  CPlaylistView plain(playlist_);
  plain.SetBounds(0, 0, 50, 50);
  gui::PixelCanvas canvas(50, 50);
  canvas.FillRect({0, 0, 50, 50}, gui::Rgb(1, 2, 3));
  plain.DrawList(canvas);
  EXPECT_EQ(canvas.Pixel(10, 10), gui::Rgb(1, 2, 3));
  // A negative height is the characters' height: rows as tall as for 12.
  auto negative = Style();
  negative.height = -12;
  plain.SetStyle(negative);
  EXPECT_EQ(plain.LineHeight(), 16);
  EXPECT_EQ(plain.RowAt(0, 17), 1);
  plain.SetBounds(0, 50, 50, 0);  // upside down
  EXPECT_EQ(plain.VisibleRows(), 0);
}

TEST_F(PlaylistViewTest, ClicksSelectAndShiftNeedsAnAnchor) {
  view_.SelectAt(kMouseShift, 3);  // no anchor yet
  EXPECT_EQ(Marks(), ".....");
  view_.OnButtonDown(kMouseControl, 0, 16);  // B
  EXPECT_EQ(Marks(), ".x...");
  EXPECT_EQ(view_.Anchor(), 1);
  view_.OnButtonUp(kMouseControl, 0, 16);
  view_.OnButtonDown(kMouseShift, 0, 48);  // D
  EXPECT_EQ(Marks(), ".xxx.");
  EXPECT_EQ(view_.Anchor(), 1);
  view_.OnButtonUp(0, 0, 48);
  // A click on a marked row without a drag selects it alone on release.
  view_.OnButtonDown(0, 0, 32);
  EXPECT_EQ(Marks(), ".xxx.");
  view_.OnButtonUp(0, 0, 32);
  EXPECT_EQ(Marks(), "..x..");
  // Below the end: the last row.
  EXPECT_EQ(view_.RowAt(0, 500), 4);
  EXPECT_EQ(view_.RowAt(0, -40), 0);
}

TEST_F(PlaylistViewTest, DraggingTheSelectionReordersTheList) {
  playlist_.GetEntry(1)->selected = true;  // B
  view_.OnButtonDown(0, 0, 16);
  EXPECT_TRUE(view_.OnDrag(0, 20));        // same row
  EXPECT_TRUE(view_.OnDrag(0, 48));        // two rows down
  EXPECT_EQ(Names(), "ACDBE");
  EXPECT_TRUE(view_.OnDrag(0, 500));       // the end
  EXPECT_EQ(Names(), "ACDEB");
  EXPECT_TRUE(view_.OnDrag(0, 600));       // still the last row
  view_.OnButtonUp(0, 0, 64);
  EXPECT_EQ(Marks(), "....x");              // moved: the release keeps the selection
}

}  // namespace
}  // namespace vantu
