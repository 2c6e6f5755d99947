// The MP3 bit rate the header block carries, from frames made here.
#include <gtest/gtest.h>

#include "transfer-manager/Mp3Header.h"
#include "transfer-manager/tests/Mp3Frames.h"

namespace halvern {
namespace {

using testing::AppendFrames;
using testing::AppendXingFrame;
using testing::FrameSpec;

std::uint32_t RateOf(const std::vector<std::uint8_t>& bytes) {
  const auto rate = FindMp3Rate(bytes, bytes.size());
  return rate ? rate->byteRate : 0;
}

TEST(Mp3HeaderTest, ConstantRatesOfEveryVersionAreTheirTrueRates) {
  struct Case {
    FrameSpec frame;
    std::uint32_t bytesPerSecond;
  } cases[] = {
      {{1, 9, 0}, 16000},   // 128 kbit/s, 44.1 kHz
      {{1, 1, 1}, 4000},    // 32 kbit/s, 48 kHz
      {{1, 14, 2}, 40000},  // 320 kbit/s, 32 kHz
      {{2, 1, 0}, 1000},    // 8 kbit/s
      {{2, 3, 0}, 3000},    // 24 kbit/s: a true rate, where a shifted table had none
      {{2, 13, 1}, 18000},  // 144 kbit/s
      {{2, 14, 0}, 20000},  // 160 kbit/s
      {{25, 2, 0}, 2000},   // MPEG-2.5, 16 kbit/s
      {{1, 9, 0, true}, 16000},
  };
  for (const auto& c : cases) {
    std::vector<std::uint8_t> bytes;
    AppendFrames(bytes, c.frame, 3);
    EXPECT_EQ(RateOf(bytes), c.bytesPerSecond) << c.frame.version << "/" << c.frame.rateIndex;
  }
}

TEST(Mp3HeaderTest, StrayBytesBeforeTheFirstFrameAreNotTakenForOne) {
  std::vector<std::uint8_t> bytes{0xFF, 0x01, 0xFF, 0xFB, 0x00, 0x00, 0xFF, 0xFF, 0xF0, 0xFF};
  // 0xFF 0xFB 0xE0 is a valid header of 320 kbit/s, but its next frame's place
  // holds none.
  bytes.insert(bytes.end(), {0xFF, 0xFB, 0xE0, 0x00, 0x12});
  const std::size_t first = bytes.size();
  AppendFrames(bytes, {1, 5, 0}, 8);  // 64 kbit/s, 208 bytes a frame
  const auto rate = FindMp3Rate(bytes, bytes.size());
  ASSERT_TRUE(rate);
  EXPECT_EQ(rate->frameOffset, first);
  EXPECT_EQ(rate->byteRate, 8000u);

  // Layer I and II, reserved versions, bad and free-format rates: no frame.
  for (const std::vector<std::uint8_t>& header :
       {std::vector<std::uint8_t>{0xFF, 0xFF, 0x90, 0}, {0xFF, 0xFD, 0x90, 0}, {0xFF, 0xEB, 0x90, 0},
        {0xFF, 0xFB, 0xF0, 0}, {0xFF, 0xFB, 0x00, 0}, {0xFF, 0xFB, 0x9C, 0}}) {
    EXPECT_FALSE(ParseMp3FrameHeader(header)) << int(header[1]) << " " << int(header[2]);
  }
  EXPECT_FALSE(FindMp3Rate(std::vector<std::uint8_t>{0xFF, 0xFB, 0x90}, 3));  // cut short
  EXPECT_FALSE(FindMp3Rate({}, 0));
}

TEST(Mp3HeaderTest, AVbrFileGetsItsAverageRateFromTheXingFrameCount) {
  std::vector<std::uint8_t> bytes;
  const FrameSpec low{1, 5, 0}, high{1, 13, 0};  // 64 and 256 kbit/s at 44.1 kHz
  AppendXingFrame(bytes, low, 200);
  AppendFrames(bytes, low, 100);
  AppendFrames(bytes, high, 100);
  // 200 frames of 1152 samples at 44100 Hz: 5.224 s, the header's frame
  // not among them.
  const std::uint64_t audio = bytes.size() - testing::FrameBytes(low);
  const std::uint64_t expected = (audio * 44100 + 200 * 1152 / 2) / (200 * 1152);
  const auto rate = FindMp3Rate(bytes, bytes.size());
  ASSERT_TRUE(rate);
  ASSERT_TRUE(rate->vbrFrames);
  EXPECT_EQ(*rate->vbrFrames, 200u);
  EXPECT_EQ(rate->byteRate, expected);
  EXPECT_GT(rate->byteRate, 8000u);
  EXPECT_LT(rate->byteRate, 32000u);

  // Without the header the first frame stands for the file.
  std::vector<std::uint8_t> plain;
  AppendFrames(plain, low, 2);
  AppendFrames(plain, high, 2);
  EXPECT_EQ(RateOf(plain), 8000u);

  // A frame count of 0, or an average no 16 bits hold, keeps the frame's rate.
  std::vector<std::uint8_t> zero;
  AppendXingFrame(zero, low, 0);
  AppendFrames(zero, low, 2);
  EXPECT_EQ(RateOf(zero), 8000u);
  std::vector<std::uint8_t> one;
  AppendXingFrame(one, low, 1);
  AppendFrames(one, low, 2);
  const auto huge = FindMp3Rate(one, 50'000'000);
  ASSERT_TRUE(huge);
  EXPECT_EQ(huge->byteRate, 8000u);
}

TEST(Mp3HeaderTest, AnInfoHeaderMarksAConstantRateFileThatKeepsItsFramesRate) {
  for (const FrameSpec spec : {FrameSpec{1, 9, 0}, FrameSpec{1, 9, 0, true}, FrameSpec{2, 8, 1}}) {
    SCOPED_TRACE(std::to_string(spec.version) + "/" + std::to_string(spec.rateIndex));
    std::vector<std::uint8_t> bytes;
    AppendXingFrame(bytes, spec, 1000, "Info");
    AppendFrames(bytes, spec, 20);
    // The file is longer than the bytes looked at; every frame of it has
    // the first one's rate.
    const std::uint64_t fileBytes = 1001 * testing::FrameBytes(spec);
    const auto rate = FindMp3Rate(bytes, fileBytes);
    ASSERT_TRUE(rate);
    EXPECT_FALSE(rate->vbrFrames);
    const unsigned kbps = spec.version == 1 ? 128 : 64;
    EXPECT_EQ(rate->byteRate, kbps * 1000 / 8);
  }
  // A Xing header without a frame count leaves the first frame's rate too.
  std::vector<std::uint8_t> bytes;
  AppendXingFrame(bytes, {1, 9, 0}, 1000);
  bytes[4 + 32 + 7] = 0;
  AppendFrames(bytes, {1, 5, 0}, 2);
  EXPECT_EQ(RateOf(bytes), 16000u);
}

TEST(Mp3HeaderTest, AnId3v2TagIsMeasuredAndPlayingSecondsRoundHalvesToEven) {
  const auto tag = testing::Id3v2Tag(300);
  EXPECT_EQ(Id3v2TagBytes(tag), 310u);
  std::vector<std::uint8_t> footer = tag;
  footer[5] = 0x10;
  EXPECT_EQ(Id3v2TagBytes(footer), 320u);
  footer[7] = 0x80;  // not synchsafe
  EXPECT_EQ(Id3v2TagBytes(footer), 0u);
  EXPECT_EQ(Id3v2TagBytes(std::vector<std::uint8_t>{'I', 'D', '3'}), 0u);

  EXPECT_EQ(PlayingSeconds(4'000'000, 16000), 250u);
  EXPECT_EQ(PlayingSeconds(24000, 16000), 2u);  // 1.5
  EXPECT_EQ(PlayingSeconds(40000, 16000), 2u);  // 2.5
  EXPECT_EQ(PlayingSeconds(40001, 16000), 3u);
  EXPECT_EQ(PlayingSeconds(123, 0), 0u);
  EXPECT_EQ(PlayingSeconds(0xFFFFFFFFull, 1000), 4294967u);
}

}  // namespace
}  // namespace halvern
