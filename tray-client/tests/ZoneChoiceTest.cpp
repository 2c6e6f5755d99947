// The zone chosen at the login form, kept in the settings and chosen again
// at the next start: the program's forms on the headless backend against
// the fake service.
#include <chrono>

#include "common/TextCodec.h"
#include "platform/http/HttpClient.h"
#include "tools/fake-service/FakeServiceForTests.h"
#include "tray-client/ConfForm.h"
#include "tray-client/LoginForm.h"
#include "tray-client/ServiceProtocol.h"
#include "tray-client/Startup.h"
#include "tray-client/tests/OrvelTestSupport.h"

namespace orvel {
namespace {

class ZoneChoiceTest : public testing::OrvelTest {
 protected:
  void SetUp() override {
    auto port = fake_service::FakeServicePort();
    ASSERT_TRUE(port.ok()) << port.error().message;
    host_ = "127.0.0.1:" + std::to_string(*port);
    base_ = "http://" + host_;
    control_ = platform::http::CreateHttpClient({});
    ASSERT_TRUE(control_->Get(base_ + "/fake/reset").ok());
  }

  // A zone of the service's list, with these bytes for its name.
  void AddZone(const std::string& nameBytes) {
    ASSERT_TRUE(control_
                    ->Get(base_ + "/fake/zone?number=9&name=" + service::PercentEncode(nameBytes) +
                          "&host=" + service::PercentEncode(host_) + "&content=127.0.0.1&port=9686")
                    .ok());
  }
  // One start of the program, ended as at every exit (the settings saved).
  void Start(const std::string& zoneDirectory) {
    TfrmLogin::Services services;
    services.zoneDirectory = zoneDirectory;
    services.http.connectTimeout = std::chrono::seconds(2);
    services.http.readTimeout = std::chrono::seconds(2);
    CreateStartupForms(app(), std::move(services));
  }
  void Stop() { app().DestroyForms(); }
  std::string StoredZone() { return Ini().ReadString("SERVERINFO", "SERVERNAME", "?"); }

  std::string host_, base_;
  std::unique_ptr<platform::http::HttpClient> control_;
};

// "\xC7\x41" is a lead byte and a trail byte with no character in code
// page 949: the name shows with a replacement character, and its bytes
// are what the settings keep.
TEST_F(ZoneChoiceTest, AZoneNameThatIsNoCodePage949TextIsKeptAndChosenAgain) {
  const std::string name = "Zone \xC7\x41";
  const std::string shown = common::Cp949ToUtf8Lossy(name);
  const std::string loginUrl = base_ + "/OrvelServer/login.cgi?commend=";
  AddZone(name);
  Start(base_);
  ASSERT_EQ(frmLogin->lvZone.Count(), 4);
  EXPECT_EQ(frmLogin->lbZoneName.Caption(), "") << "no zone stored yet";
  ASSERT_TRUE(frmLogin->lvZone.UserClickItem(3));
  EXPECT_EQ(frmLogin->lbZoneName.Caption(), shown + " 로그인");
  EXPECT_EQ(frmConfig->LoginURL, loginUrl);
  Stop();
  EXPECT_EQ(StoredZone(), name);

  Start(base_);
  EXPECT_EQ(frmLogin->lbZoneName.Caption(), shown + " 로그인") << "chosen again at the next start";
  EXPECT_EQ(frmConfig->cbSelServer.ItemIndex(), 3);
  EXPECT_EQ(frmConfig->LoginURL, loginUrl);
  Stop();
  EXPECT_EQ(StoredZone(), name);

  // A start that gets no zone list keeps the stored name as it is.
  Start("http://127.0.0.1:9");
  EXPECT_EQ(frmConfig->cbSelServer.Text(), shown);
  Stop();
  EXPECT_EQ(StoredZone(), name);
}

}  // namespace
}  // namespace orvel
