// The configuration form: the chosen zone, the user id and password for
// automatic login, the start and sync options (kept in ORVEL.INI and the
// autostart value), the Autosync list, and the public fields through which
// the login form hands the chosen zone's addresses to the other forms.
#pragma once

#include <string>
#include <vector>

#include "platform/IniFile.h"
#include "platform/gui/Button.h"
#include "platform/gui/CheckBox.h"
#include "platform/gui/ComboBox.h"
#include "platform/gui/Edit.h"
#include "platform/gui/Form.h"
#include "platform/gui/GroupBox.h"
#include "platform/gui/Label.h"
#include "platform/gui/ListView.h"
#include "platform/gui/PageControl.h"

namespace orvel {

inline constexpr const char* kIniFileName = "ORVEL.INI";
inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValueName = "Orvel";

class TfrmConfig : public gui::Form {
 public:
  TfrmConfig();
  ~TfrmConfig() override;

  // Public fields other forms read and write.
  std::string ServerName;
  // The zone's name as SERVERNAME stores it and the service sent it (code
  // page 949 bytes, which need not be valid); ServerName is its text for
  // display.
  std::string ServerNameBytes;
  // The service's bytes of each zone name in cbSelServer, in its order.
  std::vector<std::string> ZoneNameBytes;
  std::string LoginURL;
  std::string ContentServerAddress;
  std::string ContentServerPort;

  gui::PageControl pcConfig{this};
  gui::TabSheet tsOption{&pcConfig};
  gui::TabSheet tsAutosync{&pcConfig};
  gui::GroupBox gbServer{&tsOption};
  gui::Label lbSelServer{&gbServer};
  gui::ComboBox cbSelServer{&gbServer};
  gui::Label lbUserID{&gbServer};
  gui::Edit edtUserID{&gbServer};
  gui::Label lbPasswd{&gbServer};
  gui::Edit edtPasswd{&gbServer};
  gui::CheckBox cbUseMultiChannel{&gbServer};
  gui::GroupBox gbOption{&tsOption};
  gui::CheckBox cbAutoLogin{&gbOption};
  gui::CheckBox cbAutoStart{&gbOption};
  gui::CheckBox cbLocalOnly{&gbOption};
  gui::CheckBox cbAutoDelete{&gbOption};
  gui::CheckBox cbAutoOverwrite{&gbOption};
  gui::Label lbInfo{&tsOption};
  gui::ListView lvDownloadList{&tsAutosync};
  gui::Button btnOK{this};
  gui::Button btnCancel{this};

  void LoadConfig();
  void SaveConfig();
  // The bytes SERVERNAME gets for the zone cbSelServer shows.
  std::string ServerNameToSave() const;
  // Adds (add) or removes the autostart value; the program path is stored
  // in quotes. It goes under HKLM, or under HKCU where HKLM cannot be
  // written; removing looks in both and writes only where it is.
  common::Result<void> WriteRunKey(const std::string& valueName, const std::string& programPath, bool add);
  void FillAutosyncList();

  void FormCreate() { LoadConfig(); }
  void FormShow();
  void FormDestroy() { SaveConfig(); }
  void btnOKClick();
  void btnCancelClick();
  void lvDownloadListEditing(int index, bool& allow);

 private:
  bool autoStartSaved_ = false;  // the autostart box as last loaded or saved
};

// The settings file in use: the user's own when there is one, else
// ORVEL.INI in the Windows directory.
common::Path SettingsFilePath();

extern TfrmConfig* frmConfig;

}  // namespace orvel
