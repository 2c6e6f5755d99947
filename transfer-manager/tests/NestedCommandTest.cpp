// The player commands against everything else the user and the program can
// do while one of them waits: a command's questions and waits are nested
// loops, and nothing reached inside them may start a second conversation
// with the player, lose a file or touch a freed window.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/Timer.h"
#include "transfer-manager/frmMessages.h"
#include "transfer-manager/frmProgress.h"
#include "transfer-manager/modFunctions.h"
#include "transfer-manager/tests/PlayerCommandsSupport.h"

namespace halvern {
namespace {

using gui::ModalResult;
using gui::headless::NestedLoop;

// A driver in front of the simulated one that counts the sessions with a
// device open at the same time: a conversation with the player is a
// session with its control device open.
class CountingDriver : public playerlink::Driver {
 public:
  explicit CountingDriver(playerlink::Driver& inner) : inner_(inner) {}
  std::unique_ptr<playerlink::DriverSession> NewSession() override {
    return std::make_unique<Session>(*this, inner_.NewSession());
  }
  int MostAtOnce() const { return most_; }

 private:
  class Session : public playerlink::DriverSession {
   public:
    Session(CountingDriver& owner, std::unique_ptr<playerlink::DriverSession> inner)
        : owner_(owner), inner_(std::move(inner)) {}
    ~Session() override { Mark(false); }
    bool Open(playerlink::Device device) override {
      const bool opened = inner_->Open(device);
      if (opened && device == playerlink::Device::kControl) Mark(true);
      return opened;
    }
    void Close(playerlink::Device device) override {
      inner_->Close(device);
      if (device == playerlink::Device::kControl) Mark(false);
    }
    bool IsOpen(playerlink::Device device) const override { return inner_->IsOpen(device); }
    std::optional<std::size_t> Control(std::span<std::uint8_t> buffer, std::size_t requestSize) override {
      return inner_->Control(buffer, requestSize);
    }
    std::optional<std::size_t> Write(std::span<const std::uint8_t> data) override { return inner_->Write(data); }
    std::optional<std::size_t> Read(std::span<std::uint8_t> data) override { return inner_->Read(data); }

   private:
    void Mark(bool open) {
      if (open == open_) return;
      open_ = open;
      owner_.open_ += open ? 1 : -1;
      owner_.most_ = std::max(owner_.most_, owner_.open_);
    }
    CountingDriver& owner_;
    std::unique_ptr<playerlink::DriverSession> inner_;
    bool open_ = false;
  };
  playerlink::Driver& inner_;
  int open_ = 0;
  int most_ = 0;
};

const std::vector<std::string> kSix{"e1.mp3", "e2.mp3", "e3.mp3", "e4.mp3", "e5.mp3", "e6.mp3"};

class NestedCommandTest : public testing::PlayerCommandsTest {
 protected:
  NestedCommandTest() { Environment().driver = &counting; }

  ShapeForm& StartWith(const std::vector<std::string>& names) {
    StoreNamed(MediumId::kInternal, names);
    return StartAndRead();
  }

  // Everything the user can reach on the main window, and the clock: each
  // enabled picture, option, list and the tree, the close box, the window's
  // popup menu, a file dropped on the player list. Gives how many of them
  // took the input.
  int FireEverySource(ShapeForm& form) {
    int taken = 0;
    for (gui::Image* picture : form.CommandPictures()) taken += picture->UserClick();
    for (gui::Image* picture : {&form.imgPlay, &form.imgStop, &form.CloseB, &form.Min}) taken += picture->UserClick();
    taken += form.optBuiltIn.UserClick();
    taken += form.optCard.UserClick();
    if (form.lvwPcFileList.Count() > 0) taken += form.lvwPcFileList.UserClickItem(0);
    if (form.lvwGetFileList.Count() > 0) {
      taken += form.lvwGetFileList.UserClickItem(0);
      taken += form.lvwGetFileList.UserDragTo(form.lvwGetFileList, form.lvwGetFileList.ItemPoint(0));
    }
    taken += form.lvwGetFileList.UserDropFiles({TextOfPath(Pc("pc.mp3"))}, gui::Point{5, 5});
    if (!form.FolderTreeview.Roots().empty()) taken += form.FolderTreeview.UserSelect(form.FolderTreeview.Roots()[0]);
    taken += form.UserContextMenu(gui::Point{5, 5});
    taken += form.UserClose();
    // The program's timers and the wait's poll go on meanwhile.
    backend().Advance(700);
    return taken;
  }

  // Fires every source at each nested loop from now on; records the kinds
  // met and every input taken.
  void FireAtEveryLoop(ShapeForm& form) {
    backend().SetNestedLoopsRunPending(true);
    backend().SetNestedLoopHook([this, &form](const NestedLoop& loop) {
      ++loops[loop.kind];
      taken += FireEverySource(form);
    });
  }

  std::vector<std::uint8_t> PcBytes() { return Bytes(5000, 9); }

  CountingDriver counting{driver};
  std::map<NestedLoop::Kind, int> loops;
  int taken = 0;
};

TEST_F(NestedCommandTest, AClickOnTheCurrentMediumDuringAnEraseIsRefusedAndTheEraseGoesOn) {
  ShapeForm& form = StartWith(kSix);
  Answer({});
  SelectOnly(form.lvwGetFileList, {1});
  // The user clicks "Internal" (and refresh) while the erase waits for the
  // player.
  gui::Timer click(&form);
  std::vector<bool> taken;
  bool commandsEnabled = true;
  click.SetInterval(50);
  click.OnTimer = [&] {
    click.SetEnabled(false);
    taken = {form.optBuiltIn.UserClick(), form.imgReflash.UserClick(), form.imgEraseAll.UserClick()};
    commandsEnabled = form.imgFormat.Enabled() || form.imgReflash.Enabled();
  };
  click.SetEnabled(true);
  TakeBoxes();
  ASSERT_TRUE(form.imgErase.UserClick());
  EXPECT_EQ(taken, (std::vector<bool>{false, false, false}));
  EXPECT_FALSE(commandsEnabled);
  EXPECT_EQ(TakeBoxes(), (std::vector<std::string>{"Do you really want to erase the file(s)?", "Erase complete !!!"}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"e1.mp3", "e3.mp3", "e4.mp3", "e5.mp3", "e6.mp3"}));
  EXPECT_EQ(Captions(form.lvwGetFileList), Names());
  EXPECT_EQ(counting.MostAtOnce(), 1);
  EXPECT_TRUE(form.imgFormat.Enabled());
  EXPECT_EQ(app().ModalDepth(), 0);
}

TEST_F(NestedCommandTest, TheFirstReadWaitsForAMediumReadTheUserStartedBeforeIt) {
  StoreNamed(MediumId::kInternal, kSix);
  ASSERT_EQ(Start().result, StartResult::kRunning);
  ShapeForm& form = *frmShape;
  // The program's first read falls due while the user's read of the
  // built-in memory waits for the player.
  backend().SetNestedLoopsRunPending(true);
  bool due = false;
  backend().SetNestedLoopHook([&](const NestedLoop&) {
    if (due) return;
    due = true;
    backend().Advance(kFirstReadDelayMs + 100);
  });
  (void)TakeCommands();
  ASSERT_TRUE(form.optBuiltIn.UserClick());
  backend().SetNestedLoopHook({});
  EXPECT_TRUE(due);
  const auto read = static_cast<unsigned>(playerlink::CommandCode::kReadDirectory);
  EXPECT_EQ(CountOf(TakeCommands(), read), 1) << "no read inside the other";
  backend().Advance(kFirstReadDelayMs + 5000);
  EXPECT_EQ(CountOf(TakeCommands(), read), 1) << "the first read after it";
  EXPECT_EQ(Captions(form.lvwGetFileList), kSix);
  EXPECT_EQ(counting.MostAtOnce(), 1);
  EXPECT_EQ(app().ModalDepth(), 0);
}

TEST_F(NestedCommandTest, EverySourceAtEveryQuestionAndWaitOfEachCommand) {
  WritePc("pc.mp3", PcBytes());
  ShapeForm& form = StartWith(kSix);
  Answer({});
  FireAtEveryLoop(form);

  // Refresh.
  ASSERT_TRUE(form.imgReflash.UserClick());
  EXPECT_EQ(Captions(form.lvwGetFileList), kSix);

  // Erase one entry.
  backend().SetNestedLoopHook({});
  SelectOnly(form.lvwGetFileList, {0});
  FireAtEveryLoop(form);
  ASSERT_TRUE(form.imgErase.UserClick());
  EXPECT_EQ(Names(), (std::vector<std::string>{"e2.mp3", "e3.mp3", "e4.mp3", "e5.mp3", "e6.mp3"}));

  // Write the PC file to the player.
  backend().SetNestedLoopHook({});
  SelectOnly(form.lvwPcFileList, {0});
  FireAtEveryLoop(form);
  ASSERT_TRUE(form.imgDownload.UserClick());
  EXPECT_EQ(Names(), (std::vector<std::string>{"e2.mp3", "e3.mp3", "e4.mp3", "e5.mp3", "e6.mp3", "pc.mp3"}));
  EXPECT_EQ(*player->EntryData(MediumId::kInternal, 5), PcBytes());

  // The other medium and back.
  ASSERT_TRUE(form.optCard.UserClick());
  ASSERT_TRUE(form.optBuiltIn.UserClick());
  EXPECT_EQ(Captions(form.lvwGetFileList), Names());

  // Erase all.
  ASSERT_TRUE(form.imgEraseAll.UserClick());
  EXPECT_TRUE(Names().empty());

  backend().SetNestedLoopHook({});
  EXPECT_GT(loops[NestedLoop::Kind::kMessageBox], 3);
  EXPECT_GT(loops[NestedLoop::Kind::kSleep], 3);
  EXPECT_EQ(taken, 0);
  EXPECT_EQ(counting.MostAtOnce(), 1);
  // The PC file is where it was, whole.
  const auto pc = common::ReadWholeFile(Pc("pc.mp3"), 1u << 20);
  ASSERT_TRUE(pc);
  EXPECT_EQ(std::vector<std::uint8_t>(pc->begin(), pc->end()), PcBytes());
  EXPECT_EQ(app().ModalDepth(), 0);
  EXPECT_TRUE(form.imgReflash.Enabled());
}

}  // namespace
}  // namespace halvern
