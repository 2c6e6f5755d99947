#include "common/File.h"

#include <gtest/gtest.h>

#include "common/CommitQueue.h"

#include <chrono>
#include <string>

#include "common/tests/BusyFile.h"

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

// Writes committed on the queue's thread come back in the order given; one
// that cannot be renamed into place is told, and leaves neither its
// temporary file nor a change to its target; what was not taken back is
// committed before the queue goes.
TEST_F(FileTest, CommitQueueTellsEveryOutcomeInOrderAndAFailureChangesNothing) {
  const Path folderInTheWay = dir_ / "b.sa3";
  std::filesystem::create_directories(folderInTheWay / "inside");
  ASSERT_TRUE(WriteFileAtomically(dir_ / "a.sa3", Bytes("older a")).ok());
  auto writer = [&](const char* name, const std::string& text) {
    auto w = AtomicFileWriter::Begin(dir_ / name);
    EXPECT_TRUE(w.ok());
    EXPECT_TRUE(w->Write(Bytes(text)).ok());
    return std::move(*w);
  };
  {
    CommitQueue queue;
    queue.Add(writer("a.sa3", "new a"), "a");
    queue.Add(writer("b.sa3", "new b"), "b");
    queue.Add(writer("c.sa3", "new c"), "c");
    auto outcomes = queue.Finish();
    ASSERT_EQ(outcomes.size(), 3u);
    EXPECT_EQ(outcomes[0].tag, "a");
    EXPECT_TRUE(outcomes[0].result.ok());
    EXPECT_EQ(outcomes[1].tag, "b");
    ASSERT_FALSE(outcomes[1].result.ok());
    EXPECT_NE(outcomes[1].result.error().message.find("b.sa3"), std::string::npos) << outcomes[1].result.error().message;
    EXPECT_TRUE(outcomes[2].result.ok());
    EXPECT_TRUE(queue.Finish().empty()) << "each outcome is handed over once";
    queue.Add(writer("d.sa3", "new d"), "d");
  }
  EXPECT_EQ(*ReadWholeFile(dir_ / "a.sa3", 100), "new a");
  EXPECT_TRUE(std::filesystem::is_directory(folderInTheWay / "inside"));
  EXPECT_EQ(*ReadWholeFile(dir_ / "c.sa3", 100), "new c");
  EXPECT_EQ(*ReadWholeFile(dir_ / "d.sa3", 100), "new d");
  EXPECT_EQ(FilesIn(), 4u) << "no temporary file left";
}

TEST_F(FileTest, AtomicWriteRemovesWhatAKilledWriteOfTheSameTargetLeftBehind) {
  const Path target = dir_ / "ORVEL.INI";
  auto leftover = [&](const std::string& name, std::chrono::minutes age) {
    const Path path = dir_ / name;
    EXPECT_TRUE(WriteFileAtomically(path, Bytes("x")).ok());
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - age);
    return path;
  };
  // What a process ended in the middle of a write leaves ...
  const Path stale = leftover("ORVEL.INI.123456-7-0.tmp", std::chrono::minutes(60));
  // ... a write of the same target that is still going on elsewhere ...
  const Path fresh = leftover("ORVEL.INI.123457-8-0.tmp", std::chrono::minutes(0));
  // ... and files that only look alike.
  const Path other = leftover("OTHER.INI.123456-7-0.tmp", std::chrono::minutes(60));
  const Path mine = leftover("ORVEL.INI.backup.tmp", std::chrono::minutes(60));
  const Path loose = leftover("ORVEL.INI.1-2.tmp", std::chrono::minutes(60));

  ASSERT_TRUE(WriteFileAtomically(target, Bytes("[MISC]")).ok());
  EXPECT_FALSE(FileExists(stale));
  EXPECT_TRUE(FileExists(fresh));
  EXPECT_TRUE(FileExists(other));
  EXPECT_TRUE(FileExists(mine));
  EXPECT_TRUE(FileExists(loose));
  EXPECT_EQ(*ReadWholeFile(target, 1024), "[MISC]");
}

TEST_F(FileTest, AFolderSweepRemovesOnlyStaleTemporaryFilesOfAnyTarget) {
  auto file = [&](const std::string& name, std::chrono::minutes age) {
    const Path path = dir_ / PathFromUtf8(name);
    EXPECT_TRUE(WriteFileAtomically(path, Bytes("x")).ok());
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - age);
    return path;
  };
  const Path channel = file("news012.sa3", std::chrono::minutes(60));
  // Left by killed writes of targets never written again ...
  const Path a = file("news012.sa3.123456-7-0.tmp", std::chrono::minutes(60));
  const Path b = file("날씨.sa3.9-0-3.tmp", std::chrono::minutes(11));
  // ... a write still under way, the channel files, and names only alike.
  const Path fresh = file("talk.sa3.123457-8-0.tmp", std::chrono::minutes(1));
  const Path bare = file(".1-2-3.tmp", std::chrono::minutes(60));
  const Path loose = file("x.sa3.1-2.tmp", std::chrono::minutes(60));
  const Path words = file("x.sa3.a-2-3.tmp", std::chrono::minutes(60));
  std::filesystem::create_directories(dir_ / "sub.1-2-3.tmp");

  RemoveStaleTempFilesIn(dir_);
  EXPECT_FALSE(FileExists(a));
  EXPECT_FALSE(FileExists(b));
  for (const Path& kept : {fresh, channel, bare, loose, words}) EXPECT_TRUE(FileExists(kept)) << kept;
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "sub.1-2-3.tmp"));
  RemoveStaleTempFilesIn(dir_ / "missing");  // nothing to sweep, no failure
}

#ifndef _WIN32
// Names on POSIX are bytes: a code page 949 name beside the target, or as
// the target, is a name like any other.
TEST_F(FileTest, AtomicWriteTakesNamesThatAreNoUtf8) {
  const std::string cp949 = "\xB3\xEB\xB7\xA1";  // "노래" in code page 949
  const Path beside = dir_ / (cp949 + ".mp3");
  const Path stale = dir_ / (cp949 + ".lirn.123456-7-0.tmp");
  ASSERT_TRUE(WriteFileAtomically(beside, Bytes("tune")).ok());
  ASSERT_TRUE(WriteFileAtomically(stale, Bytes("x")).ok());
  std::filesystem::last_write_time(stale, std::filesystem::file_time_type::clock::now() - std::chrono::minutes(60));

  const Path target = dir_ / (cp949 + ".lirn");
  ASSERT_TRUE(WriteFileAtomically(target, Bytes("list")).ok());
  EXPECT_EQ(*ReadWholeFile(target, 1024), "list");
  EXPECT_EQ(*ReadWholeFile(beside, 1024), "tune");
  EXPECT_FALSE(FileExists(stale));
}
#endif

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

}

// Failures carry the same code on every platform and read as the user
// should see them: the file's name and what was done in the sentence, the
// system's number and the whole path on the detail line.
TEST_F(FileTest, FailuresSayWhichFileWhatWasDoneAndWhy) {
  const Path missingFolder = dir_ / "nope" / "x.mp3";
  auto missing = File::OpenFile(missingFolder, File::Open::kWriteTruncate);
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.error().code, static_cast<int>(FileError::kNotFound));
  const std::string& text = missing.error().message;
  EXPECT_EQ(text.rfind(FileErrorSentence(FileOp::kCreate, "x.mp3", FileError::kNotFound) + "\n(시스템 오류 ", 0), 0u)
      << text;
  EXPECT_EQ(DetailOf(text).rfind("시스템 오류 ", 0), 0u) << text;
  EXPECT_NE(DetailOf(text).find(std::string(reinterpret_cast<const char*>(missingFolder.u8string().c_str()))),
            std::string::npos) << text;

  EXPECT_EQ(File::OpenFile(dir_ / "nope.txt", File::Open::kRead).error().code, static_cast<int>(FileError::kNotFound));
  EXPECT_EQ(File::OpenFile(dir_, File::Open::kRead).error().code, static_cast<int>(FileError::kIsFolder));
  const Path p = dir_ / "once.txt";
  ASSERT_TRUE(WriteFileAtomically(p, Bytes("abc")).ok());
  EXPECT_EQ(File::OpenFile(p, File::Open::kWriteNew).error().code, static_cast<int>(FileError::kExists));
  EXPECT_EQ(ReadWholeFile(p, 2).error().code, static_cast<int>(FileError::kTooLarge));
  EXPECT_EQ(RemoveFile(dir_ / "nope.txt").error().code, static_cast<int>(FileError::kNotFound));
}

// A failed atomic write names the file the user saves, not its temporary twin.
TEST_F(FileTest, AtomicWriteFailuresNameTheTarget) {
  auto saved = WriteFileAtomically(dir_ / "nope" / "ORVEL.INI", Bytes("x"));
  ASSERT_FALSE(saved.ok());
  EXPECT_EQ(saved.error().code, static_cast<int>(FileError::kNotFound));
  EXPECT_EQ(saved.error().message.rfind(FileErrorSentence(FileOp::kSave, "ORVEL.INI", FileError::kNotFound) + "\n(", 0),
            0u)
      << saved.error().message;
  // A folder in the target's place: the rename fails, the folder stays.
  ASSERT_TRUE(std::filesystem::create_directory(dir_ / "taken"));
  auto over = WriteFileAtomically(dir_ / "taken", Bytes("x"));
  ASSERT_FALSE(over.ok());
  EXPECT_EQ(over.error().message.rfind("'taken' 파일을 저장할 수 없습니다. ", 0), 0u) << over.error().message;
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "taken"));
}

TEST_F(FileTest, AnsiPathsReachTheFile) {
  const Path p = PathFromAnsi((dir_ / "plain-name.txt").string());
  ASSERT_TRUE(WriteFileAtomically(p, Bytes("x")).ok());
  EXPECT_TRUE(FileExists(dir_ / "plain-name.txt"));
  ASSERT_TRUE(RemoveFile(p).ok());
  EXPECT_FALSE(FileExists(p));
  EXPECT_FALSE(RemoveFile(p).ok());
}

TEST_F(FileTest, FileInUseWhileAnotherHolderHasItOpen) {
  const Path p = dir_ / "노래.mp3";
  ASSERT_TRUE(WriteFileAtomically(p, Bytes("x")).ok());
  EXPECT_FALSE(FileInUse(p));
  {
    testing::BusyFile holder(p);
    EXPECT_TRUE(FileInUse(p));
  }
  EXPECT_FALSE(FileInUse(p));
  EXPECT_FALSE(FileInUse(dir_ / "missing.mp3"));
}

TEST_F(FileTest, Utf8PathsRoundTrip) {
  const Path p = PathFromUtf8(PathToUtf8(dir_) + "/노래 01.mp3");
  ASSERT_TRUE(WriteFileAtomically(p, Bytes("x")).ok());
  EXPECT_TRUE(FileExists(dir_ / u8"노래 01.mp3"));
  EXPECT_EQ(PathToUtf8(p.filename()), "노래 01.mp3");
}

}  // namespace
}  // namespace common
