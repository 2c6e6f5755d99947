#include "player-link/BridgeFrame.h"

#include <string_view>

#include "common/ByteOrder.h"

namespace playerlink::bridge {

std::array<std::uint8_t, request::kHeaderSize> EncodeRequestHeader(const RequestHeader& h) {
  std::array<std::uint8_t, request::kHeaderSize> b{};
  b[request::kOp] = static_cast<std::uint8_t>(h.op);
  b[request::kDevice] = static_cast<std::uint8_t>(h.device);
  common::StoreLE16(&b[request::kParameter], h.parameter);
  common::StoreLE32(&b[request::kLength], h.length);
  return b;
}

std::optional<RequestHeader> DecodeRequestHeader(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < request::kHeaderSize) return std::nullopt;
  const std::uint8_t op = bytes[request::kOp];
  const std::uint8_t device = bytes[request::kDevice];
  if (op < 1 || op > 5 || device > 2) return std::nullopt;
  RequestHeader h{static_cast<Op>(op), static_cast<Device>(device), common::LoadLE16(&bytes[request::kParameter]),
                  common::LoadLE32(&bytes[request::kLength])};
  switch (h.op) {
    case Op::kOpen:
    case Op::kClose:
      if (h.parameter != 0 || h.length != 0) return std::nullopt;
      break;
    case Op::kControl:
      if (h.device != Device::kControl || h.length != command::kRequestSize ||
          h.parameter < command::kRequestSize || h.parameter > command::kBufferSize) {
        return std::nullopt;
      }
      break;
    case Op::kWrite:
      if (h.device != Device::kOutPipe || h.parameter != 0 || h.length == 0 || h.length > kMaxPayload) {
        return std::nullopt;
      }
      break;
    case Op::kRead:
      if (h.device != Device::kInPipe || h.length != 0 || h.parameter == 0 || h.parameter > kMaxPayload) {
        return std::nullopt;
      }
      break;
  }
  return h;
}

std::array<std::uint8_t, reply::kHeaderSize> EncodeReplyHeader(const ReplyHeader& h) {
  std::array<std::uint8_t, reply::kHeaderSize> b{};
  b[reply::kStatus] = h.ok ? 1 : 0;
  common::StoreLE32(&b[reply::kCount], h.count);
  common::StoreLE32(&b[reply::kLength], h.length);
  return b;
}

std::optional<ReplyHeader> DecodeReplyHeader(std::span<const std::uint8_t> bytes, Op op, std::size_t wanted) {
  if (bytes.size() < reply::kHeaderSize) return std::nullopt;
  const std::uint8_t status = bytes[reply::kStatus];
  if (status > 1 || bytes[1] != 0 || bytes[2] != 0 || bytes[3] != 0) return std::nullopt;
  ReplyHeader h{status == 1, common::LoadLE32(&bytes[reply::kCount]), common::LoadLE32(&bytes[reply::kLength])};
  if (!h.ok) {
    if (h.count != 0 || h.length != 0) return std::nullopt;
    return h;
  }
  switch (op) {
    case Op::kOpen:
    case Op::kClose:
      if (h.count != 0 || h.length != 0) return std::nullopt;
      break;
    case Op::kControl:
    case Op::kRead:
      // The payload is exactly the answer or the bytes read.
      if (h.count > wanted || h.length != h.count) return std::nullopt;
      break;
    case Op::kWrite:
      if (h.count > wanted || h.length != 0) return std::nullopt;
      break;
  }
  return h;
}

std::optional<Address> ParseAddress(std::string_view text) {
  const auto colon = text.rfind(':');
  if (colon == std::string_view::npos) return std::nullopt;
  std::string_view host = text.substr(0, colon);
  const std::string_view port = text.substr(colon + 1);
  auto number = [](std::string_view digits, std::uint32_t max) -> std::optional<std::uint32_t> {
    if (digits.empty() || digits.size() > 5) return std::nullopt;
    std::uint32_t v = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') return std::nullopt;
      v = v * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return v <= max ? std::optional(v) : std::nullopt;
  };
  Address a;
  const auto p = number(port, 65535);
  if (!p || *p == 0) return std::nullopt;
  a.port = static_cast<std::uint16_t>(*p);
  if (host == "localhost") host = "127.0.0.1";
  for (int part = 0; part < 4; ++part) {
    const auto dot = host.find('.');
    if ((part < 3) == (dot == std::string_view::npos)) return std::nullopt;
    const auto v = number(host.substr(0, dot), 255);
    if (!v || host.substr(0, dot).size() > 3) return std::nullopt;
    a.ipv4 = (a.ipv4 << 8) | *v;
    host = part < 3 ? host.substr(dot + 1) : std::string_view{};
  }
  return a;
}

}  // namespace playerlink::bridge
