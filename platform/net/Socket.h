// TCP connections for every module that talks over TCP (the member database
// client, the player bridge) and for the test servers: a small interface with
// a Winsock backend (SocketWin32.cpp) and a POSIX backend (SocketPosix.cpp).
// Every wait is bounded by the caller's time-out; Millis::max() is the only
// way to wait without limit, and Shutdown ends such a wait.
//
// Every connection sends without the Nagle delay: the protocols on top trade
// small messages and wait for each answer.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <stop_token>
#include <string_view>

#include "common/ErrorText.h"
#include "common/Result.h"

namespace platform::net {

using Millis = std::chrono::milliseconds;

// Error.code of a failed call, where it matters to the caller: the codes
// and their texts are in the table of user-facing error texts
// (common/ErrorText.h).
using NetError = common::NetError;

class Connection {
 public:
  virtual ~Connection() = default;  // closes the connection

  // Sends every byte or fails. Each wait for room in the send buffer lasts at
  // most `timeout`; a send that moves no byte is a failure, not a retry.
  virtual common::Result<void> SendAll(std::span<const std::uint8_t> bytes, Millis timeout) = 0;

  // Waits at most `timeout` for data, then receives up to buffer.size()
  // bytes. 0 means the peer has closed the connection (or Shutdown was called).
  virtual common::Result<std::size_t> Receive(std::span<std::uint8_t> buffer, Millis timeout) = 0;

  // Ends both directions. May be called from another thread: a Receive
  // waiting there returns 0, later sends fail. The connection stays open
  // until it is destroyed.
  virtual void Shutdown() = 0;
};

// Fills `buffer` from the connection. Each wait lasts at most `timeout` (the
// time-out runs again after every piece that comes); the peer closing first
// is kClosed.
common::Result<void> ReceiveExactly(Connection& connection, std::span<std::uint8_t> buffer, Millis timeout);

// Resolves `host` (a dotted IPv4 address or a host name; the first IPv4
// address found is taken) and connects. The lookup and the connect together
// end within `timeout` (kTimeout), and a stop requested on `cancel` ends
// them at once (kCancelled), also while the system's resolver still waits
// for a name server: that lookup is left to end by itself.
common::Result<std::unique_ptr<Connection>> Connect(std::string_view host, std::uint16_t port, Millis timeout,
                                                    std::stop_token cancel = {});

class Listener {
 public:
  virtual ~Listener() = default;
  // The port the listener is bound to (the system's choice when 0 was asked).
  virtual std::uint16_t port() const = 0;
  virtual common::Result<std::unique_ptr<Connection>> Accept(Millis timeout) = 0;
};

// Listens on the IPv4 `address` ("127.0.0.1" in the tests); port 0 lets the
// system choose a free port.
common::Result<std::unique_ptr<Listener>> Listen(std::string_view address, std::uint16_t port);

}  // namespace platform::net
