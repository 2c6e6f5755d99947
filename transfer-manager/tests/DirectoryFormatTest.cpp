// The player's directory on both media, its memory figures, the medium's
// special answers (full, new or unformatted, an erased block) and the
// format, headless against the in-process simulated player.
#include <gtest/gtest.h>

#include "transfer-manager/frmMessages.h"
#include "transfer-manager/frmProductName.h"
#include "transfer-manager/frmProgress.h"
#include "transfer-manager/modDirectory.h"
#include "transfer-manager/modModelFiles.h"
#include "transfer-manager/tests/PlayerCommandsSupport.h"

namespace halvern {
namespace {

using gui::ModalResult;
using playerlink::sim::Faults;

class DirectoryFormatTest : public testing::PlayerCommandsTest {
 protected:
  void Show(MediumId medium) {
    if (medium == MediumId::kCard) {
      ASSERT_TRUE(frmShape->optCard.UserClick());
    } else {
      ASSERT_TRUE(frmShape->optBuiltIn.UserClick());
    }
  }
};

TEST_F(DirectoryFormatTest, BothMediaListEveryEntryUpToTheLastEntryNumber) {
  ShapeForm& form = StartAndRead();
  for (MediumId medium : {MediumId::kInternal, MediumId::kCard}) {
    for (int count : {0, 1, 99, 100, 255}) {
      SCOPED_TRACE(std::to_string(count) + (medium == MediumId::kCard ? " on the card" : " inside"));
      auto fresh = std::make_shared<playerlink::sim::SimulatedPlayer>();
      for (int i = 1; i <= count; ++i) {
        ASSERT_TRUE(fresh->Store(medium, u"D:\\곡\\" + *common::Utf8ToUtf16(std::to_string(i)) + u".mp3",
                                 std::vector<std::uint8_t>(static_cast<std::size_t>(i), 1)));
      }
      driver.Attach(fresh);
      Show(medium);
      const auto& list = form.lvwGetFileList;
      ASSERT_EQ(list.Count(), count);
      EXPECT_EQ(Vars().deviceFileCount, count);
      EXPECT_EQ(form.lblTotalFileCount2.Caption(), "0 / " + std::to_string(count));
      if (count > 0) {
        const auto& last = list.Item(count - 1);
        EXPECT_EQ(last.caption, std::to_string(count) + ".mp3");
        EXPECT_EQ(last.subItems[1], "D:\\곡\\" + std::to_string(count) + ".mp3");
        EXPECT_EQ(last.subItems[2], std::to_string(count));
        EXPECT_EQ(last.subItems[3], std::to_string(count));
        EXPECT_EQ(last.subItems[4], std::to_string(count));
      }
      EXPECT_EQ(Vars().freeBytes, fresh->FreeBytes(medium));
      EXPECT_TRUE(backend().MessageBoxes().empty());
    }
  }
}

// Choosing a medium reads its directory once, whichever medium was shown
// before: on a real player each read of a full directory takes seconds.
TEST_F(DirectoryFormatTest, ChoosingAMediumReadsItsDirectoryOnce) {
  StoreNamed(MediumId::kInternal, {"inside.mp3", "two.mp3"});
  StoreNamed(MediumId::kCard, {"card.mp3"});
  ShapeForm& form = StartAndRead();
  for (MediumId medium : {MediumId::kCard, MediumId::kInternal, MediumId::kCard, MediumId::kInternal}) {
    SCOPED_TRACE(medium == MediumId::kCard ? "the card" : "the built-in memory");
    (void)TakeCommands();
    Show(medium);
    EXPECT_EQ(CountOf(TakeCommands(), static_cast<unsigned>(playerlink::CommandCode::kReadDirectory)), 1);
    EXPECT_EQ(form.lvwGetFileList.Count(), medium == MediumId::kCard ? 1 : 2);
  }
  (void)TakeCommands();
  ASSERT_TRUE(form.imgReflash.UserClick());
  EXPECT_EQ(CountOf(TakeCommands(), static_cast<unsigned>(playerlink::CommandCode::kReadDirectory)), 1);
}

TEST_F(DirectoryFormatTest, ANameLongerThanTheReadAreaIsClampedAndABrokenNameShowsMarks) {
  std::u16string longName(700, u'가');
  longName += u".mp3";
  ASSERT_TRUE(player->StoreWithHeader(MediumId::kInternal,
                                      playerlink::BuildFileHeader(5, longName, playerlink::NameEnd::kNone),
                                      std::vector<std::uint8_t>(5, 1)));
  std::u16string broken = u"a\xD800z.mp3";  // a lone surrogate
  StoreOnPlayer(MediumId::kInternal, broken, 5);
  ShapeForm& form = StartAndRead();
  ASSERT_EQ(form.lvwGetFileList.Count(), 2);
  // 1022 bytes of name at most: 511 units, all of them Hangul.
  EXPECT_EQ(form.lvwGetFileList.Item(0).caption, *common::Utf16ToUtf8(longName.substr(0, 511)));
  EXPECT_EQ(form.lvwGetFileList.Item(1).caption, "a?z.mp3");
}

TEST_F(DirectoryFormatTest, AFullMediumIsSaidOnceAndItsFilesAreStillListed) {
  player->SetMedium(MediumId::kInternal, {true, true, 3 * 16384});
  ShapeForm& form = StartAndRead();
  EXPECT_EQ(form.lblTotMem.Caption(), "48 KB");
  StoreNamed(MediumId::kInternal, {"one.mp3"}, 1);  // 16 KB left: no room for another file
  TakeBoxes();
  ASSERT_TRUE(form.imgReflash.UserClick());
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"The Nand Flash is Full of MP3 File !!!"});
  EXPECT_EQ(Captions(form.lvwGetFileList), std::vector<std::string>{"one.mp3"});
  EXPECT_EQ(form.lblTotMem.Caption(), "48 KB");  // the size it gave before it was full
  EXPECT_EQ(form.lblAvailMem.Caption(), "16 KB");
  EXPECT_EQ(form.lblUsedMem.Caption(), "32 KB");
  EXPECT_TRUE(form.imgErase.Enabled());  // so the user can make room

  player->SetMedium(MediumId::kCard, {true, true, 20000});
  ASSERT_TRUE(form.optCard.UserClick());
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"The SMC is Full of MP3 File !!!"});
  EXPECT_EQ(Vars().cmdBase, playerlink::kCardBase);
}

TEST_F(DirectoryFormatTest, ANewCardIsOfferedTheFormatAndCancelLeavesTheListAsItWas) {
  StoreNamed(MediumId::kInternal, {"inside.mp3"});
  ShapeForm& form = StartAndRead();
  player->SetMedium(MediumId::kCard, {true, false, 64u << 20});
  Answer({{"Unknown format", ModalResult::kCancel}});
  (void)TakeCommands();
  ASSERT_TRUE(form.optCard.UserClick());
  const auto& boxes = backend().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].request.text, "Unknown format or the card is not formated, format the card? ");
  EXPECT_EQ(boxes[0].request.title, "New Media Alert");
  EXPECT_EQ(boxes[0].request.buttons, gui::Buttons::kOkCancel);
  EXPECT_EQ(CountOf(TakeCommands(), 4), 0);
  // Back on the built-in memory, whose list it shows.
  EXPECT_EQ(Vars().cmdBase, playerlink::kInternalMemoryBase);
  EXPECT_EQ(Captions(form.lvwGetFileList), std::vector<std::string>{"inside.mp3"});

  // OK formats the card: the question, code 4 in mode 4, the report.
  TakeBoxes();
  Answer({});
  ASSERT_TRUE(form.optCard.UserClick());
  EXPECT_EQ(TakeBoxes(), (std::vector<std::string>{"Unknown format or the card is not formated, format the card? ",
                                                   "Do you really want to format SMC? ", "Format complete!!"}));
  const auto sent = TakeCommands();
  ASSERT_EQ(CountOf(sent, 4), 1);
  for (const auto& s : sent) {
    if (s.code == 4) {
      EXPECT_EQ(s.mode, playerlink::kMode4);
    }
  }
  EXPECT_EQ(Vars().cmdBase, playerlink::kCardBase);
  EXPECT_EQ(form.lvwGetFileList.Count(), 0);
  EXPECT_FALSE(frmFormatEraseWait->Visible());
}

TEST_F(DirectoryFormatTest, FormattingTheBuiltInMemoryPutsTheModelsImageFileBack) {
  StoreNamed(MediumId::kInternal, {"a.mp3", "b.mp3"});
  ShapeForm& form = StartAndRead();
  // The model's image file is missing: the player cannot work without it,
  // so the format is not done.
  Answer({});
  ASSERT_TRUE(form.imgFormat.UserClick());
  EXPECT_EQ(TakeBoxes(), (std::vector<std::string>{"Do you really want to format Built-in Memory? ",
                                                   "CORVANE_MP3P_DEC_ORG_V100.bot File is not exists!!!",
                                                   "Not Format!!"}));
  EXPECT_TRUE(Names().empty());
  EXPECT_EQ(form.lvwTmpDownload.Count(), 0);

  const auto image = Bytes(20000, 7);
  ASSERT_TRUE(common::WriteFileAtomically(root() / "Program" / "CORVANE_MP3P_DEC_ORG_V100.bot", image));
  ASSERT_TRUE(form.imgFormat.UserClick());
  EXPECT_EQ(TakeBoxes(), (std::vector<std::string>{"Do you really want to format Built-in Memory? ",
                                                   "Format complete!!"}));
  ASSERT_EQ(Names(), std::vector<std::string>{"CORVANE_MP3P_DEC_ORG_V100.bot"});
  EXPECT_EQ(*player->EntryData(MediumId::kInternal, 0), image);
  const auto header = player->Entries(MediumId::kInternal)[0].header;
  EXPECT_EQ(header[playerlink::audio::kKind], 'm');
  EXPECT_EQ(Captions(form.lvwGetFileList), std::vector<std::string>{"CORVANE_MP3P_DEC_ORG_V100.bot"});
  EXPECT_FALSE(frmProgress->Visible());  // fast mode: no progress window

  // Cancel at the question changes nothing, and Cancel is what Enter
  // presses; a refused format is no success.
  Answer({{"Do you really", kEnter}});
  (void)TakeCommands();
  ASSERT_TRUE(form.imgFormat.UserClick());
  EXPECT_EQ(backend().MessageBoxes().at(0).request.title, "Confirm");
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"Do you really want to format Built-in Memory? "});
  EXPECT_EQ(CountOf(TakeCommands(), 4), 0);
  EXPECT_EQ(Names().size(), 1u);
  Faults f;
  f.commands.push_back({4, std::nullopt, false, {}, -1});
  player->SetFaults(f);
  Answer({{"Device not", ModalResult::kCancel}});
  ASSERT_TRUE(form.imgFormat.UserClick());
  EXPECT_EQ(TakeBoxes(), (std::vector<std::string>{"Do you really want to format Built-in Memory? ", "Not Format!!",
                                                   "Device not connected, please connect and power on !!!"}));
  EXPECT_EQ(Names().size(), 1u);
}

TEST_F(DirectoryFormatTest, AFailedReadAfterTheFormatStillPutsTheImageBackOrSaysItIsNotDone) {
  const auto image = Bytes(20000, 9);
  ASSERT_TRUE(common::WriteFileAtomically(root() / "Program" / "CORVANE_MP3P_DEC_ORG_V100.bot", image));
  StoreNamed(MediumId::kInternal, {"a.mp3"});
  ShapeForm& form = StartAndRead();
  // The player goes away at the first read behind the format and is back
  // when the user has cancelled the connection question.
  const auto awayAfterFormat = [&] {
    Faults f;
    f.unplugs.push_back({1, std::uint8_t{2}, -1, 1});
    player->SetFaults(f);
  };
  const auto cancelAndComeBack = [this](bool back) {
    backend().SetMessageBoxScript([this, back](const gui::MessageBoxRequest& box) {
      if (box.text.rfind("Device not", 0) != 0) return ModalResult::kOk;
      if (back) player->SetFaults({});
      return ModalResult::kCancel;
    });
  };
  awayAfterFormat();
  cancelAndComeBack(true);
  ASSERT_TRUE(form.imgFormat.UserClick());
  EXPECT_EQ(TakeBoxes(), (std::vector<std::string>{"Do you really want to format Built-in Memory? ",
                                                   "Device not connected, please connect and power on !!!",
                                                   "Format complete!!"}));
  ASSERT_EQ(Names(), std::vector<std::string>{"CORVANE_MP3P_DEC_ORG_V100.bot"});
  EXPECT_EQ(*player->EntryData(MediumId::kInternal, 0), image);
  EXPECT_EQ(Captions(form.lvwGetFileList), std::vector<std::string>{"CORVANE_MP3P_DEC_ORG_V100.bot"});

  // Gone for good: the image cannot be written, and the user is told.
  awayAfterFormat();
  cancelAndComeBack(false);
  ASSERT_TRUE(form.imgFormat.UserClick());
  const auto boxes = TakeBoxes();
  ASSERT_GE(boxes.size(), 3u);
  EXPECT_EQ(boxes[1], "Device not connected, please connect and power on !!!");
  EXPECT_EQ(boxes.back(), "Not Format!!");
  EXPECT_TRUE(Names().empty());
  player->SetFaults({});
}

TEST_F(DirectoryFormatTest, TheOlderModelGetsItsDecoderByFirmwareAndItsEncoderImage) {
  EXPECT_EQ(ModelImageFiles("F010", 13),
            (std::vector<std::string>{"CORVANE_ENCO_DEC_ORG_V103.bot", "CORVANE_ENCO_ENC_ORG_V103.bot"}));
  EXPECT_EQ(ModelImageFiles("F010", 14),
            (std::vector<std::string>{"CORVANE_ENCO_DEC_ORG_V104.bot", "CORVANE_ENCO_ENC_ORG_V103.bot"}));
  EXPECT_EQ(ModelImageFiles("F011", 14), std::vector<std::string>{"CORVANE_MP3P_DEC_ORG_V100.bot"});
  EXPECT_TRUE(ModelImageFiles("F099", 14).empty());

  playerlink::sim::PlayerSettings settings;
  settings.modelLow = 0x10;
  settings.firmwareTimesTen = 14;
  player = std::make_shared<playerlink::sim::SimulatedPlayer>(settings);
  driver.Attach(player);
  for (const char* name : {"CORVANE_ENCO_DEC_ORG_V104.bot", "CORVANE_ENCO_ENC_ORG_V103.bot"}) {
    ASSERT_TRUE(common::WriteFileAtomically(root() / "Program" / name, Bytes(300, 1)));
  }
  ShapeForm& form = StartAndRead();
  ASSERT_EQ(Vars().modelCode, "F010");
  Answer({});
  ASSERT_TRUE(form.imgFormat.UserClick());
  ASSERT_EQ(Names(), (std::vector<std::string>{"CORVANE_ENCO_DEC_ORG_V104.bot", "CORVANE_ENCO_ENC_ORG_V103.bot"}));
  const auto entries = player->Entries(MediumId::kInternal);
  EXPECT_EQ(entries[0].header[playerlink::audio::kKind], 'd');
  EXPECT_EQ(entries[1].header[playerlink::audio::kKind], 'e');
}

TEST_F(DirectoryFormatTest, AnUnknownModelIsChosenByTheUserBeforeItsImageIsWritten) {
  playerlink::sim::PlayerSettings settings;
  settings.modelLow = 0x99;  // "F099": no model the program knows
  player = std::make_shared<playerlink::sim::SimulatedPlayer>(settings);
  driver.Attach(player);
  ASSERT_TRUE(common::WriteFileAtomically(root() / "Program" / "CORVANE_MP3P_DEC_ORG_V100.bot", Bytes(100, 3)));
  ShapeForm& form = StartAndRead();
  ASSERT_EQ(Vars().modelCode, "F099");
  Answer({});
  // Closed without a choice: nothing to write, the format stands.
  backend().OnIdle = [] {
    if (!frmProductName->Visible()) return false;
    frmProductName->UserClose();
    return true;
  };
  ASSERT_TRUE(form.imgFormat.UserClick());
  EXPECT_TRUE(Names().empty());
  EXPECT_EQ(TakeBoxes().back(), "Format complete!!");

  backend().OnIdle = [] {
    return frmProductName->Visible() && frmProductName->optZmrB.UserClick() && frmProductName->cmdOK.UserClick();
  };
  ASSERT_TRUE(form.imgFormat.UserClick());
  EXPECT_EQ(Names(), std::vector<std::string>{"CORVANE_MP3P_DEC_ORG_V100.bot"});
  backend().OnIdle = nullptr;
}

TEST_F(DirectoryFormatTest, AnErasedBlockAsksToCheckTheFirstTimeAndToFormatTheSecond) {
  StoreNamed(MediumId::kInternal, {"a.mp3", "b.mp3"});
  ShapeForm& form = StartAndRead();
  Faults f;
  f.erasedDirectoryBlock = 3;
  player->SetFaults(f);
  Answer({{"Do you really", ModalResult::kCancel}});
  ASSERT_TRUE(form.imgReflash.UserClick());
  // The first answer starts the read over; the second advises the format.
  EXPECT_EQ(TakeBoxes(), (std::vector<std::string>{
                             "Player is in abnormal state, please check player and try again !!!",
                             "Player is in abnormal state, You should format the Nand Flash !!!",
                             "Do you really want to format Built-in Memory? "}));
  EXPECT_EQ(form.lvwGetFileList.Count(), 0);  // never a list that may not be the player's
  EXPECT_EQ(Vars().abnormalCount, 0);

  // The count lives for the run: the next erased block, much later, is
  // the first again; Cancel there ends the read.
  Answer({{"Player is in abnormal state, please", ModalResult::kCancel}});
  backend().Advance(3600 * 1000);
  ASSERT_TRUE(form.imgReflash.UserClick());
  EXPECT_EQ(TakeBoxes(),
            std::vector<std::string>{"Player is in abnormal state, please check player and try again !!!"});
  EXPECT_EQ(Vars().abnormalCount, 1);
  player->SetFaults({});
  ASSERT_TRUE(form.imgReflash.UserClick());
  EXPECT_EQ(Captions(form.lvwGetFileList), (std::vector<std::string>{"a.mp3", "b.mp3"}));
}

TEST_F(DirectoryFormatTest, MemoryLabelsAndTheProbeOfTheFirstEntry) {
  StoreNamed(MediumId::kInternal, {"a.mp3"});
  ShapeForm& form = StartAndRead();
  (void)TakeCommands();
  ASSERT_TRUE(form.imgReflash.UserClick());
  const auto codes = Codes(TakeCommands());
  // State query, the probe (select entry 1, read its header), the
  // directory, then the memory query.
  EXPECT_EQ(codes, (std::vector<unsigned>{0, 5, 2, 6, 7, 0, 9}));
  // A player that keeps the free space to itself: said, then the
  // connection question; Retry reads again, Cancel ends with the list shown.
  Faults f;
  f.commands.push_back({9, std::nullopt, false, {}, kStepRetries + 1});
  player->SetFaults(f);
  int asked = 0;
  backend().SetMessageBoxScript([&](const gui::MessageBoxRequest& box) {
    if (box.text.rfind("Device not", 0) == 0) return ++asked == 1 ? ModalResult::kRetry : ModalResult::kCancel;
    return ModalResult::kOk;
  });
  TakeBoxes();
  EXPECT_TRUE(ReadDeviceDirectory(form));  // every try of the step refused; Retry reads again
  EXPECT_EQ(TakeBoxes(), (std::vector<std::string>{"It did not get free memory info !!!",
                                                   "Device not connected, please connect and power on !!!"}));
  f.commands[0].times = -1;
  player->SetFaults(f);
  EXPECT_FALSE(ReadDeviceDirectory(form));
  EXPECT_EQ(Captions(form.lvwGetFileList), std::vector<std::string>{"a.mp3"});
  EXPECT_EQ(MemoryText(0), "0 KB");
  EXPECT_EQ(MemoryText(1536), "2 KB");
  EXPECT_EQ(MemoryText(128u << 20), "131,072 KB");
}

}  // namespace
}  // namespace halvern
