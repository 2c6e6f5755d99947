// The transfer manager's start-up and main window, headless, against the
// in-process simulated player.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "common/File.h"
#include "platform/gui/Cursor.h"
#include "platform/gui/Picture.h"
#include "transfer-manager/ShapePictures.h"
#include "transfer-manager/frmWait.h"
#include "transfer-manager/modFunctions.h"
#include "transfer-manager/modRegistry.h"
#include "transfer-manager/tests/HalvernTestSupport.h"

namespace halvern {
namespace {

using namespace playerlink;
using gui::ModalResult;
using sim::Faults;
using sim::MediumId;

class ShapeTest : public testing::HalvernTest {};

std::vector<std::string> ColumnCaptions(const gui::ListView& list) {
  std::vector<std::string> out;
  for (const auto& c : list.Columns()) out.push_back(c.caption + "/" + std::to_string(c.width));
  return out;
}

TEST_F(ShapeTest, StartsWithTheLibraryAndShowsTheMainWindowWithItsListsAndControls) {
  ASSERT_EQ(Start().result, StartResult::kRunning);
  ASSERT_NE(frmShape, nullptr);
  EXPECT_EQ(app().MainForm(), frmShape);
  EXPECT_TRUE(frmShape->Visible());
  EXPECT_EQ(frmShape->Caption(), "Mp3 File Transfer Manager");
  EXPECT_NE(Transport(), nullptr);
  EXPECT_TRUE(backend().MessageBoxes().empty());

  EXPECT_EQ(ColumnCaptions(frmShape->lvwPcFileList), (std::vector<std::string>{"Name/150", "Size/90", "Folder/100"}));
  EXPECT_EQ(ColumnCaptions(frmShape->lvwGetFileList),
            (std::vector<std::string>{"Name/150", "Size/90", "Folder/100", "SystemInfo/0", "FwOrder/0", "UserOrder/0",
                                      "Sort/0"}));
  EXPECT_EQ(ColumnCaptions(frmShape->lvwPlayList), std::vector<std::string>{"FileFullPath/200"});
  EXPECT_FALSE(frmShape->lvwTmpDownload.Visible());
  EXPECT_EQ(frmShape->lvwGetFileList.Columns()[1].alignment, gui::Align::kRight);

  // Until the first read only quitting and the chosen medium are usable.
  EXPECT_FALSE(frmShape->FolderTreeview.Enabled());
  EXPECT_FALSE(frmShape->imgReflash.Enabled());
  EXPECT_FALSE(frmShape->CloseB.Enabled());
  EXPECT_TRUE(frmShape->imgQuit.Enabled());
  EXPECT_TRUE(frmShape->optBuiltIn.Enabled());
  EXPECT_FALSE(frmShape->optCard.Enabled());
  EXPECT_TRUE(frmShape->optBuiltIn.Checked());
  EXPECT_EQ(Vars().cmdBase, kInternalMemoryBase);
  EXPECT_TRUE(frmShape->UserTimer.Enabled());
  EXPECT_EQ(frmShape->UserTimer.Interval(), kFirstReadDelayMs);
  EXPECT_EQ(frmShape->lblTotMem.Caption(), " 0 KB");
  EXPECT_EQ(frmShape->lblAvailMem.Caption(), "0 KB");
  EXPECT_EQ(frmShape->lblVersion.Caption(), "Halvern Ver 1.2");

  // The player is read half a second after the window shows.
  (void)player->TakeEvents();
  backend().Advance(kFirstReadDelayMs - 1);
  EXPECT_TRUE(player->TakeEvents().empty());
  backend().Advance(5000);
  EXPECT_FALSE(frmShape->UserTimer.Enabled());
  EXPECT_TRUE(frmShape->FolderTreeview.Enabled());
  EXPECT_TRUE(frmShape->imgReflash.Enabled());
  EXPECT_TRUE(frmShape->CloseB.Enabled());
  EXPECT_TRUE(frmShape->optCard.Enabled());
}

TEST_F(ShapeTest, WithoutTheLibraryItSaysSoAndEnds) {
  std::filesystem::remove(root() / "Program" / "Dravik.dll");
  EXPECT_EQ(Start().result, StartResult::kLibraryMissing);
  ASSERT_EQ(backend().MessageBoxes().size(), 1u);
  const auto& box = backend().MessageBoxes()[0].request;
  EXPECT_EQ(box.text, "Dravik.dll이 없습니다. 프로그램을 재설치 후 사용하세요.");
  EXPECT_EQ(box.title, "Dll 에러");
  EXPECT_EQ(box.buttons, gui::Buttons::kOk);
  EXPECT_TRUE(app().OwnedForms().empty());
  EXPECT_EQ(frmShape, nullptr);
  // A folder of that name is no library either.
  std::filesystem::create_directories(root() / "Program" / "Dravik.dll");
  NewApplication();
  EXPECT_EQ(Start().result, StartResult::kLibraryMissing);
}

TEST_F(ShapeTest, ASecondInstanceEndsSilently) {
  ASSERT_EQ(Start().result, StartResult::kRunning);
  gui::headless::HeadlessBackend second;
  auto guardName = Environment().instanceName;
  auto other = platform::NamedMapping::Create(guardName, 1024);
  EXPECT_TRUE(other.AlreadyExisted());
  // The same start-up in a second program: it ends before it changes anything.
  {
    auto started = StartHalvern(app());
    EXPECT_EQ(started.result, StartResult::kAlreadyRunning);
  }
  EXPECT_TRUE(backend().MessageBoxes().empty());
  EXPECT_EQ(app().OwnedForms().size(), 6u);
}

TEST_F(ShapeTest, FirstReadFillsThePlayerListTheMemoryLabelsAndTheModelTexts) {
  StoreOnPlayer(MediumId::kInternal, u"C:\\Music\\one.mp3", 300);
  StoreOnPlayer(MediumId::kInternal, u"D:\\가요\\둘.mp3", 1536);
  StoreOnPlayer(MediumId::kInternal, u"three.mp3", 2560);
  ShapeForm& form = StartAndRead();
  const auto& list = form.lvwGetFileList;
  EXPECT_EQ(Captions(list), (std::vector<std::string>{"one.mp3", "둘.mp3", "three.mp3"}));
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Item(0).subItems, (std::vector<std::string>{"1 KB", "C:\\Music\\one.mp3", "300", "1", "1", ""}));
  EXPECT_EQ(list.Item(1).subItems[0], "2 KB");
  EXPECT_EQ(list.Item(2).subItems[0], "2 KB");  // 2.5 goes to the even neighbour
  EXPECT_EQ(list.Item(2).subItems[3], "3");
  EXPECT_EQ(Vars().deviceFileCount, 3);

  const std::uint32_t free = player->FreeBytes(MediumId::kInternal);
  const std::uint32_t total = 128u << 20;
  EXPECT_EQ(Vars().freeBytes, free);
  EXPECT_EQ(form.lblTotMem.Caption(), "131,072 KB");
  EXPECT_EQ(form.lblAvailMem.Caption(), GroupThousands((free + 512) / 1024) + " KB");
  EXPECT_EQ(form.lblUsedMem.Caption(), GroupThousands((total - free + 512) / 1024) + " KB");

  EXPECT_EQ(Vars().modelCode, "F012");
  EXPECT_EQ(form.mnuModel.Caption(), "Model : ZMR-C");
  EXPECT_EQ(form.mnuFWVersion.Caption(), "Product Version : 1.4");
  EXPECT_EQ(form.lblTotalFileCount2.Caption(), "0 / 3");
  EXPECT_TRUE(form.imgErase.Enabled());
  EXPECT_TRUE(form.imgEraseAll.Enabled());
  EXPECT_FALSE(form.imgUpload.Enabled());
}

TEST_F(ShapeTest, PlayerSelectionTotalsAndWhichModelsMayUpload) {
  StoreOnPlayer(MediumId::kInternal, u"a.mp3", 1536);
  StoreOnPlayer(MediumId::kInternal, u"b.mp3", 2560);
  ShapeForm& form = StartAndRead();
  ASSERT_TRUE(form.lvwGetFileList.UserClickItem(0));
  EXPECT_EQ(form.lblTotalFileCount2.Caption(), "1 / 2");
  EXPECT_FALSE(form.imgUpload.Enabled());  // "F012" never uploads
  ASSERT_TRUE(form.lvwGetFileList.UserSetSelected(1, true));
  EXPECT_EQ(form.lblTotalFileCount2.Caption(), "2 / 2");
  EXPECT_EQ(form.lblTotalFileSize2.Caption(), "4 KB");  // 4096 bytes

  Vars().modelCode = "F010";
  ASSERT_TRUE(form.lvwGetFileList.UserClickItem(1));
  EXPECT_TRUE(form.imgUpload.Enabled());
  Vars().modelCode = "F011";
  UpdateDeviceSelection(form);
  EXPECT_FALSE(form.imgUpload.Enabled());

  form.lvwGetFileList.Clear();
  UpdateDeviceSelection(form);
  EXPECT_EQ(form.lblTotalFileCount2.Caption(), "0 / 0");
  EXPECT_EQ(form.lblTotalFileSize2.Caption(), "0 KB");
  EXPECT_FALSE(form.imgErase.Enabled());
  EXPECT_FALSE(form.imgEraseAll.Enabled());
}

TEST_F(ShapeTest, PcListTotalsFollowTheSelectionAgainstTheFreeSpace) {
  Touch(Pc("small.mp3"), 1000);
  Touch(Pc("big.mp3"), 5 * 16384);
  Touch(Pc("note.txt"), 10);
  player->SetMedium(MediumId::kInternal, {true, true, 6 * 16384});
  ShapeForm& form = StartAndRead();
  auto& list = form.lvwPcFileList;
  EXPECT_EQ(Captions(list), (std::vector<std::string>{"big.mp3", "small.mp3"}));
  EXPECT_EQ(list.Item(1).subItems, (std::vector<std::string>{"1 KB", JoinPath(TextOfPath(Pc()), "small.mp3")}));
  // Rows, none selected: the download may go (nothing to exceed the free space).
  EXPECT_EQ(form.lblTotalFileCount.Caption(), "0 / 2");
  EXPECT_EQ(form.lblTotalFileSize.Caption(), "0 KB");
  EXPECT_TRUE(form.imgDownload.Enabled());

  ASSERT_TRUE(list.UserSetSelected(0, true));  // 81920 bytes of the 98304 free
  EXPECT_EQ(form.lblTotalFileCount.Caption(), "1 / 2");
  EXPECT_EQ(form.lblTotalFileSize.Caption(), "80 KB");
  EXPECT_TRUE(form.imgDownload.Enabled());
  Vars().freeBytes = 50000;
  ASSERT_TRUE(list.UserMouseMove({5, 5}));
  EXPECT_FALSE(form.imgDownload.Enabled());  // the selection does not fit
  ASSERT_TRUE(list.UserSetSelected(0, false));
  ASSERT_TRUE(list.UserSetSelected(1, true));
  EXPECT_TRUE(form.imgDownload.Enabled());  // one file less: it fits again
  EXPECT_EQ(Vars().selectedPcCount, 1);
  EXPECT_EQ(Vars().selectedPcBytes, 1000u);
}

TEST_F(ShapeTest, AnEmptyFolderShowsNothingSelectedAndNoDownload) {
  ShapeForm& form = StartAndRead();
  EXPECT_EQ(form.lvwPcFileList.Count(), 0);
  EXPECT_EQ(form.lblTotalFileCount.Caption(), "0 / 0");
  EXPECT_EQ(form.lblTotalFileSize.Caption(), "0 KB");
  EXPECT_FALSE(form.imgDownload.Enabled());
}

TEST_F(ShapeTest, ASelectedFileThatVanishedIsNamedAndTheListIsRebuilt) {
  Touch(Pc("Keep.mp3"), 100);
  Touch(Pc("Gone.MP3"), 100);
  ShapeForm& form = StartAndRead();
  auto& list = form.lvwPcFileList;
  ASSERT_EQ(Captions(list), (std::vector<std::string>{"Gone.MP3", "Keep.mp3"}));
  std::filesystem::remove(Pc("Gone.MP3"));
  TakeBoxes();
  ASSERT_TRUE(list.UserSetSelected(0, true));
  const auto boxes = backend().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].request.text, "Sorry! The gone.mp3 file does not exist!!!");
  EXPECT_EQ(boxes[0].request.title, "Not Exist File");
  EXPECT_EQ(boxes[0].request.icon, gui::MsgIcon::kError);
  EXPECT_EQ(Captions(list), std::vector<std::string>{"Keep.mp3"});
  EXPECT_EQ(form.lblTotalFileCount.Caption(), "0 / 1");
}

TEST_F(ShapeTest, TheChosenFolderIsListedRememberedAndShownAgainAtTheNextStart) {
  std::filesystem::create_directories(Pc("음악"));
  Touch(Pc("음악/노래.mp3"), 2048);
  Touch(Pc("top.mp3"), 10);
  ShapeForm& form = StartAndRead();
  EXPECT_EQ(Captions(form.lvwPcFileList), std::vector<std::string>{"top.mp3"});
  gui::TreeNode* pcRoot = form.FolderTreeview.Root(0);
  ASSERT_TRUE(form.FolderTreeview.UserExpand(pcRoot));
  ASSERT_EQ(pcRoot->Count(), 1);
  gui::TreeNode* music = pcRoot->Child(0);
  EXPECT_EQ(music->Text(), "음악");
  ASSERT_TRUE(form.FolderTreeview.UserSelect(music));
  EXPECT_EQ(Captions(form.lvwPcFileList), std::vector<std::string>{"노래.mp3"});
  EXPECT_EQ(form.fileListBox.ListIndex(), 0);
  const std::string chosen = JoinPath(TextOfPath(Pc()), "음악");
  EXPECT_EQ(GetRegString(registry, platform::RegistryRoot::kCurrentUser, kSettingsKey, kLastFolderValue), chosen);
  EXPECT_TRUE(form.FolderTreeview.Enabled());

  NewApplication();
  ShapeForm& again = StartAndRead();
  EXPECT_EQ(again.fileListBox.Path(), chosen);
  ASSERT_NE(again.FolderTreeview.Selected(), nullptr);
  EXPECT_EQ(again.FolderTreeview.Selected()->data, chosen);
  EXPECT_EQ(Captions(again.lvwPcFileList), std::vector<std::string>{"노래.mp3"});

  // A remembered folder that is gone falls back to the fallback folder.
  std::filesystem::remove_all(Pc("음악"));
  NewApplication();
  ShapeForm& third = StartAndRead();
  EXPECT_EQ(third.fileListBox.Path(), TextOfPath(Pc()));
  EXPECT_EQ(Captions(third.lvwPcFileList), std::vector<std::string>{"top.mp3"});
}

TEST_F(ShapeTest, ChoosingTheCardListsItsFilesAndAMissingCardReturnsToTheBuiltInMemory) {
  StoreOnPlayer(MediumId::kInternal, u"inside.mp3", 100);
  StoreOnPlayer(MediumId::kCard, u"C:\\card\\outside.mp3", 100);
  ShapeForm& form = StartAndRead();
  ASSERT_TRUE(form.optCard.UserClick());
  EXPECT_EQ(Vars().cmdBase, kCardBase);
  EXPECT_EQ(Captions(form.lvwGetFileList), std::vector<std::string>{"outside.mp3"});
  EXPECT_EQ(form.lblTotMem.Caption(), "65,536 KB");
  EXPECT_TRUE(form.optBuiltIn.Enabled());

  player->SetMedium(MediumId::kCard, {false, true, 64u << 20});
  TakeBoxes();
  backend().SetMessageBoxScript([](const gui::MessageBoxRequest&) { return ModalResult::kCancel; });
  ASSERT_TRUE(form.optBuiltIn.UserClick());
  ASSERT_TRUE(form.optCard.UserClick());
  // The state query fails, the device wait runs, then the card question.
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"No Card, please Insert Card!!!"});
  EXPECT_EQ(Vars().cmdBase, kInternalMemoryBase);
  EXPECT_TRUE(form.optBuiltIn.Checked());
  EXPECT_FALSE(form.optCard.Checked());
  EXPECT_EQ(Captions(form.lvwGetFileList), std::vector<std::string>{"inside.mp3"});
  EXPECT_TRUE(form.optCard.Enabled());
}

TEST_F(ShapeTest, APlayerThatNeverAnswersEndsInTheQuestionWithinTheWaitsBound) {
  driver.Detach();
  std::vector<std::uint64_t> asked;
  int answers = 0;
  backend().SetMessageBoxScript([&](const gui::MessageBoxRequest& box) {
    if (box.text == "Device not connected, please connect and power on !!!") asked.push_back(app().NowMs());
    return ++answers == 1 ? ModalResult::kRetry : ModalResult::kCancel;
  });
  ASSERT_EQ(Start().result, StartResult::kRunning);
  backend().Advance(kFirstReadDelayMs + 2 * (kWaitLimitMs + 2000));
  ASSERT_EQ(asked.size(), 2u);  // Retry read again once, Cancel ended it
  EXPECT_GE(asked[0], 16000u + kFirstReadDelayMs);
  EXPECT_LE(asked[0], 17000u + kFirstReadDelayMs);
  EXPECT_LE(asked[1] - asked[0], 17000u);
  EXPECT_TRUE(frmShape->FolderTreeview.Enabled());  // the window is usable again
  EXPECT_FALSE(frmWait->Visible());
  EXPECT_EQ(frmShape->mnuModel.Caption(), "Model : ?");
}

TEST_F(ShapeTest, APlayerThatAnswersButRefusesTheDirectoryEndsInTheQuestionToo) {
  StoreOnPlayer(MediumId::kInternal, u"a.mp3", 100);
  Faults f;
  f.commands.push_back({6, std::nullopt, true, {}, -1});
  player->SetFaults(f);
  backend().SetMessageBoxScript([](const gui::MessageBoxRequest&) { return ModalResult::kCancel; });
  const std::uint64_t start = app().NowMs();
  ASSERT_EQ(Start().result, StartResult::kRunning);
  backend().Advance(kFirstReadDelayMs + (kStepRetries + 1) * kWaitLimitMs);
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"Device not connected, please connect and power on !!!"});
  EXPECT_TRUE(frmShape->FolderTreeview.Enabled());
  EXPECT_LE(app().NowMs() - start, static_cast<std::uint64_t>(kFirstReadDelayMs + (kStepRetries + 1) * kWaitLimitMs));
}

TEST_F(ShapeTest, AShortDirectoryBlockIsReadAgainAfterTheWaitAndNothingIsAsked) {
  StoreOnPlayer(MediumId::kInternal, u"a.mp3", 100);
  StoreOnPlayer(MediumId::kInternal, u"b.mp3", 100);
  Faults f;
  f.shortBlocks.push_back({true, 2, std::uint8_t{7}, 100, 2});  // the first entry block, twice (both tries)
  player->SetFaults(f);
  ShapeForm& form = StartAndRead();
  EXPECT_EQ(Captions(form.lvwGetFileList), (std::vector<std::string>{"a.mp3", "b.mp3"}));
  EXPECT_TRUE(backend().MessageBoxes().empty());
  EXPECT_EQ(form.lvwGetFileList.Item(1).subItems[3], "2");
}

TEST_F(ShapeTest, TheWaitWindowCountsTheTicksAndItsCancelEndsTheWait) {
  ASSERT_EQ(Start().result, StartResult::kRunning);
  backend().Advance(kFirstReadDelayMs + 5000);
  driver.Detach();
  int shownTicks = 0;
  backend().SetMessageBoxScript([](const gui::MessageBoxRequest&) { return ModalResult::kCancel; });
  // The refresh pings the player; press Cancel in the wait window on the 3rd tick.
  frmShape->tmrWait.OnTimer = [&] {
    frmShape->tmrWait_Timer();
    shownTicks = frmWait->proWait.Position();
    if (shownTicks == 3 && frmWait->Visible()) {
      EXPECT_TRUE(frmWait->cmdCancel.UserClick());
    }
  };
  const std::uint64_t start = app().NowMs();
  ASSERT_TRUE(frmShape->imgReflash.UserClick());
  EXPECT_EQ(frmWait->proWait.Max(), 15);
  EXPECT_EQ(frmWait->Caption(), "Warning ! ! !  ");
  EXPECT_FALSE(frmWait->Visible());
  EXPECT_LE(app().NowMs() - start, 6000u);  // ended at the 4th tick, not the 16th
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"Device not connected, please connect and power on !!!"});
}

TEST_F(ShapeTest, TheWaitWindowsCloseBoxEndsTheWaitAsCancelDoes) {
  ASSERT_EQ(Start().result, StartResult::kRunning);
  backend().Advance(kFirstReadDelayMs + 5000);
  driver.Detach();
  backend().SetMessageBoxScript([](const gui::MessageBoxRequest&) { return ModalResult::kCancel; });
  bool closed = false;
  frmShape->tmrWait.OnTimer = [&] {
    frmShape->tmrWait_Timer();
    if (!closed && frmWait->proWait.Position() == 3 && frmWait->Visible()) {
      closed = true;
      frmWait->UserClose();
      EXPECT_FALSE(frmWait->Visible());
      EXPECT_EQ(Vars().waitTicks, kWaitCancelTicks);
    }
  };
  const std::uint64_t start = app().NowMs();
  ASSERT_TRUE(frmShape->imgReflash.UserClick());
  EXPECT_TRUE(closed);
  EXPECT_LE(app().NowMs() - start, 6000u);  // ended at the next tick, not the 16th
  EXPECT_FALSE(Vars().waitActive);
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"Device not connected, please connect and power on !!!"});
}

TEST_F(ShapeTest, PopupMenuOnlyWhileNoCommandRunsAndItsWebPages) {
  ASSERT_EQ(Start().result, StartResult::kRunning);
  frmShape->Form_MouseUp(true, {100, 100});  // before the first read: controls disabled
  EXPECT_EQ(frmShape->mnuPopUP.PopupCount(), 0);
  backend().Advance(kFirstReadDelayMs + 5000);
  frmShape->Form_MouseUp(false, {100, 100});
  EXPECT_EQ(frmShape->mnuPopUP.PopupCount(), 0);
  backend().ChooseOnNextPopup(&frmShape->mnuCorvane);
  ASSERT_TRUE(frmShape->UserContextMenu({100, 100}));  // a right click on the window
  EXPECT_EQ(frmShape->mnuPopUP.PopupCount(), 1);
  EXPECT_EQ(shell.opened, std::vector<std::string>{kCorvanePage});
  ASSERT_TRUE(frmShape->mnuPradel.UserClick());
  EXPECT_EQ(shell.opened.back(), kPradelPage);
  EXPECT_EQ(frmShape->mnuProduct.Items().size(), 2u);
}

// Whether the image shows row `row` of a strip of seven command pictures.
bool ShowsStripRow(const gui::Image& image, const gui::Bitmap& strip, int row) {
  const auto& shown = image.ShownBitmap();
  if (!shown || shown->Width() != strip.Width() || shown->Height() * kCommandCount != strip.Height()) return false;
  for (int y = 0; y < shown->Height(); ++y) {
    for (int x = 0; x < shown->Width(); ++x) {
      if (shown->Pixel(x, y) != strip.Pixel(x, row * shown->Height() + y)) return false;
    }
  }
  return true;
}

class ShapePicturesTest : public ShapeTest {
 protected:
  gui::Bitmap Strip(const char* name) {
    auto strip = gui::LoadPicture(root() / "Program" / name);
    EXPECT_TRUE(strip.ok()) << name;
    return strip ? *strip : gui::Bitmap{};
  }
};

TEST_F(ShapePicturesTest, HoverLightsOnePictureAndResetsItsNeighboursWithoutDrawingItAgain) {
  StoreOnPlayer(MediumId::kInternal, u"a.mp3", 100);  // so erase is enabled
  ShapeForm& form = StartAndRead();
  const gui::Bitmap normal = Strip(kButtonPicture);
  const gui::Bitmap active = Strip(kButtonActivePicture);
  ASSERT_NE(normal, active);
  const auto pictures = form.CommandPictures();
  for (int i = 0; i < kCommandCount; ++i) EXPECT_TRUE(ShowsStripRow(*pictures[static_cast<std::size_t>(i)], normal, i)) << i;

  ASSERT_TRUE(form.imgFormat.UserMouseMove({1, 1}));
  EXPECT_TRUE(ShowsStripRow(form.imgFormat, active, 4));
  ASSERT_TRUE(form.imgErase.UserMouseMove({1, 1}));
  EXPECT_TRUE(ShowsStripRow(form.imgErase, active, 2));
  EXPECT_TRUE(ShowsStripRow(form.imgUpload, normal, 1));
  EXPECT_TRUE(ShowsStripRow(form.imgEraseAll, normal, 3));
  EXPECT_TRUE(ShowsStripRow(form.imgFormat, active, 4));  // not a neighbour of imgErase: left as it was

  // Moves over the same picture keep the very pictures shown: nothing to
  // draw again, so nothing flickers.
  const gui::Bitmap* lit = form.imgErase.ShownBitmap().get();
  const gui::Bitmap* beside = form.imgUpload.ShownBitmap().get();
  ASSERT_TRUE(form.imgErase.UserMouseMove({2, 2}));
  EXPECT_EQ(form.imgErase.ShownBitmap().get(), lit);
  EXPECT_EQ(form.imgUpload.ShownBitmap().get(), beside);

  // The pointer leaves the pictures for the window's background.
  ASSERT_TRUE(form.imgReflash.UserMouseMove({1, 1}));
  form.UserMouseMove(gui::MouseEvent{{300, 480}});
  for (int i = 0; i < kCommandCount; ++i) EXPECT_TRUE(ShowsStripRow(*pictures[static_cast<std::size_t>(i)], normal, i)) << i;
}

TEST_F(ShapePicturesTest, TheHoverReadsTheProgramFoldersPicturesAgainWhenTheyChange) {
  ShapeForm& form = StartAndRead();
  const gui::Bitmap normal = Strip(kButtonPicture);
  // The lit strip replaced by the normal one: the next hover shows it.
  const auto lit = root() / "Program" / kButtonActivePicture;
  const auto before = std::filesystem::last_write_time(lit);
  std::filesystem::remove(lit);
  std::filesystem::copy_file(root() / "Program" / kButtonPicture, lit);
  std::filesystem::last_write_time(lit, before + std::chrono::seconds(2));
  ASSERT_TRUE(form.imgQuit.UserMouseMove({1, 1}));
  EXPECT_TRUE(ShowsStripRow(form.imgQuit, normal, 6));

  // A strip that is gone, or is no strip of seven, leaves the pictures read
  // last.
  const gui::Bitmap* shown = form.imgQuit.ShownBitmap().get();
  std::filesystem::remove(lit);
  ASSERT_TRUE(form.imgQuit.UserMouseMove({1, 1}));
  EXPECT_EQ(form.imgQuit.ShownBitmap().get(), shown);
  std::filesystem::copy_file(root() / "Program" / kPlayPicture, lit);
  ASSERT_TRUE(form.imgQuit.UserMouseMove({1, 1}));
  EXPECT_EQ(form.imgQuit.ShownBitmap().get(), shown);
}

TEST_F(ShapePicturesTest, TheWindowAndItsPicturesHaveTheDesignsSizesAndPlaces) {
  ShapeForm& form = StartAndRead();
  // 15 twips a pixel.
  EXPECT_EQ(form.Width(), 736);
  EXPECT_EQ(form.Height(), 500);
  EXPECT_EQ(form.imgDownload.Bounds(), (gui::Rect{25, 56, 72, 22}));
  EXPECT_EQ(form.imgUpload.Bounds(), (gui::Rect{24, 124, 72, 22}));
  EXPECT_EQ(form.imgQuit.Bounds(), (gui::Rect{26, 458, 72, 22}));
  EXPECT_EQ(form.imgPlay.Bounds(), (gui::Rect{169, 440, 86, 18}));
  EXPECT_EQ(form.CloseB.Bounds(), (gui::Rect{720, 3, 16, 14}));
  EXPECT_EQ(form.Min.Bounds(), (gui::Rect{704, 3, 16, 14}));
  EXPECT_EQ(form.FolderTreeview.Bounds(), (gui::Rect{128, 71, 289, 180}));
  EXPECT_EQ(form.lvwPcFileList.Bounds(), (gui::Rect{126, 251, 291, 167}));
  EXPECT_EQ(form.lvwGetFileList.Bounds(), (gui::Rect{431, 70, 291, 347}));
  EXPECT_EQ(form.optBuiltIn.Left(), 425);
  EXPECT_EQ(form.optCard.Top(), 48);
  EXPECT_EQ(form.lblTotMem.Left(), 194);
  EXPECT_EQ(form.lblAvailMem.Top(), 470);

  // Each picture fills its control exactly (they are drawn unscaled).
  ASSERT_TRUE(form.backPicture);
  EXPECT_EQ(form.backPicture->Width(), form.Width());
  EXPECT_EQ(form.backPicture->Height(), form.Height());
  for (gui::Image* image : {&form.imgDownload, &form.imgReflash, &form.imgPlay, &form.imgStop, &form.CloseB, &form.Min,
                            &form.CloseHolder, &form.MinHolder}) {
    const auto& shown = image->ShownBitmap();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->Width(), image->Width());
    EXPECT_EQ(shown->Height(), image->Height());
  }
}

TEST_F(ShapePicturesTest, OneDesignedWindowWithItsPictureArialLettersAndThePointerOverWhatCanBePressed) {
  ShapeForm& form = StartAndRead();
  EXPECT_TRUE(form.Frameless());  // its own close and minimise pictures only
  EXPECT_EQ(form.BackgroundColor(), gui::Rgb(255, 255, 255));
  ASSERT_TRUE(form.Background());
  const auto back = gui::LoadPicture(root() / "Program" / kBackPicture);
  ASSERT_TRUE(back.ok());
  EXPECT_EQ(*form.Background(), *back);
  for (gui::Label* label : {&form.lblVersion, &form.lblTotMem, &form.lblTotalFileCountSizeTxt2, &form.lblTrackTime}) {
    EXPECT_EQ(label->FontName(), "Arial");
    EXPECT_TRUE(label->Transparent());
  }
  for (gui::Control* c : std::initializer_list<gui::Control*>{&form.imgDownload, &form.imgQuit, &form.imgPlay,
                                                              &form.imgStop, &form.CloseB, &form.Min, &form.optBuiltIn,
                                                              &form.optCard}) {
    ASSERT_TRUE(c->Cursor());
    EXPECT_EQ(c->Cursor()->Name(), kPointerResource);
  }
  EXPECT_FALSE(form.lvwGetFileList.Cursor());
  EXPECT_FALSE(form.Cursor());
}

TEST_F(ShapePicturesTest, TheBuildPutsEveryPictureAndThePointerBesideTheProgram) {
  for (const char* name : kShapePictureFiles) {
    const auto path = std::filesystem::path(HALVERN_PICTURES_DIR) / name;
    ASSERT_TRUE(std::filesystem::exists(path)) << name;
    if (std::string_view(name) != kPointerFile) {
      EXPECT_TRUE(gui::LoadPicture(path).ok()) << name;
    }
  }
  // The pointer: one 32 x 32 picture of a cursor file, its hot spot inside.
  const auto bytes = common::ReadWholeFile(std::filesystem::path(HALVERN_PICTURES_DIR) / kPointerFile, 1 << 16);
  ASSERT_TRUE(bytes.ok());
  ASSERT_GT(bytes->size(), 22u);
  const auto* b = reinterpret_cast<const std::uint8_t*>(bytes->data());
  EXPECT_EQ(b[2] | b[3] << 8, 2);  // a cursor
  EXPECT_EQ(b[4] | b[5] << 8, 1);  // one picture
  EXPECT_EQ(b[6], 32);
  EXPECT_EQ(b[7], 32);
  EXPECT_LT(b[10] | b[11] << 8, 32);
  EXPECT_LT(b[12] | b[13] << 8, 32);
}

TEST_F(ShapeTest, TheMinimisePictureShowsItsPressedPictureAndMinimisesTheWindow) {
  ShapeForm& form = StartAndRead();
  const auto normal = form.Min.ShownBitmap();
  ASSERT_TRUE(normal);
  ASSERT_TRUE(form.Min.UserMouseDown({1, 1}));
  EXPECT_EQ(form.Min.ShownBitmap(), form.MinHolder.ShownBitmap());
  EXPECT_NE(form.Min.ShownBitmap(), normal);
  ASSERT_TRUE(form.Min.UserMouseUp({1, 1}));
  EXPECT_EQ(form.Min.ShownBitmap(), normal);
  EXPECT_FALSE(form.Minimized());
  ASSERT_TRUE(form.Min.UserMouseDown({1, 1}));
  ASSERT_TRUE(form.Min.UserClick());  // released outside the picture: only the click comes
  EXPECT_EQ(form.Min.ShownBitmap(), normal);
  EXPECT_TRUE(form.Minimized());
  EXPECT_FALSE(app().Terminated());
  form.BringToFront();
  EXPECT_FALSE(form.Minimized());
}

TEST_F(ShapeTest, DragFlagsNameTheDragsListAndAreClearedByTheDropOnThePcList) {
  Touch(Pc("a.mp3"), 100);
  Touch(Pc("b.mp3"), 100);
  StoreOnPlayer(MediumId::kInternal, u"c.mp3", 100);
  StoreOnPlayer(MediumId::kInternal, u"d.mp3", 100);
  ShapeForm& form = StartAndRead();
  auto& pc = form.lvwPcFileList;
  auto& player = form.lvwGetFileList;
  int uploads = 0;
  form.uploadCommand = [&] { ++uploads; };
  // The flags as each drag starts, after the program's own handler.
  std::vector<std::string> started;
  auto note = [&](std::function<void()> handler) {
    return [&started, handler] {
      handler();
      const auto& v = Vars();
      started.push_back(std::string(v.dragFromPc ? "pc" : "") + (v.dragFromDevice ? "device" : "") +
                        (v.droppedOnPc || v.droppedOnDevice ? "+dropped" : ""));
    };
  };
  pc.OnStartDrag = note(pc.OnStartDrag);
  player.OnStartDrag = note(player.OnStartDrag);
  auto flagsClear = [] {
    const auto& v = Vars();
    return !v.dragFromPc && !v.dragFromDevice && !v.droppedOnPc && !v.droppedOnDevice;
  };

  // PC rows dropped on the PC list: nothing but the flags cleared.
  ASSERT_TRUE(pc.UserSetSelected(0, true));
  ASSERT_TRUE(pc.UserDragTo(pc, pc.ItemPoint(1)));
  EXPECT_EQ(uploads, 0);
  EXPECT_TRUE(flagsClear());

  // Player rows dropped on the PC list: the upload, once.
  ASSERT_TRUE(player.UserSetSelected(1, true));
  ASSERT_TRUE(player.UserDragTo(pc, pc.ItemPoint(0)));
  EXPECT_EQ(uploads, 1);
  EXPECT_TRUE(flagsClear());

  // A player drag that ended outside both lists leaves its flag behind; a
  // PC drag after it starts clean and uploads nothing.
  player.BeginDrag();  // the native drag loop ends without a drop
  EXPECT_TRUE(Vars().dragFromDevice);
  ASSERT_TRUE(pc.UserDragTo(pc, pc.ItemPoint(0)));
  EXPECT_EQ(uploads, 1);
  EXPECT_TRUE(flagsClear());
  EXPECT_EQ(started, (std::vector<std::string>{"pc", "device", "device", "pc"}));

  // Even with the stale flag still set at the drop, a drag of PC rows starts no upload.
  Vars().dragFromDevice = true;
  gui::ListDrag own;
  own.source = &pc;
  own.target = &pc;
  own.items = {0};
  lvwPcFileList_OLEDragDrop(form, own);
  EXPECT_EQ(uploads, 1);
  EXPECT_TRUE(flagsClear());
}

TEST_F(ShapeTest, RowsDraggedOverThePlayerListMarkTheRowUnderThePointer) {
  Touch(Pc("a.mp3"), 100);
  StoreOnPlayer(MediumId::kInternal, u"c.mp3", 100);
  StoreOnPlayer(MediumId::kInternal, u"d.mp3", 100);
  ShapeForm& form = StartAndRead();
  auto& player = form.lvwGetFileList;
  gui::ListDrag drag;
  drag.source = &form.lvwPcFileList;
  drag.items = {0};
  drag.at = player.ItemPoint(1);
  EXPECT_TRUE(player.DragOver(drag));
  EXPECT_EQ(player.DropHighlight(), 1);
  drag.at = player.ItemPoint(0);
  player.DragOver(drag);
  EXPECT_EQ(player.DropHighlight(), 0);
  drag.at = {player.Width() / 2, player.Height() - 2};  // below the last row
  player.DragOver(drag);
  EXPECT_EQ(player.DropHighlight(), -1);
}

TEST_F(ShapeTest, ClosePictureAndCloseBoxQuitButNotWhileACommandRuns) {
  ShapeForm& form = StartAndRead();
  const auto normal = form.CloseB.ShownBitmap();
  ASSERT_TRUE(normal);
  ASSERT_TRUE(form.CloseB.UserMouseDown({1, 1}));
  EXPECT_EQ(form.CloseB.ShownBitmap(), form.CloseHolder.ShownBitmap());
  EXPECT_NE(form.CloseB.ShownBitmap(), normal);
  ASSERT_TRUE(form.CloseB.UserMouseUp({1, 1}));
  EXPECT_EQ(form.CloseB.ShownBitmap(), normal);

  DisableControls(form, false);
  form.UserClose();
  EXPECT_FALSE(app().Terminated());
  EnableControls(form);
  form.UserClose();
  EXPECT_TRUE(app().Terminated());
  EXPECT_EQ(Transport(), nullptr);  // the library is freed on quit
}

}  // namespace
}  // namespace halvern
