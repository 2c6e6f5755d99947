#include "member-info/MemberDbClient.h"

#include <vector>

#include "member-info/FrameChannel.h"

namespace dastrel {
namespace {

using Clock = FrameChannel::Clock;

short Exchange(net::Connection& connection, std::span<const std::uint8_t> request, const RequestLimits& limits,
               Clock::time_point deadline, std::vector<std::uint8_t>& reply) {
  FrameChannel channel(connection, limits.readTimeout, deadline);
  if (!channel.SendFrame(request)) return result::kNotSent;
  auto received = channel.ReceiveFrame();
  if (!received) return result::kNoReply;
  reply = std::move(*received);
  return result::kOk;
}

template <class Run>
short WithConnection(const ServerAddress& server, const RequestLimits& limits, std::stop_token cancel, Run run) {
  const auto deadline = Clock::now() + limits.exchangeTimeout;
  // The host name lookup counts against the exchange's limit too.
  auto connection = net::Connect(server.host, server.port, limits.exchangeTimeout, cancel);
  if (!connection) return result::kNoReply;
  // A stop ends the exchange's waits: the connection reads as closed.
  std::stop_callback stop(cancel, [&c = **connection] { c.Shutdown(); });
  return run(**connection, deadline);
  // the connection closes here, on success and on every failure alike
}

short MemberInfoOver(net::Connection& connection, std::string_view cookie, MemberInfoRecord& record,
                     const RequestLimits& limits, Clock::time_point deadline) {
  auto request = wire::EncodeMemberInfoRequest(cookie);
  if (!request) return result::kNotSent;
  std::vector<std::uint8_t> reply;
  if (const short r = Exchange(connection, *request, limits, deadline, reply); r != result::kOk) return r;
  return InterpretMemberInfoReply(reply, record);
}

short PasswordCheckOver(net::Connection& connection, std::string_view id, std::string_view password,
                        const RequestLimits& limits, Clock::time_point deadline) {
  auto request = wire::EncodePasswordCheckRequest(id, password);
  if (!request) return result::kNotSent;
  std::vector<std::uint8_t> reply;
  if (const short r = Exchange(connection, *request, limits, deadline, reply); r != result::kOk) return r;
  return InterpretPasswordCheckReply(reply);
}

}  // namespace

short InterpretMemberInfoReply(std::span<const std::uint8_t> payload, MemberInfoRecord& record) {
  auto reply = wire::DecodeReply(payload);
  if (!reply || reply->status != wire::kStatusOk) return result::kNoReply;
  MemberInfoRecord received;
  if (!received.Assign(reply->data)) return result::kNoReply;  // shorter than 5 + 450 bytes
  record = received;
  return result::kOk;
}

short InterpretPasswordCheckReply(std::span<const std::uint8_t> payload) {
  auto reply = wire::DecodeReply(payload);
  if (!reply || reply->status == wire::kStatusError) return result::kNoReply;
  if (reply->status == wire::kStatusOk) return result::kOk;  // data behind it is not used
  if (!reply->hasReason) return result::kNoReply;
  const short reason = reply->reason;
  if (reason == result::kOk || reason == result::kNotSent || reason == result::kNoReply) {
    return result::kRefusedUnusableReason;
  }
  return reason;
}

short ExchangeMemberInfo(net::Connection& connection, std::string_view cookie, MemberInfoRecord& record,
                         const RequestLimits& limits) {
  return MemberInfoOver(connection, cookie, record, limits, Clock::now() + limits.exchangeTimeout);
}

short ExchangePasswordCheck(net::Connection& connection, std::string_view id, std::string_view password,
                            const RequestLimits& limits) {
  return PasswordCheckOver(connection, id, password, limits, Clock::now() + limits.exchangeTimeout);
}

short RequestMemberInfo(const ServerAddress& server, std::string_view cookie, MemberInfoRecord& record,
                        const RequestLimits& limits, std::stop_token cancel) {
  // Refused before connecting: the request buffer cannot carry it.
  if (cookie.size() > wire::kMaxCookieLength) return result::kNotSent;
  return WithConnection(server, limits, cancel, [&](net::Connection& c, Clock::time_point deadline) {
    return MemberInfoOver(c, cookie, record, limits, deadline);
  });
}

short RequestPasswordCheck(const ServerAddress& server, std::string_view id, std::string_view password,
                           const RequestLimits& limits, std::stop_token cancel) {
  if (id.size() > wire::kMaxCredentialLength || password.size() > wire::kMaxCredentialLength) {
    return result::kNotSent;
  }
  return WithConnection(server, limits, cancel, [&](net::Connection& c, Clock::time_point deadline) {
    return PasswordCheckOver(c, id, password, limits, deadline);
  });
}

}  // namespace dastrel
