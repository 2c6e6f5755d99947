#include "common/File.h"

#include <gtest/gtest.h>

#include <string>

namespace common {
namespace {

class FileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("common-file-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  static std::span<const std::uint8_t> Bytes(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
  }
  std::size_t FilesIn() const {
    std::size_t n = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir_)) ++n;
    return n;
  }

  Path dir_;
};

TEST_F(FileTest, AtomicWriteReplacesTheWholeFile) {
  const Path target = dir_ / "settings.ini";
  ASSERT_TRUE(WriteFileAtomically(target, Bytes("old contents, longer")).ok());
  ASSERT_TRUE(WriteFileAtomically(target, Bytes("new")).ok());
  EXPECT_EQ(*ReadWholeFile(target, 1024), "new");
  EXPECT_EQ(FilesIn(), 1u);  // no temporary file left behind
}

TEST_F(FileTest, AbandonedAtomicWriteLeavesTheTargetAlone) {
  const Path target = dir_ / "list.txt";
  ASSERT_TRUE(WriteFileAtomically(target, Bytes("keep me")).ok());
  {
    auto writer = AtomicFileWriter::Begin(target);
    ASSERT_TRUE(writer.ok());
    ASSERT_TRUE(writer->Write(Bytes("half")).ok());
  }
  EXPECT_EQ(*ReadWholeFile(target, 1024), "keep me");
  EXPECT_EQ(FilesIn(), 1u);
}

TEST_F(FileTest, AtomicWriteIntoAMissingFolderFails) {
  EXPECT_FALSE(WriteFileAtomically(dir_ / "no-such-folder" / "x", Bytes("x")).ok());
}

TEST_F(FileTest, OpenModesAndErrors) {
  const Path p = dir_ / "a.bin";
  EXPECT_FALSE(File::OpenFile(p, File::Open::kRead).ok());
  {
    auto f = File::OpenFile(p, File::Open::kWriteTruncate);
    ASSERT_TRUE(f.ok());
    ASSERT_TRUE(f->Write(Bytes("abcdef")).ok());
    ASSERT_TRUE(f->Close().ok());
    EXPECT_TRUE(f->Close().ok());  // closing twice is harmless
  }
  EXPECT_FALSE(File::OpenFile(p, File::Open::kWriteNew).ok());
  ASSERT_TRUE(File::OpenFile(p, File::Open::kWriteKeep).ok());
  EXPECT_EQ(*ReadWholeFile(p, 100), "abcdef");
  EXPECT_FALSE(ReadWholeFile(p, 5).ok());

  auto r = File::OpenFile(p, File::Open::kRead);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(*r->Size(), 6u);
  ASSERT_TRUE(r->Seek(4).ok());
  std::uint8_t buf[8];
  EXPECT_EQ(*r->ReadFull(buf), 2u);
  EXPECT_EQ(*r->Read(buf), 0u);

  auto missing = File::OpenFile(dir_ / "nope" / "x", File::Open::kWriteTruncate);
  ASSERT_FALSE(missing.ok());
  EXPECT_NE(missing.error().message.find("cannot open"), std::string::npos);
}

TEST_F(FileTest, AnsiPathsReachTheFile) {
  const Path p = PathFromAnsi((dir_ / "plain-name.txt").string());
  ASSERT_TRUE(WriteFileAtomically(p, Bytes("x")).ok());
  EXPECT_TRUE(FileExists(dir_ / "plain-name.txt"));
  ASSERT_TRUE(RemoveFile(p).ok());
  EXPECT_FALSE(FileExists(p));
  EXPECT_FALSE(RemoveFile(p).ok());
}

}  // namespace
}  // namespace common
