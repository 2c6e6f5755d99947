#include "common/TextCodec.h"

#include "common/ErrorText.h"

#include <gtest/gtest.h>

namespace common {
namespace {

// "한국어똠" in CP949: three KS X 1001 syllables and one from the UHC extension.
const std::string kHangulCp949 = "\xC7\xD1\xB1\xB9\xBE\xEE\x8C\x63";
const std::u16string kHangulUtf16 = u"\uD55C\uAD6D\uC5B4\uB620";

TEST(TextCodecTest, HangulRoundTripsThroughUtf16) {
  auto wide = Cp949ToUtf16(kHangulCp949);
  ASSERT_TRUE(wide.ok()) << wide.error().message;
  EXPECT_EQ(*wide, kHangulUtf16);
  auto back = Utf16ToCp949(*wide);
  ASSERT_TRUE(back.ok()) << back.error().message;
  EXPECT_EQ(*back, kHangulCp949);
}

TEST(TextCodecTest, MixedAsciiAndHangulKeepOrder) {
  auto wide = Cp949ToUtf16("Teska\xB3\xDD/ok");  // "Teska넷/ok"
  ASSERT_TRUE(wide.ok());
  EXPECT_EQ(*wide, u"Teska\uB137/ok");
  EXPECT_EQ(*Utf16ToCp949(*wide), "Teska\xB3\xDD/ok");
}

TEST(TextCodecTest, EmptyAndNulBytesPass) {
  EXPECT_EQ(*Cp949ToUtf16(""), u"");
  EXPECT_EQ(*Utf16ToCp949(u""), "");
  const std::string withNul("a\0b", 3);
  EXPECT_EQ(Cp949ToUtf16(withNul)->size(), 3u);
}

TEST(TextCodecTest, MalformedCp949IsRefusedWithItsOffset) {
  struct Case { std::string bytes; int offset; };
  const Case cases[] = {
      {"ab\xC7", 2},           // lead byte cut off at the end
      {"\x80", 0},             // not a lead byte
      {"x\xFF", 1},            // not a lead byte
      {"\xC7\xD1\x81\x20", 2}, // trail byte outside every range
      {"\xC7\x41", 0},         // extension trail after a KS X 1001 lead
      {"\xC9\xA1", 0},         // user-defined area
      {"\xFE\xFE", 0},         // user-defined area
  };
  for (const auto& c : cases) {
    auto r = Cp949ToUtf16(c.bytes);
    ASSERT_FALSE(r.ok()) << "accepted bytes at case offset " << c.offset;
    EXPECT_EQ(r.error().code, c.offset);
    EXPECT_NE(r.error().message.find("위치 " + std::to_string(c.offset) + ")"), std::string::npos)
        << r.error().message;
  }
}

TEST(TextCodecTest, LossyDecodeReplacesOnlyTheBadBytes) {
  EXPECT_EQ(Cp949ToUtf16Lossy("a\x80" "b\xC7\xD1" "\xC7"), u"a\uFFFDb\uD55C\uFFFD");
  EXPECT_EQ(Cp949ToUtf16Lossy("\xC9\xA1z"), u"\uFFFDz");
  EXPECT_EQ(Cp949ToUtf16Lossy("\x81\x20"), u"\uFFFD ");
  EXPECT_EQ(Cp949ToUtf8Lossy("a\x80" "\xC7\xD1"), "a\xEF\xBF\xBD\xED\x95\x9C");
}

TEST(TextCodecTest, UnencodableCharactersAreRefusedOrReplaced) {
  const std::u16string text = u"a\u00E9\uD55C";  // é has no CP949 code
  auto r = Utf16ToCp949(text);
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.error().code, 1);
  // The message names the character, and its number on the detail line.
  EXPECT_EQ(r.error().message, UserMessage(ErrorSentence(TextError::kUnencodable, "\u00E9"), "U+00E9, 위치 1"));
  // One outside the basic plane is one character; an invisible one is named by its number alone.
  EXPECT_NE(Utf8ToCp949("ab\U0001F600").error().message.find("'\U0001F600' 글자는"), std::string::npos);
  EXPECT_NE(Utf8ToCp949("ab\U0001F600").error().message.find("(U+1F600, 위치 2)"), std::string::npos);
  EXPECT_EQ(Utf16ToCp949(u"\u0080").error().message,
            UserMessage(ErrorSentence(TextError::kUnencodable, ""), "U+0080, 위치 0"));
  EXPECT_EQ(Utf16ToCp949Lossy(text), "a?\xC7\xD1");

  const std::u16string loneSurrogate = u"x\xD800y";
  EXPECT_FALSE(Utf16ToCp949(loneSurrogate).ok());
  EXPECT_EQ(Utf16ToCp949Lossy(loneSurrogate), "x?y");
  EXPECT_EQ(Utf16ToCp949Lossy(u"\U0001F600"), "?");  // a pair is one character
  // Characters whose platform bytes the decoder would refuse.
  EXPECT_FALSE(Utf16ToCp949(u"\u0080").ok());
  EXPECT_FALSE(Utf16ToCp949(u"\uE000").ok());
  EXPECT_FALSE(Utf16ToCp949(u"\uF8F7").ok());
}

// Fingerprint of both directions of the whole table: every two-byte sequence
// from 80 00 to FF FF, and every UTF-16 unit outside the surrogates. The same
// value natively (iconv) and on Windows (code page 949) means both builds
// read and write the same bytes.
TEST(TextCodecTest, BothPlatformsShareOneTable) {
  std::uint64_t h = 1469598103934665603ull;
  auto mix = [&h](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
      h ^= (v >> (8 * i)) & 0xFF;
      h *= 1099511628211ull;
    }
  };
  for (int lead = 0x80; lead <= 0xFF; ++lead) {
    for (int trail = 0; trail <= 0xFF; ++trail) {
      auto r = Cp949ToUtf16(std::string{static_cast<char>(lead), static_cast<char>(trail)});
      mix(r.ok() ? (*r)[0] | (static_cast<std::uint32_t>(r->size()) << 16) : 0xFFFFFFFFu);
    }
  }
  for (std::uint32_t c = 0; c < 0x10000; ++c) {
    if (c >= 0xD800 && c < 0xE000) continue;
    auto r = Utf16ToCp949(std::u16string(1, static_cast<char16_t>(c)));
    std::uint32_t v = 0xFFFFFFFFu;
    if (r.ok()) {
      v = 0;
      for (unsigned char b : *r) v = (v << 8) | b;
    }
    mix(v);
  }
  EXPECT_EQ(h, 14366036712284348185ull);
}

TEST(TextCodecTest, Utf8ConversionsCheckTheirInput) {
  EXPECT_EQ(*Utf8ToUtf16("\xED\x95\x9C\xF0\x9F\x98\x80"), u"\uD55C\U0001F600");
  EXPECT_EQ(*Utf16ToUtf8(u"\uD55C\U0001F600"), "\xED\x95\x9C\xF0\x9F\x98\x80");
  EXPECT_FALSE(Utf8ToUtf16("\xC0\xAF").ok());          // overlong
  EXPECT_FALSE(Utf8ToUtf16("\xED\xA0\x80").ok());      // encoded surrogate
  EXPECT_FALSE(Utf8ToUtf16("\xE2\x82").ok());          // cut short
  EXPECT_EQ(*Utf8ToCp949("\xED\x95\x9C"), "\xC7\xD1");
  EXPECT_EQ(*Cp949ToUtf8("\xC7\xD1"), "\xED\x95\x9C");
}

TEST(TextCodecTest, EveryHangulSyllableOfKsX1001RoundTrips) {
  // Rows B0-C8 hold the 2350 syllables of KS X 1001.
  for (int lead = 0xB0; lead <= 0xC8; ++lead) {
    for (int trail = 0xA1; trail <= 0xFE; ++trail) {
      const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
      auto wide = Cp949ToUtf16(bytes);
      ASSERT_TRUE(wide.ok()) << std::hex << lead << " " << trail;
      ASSERT_EQ(wide->size(), 1u);
      EXPECT_GE((*wide)[0], 0xAC00);
      EXPECT_LE((*wide)[0], 0xD7A3);
      EXPECT_EQ(*Utf16ToCp949(*wide), bytes);
    }
  }
}

}  // namespace
}  // namespace common
