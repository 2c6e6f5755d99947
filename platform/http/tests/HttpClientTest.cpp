// The HTTP client against the fake channel service over real HTTP on
// 127.0.0.1. Natively the test starts the service itself; under Wine the
// runner script has started the native one and passes FAKE_SERVICE_PORT.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "common/ErrorText.h"
#include "common/TextCodec.h"
#include "platform/http/HttpClient.h"
#include "platform/http/PumpingHttpClient.h"
#include "tools/fake-service/FakeServiceForTests.h"

namespace platform::http {
namespace {

class HttpClientTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    auto port = fake_service::FakeServicePort();
    ASSERT_TRUE(port.ok()) << port.error().message;
    port_ = *port;
  }

  void SetUp() override { ASSERT_TRUE(control_->Get(Base() + "/fake/reset").ok()); }

  static std::string Base() { return "http://127.0.0.1:" + std::to_string(port_); }
  static std::string Login(const std::string& id, const std::string& password) {
    return Base() + "/OrvelServer/login.cgi?commend=login&userid=" + id + "&password=" + password;
  }
  static std::string Command(const std::string& command) {
    return Base() + "/OrvelServer/login.cgi?commend=" + command + "&userid=demo&password=demo1234";
  }
  static void Fault(const std::string& mode) { ASSERT_TRUE(control_->Get(Base() + "/fake/fault?mode=" + mode).ok()); }
  static std::string Log() {
    auto log = control_->Get(Base() + "/fake/log");
    return log.ok() ? *log : std::string();
  }

  static HttpOptions QuickOptions() {
    HttpOptions options;
    options.connectTimeout = std::chrono::milliseconds(2000);
    options.readTimeout = std::chrono::milliseconds(1000);
    return options;
  }

  inline static int port_ = 0;
  inline static std::unique_ptr<HttpClient> control_ = CreateHttpClient(HttpOptions{});
};

// A failure as the user reads it: the sentence of its code on the first
// line, the detail in parentheses on the second, naming `host`; never the
// query or anything in it.
void ExpectUserText(const common::Error& error, HttpError code, const std::string& host) {
  EXPECT_EQ(error.code, static_cast<int>(code)) << error.message;
  const std::string& text = error.message;
  const auto lineEnd = text.find('\n');
  ASSERT_NE(lineEnd, std::string::npos) << text;
  EXPECT_EQ(text.substr(0, lineEnd), common::ErrorSentence(code));
  const std::string detail = text.substr(lineEnd + 1);
  EXPECT_EQ(detail.front(), '(') << text;
  EXPECT_EQ(detail.back(), ')') << text;
  EXPECT_EQ(detail.find('\n'), std::string::npos) << text;
  EXPECT_NE(detail.find(host), std::string::npos) << text;
  for (const char* secret : {"?", "commend", "userid", "password", "secret", "OrvelServer"}) {
    EXPECT_EQ(text.find(secret), std::string::npos) << secret << " in " << text;
  }
}

TEST(HttpErrorTextTest, TheDetailNamesOnlyTheServer) {
  const auto error = MakeHttpError(HttpError::kStatus,
                                   "https://kim:pw@zone.example:8443/OrvelServer/login.cgi?commend=login&password=pw",
                                   "HTTP 상태 503");
  EXPECT_EQ(error.code, static_cast<int>(HttpError::kStatus));
  EXPECT_EQ(error.message,
            common::UserMessage(common::ErrorSentence(HttpError::kStatus), "HTTP 상태 503, 서버 zone.example:8443"));
  EXPECT_EQ(HostForMessage("http://zone.example?password=pw"), "zone.example");
  EXPECT_EQ(HostForMessage("zone.example:80/x"), "zone.example:80");
  EXPECT_EQ(MakeHttpError(HttpError::kBusy, "", "").message, common::ErrorSentence(HttpError::kBusy));
}

TEST_F(HttpClientTest, BodyComesBackAsTheBytesTheServerSent) {
  auto client = CreateHttpClient(QuickOptions());
  auto body = client->Get(Base() + "/OrvelServer/zone.cgi?command=zoneinfo");
  ASSERT_TRUE(body.ok()) << body.error().message;
  EXPECT_EQ(body->rfind("@ZONEINFO/ACK/1/", 0), 0u) << *body;
  // The zone names arrive in code page 949, undecoded.
  EXPECT_NE(body->find(common::Utf8ToCp949("Tarnel 서울").value()), std::string::npos);
}

TEST_F(HttpClientTest, CookiesOfAReplyGoBackOnLaterRequestsOfTheSameClient) {
  auto client = CreateHttpClient(QuickOptions());
  ASSERT_EQ(client->Get(Command("dnlists")).value(), "@DNLISTS/NAK/");  // no session yet
  ASSERT_EQ(client->Get(Login("demo", "demo1234")).value().rfind("@LOGIN/ACK/0", 0), 0u);
  auto list = client->Get(Command("dnlists"));
  ASSERT_TRUE(list.ok());
  EXPECT_EQ(list->rfind("@DNLISTS/ACK/0/", 0), 0u) << *list;

#ifndef _WIN32
  // Another client has a jar of its own (WinINet keeps one per process).
  auto other = CreateHttpClient(QuickOptions());
  EXPECT_EQ(other->Get(Command("dnlists")).value(), "@DNLISTS/NAK/");
#endif

  const std::string log = Log();
  EXPECT_NE(log.find("commend=dnlists userid=demo cookie=no"), std::string::npos) << log;
  EXPECT_NE(log.find("commend=dnlists userid=demo cookie=yes"), std::string::npos) << log;
}

TEST_F(HttpClientTest, EveryRequestHasAConnectionOfItsOwn) {
  auto client = CreateHttpClient(QuickOptions());
  ASSERT_TRUE(client->Get(Base() + "/OrvelServer/zone.cgi?command=zoneinfo").ok());
  ASSERT_TRUE(client->Get(Base() + "/OrvelServer/zone.cgi?command=zoneinfo").ok());
  const std::string log = Log();
  const auto first = log.find("peer=");
  const auto second = log.find("peer=", first + 1);
  ASSERT_NE(second, std::string::npos) << log;
  EXPECT_NE(log.substr(first, log.find('\n', first) - first), log.substr(second, log.find('\n', second) - second));
}

TEST_F(HttpClientTest, ErrorStatusFailsWithoutShowingTheQuery) {
  auto client = CreateHttpClient(QuickOptions());
  Fault("http500");
  auto reply = client->Get(Login("demo", "secret-password"));
  ASSERT_FALSE(reply.ok());
  ExpectUserText(reply.error(), HttpError::kStatus, "127.0.0.1:" + std::to_string(port_));
  EXPECT_NE(reply.error().message.find("HTTP 상태 500"), std::string::npos) << reply.error().message;
  // The fault was for one answer only.
  EXPECT_TRUE(client->Get(Login("demo", "demo1234")).ok());
}

TEST_F(HttpClientTest, StalledReplyEndsWithTheReadTimeOut) {
  auto client = CreateHttpClient(QuickOptions());  // 1 s against a 2 s stall
  Fault("stall");
  auto reply = client->Get(Login("demo", "demo1234"));
  ASSERT_FALSE(reply.ok());
  ExpectUserText(reply.error(), HttpError::kTimeout, "127.0.0.1:" + std::to_string(port_));
  // The client is usable again afterwards.
  EXPECT_TRUE(client->Get(Login("demo", "demo1234")).ok());
}

TEST_F(HttpClientTest, RefusedConnectionAndBadAddressesFailClearly) {
  auto client = CreateHttpClient(QuickOptions());
  auto refused = client->Get("http://127.0.0.1:1/OrvelServer/login.cgi?commend=login&userid=u&password=secret");
  ASSERT_FALSE(refused.ok());
  ExpectUserText(refused.error(), HttpError::kConnect, "127.0.0.1:1");

  for (const char* url : {"", "ftp://127.0.0.1/x", "127.0.0.1/OrvelServer/login.cgi?commend="}) {
    auto reply = client->Get(url);
    ASSERT_FALSE(reply.ok()) << url;
    EXPECT_EQ(reply.error().code, static_cast<int>(HttpError::kBadUrl)) << url;
    EXPECT_EQ(reply.error().message.rfind(common::ErrorSentence(HttpError::kBadUrl), 0), 0u) << url;
  }
}

TEST_F(HttpClientTest, OversizedReplyIsRefused) {
  HttpOptions options = QuickOptions();
  options.maxBodyBytes = 16;
  auto client = CreateHttpClient(options);
  auto reply = client->Get(Base() + "/OrvelServer/zone.cgi?command=zoneinfo");
  ASSERT_FALSE(reply.ok());
  EXPECT_EQ(reply.error().code, static_cast<int>(HttpError::kTooLarge));
}

TEST_F(HttpClientTest, TlsModeRefusesClearTextAddresses) {
  HttpOptions options = QuickOptions();
  options.tls = true;
  auto client = CreateHttpClient(options);
  auto reply = client->Get(Base() + "/OrvelServer/zone.cgi?command=zoneinfo");
  ASSERT_FALSE(reply.ok());
  EXPECT_EQ(reply.error().code, static_cast<int>(HttpError::kBadUrl));
  EXPECT_EQ(Log(), "");  // nothing was sent
}

TEST_F(HttpClientTest, TricklingReplyEndsAtTheTotalDeadline) {
  // One byte every 250 ms never trips the read time-out; only the deadline
  // for the whole request ends it.
  HttpOptions options = QuickOptions();
  options.totalTimeout = std::chrono::milliseconds(1500);
  auto client = CreateHttpClient(options);
  Fault("trickle");
  auto reply = client->Get(Base() + "/OrvelServer/zone.cgi?command=zoneinfo");
  ASSERT_FALSE(reply.ok());
  EXPECT_EQ(reply.error().code, static_cast<int>(HttpError::kTimeout)) << reply.error().message;
  EXPECT_TRUE(client->Get(Login("demo", "demo1234")).ok());
}

TEST_F(HttpClientTest, StopFromAnotherThreadCancelsTheRunningRequest) {
  auto client = CreateHttpClient(QuickOptions());
  for (const char* fault : {"trickle", "stall"}) {
    Fault(fault);
    std::stop_source stop;
    std::thread canceller([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      stop.request_stop();
    });
    auto reply = client->Get(Base() + "/OrvelServer/zone.cgi?command=zoneinfo", stop.get_token());
    canceller.join();
    ASSERT_FALSE(reply.ok()) << fault;
    EXPECT_EQ(reply.error().code, static_cast<int>(HttpError::kCancelled)) << fault << ": " << reply.error().message;
    EXPECT_TRUE(client->Get(Login("demo", "demo1234")).ok()) << fault;
  }
}

TEST_F(HttpClientTest, StreamHandsOverTheBodyOfAGoodReplyOnly) {
  auto client = CreateHttpClient(QuickOptions());
  const std::string url = Base() + "/OrvelServer/zone.cgi?command=zoneinfo";
  const auto whole = client->Get(url);
  ASSERT_TRUE(whole.ok());
  std::string streamed;
  ASSERT_TRUE(client->GetStream(url, [&](std::string_view piece) {
    streamed += piece;
    return true;
  }, {}, std::chrono::seconds(10)).ok());
  EXPECT_EQ(streamed, *whole);

  // The body of an error status never reaches the sink.
  Fault("http500");
  bool reached = false;
  auto failed = client->GetStream(url, [&](std::string_view) { return reached = true; }, {}, std::chrono::seconds(10));
  ASSERT_FALSE(failed.ok());
  EXPECT_EQ(failed.error().code, static_cast<int>(HttpError::kStatus));
  EXPECT_FALSE(reached);

  // A sink that refuses ends the transfer.
  auto refused = client->GetStream(url, [](std::string_view) { return false; }, {}, std::chrono::seconds(10));
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error().code, static_cast<int>(HttpError::kTransfer));

  // The stream's own deadline holds, whatever the options' one.
  Fault("trickle");
  std::size_t bytes = 0;
  auto slow = client->GetStream(url, [&](std::string_view piece) {
    bytes += piece.size();
    return true;
  }, {}, std::chrono::milliseconds(1200));
  ASSERT_FALSE(slow.ok());
  EXPECT_EQ(slow.error().code, static_cast<int>(HttpError::kTimeout)) << slow.error().message;
  EXPECT_NE(slow.error().message.find("전체 제한 시간 1200ms 초과"), std::string::npos)
      << "the detail names the time this stream was allowed: " << slow.error().message;
  EXPECT_GT(bytes, 0u) << "the pieces that came were handed over as they came";
}

// Runs the work on a thread of its own and calls `pump` until it ends, the
// way the GUI layer keeps handling messages meanwhile.
PumpingHttpClient::Runner PumpingRunner(std::function<void()> pump) {
  return [pump](std::function<void()> work, const std::function<void()>&) {
    std::atomic<bool> done = false;
    std::thread worker([&] {
      work();
      done = true;
    });
    while (!done) {
      pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    worker.join();
    return true;
  };
}

TEST_F(HttpClientTest, PumpingClientKeepsTheCallerBusyAndRefusesASecondRequest) {
  int pumped = 0;
  std::optional<common::Result<std::string>> reentered;
  PumpingHttpClient* self = nullptr;
  PumpingHttpClient client(CreateHttpClient(QuickOptions()), PumpingRunner([&] {
                             ++pumped;
                             if (!reentered) reentered.emplace(self->Get(Base() + "/OrvelServer/zone.cgi?command=zoneinfo"));
                           }));
  self = &client;
  Fault("stall");  // 2 s stall, 1 s read time-out: the request waits a while
  auto reply = client.Get(Login("demo", "demo1234"));
  EXPECT_FALSE(reply.ok());
  EXPECT_GT(pumped, 0);
  ASSERT_TRUE(reentered.has_value());
  ASSERT_FALSE(reentered->ok());
  ExpectUserText(reentered->error(), HttpError::kBusy, "127.0.0.1:" + std::to_string(port_));
  EXPECT_FALSE(client.busy());
  EXPECT_TRUE(client.Get(Login("demo", "demo1234")).ok());
}

TEST_F(HttpClientTest, PumpingClientLeftByItsCallerLetsTheRequestEndOnItsOwn) {
  // The caller's loop ends during the request (the program closes): the
  // caller gets kCancelled at once, the client goes away, and the request
  // still ends safely on its thread with what it owns.
  auto ended = std::make_shared<std::atomic<bool>>(false);
  bool cancelled = false;
  auto client = std::make_unique<PumpingHttpClient>(
      CreateHttpClient(QuickOptions()), [&](std::function<void()> work, const std::function<void()>& cancel) {
        std::thread([work = std::move(work), ended] {
          work();
          *ended = true;
        }).detach();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        cancel();
        cancelled = true;
        return false;
      });
  Fault("trickle");
  auto reply = client->Get(Base() + "/OrvelServer/zone.cgi?command=zoneinfo");
  ASSERT_FALSE(reply.ok());
  EXPECT_EQ(reply.error().code, static_cast<int>(HttpError::kCancelled));
  EXPECT_TRUE(cancelled);
  EXPECT_FALSE(client->busy());
  client.reset();
  for (int i = 0; i < 500 && !*ended; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(*ended);  // the cancel reached the request, which ended soon after
}

#ifndef _WIN32
}  // namespace
}  // namespace platform::http
#include "tools/fake-service/ServiceProcess.h"
namespace platform::http {
namespace {

// TLS against a fake service with a certificate of its own: refused while
// the certificate is unknown, accepted once it is trusted.
TEST(HttpClientTlsTest, CertificateIsVerified) {
  auto started = fake_service::ServiceProcess::Start({FAKE_SERVICE_PATH, "--data", FAKE_SERVICE_DATA, "--lifetime",
                                                      "60", "--tls-cert", FAKE_SERVICE_CERT, "--tls-key",
                                                      FAKE_SERVICE_KEY});
  ASSERT_TRUE(started.ok()) << started.error().message;
  const std::string url =
      "https://127.0.0.1:" + std::to_string(started->port()) + "/OrvelServer/zone.cgi?command=zoneinfo";
  HttpOptions options;
  options.tls = true;
  auto unverified = CreateHttpClient(options)->Get(url);
  ASSERT_FALSE(unverified.ok());
  ExpectUserText(unverified.error(), HttpError::kTls, "127.0.0.1:" + std::to_string(started->port()));

  options.caFile = FAKE_SERVICE_CERT;
  auto verified = CreateHttpClient(options)->Get(url);
  ASSERT_TRUE(verified.ok()) << verified.error().message;
  EXPECT_EQ(verified->rfind("@ZONEINFO/ACK/", 0), 0u);
}
#endif

// A chunked reply that never ends: the body limit, the deadline and a stop
// each end the request, and the caller has its error at once also where
// the backend's blocked call would not return (WinINet under Wine). Last
// of the program: under Wine the calls left behind may go on reading their
// endless replies, each holding a thread of the fake service.
class HttpClientEndlessTest : public HttpClientTest {};

TEST_F(HttpClientEndlessTest, AnEndlessReplyEndsAtTheBodyLimitTheDeadlineOrAStop) {
  using Clock = std::chrono::steady_clock;
  const std::string url = Base() + "/OrvelServer/zone.cgi?command=zoneinfo";
  HttpOptions options = QuickOptions();
  options.maxBodyBytes = 1024 * 1024;
  options.totalTimeout = std::chrono::milliseconds(60000);
  auto client = CreateHttpClient(options);
  Fault("endless");
  auto started = Clock::now();
  auto reply = client->Get(url);
  ASSERT_FALSE(reply.ok());
  EXPECT_EQ(reply.error().code, static_cast<int>(HttpError::kTooLarge)) << reply.error().message;
  EXPECT_LT(Clock::now() - started, std::chrono::seconds(20));

  std::size_t streamed = 0;
  const BodySink count = [&](std::string_view piece) {
    streamed += piece.size();
    return true;
  };
  Fault("endless");
  started = Clock::now();
  auto done = client->GetStream(url, count, {}, std::chrono::milliseconds(1500));
  ASSERT_FALSE(done.ok());
  EXPECT_EQ(done.error().code, static_cast<int>(HttpError::kTimeout)) << done.error().message;
  EXPECT_LT(Clock::now() - started, std::chrono::seconds(20));
  EXPECT_GT(streamed, 0u);
  const std::size_t atReturn = streamed;
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(streamed, atReturn) << "nothing reaches the sink after the request has ended";

  Fault("endless");
  std::stop_source stop;
  std::thread canceller([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    stop.request_stop();
  });
  started = Clock::now();
  done = client->GetStream(url, count, stop.get_token(), std::chrono::milliseconds(60000));
  canceller.join();
  ASSERT_FALSE(done.ok());
  EXPECT_EQ(done.error().code, static_cast<int>(HttpError::kCancelled)) << done.error().message;
  EXPECT_LT(Clock::now() - started, std::chrono::seconds(20));

  EXPECT_TRUE(client->Get(Login("demo", "demo1234")).ok()) << "the client serves the next request";
}

}  // namespace
}  // namespace platform::http
