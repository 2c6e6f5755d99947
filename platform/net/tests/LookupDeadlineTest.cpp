// Connect's host name lookup against a name server that never answers
// (run by tools/silent-dns/with_silent_dns.py): the caller's time limit and
// stop token hold while the system's resolver would wait a minute and more.
#include <gtest/gtest.h>

#include <chrono>
#include <stop_token>
#include <thread>

#include "platform/net/Socket.h"
#include "tools/silent-dns/SilentDns.h"

namespace platform::net {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(ConnectLookup, ANameServerThatNeverAnswersEndsAtTheTimeLimit) {
  SKIP_WITHOUT_SILENT_DNS();
  const int queriesBefore = silent_dns::Queries();
  const auto started = Clock::now();
  auto connection = Connect(silent_dns::kName, 3999, 1500ms);
  const auto took = Clock::now() - started;
  ASSERT_FALSE(connection.ok());
  EXPECT_EQ(connection.error().code, static_cast<int>(NetError::kTimeout)) << connection.error().message;
  EXPECT_NE(connection.error().message.find(std::string("getaddrinfo ") + silent_dns::kName), std::string::npos)
      << connection.error().message;
  EXPECT_GE(took, 1400ms);
  EXPECT_LT(took, 10s) << "the resolver's own retries are not waited for";
  EXPECT_GT(silent_dns::Queries(), queriesBefore) << "the lookup went to the silent server";
}

TEST(ConnectLookup, AStopFromAnotherThreadEndsTheLookupAtOnce) {
  SKIP_WITHOUT_SILENT_DNS();
  std::stop_source stop;
  std::jthread stopper([&] {
    std::this_thread::sleep_for(300ms);
    stop.request_stop();
  });
  const auto started = Clock::now();
  auto connection = Connect(silent_dns::kName, 3999, 60s, stop.get_token());
  const auto took = Clock::now() - started;
  ASSERT_FALSE(connection.ok());
  EXPECT_EQ(connection.error().code, static_cast<int>(NetError::kCancelled)) << connection.error().message;
  EXPECT_LT(took, 10s);

  // Already stopped: nothing is looked up.
  auto again = Connect(silent_dns::kName, 3999, 60s, stop.get_token());
  ASSERT_FALSE(again.ok());
  EXPECT_EQ(again.error().code, static_cast<int>(NetError::kCancelled));
}

TEST(ConnectLookup, DottedAddressesAndTheHostsFileNeedNoNameServer) {
  SKIP_WITHOUT_SILENT_DNS();
  auto listener = Listen("127.0.0.1", 0);
  ASSERT_TRUE(listener.ok()) << listener.error().message;
  const int queriesBefore = silent_dns::Queries();
  for (const char* host : {"127.0.0.1", "localhost"}) {
    auto connection = Connect(host, (*listener)->port(), 5s);
    ASSERT_TRUE(connection.ok()) << host << ": " << connection.error().message;
    auto accepted = (*listener)->Accept(5s);
    ASSERT_TRUE(accepted.ok());
  }
  EXPECT_EQ(silent_dns::Queries(), queriesBefore);
}

}  // namespace
}  // namespace platform::net
