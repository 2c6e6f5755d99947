#include "player-link/BridgeDriver.h"

#include <array>
#include <chrono>
#include <cstdlib>
#include <string>

#include "platform/net/Socket.h"

namespace playerlink {

namespace {

namespace net = platform::net;

// A connect, or a device call that hears nothing for this long, fails.
constexpr net::Millis kCallTimeout = std::chrono::seconds(30);

std::string Dotted(std::uint32_t ipv4) {
  return std::to_string(ipv4 >> 24) + '.' + std::to_string((ipv4 >> 16) & 0xFF) + '.' +
         std::to_string((ipv4 >> 8) & 0xFF) + '.' + std::to_string(ipv4 & 0xFF);
}

class BridgeSession : public DriverSession {
 public:
  explicit BridgeSession(bridge::Address address) : address_(address) {}

  bool Open(Device device) override {
    if (!connection_ && !Connect()) return false;
    if (!Call({bridge::Op::kOpen, device, 0, 0}, {}, {}, 0)) return false;
    open_[Index(device)] = true;
    return true;
  }

  void Close(Device device) override {
    if (!open_[Index(device)]) return;
    open_[Index(device)] = false;
    (void)Call({bridge::Op::kClose, device, 0, 0}, {}, {}, 0);
  }

  bool IsOpen(Device device) const override { return open_[Index(device)]; }

  std::optional<std::size_t> Control(std::span<std::uint8_t> buffer, std::size_t requestSize) override {
    if (!open_[Index(Device::kControl)] || requestSize != command::kRequestSize || buffer.size() < requestSize ||
        buffer.size() > command::kBufferSize) {
      return std::nullopt;
    }
    const bridge::RequestHeader h{bridge::Op::kControl, Device::kControl,
                                  static_cast<std::uint16_t>(buffer.size()),
                                  static_cast<std::uint32_t>(requestSize)};
    return Call(h, buffer.first(requestSize), buffer, buffer.size());
  }

  std::optional<std::size_t> Write(std::span<const std::uint8_t> data) override {
    if (!open_[Index(Device::kOutPipe)] || data.empty() || data.size() > bridge::kMaxPayload) return std::nullopt;
    const bridge::RequestHeader h{bridge::Op::kWrite, Device::kOutPipe, 0, static_cast<std::uint32_t>(data.size())};
    return Call(h, data, {}, data.size());
  }

  std::optional<std::size_t> Read(std::span<std::uint8_t> data) override {
    if (!open_[Index(Device::kInPipe)] || data.empty() || data.size() > bridge::kMaxPayload) return std::nullopt;
    const bridge::RequestHeader h{bridge::Op::kRead, Device::kInPipe, static_cast<std::uint16_t>(data.size()), 0};
    return Call(h, {}, data, data.size());
  }

 private:
  static std::size_t Index(Device d) { return static_cast<std::size_t>(d); }

  bool Connect() {
    auto c = net::Connect(Dotted(address_.ipv4), address_.port, kCallTimeout);
    if (!c) return false;
    std::array<std::uint8_t, bridge::kHello.size()> hello{};
    if (!(*c)->SendAll(bridge::kHello, kCallTimeout) || !net::ReceiveExactly(**c, hello, kCallTimeout) ||
        hello != bridge::kHello) {
      return false;
    }
    connection_ = std::move(*c);
    return true;
  }

  void Break() {
    connection_.reset();
    open_ = {};
  }

  // One request and its reply; the reply's payload lands in `into`. Gives
  // the reply's count; nothing when the call failed or the link broke.
  std::optional<std::size_t> Call(const bridge::RequestHeader& h, std::span<const std::uint8_t> payload,
                                  std::span<std::uint8_t> into, std::size_t wanted) {
    if (!connection_) return std::nullopt;
    const auto head = bridge::EncodeRequestHeader(h);
    if (!connection_->SendAll(head, kCallTimeout) ||
        (!payload.empty() && !connection_->SendAll(payload, kCallTimeout))) {
      Break();
      return std::nullopt;
    }
    std::array<std::uint8_t, bridge::reply::kHeaderSize> replyBytes{};
    if (!net::ReceiveExactly(*connection_, replyBytes, kCallTimeout)) {
      Break();
      return std::nullopt;
    }
    const auto r = bridge::DecodeReplyHeader(replyBytes, h.op, wanted);
    if (!r || r->length > into.size() ||
        (r->length > 0 && !net::ReceiveExactly(*connection_, into.first(r->length), kCallTimeout))) {
      Break();  // a peer that does not speak the bridge, or a broken stream
      return std::nullopt;
    }
    if (!r->ok) return std::nullopt;
    return r->count;
  }

  bridge::Address address_;
  std::unique_ptr<net::Connection> connection_;
  std::array<bool, 3> open_{};
};

class AbsentSession : public DriverSession {
 public:
  bool Open(Device) override { return false; }
  void Close(Device) override {}
  bool IsOpen(Device) const override { return false; }
  std::optional<std::size_t> Control(std::span<std::uint8_t>, std::size_t) override { return std::nullopt; }
  std::optional<std::size_t> Write(std::span<const std::uint8_t>) override { return std::nullopt; }
  std::optional<std::size_t> Read(std::span<std::uint8_t>) override { return std::nullopt; }
};

}  // namespace

std::unique_ptr<DriverSession> BridgeDriver::NewSession() { return std::make_unique<BridgeSession>(address_); }

std::unique_ptr<DriverSession> AbsentDriver::NewSession() { return std::make_unique<AbsentSession>(); }

std::unique_ptr<Driver> BridgeFromEnvironment() {
  const char* value = std::getenv(kBridgeVariable);
  if (!value || !*value) return nullptr;
  if (const auto address = bridge::ParseAddress(value)) return std::make_unique<BridgeDriver>(*address);
  return std::make_unique<AbsentDriver>();
}

}  // namespace playerlink
