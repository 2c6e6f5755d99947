// Files written to the simulated player: the header block as it arrives,
// the data byte for byte, the MP3 rate, the overwrite question, Cancel in
// the progress window; the download by command, by a drag from the PC list
// and by files dropped from the shell.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "common/ByteOrder.h"
#include "platform/gui/Timer.h"
#include "transfer-manager/frmProgress.h"
#include "transfer-manager/Mp3Header.h"
#include "transfer-manager/modDownload.h"
#include "common/tests/SparseFile.h"
#include "transfer-manager/modWrite.h"
#include "transfer-manager/tests/Mp3Frames.h"
#include "transfer-manager/tests/PlayerCommandsSupport.h"

namespace halvern {
namespace {

using gui::ModalResult;
using playerlink::Block;
namespace audio = playerlink::audio;

// The simulated player at a pace: every block on the out pipe takes `ms`
// of the program's clock.
class PacedDriver : public playerlink::Driver {
 public:
  PacedDriver(playerlink::Driver& inner, gui::headless::HeadlessBackend& clock, int ms)
      : inner_(inner), clock_(clock), ms_(ms) {}
  std::unique_ptr<playerlink::DriverSession> NewSession() override {
    return std::make_unique<Session>(inner_.NewSession(), clock_, ms_);
  }

 private:
  class Session : public playerlink::DriverSession {
   public:
    Session(std::unique_ptr<playerlink::DriverSession> inner, gui::headless::HeadlessBackend& clock, int ms)
        : inner_(std::move(inner)), clock_(clock), ms_(ms) {}
    bool Open(playerlink::Device d) override { return inner_->Open(d); }
    void Close(playerlink::Device d) override { inner_->Close(d); }
    bool IsOpen(playerlink::Device d) const override { return inner_->IsOpen(d); }
    std::optional<std::size_t> Control(std::span<std::uint8_t> buffer, std::size_t requestSize) override {
      return inner_->Control(buffer, requestSize);
    }
    std::optional<std::size_t> Write(std::span<const std::uint8_t> data) override {
      clock_.Advance(ms_);
      return inner_->Write(data);
    }
    std::optional<std::size_t> Read(std::span<std::uint8_t> data) override { return inner_->Read(data); }

   private:
    std::unique_ptr<playerlink::DriverSession> inner_;
    gui::headless::HeadlessBackend& clock_;
    int ms_;
  };
  playerlink::Driver& inner_;
  gui::headless::HeadlessBackend& clock_;
  int ms_;
};

class WriteDownloadTest : public testing::PlayerCommandsTest {
 protected:
  // Queues PC files and writes them as the download does.
  // Each a PC file by its path below the PC folder; the queue shows its
  // file name.
  bool WriteQueued(const std::vector<std::string>& names, bool fast = false) {
    auto& queue = frmShape->lvwTmpDownload;
    queue.Clear();
    for (const auto& n : names) queue.AddItem(gui::ListItem{GetFileName(TextOfPath(Pc(n))), {"", TextOfPath(Pc(n))}});
    const bool done = ConfirmOverwrite(*frmShape, queue, false, fast);
    queue.Clear();
    return done;
  }
  Block HeaderOf(std::size_t entry) { return player->Entries(MediumId::kInternal).at(entry).header; }
};

TEST_F(WriteDownloadTest, FilesAroundTheBlockSizeArriveWholeWithTheHeaderAsTheProgramWritesIt) {
  ShapeForm& form = StartAndRead();
  const std::vector<std::pair<std::string, std::size_t>> files{
      {"empty.mp3", 0}, {"one.mp3", 1}, {"block.mp3", 16384}, {"block1.mp3", 16385}};
  std::vector<std::string> names;
  for (const auto& [name, size] : files) {
    WritePc(name, Bytes(size, static_cast<std::uint8_t>(size)));
    names.push_back(name);
  }
  (void)TakeCommands();
  ASSERT_TRUE(WriteQueued(names));
  std::vector<std::uint32_t> announced;
  for (const auto& s : TakeCommands()) {
    if (s.code == 1) announced.push_back(s.argument);
  }
  EXPECT_EQ(announced, (std::vector<std::uint32_t>{1, 2, 2, 3}));
  ASSERT_EQ(Names(), names);
  for (std::size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(files[i].first);
    const auto& [name, size] = files[i];
    EXPECT_EQ(*player->EntryData(MediumId::kInternal, i), Bytes(size, static_cast<std::uint8_t>(size)));
    const Block h = HeaderOf(i);
    const std::u16string path = *common::Utf8ToUtf16(TextOfPath(Pc(name)));
    EXPECT_EQ(common::LoadLE32(&h[0]), size);
    EXPECT_EQ(std::string(h.begin() + 4, h.begin() + 10), "t335x0");
    EXPECT_EQ(h[10], 0xFF);
    EXPECT_EQ(h[13], 0xFF);
    EXPECT_EQ(common::LoadLE16(&h[14]), path.size() * 2);
    for (std::size_t u = 0; u < path.size(); ++u) EXPECT_EQ(common::LoadLE16(&h[16 + 2 * u]), path[u]);
    EXPECT_EQ(h[16 + 2 * path.size()], 0xFF);  // no zero unit behind the name
    EXPECT_EQ(common::LoadLE16(&h[audio::kSeconds]), 0);  // no MPEG frames in there
    EXPECT_EQ(common::LoadLE16(&h[audio::kByteRate]), 0);
    EXPECT_EQ(h[0x204], 0xFF);
    EXPECT_EQ(common::LoadLE16(&h[audio::kFormat]), 3);
    EXPECT_EQ(h[0x20E], 0xFF);
    EXPECT_EQ(h[audio::kKind], 'm');
    EXPECT_EQ(h[0x211], 0xFF);
  }
  // The progress window showed the last file; its row was added at once.
  EXPECT_EQ(frmProgress->lblFileName.Caption(), "File Name : block1.mp3");
  EXPECT_EQ(frmProgress->lblFileSize.Caption(), "File Size : 16,385 Bytes");
  EXPECT_EQ(frmProgress->ProgressBar.Max(), 3);
  EXPECT_EQ(frmProgress->Caption(), "Downloading...");
  EXPECT_EQ(Captions(form.lvwGetFileList).back(), "block1.mp3");
}

TEST_F(WriteDownloadTest, TheProgressWindowShowsTheRateAsTheUploadDoesAndTheTimeLeft) {
  // 32 blocks of data at 2 s each: 8,192 bytes a second, and then slower.
  PacedDriver paced(driver, backend(), 2000);
  Environment().driver = &paced;
  WritePc("slow.mp3", Bytes(32 * 16384, 4));
  StartAndRead();
  ASSERT_TRUE(WriteQueued({"slow.mp3"}));
  EXPECT_EQ(frmProgress->StatusBar1.Panels().at(1).text, "  8,192 CPS");
  EXPECT_EQ(frmProgress->StatusBar1.Panels().at(0).text, "Remain Time00:00:00");

  // A rate under a thousand keeps the comma of the pattern.
  NewApplication();
  PacedDriver slower(driver, backend(), 20000);
  Environment().driver = &slower;
  WritePc("slower.mp3", Bytes(3 * 16384, 5));
  StartAndRead();
  ASSERT_TRUE(WriteQueued({"slower.mp3"}));
  EXPECT_EQ(frmProgress->StatusBar1.Panels().at(1).text, "   ,819 CPS");
}

TEST_F(WriteDownloadTest, Mp3FilesCarryTheirRateAndPlayingTime) {
  std::vector<std::uint8_t> cbr = testing::Id3v2Tag(20000);  // a tag longer than the first block
  testing::AppendFrames(cbr, {1, 9, 0}, 200);             // 128 kbit/s
  WritePc("cbr.mp3", cbr);
  std::vector<std::uint8_t> vbr;
  testing::AppendXingFrame(vbr, {1, 5, 0}, 400);
  testing::AppendFrames(vbr, {1, 5, 0}, 200);
  testing::AppendFrames(vbr, {1, 14, 0}, 200);
  WritePc("vbr.mp3", vbr);
  // An encoder's constant-rate file: an "Info" header in its first frame.
  std::vector<std::uint8_t> info;
  testing::AppendXingFrame(info, {1, 9, 0}, 300, "Info");
  testing::AppendFrames(info, {1, 9, 0}, 300);
  WritePc("info.mp3", info);
  std::vector<std::uint8_t> low;
  testing::AppendFrames(low, {2, 3, 0}, 100);  // MPEG-2, 24 kbit/s
  WritePc("low.mp3", low);
  // Two bytes of a frame header: nothing of the file before it is looked at.
  WritePc("short.mp3", {0xFF, 0xFB});
  StartAndRead();
  ASSERT_TRUE(WriteQueued({"cbr.mp3", "vbr.mp3", "low.mp3", "short.mp3", "info.mp3"}));

  Block h = HeaderOf(0);
  EXPECT_EQ(common::LoadLE16(&h[audio::kByteRate]), 16000);
  EXPECT_EQ(common::LoadLE16(&h[audio::kSeconds]), PlayingSeconds(cbr.size(), 16000));
  h = HeaderOf(1);
  // 400 frames of 1152 samples at 44.1 kHz: 10.4 s.
  const std::uint64_t average =
      ((vbr.size() - testing::FrameBytes({1, 5, 0})) * 44100 + 400 * 1152 / 2) / (400 * 1152);
  EXPECT_EQ(common::LoadLE16(&h[audio::kByteRate]), average);
  EXPECT_EQ(common::LoadLE16(&h[audio::kSeconds]), 10);
  h = HeaderOf(2);
  EXPECT_EQ(common::LoadLE16(&h[audio::kByteRate]), 3000);
  EXPECT_EQ(common::LoadLE16(&h[audio::kSeconds]), PlayingSeconds(low.size(), 3000));
  h = HeaderOf(3);
  EXPECT_EQ(common::LoadLE16(&h[audio::kByteRate]), 0);
  EXPECT_EQ(common::LoadLE16(&h[audio::kSeconds]), 0);
  h = HeaderOf(4);
  EXPECT_EQ(common::LoadLE16(&h[audio::kByteRate]), 16000);
  EXPECT_EQ(common::LoadLE16(&h[audio::kSeconds]), PlayingSeconds(info.size(), 16000));
}

TEST_F(WriteDownloadTest, AFileTheHeaderCannotDescribeIsRefusedAndTheRestGoOn) {
  // 8 kbit/s over 70 MB: more seconds than 16 bits hold.
  std::vector<std::uint8_t> slow;
  testing::AppendFrames(slow, {25, 1, 0}, 10);
  WritePc("long.mp3", slow);
  common::testing::MakeSparseFile(Pc("long.mp3"), 70'000'000);
  WritePc("fine.mp3", Bytes(10, 1));
  // A path longer than 248 units (252 here, still within the system's
  // path limit) is stored by its file name.
  const std::string deep(252 - TextOfPath(Pc()).size() - 1 - std::string("/deep.mp3").size(), 'd');
  std::filesystem::create_directories(Pc(deep));
  WritePc(deep + "/deep.mp3", Bytes(10, 2));
  ShapeForm& form = StartAndRead();
  auto& queue = form.lvwTmpDownload;
  queue.AddItem(gui::ListItem{"long.mp3", {"", TextOfPath(Pc("long.mp3"))}});
  queue.AddItem(gui::ListItem{"gone.mp3", {"", TextOfPath(Pc("gone.mp3"))}});
  queue.AddItem(gui::ListItem{"fine.mp3", {"", TextOfPath(Pc("fine.mp3"))}});
  queue.AddItem(gui::ListItem{"deep.mp3", {"", TextOfPath(Pc(deep + "/deep.mp3"))}});
  ASSERT_TRUE(ConfirmOverwrite(form, queue, false, false));
  EXPECT_EQ(TakeBoxes(), (std::vector<std::string>{"The long.mp3 File plays too long for the player !!!",
                                                   "The gone.mp3 File cannot be opened !!!"}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"fine.mp3", "deep.mp3"}));
  const Block h = HeaderOf(1);
  EXPECT_EQ(common::LoadLE16(&h[14]), 16);  // "deep.mp3"
  // A size the header's 32 bits cannot hold (a sparse file).
  WritePc("huge.mp3", Bytes(10, 3));
  common::testing::MakeSparseFile(Pc("huge.mp3"), 0x100000000ull);
  ASSERT_TRUE(WriteQueued({"huge.mp3"}));
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"The huge.mp3 File is too big for the player !!!"});
  EXPECT_EQ(Names().size(), 2u);
  std::filesystem::remove(Pc("huge.mp3"));
}

TEST_F(WriteDownloadTest, TheOverwriteQuestionComesForTheSameNameInTheSameLetterCaseOnly) {
  StoreNamed(MediumId::kInternal, {"Song.mp3"});
  WritePc("Song.mp3", Bytes(50, 3));
  std::filesystem::create_directories(Pc("upper"));  // a folder of its own where letter case does not count
  WritePc("upper/SONG.MP3", Bytes(60, 4));
  ShapeForm& form = StartAndRead();
  Answer({{"The Song.mp3", kEnter}});  // Enter keeps the player's file
  ASSERT_TRUE(WriteQueued({"Song.mp3", "upper/SONG.MP3"}));
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"The Song.mp3 File already exists. Do you want to continue ? "});
  EXPECT_EQ(Names(), (std::vector<std::string>{"Song.mp3", "SONG.MP3"}));
  EXPECT_EQ(player->Entries(MediumId::kInternal)[0].size, 100u);  // the old one stayed

  Answer({});
  ASSERT_TRUE(form.imgReflash.UserClick());
  ASSERT_TRUE(WriteQueued({"Song.mp3"}));
  EXPECT_EQ(player->Entries(MediumId::kInternal)[0].size, 50u);  // replaced in place
}

TEST_F(WriteDownloadTest, CancelDuringTheSecondFileEndsTheQueueAfterIt) {
  for (const char* n : {"1.mp3", "2.mp3", "3.mp3"}) WritePc(n, Bytes(100000, 9));
  ShapeForm& form = StartAndRead();
  gui::Timer watch(&form);
  watch.SetInterval(50);
  watch.OnTimer = [&] {
    if (player->Entries(MediumId::kInternal).size() == 1 && frmProgress->cmdCancel.Enabled()) {
      EXPECT_TRUE(frmProgress->cmdCancel.UserClick());
    }
  };
  watch.SetEnabled(true);
  SelectOnly(form.lvwPcFileList, {0, 1, 2});
  ASSERT_TRUE(form.imgDownload.UserClick());
  watch.SetEnabled(false);
  EXPECT_EQ(Names(), (std::vector<std::string>{"1.mp3", "2.mp3"}));
  EXPECT_EQ(*player->EntryData(MediumId::kInternal, 1), Bytes(100000, 9));
  EXPECT_FALSE(Vars().transferCancelled);
  EXPECT_FALSE(frmProgress->Visible());
  EXPECT_EQ(Captions(form.lvwGetFileList), (std::vector<std::string>{"1.mp3", "2.mp3"}));  // read again
}

TEST_F(WriteDownloadTest, TheDownloadCommandQueuesSelectedFilesThatExistAndAreNotEmpty) {
  WritePc("a.mp3", Bytes(3000, 1));
  WritePc("b.mp3", {});
  WritePc("c.mp3", Bytes(40000, 2));
  WritePc("d.mp3", Bytes(10, 3));
  ShapeForm& form = StartAndRead();
  SelectOnly(form.lvwPcFileList, {0, 1, 2});
  ASSERT_TRUE(form.imgDownload.UserClick());
  EXPECT_TRUE(backend().MessageBoxes().empty());
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.mp3", "c.mp3"}));
  EXPECT_EQ(*player->EntryData(MediumId::kInternal, 1), Bytes(40000, 2));
  EXPECT_EQ(Captions(form.lvwGetFileList), (std::vector<std::string>{"a.mp3", "c.mp3"}));
  EXPECT_TRUE(form.imgReflash.Enabled());
  EXPECT_EQ(form.lvwTmpDownload.Count(), 0);

  // A selected file that went away: named in lower case; OK writes the
  // rows above it.
  WritePc("B2.mp3", Bytes(10, 4));
  form.fileListBox.Refresh();
  RefillPcList(form.fileListBox, form.lvwPcFileList);
  const auto captions = Captions(form.lvwPcFileList);
  const auto rowOf = [&](const char* name) {
    return static_cast<int>(std::find(captions.begin(), captions.end(), name) - captions.begin());
  };
  // B2.mp3, c.mp3 and d.mp3 selected, B2 above c in the list.
  ASSERT_LT(rowOf("B2.mp3"), rowOf("c.mp3"));
  SelectOnly(form.lvwPcFileList, {rowOf("B2.mp3"), rowOf("c.mp3"), rowOf("d.mp3")});
  std::filesystem::remove(Pc("c.mp3"));
  TakeBoxes();
  ASSERT_TRUE(form.imgDownload.UserClick());
  const auto boxes = TakeBoxes();
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes[0],
            "FileName : c.mp3\n\nSorry! The file does not exist, The download program should pass this file.\n\n"
            "                                      Continue?");
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.mp3", "c.mp3", "B2.mp3"}));
}

TEST_F(WriteDownloadTest, TheFileLimitIsOneHundredInsideAndNinetyNineOnTheCard) {
  for (int i = 0; i < 95; ++i) {
    StoreNamed(MediumId::kInternal, {"in" + std::to_string(i)}, 1);
    StoreNamed(MediumId::kCard, {"out" + std::to_string(i)}, 1);
  }
  for (int i = 0; i < 5; ++i) WritePc("new" + std::to_string(i) + ".mp3", Bytes(10, 1));
  ShapeForm& form = StartAndRead();
  ASSERT_TRUE(form.optCard.UserClick());
  SelectOnly(form.lvwPcFileList, {0, 1, 2, 3, 4});
  ASSERT_TRUE(form.imgDownload.UserClick());
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"I'm sorry, you can't download more than 99 files."});
  EXPECT_EQ(player->Entries(MediumId::kCard).size(), 95u);
  ASSERT_TRUE(form.optBuiltIn.UserClick());
  SelectOnly(form.lvwPcFileList, {0, 1, 2, 3, 4});
  ASSERT_TRUE(form.imgDownload.UserClick());
  EXPECT_TRUE(TakeBoxes().empty());
  EXPECT_EQ(player->Entries(MediumId::kInternal).size(), 100u);
  SelectOnly(form.lvwPcFileList, {0});
  ASSERT_TRUE(form.imgDownload.UserClick());
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"I'm sorry, you can't download more than 100 files."});
}

TEST_F(WriteDownloadTest, ADragFromThePcListDownloadsWhenItFitsAndEveryDragEndsWithTheFlagsCleared) {
  WritePc("x.mp3", Bytes(5000, 5));
  WritePc("y.mp3", Bytes(100000, 6));
  player->SetMedium(MediumId::kInternal, {true, true, 6 * 16384});
  ShapeForm& form = StartAndRead();
  auto& pc = form.lvwPcFileList;
  SelectOnly(pc, {0, 1});
  ASSERT_TRUE(pc.UserDragTo(form.lvwGetFileList, {10, 30}));
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"Available Size isn't enough !!!"});
  EXPECT_TRUE(Names().empty());
  EXPECT_FALSE(Vars().dragFromPc || Vars().droppedOnDevice || Vars().dragFromDevice || Vars().droppedOnPc);

  SelectOnly(pc, {0});
  ASSERT_TRUE(pc.UserDragTo(form.lvwGetFileList, {10, 30}));
  EXPECT_EQ(Names(), std::vector<std::string>{"x.mp3"});
  EXPECT_FALSE(Vars().dragFromPc || Vars().droppedOnDevice);
  // A drop of the PC list on itself changes nothing.
  ASSERT_TRUE(pc.UserDragTo(pc, {10, 30}));
  EXPECT_EQ(Names().size(), 1u);
  EXPECT_FALSE(Vars().dragFromPc || Vars().droppedOnPc);
}

TEST_F(WriteDownloadTest, FilesDroppedFromTheShellArriveByteForByte) {
  std::filesystem::create_directories(root() / "Elsewhere" / "folder");
  const auto a = Bytes(33000, 11), b = Bytes(16384, 12);
  ASSERT_TRUE(common::WriteFileAtomically(root() / "Elsewhere" / PathFromText("노래 하나.mp3"), a));
  ASSERT_TRUE(common::WriteFileAtomically(root() / "Elsewhere" / "two.mp3", b));
  ASSERT_TRUE(common::WriteFileAtomically(root() / "Elsewhere" / "empty.mp3", std::vector<std::uint8_t>{}));
  ShapeForm& form = StartAndRead();
  const auto elsewhere = [&](const char* n) { return TextOfPath(root() / "Elsewhere" / PathFromText(n)); };
  ASSERT_TRUE(form.lvwGetFileList.UserDropFiles(
      {elsewhere("노래 하나.mp3"), elsewhere("folder"), elsewhere("empty.mp3"), elsewhere("two.mp3")}, {5, 5}));
  EXPECT_TRUE(TakeBoxes().empty());
  ASSERT_EQ(Names(), (std::vector<std::string>{"노래 하나.mp3", "two.mp3"}));
  EXPECT_EQ(*player->EntryData(MediumId::kInternal, 0), a);
  EXPECT_EQ(*player->EntryData(MediumId::kInternal, 1), b);
  EXPECT_EQ(Captions(form.lvwGetFileList), Names());

  // More than the free memory: refused before anything is sent.
  player->SetMedium(MediumId::kInternal, {true, true, 8 * 16384});
  ASSERT_TRUE(form.imgReflash.UserClick());
  (void)TakeCommands();
  ASSERT_TRUE(form.lvwGetFileList.UserDropFiles({elsewhere("노래 하나.mp3")}, {5, 5}));
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"Available Size isn't enough !!!"});
  EXPECT_EQ(CountOf(TakeCommands(), 1), 0);
}

TEST_F(WriteDownloadTest, APlayerThatDropsDataBlocksGetsTheFileAgainAndIsGivenUpOnAtLast) {
  WritePc("a.mp3", Bytes(50000, 1));
  ShapeForm& form = StartAndRead();
  playerlink::sim::Faults f;
  f.shortBlocks.push_back({false, 3, std::uint8_t{1}, 100, 1});  // the second data block, once
  player->SetFaults(f);
  ASSERT_TRUE(WriteQueued({"a.mp3"}));
  EXPECT_EQ(*player->EntryData(MediumId::kInternal, 0), Bytes(50000, 1));
  EXPECT_TRUE(TakeBoxes().empty());

  f.shortBlocks[0].times = -1;
  player->SetFaults(f);
  Answer({{"Device not", ModalResult::kCancel}});
  WritePc("b.mp3", Bytes(50000, 2));
  EXPECT_FALSE(WriteQueued({"b.mp3"}));
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"Device not connected, please connect and power on !!!"});
  EXPECT_EQ(Names(), std::vector<std::string>{"a.mp3"});
  EXPECT_FALSE(Device().IsOpen());
  (void)form;
}

TEST_F(WriteDownloadTest, AQueueThatStopsEarlyLeavesTheListAsTheLastReadShowedIt) {
  StoreNamed(MediumId::kInternal, {"o1.mp3", "o2.mp3", "o3.mp3"});
  WritePc("o1.mp3", Bytes(10, 1));   // replaces entry 1 in place
  WritePc("z.mp3", Bytes(50000, 2));  // its data blocks fall short every time
  ShapeForm& form = StartAndRead();
  playerlink::sim::Faults f;
  f.shortBlocks.push_back({false, 3, std::uint8_t{1}, 100, -1});
  player->SetFaults(f);
  Answer({{"Device not", ModalResult::kCancel}});
  SelectOnly(form.lvwPcFileList, {0, 1});
  ASSERT_TRUE(form.imgDownload.UserClick());
  EXPECT_EQ(Names(), (std::vector<std::string>{"o1.mp3", "o2.mp3", "o3.mp3"}));
  EXPECT_EQ(player->Entries(MediumId::kInternal)[0].size, 10u);
  // No row of the written file behind the player's three: every row is
  // the entry of its number.
  EXPECT_EQ(Captions(form.lvwGetFileList), (std::vector<std::string>{"o1.mp3", "o2.mp3", "o3.mp3"}));
  EXPECT_EQ(form.lblTotalFileCount2.Caption(), "0 / 3");
}

TEST_F(WriteDownloadTest, AnEmptyFileInFastModeSendsTheHeaderAlone) {
  WritePc("zero.bot", {});
  StartAndRead();
  player->TakeEvents();
  ASSERT_TRUE(WriteQueued({"zero.bot"}, true));
  int writes = 0;
  for (const auto& e : player->TakeEvents()) writes += e.kind == playerlink::sim::Event::Kind::kWrite;
  EXPECT_EQ(writes, 1);
  ASSERT_EQ(Names(), std::vector<std::string>{"zero.bot"});
  EXPECT_EQ(player->Entries(MediumId::kInternal)[0].size, 0u);
  EXPECT_FALSE(frmProgress->Visible());
  EXPECT_EQ(KindOfName("CORVANE_ENCO_ENC_ORG_V103.bot"), playerlink::FileKind::kEncoderImage);
  EXPECT_EQ(KindOfName("CORVANE_ENCO_DEC_ORG_V103.bot"), playerlink::FileKind::kDecoderImage);
  EXPECT_EQ(KindOfName("corvane_enco_dec_org_v104.bot"), playerlink::FileKind::kMusic);
}

}  // namespace
}  // namespace halvern
