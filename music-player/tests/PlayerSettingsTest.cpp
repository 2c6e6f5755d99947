#include "music-player/PlayerSettings.h"

#include <gtest/gtest.h>

#include "common/ByteOrder.h"

namespace vantu {
namespace {

TEST(PlayerSettings, FieldsSitAtTheirByteOffsets) {
  PlayerSettings s;
  s.SetRect(SettingsRect::kPlaylistWindow, Rect32{1, -2, 3, 4});
  s[SettingsWord::kShuffle] = 7;
  s[SettingsWord::kLevel401] = -5;
  s.SetEqualizer(31, 0x01020304);
  const auto b = s.Encode();
  EXPECT_EQ(common::LoadLE32(&b[32]), 1u);
  EXPECT_EQ(static_cast<std::int32_t>(common::LoadLE32(&b[36])), -2);
  EXPECT_EQ(common::LoadLE32(&b[44]), 4u);
  EXPECT_EQ(common::LoadLE32(&b[68]), 7u);
  EXPECT_EQ(static_cast<std::int32_t>(common::LoadLE32(&b[108])), -5);
  EXPECT_EQ(common::LoadLE32(&b[244]), 0x01020304u);

  PlayerSettings back;
  back.DecodePrefix(b);
  EXPECT_EQ(back, s);
}

TEST(PlayerSettings, ShortInputKeepsTheWordsItDoesNotCover) {
  PlayerSettings s;
  s[SettingsWord::kRepeat] = 9;      // byte 72
  s[SettingsWord::kShuffle] = 9;     // byte 68
  std::uint8_t input[71] = {};       // covers words 0-16 whole, word 17 partly
  s.DecodePrefix(input);
  EXPECT_EQ(s[SettingsWord::kShuffle], 9);
  EXPECT_EQ(s[SettingsWord::kRepeat], 9);
  EXPECT_EQ(s[SettingsWord::kWindowStyle], 0);
}

TEST(PlayerSettings, WordsByOffsetAndEqualizerIndexStayInsideTheBlock) {
  PlayerSettings s;
  ASSERT_NE(s.WordAt(68), nullptr);
  *s.WordAt(68) = 3;
  EXPECT_EQ(s[SettingsWord::kShuffle], 3);
  ASSERT_NE(s.WordAt(244), nullptr);
  EXPECT_EQ(s.WordAt(248), nullptr);
  EXPECT_EQ(s.WordAt(122), nullptr);
  s[SettingsWord::kShuffle] = 0;
  s.SetEqualizer(32, 5);  // ignored
  EXPECT_EQ(s.Equalizer(32), 0);
  EXPECT_EQ(s, PlayerSettings{});
}

TEST(PlayerSettings, FirstStartDefaultsAndToggle) {
  PlayerSettings s;
  s[SettingsWord::kShuffle] = 1;
  s.SetFirstStartDefaults();
  EXPECT_FALSE(s.Flag(SettingsWord::kShuffle));
  EXPECT_TRUE(s.Flag(SettingsWord::kRepeat));
  EXPECT_TRUE(s.Flag(SettingsWord::kBrowserWindowOpen));
  EXPECT_FALSE(s.Flag(SettingsWord::kEqualizerOn));
  s[SettingsWord::kOption202] = 5;
  s.Toggle(SettingsWord::kOption202);
  EXPECT_EQ(s[SettingsWord::kOption202], 0);
  s.Toggle(SettingsWord::kOption202);
  EXPECT_EQ(s[SettingsWord::kOption202], 1);
}

}  // namespace
}  // namespace vantu
