// The upload command (player to PC), headless, against the in-process
// simulated player: the Save dialog and the folder rule, whole files only,
// the recovery when the player fails or goes away, drops, the models.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/File.h"
#include "transfer-manager/dravik/QueueReader.h"
#include "transfer-manager/frmProgress.h"
#include "transfer-manager/modFunctions.h"
#include "transfer-manager/modUpload.h"
#include "transfer-manager/tests/HalvernTestSupport.h"

namespace halvern {
namespace {

using namespace playerlink;
using gui::ModalResult;
using sim::Faults;
using sim::MediumId;

// The transport library's reader over the test's own driver (the built DLL
// would look for the system's player).
class ReaderTransport : public TransportLibrary {
 public:
  explicit ReaderTransport(Driver& driver) : reader_(driver) {}
  bool Init(std::uintptr_t inPipe, std::uint32_t blocks) override {
    ++inits;
    return reader_.Init(inPipe, blocks);
  }
  bool ReadQueue(std::span<std::uint8_t, kBlockSize> block) override { return reader_.ReadQueue(block); }
  void Cancel() override {
    ++cancels;
    reader_.Cancel();
  }
  int inits = 0, cancels = 0;

 private:
  dravik::QueueReader reader_;
};

// A driver in front of the simulated one whose sessions lose, once, the
// block that follows a code 2 asking for a whole file: the player sent it,
// the read call reports a failure.
class LosingDriver : public Driver {
 public:
  explicit LosingDriver(Driver& inner) : inner_(inner) {}
  std::unique_ptr<DriverSession> NewSession() override {
    return std::make_unique<Session>(*this, inner_.NewSession());
  }
  bool lost = false;

 private:
  class Session : public DriverSession {
   public:
    Session(LosingDriver& owner, std::unique_ptr<DriverSession> inner) : owner_(owner), inner_(std::move(inner)) {}
    bool Open(playerlink::Device d) override { return inner_->Open(d); }
    void Close(playerlink::Device d) override { inner_->Close(d); }
    bool IsOpen(playerlink::Device d) const override { return inner_->IsOpen(d); }
    std::optional<std::size_t> Control(std::span<std::uint8_t> buffer, std::size_t requestSize) override {
      const auto request = DecodeCommand(buffer);
      armed_ = request && request->argument > 1 &&
               (request->commandByte == CommandByte(kInternalMemoryBase, CommandCode::kReadEntry) ||
                request->commandByte == CommandByte(kCardBase, CommandCode::kReadEntry));
      return inner_->Control(buffer, requestSize);
    }
    std::optional<std::size_t> Write(std::span<const std::uint8_t> data) override { return inner_->Write(data); }
    std::optional<std::size_t> Read(std::span<std::uint8_t> data) override {
      auto moved = inner_->Read(data);
      if (armed_ && !owner_.lost) {
        owner_.lost = true;
        return std::nullopt;
      }
      armed_ = false;
      return moved;
    }

   private:
    LosingDriver& owner_;
    std::unique_ptr<DriverSession> inner_;
    bool armed_ = false;
  };
  Driver& inner_;
};

std::vector<std::uint8_t> Pattern(std::size_t n, unsigned seed) {
  std::vector<std::uint8_t> out(n);
  for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>((i * 131 + seed * 17 + i / 251) & 0xFF);
  return out;
}

class UploadTest : public testing::HalvernTest {
 protected:
  UploadTest() { UseModel(0x10); }  // "F010", the model that uploads

  void UseModel(std::uint8_t low) {
    sim::PlayerSettings settings;
    settings.modelLow = low;
    player = std::make_shared<sim::SimulatedPlayer>(settings);
    driver.Attach(player);
  }
  void Put(const std::u16string& name, std::vector<std::uint8_t> data) {
    ASSERT_TRUE(player->Store(MediumId::kInternal, name, data));
    stored.push_back(std::move(data));
  }
  ShapeForm& Ready() {
    ShapeForm& form = StartAndRead();
    auto t = std::make_unique<ReaderTransport>(driver);
    transport = t.get();
    SetTransport(std::move(t));
    (void)TakeBoxes();
    return form;
  }
  void Select(ShapeForm& form, std::initializer_list<int> rows) {
    for (int r : rows) ASSERT_TRUE(form.lvwGetFileList.UserSetSelected(r, true));
  }
  void AnswerSave(const std::filesystem::path& target) {
    gui::FileDialogAnswer a;
    a.ok = true;
    a.paths = {TextOfPath(target)};
    backend().QueueFileDialogAnswer(a);
  }
  std::vector<std::uint8_t> Contents(const std::filesystem::path& p) {
    auto text = common::ReadWholeFile(p, 1u << 24);
    EXPECT_TRUE(text) << TextOfPath(p);
    if (!text) return {};
    return std::vector<std::uint8_t>(text->begin(), text->end());
  }
  // Names of the files in a folder (temporary files would show here).
  std::vector<std::string> FilesIn(const std::filesystem::path& folder) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(folder)) out.push_back(TextOfPath(e.path().filename()));
    std::sort(out.begin(), out.end());
    return out;
  }
  bool DirectoryReadAfter(const std::vector<sim::Event>& events) {
    for (const auto& e : events) {
      if (e.kind == sim::Event::Kind::kCommand &&
          e.request.commandByte == CommandByte(kInternalMemoryBase, CommandCode::kDirectoryInfo)) {
        return true;
      }
    }
    return false;
  }
  std::filesystem::path Out() {
    std::filesystem::create_directories(Pc("out"));
    return Pc("out");
  }

  std::vector<std::vector<std::uint8_t>> stored;
  ReaderTransport* transport = nullptr;
};

TEST_F(UploadTest, OneEntryThroughTheSaveDialogArrivesWhole) {
  Put(u"C:\\Music\\first.mp3", Pattern(1000, 1));
  Put(u"D:\\가요\\둘째.mp3", Pattern(40000, 2));
  ShapeForm& form = Ready();
  Select(form, {1});
  EXPECT_TRUE(form.imgUpload.Enabled());
  AnswerSave(Out() / "copy.mp3");
  (void)player->TakeEvents();
  ASSERT_TRUE(form.imgUpload.UserClick());

  ASSERT_EQ(backend().FileDialogs().size(), 1u);
  const auto& req = backend().FileDialogs()[0].request;
  EXPECT_TRUE(req.save);
  EXPECT_EQ(req.title, "Save to disk");
  EXPECT_EQ(req.initialFolder, "C:\\");
  EXPECT_EQ(req.fileName, "둘째.mp3");
  ASSERT_EQ(req.filters.size(), 2u);
  EXPECT_EQ(req.filters[0].description, "MP3 Files (*.MP3)");
  EXPECT_EQ(req.filterIndex, 1);

  EXPECT_EQ(Contents(Out() / "copy.mp3"), stored[1]);
  EXPECT_EQ(FilesIn(Out()), std::vector<std::string>{"copy.mp3"});
  EXPECT_EQ(LastSaveFolder(), TextOfPath(Out()));
  EXPECT_TRUE(TakeBoxes().empty());
  // The progress window showed the file and is gone; the directory is read
  // again; the controls are back.
  EXPECT_EQ(frmProgress->lblFileName.Caption(), "File Name : 둘째.mp3");
  EXPECT_EQ(frmProgress->lblFileSize.Caption(), "File Size : 40,000 Bytes");
  EXPECT_FALSE(frmProgress->Visible());
  EXPECT_TRUE(DirectoryReadAfter(player->TakeEvents()));
  EXPECT_TRUE(form.imgReflash.Enabled());
  EXPECT_GE(transport->inits, 1);
  EXPECT_FALSE(Device().IsOpen());
}

TEST_F(UploadTest, SeveralEntriesOneDialogTheRestInTheSameFolder) {
  Put(u"C:\\a\\exact.mp3", Pattern(kBlockSize, 3));        // one data block
  Put(u"C:\\a\\skip.mp3", Pattern(10, 4));
  Put(u"C:\\b\\one-more.mp3", Pattern(kBlockSize + 1, 5));  // the last block holds one byte
  Put(u"empty.mp3", {});
  ShapeForm& form = Ready();
  Select(form, {0, 2, 3});
  AnswerSave(Out() / "chosen.mp3");
  ASSERT_TRUE(form.imgUpload.UserClick());

  EXPECT_EQ(backend().FileDialogs().size(), 1u);
  EXPECT_EQ(FilesIn(Out()), (std::vector<std::string>{"chosen.mp3", "empty.mp3", "one-more.mp3"}));
  EXPECT_EQ(Contents(Out() / "chosen.mp3"), stored[0]);
  EXPECT_EQ(Contents(Out() / "one-more.mp3"), stored[2]);
  EXPECT_EQ(std::filesystem::file_size(Out() / "empty.mp3"), 0u);

  // The next command starts the dialog in the folder chosen last.
  std::filesystem::create_directories(Pc("second"));
  Select(form, {1});
  AnswerSave(Pc("second") / "skip.mp3");
  ASSERT_TRUE(form.imgUpload.UserClick());
  ASSERT_EQ(backend().FileDialogs().size(), 2u);
  EXPECT_EQ(backend().FileDialogs()[1].request.initialFolder, TextOfPath(Out()));
  EXPECT_EQ(Contents(Pc("second") / "skip.mp3"), stored[1]);
}

TEST_F(UploadTest, CancelInTheProgressWindowFinishesTheFileAndSkipsTheRest) {
  Put(u"one.mp3", Pattern(4 * kBlockSize, 23));
  Put(u"two.mp3", Pattern(100, 24));
  ShapeForm& form = Ready();
  Select(form, {0, 1});
  // The user presses Cancel once the first block has arrived: the press
  // waits in the queue until the transfer lets messages through.
  constexpr std::uint32_t kPressCancel = 0x8123;
  frmProgress->SetMessageHandler(kPressCancel, [](std::uintptr_t, std::intptr_t) {
    EXPECT_TRUE(frmProgress->cmdCancel.UserClick());
    return 0;
  });
  backend().SetFileDialogScript([&](const gui::FileDialogRequest&) {
    app().Post(*frmProgress, kPressCancel);
    gui::FileDialogAnswer a;
    a.ok = true;
    a.paths = {TextOfPath(Out() / "one.mp3")};
    return a;
  });
  (void)player->TakeEvents();
  ASSERT_TRUE(form.imgUpload.UserClick());
  EXPECT_EQ(Contents(Out() / "one.mp3"), stored[0]);
  EXPECT_EQ(FilesIn(Out()), std::vector<std::string>{"one.mp3"});
  EXPECT_FALSE(DirectoryReadAfter(player->TakeEvents()));
  EXPECT_FALSE(Vars().transferCancelled);
  EXPECT_TRUE(form.imgReflash.Enabled());
}

TEST_F(UploadTest, ACancelledDialogCopiesNothing) {
  Put(u"a.mp3", Pattern(500, 6));
  Put(u"b.mp3", Pattern(500, 7));
  ShapeForm& form = Ready();
  Select(form, {0, 1});
  (void)Out();
  (void)player->TakeEvents();
  ASSERT_TRUE(form.imgUpload.UserClick());  // no answer queued: cancelled
  EXPECT_EQ(backend().FileDialogs().size(), 1u);
  EXPECT_TRUE(FilesIn(Out()).empty());
  EXPECT_TRUE(LastSaveFolder().empty());
  EXPECT_TRUE(TakeBoxes().empty());
  EXPECT_TRUE(DirectoryReadAfter(player->TakeEvents()));
  EXPECT_TRUE(form.imgReflash.Enabled());
}

TEST_F(UploadTest, AnExistingFileIsKeptOnCancelAndReplacedOnOk) {
  Put(u"song.mp3", Pattern(30000, 8));
  Put(u"other.mp3", Pattern(20000, 9));
  ShapeForm& form = Ready();
  Touch(Out() / "Other.MP3", 5);  // the same name to Windows
  Touch(Out() / "mine.mp3", 7);
  Select(form, {0, 1});
  AnswerSave(Out() / "mine.mp3");
  backend().QueueEnter();                       // keep mine.mp3: Enter is Cancel
  backend().QueueAnswer(ModalResult::kOk);      // replace Other.MP3
  ASSERT_TRUE(form.imgUpload.UserClick());

  const auto& boxes = backend().MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].request.text, "The mine.mp3 File already exists. Do you want to continue ? ");
  EXPECT_EQ(boxes[0].request.buttons, gui::Buttons::kOkCancel);
  EXPECT_EQ(boxes[0].request.icon, gui::MsgIcon::kQuestion);
  EXPECT_EQ(boxes[1].request.text, "The other.mp3 File already exists. Do you want to continue ? ");
  EXPECT_EQ(Contents(Out() / "mine.mp3"), std::vector<std::uint8_t>(7, 0x41));
  EXPECT_EQ(Contents(Out() / "Other.MP3"), stored[1]);
  EXPECT_EQ(FilesIn(Out()), (std::vector<std::string>{"Other.MP3", "mine.mp3"}));
}

TEST_F(UploadTest, NamesThePcCannotTakeAreRefusedAndTheNextEntryGetsTheDialog) {
  Put(u"C:\\x\\CON.mp3", Pattern(100, 10));
  Put(u"what?.mp3", Pattern(100, 11));
  Put(u"fine.mp3", Pattern(100, 12));
  ShapeForm& form = Ready();
  Select(form, {0, 1, 2});
  AnswerSave(Out() / "fine.mp3");
  ASSERT_TRUE(form.imgUpload.UserClick());
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_NE(boxes[0].find("CON.mp3"), std::string::npos);
  EXPECT_NE(boxes[1].find("what?.mp3"), std::string::npos);
  ASSERT_EQ(backend().FileDialogs().size(), 1u);
  EXPECT_EQ(backend().FileDialogs()[0].request.fileName, "fine.mp3");
  EXPECT_EQ(FilesIn(Out()), std::vector<std::string>{"fine.mp3"});
}

TEST_F(UploadTest, AHeaderWithoutTheTagEndsTheCommandWithNoData) {
  Put(u"a.mp3", Pattern(100, 13));
  Put(u"b.mp3", Pattern(100, 14));
  ShapeForm& form = Ready();
  // A row for an entry the player no longer has: its header block is erased.
  auto rows = form.lvwGetFileList.Items();
  rows.push_back(rows.back());
  form.lvwGetFileList.SetItems(rows);
  Select(form, {0, 2, 1});
  AnswerSave(Out() / "a.mp3");
  (void)player->TakeEvents();
  ASSERT_TRUE(form.imgUpload.UserClick());
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"No Data !!!"});
  // What was copied before stays; the entry after it is not read.
  EXPECT_EQ(FilesIn(Out()), (std::vector<std::string>{"a.mp3", "b.mp3"}));
  EXPECT_FALSE(DirectoryReadAfter(player->TakeEvents()));
  EXPECT_TRUE(form.imgReflash.Enabled());
  EXPECT_FALSE(Device().IsOpen());
}

TEST_F(UploadTest, AShortBlockStartsTheEntryAgainWithoutASecondDialog) {
  Put(u"long.mp3", Pattern(5 * kBlockSize + 77, 15));
  ShapeForm& form = Ready();
  Faults f;
  f.shortBlocks.push_back({true, 3, std::uint8_t{2}, 1000, 1});  // data block 2 of the first try
  player->SetFaults(f);
  Select(form, {0});
  AnswerSave(Out() / "long.mp3");
  ASSERT_TRUE(form.imgUpload.UserClick());
  EXPECT_EQ(backend().FileDialogs().size(), 1u);
  EXPECT_TRUE(TakeBoxes().empty());
  EXPECT_EQ(Contents(Out() / "long.mp3"), stored[0]);
  EXPECT_EQ(FilesIn(Out()), std::vector<std::string>{"long.mp3"});
  EXPECT_EQ(transport->inits, 2);
}

TEST_F(UploadTest, ShortHeaderReadsStartTheEntryAgain) {
  Put(u"h.mp3", Pattern(3 * kBlockSize, 16));
  ShapeForm& form = Ready();
  Faults f;
  // The first block after a code 2 (the header) falls short twice.
  f.shortBlocks.push_back({true, 1, std::uint8_t{2}, 100, 2});
  player->SetFaults(f);
  Select(form, {0});
  AnswerSave(Out() / "h.mp3");
  ASSERT_TRUE(form.imgUpload.UserClick());
  EXPECT_EQ(Contents(Out() / "h.mp3"), stored[0]);
}

TEST_F(UploadTest, ALostRepeatedHeaderNeverPutsADataBlockOutOfPlace) {
  // The header that comes again before the data is lost; the second try of
  // the read gets the first data block instead. It is not taken for the
  // header: the entry starts again and the file arrives whole.
  Put(u"lost.mp3", Pattern(3 * kBlockSize + 10, 26));
  LosingDriver losing(driver);
  Environment().driver = &losing;
  ShapeForm& form = Ready();
  Select(form, {0});
  AnswerSave(Out() / "lost.mp3");
  ASSERT_TRUE(form.imgUpload.UserClick());
  EXPECT_TRUE(losing.lost);
  EXPECT_TRUE(TakeBoxes().empty());
  EXPECT_EQ(Contents(Out() / "lost.mp3"), stored[0]);
  EXPECT_EQ(transport->inits, 1);
}

TEST_F(UploadTest, APlayerGoneAndBackFinishesTheEntryAndKeepsAnOldFileUntilThen) {
  Put(u"away.mp3", Pattern(6 * kBlockSize, 17));
  ShapeForm& form = Ready();
  Touch(Out() / "away.mp3", 9);
  Faults f;
  f.unplugs.push_back({4, std::uint8_t{2}, 3, 1});
  player->SetFaults(f);
  Select(form, {0});
  AnswerSave(Out() / "away.mp3");
  backend().SetMessageBoxScript([](const gui::MessageBoxRequest&) { return ModalResult::kOk; });
  ASSERT_TRUE(form.imgUpload.UserClick());
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"The away.mp3 File already exists. Do you want to continue ? "});
  EXPECT_EQ(backend().FileDialogs().size(), 1u);
  EXPECT_EQ(Contents(Out() / "away.mp3"), stored[0]);
  EXPECT_EQ(FilesIn(Out()), std::vector<std::string>{"away.mp3"});
  EXPECT_GE(transport->cancels, 2);  // the failed try's queue was ended
}

TEST_F(UploadTest, APlayerGoneForGoodEndsWithTheQuestionAndLeavesNoPartialFile) {
  Put(u"first.mp3", Pattern(2 * kBlockSize, 18));
  Put(u"gone.mp3", Pattern(6 * kBlockSize, 19));
  ShapeForm& form = Ready();
  Touch(Out() / "gone.mp3", 9);
  Faults f;
  f.unplugs.push_back({4, std::uint8_t{2}, -1, 1});
  f.unplugs.back().times = -1;
  player->SetFaults(f);
  // The first entry (2 data blocks) never reaches block 4; the second does.
  Select(form, {0, 1});
  AnswerSave(Out() / "first.mp3");
  backend().SetMessageBoxScript([](const gui::MessageBoxRequest& r) {
    return r.buttons == gui::Buttons::kRetryCancel ? ModalResult::kCancel : ModalResult::kOk;
  });
  ASSERT_TRUE(form.imgUpload.UserClick());
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1], "Device not connected, please connect and power on !!!");
  EXPECT_EQ(Contents(Out() / "first.mp3"), stored[0]);
  EXPECT_EQ(Contents(Out() / "gone.mp3"), std::vector<std::uint8_t>(9, 0x41));  // not replaced by a part
  EXPECT_EQ(FilesIn(Out()), (std::vector<std::string>{"first.mp3", "gone.mp3"}));
  EXPECT_FALSE(frmProgress->Visible());
  EXPECT_FALSE(Device().IsOpen());
  EXPECT_TRUE(form.imgReflash.Enabled());
}

TEST_F(UploadTest, APlayerAbsentAtTheStartAsksAndCopiesNothing) {
  Put(u"a.mp3", Pattern(100, 20));
  ShapeForm& form = Ready();
  Select(form, {0});
  driver.Detach();
  backend().QueueAnswer(ModalResult::kCancel);
  ASSERT_TRUE(form.imgUpload.UserClick());
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"Device not connected, please connect and power on !!!"});
  EXPECT_TRUE(backend().FileDialogs().empty());
  EXPECT_TRUE(FilesIn(Pc()).empty());
  EXPECT_TRUE(form.imgReflash.Enabled());
}

TEST_F(UploadTest, OnTheCardItReadsTheCardAndAsksForAMissingCard) {
  ASSERT_TRUE(player->Store(MediumId::kCard, u"card.mp3", Pattern(30000, 25)));
  ShapeForm& form = Ready();
  ASSERT_TRUE(form.optCard.UserClick());
  ASSERT_EQ(Vars().cmdBase, kCardBase);
  ASSERT_EQ(Captions(form.lvwGetFileList), std::vector<std::string>{"card.mp3"});
  Select(form, {0});
  AnswerSave(Out() / "card.mp3");
  ASSERT_TRUE(form.imgUpload.UserClick());
  EXPECT_EQ(Contents(Out() / "card.mp3"), Pattern(30000, 25));

  // The card taken out: the card question, and Cancel ends the command.
  player->SetMedium(MediumId::kCard, {false, true, 64u << 20});
  Select(form, {0});
  backend().QueueAnswer(ModalResult::kCancel);
  ASSERT_TRUE(form.imgUpload.UserClick());
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"No Card, please Insert Card!!!"});
  EXPECT_EQ(backend().FileDialogs().size(), 1u);
}

TEST_F(UploadTest, PlayerRowsDroppedOnThePcListAreUploaded) {
  Put(u"drop.mp3", Pattern(20000, 21));
  ShapeForm& form = Ready();
  Select(form, {0});
  AnswerSave(Out() / "drop.mp3");
  ASSERT_TRUE(form.lvwGetFileList.UserDragTo(form.lvwPcFileList, {10, 10}));
  EXPECT_EQ(Contents(Out() / "drop.mp3"), stored[0]);
  EXPECT_FALSE(Vars().dragFromDevice);
  // A drag that starts and ends in the PC list uploads nothing.
  Touch(Pc("pc.mp3"), 10);
  form.fileListBox.Refresh();
  RefillPcList(form.fileListBox, form.lvwPcFileList);
  ASSERT_TRUE(form.lvwPcFileList.UserSetSelected(0, true));
  (void)form.lvwPcFileList.UserDragTo(form.lvwPcFileList, {10, 10});
  EXPECT_EQ(backend().FileDialogs().size(), 1u);
}

TEST_F(UploadTest, EntriesPastTheLastOneByteNumberAreRefusedWithAMessage) {
  for (int i = 1; i <= 257; ++i) {
    const std::string name = "f" + std::to_string(i) + ".mp3";
    Put(std::u16string(name.begin(), name.end()), Pattern(10, static_cast<unsigned>(i)));
  }
  ShapeForm& form = Ready();
  ASSERT_EQ(form.lvwGetFileList.Count(), 257);
  Select(form, {254, 256});  // entries 255 and 257
  AnswerSave(Out() / "f255.mp3");
  ASSERT_TRUE(form.imgUpload.UserClick());
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{
                             "The f257.mp3 File cannot be uploaded: only the first 255 files of the player can be read."});
  EXPECT_EQ(Contents(Out() / "f255.mp3"), stored[254]);
  EXPECT_EQ(FilesIn(Out()), std::vector<std::string>{"f255.mp3"});
}

TEST_F(UploadTest, OtherModelsNeverUpload) {
  UseModel(0x12);  // "F012"
  Put(u"a.mp3", Pattern(100, 22));
  ShapeForm& form = Ready();
  Select(form, {0});
  EXPECT_FALSE(form.imgUpload.Enabled());
  (void)player->TakeEvents();
  // Neither a drop nor the command itself does anything on this model.
  (void)form.lvwGetFileList.UserDragTo(form.lvwPcFileList, {10, 10});
  imgUpload_Click(form);
  EXPECT_TRUE(backend().FileDialogs().empty());
  EXPECT_TRUE(player->TakeEvents().empty());
  EXPECT_FALSE(UploadAllowed());
}

TEST(UploadTexts, RateAndRemainingTime) {
  EXPECT_EQ(RateText(123456), "123,456");
  EXPECT_EQ(RateText(12345), " 12,345");
  EXPECT_EQ(RateText(7), "   ,  7");
  EXPECT_EQ(RateText(1234567), "1234,567");
  EXPECT_EQ(RemainText(0), "00:00:00");
  EXPECT_EQ(RemainText(3725), "01:02:05");
  EXPECT_EQ(RemainText(100 * 3600), "100:00:00");
}

}  // namespace
}  // namespace halvern
