// Our own skin, DruskLirn.Mpt, as the build makes it: every frame the windows
// use, every element they look up, of the kind they expect, and a picture of
// each frame drawn headless (kept in artifacts/ of the build folder).
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "music-player/skin/SkinFrameLayout.h"
#include "music-player/skin/tests/SkinTestSupport.h"

namespace vantu {
namespace {

using namespace testing;
namespace fmt = skin_format;

struct Shipped : ::testing::Test {
  Shipped() {
    skin = std::make_unique<CSkin>(settings);
    skin->SetMessageHandler([this](std::string_view m) { messages.emplace_back(m); });
  }
  PlayerSettings settings;
  std::unique_ptr<CSkin> skin;
  std::vector<std::string> messages;
};

template <class Kind>
void ExpectKind(const SkinElementList* list, std::initializer_list<int> ids) {
  for (int id : ids) EXPECT_NE(FindElementAs<Kind>(list, id), nullptr) << "element " << id;
}

TEST_F(Shipped, EveryFrameAndElementTheWindowsUse) {
  ASSERT_EQ(skin->LoadSkin(DRUSK_SKIN_FILE), 1);
  EXPECT_EQ(skin->ParseSkin(), 1);
  EXPECT_TRUE(messages.empty());
  const auto& r = skin->report();
  EXPECT_EQ(r.skippedUnknown + r.withoutFrame + r.badFrameNumbers + r.duplicateFrames + r.badSlots, 0);

  const SkinElementList* main = skin->Frame(0);
  const SkinElementList* eq = skin->Frame(3);
  const SkinElementList* playlist = skin->Frame(6);
  const SkinElementList* browser = skin->Frame(9);
  ASSERT_TRUE(main && eq && playlist && browser);
  ExpectKind<CSkinPushButton>(main, {101, 102, 103, 104, 105, 106, 121, 123, 125});
  ExpectKind<CSkinToggleButton>(main, {107, 108, 109, 110, 111});
  ExpectKind<CSkinValueSlider>(main, {401, 402});
  ExpectKind<CSkinPositionSlider>(main, {403});
  ExpectKind<CSkinImageCounter>(main, {501, 502});
  ExpectKind<CSkinNumberField>(main, {511, 512});
  ExpectKind<CSkinImageSelector>(main, {521, 522});
  ExpectKind<CSkinTextField>(main, {531});
  ExpectKind<CSkinToggleButton>(eq, {201, 202});
  ExpectKind<CSkinPushButton>(eq, {125, 203, 204});
  ExpectKind<CSkinValueSlider>(eq, {420, 450, 451, 452, 453, 454, 455, 456, 457, 458, 459});
  ExpectKind<CSkinListStyle>(playlist, {700});
  ExpectKind<CSkinScrollBar>(playlist, {720});
  for (const SkinElementList* sizable : {playlist, browser}) {
    for (int id = 2001; id <= 2006; ++id) {
      EXPECT_NE(FindElementOfTypeAndId(sizable, fmt::kStretchPiece, id), nullptr);
    }
    for (int id = 2101; id <= 2105; ++id) {
      EXPECT_NE(FindElementOfTypeAndId(sizable, fmt::kFixedPiece, id), nullptr);
    }
    for (int id : {2001, 2002}) EXPECT_NE(FindElementOfTypeAndId(sizable, fmt::kTitleHandleA, id), nullptr);
    for (int id : {2101, 2102, 2103}) EXPECT_NE(FindElementOfTypeAndId(sizable, fmt::kTitleHandleB, id), nullptr);
    EXPECT_NE(FindElementOfType(sizable, fmt::kResizeGrip), nullptr);
    EXPECT_NE(FindElementAs<CSkinPushButton>(sizable, 125), nullptr);
  }

  // Every kind the player knows appears, every slider found its style,
  // every font and digit set is there.
  std::set<std::uint32_t> kinds;
  for (int slot = 0; slot < fmt::kFrameSlots; ++slot) {
    if (!skin->Frame(slot)) continue;
    for (const auto& e : *skin->Frame(slot)) {
      kinds.insert(e->type);
      if (auto* slider = dynamic_cast<CSkinSliderBase*>(e.get())) {
        EXPECT_TRUE(slider->usable()) << e->id;
      }
    }
  }
  for (const auto& e : skin->Styles()) kinds.insert(e->type);
  for (std::uint32_t t : {1u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 10u, 11u, 21u, 22u, 30u, 31u, 41u, 42u, 50u, 51u, 501u, 502u}) {
    EXPECT_TRUE(kinds.count(t)) << "type " << t;
  }
  ASSERT_NE(skin->Font(0), nullptr);
  EXPECT_EQ(skin->Font(0)->spec.face, "굴림");
  ASSERT_NE(skin->ImageSet(0), nullptr);
  for (const auto& image : skin->ImageSet(0)->images) EXPECT_FALSE(image.empty());
}

// Draws each frame as its window would and saves it as a PNG.
TEST_F(Shipped, FramesDrawnHeadless) {
  settings[SettingsWord::kRepeat] = 1;
  settings[SettingsWord::kEqualizerWindowOpen] = 1;
  settings[SettingsWord::kPlaylistWindowOpen] = 1;
  settings[SettingsWord::kEqualizerOn] = 1;
  const int bands[10] = {6, 10, 8, 2, -4, -6, 0, 8, 12, 14};
  for (int i = 0; i < 10; ++i) settings.SetEqualizer(static_cast<std::size_t>(i), bands[i]);
  settings[SettingsWord::kLevel401] = 14;
  ASSERT_EQ(skin->LoadSkin(DRUSK_SKIN_FILE), 1);  // the sliders take their places from the settings
  const std::filesystem::path out = std::filesystem::path(ARTIFACTS_DIR);
  std::filesystem::create_directories(out);

  const struct { int slot; const char* name; bool sizable; } frames[] = {
      {0, "main", false}, {3, "equalizer", false}, {6, "playlist", true}, {9, "browser", true}};
  for (const auto& f : frames) {
    SkinElementList* list = skin->Frame(f.slot);
    ASSERT_NE(list, nullptr);
    const SkinRect size = FindElementOfType(list, fmt::kFrameBackground)->rect;
    TestWindow win(settings, size.Width(), size.Height());
    if (f.sizable) LayoutSkinFrame(*list, size.Width(), size.Height());
    for (const auto& e : *list) {
      if (e->IsHidden() || (f.sizable && e->type == fmt::kFrameBackground)) continue;
      e->Draw(win.canvas);
    }
    if (f.slot == 0) {
      FindElementAs<CSkinImageCounter>(list, 501)->SetNumber(win.canvas, 3);
      FindElementAs<CSkinImageCounter>(list, 502)->SetNumber(win.canvas, 7);
      FindElementAs<CSkinNumberField>(list, 511)->SetNumber(win.canvas, 128);
      FindElementAs<CSkinNumberField>(list, 512)->SetNumber(win.canvas, 44);
      FindElementAs<CSkinImageSelector>(list, 521)->SetIndex(win.canvas, 1);
      FindElementAs<CSkinTextField>(list, 531)->SetText(win.canvas, "DruskLirn - 재생 중");
      auto* seek = FindElementAs<CSkinPositionSlider>(list, 403);
      seek->SetMode(win, 2);
      seek->SetThumbPosition(win, seek->travel() * 2 / 5);
    }
    // The face is drawn: more than one colour, and nothing left black at the corners.
    std::set<gui::Color> colours(win.canvas.Pixels().begin(), win.canvas.Pixels().end());
    EXPECT_GT(colours.size(), 8u) << f.name;
    EXPECT_NE(win.canvas.Pixel(0, 0), 0u) << f.name;
    EXPECT_NE(win.canvas.Pixel(size.Width() - 1, size.Height() - 1), 0u) << f.name;
    const auto path = out / (std::string("skin-frame-") + std::to_string(f.slot + 1) + "-" + f.name + ".png");
    EXPECT_TRUE(win.canvas.SavePng(path)) << path;
  }
}

}  // namespace
}  // namespace vantu
