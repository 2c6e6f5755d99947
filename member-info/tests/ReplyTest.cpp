// What each reply means, and the two exchanges end to end over scripted bytes.
#include <gtest/gtest.h>

#include "member-info/MemberDbClient.h"
#include "member-info/tests/ScriptedConnection.h"

namespace dastrel {
namespace {

using testing::ScriptedConnection;
using namespace std::chrono_literals;

std::span<const std::uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}
std::string Reply(std::string statusAndReason, std::string data = {}) {
  statusAndReason.resize(5, '\0');
  return "r" + statusAndReason.substr(0, 4) + data;
}

TEST(PasswordCheckReply, GivesEachResultCode) {
  EXPECT_EQ(InterpretPasswordCheckReply(Bytes("rO")), result::kOk) << "no data needed";
  EXPECT_EQ(InterpretPasswordCheckReply(Bytes(Reply("O", "ignored"))), result::kOk);
  EXPECT_EQ(InterpretPasswordCheckReply(Bytes("rN\x01")), result::kWrongPassword);
  EXPECT_EQ(InterpretPasswordCheckReply(Bytes("rN\x02")), result::kIdNotRegistered);
  EXPECT_EQ(InterpretPasswordCheckReply(Bytes("rX\x07")), 7);
  EXPECT_EQ(InterpretPasswordCheckReply(Bytes("rN\x80")), -128);
  EXPECT_EQ(InterpretPasswordCheckReply(Bytes("rE\x01")), result::kNoReply);
  EXPECT_EQ(InterpretPasswordCheckReply(Bytes("xO")), result::kNoReply);
  EXPECT_EQ(InterpretPasswordCheckReply(Bytes("r")), result::kNoReply);
  EXPECT_EQ(InterpretPasswordCheckReply(Bytes("rN")), result::kNoReply) << "refusal without its reason byte";
}

TEST(PasswordCheckReply, RefusalsWithReasonZeroOrMinusOneOrMinusTwoStayRefusals) {
  for (const char* reply : {"rN\x00", "rN\xFF", "rN\xFE"}) {
    EXPECT_EQ(InterpretPasswordCheckReply(Bytes(std::string(reply, 3))), result::kRefusedUnusableReason);
  }
}

TEST(MemberInfoReply, NeedsStatusOkAndTheWholeRecord) {
  MemberInfoRecord record;
  ASSERT_TRUE(record.SetSlotText(RecordSlot::kID, "before"));
  EXPECT_EQ(InterpretMemberInfoReply(Bytes(Reply("O", std::string(449, 'a'))), record), result::kNoReply);
  EXPECT_EQ(InterpretMemberInfoReply(Bytes(Reply("N\x02", std::string(450, 'a'))), record), result::kNoReply);
  EXPECT_EQ(InterpretMemberInfoReply(Bytes(Reply("E", std::string(450, 'a'))), record), result::kNoReply);
  EXPECT_EQ(InterpretMemberInfoReply(Bytes("rO"), record), result::kNoReply);
  EXPECT_EQ(record.SlotText(RecordSlot::kID), "before") << "untouched on failure";

  std::string data(450, '\0');
  data.replace(0, 7, "teska01");
  data += "trailing bytes are not part of the record";
  EXPECT_EQ(InterpretMemberInfoReply(Bytes(Reply("O", data)), record), result::kOk);
  EXPECT_EQ(record.SlotText(RecordSlot::kID), "teska01");
}

TEST(Exchange, PasswordCheckSendsItsFrameAndReadsTheVerdict) {
  ScriptedConnection c({"ACK", "ACK", "<3>rN\x01\x04"});
  EXPECT_EQ(ExchangePasswordCheck(c, "teska01", "bad", {1s, 5s}), result::kWrongPassword);
  EXPECT_EQ(c.sent, std::string("<17>C\0\7\0\3teska01\0bad\0\x04", 22) + "ACKACK");
}

TEST(Exchange, FailuresBeforeTheRequestIsOutAreNotSentAfterAreNoReply) {
  ScriptedConnection noAck({});
  EXPECT_EQ(ExchangePasswordCheck(noAck, "id", "pw", {1s, 5s}), result::kNotSent);
  ScriptedConnection noReply({"ACK", "ACK"});
  EXPECT_EQ(ExchangePasswordCheck(noReply, "id", "pw", {1s, 5s}), result::kNoReply);
  ScriptedConnection tooLong({"ACK", "ACK", "<3>rO\x04"});
  EXPECT_EQ(ExchangePasswordCheck(tooLong, std::string(256, 'i'), "pw", {1s, 5s}), result::kNotSent);
  EXPECT_TRUE(tooLong.sent.empty());
  MemberInfoRecord record;
  ScriptedConnection cookie({"ACK", "ACK"});
  EXPECT_EQ(ExchangeMemberInfo(cookie, std::string(8188, 'c'), record, {1s, 5s}), result::kNotSent);
  EXPECT_TRUE(cookie.sent.empty());
}

TEST(Exchange, MemberInfoFillsTheRecord) {
  std::string data(450, '\0');
  data.replace(444, 2, "A1");
  const std::string reply = Reply("O", data);
  ScriptedConnection c({"ACK", "AC", "K", "<455>", reply.substr(0, 100), reply.substr(100) + "\x04"});
  MemberInfoRecord record;
  EXPECT_EQ(ExchangeMemberInfo(c, "", record, {1s, 5s}), result::kOk);
  EXPECT_EQ(record.SlotText(RecordSlot::kEmpType), "A1");
  EXPECT_EQ(c.sent.substr(0, 8), std::string("<5>D\0\0\0\0", 8));
}

}  // namespace
}  // namespace dastrel
