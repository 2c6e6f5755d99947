// Snapping, touching and pulling rectangles onto the screen.
#include <gtest/gtest.h>

#include "music-player/windows/Snapping.h"

namespace vantu {
namespace {

const SkinRect kScreen{0, 0, 1024, 768};

TEST(Snapping, ScreenEdgeSnapsFromNinePixelsButNotFromTen) {
  SkinRect r{9, 300, 109, 340};
  gui::Point shift;
  EXPECT_TRUE(SnapRect(r, kScreen, &shift));
  EXPECT_EQ(r, (SkinRect{0, 300, 100, 340}));
  EXPECT_EQ(shift.x, -9);
  EXPECT_EQ(shift.y, 0);

  r = {10, 300, 110, 340};
  EXPECT_FALSE(SnapRect(r, kScreen));
  EXPECT_EQ(r, (SkinRect{10, 300, 110, 340}));

  // Right and bottom edges too, and both axes at once.
  r = {915, 720, 1015, 760};
  EXPECT_TRUE(SnapRect(r, kScreen));
  EXPECT_EQ(r, (SkinRect{924, 728, 1024, 768}));
}

TEST(Snapping, OuterEdgesComeBeforeEqualEdges) {
  const SkinRect other{100, 100, 200, 140};
  // Just below the other window: its top goes to the other's bottom.
  SkinRect below{105, 145, 205, 175};
  EXPECT_TRUE(SnapRect(below, other));
  EXPECT_EQ(below, (SkinRect{100, 140, 200, 170}));  // left edges aligned as well
  // Just above: its bottom to the other's top.
  SkinRect above{100, 62, 200, 92};
  EXPECT_TRUE(SnapRect(above, other));
  EXPECT_EQ(above.bottom, 100);
  // Right beside, tops 4 apart: the left edge goes to the other's right,
  // then the tops line up.
  SkinRect beside{203, 104, 253, 134};
  EXPECT_TRUE(SnapRect(beside, other));
  EXPECT_EQ(beside, (SkinRect{200, 100, 250, 130}));
}

TEST(Snapping, WindowsOutOfReachDoNotSnap) {
  const SkinRect other{100, 100, 200, 140};
  // Side by side, but their vertical ranges more than 10 apart: no
  // horizontal snap although the edges are 3 pixels apart.
  SkinRect r{203, 151, 253, 181};
  EXPECT_FALSE(SnapRect(r, other));
  // Within 10 on that axis, they do.
  r = {203, 150, 253, 180};
  EXPECT_TRUE(SnapRect(r, other));
  EXPECT_EQ(r.left, 200);
  // Horizontally 11 apart: no vertical snap although the tops are 2 apart.
  r = {211, 102, 261, 132};
  EXPECT_FALSE(SnapRect(r, other));
}

TEST(Snapping, TouchingNeedsSharedEdgeAndMeetingRanges) {
  const SkinRect a{100, 100, 200, 140};
  EXPECT_TRUE(RectsTouch(a, {100, 140, 200, 170}));  // exactly under
  EXPECT_TRUE(RectsTouch(a, {200, 60, 260, 100}));   // only the corner: ranges meet
  EXPECT_TRUE(RectsTouch(a, {200, 110, 250, 120}));  // right beside
  EXPECT_TRUE(RectsTouch(a, {40, 130, 100, 150}));   // left beside
  EXPECT_FALSE(RectsTouch(a, {100, 141, 200, 170}));  // one pixel gap
  EXPECT_FALSE(RectsTouch(a, {201, 140, 260, 170}));  // under, but beside the range
  EXPECT_FALSE(RectsTouch(a, {120, 110, 180, 130}));  // inside is not touching
}

TEST(Snapping, FitToDesktopPullsRectanglesOntoTheScreen) {
  EXPECT_EQ(FitToDesktop({-30, 10, 70, 50}, kScreen), (SkinRect{0, 10, 100, 50}));
  EXPECT_EQ(FitToDesktop({1000, 750, 1100, 790}, kScreen), (SkinRect{924, 728, 1024, 768}));
  EXPECT_EQ(FitToDesktop({20, -5, 120, 35}, kScreen), (SkinRect{20, 0, 120, 40}));
  // Larger than the desktop: aligned to its left and top.
  EXPECT_EQ(FitToDesktop({-10, -10, 1200, 900}, kScreen), (SkinRect{0, 0, 1210, 910}));
}

}  // namespace
}  // namespace vantu
