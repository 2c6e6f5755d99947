// What both backends share: whole-buffer receives over any Connection, and
// the host name lookup held to the caller's limit.
#include "platform/net/Socket.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/net/Lookup.h"
#include "platform/net/SocketError.h"

namespace platform::net {

common::Result<void> ReceiveExactly(Connection& connection, std::span<std::uint8_t> buffer, Millis timeout) {
  std::size_t got = 0;
  while (got < buffer.size()) {
    auto n = connection.Receive(buffer.subspan(got), timeout);
    if (!n) return n.error();
    if (*n == 0) {
      return MakeNetError(NetError::kClosed,
                          "receive, " + std::to_string(got) + "/" + std::to_string(buffer.size()) + "바이트");
    }
    got += *n;
  }
  return common::Ok();
}

namespace detail {
namespace {

// "a.b.c.d", each part 0-255 in decimal: the address itself, network byte order.
std::optional<std::uint32_t> DottedAddress(const std::string& host) {
  std::uint32_t address = 0;
  int parts = 0;
  std::size_t i = 0;
  while (parts < 4) {
    unsigned value = 0;
    std::size_t digits = 0;
    while (i < host.size() && host[i] >= '0' && host[i] <= '9' && digits < 3) {
      value = value * 10 + static_cast<unsigned>(host[i] - '0');
      ++i;
      ++digits;
    }
    if (digits == 0 || value > 255) return std::nullopt;
    address = (address << 8) | value;
    ++parts;
    if (parts < 4) {
      if (i >= host.size() || host[i] != '.') return std::nullopt;
      ++i;
    }
  }
  if (i != host.size()) return std::nullopt;
  // network byte order: the first part in the lowest-addressed byte
  const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(address >> 24), static_cast<std::uint8_t>(address >> 16),
                                 static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
  std::uint32_t inOrder = 0;
  static_assert(sizeof inOrder == sizeof bytes);
  std::memcpy(&inOrder, bytes, sizeof inOrder);
  return inOrder;
}

// What the caller and the lookup thread share; the last of the two frees it.
struct Pending {
  std::mutex mutex;
  std::condition_variable done;
  std::optional<Resolved> result;
};

}  // namespace

common::Result<std::uint32_t> ResolveWithin(const std::string& host, Millis timeout, std::stop_token cancel,
                                            std::function<Resolved()> resolve, StartDetached start) {
  if (auto dotted = DottedAddress(host)) return *dotted;
  if (cancel.stop_requested()) return MakeNetError(NetError::kCancelled, "getaddrinfo " + host);
  // Millis::max() waits without limit (and would overflow the clock).
  const bool bounded = timeout < std::chrono::hours(24 * 365);
  const auto deadline = std::chrono::steady_clock::now() + (bounded ? timeout : Millis(0));
  auto pending = std::make_shared<Pending>();
  start([pending, resolve = std::move(resolve)] {
    Resolved resolved = resolve();
    {
      std::lock_guard lock(pending->mutex);
      pending->result = std::move(resolved);
    }
    pending->done.notify_all();
  });
  // Made before the lock is taken: it runs at once when the stop came already.
  std::stop_callback wake(cancel, [&pending] {
    std::lock_guard inner(pending->mutex);
    pending->done.notify_all();
  });
  std::unique_lock lock(pending->mutex);
  const auto over = [&] { return pending->result.has_value() || cancel.stop_requested(); };
  bool ended = true;
  if (bounded) {
    ended = pending->done.wait_until(lock, deadline, over);
  } else {
    pending->done.wait(lock, over);
  }
  if (pending->result) {
    if (!pending->result->found) return MakeNetError(NetError::kFailed, pending->result->failure);
    return pending->result->address;
  }
  if (ended) return MakeNetError(NetError::kCancelled, "getaddrinfo " + host);
  return MakeNetError(NetError::kTimeout,
                      "getaddrinfo " + host + ", 제한 시간 " + std::to_string(timeout.count()) + "ms 초과");
}

}  // namespace detail
}  // namespace platform::net
