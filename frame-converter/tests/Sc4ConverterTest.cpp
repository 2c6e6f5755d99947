#include "frame-converter/Sc4Converter.h"

#include <gtest/gtest.h>

#include <csignal>
#include <numeric>
#include <string>
#include <vector>

#include "common/ByteOrder.h"
#include "common/tests/SparseFile.h"
#include "frame-converter/Sc4Format.h"

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace ramblet {
namespace {

using common::Path;

class Sc4ConverterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           (std::string("sc4-converter-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  Path Put(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const Path p = dir_ / name;
    EXPECT_TRUE(common::WriteFileAtomically(p, bytes).ok());
    return p;
  }
  std::vector<std::uint8_t> Get(const Path& p) {
    auto s = common::ReadWholeFile(p, 1 << 26);
    EXPECT_TRUE(s.ok());
    return {s->begin(), s->end()};
  }
  std::size_t FilesIn() const {
    std::size_t n = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir_)) ++n;
    return n;
  }

  Path dir_;
};

std::vector<std::uint8_t> Pattern(std::size_t n) {
  std::vector<std::uint8_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(0x40 + i % 50);
  return v;
}

TEST_F(Sc4ConverterTest, SignatureAtTheStartCopiesTheWholeFile) {
  auto src = Pattern(300);
  src[0] = 0x01; src[1] = 0x1B; src[2] = 0x1D;
  const Path in = Put("in.sc4", src);
  const Path out = dir_ / "out.wav";
  ASSERT_EQ(ConvertSc4ToWav(in, out), ConvertResult::kDone);
  const auto wav = Get(out);
  ASSERT_EQ(wav.size(), 48u + 300u);
  EXPECT_EQ(common::LoadLE32(&wav[riff::kRiffSize]), 340u);
  EXPECT_EQ(common::LoadLE16(&wav[riff::kChannels]), 1);
  EXPECT_EQ(common::LoadLE32(&wav[riff::kSampleRate]), 8000u);
  EXPECT_EQ(common::LoadLE32(&wav[riff::kAvgBytesPerSec]), 4137u);
  EXPECT_EQ(common::LoadLE16(&wav[riff::kExtraValue]), 58);
  EXPECT_TRUE(std::equal(src.begin(), src.end(), wav.begin() + 48));
}

TEST_F(Sc4ConverterTest, StreamFromTheSignatureOnIsCopiedAcrossChunks) {
  auto src = Pattern(100);
  src[10] = 0x02; src[11] = 0xB2; src[12] = 0x2E;
  const Path in = Put("in.sc4", src);
  for (std::size_t chunk : {1u, 2u, 3u, 11u, 12u, 64u * 1024u}) {
    const Path out = dir_ / ("out-" + std::to_string(chunk) + ".wav");
    ASSERT_EQ(ConvertSc4ToWav(in, out, {chunk}), ConvertResult::kDone) << chunk;
    const auto wav = Get(out);
    ASSERT_EQ(wav.size(), 48u + 90u) << chunk;
    EXPECT_EQ(common::LoadLE32(&wav[riff::kDataSize]), 90u);
    EXPECT_EQ(common::LoadLE32(&wav[riff::kSampleRate]), 32000u);
    EXPECT_TRUE(std::equal(src.begin() + 10, src.end(), wav.begin() + 48)) << chunk;
  }
}

TEST_F(Sc4ConverterTest, NoSignatureGivesThreeAndAnEmptyNewDestination) {
  const Path shortIn = Put("short.sc4", {0x01, 0x1B});
  const Path plainIn = Put("plain.sc4", Pattern(5000));
  const Path out = dir_ / "out.wav";
  EXPECT_EQ(ConvertSc4ToWav(shortIn, out), ConvertResult::kNoSignature);
  ASSERT_TRUE(common::FileExists(out));
  EXPECT_TRUE(Get(out).empty());
  const Path out2 = dir_ / "out2.wav";
  EXPECT_EQ(ConvertSc4ToWav(plainIn, out2), ConvertResult::kNoSignature);
  EXPECT_TRUE(Get(out2).empty());
}

TEST_F(Sc4ConverterTest, FailuresLeaveAnExistingDestinationAlone) {
  const Path out = Put("keep.wav", {'k', 'e', 'e', 'p'});
  EXPECT_EQ(ConvertSc4ToWav(Put("plain.sc4", Pattern(64)), out), ConvertResult::kNoSignature);
  EXPECT_EQ(Get(out), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));
  EXPECT_EQ(FilesIn(), 2u);  // no temporary file either
}

TEST_F(Sc4ConverterTest, SameFileAsSourceAndDestinationIsConvertedInPlace) {
  auto src = Pattern(40);
  src[5] = 0x01; src[6] = 0x1B; src[7] = 0x1A;
  const Path p = Put("both.sc4", src);
  ASSERT_EQ(ConvertSc4ToWav(p, p, {4}), ConvertResult::kDone);
  const auto wav = Get(p);
  ASSERT_EQ(wav.size(), 48u + 35u);
  EXPECT_TRUE(std::equal(src.begin() + 5, src.end(), wav.begin() + 48));
  EXPECT_EQ(FilesIn(), 1u);
}

TEST_F(Sc4ConverterTest, MissingSourceGivesOneAndCreatesNothing) {
  const Path out = dir_ / "out.wav";
  EXPECT_EQ(ConvertSc4ToWav(dir_ / "missing.sc4", out), ConvertResult::kSourceNotOpened);
  EXPECT_FALSE(common::FileExists(out));
}

TEST_F(Sc4ConverterTest, UncreatableDestinationGivesTwo) {
  auto src = Pattern(10);
  src[0] = 0x01; src[1] = 0x1B; src[2] = 0x1E;
  const Path in = Put("in.sc4", src);
  EXPECT_EQ(ConvertSc4ToWav(in, dir_ / "no-folder" / "out.wav"), ConvertResult::kDestinationNotCreated);
  EXPECT_EQ(ConvertSc4ToWav(in, dir_), ConvertResult::kDestinationNotCreated);  // a folder
}

TEST_F(Sc4ConverterTest, AStreamLongerThanTheRiffSizesAllowGivesFourAndKeepsTheDestination) {
  // A sparse source: the signature, then a hole up to one byte more than a
  // RIFF file can describe. Nothing of it is copied.
  const Path in = dir_ / "huge.sc4";
  {
    auto file = common::File::OpenFile(in, common::File::Open::kWriteTruncate);
    ASSERT_TRUE(file.ok());
    const std::uint8_t signature[3] = {0x02, 0xB2, 0x2B};
    ASSERT_TRUE(file->Write(signature).ok());
    ASSERT_TRUE(file->Close().ok());
  }
  common::testing::MakeSparseFile(in, riff::kMaxStreamBytes + 1);
  const Path out = Put("keep.wav", {'k'});
  EXPECT_EQ(ConvertSc4ToWav(in, out), ConvertResult::kDestinationNotWritten);
  EXPECT_EQ(Get(out), (std::vector<std::uint8_t>{'k'}));
  const Path fresh = dir_ / "fresh.wav";
  EXPECT_EQ(ConvertSc4ToWav(in, fresh), ConvertResult::kDestinationNotWritten);
  EXPECT_FALSE(common::FileExists(fresh)) << "a destination that did not exist is not left behind";
  EXPECT_EQ(FilesIn(), 2u);
}

#ifndef _WIN32
// A write that fails half-way (here: the process may not write files
// larger than 64 KiB) gives 4 and leaves the destination as it was.
TEST_F(Sc4ConverterTest, AFailedWriteGivesFourAndKeepsTheDestination) {
  auto src = Pattern(256 * 1024);
  src[7] = 0x01; src[8] = 0x1B; src[9] = 0x1B;
  const Path in = Put("in.sc4", src);
  const Path out = Put("keep.wav", {'o', 'l', 'd'});
  struct rlimit before {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = before;
  small.rlim_cur = 64 * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const ConvertResult result = ConvertSc4ToWav(in, out);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &before), 0);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(result, ConvertResult::kDestinationNotWritten);
  EXPECT_EQ(Get(out), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(FilesIn(), 2u) << "no temporary file is left";
}
#endif

}  // namespace
}  // namespace ramblet
