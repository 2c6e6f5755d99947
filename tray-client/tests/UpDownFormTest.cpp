// The transfer dialog on the headless backend with the simulated player:
// both directions, the questions, skips, failures and what the player and
// the PC folder hold afterwards.
#include "tray-client/UpDownForm.h"

#include "common/tests/BusyFile.h"
#include "tray-client/tests/HoldingDriver.h"
#include "tray-client/tests/PlayerTestSupport.h"

namespace orvel {
namespace {

using gui::ModalResult;
namespace fs = std::filesystem;

class UpDownFormTest : public testing::PlayerFormTest {
 protected:
  explicit UpDownFormTest(playerlink::sim::PlayerSettings settings = {}) : PlayerFormTest(settings) {}

  // Runs the dialog modally. Each message box is answered from `answers`
  // in turn (OK when they run out), with the dialog's status at that moment
  // kept in statusAtBox_.
  void Run(std::uint8_t direction, std::vector<std::string> files, std::vector<ModalResult> answers = {},
           std::vector<std::string> playerFiles = {}) {
    TfrmUpDown dialog(through_ ? through_ : &driver());
    running_ = &dialog;
    dialog.SetCaption(direction == TfrmUpDown::kPlayerToPc ? kCaptionUpload : kCaptionDownload);
    dialog.Direction = direction;
    dialog.FileList = std::move(files);
    dialog.TargetFolder = common::PathToUtf8(Pc()) + "/";
    dialog.PlayerFiles = std::move(playerFiles);
    std::size_t next = 0;
    backend().SetMessageBoxScript([&](const gui::MessageBoxRequest&) {
      statusAtBox_.push_back(dialog.lbStatus.Caption());
      if (onBox_) onBox_(dialog);
      return next < answers.size() ? answers[next++] : ModalResult::kOk;
    });
    EXPECT_EQ(dialog.ShowModal(), ModalResult::kOk);
    backend().SetMessageBoxScript(nullptr);
    finalStatus_ = dialog.lbStatus.Caption();
    finalHint_ = dialog.lbStatus.Hint();
    finalTotal_ = dialog.gaTotalFile.Position();
    finalTotalMax_ = dialog.gaTotalFile.Max();
    finalCurrent_ = dialog.Current();
    finalAnimated_ = dialog.RxGIFAnimator.Animated();
    running_ = nullptr;
  }

  std::vector<std::string> statusAtBox_;
  std::function<void(TfrmUpDown&)> onBox_;
  playerlink::Driver* through_ = nullptr;  // the dialog's driver when set
  TfrmUpDown* running_ = nullptr;          // the dialog while Run runs
  std::string finalStatus_, finalHint_;
  int finalTotal_ = 0, finalTotalMax_ = 0, finalCurrent_ = -1;
  bool finalAnimated_ = true;
};

TEST_F(UpDownFormTest, DialogLooksAsDesigned) {
  TfrmUpDown dialog(&driver());
  EXPECT_FALSE(dialog.BorderIcons());
  EXPECT_EQ(dialog.Width(), 363);
  EXPECT_EQ(dialog.Height(), 121);
  EXPECT_EQ(dialog.btnCancel.Caption(), "Cancel");
  EXPECT_FALSE(dialog.btnCancel.Enabled());
  EXPECT_EQ(dialog.lbCurrentFile.Caption(), "현재 파일");
  EXPECT_EQ(dialog.lbTotalFile.Caption(), "전체 진행");
  EXPECT_EQ(dialog.gaCurrentFile.BarColor(), 0x000080u);
  EXPECT_TRUE(dialog.lbStatus.WordWrap());
}

TEST_F(UpDownFormTest, AnEmptyListClosesAtOnce) {
  Run(TfrmUpDown::kPcToPlayer, {});
  EXPECT_TRUE(backend().MessageBoxes().empty());
  EXPECT_FALSE(finalAnimated_);
  EXPECT_TRUE(PlayerNames().empty());
}

TEST_F(UpDownFormTest, ThreeFilesToThePlayerWithTheSecondDeclined) {
  StoreOnPlayer("C:\\old\\a.mp3", 100, 9);
  StoreOnPlayer("C:\\old\\b.mp3", 100, 9);
  StoreOnPlayer("C:\\old\\c.mp3", 100, 9);
  const std::string a = PcFile("a.mp3", 40000, 1);
  const std::string b = PcFile("b.mp3", 20000, 2);
  const std::string c = PcFile("c.SA3", 70000, 3);
  // Progress 40 on the second of three files, as its thread would report it.
  onBox_ = [&](TfrmUpDown& dialog) {
    if (dialog.Current() == 1) gui::App().Send(dialog, kWmUpDnProgress, 1, 40);
  };
  Run(TfrmUpDown::kPcToPlayer, {a, b, c}, {ModalResult::kOk, ModalResult::kCancel, ModalResult::kOk},
      {"a.mp3", "b.mp3", "c.mp3", "d.mp3"});

  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"a.mp3 파일이 존재합니다. 덮어쓰시겠습니까?",
                                                  "b.mp3 파일이 존재합니다. 덮어쓰시겠습니까?",
                                                  "c.mp3 파일이 존재합니다. 덮어쓰시겠습니까?"}))
      << "the .sa3 file is looked for under its .mp3 name";
  EXPECT_EQ(backend().MessageBoxes()[0].request.title, "파일 덮어쓰기");
  EXPECT_EQ(backend().MessageBoxes()[0].request.buttons, gui::Buttons::kOkCancel);
  ASSERT_EQ(statusAtBox_.size(), 3u);
  EXPECT_EQ(statusAtBox_[1], "a.mp3파일 다운로드 완료");
  EXPECT_EQ(statusAtBox_[2], "b.mp3파일 다운로드 취소") << "the declined file gets no thread";
  EXPECT_EQ(finalStatus_, "c.SA3파일 다운로드 완료") << "the PC name, extension unchanged";
  EXPECT_EQ(finalHint_, finalStatus_);
  EXPECT_EQ(finalTotalMax_, 300);
  EXPECT_EQ(finalCurrent_, 3);
  EXPECT_FALSE(finalAnimated_);

  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"a.mp3", "b.mp3", "c.mp3"}));
  EXPECT_EQ(PlayerData(0), Pattern(40000, 1));
  EXPECT_EQ(PlayerData(1), Pattern(100, 9)) << "declined: the old file stays";
  EXPECT_EQ(PlayerData(2), Pattern(70000, 3));
  const auto header = playerlink::ParseFileHeader(player().Entries(MediumId::kInternal)[2].header);
  EXPECT_EQ(*common::Utf16ToUtf8(header->name), PlayerNameFor(c)) << "the full path goes into the header";
}

TEST_F(UpDownFormTest, ProgressOnTheSecondOfThreeFillsTheTotalGauge) {
  StoreOnPlayer("C:\\old\\b.mp3", 100, 9);
  const std::string a = PcFile("a.mp3", 100), b = PcFile("b.mp3", 100), c = PcFile("c.mp3", 100);
  int totalAtBox = -1;
  std::string statusAfter;
  onBox_ = [&](TfrmUpDown& dialog) {
    gui::App().Send(dialog, kWmUpDnProgress, 1, 40);
    totalAtBox = dialog.gaTotalFile.Position();
    statusAfter = dialog.lbStatus.Caption();
  };
  Run(TfrmUpDown::kPcToPlayer, {a, b, c}, {ModalResult::kCancel}, {"b.mp3"});
  EXPECT_EQ(totalAtBox, 140);
  EXPECT_EQ(statusAfter, "b.mp3파일 다운로드중");
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"b.mp3", "a.mp3", "c.mp3"}));
}

class UpDownFormAddingPlayerTest : public UpDownFormTest {
 protected:
  static playerlink::sim::PlayerSettings Adding() {
    playerlink::sim::PlayerSettings settings;
    settings.replacesSameName = false;
    return settings;
  }
  UpDownFormAddingPlayerTest() : UpDownFormTest(Adding()) {}
};

TEST_F(UpDownFormAddingPlayerTest, AnAgreedOverwriteLeavesOneEntryOfThatName) {
  StoreOnPlayer("C:\\old\\first.mp3", 300, 4);
  StoreOnPlayer("C:\\old\\song.mp3", 300, 5);
  StoreOnPlayer("C:\\old\\last.mp3", 300, 6);
  const std::string song = PcFile("song.mp3", 50000, 7);
  const std::string other = PcFile("other.mp3", 1000, 8);
  Run(TfrmUpDown::kPcToPlayer, {song, other}, {ModalResult::kOk}, {"first.mp3", "song.mp3", "last.mp3"});
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"first.mp3", "last.mp3", "song.mp3", "other.mp3"}));
  EXPECT_EQ(PlayerData(2), Pattern(50000, 7)) << "the new file stays, the old one went";
  EXPECT_EQ(PlayerData(0), Pattern(300, 4));
  EXPECT_EQ(PlayerData(1), Pattern(300, 6));
}

TEST_F(UpDownFormAddingPlayerTest, ADeclinedOrFailedOverwriteKeepsTheOldEntry) {
  StoreOnPlayer("C:\\old\\song.mp3", 300, 5);
  const std::string song = PcFile("song.mp3", 50000, 7);
  Run(TfrmUpDown::kPcToPlayer, {song}, {ModalResult::kCancel}, {"song.mp3"});
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"song.mp3"}));

  playerlink::sim::Faults faults;
  faults.shortBlocks.push_back({false, 2, std::nullopt, 100, 1});  // the first data block goes out short
  player().SetFaults(faults);
  backend().ClearMessageBoxes();
  Run(TfrmUpDown::kPcToPlayer, {song}, {ModalResult::kOk}, {"song.mp3"});
  EXPECT_EQ(BoxTexts().back(), "파일전송에 실패했습니다.");
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"song.mp3"}));
  EXPECT_EQ(PlayerData(0), Pattern(300, 5));
}

// The list shown when the dialog opened is stale: it lacks song.mp3, which
// the player holds, and still shows gone.mp3, which the player no longer
// holds. The question goes by the player itself.
TEST_F(UpDownFormAddingPlayerTest, TheOverwriteQuestionGoesByThePlayerNotByTheListShown) {
  StoreOnPlayer("C:\\old\\song.mp3", 300, 5);
  StoreOnPlayer("C:\\old\\keep.mp3", 300, 6);
  const std::string song = PcFile("song.mp3", 50000, 7);
  const std::string gone = PcFile("gone.mp3", 1000, 8);
  Run(TfrmUpDown::kPcToPlayer, {song}, {ModalResult::kCancel}, {"keep.mp3", "gone.mp3"});
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"song.mp3 파일이 존재합니다. 덮어쓰시겠습니까?"}));
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"song.mp3", "keep.mp3"})) << "declined: nothing written";

  backend().ClearMessageBoxes();
  Run(TfrmUpDown::kPcToPlayer, {song, gone}, {ModalResult::kOk}, {"keep.mp3", "gone.mp3"});
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"song.mp3 파일이 존재합니다. 덮어쓰시겠습니까?"}))
      << "gone.mp3 is not on the player: no question";
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"keep.mp3", "song.mp3", "gone.mp3"})) << "never two of a name";
  EXPECT_EQ(PlayerData(1), Pattern(50000, 7));
  EXPECT_EQ(PlayerData(2), Pattern(1000, 8));
}

// A directory read moves every entry's block over the link: the dialog
// reads it once and follows its own writes and deletes from there.
int DirectoryReads(std::vector<playerlink::sim::Event> events) {
  int reads = 0;
  for (const auto& e : events) {
    reads += e.kind == playerlink::sim::Event::Kind::kCommand &&
             e.request.commandByte ==
                 playerlink::CommandByte(playerlink::kInternalMemoryBase, playerlink::CommandCode::kReadDirectory);
  }
  return reads;
}

TEST_F(UpDownFormTest, ThePlayerIsReadOnceForTheWholeList) {
  StoreOnPlayer("C:\\old\\b.mp3", 100, 9);
  const std::string a = PcFile("a.mp3", 40000, 1), b = PcFile("b.mp3", 20000, 2), c = PcFile("c.mp3", 100, 3);
  const std::string again = PcFile("again/a.mp3", 500, 4);
  (void)player().TakeEvents();
  Run(TfrmUpDown::kPcToPlayer, {a, b, c, again}, {ModalResult::kOk, ModalResult::kOk});
  EXPECT_EQ(DirectoryReads(player().TakeEvents()), 1);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"b.mp3 파일이 존재합니다. 덮어쓰시겠습니까?",
                                                  "a.mp3 파일이 존재합니다. 덮어쓰시겠습니까?"}))
      << "a file the dialog itself wrote is on the player for the next question";
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"b.mp3", "a.mp3", "c.mp3"}));
  EXPECT_EQ(PlayerData(0), Pattern(20000, 2));
  EXPECT_EQ(PlayerData(1), Pattern(500, 4));
}

// The directory read when the dialog shows runs off the GUI thread: the
// thread handles what comes meanwhile, no input reaches the dialog, no file
// has started, and the questions go by what the read gave.
TEST_F(UpDownFormTest, TheReadWhenTheDialogShowsLeavesTheGuiThreadHandlingMessagesButNoInput) {
  StoreOnPlayer("C:\\old\\b.mp3", 100, 9);
  const std::string a = PcFile("a.mp3", 300, 1), b = PcFile("b.mp3", 200, 2);
  testing::HoldingDriver holding(driver(), app().WorkerQueue());
  through_ = &holding;
  bool acceptedInput = true;
  int fileMeanwhile = -1;
  std::string statusMeanwhile = "?";
  holding.Arm([&] {
    ASSERT_NE(running_, nullptr);
    acceptedInput = gui::App().AcceptsInput(running_->btnCancel);
    fileMeanwhile = running_->Current();
    statusMeanwhile = running_->lbStatus.Caption();
  });
  (void)player().TakeEvents();
  Run(TfrmUpDown::kPcToPlayer, {a, b}, {ModalResult::kOk});
  EXPECT_TRUE(holding.Ran()) << "the GUI thread handled the call during the read";
  EXPECT_FALSE(acceptedInput);
  EXPECT_EQ(fileMeanwhile, 0);
  EXPECT_EQ(statusMeanwhile, "") << "no file started before the read ended";
  EXPECT_EQ(DirectoryReads(player().TakeEvents()), 1);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"b.mp3 파일이 존재합니다. 덮어쓰시겠습니까?"}));
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"b.mp3", "a.mp3"}));
  EXPECT_EQ(PlayerData(0), Pattern(200, 2));
  EXPECT_EQ(PlayerData(1), Pattern(300, 1));
}

TEST_F(UpDownFormAddingPlayerTest, AnAgreedOverwriteDeletesOnlyTheEntryTheQuestionNamed) {
  StoreOnPlayer("C:\\rock\\a.mp3", 300, 4);
  AddToPlayer("C:\\jazz\\a.mp3", 400, 5);
  StoreOnPlayer("C:\\x.mp3", 200, 6);
  const std::string a = PcFile("a.mp3", 50000, 7);
  const std::string y = PcFile("y.mp3", 100, 8);
  (void)player().TakeEvents();
  Run(TfrmUpDown::kPcToPlayer, {a, y}, {ModalResult::kOk});
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"a.mp3 파일이 존재합니다. 덮어쓰시겠습니까?"}));
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"a.mp3", "x.mp3", "a.mp3", "y.mp3"}));
  EXPECT_EQ(PlayerData(0), Pattern(400, 5)) << "jazz\\a.mp3 was never asked about and stays";
  EXPECT_EQ(PlayerData(2), Pattern(50000, 7));
  EXPECT_EQ(PlayerData(3), Pattern(100, 8));
  EXPECT_EQ(DirectoryReads(player().TakeEvents()), 1);
}

TEST_F(UpDownFormAddingPlayerTest, TheNamedEntryIsCheckedOnThePlayerBeforeItGoes) {
  StoreOnPlayer("C:\\rock\\a.mp3", 300, 4);
  StoreOnPlayer("C:\\b.mp3", 200, 6);
  const std::string a = PcFile("a.mp3", 50000, 7);
  // While the question is open another program deletes rock\\a.mp3 and
  // stores another a.mp3: the count is as before, entry 1 is another file.
  onBox_ = [&](TfrmUpDown&) {
    playerlink::sim::SimulatedDriver otherProgram(driver().player());
    playerlink::Link link(otherProgram);
    ASSERT_TRUE(link.Open().all());
    ASSERT_TRUE(link.Command(playerlink::kInternalMemoryBase, playerlink::CommandCode::kEntryBlock, 1, 4).ok());
    ASSERT_TRUE(link.WriteBlock(playerlink::BuildSelectionBlock(1)));
    ASSERT_TRUE(link.Command(playerlink::kInternalMemoryBase, playerlink::CommandCode::kDelete, 1, 4).ok());
    link.Close();
    AddToPlayer("C:\\pop\\a.mp3", 999, 9);
  };
  Run(TfrmUpDown::kPcToPlayer, {a}, {ModalResult::kOk});
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"b.mp3", "a.mp3", "a.mp3"}));
  EXPECT_EQ(PlayerData(0), Pattern(200, 6)) << "entry 1 is no longer the one the user was asked about: it stays";
  EXPECT_EQ(PlayerData(1), Pattern(999, 9));
  EXPECT_EQ(PlayerData(2), Pattern(50000, 7));
}

TEST_F(UpDownFormTest, ATransferDialogWaitsItsTurnWithThePlayer) {
  const std::string a = PcFile("a.mp3", 100, 1);
  playerlink::Link other(driver());
  ASSERT_TRUE(other.Open().all());
  Run(TfrmUpDown::kPcToPlayer, {a});
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{
                            "다른 작업이 플레이어를 사용하고 있어 파일을 보내지 않았습니다.\r\n잠시 후 다시 해 주세요."}));
  other.Close();
  EXPECT_TRUE(PlayerNames().empty());
  backend().ClearMessageBoxes();
  Run(TfrmUpDown::kPcToPlayer, {a});
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"a.mp3"}));
}

TEST_F(UpDownFormTest, AFailureEndsTheWholeList) {
  const std::string a = PcFile("a.mp3", 40000), b = PcFile("b.mp3", 100), c = PcFile("c.mp3", 100);
  playerlink::sim::Faults faults;
  // Code 1 answers 0: no room.
  faults.commands.push_back({static_cast<std::uint8_t>(playerlink::CommandCode::kBeginWrite), std::nullopt, false,
                             playerlink::CommandAnswer{}, -1});
  player().SetFaults(faults);
  Run(TfrmUpDown::kPcToPlayer, {a, b, c});
  ASSERT_EQ(backend().MessageBoxes().size(), 1u);
  EXPECT_EQ(backend().MessageBoxes()[0].request.text, "파일전송에 실패했습니다.");
  EXPECT_EQ(backend().MessageBoxes()[0].request.title, "파일 전송실패");
  EXPECT_EQ(backend().MessageBoxes()[0].request.icon, gui::MsgIcon::kWarning);
  EXPECT_EQ(finalCurrent_, 0) << "the other two are not attempted";
  EXPECT_TRUE(PlayerNames().empty());
}

TEST_F(UpDownFormTest, ABusyFileIsSentOnlyWhenTheUserAgrees) {
  const std::string busy = PcFile("busy.mp3", 5000, 3);
  common::testing::BusyFile holder(common::PathFromUtf8(busy));
  Run(TfrmUpDown::kPcToPlayer, {busy}, {ModalResult::kCancel});
  ASSERT_EQ(backend().MessageBoxes().size(), 1u);
  EXPECT_EQ(backend().MessageBoxes()[0].request.text,
            "다른 프로그램이 파일을 사용하고 있습니다.\r\n정상적으로 전송이 되지 않을 수 있습니다.");
  EXPECT_EQ(backend().MessageBoxes()[0].request.title, "파일 사용중");
  EXPECT_EQ(finalStatus_, "busy.mp3파일 다운로드 취소");
  EXPECT_TRUE(PlayerNames().empty());

  Run(TfrmUpDown::kPcToPlayer, {busy}, {ModalResult::kOk});
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"busy.mp3"}));
  EXPECT_EQ(PlayerData(0), Pattern(5000, 3));
}

TEST_F(UpDownFormTest, AMissingPcFileIsSkipped) {
  const std::string here = PcFile("here.mp3", 100);
  Run(TfrmUpDown::kPcToPlayer, {common::PathToUtf8(Pc() / "gone.mp3"), here});
  EXPECT_TRUE(backend().MessageBoxes().empty());
  EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"here.mp3"}));
}

TEST_F(UpDownFormTest, PlayerFilesArriveByteForByteUnderTheirRowsNames) {
  AddToPlayer("C:\\a\\same.mp3", 100, 1);
  AddToPlayer("C:\\b\\same.mp3", 32768, 2);
  StoreOnPlayer("D:\\노래.mp3", 40000, 3);
  // Two rows of one caption: the row index says which entry is read.
  Run(TfrmUpDown::kPlayerToPc, {"1/same.mp3", "2/노래.mp3"});
  EXPECT_TRUE(backend().MessageBoxes().empty());
  EXPECT_EQ(ReadPc(Pc() / "same.mp3"), Pattern(32768, 2));
  EXPECT_EQ(ReadPc(Pc() / u8"노래.mp3"), Pattern(40000, 3));
  EXPECT_EQ(finalStatus_, "노래.mp3파일 업로드 완료");
  EXPECT_EQ(PcNames(Pc()), (std::vector<std::string>{"same.mp3", "노래.mp3"})) << "no temporary file left";
}

TEST_F(UpDownFormTest, OverwriteOnThePcIsAskedForTheFileOnDiskWhateverItsCase) {
  StoreOnPlayer("C:\\song.mp3", 20000, 5);
  StoreOnPlayer("C:\\new.mp3", 100, 6);
  PcFile("SONG.MP3", 10, 1);
  Run(TfrmUpDown::kPlayerToPc, {"0/song.mp3"}, {ModalResult::kCancel});
  ASSERT_EQ(BoxTexts().size(), 1u);
  EXPECT_EQ(BoxTexts()[0], common::PathToUtf8(Pc() / "SONG.MP3") + " 파일이 존재합니다. 덮어쓰시겠습니까?");
  EXPECT_EQ(ReadPc(Pc() / "SONG.MP3"), Pattern(10, 1)) << "declined: untouched";

  backend().ClearMessageBoxes();
  Run(TfrmUpDown::kPlayerToPc, {"0/song.mp3", "1/new.mp3"}, {ModalResult::kOk});
  EXPECT_EQ(BoxTexts().size(), 1u) << "new.mp3 is not on disk: no question";
  EXPECT_EQ(PcNames(Pc()), (std::vector<std::string>{"SONG.MP3", "new.mp3"})) << "the file on disk was replaced";
  EXPECT_EQ(ReadPc(Pc() / "SONG.MP3"), Pattern(20000, 5));
}

TEST_F(UpDownFormTest, PlayerNamesThatAreNoPlainPcFileNameAreRefused) {
  const fs::path inner = Pc() / "inner";
  fs::create_directories(inner);
  std::vector<std::string> lines;
  int row = 0;
  for (const std::string& name : std::initializer_list<std::string>{"..", "con.mp3", "a:b.mp3", "what?.mp3", "dot.mp3.", "", "ok.mp3"}) {
    AddToPlayer(name, 50);
    lines.push_back(std::to_string(row++) + "/" + name);
  }
  TfrmUpDown dialog(&driver());
  dialog.SetCaption(kCaptionUpload);
  dialog.Direction = TfrmUpDown::kPlayerToPc;
  dialog.FileList = lines;
  dialog.TargetFolder = common::PathToUtf8(inner) + "/";
  dialog.ShowModal();
  EXPECT_EQ(PcNames(inner), (std::vector<std::string>{"ok.mp3"}));
  EXPECT_EQ(PcNames(Pc()), (std::vector<std::string>{"inner"})) << "nothing written beside the target folder";
  ASSERT_EQ(backend().MessageBoxes().size(), 6u);
  EXPECT_EQ(BoxTexts()[1], "con.mp3 파일은 PC에서 쓸 수 없는 이름이라 받지 않습니다.");
  EXPECT_EQ(backend().MessageBoxes()[1].request.title, "파일 이름 오류");
}

TEST_F(UpDownFormTest, AFolderOfThatNameIsNotOverwritten) {
  StoreOnPlayer("C:\\song.mp3", 100, 5);
  fs::create_directories(Pc() / "song.mp3");
  Run(TfrmUpDown::kPlayerToPc, {"0/song.mp3"});
  ASSERT_EQ(BoxTexts().size(), 1u);
  EXPECT_NE(BoxTexts()[0].find("폴더가 있어"), std::string::npos);
  EXPECT_TRUE(fs::is_directory(Pc() / "song.mp3"));
}

TEST(PlayerNameForTest, OnlyTheSa3ExtensionBecomesMp3) {
  EXPECT_EQ(PlayerNameFor("C:/music/a.sa3"), "C:/music/a.mp3");
  EXPECT_EQ(PlayerNameFor("C:/music/a.SA3"), "C:/music/a.mp3");
  EXPECT_EQ(PlayerNameFor("C:/music/a.mp3"), "C:/music/a.mp3");
  EXPECT_EQ(PlayerNameFor("C:/music/a.sa3.wav"), "C:/music/a.sa3.wav");
  EXPECT_EQ(PlayerNameFor("C:/music.sa3/a"), "C:/music.sa3/a");
}

}  // namespace
}  // namespace orvel
