// Every source of events fired inside every question and wait of the
// transfer road of "My PC": a folder change, each tray item, each usable
// control of "My PC", the device poll and the transfer thread's own
// reports. Nothing may be lost, nothing used after it is freed (the
// sanitizer run), and no second conversation with the player may start.
#include "tray-client/ConfForm.h"
#include "tray-client/ExplorerForm.h"
#include "tray-client/LoginForm.h"
#include "tray-client/MainForm.h"
#include "tray-client/Startup.h"
#include "tray-client/UpDownForm.h"
#include "tray-client/tests/PlayerTestSupport.h"

namespace orvel {
namespace {

using gui::ModalResult;
namespace fs = std::filesystem;

class NestedLoopTest : public testing::PlayerFormTest {
 protected:
  NestedLoopTest() {
    TfrmLogin::Services services;
    services.zoneDirectory = "http://127.0.0.1:9";
    CreateStartupForms(app(), std::move(services));
    frmLogin->Hide();
    frmExplorer->Player = &driver();
    fs::create_directories(Environment().programFolder / "LocalSync");
    EXPECT_TRUE(common::WriteFileAtomically(Environment().programFolder / "LocalSync" / "mine.sa3",
                                            std::vector<std::uint8_t>(3000, 7))
                    .ok());
  }
  ~NestedLoopTest() override { frmConfig->Hide(); }

  TfrmExplorer& my() { return *frmExplorer; }

  std::string OnDesktop(const std::string& name, std::size_t size, std::uint8_t seed) {
    const auto path = Environment().desktopFolder / name;
    EXPECT_TRUE(common::WriteFileAtomically(path, Pattern(size, seed)).ok());
    return common::PathToUtf8(path);
  }
  void SelectPc(const std::string& caption) {
    auto& list = my().ShellListView;
    for (int i = 0; i < list.Count(); ++i) {
      if (list.Item(i).caption == caption) ASSERT_TRUE(list.UserSetSelected(i, true));
    }
  }

  // Fires every source once; questions they raise are declined.
  void FireEverySource() {
    if (firing_) return;
    firing_ = true;
    ++fired_;
    gui::Form* transfer = ActiveTransferDialog;
    backend().NotifyFolderChanged(common::PathToUtf8(Environment().desktopFolder));
    for (gui::MenuItem* item : {&frmMain->mmiHomePage, &frmMain->mmiTarnel, &frmMain->mmiMyPC, &frmMain->mmiConfig,
                                &frmMain->mmiExit}) {
      item->UserClick();
    }
    frmConfig->Hide();
    for (gui::Button* button : {&my().btnRefresh, &my().btnWrite, &my().btnRead, &my().btnDelete, &my().tbtnDelete,
                                &my().tbtnRefresh, &my().tbtnUpDir, &my().btnSync, &my().btnSyncRefresh}) {
      if (button->Usable()) button->UserClick();
    }
    my().mmiExit.UserClick();
    my().tmrMyDeviceTimer();
    EXPECT_EQ(ActiveSyncDialog, nullptr) << "no sync beside a transfer";
    EXPECT_EQ(ActiveTransferDialog, transfer) << "no second transfer dialog";
    EXPECT_FALSE(app().Terminated()) << "the program does not end under a transfer";
    firing_ = false;
  }

  bool firing_ = false;
  int fired_ = 0;
};

TEST_F(NestedLoopTest, EverySourceInsideTheTransferToThePlayer) {
  StoreOnPlayer("C:\\old\\one.mp3", 100, 9);
  StoreOnPlayer("C:\\old\\keep.mp3", 200, 8);
  OnDesktop("one.mp3", 70000, 1);
  OnDesktop("two.mp3", 40000, 2);
  my().Show();
  SelectPc("one.mp3");
  SelectPc("two.mp3");
  backend().SetMessageBoxScript([&](const gui::MessageBoxRequest& box) {
    const bool overwrite = box.title == "파일 덮어쓰기" && !firing_;
    FireEverySource();
    return overwrite ? ModalResult::kOk : box.buttons == gui::Buttons::kYesNo ? ModalResult::kNo : ModalResult::kCancel;
  });
  // The transfer thread's reports and the dialog's waits run the timers.
  gui::Timer everySource(frmMain);
  everySource.SetInterval(50);
  everySource.OnTimer = [&] {
    if (ActiveTransferDialog) FireEverySource();
  };
  everySource.SetEnabled(true);
  ASSERT_TRUE(my().btnWrite.UserClick());
  everySource.SetEnabled(false);
  backend().SetMessageBoxScript(nullptr);

  EXPECT_GE(fired_, 2);
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"one.mp3", "keep.mp3", "two.mp3"}));
  EXPECT_EQ(PlayerData(0), Pattern(70000, 1));
  EXPECT_EQ(PlayerData(1), Pattern(200, 8));
  EXPECT_EQ(PlayerData(2), Pattern(40000, 2));
  EXPECT_TRUE(fs::exists(Environment().desktopFolder / "one.mp3"));
  EXPECT_TRUE(fs::exists(Environment().desktopFolder / "two.mp3"));
  EXPECT_TRUE(fs::exists(Environment().programFolder / "LocalSync" / "mine.sa3"));
  EXPECT_FALSE(playerlink::Link::InConversation(driver()));

  // With the transfer over, the tray's exit works again.
  frmMain->mmiExit.UserClick();
  EXPECT_TRUE(app().Terminated());
}

TEST_F(NestedLoopTest, EverySourceInsideTheTransferToThePc) {
  StoreOnPlayer("C:\\old\\one.mp3", 30000, 9);
  OnDesktop("one.mp3", 10, 1);
  my().Show();
  ASSERT_TRUE(my().lvMyDevice.UserSetSelected(0, true));
  backend().SetMessageBoxScript([&](const gui::MessageBoxRequest& box) {
    const bool overwrite = box.title == "파일 덮어쓰기" && !firing_;
    FireEverySource();
    return overwrite ? ModalResult::kOk : box.buttons == gui::Buttons::kYesNo ? ModalResult::kNo : ModalResult::kCancel;
  });
  ASSERT_TRUE(my().btnRead.UserClick());
  backend().SetMessageBoxScript(nullptr);
  EXPECT_GE(fired_, 1);
  EXPECT_EQ(ReadPc(Environment().desktopFolder / "one.mp3"), Pattern(30000, 9));
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"one.mp3"}));
}

}  // namespace
}  // namespace orvel
