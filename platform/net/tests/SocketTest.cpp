// The platform's sockets through the connection interface, over loopback.
#include "platform/net/Socket.h"

#include <gtest/gtest.h>

#include <thread>

namespace platform::net {
namespace {

using namespace std::chrono_literals;

std::span<const std::uint8_t> Bytes(std::string_view s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// Both ends of one loopback connection; null ends when it could not be made.
struct Ends {
  std::unique_ptr<Connection> client;
  std::unique_ptr<Connection> server;
};
Ends ConnectedPair() {
  auto listener = Listen("127.0.0.1", 0);
  if (!listener) return {};
  auto client = Connect("127.0.0.1", (*listener)->port(), 5s);
  if (!client) return {};
  auto server = (*listener)->Accept(5s);
  if (!server) return {};
  return {std::move(*client), std::move(*server)};
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
  auto refused = Connect("127.0.0.1", port, 5s);
  ASSERT_FALSE(refused.ok());
  // What the user reads: the sentence, then the call with its address and
  // the system's number.
  const std::string sentence(common::ErrorSentence(NetError::kFailed));
  const std::string call = "\n(connect 127.0.0.1:" + std::to_string(port) + ", 시스템 오류 ";
  EXPECT_EQ(refused.error().message.rfind(sentence + call, 0), 0u) << refused.error().message;
  auto unknown = Connect("no-such-host.invalid", 3999, 5s);
  ASSERT_FALSE(unknown.ok());
  EXPECT_EQ(unknown.error().message.rfind(sentence + "\n(getaddrinfo no-such-host.invalid, ", 0), 0u)
      << unknown.error().message;
}

TEST(Socket, ReceiveExactlyGathersPiecesAndFailsOnAnEarlyClose) {
  auto listener = Listen("127.0.0.1", 0);
  ASSERT_TRUE(listener.ok());
  std::thread peer([&] {
    auto accepted = (*listener)->Accept(5s);
    ASSERT_TRUE(accepted.ok());
    ASSERT_TRUE((*accepted)->SendAll(Bytes("hel"), 5s).ok());
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE((*accepted)->SendAll(Bytes("lo wo"), 5s).ok());
  });  // closes after 8 bytes

  auto connection = Connect("127.0.0.1", (*listener)->port(), 5s);
  ASSERT_TRUE(connection.ok()) << connection.error().message;
  std::uint8_t five[5];
  ASSERT_TRUE(ReceiveExactly(**connection, five, 5s).ok());
  EXPECT_EQ(std::string(five, five + 5), "hello");
  std::uint8_t four[4];
  auto early = ReceiveExactly(**connection, four, 5s);
  ASSERT_FALSE(early.ok());
  EXPECT_EQ(early.error().code, static_cast<int>(NetError::kClosed));
  EXPECT_EQ(early.error().message, common::UserMessage(common::ErrorSentence(NetError::kClosed), "receive, 3/4바이트"));
  peer.join();
}

TEST(Socket, ReceiveExactlyTimesOutWhenThePeerStopsHalfWay) {
  auto [client, server] = ConnectedPair();
  ASSERT_TRUE(client && server);
  ASSERT_TRUE(server->SendAll(Bytes("ab"), 5s).ok());
  std::uint8_t buffer[4];
  auto n = ReceiveExactly(*client, buffer, 100ms);
  ASSERT_FALSE(n.ok());
  EXPECT_EQ(n.error().code, static_cast<int>(NetError::kTimeout));
}

// A server thread waits without limit for its client; another thread ends it.
TEST(Socket, ShutdownEndsAnUnboundedReceiveOnAnotherThreadAndThePeerSeesTheEnd) {
  auto [client, server] = ConnectedPair();
  ASSERT_TRUE(client && server);

  common::Result<std::size_t> waited = std::size_t{99};
  std::thread waiter([&waited, waiting = server.get()] {
    std::uint8_t buffer[4];
    waited = waiting->Receive(buffer, Millis::max());
  });
  std::this_thread::sleep_for(100ms);
  server->Shutdown();
  waiter.join();
  ASSERT_TRUE(waited.ok()) << waited.error().message;
  EXPECT_EQ(*waited, 0u);
  EXPECT_FALSE(server->SendAll(Bytes("late"), 5s).ok());

  std::uint8_t buffer[4];
  auto end = client->Receive(buffer, 5s);
  ASSERT_TRUE(end.ok()) << end.error().message;
  EXPECT_EQ(*end, 0u);
}

TEST(Socket, AnUnboundedReceiveTakesWhatComes) {
  auto [client, server] = ConnectedPair();
  ASSERT_TRUE(client && server);
  ASSERT_TRUE(server->SendAll(Bytes("x"), Millis::max()).ok());
  std::uint8_t buffer[4];
  auto n = client->Receive(buffer, Millis::max());
  ASSERT_TRUE(n.ok());
  EXPECT_EQ(*n, 1u);
}

}  // namespace
}  // namespace platform::net
