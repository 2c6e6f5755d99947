#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "platform/Registry.h"
#include "transfer-manager/FileListBox.h"
#include "transfer-manager/modCommon.h"
#include "transfer-manager/modRegistry.h"

namespace halvern {
namespace {

namespace fs = std::filesystem;

TEST(CommonTest, FileNamePartAndShifts) {
  EXPECT_EQ(GetFileName("C:\\Music\\song.mp3"), "song.mp3");
  EXPECT_EQ(GetFileName("C:\\Music\\"), "");
  EXPECT_EQ(GetFileName("song.mp3"), "");
  EXPECT_EQ(GetFileName("C:\\음악\\노래.mp3"), "노래.mp3");
  EXPECT_EQ(GetFolderPart("C:\\Music\\song.mp3"), "C:\\Music");
  EXPECT_EQ(ShiftLeft(3, 8), 768);
  EXPECT_EQ(ShiftRight(768, 8), 3);
  EXPECT_EQ(ShiftRight(0xF5, 4), 15);
  EXPECT_EQ(ShiftLeft(1, 31), INT32_MIN);
  EXPECT_EQ(ShiftLeft(1, 40), 0);
}

TEST(CommonTest, SizeTextsRoundHalvesToEven) {
  EXPECT_EQ(SizeText(0), "0 KB");
  EXPECT_EQ(SizeText(1), "1 KB");
  EXPECT_EQ(SizeText(300), "1 KB");
  EXPECT_EQ(SizeText(1536), "2 KB");  // 1.5 -> 2
  EXPECT_EQ(SizeText(2560), "2 KB");  // 2.5 -> 2
  EXPECT_EQ(SizeText(3584), "4 KB");  // 3.5 -> 4
  EXPECT_EQ(SizeText(2561), "3 KB");
  EXPECT_EQ(SizeText(1024ull * 1024), "1,024 KB");
  EXPECT_EQ(SizeText(4000000000ull), "3,906,250 KB");
  EXPECT_EQ(GroupThousands(999), "999");
  EXPECT_EQ(GroupThousands(1000), "1,000");
}

TEST(CommonTest, VersionAndModelTexts) {
  EXPECT_EQ(VersionMenuText(12), "Product Version : 1.2");
  EXPECT_EQ(VersionText(5), ".5");
  EXPECT_EQ(VersionText(0), ".0");
  EXPECT_EQ(VersionText(123), "12.3");
  EXPECT_EQ(ModelMenuText("F010"), "Model : ZMR-A");
  EXPECT_EQ(ModelMenuText("F011"), "Model : ZMR-B");
  EXPECT_EQ(ModelMenuText("F012"), "Model : ZMR-C");
  EXPECT_EQ(ModelMenuText("f010"), "Model : ?");
  EXPECT_EQ(ModelMenuText(""), "Model : ?");
}

class FolderTest : public ::testing::Test {
 protected:
  FolderTest() {
    // One folder per case and run: ctest runs the cases as parallel processes.
    root = fs::path(::testing::TempDir()) /
           ("halvern_folder_test_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
            "_" + std::to_string(std::random_device{}()));
    fs::remove_all(root);
    fs::create_directories(root);
  }
  ~FolderTest() override { fs::remove_all(root); }
  void Touch(const fs::path& p, std::size_t bytes = 1) {
    const std::vector<std::uint8_t> data(bytes, 0x41);
    ASSERT_TRUE(common::WriteFileAtomically(p, data));
  }
  fs::path root;
};

TEST_F(FolderTest, PathsAreTakenLiterallyWithHangulAndWildcardCharacters) {
  const fs::path song = root / PathFromText("노래 하나.mp3");
  Touch(song);
  EXPECT_TRUE(FileExists(song));
  EXPECT_TRUE(PathExists(song));
  EXPECT_TRUE(PathExists(root));
  EXPECT_FALSE(FileExists(root));  // a folder is not a file
  EXPECT_FALSE(FileExists(root / "missing.mp3"));
  // A wildcard matches nothing: only a file of that very name would.
  EXPECT_FALSE(FileExists(root / "*.mp3"));
  EXPECT_FALSE(PathExists(root / "?"));
  EXPECT_FALSE(PathExists(common::Path()));
}

TEST_F(FolderTest, FileListBoxListsTheMatchingFilesSorted) {
  Touch(root / "b.mp3");
  Touch(root / "A.MP3");
  Touch(root / PathFromText("가요.mp3"));
  Touch(root / "notes.txt");
  Touch(root / "mp3");
  fs::create_directories(root / "folder.mp3");
  FileListBox box("*.mp3");
  box.SetPath(TextOfPath(root));
  EXPECT_EQ(box.Names(), (std::vector<std::string>{"A.MP3", "b.mp3", "가요.mp3"}));
  EXPECT_EQ(box.ListIndex(), -1);
  box.SetListIndex(0);
  EXPECT_EQ(box.ListIndex(), 0);

  fs::remove(root / "b.mp3");
  Touch(root / "c.mp3");
  box.Refresh();
  EXPECT_EQ(box.Names(), (std::vector<std::string>{"A.MP3", "c.mp3", "가요.mp3"}));
  box.SetPath(TextOfPath(root / "missing"));
  EXPECT_EQ(box.ListCount(), 0);
}

TEST(RegistryTest, AHangulFolderComesBackWhole) {
  auto registry = platform::CreateSystemRegistry();  // the real one under Wine
  const std::string folder = "C:\\음악\\새 폴더 (2)\\노래";
  SetRegString(*registry, platform::RegistryRoot::kCurrentUser, kSettingsKey, "HalvernTest", folder);
  EXPECT_EQ(GetRegString(*registry, platform::RegistryRoot::kCurrentUser, kSettingsKey, "HalvernTest"), folder);
  EXPECT_EQ(GetRegString(*registry, platform::RegistryRoot::kCurrentUser, kSettingsKey, "HalvernMissing", "C:"),
            "C:");
  EXPECT_EQ(GetRegString(*registry, platform::RegistryRoot::kCurrentUser, "Software\\DureDudezi\\NoSuchKey",
                         kLastFolderValue),
            "");
  (void)registry->DeleteValue(platform::RegistryRoot::kCurrentUser, kSettingsKey, "HalvernTest");
}

}  // namespace
}  // namespace halvern
