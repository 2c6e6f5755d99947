// The configuration form against ORVEL.INI and the autostart value.
#include <fstream>
#include <string>

#include "common/ErrorText.h"
#include "common/TextCodec.h"
#include "tray-client/ConfForm.h"
#include "tray-client/EtcFuncUnit.h"
#include "tray-client/SyncListUnit.h"
#include "tray-client/tests/OrvelTestSupport.h"

namespace orvel {
namespace {

class ConfFormTest : public testing::OrvelTest {
 protected:
  std::string Cp949(const std::string& utf8) { return *common::Utf8ToCp949(utf8); }
};

TEST_F(ConfFormTest, AMissingFileGivesTheDefaults) {
  TfrmConfig form;
  EXPECT_EQ(form.ServerName, "");
  EXPECT_EQ(form.cbSelServer.Text(), "");
  EXPECT_EQ(form.edtUserID.Text(), "");
  EXPECT_EQ(form.edtPasswd.Text(), "");
  EXPECT_FALSE(form.cbAutoLogin.Checked());
  EXPECT_FALSE(form.cbAutoStart.Checked());
  EXPECT_FALSE(form.cbLocalOnly.Checked());
  EXPECT_TRUE(form.cbAutoDelete.Checked());
  EXPECT_FALSE(form.cbAutoOverwrite.Checked());
  EXPECT_EQ(form.edtPasswd.PasswordChar(), '*');
  EXPECT_FALSE(form.cbUseMultiChannel.Enabled());
}

TEST_F(ConfFormTest, SettingsRoundTripThroughTheFileInCodePage949) {
  {
    TfrmConfig form;
    form.cbSelServer.SetText("서울");
    form.edtUserID.SetText("teska01");
    form.edtPasswd.SetText("비밀01");
    form.cbAutoLogin.SetChecked(true);
    form.cbLocalOnly.SetChecked(true);
    form.cbAutoDelete.SetChecked(false);
    form.cbAutoOverwrite.SetChecked(true);
    form.SaveConfig();
  }
  auto ini = Ini();
  EXPECT_EQ(ini.ReadString("SERVERINFO", "SERVERNAME", ""), Cp949("서울"));
  EXPECT_EQ(ini.ReadString("USERINFO", "USERID", ""), "teska01");
  EXPECT_EQ(ini.ReadString("USERINFO", "PASSWD", ""), ScrambleString(Cp949("비밀01"), kScrambleKey));
  EXPECT_EQ(ini.ReadString("STARTOPTION", "AUTOLOGIN", ""), "1");
  EXPECT_EQ(ini.ReadString("STARTOPTION", "AUTOSTART", ""), "0");
  EXPECT_EQ(ini.ReadString("STARTOPTION", "LOCALONLY", ""), "1");
  EXPECT_EQ(ini.ReadString("SYNCOPTION", "AUTODELETE", ""), "0");
  EXPECT_EQ(ini.ReadString("SYNCOPTION", "AUTOOVERWRITE", ""), "1");
  TfrmConfig again;  // destroyed at the end: saves once more
  EXPECT_EQ(again.ServerName, "서울");
  EXPECT_EQ(again.edtUserID.Text(), "teska01");
  EXPECT_EQ(again.edtPasswd.Text(), "비밀01");
  EXPECT_TRUE(again.cbAutoLogin.Checked());
  EXPECT_TRUE(again.cbLocalOnly.Checked());
  EXPECT_FALSE(again.cbAutoDelete.Checked());
  EXPECT_TRUE(again.cbAutoOverwrite.Checked());
}

TEST_F(ConfFormTest, WithoutAutomaticLoginTheCredentialsAreWrittenEmpty) {
  WriteIni("[USERINFO]\r\nUSERID=old\r\nPASSWD=10C5191D0EC4\r\n[MISC]\r\nKEEP=me\r\n");
  TfrmConfig form;
  EXPECT_EQ(form.edtPasswd.Text(), "pass01");
  form.SaveConfig();
  auto ini = Ini();
  EXPECT_EQ(ini.Read("USERINFO", "USERID"), std::optional<std::string>(""));
  EXPECT_EQ(ini.Read("USERINFO", "PASSWD"), std::optional<std::string>(""));
  EXPECT_EQ(ini.ReadString("STARTOPTION", "AUTOLOGIN", ""), "0");
  EXPECT_EQ(ini.ReadString("MISC", "KEEP", ""), "me") << "other keys stay";
}

TEST_F(ConfFormTest, APasswordThatIsNotHexLoadsEmptyAndTheLaterKeysStillLoad) {
  WriteIni("[USERINFO]\r\nUSERID=u\r\nPASSWD=XYZ1\r\n[STARTOPTION]\r\nAUTOLOGIN=1\r\nLOCALONLY=1\r\n");
  TfrmConfig form;
  EXPECT_EQ(form.edtPasswd.Text(), "");
  EXPECT_TRUE(form.cbAutoLogin.Checked());
  EXPECT_TRUE(form.cbLocalOnly.Checked());
  EXPECT_EQ(form.edtUserID.Text(), "u");
  EXPECT_TRUE(backend().MessageBoxes().empty());
}

TEST_F(ConfFormTest, AutostartValueIsTheQuotedProgramPathAndIsRemovedAgain) {
  TfrmConfig form;
  form.cbAutoStart.SetChecked(true);
  form.SaveConfig();
  EXPECT_EQ(RunValue(), std::optional<std::string>("\"" + Environment().programPath.string() + "\"")) << "natively paths are UTF-8";
  EXPECT_EQ(Ini().ReadString("STARTOPTION", "AUTOSTART", ""), "1");
  form.cbAutoStart.SetChecked(false);
  form.SaveConfig();
  EXPECT_EQ(RunValue(), std::nullopt);
  form.SaveConfig();  // removing a value that is gone is fine
  EXPECT_TRUE(backend().MessageBoxes().empty());
}

TEST_F(ConfFormTest, AFailedAutostartWriteIsReportedAndTheFileStillSaved) {
  TfrmConfig form;
  form.cbAutoStart.SetChecked(true);
  form.cbLocalOnly.SetChecked(true);
  const std::string denied = common::UserMessage(common::ErrorSentence(common::RegistryError::kAccessDenied),
                                                 "RegCreateKeyEx Software\\Microsoft, 시스템 오류 5");
  registry().FailWrites(common::Error{5, denied});
  form.SaveConfig();
  registry().FailWrites(std::nullopt);
  ASSERT_EQ(backend().MessageBoxes().size(), 1u);
  // What was being done, then the registry's own text with its detail line.
  EXPECT_EQ(backend().MessageBoxes()[0].request.text, "자동 실행을 설정할 수 없습니다. " + denied);
  EXPECT_EQ(backend().MessageBoxes()[0].request.icon, gui::MsgIcon::kError);
  EXPECT_EQ(Ini().ReadString("STARTOPTION", "LOCALONLY", ""), "1");
}

// A user without administrator rights may not write HKLM.
TEST_F(ConfFormTest, AutostartGoesUnderTheUsersOwnKeyWhenTheMachinesCannotBeWritten) {
  registry().FailWrites(common::Error{5, "access denied"}, platform::RegistryRoot::kLocalMachine);
  TfrmConfig form;
  form.cbAutoStart.SetChecked(true);
  form.SaveConfig();
  EXPECT_TRUE(backend().MessageBoxes().empty());
  EXPECT_EQ(RunValue(), std::nullopt);
  auto user = registry().GetString(platform::RegistryRoot::kCurrentUser, kRunKey, kRunValueName);
  ASSERT_TRUE(user.ok());
  EXPECT_EQ(*user, std::optional<std::string>("\"" + Environment().programPath.string() + "\""));

  const int writes = registry().WriteAttempts();
  form.SaveConfig();  // the value is there already: nothing to write
  EXPECT_EQ(registry().WriteAttempts(), writes);
  form.cbAutoStart.SetChecked(false);
  form.SaveConfig();
  user = registry().GetString(platform::RegistryRoot::kCurrentUser, kRunKey, kRunValueName);
  EXPECT_EQ(*user, std::nullopt);
  EXPECT_TRUE(backend().MessageBoxes().empty());
}

TEST_F(ConfFormTest, AutostartFailureIsToldOnceWhenTheBoxChangedAndAbsentValuesNeedNoWrite) {
  // Autostart off and no value anywhere: saving writes nothing to the registry.
  registry().FailWrites(common::Error{5, "access denied"});
  {
    TfrmConfig form;
    form.Show();
    form.btnOK.UserClick();
    form.SaveConfig();
  }
  EXPECT_EQ(registry().WriteAttempts(), 0);
  EXPECT_TRUE(backend().MessageBoxes().empty());

  // A value an administrator left under HKLM, which this user cannot remove:
  // told once, when the user unticks the box.
  registry().FailWrites(std::nullopt);
  ASSERT_TRUE(registry().SetString(platform::RegistryRoot::kLocalMachine, kRunKey, kRunValueName, "\"x\""));
  registry().FailWrites(common::Error{5, "access denied"}, platform::RegistryRoot::kLocalMachine);
  WriteIni("[STARTOPTION]\r\nAUTOSTART=1\r\n");
  TfrmConfig form;
  form.Show();  // the box is as it was: nothing to tell
  EXPECT_TRUE(backend().MessageBoxes().empty());
  form.cbAutoStart.UserSetChecked(false);
  form.btnOK.UserClick();
  EXPECT_EQ(backend().MessageBoxes().size(), 1u);
  form.Show();
  form.SaveConfig();
  EXPECT_EQ(backend().MessageBoxes().size(), 1u);
}

TEST_F(ConfFormTest, SettingsGoToTheUsersFolderWhenTheWindowsDirectoryCannotBeWrittenAndAreReadFromThereFirst) {
  // A Windows "directory" nothing can be written into.
  const common::Path windowsIni = Environment().iniPath;
  std::ofstream(root() / "Locked") << "not a folder";
  Environment().iniPath = root() / "Locked" / "ORVEL.INI";
  {
    TfrmConfig form;
    form.cbLocalOnly.SetChecked(true);
    form.SaveConfig();
  }
  EXPECT_TRUE(backend().MessageBoxes().empty());
  const common::Path& userIni = Environment().userIniPath;
  auto saved = platform::IniFile::Load(userIni);
  ASSERT_TRUE(saved.ok());
  EXPECT_EQ(saved->ReadString("STARTOPTION", "LOCALONLY", ""), "1");

  // Next time the user's file comes first, and saves stay there.
  Environment().iniPath = windowsIni;
  WriteIni("[STARTOPTION]\r\nLOCALONLY=0\r\n[MISC]\r\nKEPT=1\r\n");
  TfrmConfig form;
  EXPECT_TRUE(form.cbLocalOnly.Checked());
  EXPECT_EQ(SettingsFilePath(), userIni);
  form.cbAutoLogin.SetChecked(true);
  form.SaveConfig();
  EXPECT_EQ(Ini().ReadString("STARTOPTION", "AUTOLOGIN", ""), "") << "the Windows directory's file is left alone";
  EXPECT_EQ(platform::IniFile::Load(userIni)->ReadString("STARTOPTION", "AUTOLOGIN", ""), "1");
}

TEST_F(ConfFormTest, CancelUndoesTheEditsAndShowingSavesFirst) {
  TfrmConfig form;
  form.Show();
  form.cbLocalOnly.UserSetChecked(true);
  form.btnCancel.UserClick();
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(form.cbLocalOnly.Checked());
  form.Show();
  form.cbLocalOnly.UserSetChecked(true);
  form.UserClose();  // the close box does not save ...
  EXPECT_EQ(Ini().ReadString("STARTOPTION", "LOCALONLY", ""), "0");
  form.Show();  // ... but the next showing does
  EXPECT_EQ(Ini().ReadString("STARTOPTION", "LOCALONLY", ""), "1");
  form.btnOK.UserClick();
  EXPECT_FALSE(form.Visible());
}

TEST_F(ConfFormTest, AutosyncRowsFollowTheItemsWithTheNoFileTexts) {
  TSyncComponent component;
  SyncComponent = &component;
  auto add = [&](int type, const char* name, const char* file) {
    TSyncItem& item = component.Items().Add();
    item.ContentType = type;
    item.ChannelName = name;
    item.Sequence = 3;
    item.DnFileName = file;
    item.DnFileSize = 1500;
    item.PreFileName = "p.sa3";
    item.PreFileSize = 900;
    item.PreDownTime = "12:00";
    item.PurchaseNum = "77";
  };
  add(0, "다", "No file");
  add(1, "나", "No file");
  add(2, "가", "No file");
  add(0, "라", "today.mp3");
  TfrmConfig form;
  form.Show();
  const auto& list = form.lvDownloadList;
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Item(0).caption, "가") << "sorted by caption";
  EXPECT_EQ(list.Item(0).subItems, (std::vector<std::string>{"3", "", "1500", "p.sa3", "900", "12:00", "77"}))
      << "another content type without a file today: an empty cell, every value under its own title";
  EXPECT_EQ(list.Item(1).subItems[1], "업데이트가 되지 않았습니다.");
  EXPECT_EQ(list.Item(2).subItems[1], "회차가 종료되었습니다.");
  EXPECT_EQ(list.Item(3).subItems,
            (std::vector<std::string>{"3", "today.mp3", "1500", "p.sa3", "900", "12:00", "77"}));
  EXPECT_FALSE(form.lvDownloadList.UserBeginEdit(0));
  form.Destroy();
  SyncComponent = nullptr;
}

}  // namespace
}  // namespace orvel
