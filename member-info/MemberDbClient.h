// The client of the member database server: one connection per request, one
// request frame and one reply frame on it, then the connection is closed.
// All state lives in the request, so requests from different objects or
// threads never share anything.
//
// Texts are code page 949 bytes; the GetDBInfo object converts them.
#pragma once

#include <cstdint>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>

#include "member-info/MemberRecord.h"
#include "member-info/MemberWire.h"
#include "platform/net/Socket.h"

namespace dastrel {

namespace net = ::platform::net;

// The results of the two requests, as IGetDBInfo hands them out.
namespace result {
inline constexpr short kOk = 0;
inline constexpr short kWrongPassword = 1;    // 'C' refused with reason 1
inline constexpr short kIdNotRegistered = 2;  // 'C' refused with reason 2
inline constexpr short kNotSent = -1;         // the request was refused here or not sent whole
inline constexpr short kNoReply = -2;         // no connection, no reply, a bad, error or short reply
// A 'C' refusal whose reason byte is 0, -1 or -2 would read as success or as
// one of the failures above; it gets this code instead, which no reason byte
// can produce (every other reason is passed on as it comes).
inline constexpr short kRefusedUnusableReason = 256;
}  // namespace result

struct ServerAddress {
  std::string host;  // dotted IPv4 address or host name, code page 949
  std::uint16_t port = wire::kDefaultPort;
};

struct RequestLimits {
  net::Millis readTimeout{10'000};      // each single read
  net::Millis exchangeTimeout{30'000};  // the whole request, host name lookup and connect included
};

// A stop requested on `cancel` ends a request at once, its lookup included
// (kNoReply).
short RequestMemberInfo(const ServerAddress& server, std::string_view cookie, MemberInfoRecord& record,
                        const RequestLimits& limits = {}, std::stop_token cancel = {});
short RequestPasswordCheck(const ServerAddress& server, std::string_view id, std::string_view password,
                           const RequestLimits& limits = {}, std::stop_token cancel = {});

// The exchanges over a connection that is already open (the requests above
// use them; the fuzz target feeds them scripted bytes).
short ExchangeMemberInfo(net::Connection& connection, std::string_view cookie, MemberInfoRecord& record,
                         const RequestLimits& limits);
short ExchangePasswordCheck(net::Connection& connection, std::string_view id, std::string_view password,
                            const RequestLimits& limits);

// What a received reply payload means. The record is written only on success.
short InterpretMemberInfoReply(std::span<const std::uint8_t> payload, MemberInfoRecord& record);
short InterpretPasswordCheckReply(std::span<const std::uint8_t> payload);

}  // namespace dastrel
