// Position and value sliders, their styles, and the scroll bar.
#include <gtest/gtest.h>

#include "music-player/skin/tests/SkinTestSupport.h"

namespace vantu {
namespace {

using namespace testing;
namespace fmt = skin_format;
using skinbuilder::SkinWriter;

using Commands = std::vector<std::pair<std::uint32_t, std::int32_t>>;

constexpr std::uint32_t kTrack = Rgb(10, 10, 10), kThumb = Rgb(200, 200, 200), kPressed = Rgb(250, 0, 0);

struct Sliders : ::testing::Test {
  void Build(std::uint32_t start = Rgb(0, 0, 0), std::uint32_t end = Rgb(255, 0, 0),
             std::uint32_t middle = Rgb(0, 0, 0)) {
    SkinWriter w;
    w.SliderStyle(1, 7, 'H', start, end, middle, Solid(10, 6, kThumb), Solid(10, 6, kPressed),
                  Solid(110, 6, kTrack));
    std::vector<Bytes> frames;
    for (int i = 0; i < 5; ++i) frames.push_back(Solid(8, 50, Rgb(0, 0, 40 * i + 10)));
    w.KnobStyle(2, 8, 'V', Solid(8, 10, kThumb), Solid(8, 10, kPressed), frames);
    w.KnobStyle(3, 9, 'V', Solid(8, 10, kThumb), Solid(8, 10, kPressed), {}, 0xF0);  // -16 frames
    w.Frame(1, {0, 0, 200, 100}, Solid(200, 100, 0));
    w.PositionSlider(403, 7, {0, 0, 110, 6}, {0, 10, 20, 12});
    w.PositionSlider(404, 99, {0, 20, 110, 26}, {0, 0, 0, 0});  // no such style
    w.ValueSlider(450, 8, {150, 0, 158, 50});
    w.ValueSlider(451, 9, {160, 0, 168, 50});
    w.ValueSlider(499, 8, {170, 0, 178, 50});  // an id with no settings word
    w.ValueSlider(401, 8, {180, 0, 188, 10});  // no room to move
    skin = std::make_unique<LoadedSkin>(w.bytes());
    win = std::make_unique<TestWindow>(skin->settings);
  }
  template <class Kind>
  Kind& Get(int id) {
    return *FindElementAs<Kind>(skin->frame(1), id);
  }
  std::unique_ptr<LoadedSkin> skin;
  std::unique_ptr<TestWindow> win;
};

TEST_F(Sliders, PositionSliderModes) {
  Build();
  auto& s = Get<CSkinPositionSlider>(403);
  ASSERT_TRUE(s.usable());
  EXPECT_EQ(s.travel(), 100);
  s.Draw(win->canvas);  // mode 0: the track only
  EXPECT_TRUE(IsFilled(win->canvas, {0, 0, 110, 6}, kTrack));
  EXPECT_TRUE(IsFilled(win->canvas, {0, 10, 20, 12}, 0));

  s.SetMode(*win, 1);
  s.SetThumbPosition(*win, 50);
  EXPECT_TRUE(IsFilled(win->canvas, {50, 0, 60, 6}, kThumb));
  EXPECT_EQ(s.rect, (SkinRect{50, 0, 60, 6}));  // hit tests find the thumb
  EXPECT_TRUE(IsFilled(win->canvas, {0, 10, 20, 12}, Rgb(127, 0, 0)));
  win->Press(s, 55, 3);
  win->Move(s, 90, 3);
  win->Release(s, 90, 3);
  EXPECT_EQ(s.position(), 50);
  EXPECT_TRUE(win->commands.empty());
  EXPECT_TRUE(IsFilled(win->canvas, {50, 0, 60, 6}, kThumb));

  s.SetMode(*win, 2);
  win->Press(s, 52, 3);  // grabbed 2 pixels into the thumb
  EXPECT_TRUE(IsFilled(win->canvas, {50, 0, 60, 6}, kPressed));
  win->Move(s, 72, 3);
  EXPECT_EQ(s.position(), 70);
  s.SetThumbPosition(*win, 10);  // held: ignored
  EXPECT_EQ(s.position(), 70);
  win->Move(s, 900, 3);
  EXPECT_EQ(s.position(), 100);
  win->Release(s, 900, 3);
  EXPECT_EQ(win->commands, (Commands{{403, 100 * 65536 + 100}}));
  EXPECT_TRUE(IsFilled(win->canvas, {100, 0, 110, 6}, kThumb));
  EXPECT_TRUE(IsFilled(win->canvas, {0, 10, 20, 12}, Rgb(255, 0, 0)));
  s.SetThumbPosition(*win, 10);  // the first one after the release moves it
  EXPECT_EQ(s.position(), 10);
}

TEST_F(Sliders, SliderWithoutItsStyleIsNeitherDrawnNorMoved) {
  Build();
  auto& s = Get<CSkinPositionSlider>(404);
  EXPECT_FALSE(s.usable());
  s.SetMode(*win, 2);
  s.Draw(win->canvas);
  win->Press(s, 5, 22);
  win->Move(s, 50, 22);
  win->Release(s, 50, 22);
  EXPECT_TRUE(IsFilled(win->canvas, {0, 20, 110, 26}, 0));
  EXPECT_TRUE(win->commands.empty());
  auto& v = Get<CSkinValueSlider>(499);
  EXPECT_FALSE(v.usable());
  win->Press(v, 172, 5);
  win->Move(v, 172, 40);
  EXPECT_TRUE(win->changed.empty());
}

TEST_F(Sliders, FillColours) {
  Build();
  const auto& style = *Get<CSkinPositionSlider>(403).style();
  EXPECT_EQ(SliderFillColor(style, 0, 100), Rgb(0, 0, 0));
  EXPECT_EQ(SliderFillColor(style, 50, 100), Rgb(127, 0, 0));
  EXPECT_EQ(SliderFillColor(style, 100, 100), Rgb(255, 0, 0));
  EXPECT_EQ(SliderFillColor(style, 10, 0), Rgb(0, 0, 0));  // no travel, no division

  Build(Rgb(255, 200, 0), Rgb(0, 100, 0), Rgb(255, 200, 0));  // the end darker than the start
  const auto& down = *Get<CSkinPositionSlider>(403).style();
  EXPECT_EQ(SliderFillColor(down, 100, 100), Rgb(255, 255, 0));  // held at 255, never wrapped

  Build(Rgb(0, 0, 0), Rgb(0, 0, 200), Rgb(100, 100, 100));  // through a middle colour
  const auto& three = *Get<CSkinPositionSlider>(403).style();
  EXPECT_TRUE(three.threeColor);
  EXPECT_EQ(SliderFillColor(three, 50, 100), Rgb(100, 100, 100));
  EXPECT_EQ(SliderFillColor(three, 0, 100), Rgb(0, 0, 0));
  EXPECT_EQ(SliderFillColor(three, 100, 100), Rgb(0, 0, 200));
  EXPECT_EQ(SliderFillColor(three, 75, 100), Rgb(50, 50, 150));
}

TEST_F(Sliders, ValueSliderStoresItsOffsetFromTheMiddle) {
  Build();
  auto& band = Get<CSkinValueSlider>(450);
  ASSERT_TRUE(band.usable());
  EXPECT_EQ(band.travel(), 40);
  EXPECT_EQ(band.position(), 20);  // stored value 0: the middle
  band.Draw(win->canvas);
  EXPECT_TRUE(IsFilled(win->canvas, {150, 20, 158, 30}, kThumb));
  win->Press(band, 152, 25);  // 5 pixels into the thumb
  win->Move(band, 152, -100);
  EXPECT_EQ(skin->settings.Equalizer(0), -20);
  EXPECT_EQ(band.frameIndex(), 4);
  EXPECT_EQ(band.ScaledValue(), 0);
  ASSERT_EQ(win->changed.size(), 1u);
  EXPECT_EQ(win->changed[0], &band);
  win->Move(band, 152, 500);
  EXPECT_EQ(skin->settings.Equalizer(0), 20);
  EXPECT_EQ(band.frameIndex(), 0);
  EXPECT_EQ(band.ScaledValue(), 100);
  win->Release(band, 152, 500);
  EXPECT_TRUE(win->commands.empty());

  band.SetKnobValue(*win, 1000);  // beyond the track: written back as it stands
  EXPECT_EQ(skin->settings.Equalizer(0), 20);
  band.SetKnobValue(*win, -7);
  EXPECT_EQ(band.position(), 13);
  EXPECT_EQ(skin->settings.Equalizer(0), -7);
  EXPECT_EQ(band.ScaledValue(), 32);
  EXPECT_TRUE(IsFilled(win->canvas, {150, 13, 158, 23}, kThumb));

  // Loaded from a stored value.
  auto& levels = skin->settings;
  levels.SetEqualizer(0, 10);
  auto& again = Get<CSkinValueSlider>(450);
  again.SetKnobValue(*win, levels.Equalizer(0));
  EXPECT_EQ(again.position(), 30);
}

TEST_F(Sliders, DegenerateKnobs) {
  Build();
  auto& noFrames = Get<CSkinValueSlider>(451);
  ASSERT_TRUE(noFrames.usable());
  noFrames.Draw(win->canvas);
  win->Press(noFrames, 162, 25);
  win->Move(noFrames, 162, 40);
  EXPECT_EQ(noFrames.frameIndex(), 0);
  auto& stuck = Get<CSkinValueSlider>(401);  // thumb as long as the track
  EXPECT_EQ(stuck.travel(), 0);
  win->Press(stuck, 182, 5);
  win->Move(stuck, 182, 9);
  EXPECT_EQ(stuck.ScaledValue(), 0);
  EXPECT_EQ(skin->settings[SettingsWord::kLevel401], 0);
}

struct Scroll : ::testing::Test {
  Scroll() {
    std::array<Bytes, 11> images;
    const int heights[11] = {4, 8, 1, 8, 1, 3, 3, 3, 1, 4, 1};
    for (int i = 0; i < 11; ++i) images[i] = Solid(6, heights[i], Rgb(10 * i + 5, 0, 0));
    SkinWriter w;
    w.Frame(1, {0, 0, 40, 200}, Solid(40, 200, 0));
    w.ScrollBar(720, {0, 0, 6, 122}, images);  // track 122 - 8 - 3 - 3 - 8 = 100
    w.ScrollBar(721, {10, 0, 16, 20}, images);  // no room for a track
    skin = std::make_unique<LoadedSkin>(w.bytes());
    win = std::make_unique<TestWindow>(skin->settings);
    bar = FindElementAs<CSkinScrollBar>(skin->frame(1), 720);
  }
  std::unique_ptr<LoadedSkin> skin;
  std::unique_ptr<TestWindow> win;
  CSkinScrollBar* bar = nullptr;
};

TEST_F(Scroll, LayoutAndDrawing) {
  EXPECT_EQ(bar->ComputeLayout().scale, 1.0f);  // total 0
  bar->SetScrollRange(50, 10, 5);
  const auto l = bar->ComputeLayout();
  EXPECT_EQ(l.trackLength, 100);
  EXPECT_EQ(l.scale, 2.0f);
  EXPECT_EQ(l.up, (SkinRect{0, 0, 6, 8}));
  EXPECT_EQ(l.down, (SkinRect{0, 114, 6, 122}));
  EXPECT_EQ(l.thumb, (SkinRect{0, 18, 6, 44}));
  bar->Draw(win->canvas);
  EXPECT_EQ(win->canvas.Pixel(3, 10), Rgb(5, 0, 0));    // background
  EXPECT_EQ(win->canvas.Pixel(3, 4), Rgb(15, 0, 0));    // up arrow
  EXPECT_EQ(win->canvas.Pixel(3, 119), Rgb(35, 0, 0));  // down arrow
  EXPECT_EQ(win->canvas.Pixel(3, 19), Rgb(55, 0, 0));   // top cap
  EXPECT_EQ(win->canvas.Pixel(3, 30), Rgb(95, 0, 0));   // middle
  EXPECT_EQ(win->canvas.Pixel(3, 42), Rgb(75, 0, 0));   // bottom cap

  bar->SetScrollRange(50, 500, 0);  // the middle never runs into the down arrow
  EXPECT_EQ(bar->ComputeLayout().bottomCap.bottom, 114);
}

TEST_F(Scroll, Mouse) {
  bar->SetScrollRange(50, 10, 5);
  bar->Draw(win->canvas);
  win->Press(*bar, 3, 3);
  win->Release(*bar, 3, 3);
  win->Press(*bar, 3, 118);
  win->Release(*bar, 3, 118);
  EXPECT_EQ(win->commands, (Commands{{720, 1}, {720, 2}}));
  EXPECT_EQ(bar->top(), 5);  // the window scrolls, not the bar
  win->commands.clear();

  win->Press(*bar, 3, 20);  // on the thumb, 2 below its top
  win->Move(*bar, 3, 30);   // d = 30 - 2 - 8 = 20: row trunc(10 + 0.95) = 10
  win->Move(*bar, 3, 30);
  win->Move(*bar, 3, 31);   // 10.5 + 0.95: still 11? trunc(11.45) = 11
  win->Move(*bar, 3, 500);  // d capped at m + 1 = 81: row 41
  win->Move(*bar, 3, -40);  // d 0: row 0
  win->Release(*bar, 3, -40);
  win->Move(*bar, 3, 60);  // released: nothing
  EXPECT_EQ(win->commands, (Commands{{720, 10 * 65536 + 3}, {720, 11 * 65536 + 3}, {720, 41 * 65536 + 3},
                                     {720, 0 * 65536 + 3}}));
}

TEST_F(Scroll, NoRoomForATrack) {
  auto* tiny = FindElementAs<CSkinScrollBar>(skin->frame(1), 721);
  tiny->SetScrollRange(50, 10, 5);
  EXPECT_LT(tiny->ComputeLayout().scale, 0.0f);
  tiny->Draw(win->canvas);
  win->Press(*tiny, 13, 10);
  win->Move(*tiny, 13, 15);
  win->Release(*tiny, 13, 15);
  EXPECT_TRUE(win->commands.empty());
}

}  // namespace
}  // namespace vantu
