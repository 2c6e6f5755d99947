// The HTTP client against the fake channel service over real HTTP on
// 127.0.0.1. Natively the test starts the service itself; under Wine the
// runner script has started the native one and passes FAKE_SERVICE_PORT.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

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
  EXPECT_EQ(reply.error().code, static_cast<int>(HttpError::kStatus));
  EXPECT_NE(reply.error().message.find("500"), std::string::npos);
  EXPECT_EQ(reply.error().message.find("secret-password"), std::string::npos) << reply.error().message;
  // The fault was for one answer only.
  EXPECT_TRUE(client->Get(Login("demo", "demo1234")).ok());
}

TEST_F(HttpClientTest, StalledReplyEndsWithTheReadTimeOut) {
  auto client = CreateHttpClient(QuickOptions());  // 1 s against a 2 s stall
  Fault("stall");
  auto reply = client->Get(Login("demo", "demo1234"));
  ASSERT_FALSE(reply.ok());
  EXPECT_EQ(reply.error().code, static_cast<int>(HttpError::kTimeout)) << reply.error().message;
  // The client is usable again afterwards.
  EXPECT_TRUE(client->Get(Login("demo", "demo1234")).ok());
}

TEST_F(HttpClientTest, RefusedConnectionAndBadAddressesFailClearly) {
  auto client = CreateHttpClient(QuickOptions());
  auto refused = client->Get("http://127.0.0.1:1/OrvelServer/zone.cgi?command=zoneinfo");
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error().code, static_cast<int>(HttpError::kConnect)) << refused.error().message;

  for (const char* url : {"", "ftp://127.0.0.1/x", "127.0.0.1/OrvelServer/login.cgi?commend="}) {
    auto reply = client->Get(url);
    ASSERT_FALSE(reply.ok()) << url;
    EXPECT_EQ(reply.error().code, static_cast<int>(HttpError::kBadUrl)) << url;
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

TEST_F(HttpClientTest, PumpingClientKeepsTheCallerBusyAndRefusesASecondRequest) {
  int pumped = 0;
  std::optional<common::Result<std::string>> reentered;
  PumpingHttpClient* self = nullptr;
  PumpingHttpClient client(CreateHttpClient(QuickOptions()), [&] {
    ++pumped;
    if (!reentered) reentered.emplace(self->Get(Base() + "/OrvelServer/zone.cgi?command=zoneinfo"));
  });
  self = &client;
  Fault("stall");  // 2 s stall, 1 s read time-out: the request waits a while
  auto reply = client.Get(Login("demo", "demo1234"));
  EXPECT_FALSE(reply.ok());
  EXPECT_GT(pumped, 0);
  ASSERT_TRUE(reentered.has_value());
  ASSERT_FALSE(reentered->ok());
  EXPECT_EQ(reentered->error().code, static_cast<int>(HttpError::kBusy));
  EXPECT_FALSE(client.busy());
  EXPECT_TRUE(client.Get(Login("demo", "demo1234")).ok());
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
  EXPECT_EQ(unverified.error().code, static_cast<int>(HttpError::kTls)) << unverified.error().message;

  options.caFile = FAKE_SERVICE_CERT;
  auto verified = CreateHttpClient(options)->Get(url);
  ASSERT_TRUE(verified.ok()) << verified.error().message;
  EXPECT_EQ(verified->rfind("@ZONEINFO/ACK/", 0), 0u);
}
#endif

}  // namespace
}  // namespace platform::http
