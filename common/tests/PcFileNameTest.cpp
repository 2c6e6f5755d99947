#include "common/PcFileName.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/File.h"

namespace common {
namespace {

TEST(PcFileNameTest, RefusesWhatWouldNameAnotherFileOrNoFile) {
  const struct {
    std::string name;
    FileNameFault fault;
  } refused[] = {
      {"", FileNameFault::kEmpty},
      {".", FileNameFault::kDots},
      {"..", FileNameFault::kDots},
      {"..\\..\\autoexec.bat", FileNameFault::kSeparator},
      {"music/track.mp3", FileNameFault::kSeparator},
      {"C:track.mp3", FileNameFault::kStream},
      {"track.mp3:hidden", FileNameFault::kStream},
      {"what?.mp3", FileNameFault::kBadCharacter},
      {"a*b.mp3", FileNameFault::kBadCharacter},
      {"line\r\nbreak.mp3", FileNameFault::kBadCharacter},
      {"tab\t.mp3", FileNameFault::kBadCharacter},
      {"\"quoted\".mp3", FileNameFault::kBadCharacter},
      {"CON", FileNameFault::kDeviceName},
      {"con.mp3", FileNameFault::kDeviceName},
      {"Nul .mp3", FileNameFault::kDeviceName},
      {"LPT1.sa3", FileNameFault::kDeviceName},
      {"com9", FileNameFault::kDeviceName},
      {"COM\xc2\xb9.mp3", FileNameFault::kDeviceName},
      {"conin$", FileNameFault::kDeviceName},
      {"track.mp3.", FileNameFault::kTrailingDotOrSpace},
      {"track.mp3 ", FileNameFault::kTrailingDotOrSpace},
      {std::string(256, 'a'), FileNameFault::kTooLong},
      {"\xff\xfe.mp3", FileNameFault::kBadCharacter},
  };
  for (const auto& c : refused) EXPECT_EQ(CheckFileName(std::string_view(c.name)), c.fault) << c.name;
}

TEST(PcFileNameTest, TakesOrdinaryNames) {
  for (const std::string& name : std::initializer_list<std::string>{"track.mp3", "노래 01.sa3", "a..b.mp3", ".hidden", "CONSOLE.mp3", "COM10.mp3",
                                 "LPT.mp3", "x", std::string(255, 'a'), "emoji \xf0\x9f\x8e\xb5.mp3"}) {
    EXPECT_EQ(CheckFileName(std::string_view(name)), FileNameFault::kNone) << name;
  }
}

TEST(PcFileNameTest, LoneSurrogatesAreNoName) {
  EXPECT_EQ(CheckFileName(std::u16string_view(u"a\xD800.mp3", 6)), FileNameFault::kBadCharacter);
  EXPECT_EQ(CheckFileName(std::u16string_view(u"a\xDC00.mp3", 6)), FileNameFault::kBadCharacter);
  EXPECT_EQ(CheckFileName(std::u16string_view(u"\xD83C\xDFB5.mp3", 6)), FileNameFault::kNone);
}

TEST(PcFileNameTest, FindInFolderTakesTheDisksSpellingWhateverTheCase) {
  const Path dir = std::filesystem::temp_directory_path() / "pc-file-name-find";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir / "Sub");
  ASSERT_TRUE(WriteFileAtomically(dir / "SONG.MP3", std::span<const std::uint8_t>()).ok());
  ASSERT_TRUE(WriteFileAtomically(dir / u8"노래.mp3", std::span<const std::uint8_t>()).ok());
  EXPECT_EQ(FindInFolder(dir, "song.mp3"), (dir / "SONG.MP3").lexically_normal());
  EXPECT_EQ(FindInFolder(dir, "SONG.MP3"), (dir / "SONG.MP3").lexically_normal());
  EXPECT_EQ(FindInFolder(dir, "노래.MP3"), (dir / u8"노래.mp3").lexically_normal());
  EXPECT_EQ(FindInFolder(dir, "sub"), (dir / "Sub").lexically_normal()) << "folders count too";
  EXPECT_EQ(FindInFolder(dir, "other.mp3"), std::nullopt);
  EXPECT_EQ(FindInFolder(dir, ""), std::nullopt);
  EXPECT_EQ(FindInFolder(dir / "missing", "song.mp3"), std::nullopt);
  ASSERT_TRUE(WriteFileAtomically(dir / u8"Ω.sa3", std::span<const std::uint8_t>()).ok());
  EXPECT_EQ(FindInFolder(dir, "ω.SA3"), (dir / u8"Ω.sa3").lexically_normal()) << "letters beyond ASCII fold too";
  std::filesystem::remove_all(dir);
}

TEST(PcFileNameTest, NamesAreComparedAsWindowsComparesThem) {
  EXPECT_EQ(FileNameKey(std::string_view("Song.mp3")), FileNameKey(std::string_view("SONG.MP3")));
  EXPECT_EQ(FileNameKey(std::string_view("Ω.sa3")), FileNameKey(std::string_view("ω.sa3")));
  EXPECT_EQ(FileNameKey(std::string_view("Ａ.sa3")), FileNameKey(std::string_view("ａ.sa3")));
  EXPECT_EQ(FileNameKey(std::string_view("Я.sa3")), FileNameKey(std::string_view("я.sa3")));
  EXPECT_EQ(FileNameKey(std::string_view("À.sa3")), FileNameKey(std::string_view("à.sa3")));
  EXPECT_EQ(FileNameKey(std::string_view("Ǆ")), FileNameKey(std::string_view("ǆ")));
  EXPECT_NE(FileNameKey(std::string_view("ß")), FileNameKey(std::string_view("SS"))) << "only one-to-one mappings";
  EXPECT_NE(FileNameKey(std::string_view("노래")), FileNameKey(std::string_view("노레")));
  EXPECT_EQ(FileNameKey(std::string_view("노래.MP3")), FileNameKey(std::string_view("노래.mp3")));
  EXPECT_EQ(FileNameKey(std::string_view("\xB3\xEB.mp3", 6)), FileNameKey(std::string_view("\xB3\xEB.MP3", 6)))
      << "bytes that are no UTF-8 stay bytes";
  EXPECT_EQ(CheckFileName(std::string_view("COM\u00B9.sa3")), FileNameFault::kDeviceName);
  EXPECT_EQ(CheckFileName(std::string_view("lpt\u00B2")), FileNameFault::kDeviceName);
  EXPECT_EQ(CheckFileName(std::string_view("ｃｏｍ1.sa3")), FileNameFault::kNone) << "wide letters are no device";
}

}  // namespace
}  // namespace common
