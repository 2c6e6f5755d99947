#include "tools/player-sim/BridgeServer.h"

#include <array>
#include <chrono>
#include <string>
#include <vector>

#include "player-link/BridgeFrame.h"

namespace playersim {

namespace bridge = playerlink::bridge;
namespace net = platform::net;
using playerlink::Device;

// A session waits for its program as long as the program keeps it open;
// Stop ends the wait.
constexpr net::Millis kNoLimit = net::Millis::max();
// How often the accept loop looks whether it is to stop.
constexpr net::Millis kStopCheck{100};

common::Result<std::uint16_t> BridgeServer::Start(std::uint16_t port) {
  auto listener = net::Listen("127.0.0.1", port);
  if (!listener) {
    return common::Error{listener.error().code,
                         "cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + listener.error().message};
  }
  listener_ = std::move(*listener);
  stopping_ = false;
  acceptThread_ = std::thread([this] { AcceptLoop(); });
  return listener_->port();
}

void BridgeServer::Stop() {
  stopping_ = true;
  if (acceptThread_.joinable()) acceptThread_.join();
  listener_.reset();
  std::lock_guard lock(mutex_);
  for (auto& c : connections_) c.socket->Shutdown();
  for (auto& c : connections_) {
    if (c.thread.joinable()) c.thread.join();
  }
  connections_.clear();
}

void BridgeServer::ReapFinished() {
  std::lock_guard lock(mutex_);
  for (auto it = connections_.begin(); it != connections_.end();) {
    if (it->done) {
      it->thread.join();
      it = connections_.erase(it);
    } else {
      ++it;
    }
  }
}

void BridgeServer::AcceptLoop() {
  while (!stopping_) {
    auto accepted = listener_->Accept(kStopCheck);
    if (!accepted) continue;
    ReapFinished();
    std::lock_guard lock(mutex_);
    Connection& c = connections_.emplace_back();
    c.socket = std::move(*accepted);
    c.thread = std::thread([this, &c] {
      Serve(c);
      c.socket->Shutdown();
      c.done = true;
    });
  }
}

void BridgeServer::Serve(Connection& c) {
  net::Connection& s = *c.socket;
  std::array<std::uint8_t, bridge::kHello.size()> hello{};
  if (!net::ReceiveExactly(s, hello, kNoLimit) || hello != bridge::kHello || !s.SendAll(bridge::kHello, kNoLimit)) {
    return;
  }

  const auto session = driver_.NewSession();
  std::vector<std::uint8_t> payload(bridge::kMaxPayload), answer(bridge::kMaxPayload);
  for (;;) {
    std::array<std::uint8_t, bridge::request::kHeaderSize> head{};
    if (!net::ReceiveExactly(s, head, kNoLimit)) return;
    const auto h = bridge::DecodeRequestHeader(head);
    if (!h) return;  // not the bridge: hang up
    const std::span<std::uint8_t> in(payload.data(), h->length);
    if (!in.empty() && !net::ReceiveExactly(s, in, kNoLimit)) return;

    std::optional<std::size_t> result;
    std::size_t replyBytes = 0;
    switch (h->op) {
      case bridge::Op::kOpen:
        result = session->Open(h->device) ? std::optional<std::size_t>(0) : std::nullopt;
        break;
      case bridge::Op::kClose:
        session->Close(h->device);
        result = 0;
        break;
      case bridge::Op::kControl: {
        std::copy(in.begin(), in.end(), answer.begin());
        result = session->Control(std::span(answer).first(h->parameter), h->length);
        if (result) result = replyBytes = std::min<std::size_t>(*result, h->parameter);
        break;
      }
      case bridge::Op::kWrite:
        if (blockDelay_.count() > 0) std::this_thread::sleep_for(blockDelay_);
        result = session->Write(in);
        if (result) result = std::min(*result, in.size());
        break;
      case bridge::Op::kRead:
        if (blockDelay_.count() > 0) std::this_thread::sleep_for(blockDelay_);
        result = session->Read(std::span(answer).first(h->parameter));
        if (result) result = replyBytes = std::min<std::size_t>(*result, h->parameter);
        break;
    }
    const bridge::ReplyHeader reply{result.has_value(), static_cast<std::uint32_t>(result.value_or(0)),
                                    static_cast<std::uint32_t>(result ? replyBytes : 0)};
    if (!s.SendAll(bridge::EncodeReplyHeader(reply), kNoLimit)) return;
    if (reply.length > 0 && !s.SendAll(std::span(answer).first(reply.length), kNoLimit)) return;
  }
}

}  // namespace playersim
