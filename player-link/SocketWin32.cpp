#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <string>

#include "player-link/Socket.h"

namespace playerlink {

namespace {
common::Error SocketError(const char* what) {
  const int e = WSAGetLastError();
  return common::Error{e, std::string(what) + ": Winsock error " + std::to_string(e)};
}
SOCKET Sock(std::intptr_t h) { return static_cast<SOCKET>(h); }

bool StartWinsock() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}
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
  if (!StartWinsock()) return common::Error{0, "WSAStartup failed"};
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return SocketError("socket");
  Socket result(static_cast<std::intptr_t>(s));
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(ipv4);
  if (::connect(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) return SocketError("connect");
  const BOOL one = TRUE;
  ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
  return result;
}

void Socket::SetTimeout(int seconds) {
  if (!valid()) return;
  const DWORD ms = static_cast<DWORD>(seconds) * 1000;
  ::setsockopt(Sock(handle_), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
  ::setsockopt(Sock(handle_), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
}

common::Result<void> Socket::SendAll(std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const int chunk = static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 20));
    const int n = ::send(Sock(handle_), reinterpret_cast<const char*>(bytes.data()), chunk, 0);
    if (n <= 0) return SocketError("send");
    bytes = bytes.subspan(static_cast<std::size_t>(n));
  }
  return common::Ok();
}

common::Result<void> Socket::ReceiveAll(std::span<std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const int chunk = static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 20));
    const int n = ::recv(Sock(handle_), reinterpret_cast<char*>(bytes.data()), chunk, 0);
    if (n == 0) return common::Error{0, "recv: the peer closed the connection"};
    if (n < 0) return SocketError("recv");
    bytes = bytes.subspan(static_cast<std::size_t>(n));
  }
  return common::Ok();
}

void Socket::Shutdown() {
  if (valid()) ::shutdown(Sock(handle_), SD_BOTH);
}

void Socket::Close() {
  if (valid()) ::closesocket(Sock(handle_));
  handle_ = kInvalid;
}

}  // namespace playerlink
