// The HTTP and FTP clients against a name server that never answers (run by
// tools/silent-dns/with_silent_dns.py): the host name lookup is held to the
// connect time-out, the total deadline and the caller's stop, natively
// (libcurl) and under Wine (WinINet), while the system's resolver would
// wait a minute and more.
#include <gtest/gtest.h>

#include <chrono>
#include <stop_token>
#include <string>
#include <thread>

#include "platform/http/FtpClient.h"
#include "platform/http/HttpClient.h"
#include "tools/silent-dns/SilentDns.h"

namespace platform::http {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string kUrl = std::string("http://") + silent_dns::kName + ":8080/OrvelServer/zone.cgi?command=zoneinfo";

// Requests a stop after `after` from a thread of its own.
class StopLater {
 public:
  explicit StopLater(std::chrono::milliseconds after)
      : thread_([this, after] {
          std::this_thread::sleep_for(after);
          source_.request_stop();
        }) {}
  std::stop_token token() { return source_.get_token(); }

 private:
  std::stop_source source_;
  std::jthread thread_;
};

TEST(HttpLookup, TheConnectTimeOutCoversTheLookup) {
  SKIP_WITHOUT_SILENT_DNS();
  HttpOptions options;
  options.connectTimeout = 1500ms;
  auto client = CreateHttpClient(options);
  const int queriesBefore = silent_dns::Queries();
  const auto started = Clock::now();
  auto reply = client->Get(kUrl);
  const auto took = Clock::now() - started;
  ASSERT_FALSE(reply.ok());
  EXPECT_EQ(reply.error().code, static_cast<int>(HttpError::kConnect)) << reply.error().message;
  EXPECT_NE(reply.error().message.find(silent_dns::kName), std::string::npos) << reply.error().message;
  EXPECT_LT(took, 10s) << "the resolver's own retries are not waited for";
  EXPECT_GT(silent_dns::Queries(), queriesBefore) << "the lookup went to the silent server";

  // The client is fit for the next request.
  const auto again = Clock::now();
  EXPECT_FALSE(client->Get(kUrl).ok());
  EXPECT_LT(Clock::now() - again, 10s);
}

TEST(HttpLookup, TheTotalDeadlineAndAStopEndTheLookup) {
  SKIP_WITHOUT_SILENT_DNS();
  HttpOptions options;
  options.connectTimeout = 60s;
  options.totalTimeout = 1500ms;
  auto client = CreateHttpClient(options);
  auto started = Clock::now();
  auto reply = client->Get(kUrl);
  ASSERT_FALSE(reply.ok());
  EXPECT_EQ(reply.error().code, static_cast<int>(HttpError::kTimeout)) << reply.error().message;
  EXPECT_LT(Clock::now() - started, 10s);

  // A stream's own deadline.
  started = Clock::now();
  auto streamed = client->GetStream(kUrl, [](std::string_view) { return true; }, {}, 1500ms);
  ASSERT_FALSE(streamed.ok());
  EXPECT_EQ(streamed.error().code, static_cast<int>(HttpError::kTimeout)) << streamed.error().message;
  EXPECT_LT(Clock::now() - started, 10s);

  options.totalTimeout = 60s;
  auto patient = CreateHttpClient(options);
  StopLater stop(500ms);
  started = Clock::now();
  reply = patient->Get(kUrl, stop.token());
  ASSERT_FALSE(reply.ok());
  EXPECT_EQ(reply.error().code, static_cast<int>(HttpError::kCancelled)) << reply.error().message;
  EXPECT_LT(Clock::now() - started, 10s) << "a stop takes effect during the lookup";
}

FtpServer SilentFtpServer() { return FtpServer{silent_dns::kName, 21, "orveluser", "fowlmetk"}; }

TEST(FtpLookup, TheConnectTimeOutTheDeadlineAndAStopEndTheLookup) {
  SKIP_WITHOUT_SILENT_DNS();
  const auto sink = [](std::string_view) { return true; };
  FtpOptions options;
  options.connectTimeout = 1500ms;
  auto client = CreateFtpClient(options);
  const int queriesBefore = silent_dns::Queries();
  auto started = Clock::now();
  auto done = client->Retrieve(SilentFtpServer(), "Orvel/Moltree/setup.exe", sink, {}, {}, 60s);
  ASSERT_FALSE(done.ok());
  EXPECT_EQ(done.error().code, static_cast<int>(FtpError::kConnect)) << done.error().message;
  EXPECT_LT(Clock::now() - started, 10s) << "the resolver's own retries are not waited for";
  EXPECT_GT(silent_dns::Queries(), queriesBefore) << "the lookup went to the silent server";

  options.connectTimeout = 60s;
  options.readTimeout = 60s;
  auto patient = CreateFtpClient(options);
  started = Clock::now();
  done = patient->Retrieve(SilentFtpServer(), "Orvel/Moltree/setup.exe", sink, {}, {}, 1500ms);
  ASSERT_FALSE(done.ok());
  EXPECT_EQ(done.error().code, static_cast<int>(FtpError::kTimeout)) << done.error().message;
  EXPECT_LT(Clock::now() - started, 10s);

  StopLater stop(500ms);
  started = Clock::now();
  done = patient->Retrieve(SilentFtpServer(), "Orvel/Moltree/setup.exe", sink, {}, stop.token(), 60s);
  ASSERT_FALSE(done.ok());
  EXPECT_EQ(done.error().code, static_cast<int>(FtpError::kCancelled)) << done.error().message;
  EXPECT_LT(Clock::now() - started, 10s) << "a stop takes effect during the lookup";
}

}  // namespace
}  // namespace platform::http
