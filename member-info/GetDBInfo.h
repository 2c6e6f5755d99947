// GetDBInfo: the member-information object behind the COM class of the same
// name, portable (UTF-16 texts in, result codes out), so the tray client can
// also link it directly. It points at a member database server, checks a
// member's password and fetches a member's record, whose twenty fields it
// then keeps until the next SearchInfo.
//
// Texts cross to the wire in code page 949, whatever the process code page.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "member-info/MemberDbClient.h"
#include "member-info/MemberRecord.h"

namespace dastrel {

// The member database server an object talks to when nobody says otherwise.
inline constexpr std::string_view kDefaultServerHost = "memberdb.teska.net";
// "host" or "host:port" in this environment variable replaces that default
// (the tests point the library at their fake server this way).
inline constexpr const char* kServerEnvironmentVariable = "DASTREL_SERVER";
// A longer host text is refused (no host name is longer).
inline constexpr std::size_t kMaxHostLength = 255;

ServerAddress DefaultServer();

class GetDBInfo {
 public:
  GetDBInfo();
  explicit GetDBInfo(ServerAddress server, RequestLimits limits = {});

  // Points the object at `serverIp` (a dotted address or a host name) and
  // sets the port to 3999. No text (a null string) keeps the host; so does a
  // text that code page 949 cannot carry or that is longer than
  // kMaxHostLength bytes, and then the result is false.
  bool SearchHost(std::optional<std::u16string_view> serverIp);

  // Fetches the record of the member with this cookie. On success the twenty
  // fields hold the record; on any failure they are emptied, so no field of
  // an earlier member is taken for this one. The cookie is kept either way.
  short SearchInfo(std::u16string_view cookie);

  // 0 right, 1 wrong password, 2 ID not registered, other codes as in
  // MemberDbClient.h. The fields are not touched.
  short CheckPassword(std::u16string_view id, std::u16string_view password);

  // A field of the last record; empty before the first successful SearchInfo.
  const std::u16string& Field(RecordSlot slot) const { return fields_[static_cast<std::size_t>(slot)]; }
  const std::u16string& Cookie() const { return cookie_; }
  std::u16string Host() const;
  const ServerAddress& server() const { return server_; }

 private:
  ServerAddress server_;
  RequestLimits limits_;
  std::array<std::u16string, kRecordSlotCount> fields_;
  std::u16string cookie_;
};

}  // namespace dastrel
