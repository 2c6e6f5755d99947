#include "tools/player-sim/BridgeServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <string>
#include <vector>

#include "player-link/BridgeFrame.h"

namespace playersim {

namespace bridge = playerlink::bridge;
using playerlink::Device;

common::Result<std::uint16_t> BridgeServer::Start(std::uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return common::Error{errno, std::string("socket: ") + std::strerror(errno)};
  const int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(port);
  socklen_t len = sizeof addr;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 16) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    const int e = errno;
    ::close(fd);
    return common::Error{e, "cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(e)};
  }
  listener_ = fd;
  stopping_ = false;
  acceptThread_ = std::thread([this] { AcceptLoop(); });
  return std::uint16_t{ntohs(addr.sin_port)};
}

void BridgeServer::Stop() {
  stopping_ = true;
  if (acceptThread_.joinable()) acceptThread_.join();
  if (listener_ >= 0) ::close(listener_);
  listener_ = -1;
  std::lock_guard lock(mutex_);
  for (auto& c : connections_) c.socket.Shutdown();
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
    pollfd p{listener_, POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ReapFinished();
    std::lock_guard lock(mutex_);
    Connection& c = connections_.emplace_back();
    c.socket = playerlink::Socket(fd);
    c.thread = std::thread([this, &c] {
      Serve(c);
      c.socket.Shutdown();
      c.done = true;
    });
  }
}

void BridgeServer::Serve(Connection& c) {
  playerlink::Socket& s = c.socket;
  std::array<std::uint8_t, bridge::kHello.size()> hello{};
  if (!s.ReceiveAll(hello) || hello != bridge::kHello || !s.SendAll(bridge::kHello)) return;

  const auto session = driver_.NewSession();
  std::vector<std::uint8_t> payload(bridge::kMaxPayload), answer(bridge::kMaxPayload);
  for (;;) {
    std::array<std::uint8_t, bridge::request::kHeaderSize> head{};
    if (!s.ReceiveAll(head)) return;
    const auto h = bridge::DecodeRequestHeader(head);
    if (!h) return;  // not the bridge: hang up
    const std::span<std::uint8_t> in(payload.data(), h->length);
    if (!in.empty() && !s.ReceiveAll(in)) return;

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
        result = session->Write(in);
        if (result) result = std::min(*result, in.size());
        break;
      case bridge::Op::kRead:
        result = session->Read(std::span(answer).first(h->parameter));
        if (result) result = replyBytes = std::min<std::size_t>(*result, h->parameter);
        break;
    }
    const bridge::ReplyHeader reply{result.has_value(), static_cast<std::uint32_t>(result.value_or(0)),
                                    static_cast<std::uint32_t>(result ? replyBytes : 0)};
    if (!s.SendAll(bridge::EncodeReplyHeader(reply))) return;
    if (reply.length > 0 && !s.SendAll(std::span(answer).first(reply.length))) return;
  }
}

}  // namespace playersim
