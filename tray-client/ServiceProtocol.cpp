#include "tray-client/ServiceProtocol.h"

#include <charconv>

#include "common/TextCodec.h"

namespace orvel::service {
namespace {

// Blanks and control characters; no byte of a two-byte code page 949
// character is in this range, so trimming never cuts a character.
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

std::string TrimUpper(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  std::string out(text.substr(begin, end - begin));
  // Only single-byte letters change case: the second byte of a two-byte
  // character can lie in the range of the ASCII letters.
  for (std::size_t i = 0; i < out.size();) {
    const std::size_t n = common::Cp949CharLength(out, i);
    if (n == 1 && out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - 'a' + 'A');
    i += n == 0 ? 1 : n;
  }
  return out;
}

// The text up to the next "/", removed with it from `text`. Without a "/"
// the field is empty and nothing is removed.
std::string TakeField(std::string_view& text) {
  const auto slash = text.find('/');
  if (slash == std::string_view::npos) return {};
  std::string field(text.substr(0, slash));
  text.remove_prefix(slash + 1);
  return field;
}

// The last field of a record: up to the next "/" when there is one
// (removing it), otherwise the whole text, and `last` becomes true.
std::string TakeLastField(std::string_view& text, bool& last) {
  const auto slash = text.find('/');
  if (slash == std::string_view::npos) {
    std::string field(text);
    text = {};
    last = true;
    return field;
  }
  last = false;
  return TakeField(text);
}

// "@" CMD "/" STATUS "/" rest, with what is left after the header in `rest`.
std::optional<ServiceReply> ParseHeader(std::string_view body) {
  if (body.empty() || body.front() != '@') return std::nullopt;
  std::string_view text = body.substr(1);
  ServiceReply reply;
  auto slash = text.find('/');
  if (slash == std::string_view::npos) {
    reply.command = TrimUpper(text);
    return reply;
  }
  reply.command = TrimUpper(text.substr(0, slash));
  text.remove_prefix(slash + 1);
  slash = text.find('/');
  if (slash != std::string_view::npos) {
    reply.status = TrimUpper(text.substr(0, slash));
    text.remove_prefix(slash + 1);
  }
  reply.rest = std::string(text);
  return reply;
}

void AppendField(std::string& out, std::string_view field, bool last) {
  out += field;
  if (!last) out += '/';
}

}  // namespace

std::string_view CommandName(Command command) {
  switch (command) {
    case Command::kLogin: return "login";
    case Command::kDnLists: return "dnlists";
    case Command::kSyncReq: return "syncreq";
    case Command::kFldned: return "fldned";
    case Command::kRegUser: return "reguser";
  }
  return {};
}

std::string_view Scheme(bool tls) { return tls ? "https://" : "http://"; }

std::string ZoneDirectoryBase(const char* configured, bool tls) {
  std::string base = configured != nullptr && configured[0] != '\0' ? configured : std::string(kDefaultZoneDirectoryHost);
  while (!base.empty() && base.back() == '/') base.pop_back();
  if (base.rfind("http://", 0) != 0 && base.rfind("https://", 0) != 0) base.insert(0, Scheme(tls));
  return base;
}

std::string ZoneListUrl(std::string_view directoryBase) {
  return std::string(directoryBase) + std::string(kZoneListPath);
}

std::string LoginUrl(bool tls, std::string_view zoneHost) {
  return std::string(Scheme(tls)) + std::string(zoneHost) + std::string(kLoginPath);
}

std::string PercentEncode(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 3);
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                            c == '-' || c == '.' || c == '_' || c == '~';
    if (unreserved) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

std::string CommandUrl(std::string_view loginUrl, Command command, std::string_view userId,
                       std::string_view password, std::string_view list) {
  std::string url(loginUrl);
  url += CommandName(command);
  url += "&userid=" + PercentEncode(userId);
  url += "&password=" + PercentEncode(password);
  if (command == Command::kSyncReq) url += "&sync=" + PercentEncode(list);
  if (command == Command::kFldned) url += "&down=" + PercentEncode(list);
  return url;
}

std::string RedactPassword(std::string_view url) {
  std::string out(url);
  for (std::size_t at = 0; (at = out.find("password=", at)) != std::string::npos;) {
    const bool parameterStart = at > 0 && (out[at - 1] == '&' || out[at - 1] == '?');
    at += 9;
    if (!parameterStart) continue;
    const auto end = out.find('&', at);
    out.replace(at, (end == std::string::npos ? out.size() : end) - at, "****");
  }
  return out;
}

std::optional<ServiceReply> ParseServiceReply(std::string_view body) { return ParseHeader(body); }

std::string EncodeServiceReply(std::string_view command, std::string_view status, std::string_view rest) {
  std::string out = "@";
  out += command;
  out += '/';
  out += status;
  out += '/';
  out += rest;
  return out;
}

const std::string& UserMissingText() {
  static const std::string text = common::Utf8ToCp949("사용자가 존재하지 않습니다.").value();
  return text;
}

CommandResult ClassifyReply(std::string_view body) {
  CommandResult result;
  auto reply = ParseHeader(body);
  if (!reply) return result;
  result.serviceReply = true;
  const bool ack = reply->status == "ACK";
  const bool dnlists = reply->command == "DNLISTS";
  const bool login = reply->command == "LOGIN";
  if (ack) {
    result.text = dnlists || login ? std::move(reply->rest) : "True";
  } else if (dnlists) {
    // A refused channel list gives nothing.
  } else if (login) {
    result.userMissingNotice = reply->rest == UserMissingText();
    result.text = std::move(reply->rest);
  } else {
    result.text = "False";
  }
  return result;
}

int LoginCode(const CommandResult& result) {
  if (!result.serviceReply) return kLoginNoAnswer;
  if (result.text == "1") return 1;
  if (result.text == "2") return 2;
  if (result.text == "3") return 3;
  return 0;
}

std::optional<ZoneList> ParseZoneReply(std::string_view body) {
  auto reply = ParseHeader(body);
  if (!reply) return std::nullopt;
  ZoneList list;
  std::string_view text = reply->rest;
  while (!text.empty()) {
    ZoneRecord zone;
    zone.number = TakeField(text);
    zone.name = TakeField(text);
    zone.host = TakeField(text);
    zone.contentAddress = TakeField(text);
    zone.contentPort = TakeLastField(text, list.complete);
    if (zone.number.empty() && zone.name.empty() && zone.host.empty() && zone.contentAddress.empty() &&
        zone.contentPort.empty()) {
      continue;
    }
    if (list.zones.size() == kMaxZones) {
      list.complete = false;
      break;
    }
    list.zones.push_back(std::move(zone));
  }
  return list;
}

std::string EncodeZoneRecords(const std::vector<ZoneRecord>& zones) {
  std::string out;
  for (std::size_t i = 0; i < zones.size(); ++i) {
    const ZoneRecord& z = zones[i];
    for (const std::string* field : {&z.number, &z.name, &z.host, &z.contentAddress}) AppendField(out, *field, false);
    AppendField(out, z.contentPort, i + 1 == zones.size());
  }
  return out;
}

std::int32_t NumberOrZero(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return 0;
  return value;
}

ChannelList ParseChannelList(std::string_view text) {
  ChannelList list;
  while (!text.empty()) {
    std::string fields[10];
    for (int i = 0; i < 9; ++i) fields[i] = TakeField(text);
    fields[9] = TakeLastField(text, list.complete);
    bool empty = true;
    for (const std::string& field : fields) empty = empty && field.empty();
    if (empty) continue;
    if (list.items.size() == kMaxChannels) {
      list.complete = false;
      break;
    }
    ChannelRecord item;
    item.ContentType = NumberOrZero(fields[0]);
    item.ChannelName = std::move(fields[1]);
    item.Sequence = NumberOrZero(fields[2]);
    item.DnFileName = std::move(fields[3]);
    item.DnFileSize = NumberOrZero(fields[4]);
    item.DnFileDate = std::move(fields[5]);
    item.PreFileName = std::move(fields[6]);
    item.PreFileSize = NumberOrZero(fields[7]);
    item.PreDownTime = std::move(fields[8]);
    item.PurchaseNum = std::move(fields[9]);
    item.serviceBytes = ChannelServiceBytes{item.ChannelName, item.DnFileDate, item.PurchaseNum};
    list.items.push_back(std::move(item));
  }
  return list;
}

std::string EncodeChannelList(const std::vector<ChannelRecord>& items) {
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const ChannelRecord& c = items[i];
    for (const std::string& field :
         {std::to_string(c.ContentType), c.ChannelName, std::to_string(c.Sequence), c.DnFileName,
          std::to_string(c.DnFileSize), c.DnFileDate, c.PreFileName, std::to_string(c.PreFileSize), c.PreDownTime}) {
      AppendField(out, field, false);
    }
    AppendField(out, c.PurchaseNum, i + 1 == items.size());
  }
  return out;
}

std::string SyncItemText(std::int32_t contentType, std::string_view channelName, std::int32_t sequence,
                         std::string_view dnFileDate) {
  std::string out(channelName);
  switch (contentType) {
    case 0:
    case 2: return out + "/" + std::to_string(sequence) + "/";
    case 1: return out + "/" + std::string(dnFileDate) + "/";
    default: return {};
  }
}

std::string DoneItemText(std::string_view purchaseNum, std::string_view channelName, std::int32_t sequence) {
  return std::string(purchaseNum) + "/" + std::string(channelName) + "/" + std::to_string(sequence) + "/";
}

}  // namespace orvel::service
