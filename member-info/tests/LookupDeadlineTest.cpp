// The member database requests against a name server that never answers
// (run by tools/silent-dns/with_silent_dns.py): the lookup counts against
// the exchange's limit and a stop ends it.
#include <gtest/gtest.h>

#include <chrono>
#include <stop_token>
#include <thread>

#include "member-info/MemberDbClient.h"
#include "tools/silent-dns/SilentDns.h"

namespace dastrel {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(MemberLookup, TheExchangeLimitAndAStopHoldDuringTheLookup) {
  SKIP_WITHOUT_SILENT_DNS();
  const ServerAddress server{silent_dns::kName, 3999};
  RequestLimits limits;
  limits.exchangeTimeout = 1500ms;
  const int queriesBefore = silent_dns::Queries();
  auto started = Clock::now();
  EXPECT_EQ(RequestPasswordCheck(server, "kim", "pw", limits), result::kNoReply);
  EXPECT_LT(Clock::now() - started, 10s) << "the resolver's own retries are not waited for";
  EXPECT_GT(silent_dns::Queries(), queriesBefore) << "the lookup went to the silent server";
  MemberInfoRecord record{};
  started = Clock::now();
  EXPECT_EQ(RequestMemberInfo(server, "cookie", record, limits), result::kNoReply);
  EXPECT_LT(Clock::now() - started, 10s);

  std::stop_source stop;
  limits.exchangeTimeout = 60s;
  std::jthread stopper([&] {
    std::this_thread::sleep_for(500ms);
    stop.request_stop();
  });
  started = Clock::now();
  EXPECT_EQ(RequestPasswordCheck(server, "kim", "pw", limits, stop.get_token()), result::kNoReply);
  EXPECT_LT(Clock::now() - started, 10s) << "a stop takes effect during the lookup";
}

}  // namespace
}  // namespace dastrel
