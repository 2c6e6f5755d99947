// Winsock backend of the TCP connections. Every connection and listener
// starts the sockets layer for itself and releases it when it closes, so no
// process-wide state is kept here. Sockets stay in non-blocking mode; every
// wait goes through select with a time-out. Winsock does not promise that a
// shutdown wakes a select waiting on another thread, so the waits of a
// connection look at its shut-down flag every tenth of a second.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "platform/net/Lookup.h"
#include "platform/net/Socket.h"
#include "platform/net/SocketError.h"

namespace platform::net {
namespace {

common::Error Failed(std::string_view what, int err) {
  return MakeNetError(NetError::kFailed, std::string(what) + ", " + common::SystemErrorDetail(err));
}
common::Error TimedOut(std::string_view what) { return MakeNetError(NetError::kTimeout, what); }

constexpr long long kLongestSelect = 24LL * 3600 * 1000;
constexpr long long kShutdownCheck = 100;

timeval ToTimeval(long long ms) {
  timeval tv;
  tv.tv_sec = static_cast<long>(ms / 1000);
  tv.tv_usec = static_cast<long>((ms % 1000) * 1000);
  return tv;
}

enum class Wait { kRead, kWrite, kConnect };

// True when the socket is ready (or `shutDown` is set), false on time-out.
common::Result<bool> WaitFor(SOCKET s, Wait what, Millis timeout, std::string_view label,
                             const std::atomic<bool>* shutDown = nullptr) {
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    if (shutDown != nullptr && shutDown->load()) return true;
    const Millis left = timeout - std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - start);
    const long long slice =
        std::clamp<long long>(left.count(), 0, shutDown != nullptr ? kShutdownCheck : kLongestSelect);
    fd_set ready;
    fd_set failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(s, &ready);
    FD_SET(s, &failed);
    timeval tv = ToTimeval(slice);
    const int n = what == Wait::kRead ? ::select(0, &ready, nullptr, &failed, &tv)
                                      : ::select(0, nullptr, &ready, &failed, &tv);
    if (n == SOCKET_ERROR) return Failed(label, ::WSAGetLastError());
    if (n == 0) {
      if (left.count() <= slice) return false;
      continue;
    }
    if (what == Wait::kConnect && FD_ISSET(s, &failed)) {
      int err = 0;
      int len = sizeof err;
      ::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len);
      return Failed(label, err != 0 ? err : WSAECONNREFUSED);
    }
    return true;
  }
}

// One start of the sockets layer, released once.
class SocketsLayer {
 public:
  SocketsLayer() {
    WSADATA data;
    started_ = ::WSAStartup(MAKEWORD(2, 0), &data) == 0;
  }
  ~SocketsLayer() {
    if (started_) ::WSACleanup();
  }
  SocketsLayer(const SocketsLayer&) = delete;
  SocketsLayer& operator=(const SocketsLayer&) = delete;
  bool started() const { return started_; }

 private:
  bool started_ = false;
};

// Closes the socket before the sockets layer is released.
struct OwnedSocket {
  std::unique_ptr<SocketsLayer> layer;
  SOCKET socket = INVALID_SOCKET;

  OwnedSocket() = default;
  OwnedSocket(OwnedSocket&& other) noexcept
      : layer(std::move(other.layer)), socket(std::exchange(other.socket, INVALID_SOCKET)) {}
  OwnedSocket& operator=(OwnedSocket&&) = delete;
  ~OwnedSocket() {
    if (socket != INVALID_SOCKET) ::closesocket(socket);
  }
};

// Non-blocking, and no Nagle delay.
bool SetNonBlocking(SOCKET s) {
  u_long on = 1;
  const BOOL noDelay = TRUE;
  ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
  return ::ioctlsocket(s, FIONBIO, &on) == 0;
}

class WinsockConnection final : public Connection {
 public:
  explicit WinsockConnection(OwnedSocket&& owned) : owned_(std::move(owned)) {}

  common::Result<void> SendAll(std::span<const std::uint8_t> bytes, Millis timeout) override {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
      auto ready = WaitFor(owned_.socket, Wait::kWrite, timeout, "send", &shutDown_);
      if (!ready) return ready.error();
      if (!*ready) return TimedOut("send");
      const std::size_t piece = std::min<std::size_t>(bytes.size() - sent, 1 << 30);
      const int n = ::send(owned_.socket, reinterpret_cast<const char*>(bytes.data() + sent),
                           static_cast<int>(piece), 0);
      if (n == SOCKET_ERROR) {
        const int err = ::WSAGetLastError();
        if (err == WSAEWOULDBLOCK) continue;
        return Failed("send", err);
      }
      if (n == 0) return MakeNetError(NetError::kFailed, "send, 0바이트");
      sent += static_cast<std::size_t>(n);
    }
    return common::Ok();
  }

  common::Result<std::size_t> Receive(std::span<std::uint8_t> buffer, Millis timeout) override {
    for (;;) {
      auto ready = WaitFor(owned_.socket, Wait::kRead, timeout, "receive", &shutDown_);
      if (!ready) return ready.error();
      if (!*ready) return TimedOut("receive");
      if (shutDown_) return std::size_t{0};
      const std::size_t piece = std::min<std::size_t>(buffer.size(), 1 << 30);
      const int n = ::recv(owned_.socket, reinterpret_cast<char*>(buffer.data()), static_cast<int>(piece), 0);
      if (n >= 0) return static_cast<std::size_t>(n);
      const int err = ::WSAGetLastError();
      if (err == WSAESHUTDOWN) return std::size_t{0};
      if (err != WSAEWOULDBLOCK) return Failed("receive", err);
    }
  }

  void Shutdown() override {
    shutDown_ = true;
    ::shutdown(owned_.socket, SD_BOTH);
  }

 private:
  OwnedSocket owned_;
  std::atomic<bool> shutDown_{false};
};

class WinsockListener final : public Listener {
 public:
  WinsockListener(OwnedSocket&& owned, std::uint16_t port) : owned_(std::move(owned)), port_(port) {}
  std::uint16_t port() const override { return port_; }

  common::Result<std::unique_ptr<Connection>> Accept(Millis timeout) override {
    auto ready = WaitFor(owned_.socket, Wait::kRead, timeout, "accept");
    if (!ready) return ready.error();
    if (!*ready) return TimedOut("accept");
    OwnedSocket accepted;
    accepted.layer = std::make_unique<SocketsLayer>();
    if (!accepted.layer->started()) return Failed("WSAStartup", ::WSAGetLastError());
    accepted.socket = ::accept(owned_.socket, nullptr, nullptr);
    if (accepted.socket == INVALID_SOCKET) return Failed("accept", ::WSAGetLastError());
    if (!SetNonBlocking(accepted.socket)) return Failed("ioctlsocket", ::WSAGetLastError());
    return std::unique_ptr<Connection>(new WinsockConnection(std::move(accepted)));
  }

 private:
  OwnedSocket owned_;
  std::uint16_t port_;
};

// The blocking lookup, on the lookup thread: the sockets layer started for
// itself, since the caller may have released its own by the time it ends.
detail::Resolved LookUp(const std::string& name) {
  SocketsLayer layer;
  if (!layer.started()) return {false, 0, "WSAStartup, " + common::SystemErrorDetail(::WSAGetLastError())};
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int rc = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
  if (rc != 0 || found == nullptr) {
    return {false, 0, "getaddrinfo " + name + ", " + common::SystemErrorDetail(rc != 0 ? rc : WSAHOST_NOT_FOUND)};
  }
  sockaddr_in first{};
  std::memcpy(&first, found->ai_addr, sizeof first);
  ::freeaddrinfo(found);
  return {true, first.sin_addr.s_addr, {}};
}

// A lookup thread may outlive its caller, and in a DLL (the member
// database client in Dastrel.dll) the caller's module may be unloaded
// meanwhile: the thread holds a reference to the module its code is in and
// gives it back as its last act.
DWORD WINAPI RunPinned(void* parameter) {
  std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
  HMODULE self = nullptr;
  ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&RunPinned), &self);
  (*work)();
  work.reset();
  if (self != nullptr && self != ::GetModuleHandleW(nullptr)) ::FreeLibraryAndExitThread(self, 0);
  return 0;
}

void StartPinned(std::function<void()> work) {
  auto owned = std::make_unique<std::function<void()>>(std::move(work));
  // The reference the thread gives back at its end (none for the program itself).
  HMODULE self = nullptr;
  ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&RunPinned), &self);
  HANDLE thread = ::CreateThread(nullptr, 0, &RunPinned, owned.get(), 0, nullptr);
  if (thread == nullptr) {
    // No thread: the lookup runs here, bounded only by the system's resolver.
    if (self != nullptr) ::FreeLibrary(self);
    (*owned)();
    return;
  }
  owned.release();
  ::CloseHandle(thread);
}

}  // namespace

common::Result<std::unique_ptr<Connection>> Connect(std::string_view host, std::uint16_t port, Millis timeout,
                                                    std::stop_token cancel) {
  const auto start = std::chrono::steady_clock::now();
  OwnedSocket owned;
  owned.layer = std::make_unique<SocketsLayer>();
  if (!owned.layer->started()) return Failed("WSAStartup", ::WSAGetLastError());

  owned.socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (owned.socket == INVALID_SOCKET) return Failed("socket", ::WSAGetLastError());

  const std::string name(host);
  auto resolved = detail::ResolveWithin(name, timeout, cancel, [name] { return LookUp(name); }, &StartPinned);
  if (!resolved) return resolved.error();
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = *resolved;
  address.sin_port = ::htons(port);
  const std::string call = "connect " + name + ":" + std::to_string(port);
  // The connect has what the lookup left of the limit.
  if (timeout < std::chrono::hours(24 * 365)) {
    timeout = std::max(Millis(0), timeout - std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - start));
  }

  if (!SetNonBlocking(owned.socket)) return Failed("ioctlsocket", ::WSAGetLastError());
  if (::connect(owned.socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == SOCKET_ERROR) {
    const int err = ::WSAGetLastError();
    if (err != WSAEWOULDBLOCK) return Failed(call, err);
    // In slices, so a stop ends the wait too.
    const auto connectStart = std::chrono::steady_clock::now();
    for (;;) {
      if (cancel.stop_requested()) return MakeNetError(NetError::kCancelled, call);
      const Millis left =
          timeout - std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - connectStart);
      const Millis slice = std::clamp(left, Millis(0), Millis(kShutdownCheck));
      auto ready = WaitFor(owned.socket, Wait::kConnect, slice, call);
      if (!ready) return ready.error();
      if (*ready) break;
      if (left <= slice) return TimedOut(call);
    }
  }
  return std::unique_ptr<Connection>(new WinsockConnection(std::move(owned)));
}

common::Result<std::unique_ptr<Listener>> Listen(std::string_view address, std::uint16_t port) {
  OwnedSocket owned;
  owned.layer = std::make_unique<SocketsLayer>();
  if (!owned.layer->started()) return Failed("WSAStartup", ::WSAGetLastError());
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = ::htons(port);
  const std::string text(address);
  if (::inet_pton(AF_INET, text.c_str(), &local.sin_addr) != 1) {
    return MakeNetError(NetError::kFailed, "IPv4 주소가 아님: " + text);
  }
  owned.socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (owned.socket == INVALID_SOCKET) return Failed("socket", ::WSAGetLastError());
  if (::bind(owned.socket, reinterpret_cast<const sockaddr*>(&local), sizeof local) == SOCKET_ERROR ||
      ::listen(owned.socket, 16) == SOCKET_ERROR) {
    return Failed("bind " + text, ::WSAGetLastError());
  }
  int len = sizeof local;
  if (::getsockname(owned.socket, reinterpret_cast<sockaddr*>(&local), &len) == SOCKET_ERROR) {
    return Failed("getsockname", ::WSAGetLastError());
  }
  return std::unique_ptr<Listener>(new WinsockListener(std::move(owned), ::ntohs(local.sin_port)));
}

}  // namespace platform::net
