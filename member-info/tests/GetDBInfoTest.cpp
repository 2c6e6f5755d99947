// The portable GetDBInfo object against the fake member database server.
#include "member-info/GetDBInfo.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tools/member-db-server/FakeServerProcess.h"

namespace dastrel {
namespace {

using namespace std::chrono_literals;
using memberdb::FakeServerProcess;

class GetDBInfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto s = FakeServerProcess::Start({"--data", memberdb::SampleDataPath()});
    ASSERT_TRUE(s.ok()) << s.error().message;
    server_.emplace(std::move(*s));
  }
  GetDBInfo Object() { return GetDBInfo({"127.0.0.1", server_->port()}, {400ms, 3s}); }
  std::optional<FakeServerProcess> server_;
};

TEST_F(GetDBInfoTest, SearchInfoFillsTheFieldsInUtf16) {
  GetDBInfo info = Object();
  EXPECT_EQ(info.Field(RecordSlot::kID), u"") << "nothing before the first SearchInfo";
  ASSERT_EQ(info.SearchInfo(u"TESKA01-COOKIE"), result::kOk);
  EXPECT_EQ(info.Field(RecordSlot::kID), u"teska01");
  EXPECT_EQ(info.Field(RecordSlot::kAddress), u"서울특별시 강남구 테헤란로 101");
  EXPECT_EQ(info.Field(RecordSlot::kOfficeName), u"테스카넷 고객지원팀");
  EXPECT_EQ(info.Field(RecordSlot::kEmpType), u"A1");
  EXPECT_EQ(info.Field(RecordSlot::kVerifiedFlag), u"Y");
  EXPECT_EQ(info.Field(RecordSlot::kID), u"teska01") << "reading a field does not use it up";
  EXPECT_EQ(info.Cookie(), u"TESKA01-COOKIE");
}

TEST_F(GetDBInfoTest, AFailedSearchEmptiesTheFieldsAndKeepsTheCookie) {
  GetDBInfo info = Object();
  ASSERT_EQ(info.SearchInfo(u"TESKA01-COOKIE"), result::kOk);
  EXPECT_EQ(info.SearchInfo(u"UNKNOWN-쿠키"), result::kNoReply);
  EXPECT_EQ(info.Cookie(), u"UNKNOWN-쿠키");
  for (const SlotLayout& slot : kRecordSlots) EXPECT_EQ(info.Field(slot.slot), u"") << slot.name;
  // A cookie that code page 949 cannot carry is not sent.
  EXPECT_EQ(info.SearchInfo(u"\U0001F600"), result::kNotSent);
  EXPECT_EQ(info.Cookie(), u"\U0001F600");
}

TEST_F(GetDBInfoTest, CheckPasswordConvertsAndPassesTheResultOn) {
  GetDBInfo info = Object();
  EXPECT_EQ(info.CheckPassword(u"teska01", u"pass01"), result::kOk);
  EXPECT_EQ(info.CheckPassword(u"teska01", u"PASS01"), result::kWrongPassword);
  EXPECT_EQ(info.CheckPassword(u"nobody", u""), result::kIdNotRegistered);
  EXPECT_EQ(info.CheckPassword(u"teska02abcdefghijklmnopqrstuvwx", u"비밀번호"), result::kOk);
  EXPECT_EQ(info.CheckPassword(u"teska01", u"pass01\U0001F600"), result::kNotSent)
      << "no stand-in character may reach the server";
  EXPECT_EQ(info.CheckPassword(std::u16string(256, u'i'), u"pw"), result::kNotSent);
  EXPECT_EQ(info.Field(RecordSlot::kID), u"");
}

TEST(GetDBInfoHost, SearchHostSetsTheHostAndResetsThePort) {
  GetDBInfo info({"127.0.0.1", 4000});
  EXPECT_TRUE(info.SearchHost(u"10.0.0.7"));
  EXPECT_EQ(info.Host(), u"10.0.0.7");
  EXPECT_EQ(info.server().port, 3999);

  GetDBInfo kept({"192.168.0.1", 4000});
  EXPECT_TRUE(kept.SearchHost(std::nullopt));
  EXPECT_EQ(kept.Host(), u"192.168.0.1");
  EXPECT_EQ(kept.server().port, 3999);

  const std::u16string longName = u"a-host-name-longer-than-nineteen.example";
  EXPECT_TRUE(kept.SearchHost(longName));
  EXPECT_EQ(kept.Host(), longName) << "stored whole";
  EXPECT_FALSE(kept.SearchHost(std::u16string(kMaxHostLength + 1, u'h')));
  EXPECT_EQ(kept.Host(), longName);
}

TEST(GetDBInfoHost, DefaultServerComesFromTheEnvironmentWhenGiven) {
  ::unsetenv(kServerEnvironmentVariable);
  EXPECT_EQ(GetDBInfo().Host(), u"memberdb.teska.net");
  EXPECT_EQ(GetDBInfo().server().port, 3999);
  ::setenv(kServerEnvironmentVariable, "127.0.0.1:4321", 1);
  EXPECT_EQ(DefaultServer().host, "127.0.0.1");
  EXPECT_EQ(DefaultServer().port, 4321);
  ::setenv(kServerEnvironmentVariable, "members.example", 1);
  EXPECT_EQ(DefaultServer().host, "members.example");
  EXPECT_EQ(DefaultServer().port, 3999);
  for (const char* bad : {"host:", "host:0", "host:65536", "host:12x", ":80"}) {
    ::setenv(kServerEnvironmentVariable, bad, 1);
    EXPECT_EQ(DefaultServer().host, "memberdb.teska.net") << bad;
  }
  ::unsetenv(kServerEnvironmentVariable);
}

}  // namespace
}  // namespace dastrel
