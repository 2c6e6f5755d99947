// The platform's sockets through the connection interface, over loopback.
#include "member-info/Socket.h"

#include <gtest/gtest.h>

#include <thread>

namespace dastrel::net {
namespace {

using namespace std::chrono_literals;

std::span<const std::uint8_t> Bytes(std::string_view s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

TEST(Socket, ConnectsSendsReceivesAndSeesTheClose) {
  auto listener = Listen("127.0.0.1", 0);
  ASSERT_TRUE(listener.ok()) << listener.error().message;
  ASSERT_NE((*listener)->port(), 0);

  std::thread peer([&] {
    auto accepted = (*listener)->Accept(5s);
    ASSERT_TRUE(accepted.ok());
    std::uint8_t buffer[16];
    auto n = (*accepted)->Receive(buffer, 5s);
    ASSERT_TRUE(n.ok());
    ASSERT_TRUE((*accepted)->SendAll({buffer, *n}, 5s).ok());
  });  // closes the accepted connection

  auto connection = Connect("127.0.0.1", (*listener)->port(), 5s);
  ASSERT_TRUE(connection.ok()) << connection.error().message;
  ASSERT_TRUE((*connection)->SendAll(Bytes("ping"), 5s).ok());
  std::uint8_t buffer[16];
  auto n = (*connection)->Receive(buffer, 5s);
  ASSERT_TRUE(n.ok());
  EXPECT_EQ(std::string(buffer, buffer + *n), "ping");
  peer.join();
  auto closed = (*connection)->Receive(buffer, 5s);
  ASSERT_TRUE(closed.ok());
  EXPECT_EQ(*closed, 0u);
}

TEST(Socket, ReceiveTimesOutOnSilence) {
  auto listener = Listen("127.0.0.1", 0);
  ASSERT_TRUE(listener.ok());
  auto connection = Connect("localhost", (*listener)->port(), 5s);
  ASSERT_TRUE(connection.ok()) << connection.error().message;
  std::uint8_t buffer[4];
  auto n = (*connection)->Receive(buffer, 50ms);
  ASSERT_FALSE(n.ok());
  EXPECT_EQ(n.error().code, static_cast<int>(NetError::kTimeout));
}

TEST(Socket, ConnectFailsOnAClosedPortAndAnUnknownHost) {
  std::uint16_t port;
  {
    auto listener = Listen("127.0.0.1", 0);
    ASSERT_TRUE(listener.ok());
    port = (*listener)->port();
  }
  EXPECT_FALSE(Connect("127.0.0.1", port, 5s).ok());
  EXPECT_FALSE(Connect("no-such-host.invalid", 3999, 5s).ok());
}

}  // namespace
}  // namespace dastrel::net
