// The bridge between a program's player link and the standalone simulated
// player (tools/player-sim): each driver session is one loopback TCP
// connection carrying the session's device calls one at a time.
//
// The connection opens with kHello in each direction. Then every call is a
// request frame (header, then `length` payload bytes) answered by one reply
// frame (header, then `length` payload bytes). Numbers are little-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "player-link/Driver.h"
#include "player-link/Protocol.h"

namespace playerlink::bridge {

inline constexpr std::array<std::uint8_t, 4> kHello{'P', 'L', 'B', '1'};
inline constexpr std::size_t kMaxPayload = kBlockSize;

enum class Op : std::uint8_t {
  kOpen = 1,     // device; no payload
  kClose = 2,    // device; no payload
  kControl = 3,  // control device; payload: the request; parameter: the answer size wanted (7 or 8)
  kWrite = 4,    // out pipe; payload: the bytes
  kRead = 5,     // in pipe; parameter: the bytes wanted
};

namespace request {
inline constexpr std::size_t kOp = 0;
inline constexpr std::size_t kDevice = 1;
inline constexpr std::size_t kParameter = 2;  // 16-bit
inline constexpr std::size_t kLength = 4;     // 32-bit payload length
inline constexpr std::size_t kHeaderSize = 8;
}  // namespace request

namespace reply {
inline constexpr std::size_t kStatus = 0;     // 1 = the call succeeded, 0 = it failed
inline constexpr std::size_t kCount = 4;      // 32-bit: answer bytes, or bytes moved
inline constexpr std::size_t kLength = 8;     // 32-bit payload length
inline constexpr std::size_t kHeaderSize = 12;
}  // namespace reply

struct RequestHeader {
  Op op = Op::kOpen;
  Device device = Device::kControl;
  std::uint16_t parameter = 0;
  std::uint32_t length = 0;
};

struct ReplyHeader {
  bool ok = false;
  std::uint32_t count = 0;
  std::uint32_t length = 0;
};

std::array<std::uint8_t, request::kHeaderSize> EncodeRequestHeader(const RequestHeader& h);
// Nothing for a header no well-behaved client sends: an unknown operation or
// device, a call on the wrong device, sizes out of bounds.
std::optional<RequestHeader> DecodeRequestHeader(std::span<const std::uint8_t> bytes);

std::array<std::uint8_t, reply::kHeaderSize> EncodeReplyHeader(const ReplyHeader& h);
// Nothing for a reply the request could not have: a payload or count beyond
// what was asked (`wanted` bytes for control and read, none otherwise).
std::optional<ReplyHeader> DecodeReplyHeader(std::span<const std::uint8_t> bytes, Op op, std::size_t wanted);

// The bridge address "host:port" with host 127.0.0.1, another dotted IPv4
// address or "localhost".
struct Address {
  std::uint32_t ipv4 = 0;  // host order
  std::uint16_t port = 0;
};
std::optional<Address> ParseAddress(std::string_view text);

}  // namespace playerlink::bridge
