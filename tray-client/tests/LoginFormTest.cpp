// The login form on the headless backend, against the fake channel service
// over real HTTP on 127.0.0.1.
#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/ErrorText.h"
#include "common/TextCodec.h"
#include "platform/gui/Application.h"
#include "platform/gui/headless/HeadlessBackend.h"
#include "platform/http/HttpClient.h"
#include "tools/fake-service/FakeServiceForTests.h"
#if defined(TRAY_MEMBER_DB_TESTS) && !defined(_WIN32)
#include "tools/member-db-server/FakeServerProcess.h"
#endif
#include "tray-client/LoginForm.h"

namespace orvel {
namespace {

using gui::ModalResult;
using gui::MsgIcon;

// The configuration form's part that the login form uses, and the rest of
// the program as the login form sees it.
class TestConfig : public gui::Form {
 public:
  TestConfig() { Create(); }
  ~TestConfig() override { Destroy(); }
  // The stored zone name, given as text and kept as the file keeps it.
  void SetServerName(const std::string& utf8) { ServerNameBytes = *common::Utf8ToCp949(utf8); }
  std::string ServerNameBytes, LoginURL, ContentServerAddress, ContentServerPort;
  std::vector<std::string> ZoneNameBytes;
  gui::ComboBox cbSelServer{this};
  gui::Edit edtUserID{this};
  gui::Edit edtPasswd{this};
  gui::CheckBox cbAutoLogin{this};
  gui::CheckBox cbLocalOnly{this};
};

class TestHost : public LoginHost {
 public:
  explicit TestHost(TestConfig& config)
      : links_{config.ServerNameBytes, config.ZoneNameBytes, config.LoginURL, config.ContentServerAddress,
               config.ContentServerPort, config.cbSelServer, config.edtUserID, config.edtPasswd,
               config.cbAutoLogin, config.cbLocalOnly} {}
  ConfigLinks& Config() override { return links_; }
  void ReplaceChannels(const std::vector<service::ChannelRecord>& channels) override {
    channels_.clear();
    for (const auto& c : channels) channels_.push_back({c});
    ++replaced;
  }
  void ClearChannels() override { channels_.clear(); }
  std::vector<ChannelState> Channels() const override { return channels_; }
  void ShowMyPC() override { ++myPcShown; }
  void ShowLoginState(bool loggedIn) override { trayLoggedIn = loggedIn; }

  std::vector<ChannelState> channels_;
  int replaced = 0;
  int myPcShown = 0;
  bool trayLoggedIn = false;

 private:
  ConfigLinks links_;
};

class ScriptedMemberCheck : public MemberCheck {
 public:
  explicit ScriptedMemberCheck(int answer, int* calls) : answer_(answer), calls_(calls) {}
  common::Result<int> CheckPassword(const std::string&, const std::string&) override {
    ++*calls_;
    return answer_;
  }

 private:
  int answer_;
  int* calls_;
};

// A check that takes its time: it asks the GUI thread to run a step while
// it waits (at most two seconds), as the member database keeps a login
// waiting. What it shares with the test outlives an abandoned check.
class SlowMemberCheck : public MemberCheck {
 public:
  struct Shared {
    std::mutex mutex;
    std::condition_variable stepDone;
    bool stepRan = false;
    bool ranDuringCheck = false;  // the step ran while the check waited
    bool checkOnGuiThread = false;
    std::function<void()> step;  // what the GUI thread does meanwhile
  };
  explicit SlowMemberCheck(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}
  common::Result<int> CheckPassword(const std::string&, const std::string&) override {
    auto shared = shared_;
    shared->checkOnGuiThread = gui::App().IsGuiThread();
    gui::App().WorkerQueue()->PostCall([shared] {
      if (shared->step) shared->step();
      std::lock_guard lock(shared->mutex);
      shared->stepRan = true;
      shared->stepDone.notify_all();
    });
    std::unique_lock lock(shared->mutex);
    shared->ranDuringCheck = shared->stepDone.wait_for(lock, std::chrono::seconds(2), [&] { return shared->stepRan; });
    return 0;
  }

 private:
  std::shared_ptr<Shared> shared_;
};

class LoginFormTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    auto port = fake_service::FakeServicePort();
    ASSERT_TRUE(port.ok()) << port.error().message;
    port_ = *port;
    control_ = platform::http::CreateHttpClient({}).release();
  }
  static void TearDownTestSuite() { delete control_; }

  void SetUp() override {
    ASSERT_TRUE(control_->Get(Base() + "/fake/reset").ok());
    auto backend = std::make_unique<gui::headless::HeadlessBackend>();
    backend_ = backend.get();
    app_ = std::make_unique<gui::Application>(std::move(backend));
    app_->SetTitle("Tarnel For Corvane");
    config_ = std::make_unique<TestConfig>();
    host_ = std::make_unique<TestHost>(*config_);
    config_->SetServerName("Tarnel 서울");
  }
  void TearDown() override {
    form_.reset();
    config_.reset();
    app_.reset();
  }

  static std::string Base() { return "http://127.0.0.1:" + std::to_string(port_); }
  static void Fault(const std::string& mode) { ASSERT_TRUE(control_->Get(Base() + "/fake/fault?mode=" + mode).ok()); }
  static std::string Log() {
    auto log = control_->Get(Base() + "/fake/log");
    return log.ok() ? *log : std::string();
  }
  // The log with the values as the bytes the service received.
  static std::string RawLog() {
    auto log = control_->Get(Base() + "/fake/log?raw=1");
    return log.ok() ? *log : std::string();
  }
  static int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }

  // Creates the form as start-up does (its creation fetches the zones).
  TfrmLogin& Start(int memberAnswer = 0) {
    return StartWith(std::make_unique<ScriptedMemberCheck>(memberAnswer, &memberChecks_));
  }
  TfrmLogin& StartWith(std::unique_ptr<MemberCheck> memberCheck) {
    TfrmLogin::Services services;
    services.zoneDirectory = Base();
    services.memberCheck = std::move(memberCheck);
    services.http.connectTimeout = std::chrono::milliseconds(2000);
    services.http.readTimeout = std::chrono::milliseconds(1000);
    form_ = std::make_unique<TfrmLogin>(*host_, std::move(services));
    return *form_;
  }
  // The partner zone with a member check that takes its time.
  TfrmLogin& StartPartnerChecking(std::shared_ptr<SlowMemberCheck::Shared> shared) {
    config_->SetServerName("Teska넷");
    TfrmLogin& form = StartWith(std::make_unique<SlowMemberCheck>(std::move(shared)));
    form.edtUserID.SetText("teska01");
    form.edtPassWD.SetText("pass01");
    return form;
  }
  TfrmLogin& StartLoggedOut(const std::string& id, const std::string& password) {
    TfrmLogin& form = Start();
    form.edtUserID.SetText(id);
    form.edtPassWD.SetText(password);
    return form;
  }

  const std::vector<gui::headless::ShownMessageBox>& Boxes() { return backend_->MessageBoxes(); }
  void ExpectOneBox(const std::string& text, const std::string& title, MsgIcon icon) {
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].request.text, text);
    EXPECT_EQ(Boxes()[0].request.title, title);
    EXPECT_EQ(Boxes()[0].request.icon, icon);
  }
  void ExpectLoggedOutAndUsable(TfrmLogin& form) {
    EXPECT_EQ(form.LoginState, 0);
    EXPECT_EQ(form.btnLogin.Caption(), "로그인");
    EXPECT_TRUE(form.btnLogin.Enabled());
    EXPECT_TRUE(form.edtUserID.Enabled());
    EXPECT_TRUE(form.Visible());
  }

  inline static int port_ = 0;
  inline static platform::http::HttpClient* control_ = nullptr;
  gui::headless::HeadlessBackend* backend_ = nullptr;
  std::unique_ptr<gui::Application> app_;
  std::unique_ptr<TestConfig> config_;
  std::unique_ptr<TestHost> host_;
  std::unique_ptr<TfrmLogin> form_;
  int memberChecks_ = 0;
};

TEST_F(LoginFormTest, StartFetchesZonesSelectsTheStoredOneAndShowsTheForm) {
  TfrmLogin& form = Start();
  EXPECT_EQ(form.Caption(), "로그인");
  EXPECT_EQ(form.Height(), kLoginFormHeight);
  ASSERT_EQ(form.lvZone.Count(), 3);
  EXPECT_EQ(form.lvZone.Item(2).caption, "Teska넷");
  EXPECT_EQ(form.lvZone.Item(0).subItems[0], "127.0.0.1:" + std::to_string(port_));
  ASSERT_EQ(config_->cbSelServer.Items().size(), 3u);
  EXPECT_EQ(config_->cbSelServer.ItemIndex(), 0);
  EXPECT_EQ(config_->LoginURL, Base() + "/OrvelServer/login.cgi?commend=");
  EXPECT_EQ(config_->ContentServerAddress, "127.0.0.1");
  EXPECT_EQ(config_->ContentServerPort, std::to_string(port_));  // the fake serves the content too
  EXPECT_EQ(form.lbZoneName.Caption(), "Tarnel 서울 로그인");
  EXPECT_EQ(form.memoHTML.Text().rfind("@ZONEINFO/ACK/", 0), 0u);
  EXPECT_TRUE(form.Visible());
  EXPECT_EQ(form.LoginState, 0);
  EXPECT_TRUE(form.acGetZoneInfo());  // the last record ends without "/"
}

TEST_F(LoginFormTest, UnlistedStoredZoneFillsTheListsButSelectsNothing) {
  config_->SetServerName("Nowhere");
  config_->LoginURL = "";
  TfrmLogin& form = Start();
  EXPECT_EQ(form.lvZone.Count(), 3);
  EXPECT_EQ(config_->cbSelServer.Items().size(), 3u);
  EXPECT_EQ(config_->cbSelServer.ItemIndex(), -1);
  EXPECT_EQ(config_->LoginURL, "");
  EXPECT_EQ(form.lbZoneName.Caption(), "");

  // No zone: the login asks for one and nothing is sent.
  form.edtUserID.SetText("demo");
  form.edtPassWD.SetText("demo1234");
  ASSERT_TRUE(form.btnLogin.UserClick());
  ExpectOneBox("[Zone보기]를 클릭하셔서\r\n\r\n해당하는 zone을 선택해 주세요.", "알림", MsgIcon::kInformation);
  EXPECT_EQ(Count(Log(), "login.cgi"), 0);
  // Nor does a channel list request go anywhere without a zone.
  EXPECT_FALSE(form.acGetTarnelChannelList());
  EXPECT_EQ(Count(Log(), "login.cgi"), 0);
}

TEST_F(LoginFormTest, LocalOnlyStartShowsNoWindow) {
  config_->cbLocalOnly.SetChecked(true);
  TfrmLogin& form = Start();
  EXPECT_FALSE(form.Visible());
  EXPECT_EQ(form.lvZone.Count(), 3);
}

TEST_F(LoginFormTest, ZoneListFailureAtStartIsReportedAndTheFormComesUp) {
  Fault("http500");
  TfrmLogin& form = Start();
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].request.icon, MsgIcon::kError);
  EXPECT_NE(Boxes()[0].request.text.find("500"), std::string::npos);
  EXPECT_TRUE(form.Visible());
  EXPECT_EQ(form.lbZoneName.Caption(), "");
}

TEST_F(LoginFormTest, SuccessfulLoginHidesTheFormAndShowsMyPC) {
  TfrmLogin& form = StartLoggedOut("demo", "demo1234");
  ASSERT_TRUE(form.btnLogin.UserClick());
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(form.LoginState, 1);
  EXPECT_EQ(form.btnLogin.Caption(), "로그아웃");
  EXPECT_TRUE(form.btnLogin.Enabled());
  EXPECT_FALSE(form.edtUserID.Enabled());
  EXPECT_FALSE(form.edtPassWD.Enabled());
  EXPECT_FALSE(form.Visible());
  EXPECT_EQ(host_->myPcShown, 1);
  EXPECT_EQ(config_->edtUserID.Text(), "demo");
  EXPECT_EQ(config_->edtPasswd.Text(), "demo1234");
  EXPECT_NE(Log().find("commend=login userid=demo"), std::string::npos);

  // The tray icon follows within a second.
  backend_->Advance(1000);
  EXPECT_TRUE(host_->trayLoggedIn);
}

#ifndef _WIN32
// An https:// zone directory turns the SSL switch on: the zone's command
// address is https:// too and the login goes over TLS, certificate checked.
TEST_F(LoginFormTest, HttpsZoneDirectoryPutsTheLoginOnTls) {
  auto tls = fake_service::ServiceProcess::Start({FAKE_SERVICE_PATH, "--data", FAKE_SERVICE_DATA, "--lifetime", "60",
                                                  "--tls-cert", FAKE_SERVICE_CERT, "--tls-key", FAKE_SERVICE_KEY});
  ASSERT_TRUE(tls.ok()) << tls.error().message;
  TfrmLogin::Services services;
  services.zoneDirectory = "https://127.0.0.1:" + std::to_string(tls->port());
  services.memberCheck = std::make_unique<ScriptedMemberCheck>(0, &memberChecks_);
  services.http.caFile = FAKE_SERVICE_CERT;
  form_ = std::make_unique<TfrmLogin>(*host_, std::move(services));
  TfrmLogin& form = *form_;
  EXPECT_TRUE(form.cbSSL.Checked());
  EXPECT_EQ(config_->LoginURL.rfind("https://127.0.0.1:", 0), 0u) << config_->LoginURL;
  form.edtUserID.SetText("demo");
  form.edtPassWD.SetText("demo1234");
  ASSERT_TRUE(form.btnLogin.UserClick());
  EXPECT_TRUE(Boxes().empty()) << (Boxes().empty() ? "" : Boxes()[0].request.text);
  EXPECT_EQ(form.LoginState, 1);
}
#endif

TEST_F(LoginFormTest, RefusedLoginsShowTheirMessageAndTheForm) {
  struct Case {
    std::string id, password, text;
    bool idCleared;
  } cases[] = {
      {"demo", "wrong", "비밀번호 입력 오류입니다.", false},
      {"nobody", "x", "등록되지 않은 아이디입니다.", true},
      {"locked", "locked", "로그인에 실패하였습니다.", false},
  };
  TfrmLogin& form = Start();
  for (const auto& c : cases) {
    backend_->ClearMessageBoxes();
    form.edtUserID.SetText(c.id);
    form.edtPassWD.SetText(c.password);
    ASSERT_TRUE(form.btnLogin.UserClick());
    ExpectOneBox(c.text, "로그인 실패", MsgIcon::kError);
    ExpectLoggedOutAndUsable(form);
    EXPECT_EQ(form.edtPassWD.Text(), "") << c.id;
    EXPECT_EQ(form.edtUserID.Text(), c.idCleared ? "" : c.id);
    EXPECT_TRUE((c.idCleared ? form.edtUserID : form.edtPassWD).Focused() || c.id == "locked") << c.id;
    EXPECT_EQ(config_->edtUserID.Text(), "");  // nothing copied for a refused login
  }
}

TEST_F(LoginFormTest, RepliesThatAreNoServiceRepliesAreNoLogin) {
  TfrmLogin& form = Start();
  for (const char* mode : {"notservice", "blank", "empty"}) {
    backend_->ClearMessageBoxes();
    form.edtUserID.SetText("demo");
    form.edtPassWD.SetText("demo1234");
    Fault(mode);
    ASSERT_TRUE(form.btnLogin.UserClick());
    ExpectOneBox("로그인에 실패하였습니다.", "로그인 실패", MsgIcon::kError);
    ExpectLoggedOutAndUsable(form);
    // The log memo shows the address, but never the password.
    const std::string memo = form.memoHTML.Text();
    EXPECT_NE(memo.find("commend=login&userid=demo&password=****"), std::string::npos) << mode << memo;
    EXPECT_EQ(memo.find("demo1234"), std::string::npos) << mode;
  }
}

TEST_F(LoginFormTest, LowerCaseReplyAndUserMissingNoticeStillLogIn) {
  TfrmLogin& form = StartLoggedOut("demo", "demo1234");
  Fault("lowercase");
  ASSERT_TRUE(form.btnLogin.UserClick());
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(form.LoginState, 1);

  form.Show();
  ASSERT_TRUE(form.btnLogin.UserClick());  // logout
  form.edtPassWD.SetText("demo1234");
  Fault("usermissing");
  ASSERT_TRUE(form.btnLogin.UserClick());
  ExpectOneBox("Tarnel Zone에서 더욱 편리하게 사용하실 수 있습니다.", "알림", MsgIcon::kInformation);
  EXPECT_EQ(form.LoginState, 1);
}

TEST_F(LoginFormTest, FailedRequestsAreReportedAndLeaveTheFormUsable) {
  TfrmLogin& form = Start();
  for (const char* mode : {"http500", "stall"}) {
    backend_->ClearMessageBoxes();
    form.edtUserID.SetText("demo");
    form.edtPassWD.SetText("demo1234");
    Fault(mode);
    ASSERT_TRUE(form.btnLogin.UserClick());
    ASSERT_EQ(Boxes().size(), 1u) << mode;
    EXPECT_EQ(Boxes()[0].request.icon, MsgIcon::kError);
    EXPECT_EQ(Boxes()[0].request.title, "Tarnel For Corvane");
    EXPECT_EQ(Boxes()[0].request.text.find("demo1234"), std::string::npos);
    ExpectLoggedOutAndUsable(form);
  }
  // Once the service answers again the login goes through.
  backend_->ClearMessageBoxes();
  ASSERT_TRUE(form.btnLogin.UserClick());
  EXPECT_EQ(form.LoginState, 1);
}

// The service stopped: the zone list at start, "Zone보기" and the login
// each report the failure the same way, in Korean, with the server on the
// detail line and nothing of the query.
TEST_F(LoginFormTest, UnreachableServiceIsReportedForTheUser) {
  const std::string stopped = "127.0.0.1:1";
  TfrmLogin::Services services;
  services.zoneDirectory = "http://" + stopped;
  services.memberCheck = std::make_unique<ScriptedMemberCheck>(0, &memberChecks_);
  form_ = std::make_unique<TfrmLogin>(*host_, std::move(services));
  TfrmLogin& form = *form_;
  ASSERT_TRUE(form.btnZoneView.UserClick());
  form.lbZoneName.SetCaption("Tarnel 서울 로그인");
  config_->LoginURL = "http://" + stopped + "/OrvelServer/login.cgi?commend=";
  form.edtUserID.SetText("demo");
  form.edtPassWD.SetText("demo1234");
  ASSERT_TRUE(form.btnLogin.UserClick());

  const std::string expected = common::UserMessage(common::ErrorSentence(common::HttpError::kConnect), "");
  ASSERT_EQ(Boxes().size(), 3u);  // start, "Zone보기", login
  for (const auto& box : Boxes()) {
    EXPECT_EQ(box.request.title, "Tarnel For Corvane");
    EXPECT_EQ(box.request.icon, MsgIcon::kError);
    const std::string& text = box.request.text;
    EXPECT_EQ(text.rfind(expected + "\n(", 0), 0u) << text;
    EXPECT_NE(text.find("서버 " + stopped + ")"), std::string::npos) << text;
    for (const char* secret : {"demo1234", "userid", "commend", "zone.cgi"}) {
      EXPECT_EQ(text.find(secret), std::string::npos) << secret << " in " << text;
    }
  }
  ExpectLoggedOutAndUsable(form);
}

// An id with a character code page 949 cannot carry: the box names it.
TEST_F(LoginFormTest, UnsendableCharacterIsNamed) {
  TfrmLogin& form = StartLoggedOut("kim\u00E9", "demo1234");
  ASSERT_TRUE(form.btnLogin.UserClick());
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].request.text,
            common::UserMessage(common::ErrorSentence(common::TextError::kUnencodable, "\u00E9"), "U+00E9, 위치 3"));
  EXPECT_EQ(Count(Log(), "login.cgi"), 0);  // nothing was sent
  ExpectLoggedOutAndUsable(form);
}

TEST_F(LoginFormTest, AutomaticLoginAtStart) {
  config_->cbAutoLogin.SetChecked(true);
  config_->edtUserID.SetText("demo");
  config_->edtPasswd.SetText("demo1234");
  TfrmLogin& form = Start();
  EXPECT_TRUE(form.cbAutoLogin.Checked());
  EXPECT_EQ(form.LoginState, 1);
  EXPECT_FALSE(form.Visible());
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(LoginFormTest, AutomaticLoginWithWrongCredentialsShowsTheForm) {
  config_->cbAutoLogin.SetChecked(true);
  config_->edtUserID.SetText("demo");
  config_->edtPasswd.SetText("stale");
  TfrmLogin& form = Start();
  ExpectOneBox("비밀번호 입력 오류입니다.", "로그인 실패", MsgIcon::kError);
  ExpectLoggedOutAndUsable(form);
  EXPECT_EQ(form.edtPassWD.Text(), "");
}

TEST_F(LoginFormTest, LogoutClearsTheChannelsWithoutAskingTheService) {
  TfrmLogin& form = StartLoggedOut("demo", "demo1234");
  ASSERT_TRUE(form.btnLogin.UserClick());
  ASSERT_TRUE(form.acGetTarnelChannelList());
  ASSERT_EQ(host_->channels_.size(), 3u);
  const int requests = Count(Log(), "login.cgi");

  form.Show();
  ASSERT_TRUE(form.btnLogin.UserClick());
  EXPECT_EQ(form.LoginState, 0);
  EXPECT_EQ(form.btnLogin.Caption(), "로그인");
  EXPECT_TRUE(form.edtUserID.Enabled());
  EXPECT_EQ(form.edtPassWD.Text(), "");
  EXPECT_TRUE(form.edtPassWD.Focused());
  EXPECT_TRUE(host_->channels_.empty());
  EXPECT_EQ(Count(Log(), "login.cgi"), requests);
  backend_->Advance(1000);
  EXPECT_FALSE(host_->trayLoggedIn);
}

TEST_F(LoginFormTest, EnterLogsInButNotWithAnEmptyId) {
  TfrmLogin& form = StartLoggedOut("", "demo1234");
  int key = gui::keys::kReturn;
  ASSERT_TRUE(form.edtPassWD.UserKeyPress(key));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(Count(Log(), "login.cgi"), 0);
  EXPECT_TRUE(form.btnLogin.Enabled());

  form.edtUserID.SetText("demo");
  key = gui::keys::kReturn;
  ASSERT_TRUE(form.edtUserID.UserKeyPress(key));
  EXPECT_EQ(form.LoginState, 1);
}

TEST_F(LoginFormTest, ZoneListToggleAndZoneClick) {
  TfrmLogin& form = Start();
  ASSERT_TRUE(form.btnZoneView.UserClick());
  EXPECT_EQ(form.btnZoneView.Caption(), "Zone감추기");
  EXPECT_EQ(form.Height(), kLoginFormZoneHeight);
  EXPECT_EQ(Count(Log(), "zone.cgi"), 2);  // fetched again

  ASSERT_TRUE(form.lvZone.UserClickItem(1));
  EXPECT_EQ(form.lbZoneName.Caption(), "Tarnel 부산 로그인");
  EXPECT_EQ(config_->cbSelServer.ItemIndex(), 1);
  EXPECT_EQ(config_->LoginURL, Base() + "/OrvelServer/login.cgi?commend=");
  EXPECT_EQ(config_->ContentServerPort, "");

  ASSERT_TRUE(form.btnZoneView.UserClick());
  EXPECT_EQ(form.btnZoneView.Caption(), "Zone보기");
  EXPECT_EQ(form.Height(), kLoginFormHeight);
  EXPECT_EQ(Count(Log(), "zone.cgi"), 2);
}

TEST_F(LoginFormTest, ChannelListSyncRequestAndDoneReport) {
  TfrmLogin& form = StartLoggedOut("demo", "demo1234");
  ASSERT_TRUE(form.btnLogin.UserClick());
  ASSERT_TRUE(form.acGetTarnelChannelList());
  ASSERT_EQ(host_->channels_.size(), 3u);
  const service::ChannelRecord& news = host_->channels_[0].record;
  EXPECT_EQ(news.ChannelName, "아침 뉴스");
  EXPECT_EQ(news.Sequence, 12);
  EXPECT_EQ(news.DnFileSize, 2048);
  EXPECT_EQ(news.PurchaseNum, "P-1001");
  EXPECT_EQ(host_->channels_[2].record.DnFileName, "No file");
  // The session cookie of the login went back with the list request.
  EXPECT_NE(Log().find("commend=dnlists userid=demo cookie=yes"), std::string::npos) << Log();

  host_->channels_[0].IsSelected = true;
  host_->channels_[1].IsSelected = true;
  EXPECT_TRUE(form.acSetTarnelChannelList());
  EXPECT_NE(Log().find("sync=아침 뉴스/12/날씨/20260101/ "), std::string::npos) << Log();

  host_->channels_[0].IsDownEnd = true;
  EXPECT_TRUE(form.acUdtTarnelChannelList());
  EXPECT_NE(Log().find("down=P-1001/아침 뉴스/12/ "), std::string::npos) << Log();

  // Nothing selected: the service refuses the empty list.
  for (auto& c : host_->channels_) c.IsSelected = false;
  EXPECT_FALSE(form.acSetTarnelChannelList());
}

TEST_F(LoginFormTest, ChannelListEndingInASlashReplacesTheListAndAnswersFalse) {
  TfrmLogin& form = Start();
  const std::string item = "0/News/12/n12.sa3/2048/20260101/n11.sa3/1990/07:00/P-1";
  EXPECT_TRUE(form.acSetMyTarnel(item));
  ASSERT_EQ(host_->replaced, 1);
  EXPECT_FALSE(form.acSetMyTarnel(item + "/0/Other/1/x/1/d/p/1/t/P-2/"));
  EXPECT_EQ(host_->replaced, 2);
  ASSERT_EQ(host_->channels_.size(), 2u);
  EXPECT_EQ(host_->channels_[1].record.PurchaseNum, "P-2");
}

TEST_F(LoginFormTest, ChannelNamesGoBackToTheServiceAsItsOwnBytes) {
  // "\xC7\x41" is a lead byte and a trail byte without a character in code
  // page 949: it shows as a replacement character but goes back unchanged.
  TfrmLogin& form = StartLoggedOut("demo", "demo1234");
  ASSERT_TRUE(form.btnLogin.UserClick());
  ASSERT_TRUE(form.acSetMyTarnel("0/Bad\xC7\x41/3/b3.sa3/10/20260101/b2.sa3/9/07:00/P-\xFF"));
  ASSERT_EQ(host_->channels_.size(), 1u);
  EXPECT_NE(host_->channels_[0].record.ChannelName.find("\uFFFD"), std::string::npos)
      << host_->channels_[0].record.ChannelName;
  host_->channels_[0].IsSelected = true;
  host_->channels_[0].IsDownEnd = true;
  EXPECT_TRUE(form.acSetTarnelChannelList()) << "the request was sent";
  EXPECT_TRUE(form.acUdtTarnelChannelList()) << "the request was sent";
  EXPECT_TRUE(Boxes().empty());
  // What the service received, byte for byte.
  const std::string raw = RawLog();
  EXPECT_EQ(Count(raw, "commend=syncreq userid=demo sync=Bad\xC7\x41/3/ cookie=yes"), 1) << raw;
  EXPECT_EQ(Count(raw, "commend=fldned userid=demo down=P-\xFF/Bad\xC7\x41/3/ cookie=yes"), 1) << raw;
}

TEST_F(LoginFormTest, ValuesArePercentEncodedAndDecodedByTheService) {
  TfrmLogin& form = StartLoggedOut("kim&lee", "p&w=/ 한글%+");
  ASSERT_TRUE(form.btnLogin.UserClick());
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(form.LoginState, 1);
  EXPECT_NE(Log().find("userid=kim&lee cookie=no"), std::string::npos) << Log();
}

TEST_F(LoginFormTest, PartnerZoneMemberCheckedThenRegisteredWithTheService) {
  config_->SetServerName("Teska넷");
  TfrmLogin& form = Start(/*memberAnswer=*/0);
  form.edtUserID.SetText("teska01");
  form.edtPassWD.SetText("pass01");
  ASSERT_TRUE(form.btnLogin.UserClick());
  EXPECT_EQ(memberChecks_, 1);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(form.LoginState, 1);
  const std::string log = Log();
  // The service did not know the member: "login" answered 2, "reguser"
  // registered the member and the second "login" went through.
  EXPECT_EQ(Count(log, "commend=login userid=teska01"), 2) << log;
  EXPECT_EQ(Count(log, "commend=reguser userid=teska01"), 1) << log;
  EXPECT_EQ(config_->edtUserID.Text(), "teska01");
}

TEST_F(LoginFormTest, PartnerZoneFailedMemberCheckAsksNoService) {
  config_->SetServerName("Teska넷");
  for (int answer : {1, 2, -2}) {
    memberChecks_ = 0;
    TfrmLogin& form = Start(answer);
    backend_->ClearMessageBoxes();
    form.edtUserID.SetText("teska01");
    form.edtPassWD.SetText("wrong");
    ASSERT_TRUE(form.btnLogin.UserClick());
    EXPECT_EQ(memberChecks_, 1);
    const char* text = answer == 1 ? "비밀번호 입력 오류입니다." : answer == 2 ? "등록되지 않은 아이디입니다." : "로그인에 실패하였습니다.";
    ExpectOneBox(text, "로그인 실패", MsgIcon::kError);
    ExpectLoggedOutAndUsable(form);
    EXPECT_EQ(Count(Log(), "login.cgi"), 0);
  }
}

// The member check waits on the member database: the GUI thread keeps
// handling what comes meanwhile, and the login goes on with its answer.
TEST_F(LoginFormTest, PartnerZoneMemberCheckLeavesTheGuiThreadFree) {
  auto shared = std::make_shared<SlowMemberCheck::Shared>();
  TfrmLogin& form = StartPartnerChecking(shared);
  bool buttonDisabledMeanwhile = false;
  shared->step = [&] { buttonDisabledMeanwhile = !form.btnLogin.Enabled(); };
  ASSERT_TRUE(form.btnLogin.UserClick());
  EXPECT_FALSE(shared->checkOnGuiThread);
  EXPECT_TRUE(shared->ranDuringCheck) << "the GUI thread handled its queue during the check";
  EXPECT_TRUE(buttonDisabledMeanwhile) << "the attempt holds the button while the check runs";
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(form.LoginState, 1);
  EXPECT_EQ(Count(Log(), "commend=login userid=teska01"), 2) << Log();
}

// Closing the program during the check ends the login at once: nothing is
// asked of the service and nothing is shown.
TEST_F(LoginFormTest, ClosingTheProgramDuringTheMemberCheckEndsTheLogin) {
  auto shared = std::make_shared<SlowMemberCheck::Shared>();
  TfrmLogin& form = StartPartnerChecking(shared);
  shared->step = [] { gui::App().Terminate(); };
  backend_->ClearMessageBoxes();
  form.btnLogin.UserClick();
  EXPECT_TRUE(app_->Terminated());
  EXPECT_EQ(form.LoginState, 0);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(Count(Log(), "login.cgi"), 0) << Log();
}

TEST_F(LoginFormTest, PartnerZoneLoginRefusedAfterRegistrationIsNoLogin) {
  config_->SetServerName("Teska넷");
  TfrmLogin& form = Start(0);
  form.edtUserID.SetText("locked");  // the service refuses this one with 3
  form.edtPassWD.SetText("locked");
  ASSERT_TRUE(form.btnLogin.UserClick());
  EXPECT_EQ(Count(Log(), "commend=reguser"), 1);
  ExpectOneBox("로그인에 실패하였습니다.", "로그인 실패", MsgIcon::kError);
  ExpectLoggedOutAndUsable(form);
}

#ifdef TRAY_MEMBER_DB_TESTS
// The partner zone with the member library itself against the fake member
// database: natively the library is linked in, under Wine it is the
// registered Dastrel.dll reached through COM.
class PartnerZoneTest : public LoginFormTest {
 protected:
  static void SetUpTestSuite() {
    LoginFormTest::SetUpTestSuite();
#ifdef _WIN32
    const char* port = std::getenv("MEMBER_DB_PORT");
    ASSERT_NE(port, nullptr) << "run through with_fake_service.py --member-db";
    memberPort_ = std::atoi(port);
#else
    auto started = memberdb::FakeServerProcess::Start({"--data", memberdb::SampleDataPath(), "--lifetime", "300"});
    ASSERT_TRUE(started.ok()) << started.error().message;
    memberDb_ = new memberdb::FakeServerProcess(std::move(*started));
    memberPort_ = memberDb_->port();
    setenv("DASTREL_SERVER", ("127.0.0.1:" + std::to_string(memberPort_)).c_str(), 1);
#endif
  }
  static void TearDownTestSuite() {
#ifndef _WIN32
    delete memberDb_;
#endif
    LoginFormTest::TearDownTestSuite();
  }
  TfrmLogin& StartPartner(const std::string& id, const std::string& password) {
    config_->SetServerName("Teska넷");
    TfrmLogin& form = StartWith(CreateMemberCheck());
    form.edtUserID.SetText(id);
    form.edtPassWD.SetText(password);
    return form;
  }
  inline static int memberPort_ = 0;
#ifndef _WIN32
  inline static memberdb::FakeServerProcess* memberDb_ = nullptr;
#endif
};

TEST_F(PartnerZoneTest, GoodMemberIsRegisteredAndLoggedIn) {
  TfrmLogin& form = StartPartner("teska01", "pass01");
  ASSERT_TRUE(form.btnLogin.UserClick());
  EXPECT_TRUE(Boxes().empty()) << (Boxes().empty() ? "" : Boxes()[0].request.text);
  EXPECT_EQ(form.LoginState, 1);
  EXPECT_EQ(Count(Log(), "commend=reguser userid=teska01"), 1) << Log();
}

TEST_F(PartnerZoneTest, WrongPasswordSendsNothingToTheService) {
  TfrmLogin& form = StartPartner("teska01", "wrong");
  ASSERT_TRUE(form.btnLogin.UserClick());
  ExpectOneBox("비밀번호 입력 오류입니다.", "로그인 실패", MsgIcon::kError);
  ExpectLoggedOutAndUsable(form);
  EXPECT_EQ(Count(Log(), "login.cgi"), 0);
}
#endif

}  // namespace
}  // namespace orvel
