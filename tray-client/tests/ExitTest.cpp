// Closing the program while a service request runs: the tray client on the
// headless backend against the fake service, whose zone list trickles in
// one byte at a time (it would take well over half a minute).
#include <chrono>
#include <thread>

#include "platform/http/HttpClient.h"
#include "tools/fake-service/FakeServiceForTests.h"
#include "tray-client/ConfForm.h"
#include "tray-client/LoginForm.h"
#include "tray-client/MainForm.h"
#include "tray-client/Startup.h"
#include "tray-client/tests/OrvelTestSupport.h"

namespace orvel {
namespace {

class ExitTest : public testing::OrvelTest {
 protected:
  void SetUp() override {
    auto port = fake_service::FakeServicePort();
    ASSERT_TRUE(port.ok()) << port.error().message;
    base_ = "http://127.0.0.1:" + std::to_string(*port);
    control_ = platform::http::CreateHttpClient({});
    ASSERT_TRUE(control_->Get(base_ + "/fake/reset").ok());
  }
  void Fault(const std::string& mode) { ASSERT_TRUE(control_->Get(base_ + "/fake/fault?mode=" + mode).ok()); }

  // Starts the program and has the user choose "&Exit" from the tray menu
  // while the zone list is still coming.
  void StartAndExitDuringTheZoneList() {
    Fault("trickle");
    std::thread user([queue = app().WorkerQueue()] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      queue->PostCall([] { frmMain->mmiExit.UserClick(); });
    });
    TfrmLogin::Services services;
    services.zoneDirectory = base_;
    CreateStartupForms(app(), std::move(services));
    user.join();
  }

  std::string base_;
  std::unique_ptr<platform::http::HttpClient> control_;
};

TEST_F(ExitTest, ExitDuringTheZoneListEndsTheProgramWithoutAnotherWindow) {
  StartAndExitDuringTheZoneList();
  EXPECT_TRUE(app().Terminated());
  EXPECT_FALSE(frmLogin->Visible());
  EXPECT_TRUE(backend().MessageBoxes().empty()) << backend().MessageBoxes()[0].request.text;
  app().Run();  // returns at once
  app().DestroyForms();
  EXPECT_TRUE(std::filesystem::exists(Environment().iniPath)) << "the settings are saved as at every end";
}

TEST_F(ExitTest, ExitDuringTheZoneListSkipsTheAutomaticLogin) {
  WriteIni("[USERINFO]\r\nUSERID=demo\r\nPASSWD=10C5191D0EC4\r\n[STARTOPTION]\r\nAUTOLOGIN=1\r\n");
  StartAndExitDuringTheZoneList();
  EXPECT_TRUE(app().Terminated());
  EXPECT_EQ(frmLogin->LoginState, 0);
  EXPECT_FALSE(frmLogin->Visible());
  EXPECT_TRUE(backend().MessageBoxes().empty()) << backend().MessageBoxes()[0].request.text;
  app().DestroyForms();
}

}  // namespace
}  // namespace orvel
