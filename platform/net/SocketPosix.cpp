// POSIX backend of the TCP connections.
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "platform/net/Lookup.h"
#include "platform/net/Socket.h"
#include "platform/net/SocketError.h"

namespace platform::net {
namespace {

common::Error Failed(std::string_view what, int err) {
  return MakeNetError(NetError::kFailed, std::string(what) + ", " + common::SystemErrorDetail(err));
}
common::Error TimedOut(std::string_view what) { return MakeNetError(NetError::kTimeout, what); }

// poll takes an int of milliseconds: longer waits go round again.
constexpr long long kLongestPoll = 24LL * 3600 * 1000;
// How often a connect under way looks at the caller's stop token.
constexpr Millis kStopCheck{100};

// Waits for `events` on `fd`; true when they came, false on time-out.
common::Result<bool> WaitFor(int fd, short events, Millis timeout, std::string_view what) {
  const auto start = std::chrono::steady_clock::now();
  pollfd p{fd, events, 0};
  for (;;) {
    const Millis left = timeout - std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - start);
    const int n = ::poll(&p, 1, static_cast<int>(std::clamp<long long>(left.count(), 0, kLongestPoll)));
    if (n > 0) return true;
    if (n < 0 && errno != EINTR) return Failed(what, errno);
    if (n == 0 && left.count() <= kLongestPoll) return false;
  }
}

class PosixConnection final : public Connection {
 public:
  explicit PosixConnection(int fd) : fd_(fd) {
    const int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  }
  ~PosixConnection() override { ::close(fd_); }

  common::Result<void> SendAll(std::span<const std::uint8_t> bytes, Millis timeout) override {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
      auto ready = WaitFor(fd_, POLLOUT, timeout, "send");
      if (!ready) return ready.error();
      if (!*ready) return TimedOut("send");
      const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
      if (n < 0) return Failed("send", errno);
      if (n == 0) return MakeNetError(NetError::kFailed, "send, 0바이트");
      sent += static_cast<std::size_t>(n);
    }
    return common::Ok();
  }

  common::Result<std::size_t> Receive(std::span<std::uint8_t> buffer, Millis timeout) override {
    auto ready = WaitFor(fd_, POLLIN, timeout, "receive");
    if (!ready) return ready.error();
    if (!*ready) return TimedOut("receive");
    for (;;) {
      const ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), MSG_DONTWAIT);
      if (n >= 0) return static_cast<std::size_t>(n);
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        ready = WaitFor(fd_, POLLIN, timeout, "receive");
        if (!ready) return ready.error();
        if (!*ready) return TimedOut("receive");
      } else if (errno != EINTR) {
        return Failed("receive", errno);
      }
    }
  }

  // A poll waiting on another thread wakes up: the socket reads as ended.
  void Shutdown() override { ::shutdown(fd_, SHUT_RDWR); }

 private:
  int fd_;
};

class PosixListener final : public Listener {
 public:
  PosixListener(int fd, std::uint16_t port) : fd_(fd), port_(port) {}
  ~PosixListener() override { ::close(fd_); }
  std::uint16_t port() const override { return port_; }

  common::Result<std::unique_ptr<Connection>> Accept(Millis timeout) override {
    auto ready = WaitFor(fd_, POLLIN, timeout, "accept");
    if (!ready) return ready.error();
    if (!*ready) return TimedOut("accept");
    const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return Failed("accept", errno);
    return std::unique_ptr<Connection>(new PosixConnection(fd));
  }

 private:
  int fd_;
  std::uint16_t port_;
};

}  // namespace

common::Result<std::unique_ptr<Connection>> Connect(std::string_view host, std::uint16_t port, Millis timeout,
                                                    std::stop_token cancel) {
  const auto start = std::chrono::steady_clock::now();
  const std::string name(host);
  auto resolved = detail::ResolveWithin(
      name, timeout, cancel,
      [name]() -> detail::Resolved {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        const int rc = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
        if (rc != 0 || found == nullptr) return {false, 0, "getaddrinfo " + name + ", 오류 " + std::to_string(rc)};
        sockaddr_in first{};
        std::memcpy(&first, found->ai_addr, sizeof first);
        ::freeaddrinfo(found);
        return {true, first.sin_addr.s_addr, {}};
      },
      [](std::function<void()> work) { std::thread(std::move(work)).detach(); });
  if (!resolved) return resolved.error();
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = *resolved;
  address.sin_port = htons(port);
  // The connect has what the lookup left of the limit.
  if (timeout < std::chrono::hours(24 * 365)) {
    timeout = std::max(Millis(0), timeout - std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - start));
  }
  const std::string call = "connect " + name + ":" + std::to_string(port);

  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return Failed("socket", errno);
  auto connection = std::make_unique<PosixConnection>(fd);  // closes fd on every failure below
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    if (errno != EINPROGRESS) return Failed(call, errno);
    // In slices, so a stop ends the wait too.
    const auto connectStart = std::chrono::steady_clock::now();
    for (;;) {
      if (cancel.stop_requested()) return MakeNetError(NetError::kCancelled, call);
      const Millis left =
          timeout - std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - connectStart);
      const Millis slice = std::clamp(left, Millis(0), kStopCheck);
      auto ready = WaitFor(fd, POLLOUT, slice, call);
      if (!ready) return ready.error();
      if (*ready) break;
      if (left <= slice) return TimedOut(call);
    }
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) return Failed(call, errno);
    if (err != 0) return Failed(call, err);
  }
  return std::unique_ptr<Connection>(std::move(connection));
}

common::Result<std::unique_ptr<Listener>> Listen(std::string_view address, std::uint16_t port) {
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(port);
  const std::string text(address);
  if (::inet_pton(AF_INET, text.c_str(), &local.sin_addr) != 1) {
    return MakeNetError(NetError::kFailed, "IPv4 주소가 아님: " + text);
  }
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return Failed("socket", errno);
  const int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 || ::listen(fd, 16) != 0) {
    const int err = errno;
    ::close(fd);
    return Failed("bind " + text, err);
  }
  socklen_t len = sizeof local;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &len) != 0) {
    const int err = errno;
    ::close(fd);
    return Failed("getsockname", err);
  }
  return std::unique_ptr<Listener>(new PosixListener(fd, ntohs(local.sin_port)));
}

}  // namespace platform::net
