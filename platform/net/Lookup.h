// The host name lookup of Connect, held to the caller's time limit and stop
// token. The system's resolver cannot be interrupted (a name server that
// never answers keeps getaddrinfo waiting for its own retries, 30 s and
// more), so the lookup runs on a thread of its own: the caller waits for it
// at most until the limit or the stop, and a lookup it stops waiting for
// ends by itself, its result thrown away. Shared by both socket backends;
// each gives the blocking lookup and the way to start a detached thread.
#pragma once

#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>

#include "platform/net/Socket.h"

namespace platform::net::detail {

// What a backend's blocking lookup gives: the first IPv4 address (network
// byte order), or the failure's detail ("getaddrinfo <name>, 오류 N").
struct Resolved {
  bool found = false;
  std::uint32_t address = 0;
  std::string failure;
};

// Runs `work` on a detached thread that may outlive the caller (and, for a
// library, must keep its code loaded until the work is done).
using StartDetached = void (*)(std::function<void()> work);

// The IPv4 address of `host` (network byte order): a dotted address as it
// is, a name through `resolve` on a detached thread. kTimeout once `timeout`
// has passed, kCancelled once `cancel` is requested.
common::Result<std::uint32_t> ResolveWithin(const std::string& host, Millis timeout, std::stop_token cancel,
                                            std::function<Resolved()> resolve, StartDetached start);

}  // namespace platform::net::detail
