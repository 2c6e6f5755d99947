#include "member-info/GetDBInfo.h"

#include <charconv>
#include <cstdlib>

#include "common/TextCodec.h"

namespace dastrel {

ServerAddress DefaultServer() {
  ServerAddress server{std::string(kDefaultServerHost), wire::kDefaultPort};
  const char* given = std::getenv(kServerEnvironmentVariable);
  if (given == nullptr || *given == '\0') return server;
  std::string_view text(given);
  if (text.size() > kMaxHostLength + 6) return server;
  std::uint16_t port = wire::kDefaultPort;
  if (const auto colon = text.rfind(':'); colon != std::string_view::npos) {
    const std::string_view digits = text.substr(colon + 1);
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    if (ec != std::errc() || end != digits.data() + digits.size() || port == 0) return server;
    text = text.substr(0, colon);
  }
  if (text.empty() || text.size() > kMaxHostLength) return server;
  return ServerAddress{std::string(text), port};
}

GetDBInfo::GetDBInfo() : GetDBInfo(DefaultServer()) {}

GetDBInfo::GetDBInfo(ServerAddress server, RequestLimits limits)
    : server_(std::move(server)), limits_(limits) {}

bool GetDBInfo::SearchHost(std::optional<std::u16string_view> serverIp) {
  server_.port = wire::kDefaultPort;
  if (!serverIp) return true;
  auto host = common::Utf16ToCp949(*serverIp);
  if (!host || host->size() > kMaxHostLength) return false;
  server_.host = std::move(*host);
  return true;
}

short GetDBInfo::SearchInfo(std::u16string_view cookie) {
  cookie_.assign(cookie);
  for (auto& field : fields_) field.clear();
  auto wireCookie = common::Utf16ToCp949(cookie);
  if (!wireCookie) return result::kNotSent;
  MemberInfoRecord record;
  const short r = RequestMemberInfo(server_, *wireCookie, record, limits_);
  if (r != result::kOk) return r;
  for (const SlotLayout& slot : kRecordSlots) {
    fields_[static_cast<std::size_t>(slot.slot)] = common::Cp949ToUtf16Lossy(record.SlotText(slot.slot));
  }
  return r;
}

short GetDBInfo::CheckPassword(std::u16string_view id, std::u16string_view password) {
  // A text that code page 949 cannot carry is not sent: a stand-in character
  // could match another member's password.
  auto wireId = common::Utf16ToCp949(id);
  auto wirePassword = common::Utf16ToCp949(password);
  if (!wireId || !wirePassword) return result::kNotSent;
  return RequestPasswordCheck(server_, *wireId, *wirePassword, limits_);
}

std::u16string GetDBInfo::Host() const { return common::Cp949ToUtf16Lossy(server_.host); }

}  // namespace dastrel
