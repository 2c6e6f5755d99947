// The channel service's wire format: the zone directory request and its
// records, a zone's command addresses, the command replies, the channel list
// that "dnlists" returns and the list texts of "syncreq" and "fldned".
//
// Every text here is bytes in code page 949, as the service sends and
// expects them. The service's reply is one line: "@", the command, "/", the
// status, "/", then the rest of the answer. The encoders beside each parser
// are what the fake service answers with, so both sides share one layout.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvel::service {

inline constexpr std::string_view kZoneListPath = "/OrvelServer/zone.cgi?command=zoneinfo";
// The zone's command program; the query key really is spelt "commend".
inline constexpr std::string_view kLoginPath = "/OrvelServer/login.cgi?commend=";
// Where the zone directory lives unless the environment variable
// ORVEL_ZONE_DIRECTORY names another ("http://host:port" or "host:port").
inline constexpr std::string_view kDefaultZoneDirectoryHost = "zone.tarnel.co.kr";
inline constexpr const char* kZoneDirectoryVariable = "ORVEL_ZONE_DIRECTORY";

enum class Command { kLogin, kDnLists, kSyncReq, kFldned, kRegUser };

// The command's name as it is sent ("login", "dnlists" ...).
std::string_view CommandName(Command command);

// "http://" or "https://".
std::string_view Scheme(bool tls);

// The zone directory's base address ("scheme://host[:port]") from the value
// of ORVEL_ZONE_DIRECTORY (null or empty: the default host). A value
// without a scheme gets the one that `tls` asks for.
std::string ZoneDirectoryBase(const char* configured, bool tls);
std::string ZoneListUrl(std::string_view directoryBase);
// LoginURL of a zone: scheme + zone host + kLoginPath.
std::string LoginUrl(bool tls, std::string_view zoneHost);

// Query values are sent percent-encoded: every byte except A-Z a-z 0-9
// "-._~" becomes "%" and two upper-case hex digits.
std::string PercentEncode(std::string_view bytes);

// LoginURL + the command text: the command, "&userid=", "&password=" and,
// for "syncreq" and "fldned", "&sync=" or "&down=" with the list.
std::string CommandUrl(std::string_view loginUrl, Command command, std::string_view userId,
                       std::string_view password, std::string_view list = {});

// The address with the value of its "password" parameter replaced by
// "****", for logs and error texts.
std::string RedactPassword(std::string_view url);

struct ServiceReply {
  std::string command;  // trimmed, upper case
  std::string status;   // trimmed, upper case; empty when no second "/"
  std::string rest;     // everything after the status's "/" (may hold more "/")
};

// Empty when the body is empty or does not begin with "@" (a blank before
// the "@" already makes it no service reply).
std::optional<ServiceReply> ParseServiceReply(std::string_view body);
std::string EncodeServiceReply(std::string_view command, std::string_view status, std::string_view rest);

// What a command's reply comes to.
struct CommandResult {
  bool serviceReply = false;  // false: the body was no service reply, text is empty
  std::string text;           // empty, "True", "False" or the reply's rest
  // A refused "login" whose rest is the service's "user does not exist"
  // text: the caller shows its notice box before going on.
  bool userMissingNotice = false;
};

CommandResult ClassifyReply(std::string_view body);

// The service's "user does not exist" rest, in code page 949.
const std::string& UserMissingText();

// Login answer codes: 0 success, 1 wrong password, 2 unknown user, 3 other
// refusal, and kLoginNoAnswer when the service gave no service reply at all.
inline constexpr int kLoginNoAnswer = 4;
int LoginCode(const CommandResult& result);

struct ZoneRecord {
  std::string number;
  std::string name;
  std::string host;            // host[:port] of the zone's command program
  std::string contentAddress;  // the content server of the channel files
  std::string contentPort;     // text; readers use 9686 when it is no number
};

// What one reply may add at most; records beyond are dropped (and the list
// counts as cut off). Records whose fields are all empty are skipped.
inline constexpr std::size_t kMaxZones = 100;
inline constexpr std::size_t kMaxChannels = 1000;

struct ZoneList {
  std::vector<ZoneRecord> zones;
  // True when the last record ended the reply without a trailing "/".
  bool complete = false;
};

// Empty when the body is no service reply. The reply's command and status
// are not examined.
std::optional<ZoneList> ParseZoneReply(std::string_view body);
// The records back to back, every field followed by "/" but the last one.
std::string EncodeZoneRecords(const std::vector<ZoneRecord>& zones);

// The service's own bytes (code page 949) of the channel fields that go
// back to it in "syncreq" and "fldned". The program shows decoded texts;
// the requests send these bytes, so a name the code page cannot decode
// still goes back exactly as the service wrote it.
struct ChannelServiceBytes {
  std::string ChannelName;
  std::string DnFileDate;
  std::string PurchaseNum;
};

struct ChannelRecord {
  std::int32_t ContentType = 0;
  std::string ChannelName;
  std::int32_t Sequence = 0;
  std::string DnFileName;  // "No file" when the channel has nothing today
  std::int32_t DnFileSize = 0;
  std::string DnFileDate;
  std::string PreFileName;
  std::int32_t PreFileSize = 0;
  std::string PreDownTime;
  std::string PurchaseNum;
  // Set for a record that came from the service.
  std::optional<ChannelServiceBytes> serviceBytes;
};

struct ChannelList {
  std::vector<ChannelRecord> items;
  // True when the text ended in a last field without a trailing "/".
  bool complete = false;
};

// Never fails: malformed items get empty or zero fields. The items carry
// their service bytes.
ChannelList ParseChannelList(std::string_view text);
std::string EncodeChannelList(const std::vector<ChannelRecord>& items);

// A number field: optional blanks and sign, then decimal digits that fit in
// 32 bits; 0 for anything else.
std::int32_t NumberOrZero(std::string_view text);

// One item of the "syncreq" list (empty for an unknown content type) and of
// the "fldned" list; the lists are these texts run together.
std::string SyncItemText(std::int32_t contentType, std::string_view channelName, std::int32_t sequence,
                         std::string_view dnFileDate);
std::string DoneItemText(std::string_view purchaseNum, std::string_view channelName, std::int32_t sequence);

}  // namespace orvel::service
