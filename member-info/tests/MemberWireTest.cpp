#include "member-info/MemberWire.h"

#include <gtest/gtest.h>

#include <string>

namespace dastrel::wire {
namespace {

std::string Text(const std::vector<std::uint8_t>& v) { return {v.begin(), v.end()}; }
std::span<const std::uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

TEST(FrameLength, ReadsDigitsAndRefusesTheRest) {
  EXPECT_EQ(EncodeFrameHeader(455), "<455>");
  EXPECT_EQ(*ParseLengthText("455", kMaxFrameLength), 455u);
  EXPECT_EQ(*ParseLengthText("000455", kMaxFrameLength), 455u) << "leading zeros are read";
  const struct {
    const char* text;
    LengthTextError error;
  } bad[] = {{"", LengthTextError::kEmpty},    {"1a", LengthTextError::kNotDigits},
             {"-5", LengthTextError::kNotDigits}, {"+5", LengthTextError::kNotDigits},
             {" 5", LengthTextError::kNotDigits}, {"0", LengthTextError::kZero},
             {"000", LengthTextError::kZero},     {"65537", LengthTextError::kTooLarge}};
  for (const auto& c : bad) {
    auto r = ParseLengthText(c.text, kMaxFrameLength);
    ASSERT_FALSE(r.ok()) << c.text;
    EXPECT_EQ(r.error().code, static_cast<int>(c.error)) << c.text;
  }
}

TEST(FrameLength, HugeValuesFailInsteadOfWrapping) {
  // 2^64 + 5 would wrap to 5 in a plain 64-bit accumulation.
  EXPECT_EQ(ParseLengthText("18446744073709551621", kMaxFrameLength).error().code,
            static_cast<int>(LengthTextError::kTooLarge));
  EXPECT_EQ(ParseLengthText(std::string(119, '9'), kMaxFrameLength).error().code,
            static_cast<int>(LengthTextError::kTooLarge));
  // A letter after the overflow still reads as a bad text.
  EXPECT_EQ(ParseLengthText(std::string(30, '9') + "x", kMaxFrameLength).error().code,
            static_cast<int>(LengthTextError::kNotDigits));
  EXPECT_EQ(*ParseLengthText("65536", kMaxFrameLength), 65536u);
}

TEST(MemberInfoRequest, IsCommandFourZerosAndCookie) {
  EXPECT_EQ(Text(*EncodeMemberInfoRequest("")), std::string("D\0\0\0\0", 5));
  EXPECT_EQ(Text(*EncodeMemberInfoRequest("ck")), std::string("D\0\0\0\0ck", 7));
  EXPECT_TRUE(EncodeMemberInfoRequest(std::string(kMaxCookieLength, 'c')).ok());
  EXPECT_FALSE(EncodeMemberInfoRequest(std::string(kMaxCookieLength + 1, 'c')).ok())
      << "would overrun the 8192-byte request buffer";
}

TEST(PasswordCheckRequest, CarriesLengthsInFourBitHalves) {
  const std::string id(17, 'i');
  auto payload = EncodePasswordCheckRequest(id, "pass5");
  ASSERT_TRUE(payload.ok());
  ASSERT_EQ(payload->size(), 29u);
  EXPECT_EQ((*payload)[0], 'C');
  EXPECT_EQ((*payload)[1], 1);
  EXPECT_EQ((*payload)[2], 1);
  EXPECT_EQ((*payload)[3], 0);
  EXPECT_EQ((*payload)[4], 5);
  EXPECT_EQ(Text(*payload).substr(5), id + std::string(1, '\0') + "pass5" + std::string(1, '\0'));

  auto longest = EncodePasswordCheckRequest(std::string(255, 'i'), std::string(255, 'p'));
  ASSERT_TRUE(longest.ok());
  EXPECT_EQ((*longest)[1], 15);
  EXPECT_EQ((*longest)[2], 15);
  // 256 would wrap to 0 in the two halves.
  EXPECT_FALSE(EncodePasswordCheckRequest(std::string(256, 'i'), "p").ok());
  EXPECT_FALSE(EncodePasswordCheckRequest("i", std::string(256, 'p')).ok());
}

TEST(Request, DecodesWhatIsEncoded) {
  auto check = DecodeRequest(*EncodePasswordCheckRequest("teska01", "pass01"));
  ASSERT_TRUE(check.ok());
  const auto& c = std::get<PasswordCheckRequest>(*check);
  EXPECT_EQ(c.id, "teska01");
  EXPECT_EQ(c.password, "pass01");
  auto info = DecodeRequest(*EncodeMemberInfoRequest("cookie"));
  ASSERT_TRUE(info.ok());
  EXPECT_EQ(std::get<MemberInfoRequest>(*info).cookie, "cookie");
  EXPECT_EQ(std::get<MemberInfoRequest>(*DecodeRequest(*EncodeMemberInfoRequest(""))).cookie, "");
}

TEST(Request, RefusesMalformedPayloads) {
  std::string good = Text(*EncodePasswordCheckRequest("id", "pw"));
  EXPECT_FALSE(DecodeRequest(Bytes(good + "x")).ok()) << "longer than the lengths say";
  std::string noNul = good;
  noNul[5 + 2] = 'x';
  EXPECT_FALSE(DecodeRequest(Bytes(noNul)).ok());
  std::string badHalf = good;
  badHalf[1] = 16;
  EXPECT_FALSE(DecodeRequest(Bytes(badHalf)).ok());
  EXPECT_FALSE(DecodeRequest(Bytes("C\0\0\0")).ok());
  EXPECT_FALSE(DecodeRequest(Bytes(std::string("D\0\0", 3))).ok());
  EXPECT_FALSE(DecodeRequest(Bytes("X")).ok());
  EXPECT_FALSE(DecodeRequest({}).ok());
}

TEST(Reply, ReadsOnlyTheBytesThatArrived) {
  EXPECT_FALSE(DecodeReply(Bytes("r")).ok());
  EXPECT_FALSE(DecodeReply(Bytes("xO")).ok());
  auto two = DecodeReply(Bytes("rO"));
  ASSERT_TRUE(two.ok());
  EXPECT_EQ(two->status, 'O');
  EXPECT_FALSE(two->hasReason);
  EXPECT_TRUE(two->data.empty());
  auto refused = DecodeReply(Bytes("rN\xFE"));
  ASSERT_TRUE(refused.ok());
  EXPECT_TRUE(refused->hasReason);
  EXPECT_EQ(refused->reason, -2);
  const auto encoded = EncodeReply('O', 0, Bytes("data"));
  EXPECT_EQ(Text(encoded), std::string("rO\0\0\0data", 9));
  EXPECT_EQ(std::string(DecodeReply(encoded)->data.begin(), DecodeReply(encoded)->data.end()), "data");
}

}  // namespace
}  // namespace dastrel::wire
