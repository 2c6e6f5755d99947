// TfrmLogin: the login form. Chooses a zone of the channel service, logs in
// (automatically at start when the settings say so) and out, and owns the
// HTTP client through which every service command goes: the zone list, the
// login, the channel list, the sync request and its done report, the user
// registration. The partner zone's logins are first checked with the
// member-information library.
//
// Texts of the controls are UTF-8; the service speaks code page 949, and the
// conversion happens here, at the request.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/ErrorText.h"
#include "platform/gui/Button.h"
#include "platform/gui/CheckBox.h"
#include "platform/gui/ComboBox.h"
#include "platform/gui/Edit.h"
#include "platform/gui/Form.h"
#include "platform/gui/GroupBox.h"
#include "platform/gui/Image.h"
#include "platform/gui/Label.h"
#include "platform/gui/ListView.h"
#include "platform/gui/Memo.h"
#include "platform/gui/Timer.h"
#include "platform/http/HttpClient.h"
#include "tray-client/MemberCheck.h"
#include "tray-client/ServiceProtocol.h"

namespace orvel {

// A service request that could not be made (the HTTP client's error, or a
// text the service's code page cannot carry), with the text for the user.
// It ends the handler and is shown by the application's standard error
// report.
class ServiceError : public common::UserFacingError {
 public:
  using common::UserFacingError::UserFacingError;
};

// The form's heights without and with the zone list.
inline constexpr int kLoginFormHeight = 242;
inline constexpr int kLoginFormZoneHeight = 296;
// Logins to the zone of this name are checked with the member library first.
inline constexpr const char* kPartnerZoneName = "Teska넷";

// The configuration form's public fields and controls that the login form
// reads and writes.
struct ConfigLinks {
  std::string& ServerNameBytes;
  std::vector<std::string>& ZoneNameBytes;
  std::string& LoginURL;
  std::string& ContentServerAddress;
  std::string& ContentServerPort;
  gui::ComboBox& cbSelServer;
  gui::Edit& edtUserID;
  gui::Edit& edtPasswd;
  gui::CheckBox& cbAutoLogin;
  gui::CheckBox& cbLocalOnly;
};

// A channel of the sync list as the sync requests read it (UTF-8 texts).
struct ChannelState {
  service::ChannelRecord record;
  bool IsSelected = false;
  bool IsDownEnd = false;
};

// What the login form reaches in the rest of the program: the
// configuration form, the one sync list (SyncComponent), "My PC" and the
// tray icon. Start-up supplies it; tests supply their own.
class LoginHost {
 public:
  virtual ~LoginHost() = default;
  virtual ConfigLinks& Config() = 0;
  // Replaces the sync list with these channels (ItemNo from 0, flags off).
  virtual void ReplaceChannels(const std::vector<service::ChannelRecord>& channels) = 0;
  virtual void ClearChannels() = 0;
  virtual std::vector<ChannelState> Channels() const = 0;
  virtual void ShowMyPC() = 0;
  // The tray icon's picture: logged in or not.
  virtual void ShowLoginState(bool loggedIn) = 0;
};

class TfrmLogin : public gui::Form {
 public:
  // Where the form's requests go and how it checks members; tests pass
  // their own. By default: the zone directory of ORVEL_ZONE_DIRECTORY, the
  // platform's HTTP client with its default time-outs, the member
  // library's GetDBInfo.
  struct Services {
    std::string zoneDirectory;  // "scheme://host[:port]"; empty: the configured one
    std::shared_ptr<MemberCheck> memberCheck;  // shared with a check still on its way at exit
    platform::http::HttpOptions http;
  };

  explicit TfrmLogin(LoginHost& host);
  TfrmLogin(LoginHost& host, Services services);
  ~TfrmLogin() override;

  // 0 logged out, 1 logged in.
  std::uint8_t LoginState = 0;

  gui::Image Image1{this};
  gui::GroupBox pnlLogin{this};
  gui::Label lbUserIDCaption{&pnlLogin};
  gui::Label lbPassWDCaption{&pnlLogin};
  gui::Edit edtUserID{&pnlLogin};
  gui::Edit edtPassWD{&pnlLogin};
  gui::Label lbZoneName{&pnlLogin};
  gui::Button btnLogin{&pnlLogin};
  gui::Button btnCancel{&pnlLogin};
  gui::Button btnZoneView{&pnlLogin};
  gui::CheckBox cbAutoLogin{&pnlLogin};
  gui::ListView lvZone{this};
  // Outside the visible area: the reply log, the SSL switch and the
  // developers' buttons.
  gui::Memo memoHTML{this};
  gui::CheckBox cbSSL{this};
  gui::Button btnDnList{this};
  gui::Button Button2{this};
  gui::Button Button1{this};
  gui::Button Button3{this};
  gui::Timer tmrLogin{this};

  void FormCreate();
  void btnLoginClick();
  void btnCancelClick();
  void cbAutoLoginClick();
  void btnZoneViewClick();
  void lvZoneClick();
  void tmrLoginTimer();
  void edtUserIDKeyPress(int& key);
  void edtPassWDKeyPress(int& key);

  // The service commands. Each sends one request and waits for it while the
  // form's messages go on being handled; a failed request raises
  // ServiceError.
  bool acGetZoneInfo();
  service::CommandResult SendCommand(const std::string& url);
  int acLoginTarnel();
  bool acGetTarnelChannelList();
  bool acSetMyTarnel(const std::string& text);
  bool acSetTarnelChannelList();
  bool acUdtTarnelChannelList();
  void acRegUser();

 private:
  void SetUpControls();
  void SelectZone(int index, const service::ZoneRecord& zone);
  std::string Cp949(const std::string& utf8) const;
  // A channel field as it goes back to the service: the bytes the service
  // sent, or for a channel made here, its text encoded.
  std::string ServiceText(const service::ChannelRecord& channel, std::string service::ChannelServiceBytes::*bytes,
                          const std::string& text) const;
  std::string CommandUrl(service::Command command, const std::string& list = {});
  std::string Get(const std::string& url);
  void ShowLog(const std::string& body);
  int MemberLogin();
  void LoginSucceeded();
  void LoginFailed(int code);
  void Logout();

  LoginHost& host_;
  ConfigLinks& config_;
  Services services_;
  std::unique_ptr<platform::http::HttpClient> http_;
  std::string selectedZone_;
  // The zones of the last list as the service sent them, in lvZone's order.
  std::vector<service::ZoneRecord> zones_;
  bool tls_ = false;
};

// The one login form (created last at start-up).
extern TfrmLogin* frmLogin;

}  // namespace orvel
