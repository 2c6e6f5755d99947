// The client against the fake member database server, over real TCP, with
// the server's fault knobs.
#include "member-info/MemberDbClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "common/TextCodec.h"
#include "tools/member-db-server/FakeServerProcess.h"

namespace dastrel {
namespace {

using namespace std::chrono_literals;
using memberdb::FakeServerProcess;

constexpr RequestLimits kQuick{400ms, 3s};

FakeServerProcess Server(std::vector<std::string> knobs = {}) {
  knobs.insert(knobs.begin(), {"--data", memberdb::SampleDataPath()});
  auto server = FakeServerProcess::Start(knobs);
  if (!server.ok()) {
    ADD_FAILURE() << server.error().message;
    std::abort();
  }
  return std::move(*server);
}

short Check(const FakeServerProcess& s, std::string_view id = "teska01", std::string_view password = "pass01") {
  return RequestPasswordCheck({"127.0.0.1", s.port()}, id, password, kQuick);
}
short Info(const FakeServerProcess& s, MemberInfoRecord& record, std::string_view cookie = "TESKA01-COOKIE") {
  return RequestMemberInfo({"127.0.0.1", s.port()}, cookie, record, kQuick);
}

TEST(PasswordCheck, AnswersRightWrongAndUnknown) {
  auto s = Server();
  EXPECT_EQ(Check(s), result::kOk);
  EXPECT_EQ(Check(s, "teska01", "pass02"), result::kWrongPassword);
  EXPECT_EQ(Check(s, "nobody", "pass01"), result::kIdNotRegistered);
  EXPECT_EQ(Check(s, "teska02abcdefghijklmnopqrstuvwx", *common::Utf8ToCp949("비밀번호")), result::kOk);
}

TEST(MemberInfo, FetchesTheRecordWithItsHangulFields) {
  auto s = Server();
  MemberInfoRecord record;
  ASSERT_EQ(Info(s, record), result::kOk);
  EXPECT_EQ(record.SlotText(RecordSlot::kID), "teska01");
  EXPECT_EQ(record.SlotText(RecordSlot::kAddress), *common::Utf8ToCp949("서울특별시 강남구 테헤란로 101"));
  EXPECT_EQ(record.SlotText(RecordSlot::kEmpType), "A1");
  // A failed request leaves nothing behind: the next one connects afresh.
  MemberInfoRecord other;
  EXPECT_EQ(Info(s, other, "UNKNOWN"), result::kNoReply);
  ASSERT_EQ(Info(s, other, "TESKA02-COOKIE"), result::kOk);
  EXPECT_EQ(other.SlotText(RecordSlot::kID), "teska02abcdefghijklmnopqrstuvwx");
  EXPECT_EQ(other.SlotText(RecordSlot::kUseTeskaMail), "NN");
}

TEST(MemberInfo, RequestFramesAreWhatTheServerReceives) {
  const auto log = std::filesystem::temp_directory_path() / ("member-db-log-" + std::to_string(::getpid()));
  std::filesystem::remove(log);
  {
    auto s = Server({"--log", log.string()});
    MemberInfoRecord record;
    EXPECT_EQ(Info(s, record, ""), result::kNoReply);
    EXPECT_EQ(Check(s, std::string(17, 'i'), "abcde"), result::kIdNotRegistered);
  }
  std::ifstream in(log);
  std::string d, c;
  std::getline(in, d);
  std::getline(in, c);
  EXPECT_EQ(d, "4400000000");
  EXPECT_EQ(c.substr(0, 10), "4301010005");
  EXPECT_EQ(c.size(), 29u * 2);
  std::filesystem::remove(log);
}

TEST(Faults, AcksLateSplitOrAfterNoiseStillWork) {
  EXPECT_EQ(Check(Server({"--ack-delay-ms", "100"})), result::kOk);
  EXPECT_EQ(Check(Server({"--ack-prefix", "xxAC"})), result::kOk);
  EXPECT_EQ(Check(Server({"--split-bytes", "1", "--split-pause-ms", "5"})), result::kOk);
  MemberInfoRecord record;
  EXPECT_EQ(Info(Server({"--split-bytes", "7"}), record), result::kOk);
}

TEST(Faults, MissingAcksMeanTheRequestWasNotSent) {
  EXPECT_EQ(Check(Server({"--withhold-ack", "header"})), result::kNotSent);
  EXPECT_EQ(Check(Server({"--withhold-ack", "end"})), result::kNotSent);
  EXPECT_EQ(Check(Server({"--ack-delay-ms", "1000"})), result::kNotSent) << "later than the read time-out";
  EXPECT_EQ(Check(Server({"--close-at", "accept"})), result::kNotSent);
  EXPECT_EQ(Check(Server({"--close-at", "request-header"})), result::kNotSent);
  EXPECT_EQ(Check(Server({"--close-at", "request-end"})), result::kNotSent);
}

TEST(Faults, BadReplyFramesMeanNoReply) {
  EXPECT_EQ(Check(Server({"--garbage", "noise<"})), result::kNoReply) << "\"<\" of the noise starts a bad header";
  EXPECT_EQ(Check(Server({"--garbage", "noise before the reply"})), result::kOk);
  for (const char* header : {"", "1a", "0", "-3"}) {
    EXPECT_EQ(Check(Server({"--header", header})), result::kNoReply) << header;
  }
  // The reply "rO" and three zero bytes: 5 bytes.
  EXPECT_EQ(Check(Server({"--header", std::string(118, '0') + "5"})), result::kOk) << "119 characters";
  EXPECT_EQ(Check(Server({"--header", std::string(119, '0') + "5"})), result::kNoReply) << "120 characters";
  EXPECT_EQ(Check(Server({"--end-mark", "0x05"})), result::kNoReply);
  EXPECT_EQ(Check(Server({"--end-mark", "none"})), result::kNoReply);
  for (const char* stage : {"request", "reply-header", "reply-payload", "reply-end"}) {
    EXPECT_EQ(Check(Server({"--close-at", stage})), result::kNoReply) << stage;
  }
}

TEST(Faults, ATrickleOfNoiseEndsAtTheExchangeDeadline) {
  auto s = Server({"--trickle-ms", "50"});
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(RequestPasswordCheck({"127.0.0.1", s.port()}, "teska01", "pass01", {400ms, 1s}), result::kNoReply);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

TEST(Faults, ChosenStatusAndReason) {
  EXPECT_EQ(Check(Server({"--status", "E"})), result::kNoReply);
  EXPECT_EQ(Check(Server({"--reason", "2"})), result::kIdNotRegistered);
  EXPECT_EQ(Check(Server({"--reason", "42"})), 42);
  EXPECT_EQ(Check(Server({"--reason", "-7"})), -7);
  for (const char* unusable : {"0", "255", "0xFE"}) {
    EXPECT_EQ(Check(Server({"--reason", unusable})), result::kRefusedUnusableReason) << unusable;
  }
  MemberInfoRecord record;
  EXPECT_EQ(Info(Server({"--status", "N"}), record), result::kNoReply);
  EXPECT_EQ(Info(Server({"--record-bytes", "449"}), record), result::kNoReply);
  EXPECT_EQ(Info(Server({"--reply-hex", "724f"}), record), result::kNoReply);
  EXPECT_EQ(Check(Server({"--reply-hex", "724f"})), result::kOk);
  EXPECT_EQ(Check(Server({"--reply-hex", "72"})), result::kNoReply);
}

TEST(Connect, NoServerMeansNoReply) {
  std::uint16_t port;
  {
    auto s = Server();
    port = s.port();
  }
  EXPECT_EQ(RequestPasswordCheck({"127.0.0.1", port}, "teska01", "pass01", kQuick), result::kNoReply);
  EXPECT_EQ(RequestPasswordCheck({"no-such-host.invalid", 3999}, "teska01", "pass01", kQuick), result::kNoReply);
}

}  // namespace
}  // namespace dastrel
