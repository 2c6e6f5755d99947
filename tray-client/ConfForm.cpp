#include "tray-client/ConfForm.h"

#include <filesystem>

#include "common/ErrorText.h"
#include "common/TextCodec.h"
#include "platform/gui/Application.h"
#include "tray-client/EtcFuncUnit.h"
#include "tray-client/OrvelEnvironment.h"
#include "tray-client/SyncListUnit.h"

namespace orvel {

TfrmConfig* frmConfig = nullptr;

namespace {

// The INI file holds ANSI (code page 949) bytes; the forms hold UTF-8.
std::string FromAnsi(const std::string& bytes) { return common::Cp949ToUtf8Lossy(bytes); }

std::string ToAnsi(const std::string& text) {
  auto bytes = common::Utf8ToCp949(text);
  if (bytes) return *bytes;
  auto wide = common::Utf8ToUtf16(text);
  return wide ? common::Utf16ToCp949Lossy(*wide) : std::string();
}

// A path as UTF-8 text (the registry and the messages take UTF-8).
std::string PathText(const common::Path& path) {
  const auto text = path.u8string();
  return std::string(text.begin(), text.end());
}

// The standard error report for a failure whose message is already the
// text for the user; `context` (may be empty) says what the program was
// doing when the layer's own sentence does not.
void Report(const std::string& context, const common::Error& error) {
  gui::App().ShowException(common::UserFacingError(context.empty() ? error.message : context + " " + error.message));
}

}  // namespace

TfrmConfig::TfrmConfig() {
  frmConfig = this;
  SetCaption("Config");
  SetClientSize(390, 340);
  SetPosition(Position::kScreenCenter);

  pcConfig.SetBounds(8, 8, 374, 290);
  tsOption.SetCaption("Orvel 설정");
  tsAutosync.SetCaption("Autosync 리스트");
  pcConfig.SetActivePage(&tsOption);

  gbServer.SetCaption("Server 설정");
  gbServer.SetBounds(8, 8, 350, 112);
  lbSelServer.SetCaption("서버선택");
  lbSelServer.SetBounds(12, 24, 74, 16);
  cbSelServer.SetBounds(90, 20, 160, 22);
  lbUserID.SetCaption("User ID:");
  lbUserID.SetBounds(12, 52, 74, 16);
  edtUserID.SetBounds(90, 48, 160, 22);
  lbPasswd.SetCaption("PassWD:");
  lbPasswd.SetBounds(12, 80, 74, 16);
  edtPasswd.SetBounds(90, 76, 160, 22);
  edtPasswd.SetPasswordChar('*');
  cbUseMultiChannel.SetCaption("멀티체널 사용");
  cbUseMultiChannel.SetBounds(258, 22, 88, 18);
  cbUseMultiChannel.SetEnabled(false);

  gbOption.SetCaption("Option 설정");
  gbOption.SetBounds(8, 128, 350, 94);
  cbAutoLogin.SetCaption("자동 로그인");
  cbAutoLogin.SetBounds(12, 20, 168, 18);
  cbAutoStart.SetCaption("윈도우 시작시 자동 실행");
  cbAutoStart.SetBounds(12, 44, 168, 18);
  cbLocalOnly.SetCaption("로그인하지 않음");
  cbLocalOnly.SetBounds(12, 68, 168, 18);
  cbAutoDelete.SetCaption("받은 파일 자동 삭제");
  cbAutoDelete.SetHint("싱크가 완료되면 Tarnel체널에\r\n있는 파일을 삭제합니다.");
  cbAutoDelete.SetBounds(186, 20, 158, 18);
  cbAutoDelete.SetEnabled(false);
  cbAutoOverwrite.SetCaption("전회차 자동삭제");
  cbAutoOverwrite.SetBounds(186, 44, 158, 18);
  cbAutoOverwrite.SetEnabled(false);

  lbInfo.SetCaption("Orvel 설정에 관련된 선택 사항입니다.");
  lbInfo.SetBounds(12, 232, 340, 16);

  lvDownloadList.SetBounds(4, 4, 358, 254);
  lvDownloadList.SetCheckBoxes(true);
  lvDownloadList.SetRowSelect(true);
  lvDownloadList.SetSortedByCaption(true);
  lvDownloadList.AddColumn({"체널 이름", 120, gui::Align::kLeft});
  lvDownloadList.AddColumn({"회차", 40, gui::Align::kRight});
  lvDownloadList.AddColumn({"오늘 받을 파일", 120, gui::Align::kLeft});
  lvDownloadList.AddColumn({"파일 크기", 70, gui::Align::kRight});
  lvDownloadList.AddColumn({"최근 받은 파일", 120, gui::Align::kRight});
  lvDownloadList.AddColumn({"파일 크기", 70, gui::Align::kRight});
  lvDownloadList.AddColumn({"최근 받은 시각", 80, gui::Align::kRight});
  lvDownloadList.AddColumn({"구매 번호", 70, gui::Align::kLeft});
  lvDownloadList.OnEditing = [this](int index, bool& allow) { lvDownloadListEditing(index, allow); };

  btnOK.SetCaption("확인");
  btnOK.SetBounds(222, 306, 75, 25);
  btnOK.OnClick = [this] { btnOKClick(); };
  btnCancel.SetCaption("취소");
  btnCancel.SetBounds(304, 306, 75, 25);
  btnCancel.OnClick = [this] { btnCancelClick(); };

  OnCreate = [this] { FormCreate(); };
  OnShow = [this] { FormShow(); };
  OnDestroy = [this] { FormDestroy(); };
  Create();
}

TfrmConfig::~TfrmConfig() {
  Destroy();
  if (frmConfig == this) frmConfig = nullptr;
}

common::Path SettingsFilePath() {
  const OrvelEnvironment& env = Environment();
  if (!env.userIniPath.empty() && common::FileExists(env.userIniPath)) return env.userIniPath;
  return env.iniPath;
}

void TfrmConfig::LoadConfig() {
  const common::Path path = SettingsFilePath();
  auto loaded = platform::IniFile::Load(path);
  platform::IniFile ini;
  if (loaded) {
    ini = std::move(*loaded);
  } else {
    Report("", loaded.error());
  }
  ServerNameBytes = ini.ReadString("SERVERINFO", "SERVERNAME", "");
  ServerName = FromAnsi(ServerNameBytes);
  cbSelServer.SetText(ServerName);
  // Two zone names may read alike; the bytes tell them apart.
  for (std::size_t i = 0; i < ZoneNameBytes.size() && i < cbSelServer.Items().size(); ++i) {
    if (ZoneNameBytes[i] == ServerNameBytes) cbSelServer.SetItemIndex(static_cast<int>(i));
  }
  edtUserID.SetText(FromAnsi(ini.ReadString("USERINFO", "USERID", "")));
  // A PASSWD that is not hexadecimal loads as an empty password; the keys
  // after it still load.
  auto password = UnscrambleString(ini.ReadString("USERINFO", "PASSWD", ""), kScrambleKey);
  edtPasswd.SetText(password ? FromAnsi(*password) : std::string());
  cbAutoLogin.SetChecked(ini.ReadBool("STARTOPTION", "AUTOLOGIN", false));
  cbAutoStart.SetChecked(ini.ReadBool("STARTOPTION", "AUTOSTART", false));
  autoStartSaved_ = cbAutoStart.Checked();
  cbLocalOnly.SetChecked(ini.ReadBool("STARTOPTION", "LOCALONLY", false));
  cbAutoDelete.SetChecked(ini.ReadBool("SYNCOPTION", "AUTODELETE", true));
  cbAutoOverwrite.SetChecked(ini.ReadBool("SYNCOPTION", "AUTOOVERWRITE", false));
}

std::string TfrmConfig::ServerNameToSave() const {
  // A zone of the service's list keeps the service's own bytes, and the
  // stored name, unchanged, its stored bytes: a name that is not valid code
  // page 949 would otherwise come back with "?" and no longer be found.
  const int index = cbSelServer.ItemIndex();
  if (index >= 0 && static_cast<std::size_t>(index) < ZoneNameBytes.size() &&
      static_cast<std::size_t>(index) < cbSelServer.Items().size() &&
      cbSelServer.Text() == cbSelServer.Items()[static_cast<std::size_t>(index)]) {
    return ZoneNameBytes[static_cast<std::size_t>(index)];
  }
  if (cbSelServer.Text() == ServerName) return ServerNameBytes;
  return ToAnsi(cbSelServer.Text());
}

void TfrmConfig::SaveConfig() {
  const OrvelEnvironment& env = Environment();
  const common::Path path = SettingsFilePath();
  // Other sections and keys of the file stay as they are.
  auto loaded = platform::IniFile::Load(path);
  platform::IniFile ini = loaded ? std::move(*loaded) : platform::IniFile{};
  ini.WriteString("SERVERINFO", "SERVERNAME", ServerNameToSave());
  if (cbAutoLogin.Checked()) {
    ini.WriteString("USERINFO", "USERID", ToAnsi(edtUserID.Text()));
    ini.WriteString("USERINFO", "PASSWD", ScrambleString(ToAnsi(edtPasswd.Text()), kScrambleKey));
    ini.WriteBool("STARTOPTION", "AUTOLOGIN", true);
  } else {
    ini.WriteString("USERINFO", "USERID", "");
    ini.WriteString("USERINFO", "PASSWD", "");
    ini.WriteBool("STARTOPTION", "AUTOLOGIN", false);
  }
  // A failure of the autostart value is told once, when the user changed
  // the box, not at every save.
  const bool autoStartChanged = cbAutoStart.Checked() != autoStartSaved_;
  auto run = WriteRunKey(kRunValueName, PathText(env.programPath), cbAutoStart.Checked());
  autoStartSaved_ = cbAutoStart.Checked();
  ini.WriteBool("STARTOPTION", "AUTOSTART", cbAutoStart.Checked());
  ini.WriteBool("STARTOPTION", "LOCALONLY", cbLocalOnly.Checked());
  ini.WriteBool("SYNCOPTION", "AUTODELETE", cbAutoDelete.Checked());
  ini.WriteBool("SYNCOPTION", "AUTOOVERWRITE", cbAutoOverwrite.Checked());
  auto saved = ini.Save(path);
  if (!saved && path == env.iniPath && !env.userIniPath.empty()) {
    // A user without administrator rights may not write the Windows
    // directory: the settings go to the user's own folder, which is read
    // first from then on.
    std::error_code ignored;
    std::filesystem::create_directories(env.userIniPath.parent_path(), ignored);
    if (ini.Save(env.userIniPath)) saved = common::Ok();
  }
  if (!saved) Report("", saved.error());
  if (!run && autoStartChanged) Report("자동 실행을 설정할 수 없습니다.", run.error());
}

common::Result<void> TfrmConfig::WriteRunKey(const std::string& valueName, const std::string& programPath, bool add) {
  using platform::RegistryRoot;
  platform::Registry* registry = Environment().registry;
  if (!registry) return common::Error{0, std::string(common::ErrorSentence(common::RegistryError::kFailed))};
  // The machine's Run key, or the user's own for a user who may not write
  // the machine's. Only a value that must change is written.
  const RegistryRoot roots[] = {RegistryRoot::kLocalMachine, RegistryRoot::kCurrentUser};
  const std::string data = "\"" + programPath + "\"";
  if (add) {
    for (RegistryRoot root : roots) {
      auto value = registry->GetString(root, kRunKey, valueName);
      if (value && *value && **value == data) return common::Ok();
    }
    auto machine = registry->SetString(RegistryRoot::kLocalMachine, kRunKey, valueName, data);
    if (machine || registry->SetString(RegistryRoot::kCurrentUser, kRunKey, valueName, data)) return common::Ok();
    return machine;
  }
  common::Result<void> removed = common::Ok();
  for (RegistryRoot root : roots) {
    auto value = registry->GetString(root, kRunKey, valueName);
    if (value && !*value) continue;  // not there: no write access needed
    auto deleted = registry->DeleteValue(root, kRunKey, valueName);
    if (!deleted && removed) removed = deleted;
  }
  return removed;
}

void TfrmConfig::FillAutosyncList() {
  lvDownloadList.Clear();
  if (!SyncComponent) return;
  const TSyncList& items = SyncComponent->Items();
  for (int i = 0; i < items.Count(); ++i) {
    const TSyncItem& item = items.Items(i);
    gui::ListItem row;
    row.caption = item.ChannelName;
    row.subItems.push_back(std::to_string(item.Sequence));
    if (item.DnFileName != "No file") {
      row.subItems.push_back(item.DnFileName);
    } else if (item.ContentType == 0) {
      row.subItems.push_back("회차가 종료되었습니다.");
    } else if (item.ContentType == 1) {
      row.subItems.push_back("업데이트가 되지 않았습니다.");
    } else {
      row.subItems.emplace_back();  // an empty cell keeps the later values under their titles
    }
    row.subItems.push_back(std::to_string(item.DnFileSize));
    row.subItems.push_back(item.PreFileName);
    row.subItems.push_back(std::to_string(item.PreFileSize));
    row.subItems.push_back(item.PreDownTime);
    row.subItems.push_back(item.PurchaseNum);
    lvDownloadList.AddItem(std::move(row));
  }
}

void TfrmConfig::FormShow() {
  SaveConfig();
  FillAutosyncList();
}

void TfrmConfig::btnOKClick() {
  SaveConfig();
  Close();
}

void TfrmConfig::btnCancelClick() {
  LoadConfig();
  Close();
}

void TfrmConfig::lvDownloadListEditing(int, bool& allow) { allow = false; }

}  // namespace orvel
