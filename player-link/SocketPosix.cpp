#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <string>

#include "player-link/Socket.h"

namespace playerlink {

namespace {
common::Error SocketError(const char* what) {
  const int e = errno;
  return common::Error{e, std::string(what) + ": " + std::strerror(e)};
}
int Fd(std::intptr_t h) { return static_cast<int>(h); }
}  // namespace

Socket& Socket::operator=(Socket&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    other.handle_ = kInvalid;
  }
  return *this;
}

common::Result<Socket> Socket::Connect(std::uint32_t ipv4, std::uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return SocketError("socket");
  Socket s(fd);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(ipv4);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) return SocketError("connect");
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return s;
}

void Socket::SetTimeout(int seconds) {
  if (!valid()) return;
  timeval tv{};
  tv.tv_sec = seconds;
  ::setsockopt(Fd(handle_), SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  ::setsockopt(Fd(handle_), SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

common::Result<void> Socket::SendAll(std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::send(Fd(handle_), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return SocketError("send");
    bytes = bytes.subspan(static_cast<std::size_t>(n));
  }
  return common::Ok();
}

common::Result<void> Socket::ReceiveAll(std::span<std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::recv(Fd(handle_), bytes.data(), bytes.size(), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) return common::Error{0, "recv: the peer closed the connection"};
    if (n < 0) return SocketError("recv");
    bytes = bytes.subspan(static_cast<std::size_t>(n));
  }
  return common::Ok();
}

void Socket::Shutdown() {
  if (valid()) ::shutdown(Fd(handle_), SHUT_RDWR);
}

void Socket::Close() {
  if (valid()) ::close(Fd(handle_));
  handle_ = kInvalid;
}

}  // namespace playerlink
