#include "frame-converter/Sc4Format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/ByteOrder.h"

namespace ramblet {
namespace {

TEST(Sc4HeaderTest, OneChannel8000HzHeaderIsByteExact) {
  const std::uint8_t expected[48] = {
      'R', 'I', 'F', 'F', 0x72, 0x00, 0x00, 0x00,  // n + 40 = 114 for n = 74
      'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
      20, 0, 0, 0,                                 // format block size
      0x50, 0x03,                                  // format tag 0x0350
      1, 0,                                        // channels
      0x40, 0x1F, 0, 0,                            // 8000 Hz
      0x29, 0x10, 0, 0,                            // 4137 bytes per second
      30, 0,                                       // block align
      0, 0,                                        // bits per sample
      2, 0,                                        // extra format bytes
      58, 0,                                       // extra value
      'd', 'a', 't', 'a', 74, 0, 0, 0};
  const Sc4RiffHeader h = BuildSc4RiffHeader(1, 74);
  EXPECT_EQ(std::vector<std::uint8_t>(h.begin(), h.end()),
            std::vector<std::uint8_t>(std::begin(expected), std::end(expected)));
}

// Every header byte for byte, for a stream of 1000 bytes: "RIFF", 1040,
// "WAVE", "fmt ", 20, 0x0350, then channels, rate, bytes per second, 30, 0,
// 2 and the extra value of the signature's row, "data", 1000.
TEST(Sc4HeaderTest, EverySignaturesHeaderIsByteExact) {
  const char* const expected[7] = {
      "524946461004000057415645666d74201400000050030200401f0000532000001e00000002001d0064617461e8030000",
      "524946461004000057415645666d74201400000050030100401f0000291000001e00000002003a0064617461e8030000",
      "524946461004000057415645666d74201400000050030200112b00008d2c00001e00000002001d0064617461e8030000",
      "524946461004000057415645666d74201400000050030100112b0000461600001e00000002003a0064617461e8030000",
      "524946461004000057415645666d74201400000050030200803e0000a74000001e00000002001d0064617461e8030000",
      "524946461004000057415645666d74201400000050030100803e0000532000001e00000002003a0064617461e8030000",
      "524946461004000057415645666d74201400000050030100007d0000a74000001e00000002003a0064617461e8030000",
  };
  for (std::size_t i = 0; i < 7; ++i) {
    const Sc4RiffHeader h = BuildSc4RiffHeader(i, 1000);
    std::string hex;
    for (std::uint8_t b : h) {
      static constexpr char kDigits[] = "0123456789abcdef";
      hex += kDigits[b >> 4];
      hex += kDigits[b & 15];
    }
    EXPECT_EQ(hex, expected[i]) << "signature " << i;
  }
}

TEST(Sc4HeaderTest, TheLargestStreamThatFitsFillsBothSizes) {
  const Sc4RiffHeader h = BuildSc4RiffHeader(6, 0xFFFFFFFFu - 40);
  EXPECT_EQ(common::LoadLE32(&h[riff::kRiffSize]), 0xFFFFFFFFu);
  EXPECT_EQ(common::LoadLE32(&h[riff::kDataSize]), 0xFFFFFFFFu - 40);
}

std::vector<std::uint8_t> Bytes(std::initializer_list<int> v) {
  std::vector<std::uint8_t> out;
  for (int b : v) out.push_back(static_cast<std::uint8_t>(b));
  return out;
}

TEST(Sc4SearchTest, FindsEachSignatureAtTheStartAndAtTheEnd) {
  for (std::size_t i = 0; i < kSc4Signatures.size(); ++i) {
    const auto& s = kSc4Signatures[i].bytes;
    auto m = FindSc4Signature(s);
    ASSERT_TRUE(m) << i;
    EXPECT_EQ(m->offset, 0u);
    EXPECT_EQ(m->index, i);

    std::vector<std::uint8_t> data(1003, 0x01);  // 01 runs are near misses
    std::copy(s.begin(), s.end(), data.begin() + 1000);
    m = FindSc4Signature(data);
    ASSERT_TRUE(m) << i;
    EXPECT_EQ(m->offset, 1000u);
    EXPECT_EQ(m->index, i);
  }
}

TEST(Sc4SearchTest, ShortInputsAndPartialSignaturesAreNotFound) {
  EXPECT_FALSE(FindSc4Signature({}));
  EXPECT_FALSE(FindSc4Signature(Bytes({0x01, 0x1B})));
  EXPECT_FALSE(FindSc4Signature(Bytes({0x00, 0x00, 0x02, 0xB2})));   // cut off by the end
  EXPECT_FALSE(FindSc4Signature(Bytes({0x01, 0x1B, 0x1C, 0x02, 0xB2, 0x2D})));  // not in the table
}

TEST(Sc4SearchTest, EarliestPositionWins) {
  auto m = FindSc4Signature(Bytes({0x00, 0x02, 0xB2, 0x2E, 0x01, 0x1B, 0x1E}));
  ASSERT_TRUE(m);
  EXPECT_EQ(m->offset, 1u);
  EXPECT_EQ(m->index, 6u);
  // Overlap: 01 01 1B 1D holds its signature at offset 1.
  m = FindSc4Signature(Bytes({0x01, 0x01, 0x1B, 0x1D}));
  ASSERT_TRUE(m);
  EXPECT_EQ(m->offset, 1u);
  EXPECT_EQ(m->index, 1u);
}

TEST(Sc4SearchTest, SignatureAcrossPieceBoundariesIsFoundAtEverySplit) {
  const auto data = Bytes({0x10, 0x20, 0x30, 0x02, 0xB2, 0x2C, 0x40});
  for (std::size_t a = 0; a <= data.size(); ++a) {
    for (std::size_t b = a; b <= data.size(); ++b) {
      Sc4SignatureScanner scanner;
      std::span<const std::uint8_t> all(data);
      scanner.Feed(all.subspan(0, a));
      scanner.Feed(all.subspan(a, b - a));
      scanner.Feed(all.subspan(b));
      ASSERT_TRUE(scanner.match()) << a << " " << b;
      EXPECT_EQ(scanner.match()->offset, 3u);
      EXPECT_EQ(scanner.match()->index, 5u);
    }
  }
  // One byte at a time.
  Sc4SignatureScanner scanner;
  for (std::uint8_t b : data) scanner.Feed({&b, 1});
  ASSERT_TRUE(scanner.match());
  EXPECT_EQ(scanner.match()->offset, 3u);
}

}  // namespace
}  // namespace ramblet
