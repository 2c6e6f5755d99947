#include "tools/member-db-server/MemberData.h"

#include <gtest/gtest.h>

#include "common/TextCodec.h"

namespace memberdb {
namespace {

using dastrel::RecordSlot;

TEST(MemberData, ReadsMembersWithHangulValues) {
  auto members = ParseMemberData(
      "# comment\r\n[member]\r\nID=teska01\r\nPassword=pass01\r\nCookie=CK\r\nHobby=음악 감상\r\n\n"
      "[member]\nID=two\n");
  ASSERT_TRUE(members.ok()) << members.error().message;
  ASSERT_EQ(members->size(), 2u);
  const Member& m = (*members)[0];
  EXPECT_EQ(m.id(), "teska01");
  EXPECT_EQ(m.password, "pass01");
  EXPECT_EQ(m.record.SlotText(RecordSlot::kHobby), *common::Utf8ToCp949("음악 감상"));
  EXPECT_EQ(FindByCookie(*members, "CK"), &m);
  EXPECT_EQ(FindById(*members, "two"), &(*members)[1]);
  EXPECT_EQ(FindByCookie(*members, ""), nullptr) << "a member without a cookie is not found by an empty one";
}

TEST(MemberData, ReportsTheLineOfEachMistake) {
  const struct {
    const char* text;
    int line;
  } bad[] = {
      {"ID=x\n", 1},
      {"[member]\nID=x\nNickname=y\n", 3},
      {"[member]\nID=x\nID=y\n", 3},
      {"[member]\nUseTeskaMail=YES\nID=x\n", 2},
      {"[member]\nPassword=p\n", 1},
      {"[member]\nID=x\njunk\n", 3},
      {"[member]\nID=\xff\n", 2},
  };
  for (const auto& c : bad) {
    auto r = ParseMemberData(c.text);
    ASSERT_FALSE(r.ok()) << c.text;
    EXPECT_EQ(r.error().code, c.line) << c.text << ": " << r.error().message;
  }
}

TEST(MemberData, TheSampleFileHasTheKnownMember) {
  auto members = LoadMemberData(MEMBER_DB_SAMPLE_DATA);
  ASSERT_TRUE(members.ok()) << members.error().message;
  const Member* m = FindById(*members, "teska01");
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->password, "pass01");
  EXPECT_EQ(m->cookie, "TESKA01-COOKIE");
  EXPECT_EQ(m->record.SlotText(RecordSlot::kAddress), *common::Utf8ToCp949("서울특별시 강남구 테헤란로 101"));
}

}  // namespace
}  // namespace memberdb
