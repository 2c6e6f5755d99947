// The members a fake member database server serves, read from a small UTF-8
// data file:
//
//   # a comment
//   [member]
//   ID=teska01
//   Password=pass01
//   Cookie=TESKA01-COOKIE
//   Address=서울특별시 강남구 테헤란로 101
//
// "[member]" opens a member; "Key=Value" lines follow. Keys are Password,
// Cookie and the record's slot names (ID, UseTeskaMail, MailAddress,
// ProductCode, MotherID, TelNoHome, TelNoMobile, Address, Job, Hobby,
// MainAccessMethod, MainAccessISP, WeddingDate, OfficeName, SchoolCareer,
// RecommendID, InfoOpenFlag, Poid, VerifiedFlag, EmpType). Values are
// converted to code page 949 and must fit their slot; a slot value as wide as
// its slot goes out without a NUL. Every member needs an ID.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/File.h"
#include "common/Result.h"
#include "member-info/MemberRecord.h"

namespace memberdb {

struct Member {
  std::string password;  // code page 949
  std::string cookie;    // code page 949
  dastrel::MemberInfoRecord record;

  std::string_view id() const { return record.SlotText(dastrel::RecordSlot::kID); }
};

inline constexpr std::size_t kMaxDataFileBytes = 1 << 20;
inline constexpr std::size_t kMaxMembers = 10000;

common::Result<std::vector<Member>> ParseMemberData(std::string_view utf8);
common::Result<std::vector<Member>> LoadMemberData(const common::Path& path);

const Member* FindById(const std::vector<Member>& members, std::string_view id);
const Member* FindByCookie(const std::vector<Member>& members, std::string_view cookie);

}  // namespace memberdb
