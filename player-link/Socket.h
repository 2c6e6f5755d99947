// A TCP stream socket for the bridge: connect, send and receive whole
// buffers, time-outs. Winsock on Windows, BSD sockets elsewhere.
#pragma once

#include <cstdint>
#include <span>

#include "common/Result.h"

namespace playerlink {

class Socket {
 public:
  Socket() = default;
  explicit Socket(std::intptr_t handle) : handle_(handle) {}
  Socket(Socket&& other) noexcept : handle_(other.handle_) { other.handle_ = kInvalid; }
  Socket& operator=(Socket&& other) noexcept;
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  ~Socket() { Close(); }

  // Connects to an IPv4 address (host order); sends go out without delay.
  static common::Result<Socket> Connect(std::uint32_t ipv4, std::uint16_t port);

  bool valid() const { return handle_ != kInvalid; }
  std::intptr_t handle() const { return handle_; }
  // Sends and receives fail after this long without progress.
  void SetTimeout(int seconds);
  common::Result<void> SendAll(std::span<const std::uint8_t> bytes);
  // Fills the buffer; the peer closing first is a failure.
  common::Result<void> ReceiveAll(std::span<std::uint8_t> bytes);
  // Ends both directions (a receive blocked on another thread returns).
  void Shutdown();
  void Close();

 private:
  static constexpr std::intptr_t kInvalid = -1;
  std::intptr_t handle_ = kInvalid;
};

}  // namespace playerlink
