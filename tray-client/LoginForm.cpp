#include "tray-client/LoginForm.h"

#include <cstdlib>
#include <memory>
#include <optional>

#include "common/ErrorText.h"
#include "common/TextCodec.h"
#include "platform/gui/Application.h"
#include "platform/http/PumpingHttpClient.h"

namespace orvel {

TfrmLogin* frmLogin = nullptr;

namespace {

constexpr const char* kLoginCaption = "로그인";
constexpr const char* kLogoutCaption = "로그아웃";
constexpr const char* kZoneViewCaption = "Zone보기";
constexpr const char* kZoneHideCaption = "Zone감추기";

// Undoes a half-done login when a request fails: the button is enabled
// again and the form is back in its logged-out state, visible.
class LoginAttempt {
 public:
  explicit LoginAttempt(TfrmLogin& form) : form_(form) { form_.btnLogin.SetEnabled(false); }
  ~LoginAttempt() {
    // A program that is closing shows no form again.
    if (!finished_ && !gui::App().Terminated()) {
      form_.btnLogin.SetCaption(kLoginCaption);
      form_.Show();
      form_.BringToFront();
    }
    form_.btnLogin.SetEnabled(true);
  }
  void Finished() { finished_ = true; }

 private:
  TfrmLogin& form_;
  bool finished_ = false;
};

}  // namespace

TfrmLogin::TfrmLogin(LoginHost& host) : TfrmLogin(host, Services{}) {}

TfrmLogin::TfrmLogin(LoginHost& host, Services services)
    : host_(host), config_(host.Config()), services_(std::move(services)) {
  frmLogin = this;
  SetUpControls();
  // The SSL switch follows the zone directory's address: an https://
  // directory puts every request of the run on TLS.
  if (services_.zoneDirectory.empty()) {
    services_.zoneDirectory = service::ZoneDirectoryBase(std::getenv(service::kZoneDirectoryVariable), false);
  }
  cbSSL.SetChecked(services_.zoneDirectory.rfind("https://", 0) == 0);
  OnCreate = [this] { FormCreate(); };
  Create();
}

TfrmLogin::~TfrmLogin() {
  Destroy();
  if (frmLogin == this) frmLogin = nullptr;
}

void TfrmLogin::SetUpControls() {
  SetCaption(kLoginCaption);
  SetBorderIcons(true);
  SetPosition(Position::kScreenCenter);
  SetClientSize(330, kLoginFormHeight);
  SetVisible(false);

  Image1.SetBounds(0, 0, 330, 60);
  pnlLogin.SetBounds(0, 60, 330, kLoginFormHeight - 60);
  lbUserIDCaption.SetCaption("사용자 아이디");
  lbUserIDCaption.SetBounds(16, 40, 100, 16);
  lbPassWDCaption.SetCaption("사용자 비밀번호");
  lbPassWDCaption.SetBounds(16, 70, 100, 16);
  edtUserID.SetBounds(120, 36, 190, 22);
  edtPassWD.SetBounds(120, 66, 190, 22);
  edtPassWD.SetPasswordChar('*');
  lbZoneName.SetBounds(16, 10, 294, 18);
  cbAutoLogin.SetCaption("자동로그인");
  cbAutoLogin.SetBounds(16, 100, 120, 20);
  btnLogin.SetCaption(kLoginCaption);
  btnLogin.SetBounds(16, 136, 90, 26);
  btnCancel.SetCaption("취소");
  btnCancel.SetBounds(118, 136, 90, 26);
  btnZoneView.SetCaption(kZoneViewCaption);
  btnZoneView.SetHint("선택할 수 있는 zone의 리스트를 보여줍니다.");
  btnZoneView.SetBounds(220, 136, 90, 26);

  lvZone.SetBounds(0, kLoginFormHeight, 330, kLoginFormZoneHeight - kLoginFormHeight);
  lvZone.SetRowSelect(true);
  lvZone.SetReadOnly(true);
  lvZone.AddColumn({"Zone", 100});
  lvZone.AddColumn({"Host", 90});
  lvZone.AddColumn({"Content", 90});
  lvZone.AddColumn({"Port", 50, gui::Align::kRight});

  memoHTML.SetBounds(340, 0, 300, 200);
  memoHTML.SetReadOnly(true);
  cbSSL.SetCaption("Use SSL");
  cbSSL.SetBounds(340, 210, 100, 20);
  btnDnList.SetCaption("GetList");
  btnDnList.SetBounds(340, 240, 70, 24);
  Button2.SetCaption("SendList");
  Button2.SetBounds(420, 240, 70, 24);
  Button1.SetCaption("Zone");
  Button1.SetBounds(500, 240, 70, 24);
  Button3.SetCaption("DeviceReg");
  Button3.SetBounds(580, 240, 70, 24);

  tmrLogin.SetInterval(1000);

  btnLogin.OnClick = [this] { btnLoginClick(); };
  btnCancel.OnClick = [this] { btnCancelClick(); };
  btnZoneView.OnClick = [this] { btnZoneViewClick(); };
  cbAutoLogin.OnClick = [this] { cbAutoLoginClick(); };
  lvZone.OnClick = [this] { lvZoneClick(); };
  edtUserID.OnKeyPress = [this](int& key) { edtUserIDKeyPress(key); };
  edtPassWD.OnKeyPress = [this](int& key) { edtPassWDKeyPress(key); };
  tmrLogin.OnTimer = [this] { tmrLoginTimer(); };
  btnDnList.OnClick = [this] { acGetTarnelChannelList(); };
  Button2.OnClick = [this] { acSetTarnelChannelList(); };
  Button1.OnClick = [this] { acGetZoneInfo(); };
  Button3.OnClick = [] {};
}

void TfrmLogin::FormCreate() {
  // The SSL switch is read once, here: it decides the client and the
  // addresses' scheme for the whole run.
  tls_ = cbSSL.Checked();
  platform::http::HttpOptions options = services_.http;
  options.tls = tls_;
  // Requests run off the GUI thread; closing the program during one
  // cancels it and the handler ends at once.
  http_ = std::make_unique<platform::http::PumpingHttpClient>(
      platform::http::CreateHttpClient(options),
      [](std::function<void()> work, const std::function<void()>& cancel) {
        return gui::App().RunOffGuiThread(std::move(work), cancel);
      });
  if (!services_.memberCheck) services_.memberCheck = CreateMemberCheck();

  LoginState = 0;
  cbAutoLogin.SetChecked(config_.cbAutoLogin.Checked());
  tmrLogin.SetEnabled(true);

  // Without a zone list the form still comes up, so the user can retry.
  gui::App().Guard([this] { acGetZoneInfo(); });
  // The program was closed while the zones were coming.
  if (gui::App().Terminated()) return;

  if (config_.cbAutoLogin.Checked()) {
    edtUserID.SetText(config_.edtUserID.Text());
    edtPassWD.SetText(config_.edtPasswd.Text());
    gui::App().Guard([this] { btnLoginClick(); });
    // A login that could not even be tried (no zone) leaves the form up.
    if (LoginState == 0 && !Visible() && !gui::App().Terminated()) {
      Show();
      BringToFront();
    }
  } else if (!config_.cbLocalOnly.Checked()) {
    Show();
  }
}

std::string TfrmLogin::Cp949(const std::string& utf8) const {
  auto text = common::Utf8ToCp949(utf8);
  if (!text) throw ServiceError(text.error().message);
  return std::move(*text);
}

std::string TfrmLogin::Get(const std::string& url) {
  auto body = http_->Get(url);
  if (!body) throw ServiceError(body.error().message);
  return std::move(*body);
}

void TfrmLogin::ShowLog(const std::string& body) { memoHTML.SetText(common::Cp949ToUtf8Lossy(body)); }

std::string TfrmLogin::CommandUrl(service::Command command, const std::string& list) {
  return service::CommandUrl(config_.LoginURL, command, Cp949(edtUserID.Text()), Cp949(edtPassWD.Text()), list);
}

bool TfrmLogin::acGetZoneInfo() {
  const std::string body = Get(service::ZoneListUrl(services_.zoneDirectory));
  ShowLog(body);
  auto list = service::ParseZoneReply(body);
  if (!list) return false;

  lvZone.Clear();
  config_.cbSelServer.ClearItems();
  config_.ZoneNameBytes.clear();
  zones_ = std::move(list->zones);
  // The texts are for display; the zone's own bytes pick the stored zone,
  // go back to SERVERNAME and make the addresses.
  for (std::size_t i = 0; i < zones_.size(); ++i) {
    const service::ZoneRecord& zone = zones_[i];
    const std::string name = common::Cp949ToUtf8Lossy(zone.name);
    lvZone.AddItem({name,
                    {common::Cp949ToUtf8Lossy(zone.host), common::Cp949ToUtf8Lossy(zone.contentAddress),
                     common::Cp949ToUtf8Lossy(zone.contentPort)}});
    config_.cbSelServer.AddItem(name);
    config_.ZoneNameBytes.push_back(zone.name);
    if (zone.name == config_.ServerNameBytes) SelectZone(static_cast<int>(i), zone);
  }
  return list->complete;
}

void TfrmLogin::SelectZone(int index, const service::ZoneRecord& zone) {
  config_.cbSelServer.SetItemIndex(index);
  config_.LoginURL = service::LoginUrl(tls_, zone.host);
  config_.ContentServerAddress = zone.contentAddress;
  config_.ContentServerPort = zone.contentPort;
  selectedZone_ = common::Cp949ToUtf8Lossy(zone.name);
  lbZoneName.SetCaption(selectedZone_ + " 로그인");
}

service::CommandResult TfrmLogin::SendCommand(const std::string& url) {
  if (config_.LoginURL.empty()) {
    // No zone chosen yet: there is nowhere to send the command to.
    memoHTML.Clear();
    memoHTML.AddLine("(no zone selected) " + common::Cp949ToUtf8Lossy(service::RedactPassword(url)));
    return {};
  }
  const std::string body = Get(url);
  ShowLog(body);
  service::CommandResult result = service::ClassifyReply(body);
  if (!result.serviceReply) memoHTML.AddLine(common::Cp949ToUtf8Lossy(service::RedactPassword(url)));
  if (result.userMissingNotice) {
    gui::App().MessageBox("Tarnel Zone에서 더욱 편리하게 사용하실 수 있습니다.", "알림", gui::Buttons::kOk,
                          gui::MsgIcon::kInformation);
  }
  return result;
}

int TfrmLogin::acLoginTarnel() {
  const int code = service::LoginCode(SendCommand(CommandUrl(service::Command::kLogin)));
  if (code == 0) {
    config_.edtUserID.SetText(edtUserID.Text());
    config_.edtPasswd.SetText(edtPassWD.Text());
  }
  return code;
}

bool TfrmLogin::acGetTarnelChannelList() {
  const service::CommandResult result = SendCommand(CommandUrl(service::Command::kDnLists));
  if (result.text.empty()) return false;
  return acSetMyTarnel(result.text);
}

bool TfrmLogin::acSetMyTarnel(const std::string& text) {
  // The list is replaced whatever the reply; one that ends in a "/" answers
  // false all the same.
  service::ChannelList list = service::ParseChannelList(text);
  for (service::ChannelRecord& c : list.items) {
    // The texts are for display; the service's bytes stay in serviceBytes.
    for (std::string* field : {&c.ChannelName, &c.DnFileName, &c.DnFileDate, &c.PreFileName, &c.PreDownTime,
                               &c.PurchaseNum}) {
      *field = common::Cp949ToUtf8Lossy(*field);
    }
  }
  host_.ReplaceChannels(list.items);
  return list.complete;
}

std::string TfrmLogin::ServiceText(const service::ChannelRecord& channel,
                                   std::string service::ChannelServiceBytes::*bytes,
                                   const std::string& text) const {
  return channel.serviceBytes ? (*channel.serviceBytes).*bytes : Cp949(text);
}

bool TfrmLogin::acSetTarnelChannelList() {
  std::string list;
  for (const ChannelState& channel : host_.Channels()) {
    if (!channel.IsSelected) continue;
    const service::ChannelRecord& c = channel.record;
    list += service::SyncItemText(c.ContentType, ServiceText(c, &service::ChannelServiceBytes::ChannelName, c.ChannelName),
                                  c.Sequence, ServiceText(c, &service::ChannelServiceBytes::DnFileDate, c.DnFileDate));
  }
  return SendCommand(CommandUrl(service::Command::kSyncReq, list)).text == "True";
}

bool TfrmLogin::acUdtTarnelChannelList() {
  std::string list;
  for (const ChannelState& channel : host_.Channels()) {
    if (!channel.IsDownEnd) continue;
    const service::ChannelRecord& c = channel.record;
    list += service::DoneItemText(ServiceText(c, &service::ChannelServiceBytes::PurchaseNum, c.PurchaseNum),
                                  ServiceText(c, &service::ChannelServiceBytes::ChannelName, c.ChannelName),
                                  c.Sequence);
  }
  return SendCommand(CommandUrl(service::Command::kFldned, list)).text == "True";
}

void TfrmLogin::acRegUser() { SendCommand(CommandUrl(service::Command::kRegUser)); }

int TfrmLogin::MemberLogin() {
  // The check waits on the member database (within its own deadline): it
  // runs on a worker while this thread keeps handling messages, as the
  // requests do. Closing the program meanwhile leaves it to end by itself;
  // what it touches it owns.
  struct Check {
    std::shared_ptr<MemberCheck> check;
    std::string id;
    std::string password;
    std::optional<common::Result<int>> result;
  };
  auto run = std::make_shared<Check>(Check{services_.memberCheck, edtUserID.Text(), edtPassWD.Text(), std::nullopt});
  const bool finished =
      gui::App().RunOffGuiThread([run] { run->result.emplace(run->check->CheckPassword(run->id, run->password)); });
  if (!finished || !run->result) {
    throw ServiceError(common::UserMessage(common::ErrorSentence(common::ComError::kCallFailed), "중단됨"));
  }
  const common::Result<int>& checked = *run->result;
  if (!checked) throw ServiceError(checked.error().message);
  if (*checked != 0) return *checked;  // a failed check is final: the service is not asked
  int code = acLoginTarnel();
  if (code != 0) {
    // A member the service does not know yet: register, then log in again,
    // and that second answer is the login's outcome.
    acRegUser();
    code = acLoginTarnel();
  }
  return code;
}

void TfrmLogin::btnLoginClick() {
  if (lbZoneName.Caption().empty()) {
    gui::App().MessageBox("[Zone보기]를 클릭하셔서\r\n\r\n해당하는 zone을 선택해 주세요.", "알림", gui::Buttons::kOk,
                          gui::MsgIcon::kInformation);
    return;
  }
  if (btnLogin.Caption() == kLogoutCaption) {
    Logout();
    return;
  }
  if (edtUserID.Text().empty() || edtPassWD.Text().empty()) return;
  if (!btnLogin.Enabled()) return;  // an attempt is already running (Enter in an edit)

  LoginAttempt attempt(*this);
  const int code = selectedZone_ == kPartnerZoneName ? MemberLogin() : acLoginTarnel();
  attempt.Finished();
  if (code == 0) {
    LoginSucceeded();
  } else {
    LoginFailed(code);
  }
}

void TfrmLogin::LoginSucceeded() {
  edtUserID.SetEnabled(false);
  edtPassWD.SetEnabled(false);
  btnLogin.SetCaption(kLogoutCaption);
  LoginState = 1;
  Hide();
  host_.ShowMyPC();
}

void TfrmLogin::LoginFailed(int code) {
  const char* text = code == 1 ? "비밀번호 입력 오류입니다."
                     : code == 2 ? "등록되지 않은 아이디입니다."
                                 : "로그인에 실패하였습니다.";
  gui::App().MessageBox(text, "로그인 실패", gui::Buttons::kOk, gui::MsgIcon::kError);
  if (code == 1) edtPassWD.SetFocus();
  if (code == 2) {
    edtUserID.SetText("");
    edtUserID.SetFocus();
  }
  edtPassWD.SetText("");
  btnLogin.SetCaption(kLoginCaption);
  Show();
  BringToFront();
}

void TfrmLogin::Logout() {
  edtUserID.SetEnabled(true);
  edtPassWD.SetEnabled(true);
  edtPassWD.SetText("");
  btnLogin.SetCaption(kLoginCaption);
  LoginState = 0;
  host_.ClearChannels();
  edtPassWD.SetFocus();
}

void TfrmLogin::btnCancelClick() {
  Hide();
  host_.ShowMyPC();
}

void TfrmLogin::cbAutoLoginClick() { config_.cbAutoLogin.SetChecked(cbAutoLogin.Checked()); }

void TfrmLogin::btnZoneViewClick() {
  if (btnZoneView.Caption() == kZoneViewCaption) {
    acGetZoneInfo();
    btnZoneView.SetCaption(kZoneHideCaption);
    SetClientSize(Width(), kLoginFormZoneHeight);
  } else {
    btnZoneView.SetCaption(kZoneViewCaption);
    SetClientSize(Width(), kLoginFormHeight);
  }
}

void TfrmLogin::lvZoneClick() {
  const int index = lvZone.SelectedIndex();
  if (index < 0) return;
  if (static_cast<std::size_t>(index) < zones_.size()) SelectZone(index, zones_[static_cast<std::size_t>(index)]);
}

void TfrmLogin::tmrLoginTimer() { host_.ShowLoginState(LoginState == 1); }

void TfrmLogin::edtUserIDKeyPress(int& key) {
  if (key == gui::keys::kReturn) btnLoginClick();
}

void TfrmLogin::edtPassWDKeyPress(int& key) {
  if (key == gui::keys::kReturn) btnLoginClick();
}

}  // namespace orvel
