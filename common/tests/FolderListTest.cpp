// Folder listings and wildcard patterns.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/ErrorText.h"
#include "common/FolderList.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace common {
namespace {

namespace fs = std::filesystem;

TEST(FolderListTest, PatternsFollowTheWindowsWildcards) {
  EXPECT_TRUE(MatchesPattern("Song.MP3", "*.mp3"));
  EXPECT_TRUE(MatchesPattern("a.b.mp3", "*.mp3"));
  EXPECT_FALSE(MatchesPattern("song.mp3.txt", "*.mp3"));
  EXPECT_FALSE(MatchesPattern("mp3", "*.mp3"));
  EXPECT_TRUE(MatchesPattern("README", "*.*")) << "every name, dot or none";
  EXPECT_TRUE(MatchesPattern("track7.sa3", "track?.sa3"));
  EXPECT_FALSE(MatchesPattern("track10.sa3", "track?.sa3"));
  EXPECT_TRUE(MatchesPattern("노래1.sa3", "??1.SA3")) << "? takes one whole Hangul character";
  EXPECT_TRUE(MatchesPattern("노래.sa3", "노래*"));
  EXPECT_FALSE(MatchesPattern("노래.sa3", "노트*"));
  EXPECT_TRUE(MatchesPattern("abcabd", "*abd")) << "backtracks past an early partial match";
  EXPECT_TRUE(MatchesPattern("", "*"));
  EXPECT_FALSE(MatchesPattern("", "?"));
}

TEST(FolderListTest, ListsFilesAndFoldersWithSizesAndReportsAMissingFolder) {
  const fs::path dir = fs::temp_directory_path() / ("folder-list-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  fs::remove_all(dir);
  fs::create_directories(dir / "sub");
  std::ofstream(dir / "a.sa3", std::ios::binary) << std::string(1025, 'x');
  std::ofstream(dir / u8"노래.mp3", std::ios::binary) << "";
  auto listed = ListFolder(dir);
  ASSERT_TRUE(listed.ok()) << listed.error().message;
  auto entries = *listed;
  std::sort(entries.begin(), entries.end(), [](const auto& x, const auto& y) { return x.name < y.name; });
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "a.sa3");
  EXPECT_EQ(entries[0].size, 1025u);
  EXPECT_FALSE(entries[0].folder);
  EXPECT_EQ(entries[1].name, "sub");
  EXPECT_TRUE(entries[1].folder);
  EXPECT_EQ(entries[2].name, "노래.mp3");
  EXPECT_EQ(entries[2].size, 0u);

  auto missing = ListFolder(dir / "gone");
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.error().code, static_cast<int>(FileError::kNotFound));
  auto notFolder = ListFolder(dir / "a.sa3");
  EXPECT_FALSE(notFolder.ok());
  fs::remove_all(dir);
  EXPECT_FALSE(ListDrives().empty());
}

TEST(FolderListTest, HiddenEntriesAreMarked) {
  const fs::path dir = fs::temp_directory_path() / ("folder-list-hidden-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "shown.mp3") << "x";
#ifdef _WIN32
  std::ofstream(dir / "secret.mp3") << "x";
  ASSERT_TRUE(SetFileAttributesW((dir / "secret.mp3").c_str(), FILE_ATTRIBUTE_HIDDEN));
#else
  std::ofstream(dir / ".secret.mp3") << "x";
#endif
  auto listed = ListFolder(dir);
  ASSERT_TRUE(listed.ok());
  ASSERT_EQ(listed->size(), 2u);
  for (const auto& entry : *listed) EXPECT_EQ(entry.hidden, entry.name != "shown.mp3") << entry.name;
#ifdef _WIN32
  SetFileAttributesW((dir / "secret.mp3").c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
  fs::remove_all(dir);
}

}  // namespace
}  // namespace common
