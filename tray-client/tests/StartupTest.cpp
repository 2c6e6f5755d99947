// Start-up, the tray icon and its menu on the headless backend.
#include "tray-client/ConfForm.h"
#include "tray-client/ExplorerForm.h"
#include "tray-client/LoginForm.h"
#include "tray-client/MainForm.h"
#include "tray-client/Startup.h"
#include "tray-client/SyncListUnit.h"
#include "tray-client/tests/OrvelTestSupport.h"

namespace orvel {
namespace {

class StartupTest : public testing::OrvelTest {
 protected:
  // No channel service: the zone list request is refused at once and
  // reported; the forms come up all the same.
  void Start() {
    TfrmLogin::Services services;
    services.zoneDirectory = "http://127.0.0.1:9";
    CreateStartupForms(app(), std::move(services));
    backend().ClearMessageBoxes();
  }
};

TEST_F(StartupTest, FourFormsInOrderWithOnlyTheLoginFormShown) {
  Start();
  const auto& forms = app().OwnedForms();
  ASSERT_EQ(forms.size(), 4u);
  EXPECT_EQ(forms[0].get(), frmMain);
  EXPECT_EQ(forms[1].get(), frmConfig);
  EXPECT_EQ(forms[2].get(), frmExplorer);
  EXPECT_EQ(forms[3].get(), frmLogin);
  EXPECT_EQ(app().MainForm(), frmMain);
  EXPECT_EQ(app().Title(), "Tarnel For Corvane");
  EXPECT_FALSE(frmMain->Visible());
  EXPECT_FALSE(frmConfig->Visible());
  EXPECT_FALSE(frmExplorer->Visible());
  EXPECT_TRUE(frmLogin->Visible());
  EXPECT_NE(SyncComponent, nullptr);
  EXPECT_TRUE(std::filesystem::is_directory(Environment().programFolder / "LocalSync"));
  EXPECT_TRUE(frmMain->tiMain.Visible());
  EXPECT_EQ(frmMain->tiMain.Hint(), "Tarnel");
  EXPECT_EQ(frmMain->tiMain.ShownIcon(), gui::Icon{kIconLogout});
}

TEST_F(StartupTest, WorkingWithoutLoginShowsMyPcAndNoLoginForm) {
  WriteIni("[STARTOPTION]\r\nLOCALONLY=1\r\n");
  Start();
  EXPECT_TRUE(frmExplorer->Visible()) << "the explorer read the settings the configuration form loaded";
  EXPECT_FALSE(frmLogin->Visible());
}

TEST_F(StartupTest, AutomaticLoginTakesTheStoredCredentialsWithoutShowingTheForm) {
  WriteIni("[USERINFO]\r\nUSERID=teska01\r\nPASSWD=10C5191D0EC4\r\n[STARTOPTION]\r\nAUTOLOGIN=1\r\n");
  Start();
  EXPECT_TRUE(frmLogin->cbAutoLogin.Checked());
  EXPECT_EQ(frmLogin->edtUserID.Text(), "teska01");
  EXPECT_EQ(frmLogin->edtPassWD.Text(), "pass01");
  EXPECT_TRUE(frmLogin->Visible()) << "without a zone the login fails and the form shows";
}

TEST_F(StartupTest, TrayMenuInOrder) {
  Start();
  std::vector<std::string> captions;
  for (const auto* item : frmMain->pupMain.Items()) captions.push_back(item->Caption());
  EXPECT_EQ(captions, (std::vector<std::string>{"&HomePage", "-", "&Tarnel", "&MyPC", "&Config", "-", "&Exit"}));
  EXPECT_TRUE(frmMain->mmiHomePage.UserClick()) << "choosing it does nothing";
  EXPECT_EQ(frmMain->tiMain.Menu(), &frmMain->pupMain);
  backend().ChooseOnNextPopup(&frmMain->mmiConfig);
  frmMain->tiMain.UserRightClick({1000, 760});
  EXPECT_TRUE(frmConfig->Visible());
  EXPECT_EQ(backend().LastBroughtToFront(), frmConfig);
}

TEST_F(StartupTest, ShowMyPcAndConfigWaitForTheSyncAndTheConfigurationForm) {
  Start();
  frmConfig->Show();
  frmMain->mmiMyPC.UserClick();
  EXPECT_FALSE(frmExplorer->Visible()) << "the configuration form is open";
  frmConfig->Hide();
  gui::Form syncDialog;
  ActiveSyncDialog = &syncDialog;
  frmMain->mmiMyPC.UserClick();
  frmMain->mmiConfig.UserClick();
  EXPECT_FALSE(frmExplorer->Visible());
  EXPECT_FALSE(frmConfig->Visible());
  ActiveSyncDialog = nullptr;
  frmMain->mmiMyPC.UserClick();
  EXPECT_TRUE(frmExplorer->Visible());
  EXPECT_EQ(backend().LastBroughtToFront(), frmExplorer);
  frmLogin->btnCancel.UserClick();
  EXPECT_FALSE(frmLogin->Visible());
}

TEST_F(StartupTest, TrayIconFollowsLoginStateWithinASecond) {
  Start();
  frmLogin->LoginState = 1;
  backend().Advance(1000);
  EXPECT_EQ(frmMain->tiMain.ShownIcon(), gui::Icon{kIconLogon});
  frmLogin->LoginState = 0;
  backend().Advance(999);
  EXPECT_EQ(frmMain->tiMain.ShownIcon(), gui::Icon{kIconLogon}) << "the timer has not ticked yet";
  backend().Advance(1);
  EXPECT_EQ(frmMain->tiMain.ShownIcon(), gui::Icon{kIconLogout});
}

TEST_F(StartupTest, SyncAnimationShowsSevenFramesEvery300Ms) {
  Start();
  gui::TrayIcon& tray = frmMain->tiMain;
  tray.SetAnimated(true);
  std::vector<std::string> shown{tray.ShownIcon().resource};
  for (int i = 0; i < 7; ++i) {
    backend().Advance(300);
    shown.push_back(tray.ShownIcon().resource);
  }
  EXPECT_EQ(shown, (std::vector<std::string>{"ANIM1", "ANIM2", "ANIM3", "ANIM4", "ANIM5", "ANIM6", "ANIM7", "ANIM1"}));
  tray.SetAnimated(false);
  EXPECT_EQ(tray.ShownIcon(), gui::Icon{kIconLogout});
}

TEST_F(StartupTest, TarnelWithNoRowsReportsNothingSelectedAndDoesNothingDuringASync) {
  Start();
  frmMain->mmiTarnel.UserClick();
  ASSERT_EQ(backend().MessageBoxes().size(), 1u);
  EXPECT_EQ(backend().MessageBoxes()[0].request.text, "싱크하실 파일을 선택해 주세요.");
  EXPECT_EQ(backend().MessageBoxes()[0].request.title, "파일 선택");
  frmExplorer->lvSyncList.AddItem({"a.sa3", {"Local", "1k", "x"}});
  gui::Form syncDialog;
  ActiveSyncDialog = &syncDialog;
  frmMain->mmiTarnel.UserClick();
  EXPECT_FALSE(frmExplorer->lvSyncList.Item(0).checked) << "a running sync is not started again";
  ActiveSyncDialog = nullptr;
  frmMain->mmiTarnel.UserClick();
  EXPECT_TRUE(frmExplorer->lvSyncList.Item(0).checked);
  // No player: its free memory of 0k is below the 1k ticked, so the user is
  // asked whether to choose again (the first button, yes, ends the road).
  ASSERT_EQ(backend().MessageBoxes().size(), 2u);
  EXPECT_EQ(backend().MessageBoxes()[1].request.title, "용량초과");
}

TEST_F(StartupTest, ExitWaitsForASyncThenEndsAndTheSettingsAreSaved) {
  Start();
  gui::Form syncDialog;
  syncDialog.Create();
  ActiveSyncDialog = &syncDialog;
  frmMain->mmiExit.UserClick();
  EXPECT_FALSE(app().Terminated());
  EXPECT_NE(SyncComponent, nullptr);
  EXPECT_EQ(backend().LastBroughtToFront(), &syncDialog);
  ActiveSyncDialog = nullptr;
  frmMain->mmiExit.UserClick();
  EXPECT_TRUE(app().Terminated());
  EXPECT_EQ(SyncComponent, nullptr);
  EXPECT_FALSE(std::filesystem::exists(Environment().iniPath));
  app().DestroyForms();
  EXPECT_TRUE(std::filesystem::exists(Environment().iniPath)) << "the configuration form saves when destroyed";
  EXPECT_EQ(frmConfig, nullptr);
}

}  // namespace
}  // namespace orvel
