// "My PC" on the headless backend, made by start-up beside the in-process
// simulated player: the device poll, the player list and its commands, the
// PC panel, and both transfer directions through the transfer dialog.
#include "tray-client/ExplorerForm.h"

#include "tray-client/ConfForm.h"
#include "tray-client/LoginForm.h"
#include "tray-client/MainForm.h"
#include "tray-client/Startup.h"
#include "tray-client/SyncListUnit.h"
#include "tray-client/TarnelForm.h"
#include "tray-client/UpDownForm.h"
#include "tray-client/tests/HoldingDriver.h"
#include "tray-client/tests/PlayerTestSupport.h"

namespace orvel {
namespace {

using gui::ModalResult;
using playerlink::sim::Event;
using playerlink::sim::Faults;
namespace fs = std::filesystem;

class ExplorerFormTest : public testing::PlayerFormTest {
 protected:
  ExplorerFormTest() {
    TfrmLogin::Services services;
    services.zoneDirectory = "http://127.0.0.1:9";
    CreateStartupForms(app(), std::move(services));
    frmLogin->Hide();
    backend().ClearMessageBoxes();
    my().Player = &driver();
  }

  TfrmExplorer& my() { return *frmExplorer; }
  fs::path Desktop() const { return Environment().desktopFolder; }
  std::string OnDesktop(const std::string& name, std::size_t size, std::uint8_t seed = 1) {
    const auto path = Desktop() / common::PathFromUtf8(name);
    EXPECT_TRUE(common::WriteFileAtomically(path, Pattern(size, seed)).ok());
    return common::PathToUtf8(path);
  }

  void ShowMyPc() {
    my().Show();
    backend().ClearMessageBoxes();
  }
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    for (const auto& item : my().lvMyDevice.Items()) rows.push_back(item.caption + "/" + item.subItems.at(0));
    return rows;
  }
  void SelectRows(std::initializer_list<int> rows) {
    for (int row : rows) ASSERT_TRUE(my().lvMyDevice.UserSetSelected(row, true));
  }
  void SelectPc(const std::string& caption) {
    auto& list = my().ShellListView;
    for (int i = 0; i < list.Count(); ++i) {
      if (list.Item(i).caption == caption) {
        ASSERT_TRUE(list.UserSetSelected(i, true));
        return;
      }
    }
    FAIL() << "no PC row " << caption;
  }
  void OpenPc(const std::string& caption) {
    auto& list = my().ShellListView;
    for (int i = 0; i < list.Count(); ++i) {
      if (list.Item(i).caption == caption) {
        ASSERT_TRUE(list.UserDoubleClick(i));
        return;
      }
    }
    FAIL() << "no PC row " << caption;
  }
  int DeleteCommands() {
    int n = 0;
    for (const auto& e : player().TakeEvents()) {
      n += e.kind == Event::Kind::kCommand && e.request.commandByte == playerlink::CommandByte(playerlink::kInternalMemoryBase,
                                                                                           playerlink::CommandCode::kDelete);
    }
    return n;
  }
  void Answer(std::vector<ModalResult> answers) {
    for (ModalResult a : answers) backend().QueueAnswer(a);
  }
};

TEST_F(ExplorerFormTest, WindowAsDesigned) {
  EXPECT_EQ(my().Caption(), "My PC");
  EXPECT_EQ(my().MinClientWidth(), 550);
  EXPECT_EQ(my().MinClientHeight(), 290);
  EXPECT_TRUE(my().Sizeable());
  EXPECT_EQ(my().Menu(), &my().mmMain);
  std::vector<std::string> titles, file;
  for (auto* item : my().mmMain.Items()) titles.push_back(item->Caption());
  for (auto* item : my().mmiFile.Items()) file.push_back(item->Caption());
  EXPECT_EQ(titles, (std::vector<std::string>{"파일(&F)", "전송(&S)", "설정(&O)", "도움말(&H)"}));
  EXPECT_EQ(file, (std::vector<std::string>{"업데이트(&U)", "포맷하기", "-", "종료(&X)"}));
  EXPECT_FALSE(my().N1.Enabled()) << "format is disabled in the design";
  EXPECT_EQ(my().btnWrite.Hint(), "플래쉬 메모리로 전송");
  EXPECT_EQ(my().btnRead.Hint(), "컴퓨터로 전송");
  EXPECT_EQ(my().btnMoveUp.Hint(), "파일 순서를 위로 이동");
  EXPECT_EQ(my().btnMoveDN.Hint(), "파일 순서를 아래로 이동");
  EXPECT_EQ(my().btnRefresh.Hint(), "새로 고침");
  EXPECT_EQ(my().lvMyDevice.Columns().size(), 3u);
  EXPECT_EQ(my().lvMyDevice.Columns()[1].caption, "파일 크기");
  EXPECT_EQ(my().lvMyDevice.Columns()[1].alignment, gui::Align::kRight);
  EXPECT_TRUE(my().lvMyDevice.MultiSelect());
  EXPECT_FALSE(my().lvMyDevice.ColumnClick());
  EXPECT_EQ(my().sbMain.PanelCount(), 3);
  EXPECT_EQ(my().tmrMyDevice.Interval(), 3000);
  EXPECT_FALSE(my().tmrMyDevice.Enabled()) << "off until the window shows";
  EXPECT_EQ(my().lbTotMemSize.Caption(), "0k");
  EXPECT_EQ(my().lbMyDeviceStat.Caption(), "디바이스가 없습니다.");
  bool allow = true;
  my().lvMyDevice.AddItem({"x.mp3"});
  my().lvMyDevice.OnEditing(0, allow);
  EXPECT_FALSE(allow) << "no caption editing";

  ShowMyPc();
  my().UserResize(300, 200);
  EXPECT_EQ(my().Width(), 550);
  EXPECT_EQ(my().Height(), 290);
  EXPECT_GE(my().lvMyDevice.Height(), 0);
  EXPECT_EQ(my().sbMain.Top() + my().sbMain.Height(), 290) << "the layout follows the size";
  my().UserClose();
  EXPECT_FALSE(my().Visible());
  EXPECT_FALSE(my().Destroyed()) << "closing hides the window";
  EXPECT_EQ(my().Device(), nullptr);
  EXPECT_FALSE(backend().TimerRunning(my().tmrMyDevice));
}

TEST_F(ExplorerFormTest, PollFindsAndLosesThePlayer) {
  driver().Detach();
  ShowMyPc();
  EXPECT_EQ(my().DeviceState(), TfrmExplorer::kStateAbsent);
  EXPECT_EQ(my().imgMyDeviceStat.Picture(), gui::Icon{kPictureDeviceOff});
  EXPECT_TRUE(backend().TimerRunning(my().tmrMyDevice));

  auto player = std::make_shared<playerlink::sim::SimulatedPlayer>();
  ASSERT_TRUE(player->Store(MediumId::kInternal, u"C:\\music\\a.mp3", Pattern(4123456, 1)).ok());
  driver().Attach(player);
  backend().Advance(2999);
  EXPECT_EQ(my().DeviceState(), TfrmExplorer::kStateAbsent);
  backend().Advance(1);
  EXPECT_EQ(my().DeviceState(), TfrmExplorer::kStateWorking) << "listed within one poll period";
  EXPECT_EQ(my().lbMyDeviceStat.Caption(), "정상 작동 중");
  EXPECT_EQ(my().imgMyDeviceStat.Picture(), gui::Icon{kPictureDeviceOn});
  EXPECT_EQ(Rows(), (std::vector<std::string>{"a.mp3/4123k"}));

  ASSERT_TRUE(player->Store(MediumId::kInternal, u"b.mp3", Pattern(10, 1)).ok());
  backend().Advance(3000);
  EXPECT_EQ(Rows().size(), 1u) << "a player that stays connected is not read again";

  driver().Detach();
  backend().Advance(3000);
  EXPECT_EQ(my().DeviceState(), TfrmExplorer::kStateAbsent);
  EXPECT_EQ(my().lbMyDeviceStat.Caption(), "디바이스가 없습니다.");
  EXPECT_EQ(my().lbTotMemSize.Caption(), "0k");
  EXPECT_EQ(my().lbFreeMemSize.Caption(), "0k");
  EXPECT_TRUE(Rows().empty());
  EXPECT_TRUE(backend().MessageBoxes().empty()) << "no message for a player that comes and goes";
}

TEST_F(ExplorerFormTest, MemoryLabelsAndRowsInThousandsOfBytes) {
  player().SetMedium(MediumId::kInternal, {true, true, 10000000});
  StoreOnPlayer("C:\\music\\첫 노래.mp3", 4123456);
  StoreOnPlayer("short.mp3", 999);
  ShowMyPc();
  EXPECT_EQ(my().lbTotMemSize.Caption(), "10000k");
  EXPECT_EQ(my().lbFreeMemSize.Caption(), std::to_string(Thousands(player().FreeBytes(MediumId::kInternal))) + "k");
  EXPECT_EQ(Rows(), (std::vector<std::string>{"첫 노래.mp3/4123k", "short.mp3/0k"}));
  EXPECT_EQ(my().lvMyDevice.Item(0).subItems, (std::vector<std::string>{"4123k", ""}));
  EXPECT_FALSE(my().btnMoveUp.Enabled());
  EXPECT_FALSE(my().btnMoveDN.Enabled());
}

// The directory read of a refresh runs off the GUI thread: the thread
// handles what comes meanwhile, no user input reaches a window, and the
// list and memory show what the read gave once it is over.
TEST_F(ExplorerFormTest, ARefreshReadsThePlayerWhileTheWindowHandlesMessagesButNoInput) {
  testing::HoldingDriver holding(driver(), app().WorkerQueue());
  my().Player = &holding;
  struct Back {  // the window's device goes before the driver it reads through
    TfrmExplorer& window;
    playerlink::Driver& driver;
    ~Back() {
      window.Hide();
      window.Player = &driver;
    }
  } back{my(), driver()};
  StoreOnPlayer("one.mp3", 1000);
  ShowMyPc();
  ASSERT_EQ(Rows(), std::vector<std::string>{"one.mp3/1k"});
  StoreOnPlayer("two.mp3", 2000);
  bool refreshAccepted = true, deleteAccepted = true;
  std::vector<std::string> rowsMeanwhile;
  holding.Arm([&] {
    refreshAccepted = my().btnRefresh.UserClick();
    deleteAccepted = my().btnDelete.UserClick();
    rowsMeanwhile = Rows();
  });
  ASSERT_TRUE(my().btnRefresh.UserClick());
  EXPECT_TRUE(holding.Ran()) << "the GUI thread handled the call during the read";
  EXPECT_FALSE(refreshAccepted);
  EXPECT_FALSE(deleteAccepted);
  EXPECT_EQ(rowsMeanwhile, std::vector<std::string>{"one.mp3/1k"});
  EXPECT_EQ(Rows(), (std::vector<std::string>{"one.mp3/1k", "two.mp3/2k"}));
  EXPECT_EQ(my().lbFreeMemSize.Caption(), std::to_string(Thousands(player().FreeBytes(MediumId::kInternal))) + "k");
  EXPECT_TRUE(backend().MessageBoxes().empty());
  EXPECT_TRUE(my().btnRefresh.UserClick()) << "input reaches the window again";
}

TEST_F(ExplorerFormTest, DeletingOneRowAsksAndRemovesItsEntry) {
  StoreOnPlayer("a.mp3", 100, 1);
  StoreOnPlayer("b.mp3", 100, 2);
  ShowMyPc();
  SelectRows({1});
  Answer({ModalResult::kCancel});
  ASSERT_TRUE(my().btnDelete.UserClick());
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"b.mp3 파일을 삭제하시겠습니까?"}));
  EXPECT_EQ(backend().MessageBoxes()[0].request.title, "파일 삭제하기");
  EXPECT_EQ(PlayerNames().size(), 2u);

  Answer({ModalResult::kOk});
  ASSERT_TRUE(my().btnDelete.UserClick());
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"a.mp3"}));
  EXPECT_EQ(Rows(), (std::vector<std::string>{"a.mp3/0k"}));

  Faults faults;
  faults.commands.push_back({static_cast<std::uint8_t>(playerlink::CommandCode::kDelete), std::nullopt, true, {}, -1});
  player().SetFaults(faults);
  backend().ClearMessageBoxes();
  SelectRows({0});
  int del = gui::keys::kDelete;
  ASSERT_TRUE(my().lvMyDevice.UserKeyDown(del));
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"a.mp3 파일을 삭제하시겠습니까?", "파일을 삭제하지 못했습니다."}));
  EXPECT_EQ(Rows().size(), 1u) << "a failed delete keeps the row";
}

TEST_F(ExplorerFormTest, DeletingSeveralRowsWalksTheClosingGap) {
  for (const char* name : {"1.mp3", "2.mp3", "3.mp3", "4.mp3", "5.mp3"}) StoreOnPlayer(name, 100);
  ShowMyPc();
  SelectRows({1, 2});
  (void)player().TakeEvents();
  Answer({ModalResult::kOk});
  ASSERT_TRUE(my().btnDelete.UserClick());
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"선택하신 모든 파일들을 삭제하시겠습니까?"}));
  EXPECT_EQ(DeleteCommands(), 2);
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"1.mp3", "4.mp3", "5.mp3"}));
  EXPECT_EQ(Rows(), (std::vector<std::string>{"1.mp3/0k", "4.mp3/0k", "5.mp3/0k"}));
}

TEST_F(ExplorerFormTest, AFailedDeleteAmongSeveralGoesOnWithTheNext) {
  for (const char* name : {"1.mp3", "2.mp3", "3.mp3"}) StoreOnPlayer(name, 100);
  ShowMyPc();
  SelectRows({0, 1, 2});
  Faults faults;
  faults.commands.push_back({static_cast<std::uint8_t>(playerlink::CommandCode::kDelete), std::nullopt, true, {}, 1});
  player().SetFaults(faults);
  Answer({ModalResult::kOk});
  ASSERT_TRUE(my().btnDelete.UserClick());
  EXPECT_EQ(BoxTexts().size(), 1u) << "no message for the failure";
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"1.mp3"}));
  EXPECT_EQ(Rows(), (std::vector<std::string>{"1.mp3/0k"}));
}

TEST_F(ExplorerFormTest, DeleteWithNothingSelectedOnlyRefreshesTheMemory) {
  player().SetMedium(MediumId::kInternal, {true, true, 10000000});
  ShowMyPc();
  StoreOnPlayer("late.mp3", 500000);
  int del = gui::keys::kDelete;
  ASSERT_TRUE(my().lvMyDevice.UserKeyDown(del));
  EXPECT_TRUE(backend().MessageBoxes().empty());
  EXPECT_EQ(my().lbFreeMemSize.Caption(), std::to_string(Thousands(player().FreeBytes(MediumId::kInternal))) + "k");
  EXPECT_TRUE(Rows().empty()) << "the list is not read again";
}

TEST_F(ExplorerFormTest, ARowThatNoLongerNamesItsEntryIsNotDeleted) {
  StoreOnPlayer("keep.mp3", 100, 1);
  StoreOnPlayer("target.mp3", 100, 2);
  StoreOnPlayer("other.mp3", 100, 3);
  ShowMyPc();
  SelectRows({1});
  // Meanwhile the player's order changes: entry 2 is now other.mp3.
  ASSERT_TRUE(player().Store(MediumId::kInternal, u"keep.mp3", Pattern(100, 1)).ok());  // moves keep.mp3 to the end
  Answer({ModalResult::kOk});
  ASSERT_TRUE(my().btnDelete.UserClick());
  ASSERT_EQ(BoxTexts().size(), 2u);
  EXPECT_EQ(BoxTexts()[1], "플레이어의 파일 목록이 바뀌어 목록을 다시 읽었습니다.\r\n지울 파일을 다시 선택해 주세요.");
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"target.mp3", "other.mp3", "keep.mp3"})) << "nothing deleted";
  EXPECT_EQ(Rows(), (std::vector<std::string>{"target.mp3/0k", "other.mp3/0k", "keep.mp3/0k"})) << "read again";
  EXPECT_EQ(my().lvMyDevice.SelectedCount(), 0);
  EXPECT_TRUE(backend().TimerRunning(my().tmrMyDevice));

  // Another player plugged in meanwhile.
  backend().ClearMessageBoxes();
  SelectRows({0});
  driver().Attach(std::make_shared<playerlink::sim::SimulatedPlayer>());
  Answer({ModalResult::kOk});
  ASSERT_TRUE(my().btnDelete.UserClick());
  EXPECT_EQ(BoxTexts().size(), 2u);
  EXPECT_TRUE(Rows().empty()) << "the other player's list";
}

TEST_F(ExplorerFormTest, RowsOfOneCaptionKeepTheirOwnEntries) {
  AddToPlayer("C:\\a\\same.mp3", 100, 1);
  AddToPlayer("C:\\b\\same.mp3", 200, 2);
  ShowMyPc();
  SelectRows({1});
  ASSERT_TRUE(my().btnRead.UserClick());
  EXPECT_EQ(ReadPc(Desktop() / "same.mp3"), Pattern(200, 2)) << "the second row's entry";
  my().lvMyDevice.ClearSelection();
  SelectRows({1});
  Answer({ModalResult::kOk});
  ASSERT_TRUE(my().btnDelete.UserClick());
  ASSERT_EQ(player().Entries(MediumId::kInternal).size(), 1u);
  EXPECT_EQ(PlayerData(0), Pattern(100, 1)) << "the first row's entry stays";
}

TEST_F(ExplorerFormTest, FormatAsksAndShowsWhatIsLeft) {
  StoreOnPlayer("a.mp3", 100);
  ShowMyPc();
  Answer({ModalResult::kCancel});
  my().N1Click();
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"플레이어의 모든 파일이 지워집니다.\r\n포맷하시겠습니까?"}));
  EXPECT_EQ(PlayerNames().size(), 1u);

  backend().ClearMessageBoxes();
  Answer({ModalResult::kOk});
  my().N1Click();
  EXPECT_EQ(BoxTexts().back(), "포맷이 완료되었습니다.");
  EXPECT_TRUE(PlayerNames().empty());
  EXPECT_TRUE(Rows().empty()) << "the list shows the formatted player";

  StoreOnPlayer("b.mp3", 100);
  Faults faults;
  faults.commands.push_back({static_cast<std::uint8_t>(playerlink::CommandCode::kFormat), std::nullopt, true, {}, -1});
  player().SetFaults(faults);
  backend().ClearMessageBoxes();
  Answer({ModalResult::kOk});
  my().N1Click();
  EXPECT_EQ(BoxTexts().back(), "포맷이 실패하였습니다.");
  EXPECT_EQ(Rows(), (std::vector<std::string>{"b.mp3/0k"}));
  EXPECT_TRUE(backend().TimerRunning(my().tmrMyDevice));
}

TEST_F(ExplorerFormTest, DownloadSendsTheSelectedPcFilesAndAsksBeforeOverwriting) {
  StoreOnPlayer("C:\\old\\one.mp3", 100, 9);
  const std::string one = OnDesktop("one.mp3", 30000, 1);
  OnDesktop("two.sa3", 20000, 2);
  fs::create_directories(Desktop() / "folder");
  ShowMyPc();
  SelectPc("one.mp3");
  SelectPc("two.sa3");
  SelectPc("folder");
  Answer({ModalResult::kCancel});
  ASSERT_TRUE(my().btnWrite.UserClick());
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"one.mp3 파일이 존재합니다. 덮어쓰시겠습니까?"}));
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"one.mp3", "two.mp3"})) << "folders are not sent";
  EXPECT_EQ(PlayerData(0), Pattern(100, 9));
  EXPECT_EQ(PlayerData(1), Pattern(20000, 2));
  EXPECT_EQ(Rows(), (std::vector<std::string>{"one.mp3/0k", "two.mp3/20k"})) << "the list is read again";

  backend().ClearMessageBoxes();
  Answer({ModalResult::kOk, ModalResult::kOk});
  my().mmiDownload.UserClick();
  EXPECT_EQ(BoxTexts().size(), 2u);
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"one.mp3", "two.mp3"}));
  EXPECT_EQ(PlayerData(0), Pattern(30000, 1));
}

TEST_F(ExplorerFormTest, DownloadRefusesWhatDoesNotFitAndAnEmptyChoice) {
  OnDesktop("a.mp3", 600000);
  OnDesktop("b.mp3", 500000);
  ShowMyPc();
  my().lbFreeMemSize.SetCaption("1000k");
  SelectPc("a.mp3");
  SelectPc("b.mp3");
  ASSERT_TRUE(my().btnWrite.UserClick());
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"선택한 파일의 용량이 남은 메모리보다 큽니다."}));
  EXPECT_TRUE(PlayerNames().empty());

  backend().ClearMessageBoxes();
  my().ShellListView.ClearSelection();
  ASSERT_TRUE(my().btnWrite.UserClick());
  ASSERT_EQ(BoxTexts().size(), 1u) << "nothing chosen is said, not passed over";
  EXPECT_EQ(BoxTexts()[0], "플레이어로 보낼 파일을 위쪽 목록에서 선택해 주세요.");
}

TEST_F(ExplorerFormTest, UploadReadsTheSelectedRowsIntoTheFolderShown) {
  StoreOnPlayer("C:\\x\\song.mp3", 40000, 3);
  StoreOnPlayer("C:\\x\\other.mp3", 100, 4);
  fs::create_directories(Desktop() / "Music");
  ShowMyPc();
  OpenPc("Music");
  ASSERT_EQ(my().ShellListView.Folder(), common::PathToUtf8(Desktop() / "Music"));
  SelectRows({0, 1});
  ASSERT_TRUE(my().btnRead.UserClick());
  EXPECT_TRUE(backend().MessageBoxes().empty());
  EXPECT_EQ(ReadPc(Desktop() / "Music" / "song.mp3"), Pattern(40000, 3));
  EXPECT_EQ(ReadPc(Desktop() / "Music" / "other.mp3"), Pattern(100, 4));
  EXPECT_EQ(my().ShellListView.Count(), 2) << "the PC list shows what arrived";

  Answer({ModalResult::kCancel});
  my().mmiUpload.UserClick();
  EXPECT_EQ(BoxTexts()[0], common::PathToUtf8(Desktop() / "Music" / "song.mp3") + " 파일이 존재합니다. 덮어쓰시겠습니까?");

  backend().ClearMessageBoxes();
  my().lvMyDevice.ClearSelection();
  ASSERT_TRUE(my().btnRead.UserClick());
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"PC로 가져올 파일을 플레이어 목록에서 선택해 주세요."}));
}

TEST_F(ExplorerFormTest, PcPanelBrowsesTheDesktopAndDeletesFiles) {
  OnDesktop("a.mp3", 10);
  OnDesktop("b.mp3", 10);
  OnDesktop("c.mp3", 10);
  fs::create_directories(Desktop() / "folder");
  ShowMyPc();
  EXPECT_EQ(my().ShellListView.Folder(), common::PathToUtf8(Desktop()));
  EXPECT_EQ(my().ShellTreeView.Root(0)->Text(), "바탕 화면");
  EXPECT_EQ(my().ShellComboBox.Text(), "바탕 화면");
  EXPECT_EQ(my().sbMain.Panel(0).text, "5 개체");  // 내 컴퓨터, folder and three files
  SelectPc("a.mp3");
  EXPECT_EQ(my().sbMain.Panel(0).text, "1 개체가 선택됨");

  Answer({ModalResult::kNo});
  ASSERT_TRUE(my().tbtnDelete.UserClick());
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{common::PathToUtf8(Desktop() / "a.mp3") + " 파일을 삭제하시겠습니까?"}));
  EXPECT_EQ(backend().MessageBoxes()[0].request.title, "파일 삭제 확인");
  EXPECT_TRUE(fs::exists(Desktop() / "a.mp3"));
  Answer({ModalResult::kYes});
  ASSERT_TRUE(my().tbtnDelete.UserClick());
  EXPECT_FALSE(fs::exists(Desktop() / "a.mp3"));

  SelectPc("b.mp3");
  SelectPc("c.mp3");
  SelectPc("folder");
  backend().ClearMessageBoxes();
  Answer({ModalResult::kYes});
  ASSERT_TRUE(my().tbtnDelete.UserClick());
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"선택하신 파일들을 삭제하시겠습니까?"}));
  EXPECT_FALSE(fs::exists(Desktop() / "b.mp3"));
  EXPECT_TRUE(fs::exists(Desktop() / "folder")) << "folders are not deleted";
  EXPECT_EQ(my().ShellListView.Count(), 2);
  EXPECT_EQ(my().sbMain.Panel(0).text, "1 개체가 선택됨") << "the folder left stays selected";

  using Style = gui::ListView::ViewStyle;
  std::vector<Style> styles;
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(my().tbtnSLVStyle.UserClick());
    styles.push_back(my().ShellListView.viewStyle());
  }
  EXPECT_EQ(styles, (std::vector<Style>{Style::kIcon, Style::kSmallIcon, Style::kList, Style::kReport}));
  ASSERT_TRUE(my().pmivsList.UserClick());
  EXPECT_EQ(my().ShellListView.viewStyle(), Style::kList);

  OpenPc("folder");
  ASSERT_TRUE(my().tbtnUpDir.UserClick());
  EXPECT_EQ(my().ShellListView.Folder(), common::PathToUtf8(Desktop()));
}

// A file appears in the folder while the delete question is open: the
// list is read again under the question, and Yes deletes the files chosen,
// not the rows they had.
TEST_F(ExplorerFormTest, PcFilesChosenBeforeTheQuestionAreTheOnesDeleted) {
  OnDesktop("b.mp3", 10);
  OnDesktop("c.mp3", 10);
  OnDesktop("d.mp3", 10);
  ShowMyPc();
  SelectPc("c.mp3");
  SelectPc("d.mp3");
  backend().SetMessageBoxScript([&](const gui::MessageBoxRequest&) {
    OnDesktop("a.mp3", 10);
    EXPECT_GT(backend().NotifyFolderChanged(common::PathToUtf8(Desktop())), 0);
    return ModalResult::kYes;
  });
  ASSERT_TRUE(my().tbtnDelete.UserClick());
  EXPECT_TRUE(fs::exists(Desktop() / "a.mp3"));
  EXPECT_TRUE(fs::exists(Desktop() / "b.mp3")) << "never selected";
  EXPECT_FALSE(fs::exists(Desktop() / "c.mp3"));
  EXPECT_FALSE(fs::exists(Desktop() / "d.mp3"));

  // One file: its path is taken before the question, not read from a list
  // that was replaced under it.
  SelectPc("b.mp3");
  backend().SetMessageBoxScript([&](const gui::MessageBoxRequest&) {
    OnDesktop("e.mp3", 10);
    backend().NotifyFolderChanged(common::PathToUtf8(Desktop()));
    return ModalResult::kYes;
  });
  ASSERT_TRUE(my().tbtnDelete.UserClick());
  EXPECT_FALSE(fs::exists(Desktop() / "b.mp3"));
  EXPECT_TRUE(fs::exists(Desktop() / "a.mp3"));
  EXPECT_TRUE(fs::exists(Desktop() / "e.mp3"));

  // A file written anew under the question is not the one the user chose.
  SelectPc("e.mp3");
  backend().SetMessageBoxScript([&](const gui::MessageBoxRequest&) {
    OnDesktop("e.mp3", 20000, 3);
    return ModalResult::kYes;
  });
  ASSERT_TRUE(my().tbtnDelete.UserClick());
  backend().SetMessageBoxScript(nullptr);
  EXPECT_TRUE(fs::exists(Desktop() / "e.mp3"));
}

// A sync (or a refresh) reads the player list again while the delete
// question is open: the entry the user chose is looked for on the player,
// not in that new list.
TEST_F(ExplorerFormTest, APlayerEntryChosenBeforeTheQuestionIsCheckedAfterIt) {
  StoreOnPlayer("a.mp3", 100, 1);
  StoreOnPlayer("b.mp3", 100, 2);
  StoreOnPlayer("c.mp3", 100, 3);
  ShowMyPc();
  SelectRows({1});
  backend().SetMessageBoxScript([&](const gui::MessageBoxRequest& box) {
    if (box.text == "b.mp3 파일을 삭제하시겠습니까?") {
      // b.mp3 goes and the list is read again, as a nested sync would.
      playerlink::Link link(driver());
      EXPECT_TRUE(link.Open().all());
      EXPECT_TRUE(link.Command(playerlink::kInternalMemoryBase, playerlink::CommandCode::kEntryBlock, 1, 4).ok());
      EXPECT_TRUE(link.WriteBlock(playerlink::BuildSelectionBlock(2)));
      EXPECT_TRUE(link.Command(playerlink::kInternalMemoryBase, playerlink::CommandCode::kDelete, 1, 4).ok());
      link.Close();
      my().aliRefreshExecute();
    }
    return ModalResult::kOk;
  });
  ASSERT_TRUE(my().btnDelete.UserClick());
  backend().SetMessageBoxScript(nullptr);
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"a.mp3", "c.mp3"})) << "c.mp3, now entry 2, stays";
  EXPECT_EQ(BoxTexts().back(), "플레이어의 파일 목록이 바뀌어 목록을 다시 읽었습니다.\r\n지울 파일을 다시 선택해 주세요.");
  EXPECT_EQ(Rows(), (std::vector<std::string>{"a.mp3/0k", "c.mp3/0k"}));
}

TEST_F(ExplorerFormTest, ABusyPlayerKeepsTheListAndSaysSo) {
  StoreOnPlayer("a.mp3", 100, 1);
  ShowMyPc();
  playerlink::Link other(driver());
  ASSERT_TRUE(other.Open().all());
  backend().Advance(kDevicePollMs + 10);
  EXPECT_EQ(my().DeviceState(), TfrmExplorer::kStateWorking) << "busy is not absent";
  EXPECT_EQ(Rows(), (std::vector<std::string>{"a.mp3/0k"}));
  ASSERT_TRUE(my().btnRefresh.UserClick());
  EXPECT_EQ(Rows(), (std::vector<std::string>{"a.mp3/0k"}));
  SelectRows({0});
  Answer({ModalResult::kOk});
  ASSERT_TRUE(my().btnDelete.UserClick());
  EXPECT_EQ(BoxTexts().back(), "다른 작업이 플레이어를 사용하고 있습니다.\r\n잠시 후 다시 해 주세요.");
  other.Close();
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"a.mp3"}));
  EXPECT_EQ(Rows(), (std::vector<std::string>{"a.mp3/0k"}));
}

TEST_F(ExplorerFormTest, TwoChannelRowsOfOneCaptionKeepTheirItemSelected) {
  TSyncItem& item = SyncComponent->Items().Add();
  item.DnFileName = "news.sa3";
  TSyncItem& other = SyncComponent->Items().Add();
  other.DnFileName = "talk.sa3";
  other.IsSelected = true;
  auto& rows = my().lvSyncList;
  rows.AddItem({"news.sa3", {kRowLocal, "3k", "C:/LocalSync/a/news.sa3"}, true});
  rows.AddItem({"news.sa3", {kRowLocal, "2k", "C:/LocalSync/b/news.sa3"}, false});
  my().aliSyncRefreshExecute();
  EXPECT_TRUE(item.IsSelected) << "the ticked row counts, not the later one";
  EXPECT_TRUE(other.IsSelected) << "an item without a row keeps its flag";
  EXPECT_EQ(my().lbSelFileSize.Caption(), "3k");
  rows.SetChecked(0, false);
  my().aliSyncRefreshExecute();
  EXPECT_FALSE(item.IsSelected);
}

TEST_F(ExplorerFormTest, LocalRowsWalkLocalSyncDepthFirstAndFollowNoLinkOutOfIt) {
  const fs::path local = Environment().programFolder / "LocalSync";
  const fs::path outside = root() / "outside";
  fs::create_directories(local / "sub" / "deeper");
  fs::create_directories(outside);
  auto write = [](const fs::path& path, std::size_t size) {
    ASSERT_TRUE(common::WriteFileAtomically(path, Pattern(size, 3)).ok());
  };
  write(local / "a.sa3", 1024);
  write(local / "b.SA3", 1025);
  write(local / "empty.sa3", 0);
  write(local / "note.txt", 10);
  write(local / "sub" / "c.sa3", 1);
  write(local / "sub" / "deeper" / "d.sa3", 4096);
  write(outside / "secret.sa3", 2048);
  // Where the system cannot make links (Windows without the right), the
  // walk is checked without them.
  std::error_code noFileLink, noFolderLink;
  fs::create_symlink(outside / "secret.sa3", local / "linked.sa3", noFileLink);
  fs::create_directory_symlink(outside, local / "away", noFolderLink);
  if (noFileLink || noFolderLink) std::cerr << "links not made: " << noFileLink.message() << "\n";

  ShowMyPc();
  std::vector<std::string> rows;
  for (const auto& row : my().lvSyncList.Items()) {
    EXPECT_EQ(row.subItems.at(0), kRowLocal);
    EXPECT_EQ(row.subItems.at(2).find(common::PathToUtf8(local)), 0u) << row.subItems.at(2);
    rows.push_back(row.caption + "/" + row.subItems.at(1));
  }
  ASSERT_EQ(rows.size(), 5u) << "no row for the linked file, the linked folder or another extension";
  // The folder's own files first, in the file system's order, then its
  // sub-folders depth first.
  std::vector<std::string> top(rows.begin(), rows.begin() + 3);
  std::sort(top.begin(), top.end());
  EXPECT_EQ(top, (std::vector<std::string>{"a.sa3/1k", "b.SA3/2k", "empty.sa3/0k"}));
  EXPECT_EQ(rows[3], "c.sa3/1k");
  EXPECT_EQ(rows[4], "d.sa3/4k");

  // The ticked total, the sizes before the "k".
  for (int i = 0; i < my().lvSyncList.Count(); ++i) ASSERT_TRUE(my().lvSyncList.UserSetChecked(i, true));
  EXPECT_EQ(my().lbSelFileSize.Caption(), "8k");
  for (int i = 0; i < my().lvSyncList.Count(); ++i) ASSERT_TRUE(my().lvSyncList.UserSetChecked(i, false));
  EXPECT_EQ(my().lbSelFileSize.Caption(), "0k");
}

}  // namespace
}  // namespace orvel
