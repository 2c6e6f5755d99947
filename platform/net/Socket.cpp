// What both backends share: whole-buffer receives over any Connection.
#include "platform/net/Socket.h"
#include "platform/net/SocketError.h"

#include <string>

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

}  // namespace platform::net
