// Hexadecimal text and the password scramble.
#include <gtest/gtest.h>

#include <string>

#include "tray-client/EtcFuncUnit.h"

namespace orvel {
namespace {

using namespace std::string_literals;

TEST(EtcFuncTest, HexVectors) {
  EXPECT_EQ(HexEncode("\x00\xAB\x7F"s), "00AB7F");
  EXPECT_EQ(HexDecode("00ab7f"), std::optional("\x00\xAB\x7F"s));
  EXPECT_EQ(HexDecode("ABC"), std::optional("\xAB"s)) << "an odd last character is ignored";
  EXPECT_EQ(HexDecode(""), std::optional(""s));
  EXPECT_EQ(HexDecode("0G"), std::nullopt);
  EXPECT_EQ(HexDecode("zz12"), std::nullopt);
}

TEST(EtcFuncTest, ScrambleIsTheStoredFormat) {
  EXPECT_EQ(ScrambleString("pass01", kScrambleKey), "10C5191D0EC4");
  EXPECT_EQ(UnscrambleString("10C5191D0EC4", kScrambleKey), std::optional("pass01"s));
  EXPECT_EQ(UnscrambleString("10c5191d0ec4", kScrambleKey), std::optional("pass01"s));
  EXPECT_EQ(ScrambleString("", kScrambleKey), "");
  EXPECT_EQ(UnscrambleString("", kScrambleKey), std::optional(""s));
  EXPECT_EQ(UnscrambleString("10X5", kScrambleKey), std::nullopt);
  // A damaged value with an odd digit count is refused, not read short.
  EXPECT_EQ(UnscrambleString("10C5191D0EC", kScrambleKey), std::nullopt);
}

TEST(EtcFuncTest, EveryByteDependsOnTheBytesBeforeIt) {
  const std::string a = ScrambleString("pass01", kScrambleKey);
  const std::string b = ScrambleString("qass01", kScrambleKey);
  EXPECT_EQ(b, "11A98D06FC9D");
  for (std::size_t i = 0; i < a.size(); i += 2) EXPECT_NE(a.substr(i, 2), b.substr(i, 2)) << "byte " << i / 2;
}

TEST(EtcFuncTest, LongAndBinaryTextsRoundTrip) {
  std::string text;
  for (int i = 0; i < 1000; ++i) text += static_cast<char>(i * 7);
  EXPECT_EQ(UnscrambleString(ScrambleString(text, kScrambleKey), kScrambleKey), std::optional(text));
  EXPECT_EQ(ScrambleString(text.substr(0, 255), kScrambleKey),
            ScrambleString(text, kScrambleKey).substr(0, 510))
      << "past 255 bytes the walk just goes on";
}

}  // namespace
}  // namespace orvel
