#include "tray-client/Startup.h"

#include <filesystem>
#include <system_error>

#include "tray-client/ConfForm.h"
#include "tray-client/ExplorerForm.h"
#include "tray-client/LoginForm.h"
#include "tray-client/MainForm.h"
#include "tray-client/OrvelEnvironment.h"
#include "tray-client/SyncListUnit.h"

namespace orvel {

OrvelEnvironment& Environment() {
  static OrvelEnvironment environment;
  return environment;
}

namespace {

// The folder exists (or was made) and a file can be made in it.
bool CanWriteIn(const common::Path& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) return false;
  // A temporary file of the usual form, removed at once (a sweep takes it
  // should the program end in between).
  return common::AtomicFileWriter::Begin(folder / "LocalSync").ok();
}

}  // namespace

common::Path LocalSyncFolder() {
  const OrvelEnvironment& env = Environment();
  const common::Path program = env.programFolder / "LocalSync";
  if (env.userIniPath.empty()) {
    std::error_code error;
    std::filesystem::create_directories(program, error);
    return program;
  }
  const common::Path user = env.userIniPath.parent_path() / "LocalSync";
  if (common::GetPathAttributes(user).directory) return user;
  if (CanWriteIn(program)) return program;
  std::error_code error;
  std::filesystem::create_directories(user, error);  // a failure shows when a file is written there
  return user;
}

namespace {

// The rest of the program as the login form sees it.
class OrvelLoginHost : public LoginHost {
 public:
  ConfigLinks& Config() override {
    if (!links_) {
      TfrmConfig& c = *frmConfig;
      links_ = std::make_unique<ConfigLinks>(ConfigLinks{c.ServerNameBytes, c.ZoneNameBytes, c.LoginURL,
                                                         c.ContentServerAddress, c.ContentServerPort, c.cbSelServer,
                                                         c.edtUserID, c.edtPasswd, c.cbAutoLogin, c.cbLocalOnly});
    }
    return *links_;
  }
  void ReplaceChannels(const std::vector<service::ChannelRecord>& channels) override {
    if (!SyncComponent) return;
    TSyncList& list = SyncComponent->Items();
    list.Clear();
    int n = 0;
    for (const auto& channel : channels) {
      TSyncItem& item = list.Add();
      static_cast<service::ChannelRecord&>(item) = channel;
      item.ItemNo = n++;
    }
  }
  void ClearChannels() override {
    if (SyncComponent) SyncComponent->Items().Clear();
  }
  std::vector<ChannelState> Channels() const override {
    std::vector<ChannelState> out;
    if (!SyncComponent) return out;
    const TSyncList& list = SyncComponent->Items();
    for (int i = 0; i < list.Count(); ++i) {
      const TSyncItem& item = list.Items(i);
      out.push_back(ChannelState{item, item.IsSelected, item.IsDownEnd});
    }
    return out;
  }
  void ShowMyPC() override { orvel::ShowMyPC(); }
  void ShowLoginState(bool loggedIn) override {
    if (frmMain) frmMain->tiMain.SetIcon(loggedIn ? frmMain->imgLogon.Picture() : frmMain->imgLogout.Picture());
  }

 private:
  std::unique_ptr<ConfigLinks> links_;
};

// One per start; the login form of that start holds it.
std::unique_ptr<OrvelLoginHost> loginHost;

}  // namespace

void CreateStartupForms(gui::Application& app, TfrmLogin::Services login) {
  app.SetTitle(kApplicationTitle);
  app.SetMainForm(&app.CreateForm<TfrmMain>());
  app.CreateForm<TfrmConfig>();
  app.CreateForm<TfrmExplorer>();
  loginHost = std::make_unique<OrvelLoginHost>();
  app.CreateForm<TfrmLogin>(*loginHost, std::move(login));
}

}  // namespace orvel
