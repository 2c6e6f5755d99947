#include "tools/member-db-server/MemberData.h"

#include <array>

#include "common/TextCodec.h"
#include "member-info/MemberWire.h"

namespace memberdb {
namespace {

common::Error AtLine(std::size_t line, const std::string& what) {
  return common::Error{static_cast<int>(line), "line " + std::to_string(line) + ": " + what};
}

// Password and Cookie come after the twenty slots in the "seen" flags.
constexpr std::size_t kPasswordKey = dastrel::kRecordSlotCount;
constexpr std::size_t kCookieKey = dastrel::kRecordSlotCount + 1;

}  // namespace

common::Result<std::vector<Member>> ParseMemberData(std::string_view text) {
  if (text.size() > kMaxDataFileBytes) return common::Error{0, "the data file is larger than 1 MiB"};
  std::vector<Member> members;
  std::array<bool, dastrel::kRecordSlotCount + 2> seen{};
  std::size_t memberLine = 0;
  const auto finish = [&]() -> common::Result<void> {
    if (!members.empty() && members.back().id().empty()) return AtLine(memberLine, "the member has no ID");
    return common::Ok();
  };

  std::size_t lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;

    if (line == "[member]") {
      if (auto r = finish(); !r) return r.error();
      if (members.size() == kMaxMembers) return AtLine(lineNumber, "more than 10000 members");
      members.emplace_back();
      seen = {};
      memberLine = lineNumber;
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return AtLine(lineNumber, "expected \"[member]\" or Key=Value");
    if (members.empty()) return AtLine(lineNumber, "a value before the first \"[member]\"");
    const std::string_view key = line.substr(0, equals);
    auto value = common::Utf8ToCp949(line.substr(equals + 1));
    if (!value) return AtLine(lineNumber, "the value cannot be written in code page 949: " + value.error().message);

    Member& member = members.back();
    std::size_t keyIndex;
    if (key == "Password") {
      if (value->size() > dastrel::wire::kMaxCredentialLength) return AtLine(lineNumber, "the password is longer than 255 bytes");
      keyIndex = kPasswordKey;
      member.password = std::move(*value);
    } else if (key == "Cookie") {
      if (value->size() > dastrel::wire::kMaxCookieLength) return AtLine(lineNumber, "the cookie is too long");
      keyIndex = kCookieKey;
      member.cookie = std::move(*value);
    } else if (auto slot = dastrel::SlotByName(key)) {
      keyIndex = static_cast<std::size_t>(*slot);
      if (!member.record.SetSlotText(*slot, *value)) {
        return AtLine(lineNumber, std::string(key) + " is wider than its " +
                                      std::to_string(dastrel::LayoutOf(*slot).width) + "-byte slot");
      }
    } else {
      return AtLine(lineNumber, "unknown key \"" + std::string(key) + "\"");
    }
    if (seen[keyIndex]) return AtLine(lineNumber, "\"" + std::string(key) + "\" given twice for one member");
    seen[keyIndex] = true;
  }
  if (auto r = finish(); !r) return r.error();
  return members;
}

common::Result<std::vector<Member>> LoadMemberData(const common::Path& path) {
  auto text = common::ReadWholeFile(path, kMaxDataFileBytes);
  if (!text) return text.error();
  auto members = ParseMemberData(*text);
  if (!members) return common::Error{members.error().code, path.string() + ": " + members.error().message};
  return members;
}

const Member* FindById(const std::vector<Member>& members, std::string_view id) {
  for (const Member& m : members) {
    if (m.id() == id) return &m;
  }
  return nullptr;
}

const Member* FindByCookie(const std::vector<Member>& members, std::string_view cookie) {
  for (const Member& m : members) {
    if (!m.cookie.empty() && m.cookie == cookie) return &m;
  }
  return nullptr;
}

}  // namespace memberdb
