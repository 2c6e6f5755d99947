// The channel sync dialog end to end on the headless backend: the program's
// forms logged in to the fake service, the real fetch over HTTP from its
// content side, the in-process simulated player.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <map>

#include "common/ErrorText.h"
#include "common/TextCodec.h"
#include "player-link/SimulatedPlayer.h"
#include "tools/fake-service/FakeServiceForTests.h"
#include "tray-client/ConfForm.h"
#include "tray-client/ContentProtocol.h"
#include "tray-client/ExplorerForm.h"
#include "tray-client/LoginForm.h"
#include "tray-client/MainForm.h"
#include "tray-client/Startup.h"
#include "tray-client/SyncListUnit.h"
#include "tray-client/TarnelForm.h"
#include "tray-client/tests/OrvelTestSupport.h"

namespace orvel {
namespace {

using namespace std::chrono_literals;
using playerlink::sim::Faults;
using playerlink::sim::MediumId;
namespace fs = std::filesystem;

std::string Cp(const std::string& utf8) { return *common::Utf8ToCp949(utf8); }

class SyncDialogTest : public testing::OrvelTest {
 protected:
  static void SetUpTestSuite() {
    auto port = fake_service::FakeServicePort(SYNC_SERVICE_DATA);
    ASSERT_TRUE(port.ok()) << port.error().message;
    port_ = *port;
  }

  SyncDialogTest() : player_(std::make_shared<playerlink::sim::SimulatedPlayer>()), driver_(player_) {
    control_ = platform::http::CreateHttpClient({});
  }
  ~SyncDialogTest() override { ActiveSyncDialog = nullptr; }

  void SetUp() override { ASSERT_TRUE(control_->Get(Base() + "/fake/reset").ok()); }

  static std::string Base() { return "http://127.0.0.1:" + std::to_string(port_); }
  void ContentFault(const std::string& query) {
    ASSERT_TRUE(control_->Get(Base() + "/fake/content-fault?" + query).ok());
  }
  std::string Log() {
    auto log = control_->Get(Base() + "/fake/log");
    return log ? *log : std::string();
  }
  std::string Served(const std::string& name) {
    auto body = control_->Get(content::FileUrl(Base(), "sync", name));
    return body ? *body : std::string("?");
  }

  TfrmSyncStatus::Services Services() {
    TfrmSyncStatus::Services services;
    services.player = &driver_;
    services.fetch.connectTimeout = 2s;
    services.fetch.readTimeout = 600ms;
    return services;
  }

  // The program's forms as start-up makes them, logged in as the sync user;
  // "My PC" shows the channel list.
  void StartLoggedIn() {
    WriteIni(Cp("[SERVERINFO]\r\nSERVERNAME=Tarnel 서울\r\n"));
    TfrmLogin::Services login;
    login.zoneDirectory = Base();
    login.http.connectTimeout = 2s;
    login.http.readTimeout = 2s;
    CreateStartupForms(app(), std::move(login));
    frmExplorer->Player = &driver_;
    frmExplorer->SyncServices = Services();
    // "My PC" asks whether to choose again when the selection exceeds the
    // player's free memory: the tests go on.
    backend().SetMessageBoxScript([](const gui::MessageBoxRequest& box) {
      return box.title == "용량초과" ? gui::ModalResult::kNo : gui::ModalResult::kOk;
    });
    frmLogin->edtUserID.SetText("sync");
    frmLogin->edtPassWD.SetText("sync1234");
    ASSERT_TRUE(frmLogin->btnLogin.UserClick());
    ASSERT_EQ(frmLogin->LoginState, 1);
    ASSERT_TRUE(frmExplorer->Visible());
    backend().ClearMessageBoxes();
  }

  // Ticks every row of that caption (a Remote row and the Local row of an
  // older copy both decide the item's IsSelected, the later one winning).
  void Tick(const std::string& caption) {
    gui::ListView& list = frmExplorer->lvSyncList;
    int ticked = 0;
    for (int i = 0; i < list.Count(); ++i) {
      if (list.Item(i).caption == caption) ticked += list.UserSetChecked(i, true) ? 1 : 0;
    }
    ASSERT_GT(ticked, 0) << "no row " << caption;
  }

  // Runs the sync road of "My PC". `during` runs whenever the loop has
  // nothing else to do while the dialog is open; a dialog waiting on "확인"
  // is closed with it, and its status kept in finalStatus_.
  void Sync(const std::function<void(TfrmSyncStatus&)>& during = {}) {
    backend().OnIdle = [this, during] {
      auto* dialog = dynamic_cast<TfrmSyncStatus*>(ActiveSyncDialog);
      if (!dialog) return false;
      sawTrayAnimated_ = sawTrayAnimated_ || frmMain->tiMain.Animated();
      sawGifAnimated_ = sawGifAnimated_ || dialog->RxGIFAnimator.Animated();
      if (during) during(*dialog);
      if (dialog->btnCancel.Caption() == "확인" && dialog->btnCancel.Usable() && !dialog->PlayerWriteActive()) {
        finalStatus_ = dialog->lbStatus.Caption();
        return dialog->btnCancel.UserClick();
      }
      return false;
    };
    // "My PC" rebuilds its list (and the channel items) when it shows
    // again: the items' flags are read just before.
    auto show = frmExplorer->OnShow;
    frmExplorer->OnShow = [this, show] {
      flags_.clear();
      const TSyncList& items = SyncComponent->Items();
      for (int i = 0; i < items.Count(); ++i) {
        flags_[items.Items(i).DnFileName] = {items.Items(i).IsDownEnd, items.Items(i).IsSyncEnd};
      }
      show();
    };
    ASSERT_TRUE(frmExplorer->btnSync.UserClick());
    frmExplorer->OnShow = show;
    backend().OnIdle = nullptr;
    EXPECT_EQ(ActiveSyncDialog, nullptr);
    EXPECT_TRUE(frmExplorer->Visible()) << "My PC shows again";
    EXPECT_FALSE(frmMain->tiMain.Animated());
  }

  std::vector<std::string> PlayerNames() {
    std::vector<std::string> names;
    for (const auto& e : player_->Entries(MediumId::kInternal)) {
      auto header = playerlink::ParseFileHeader(e.header);
      names.push_back(header ? *common::Utf16ToUtf8(playerlink::FileNamePart(header->name)) : "?");
    }
    return names;
  }
  std::string PlayerData(std::size_t index) {
    auto data = player_->EntryData(MediumId::kInternal, index);
    return data ? std::string(data->begin(), data->end()) : std::string("?");
  }
  std::vector<std::string> LocalSyncFiles() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Environment().programFolder / "LocalSync")) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  // The flags of the item of this file when the sync ended.
  struct Flags {
    bool IsDownEnd = false;
    bool IsSyncEnd = false;
  };
  Flags Item(const std::string& dnFileName) { return flags_.at(dnFileName); }
  std::string DoneList() {
    const std::string log = Log();
    const auto at = log.find("commend=fldned");
    if (at == std::string::npos) return "(no fldned)";
    const auto down = log.find("down=", at);
    return log.substr(down + 5, log.find(" cookie=", down) - down - 5);
  }

  static int port_;
  std::unique_ptr<platform::http::HttpClient> control_;
  std::shared_ptr<playerlink::sim::SimulatedPlayer> player_;
  playerlink::sim::SimulatedDriver driver_;
  std::string finalStatus_;
  std::map<std::string, Flags> flags_;
  bool sawTrayAnimated_ = false;
  bool sawGifAnimated_ = false;
};

int SyncDialogTest::port_ = 0;

TEST_F(SyncDialogTest, RemoteRowsAreFetchedCheckedWrittenToThePlayerAndReported) {
  StartLoggedIn();
  ASSERT_EQ(frmExplorer->lvSyncList.Count(), 4) << "one row per channel with a file today";
  Tick("news012.sa3");
  Tick("talk007.mp3");
  Tick("empty.sa3");
  EXPECT_EQ(frmExplorer->lbSelFileSize.Caption(), "57k");
  Sync();

  EXPECT_TRUE(backend().MessageBoxes().empty());
  EXPECT_TRUE(sawTrayAnimated_);
  EXPECT_TRUE(sawGifAnimated_);
  EXPECT_NE(Log().find("sync=아침 뉴스/12/영어 회화/7/빈 채널/3/ "), std::string::npos) << Log();
  EXPECT_EQ(DoneList(), "P-1001/아침 뉴스/12/P-1003/영어 회화/7/P-1004/빈 채널/3/");
  // Written under their names with ".mp3", byte for byte, in row order.
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"news012.mp3", "talk007.mp3", "empty.mp3"}));
  EXPECT_EQ(PlayerData(0), Served("news012.sa3"));
  EXPECT_EQ(PlayerData(1), Served("talk007.sa3"));
  EXPECT_EQ(PlayerData(2), "");
  EXPECT_TRUE(LocalSyncFiles().empty()) << "a channel file written to the player leaves LocalSync";
  for (const char* name : {"news012.sa3", "talk007.mp3", "empty.sa3"}) {
    EXPECT_TRUE(Item(name).IsDownEnd) << name;
    EXPECT_TRUE(Item(name).IsSyncEnd) << name;
  }
  EXPECT_FALSE(Item("weather0101.sa3").IsDownEnd);
  EXPECT_FALSE(Item("weather0101.sa3").IsSyncEnd);
}

TEST_F(SyncDialogTest, TickedRowsOfNoSizeAreASyncToo) {
  StartLoggedIn();
  Tick("empty.sa3");
  EXPECT_EQ(frmExplorer->lbSelFileSize.Caption(), "0k");
  Sync();
  EXPECT_TRUE(backend().MessageBoxes().empty());
  EXPECT_NE(Log().find("sync=빈 채널/3/ "), std::string::npos) << "asked of the service, not passed over: " << Log();
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"empty.mp3"}));
}

TEST_F(SyncDialogTest, OnlyLocalRowsSkipTheFetchAndCloseAfterTheLastRow) {
  StartLoggedIn();
  const fs::path localSync = Environment().programFolder / "LocalSync";
  fs::create_directories(localSync / "old");
  ASSERT_TRUE(common::WriteFileAtomically(localSync / "mine.sa3", std::vector<std::uint8_t>(3000, 7)));
  ASSERT_TRUE(common::WriteFileAtomically(localSync / "old" / "older.sa3", std::vector<std::uint8_t>(20000, 9)));

  gui::Form host;
  gui::ListView rows(&host);
  host.Create();
  rows.AddItem({"mine.sa3", {kRowLocal, "3k", (localSync / "mine.sa3").string()}, true});
  rows.AddItem({"gone.sa3", {kRowLocal, "1k", (localSync / "gone.sa3").string()}, true});
  rows.AddItem({"skip.sa3", {kRowLocal, "1k", (localSync / "mine.sa3").string()}, false});
  rows.AddItem({"older.sa3", {kRowLocal, "20k", (localSync / "old" / "older.sa3").string()}, true});
  ListViewSyncRows source(rows);
  TfrmSyncStatus dialog(source, Services());
  ActiveSyncDialog = &dialog;
  EXPECT_EQ(dialog.ShowModal(), gui::ModalResult::kOk);

  EXPECT_EQ(Log().find("OrvelContent"), std::string::npos) << "no fetch without Remote rows";
  EXPECT_EQ(Log().find("fldned"), std::string::npos);
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"mine.mp3", "older.mp3"})) << "the missing file is passed over";
  EXPECT_EQ(PlayerData(1), std::string(20000, '\x09'));
  EXPECT_FALSE(fs::exists(localSync / "mine.sa3"));
  EXPECT_FALSE(rows.Item(0).checked) << "each row is unticked as it is taken";
}

TEST_F(SyncDialogTest, ABusyPlayerIsSaidSoAndTheFileStays) {
  StartLoggedIn();
  const fs::path localSync = Environment().programFolder / "LocalSync";
  ASSERT_TRUE(common::WriteFileAtomically(localSync / "mine.sa3", std::vector<std::uint8_t>(3000, 7)));
  gui::Form host;
  gui::ListView rows(&host);
  host.Create();
  rows.AddItem({"mine.sa3", {kRowLocal, "3k", (localSync / "mine.sa3").string()}, true});
  ListViewSyncRows source(rows);
  playerlink::Link other(driver_);
  ASSERT_TRUE(other.Open().all());
  {
    TfrmSyncStatus dialog(source, Services());
    ActiveSyncDialog = &dialog;
    EXPECT_EQ(dialog.ShowModal(), gui::ModalResult::kOk);
    ActiveSyncDialog = nullptr;
  }
  other.Close();
  ASSERT_FALSE(backend().MessageBoxes().empty());
  EXPECT_EQ(backend().MessageBoxes().back().request.text, "다른 어플리케이션이 사용중 입니다.");
  EXPECT_TRUE(PlayerNames().empty());
  EXPECT_TRUE(fs::exists(localSync / "mine.sa3")) << "nothing written, nothing lost";
}

// The service's ".mp3" name: its ".sa3" file marks it fetched, the player
// write under the ".mp3" name marks it synced.
TEST_F(SyncDialogTest, AnMp3NameIsFetchedAsSa3AndWrittenAsMp3) {
  StartLoggedIn();
  Tick("talk007.mp3");
  Sync();
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"talk007.mp3"}));
  EXPECT_TRUE(Item("talk007.mp3").IsDownEnd);
  EXPECT_TRUE(Item("talk007.mp3").IsSyncEnd);
  EXPECT_EQ(PlayerData(0), Served("talk007.sa3"));
}

// A fetch error keeps what arrived whole before it: that file still goes to
// the player; the Remote row whose file never came is passed over.
TEST_F(SyncDialogTest, AFetchErrorStillWritesTheFilesFetchedBeforeIt) {
  StartLoggedIn();
  Tick("news012.sa3");
  Tick("weather0101.sa3");
  ContentFault("mode=short&file=weather0101.sa3");
  Sync();
  EXPECT_EQ(DoneList(), "P-1001/아침 뉴스/12/");
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"news012.mp3"}));
  EXPECT_FALSE(Item("weather0101.sa3").IsDownEnd);
  EXPECT_TRUE(LocalSyncFiles().empty()) << "no partial file is left, under any name";
}

// The tray's "&Tarnel" chosen while the sync road of "My PC" asks whether
// to choose again: no second sync starts inside the first.
TEST_F(SyncDialogTest, TarnelInsideTheSyncRoadsQuestionStartsNoSecondSync) {
  StartLoggedIn();
  Faults faults;
  faults.commands.push_back({9, std::nullopt, false, {1000, 0}, -1});  // 1 thousand bytes free
  player_->SetFaults(faults);
  ASSERT_TRUE(frmExplorer->btnRefresh.UserClick());
  Tick("news012.sa3");
  int questions = 0;
  backend().SetMessageBoxScript([&](const gui::MessageBoxRequest& box) {
    if (box.title != "용량초과") return gui::ModalResult::kOk;
    if (++questions == 1) frmMain->mmiTarnel.UserClick();
    return gui::ModalResult::kNo;
  });
  Sync();
  EXPECT_EQ(questions, 1);
  const std::string log = Log();
  int syncRequests = 0;
  for (auto at = log.find("syncreq"); at != std::string::npos; at = log.find("syncreq", at + 1)) ++syncRequests;
  EXPECT_EQ(syncRequests, 1);
}

// "확인" pressed during the wait after a fetch error: the files fetched
// before it are still reported to the service.
TEST_F(SyncDialogTest, OkDuringTheWaitAfterAnErrorStillReportsWhatWasFetched) {
  StartLoggedIn();
  Tick("news012.sa3");
  Tick("weather0101.sa3");
  ContentFault("mode=short&file=weather0101.sa3");
  gui::Timer clicker(frmMain);
  clicker.SetInterval(100);
  bool clicked = false;
  clicker.OnTimer = [&] {
    auto* dialog = dynamic_cast<TfrmSyncStatus*>(ActiveSyncDialog);
    if (!clicked && dialog && dialog->btnCancel.Caption() == "확인" && dialog->btnCancel.Usable()) {
      clicked = dialog->btnCancel.UserClick();
    }
  };
  clicker.SetEnabled(true);
  Sync();
  clicker.SetEnabled(false);
  EXPECT_TRUE(clicked);
  EXPECT_EQ(DoneList(), "P-1001/아침 뉴스/12/");
  EXPECT_TRUE(Item("news012.sa3").IsDownEnd);
}

// Every fault of the content server leaves LocalSync without a partial or
// unchecked file, keeps an older good copy, writes nothing unchecked to the
// player and ends with a usable "확인".
TEST_F(SyncDialogTest, EveryContentFaultLeavesNoPartialFileAndAnOlderCopyIntact) {
  StartLoggedIn();
  const fs::path older = Environment().programFolder / "LocalSync" / "weather0101.sa3";
  for (const char* fault : {"mode=short", "mode=long", "mode=badhash", "mode=stall", "mode=reset", "mode=404",
                            "mode=badname", "mode=message&text=%EC%A0%90%EA%B2%80"}) {
    SCOPED_TRACE(fault);
    ASSERT_TRUE(common::WriteFileAtomically(older, std::vector<std::uint8_t>{'o', 'l', 'd'}));
    frmExplorer->btnSyncRefreshClick();
    Tick("weather0101.sa3");
    ContentFault(fault);
    finalStatus_.clear();
    Sync();
    EXPECT_EQ(PlayerNames(), std::vector<std::string>{});
    EXPECT_EQ(LocalSyncFiles(), std::vector<std::string>{"weather0101.sa3"});
    auto kept = common::ReadWholeFile(older, 100);
    EXPECT_EQ(kept ? *kept : "", "old");
    EXPECT_FALSE(Item("weather0101.sa3").IsDownEnd);
    const bool message = std::string(fault).find("message") != std::string::npos;
    EXPECT_EQ(finalStatus_, message ? "점검" : "다운로드가 취소되었습니다. 확인 버튼을 눌러주십시요.");
  }
}

TEST_F(SyncDialogTest, CancelDuringTheFetchKeepsTheFilesBeforeItForThePlayer) {
  StartLoggedIn();
  // The stall must outlast the time the GUI thread may take to come back
  // to idle on a busy machine (the first file's rename and sync to disk
  // among it, seconds under heavy disk load); the cancel ends the wait
  // long before.
  frmExplorer->SyncServices.fetch.readTimeout = 30s;
  Tick("news012.sa3");
  Tick("weather0101.sa3");
  ContentFault("mode=stall&file=weather0101.sa3&seconds=25");
  bool cancelled = false;
  Sync([&](TfrmSyncStatus& dialog) {
    if (!cancelled && dialog.lbStatus.Caption().rfind("weather0101.sa3 다운로드중", 0) == 0) {
      EXPECT_EQ(dialog.gaCurrentFile.Position(), 50);
      EXPECT_EQ(dialog.gaTotalFile.Position(), 75) << "one file of two, and half the second";
      cancelled = dialog.btnCancel.UserClick();
    }
  });
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"news012.mp3"}));
  EXPECT_EQ(DoneList(), "P-1001/아침 뉴스/12/");
  EXPECT_TRUE(LocalSyncFiles().empty());
}

TEST_F(SyncDialogTest, NoUserIdAsksForTheSettings) {
  StartLoggedIn();
  Tick("news012.sa3");
  ASSERT_TRUE(frmLogin->acSetTarnelChannelList());
  frmLogin->edtUserID.SetText("");
  ListViewSyncRows source(frmExplorer->lvSyncList);
  TfrmSyncStatus dialog(source, Services());
  ActiveSyncDialog = &dialog;
  backend().OnIdle = [&] { return dialog.btnCancel.UserClick(); };
  EXPECT_EQ(dialog.ShowModal(), gui::ModalResult::kOk);
  EXPECT_EQ(dialog.lbStatus.Caption(), "설정창에서 UserID와 PassWD를 확인하시고\r\n다시 싱크를 해주십시요.");
  EXPECT_EQ(Log().find("OrvelContent"), std::string::npos);
}

// Free memory is compared in units of 1000 bytes and must be greater: a
// file exactly as large is not written, and the dialog waits for "확인".
TEST_F(SyncDialogTest, AFileExactlyAsLargeAsTheFreeMemoryIsNotWritten) {
  StartLoggedIn();
  Faults faults;
  faults.commands.push_back({9, std::nullopt, false, {40999, 0}, -1});  // 40 thousand bytes free
  player_->SetFaults(faults);
  Tick("news012.sa3");  // 40,000 bytes: 40 thousand
  Sync();
  EXPECT_EQ(finalStatus_, "디바이스의 공간이 부족해서 다운로드하지 않았습니다.");
  EXPECT_TRUE(PlayerNames().empty());
  EXPECT_EQ(LocalSyncFiles(), std::vector<std::string>{"news012.sa3"}) << "kept for a later sync";

  faults.commands[0].answer.result = 41000;
  player_->SetFaults(faults);
  frmExplorer->btnSyncRefreshClick();
  Tick("news012.sa3");
  Sync();
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"news012.mp3"})) << finalStatus_;
}

TEST_F(SyncDialogTest, APlayerThatCannotBeOpenedIsReportedAndTheDialogCloses) {
  StartLoggedIn();
  Faults faults;
  faults.failOpen[0] = true;
  player_->SetFaults(faults);
  Tick("news012.sa3");
  Sync();
  ASSERT_FALSE(backend().MessageBoxes().empty());
  EXPECT_EQ(backend().MessageBoxes().back().request.text, "디바이스가 연결되지 않았거나\n다른 어플리케이션이 사용중 입니다.");
  EXPECT_EQ(LocalSyncFiles(), std::vector<std::string>{"news012.sa3"});
}

TEST_F(SyncDialogTest, AFailedPlayerWriteStopsThereAndWaitsForOk) {
  StartLoggedIn();
  Faults faults;
  faults.commands.push_back({1, std::nullopt, false, {0, 0}, -1});  // no room for any file
  player_->SetFaults(faults);
  Tick("news012.sa3");
  Tick("talk007.mp3");
  Sync();
  EXPECT_EQ(finalStatus_, "news012.mp3을(를) 디바이스로 보내지 못했습니다. 확인 버튼을 눌러주십시요.");
  EXPECT_TRUE(PlayerNames().empty());
  EXPECT_FALSE(Item("news012.sa3").IsSyncEnd);
  EXPECT_EQ(LocalSyncFiles(), (std::vector<std::string>{"news012.sa3", "talk007.sa3"}));
}

// A Remote row's caption is the service's file name: one that names a file
// outside LocalSync is passed over, that file is neither written to the
// player nor deleted, and the rows after it go on.
TEST_F(SyncDialogTest, ARemoteNameLeadingOutOfLocalSyncIsPassedOver) {
  StartLoggedIn();
  Tick("news012.sa3");
  ASSERT_TRUE(frmLogin->acSetTarnelChannelList());
  const fs::path outside = Environment().programFolder / "outside.sa3";
  ASSERT_TRUE(common::WriteFileAtomically(outside, std::vector<std::uint8_t>(3000, 5)));

  gui::Form host;
  gui::ListView rows(&host);
  host.Create();
  for (const std::string& name : {std::string("../outside.sa3"), std::string("..\\outside.sa3"),
                                  common::PathToUtf8(outside), std::string("C:outside.sa3"), std::string("CON.sa3")}) {
    rows.AddItem({name, {kRowRemote, "3k", ""}, true});
  }
  rows.AddItem({"news012.sa3", {kRowRemote, "40k", ""}, true});
  ListViewSyncRows source(rows);
  TfrmSyncStatus dialog(source, Services());
  ActiveSyncDialog = &dialog;
  EXPECT_EQ(dialog.ShowModal(), gui::ModalResult::kOk);

  EXPECT_TRUE(backend().MessageBoxes().empty());
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"news012.mp3"}));
  EXPECT_EQ(PlayerData(0), Served("news012.sa3"));
  auto kept = common::ReadWholeFile(outside, 10000);
  EXPECT_EQ(kept ? *kept : "", std::string(3000, '\x05')) << "the file outside LocalSync stays";
}

// A fetch that ends normally without a file marked fetched (the service
// prepared none) waits for "확인" like every other end.
TEST_F(SyncDialogTest, ANormalEndWithNothingFetchedWaitsForOk) {
  StartLoggedIn();
  gui::Form host;
  gui::ListView rows(&host);
  host.Create();
  rows.AddItem({"news012.sa3", {kRowRemote, "40k", ""}, true});
  ListViewSyncRows source(rows);
  TfrmSyncStatus dialog(source, Services());
  ActiveSyncDialog = &dialog;
  std::string status;
  backend().OnIdle = [&] {
    if (dialog.btnCancel.Caption() != "확인" || !dialog.btnCancel.Usable()) return false;
    status = dialog.lbStatus.Caption();
    return dialog.btnCancel.UserClick();
  };
  EXPECT_EQ(dialog.ShowModal(), gui::ModalResult::kOk);
  backend().OnIdle = nullptr;
  EXPECT_EQ(status, "다운로드가 취소되었습니다. 확인 버튼을 눌러주십시요.");
  EXPECT_NE(Log().find("/OrvelContent/manifest"), std::string::npos) << Log();
  EXPECT_TRUE(PlayerNames().empty());
  EXPECT_TRUE(LocalSyncFiles().empty());
}

// A program folder that cannot be written (a standard user under "Program
// Files"): LocalSync is the user's own, beside the user's ORVEL.INI, for the
// fetch, the channel list and the leftovers' sweep; once there it stays.
TEST_F(SyncDialogTest, LocalSyncMovesToTheUsersFolderWhenTheProgramFolderCannotBeWritten) {
  const fs::path blocked = Environment().programFolder / "LocalSync";
  ASSERT_TRUE(common::WriteFileAtomically(blocked, std::vector<std::uint8_t>{'x'})) << "a file where the folder goes";
  const fs::path user = Environment().userIniPath.parent_path() / "LocalSync";
  StartLoggedIn();
  EXPECT_EQ(LocalSyncFolder(), user);
  ASSERT_TRUE(fs::is_directory(user));
  auto aged = [&](const std::string& name, std::chrono::minutes age) {
    EXPECT_TRUE(common::WriteFileAtomically(user / name, std::vector<std::uint8_t>{'x'}));
    fs::last_write_time(user / name, fs::file_time_type::clock::now() - age);
    return user / name;
  };
  const fs::path stale = aged("news011.sa3.123-4-0.tmp", std::chrono::minutes(60));
  const fs::path fresh = aged("news011.sa3.124-5-0.tmp", std::chrono::minutes(0));
  const fs::path kept = aged("kept.sa3", std::chrono::minutes(60));
  ASSERT_TRUE(frmExplorer->btnSyncRefresh.UserClick());
  bool listed = false;
  for (const auto& row : frmExplorer->lvSyncList.Items()) {
    listed = listed || (row.caption == "kept.sa3" && row.subItems.size() > 2 && row.subItems[2] == (user / "kept.sa3").string());
  }
  EXPECT_TRUE(listed) << "Local rows come from the user's LocalSync";

  Tick("news012.sa3");
  Sync();
  EXPECT_TRUE(backend().MessageBoxes().empty());
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"news012.mp3"}));
  EXPECT_EQ(PlayerData(0), Served("news012.sa3"));
  EXPECT_TRUE(Item("news012.sa3").IsDownEnd);
  EXPECT_NE(DoneList().find("P-1001"), std::string::npos) << DoneList();
  EXPECT_FALSE(fs::exists(stale)) << "the sync dialog sweeps what a killed fetch left";
  EXPECT_TRUE(fs::exists(fresh)) << "a file still being written elsewhere stays";
  EXPECT_TRUE(fs::exists(kept));
  EXPECT_TRUE(fs::is_regular_file(blocked));

  fs::remove(blocked);
  EXPECT_EQ(LocalSyncFolder(), user) << "the user's LocalSync, once made, is used first";
}

// Neither folder can take a file: the fetch goes on to its end, the item is
// not marked fetched, nothing goes to the player, and the status says which
// file could not be saved, not that the download was cancelled.
TEST_F(SyncDialogTest, ALocalSyncFileThatCannotBeMadeIsToldAndNotMarkedFetched) {
  const fs::path blocked = Environment().programFolder / "LocalSync";
  ASSERT_TRUE(common::WriteFileAtomically(blocked, std::vector<std::uint8_t>{'x'}));
  const fs::path userFolder = Environment().userIniPath.parent_path();
  fs::create_directories(userFolder.parent_path());
  ASSERT_TRUE(common::WriteFileAtomically(userFolder, std::vector<std::uint8_t>{'x'})) << "nor the user's folder";
  StartLoggedIn();
  Tick("news012.sa3");
  Sync();
  EXPECT_EQ(finalStatus_.rfind("'news012.sa3' 파일을 저장할 수 없습니다.", 0), 0u) << finalStatus_;
  EXPECT_FALSE(Item("news012.sa3").IsDownEnd);
  EXPECT_EQ(DoneList().find("P-1001"), std::string::npos) << DoneList();
  EXPECT_TRUE(PlayerNames().empty());
  EXPECT_TRUE(fs::is_regular_file(blocked));
}

// A full disk and a read-only file system, each a mount of the test's own
// (tray_sync_mount_tests runs these in a mount namespace and names the
// mounts; elsewhere they are skipped).
TEST_F(SyncDialogTest, OnAFullDiskTheFileThatDidNotFitIsToldAndTheOthersGoOn) {
  const char* full = std::getenv("ORVEL_TEST_FULL_DISK");
  if (!full) GTEST_SKIP() << "needs a small file system (tray_sync_mount_tests)";
  Environment().programFolder = fs::path(full);
  StartLoggedIn();
  Tick("news012.sa3");
  Tick("weather0101.sa3");
  Sync();
  ASSERT_EQ(backend().MessageBoxes().size(), 1u);
  EXPECT_EQ(backend().MessageBoxes()[0].request.text.rfind("'news012.sa3' 파일을 저장할 수 없습니다. " +
                                                   std::string(common::ErrorSentence(common::FileError::kDiskFull)), 0),
            0u)
      << backend().MessageBoxes()[0].request.text;
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"weather0101.mp3"})) << "the file that fitted still goes on";
  EXPECT_FALSE(Item("news012.sa3").IsDownEnd);
  EXPECT_TRUE(Item("weather0101.sa3").IsDownEnd);
  EXPECT_EQ(DoneList().find("P-1001"), std::string::npos) << DoneList();
  std::size_t left = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(fs::path(full) / "LocalSync")) ++left;
  EXPECT_EQ(left, 0u) << "no partial file stays";
}

TEST_F(SyncDialogTest, OnAReadOnlyFileSystemEveryFileIsToldAsNotSaved) {
  const char* readOnly = std::getenv("ORVEL_TEST_READ_ONLY");
  if (!readOnly) GTEST_SKIP() << "needs a read-only file system (tray_sync_mount_tests)";
  Environment().programFolder = fs::path(readOnly) / "Program";
  Environment().userIniPath = fs::path(readOnly) / "AppData" / "Orvel" / "ORVEL.INI";
  StartLoggedIn();
  Tick("news012.sa3");
  Tick("weather0101.sa3");
  Sync();
  EXPECT_EQ(finalStatus_.rfind("'news012.sa3' 파일을 저장할 수 없습니다.", 0), 0u) << finalStatus_;
  EXPECT_TRUE(PlayerNames().empty());
  EXPECT_FALSE(Item("news012.sa3").IsDownEnd);
  EXPECT_FALSE(Item("weather0101.sa3").IsDownEnd);
}

TEST_F(SyncDialogTest, EventsOutsideTheTableOnlyClearTheStatus) {
  gui::Form host;
  gui::ListView rows(&host);
  host.Create();
  ListViewSyncRows source(rows);
  TfrmSyncStatus dialog(source, Services());
  dialog.lbStatus.SetCaption("before");
  ChannelEvent event;
  for (int kind : {0, 10, -1}) {
    EXPECT_EQ(dialog.DownloadEvent(kind, event), 0);
    EXPECT_EQ(dialog.lbStatus.Caption(), "");
    dialog.lbStatus.SetCaption("before");
  }
  EXPECT_EQ(dialog.Caption(), "싱크");
  EXPECT_FALSE(dialog.BorderIcons());
  EXPECT_EQ(dialog.btnCancel.Caption(), "Cancel");
  EXPECT_EQ(dialog.ContentServerPort(), 9686) << "no configuration form: the default port";
}

}  // namespace
}  // namespace orvel
