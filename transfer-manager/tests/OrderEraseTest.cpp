// A new place for an entry in the player's order, and erasing entries, on
// the simulated player: what reaches the player and what the list shows
// afterwards, when the player takes the order and when it does not.
#include <gtest/gtest.h>

#include "transfer-manager/frmMessages.h"
#include "transfer-manager/modErase.h"
#include "transfer-manager/modOrder.h"
#include "transfer-manager/tests/PlayerCommandsSupport.h"

namespace halvern {
namespace {

using gui::ModalResult;
using playerlink::sim::Faults;

const std::vector<std::string> kSix{"e1.mp3", "e2.mp3", "e3.mp3", "e4.mp3", "e5.mp3", "e6.mp3"};

class OrderEraseTest : public testing::PlayerCommandsTest {
 protected:
  ShapeForm& StartWith(const std::vector<std::string>& names) {
    StoreNamed(MediumId::kInternal, names);
    return StartAndRead();
  }
  // Drags row `from` onto row `to` of the player list.
  bool Move(int from, int to) {
    auto& list = frmShape->lvwGetFileList;
    SelectOnly(list, {from});
    return list.UserDragTo(list, list.ItemPoint(to));
  }
  std::vector<std::string> Column(int column) {
    std::vector<std::string> out;
    for (const auto& row : frmShape->lvwGetFileList.Items()) out.push_back(gui::ListView::ColumnText(row, column));
    return out;
  }
  bool FlagsClear() {
    return !Vars().dragFromDevice && !Vars().dragFromPc && !Vars().droppedOnDevice && !Vars().droppedOnPc;
  }
};

TEST_F(OrderEraseTest, AMovedEntryReachesThePlayerAsAWholeOrderAndTheListFollows) {
  ShapeForm& form = StartWith(kSix);
  ASSERT_TRUE(Move(4, 1));
  const std::vector<std::string> moved{"e1.mp3", "e5.mp3", "e2.mp3", "e3.mp3", "e4.mp3", "e6.mp3"};
  EXPECT_EQ(Names(), moved);
  EXPECT_EQ(Captions(form.lvwGetFileList), moved);
  EXPECT_EQ(Column(column::kFwOrder), (std::vector<std::string>{"1", "2", "3", "4", "5", "6"}));
  EXPECT_EQ(Column(column::kUserOrder), (std::vector<std::string>{"1", "2", "3", "4", "5", "6"}));
  EXPECT_EQ(Column(column::kSort), (std::vector<std::string>{"001", "002", "003", "004", "005", "006"}));
  EXPECT_EQ(form.lvwGetFileList.DropHighlight(), -1);
  EXPECT_TRUE(FlagsClear());
  EXPECT_TRUE(backend().MessageBoxes().empty());
  EXPECT_TRUE(form.lvwGetFileList.Enabled());

  // Down the list, then the list read again shows the player's order.
  ASSERT_TRUE(Move(0, 3));
  const std::vector<std::string> down{"e5.mp3", "e2.mp3", "e3.mp3", "e1.mp3", "e4.mp3", "e6.mp3"};
  EXPECT_EQ(Names(), down);
  ASSERT_TRUE(form.imgReflash.UserClick());
  EXPECT_EQ(Captions(form.lvwGetFileList), down);
}

TEST_F(OrderEraseTest, TheOrderBlockNamesEveryEntryOnceInTheNewOrder) {
  ShapeForm& form = StartWith(kSix);
  const auto order = MovedOrder(form.lvwGetFileList, 4, 1);
  ASSERT_TRUE(order);
  EXPECT_EQ(*order, (std::vector<std::uint8_t>{1, 5, 2, 3, 4, 6}));
  const auto block = playerlink::BuildOrderBlock(*order);
  EXPECT_EQ(std::vector<std::uint8_t>(block->begin(), block->begin() + 8),
            (std::vector<std::uint8_t>{2, 6, 1, 5, 2, 3, 4, 6}));
  // Rows that are not each entry once never make an order.
  auto row = form.lvwGetFileList.Item(2);
  row.subItems[column::kFwOrder - 1] = "2";
  form.lvwGetFileList.SetItem(2, row);
  EXPECT_FALSE(MovedOrder(form.lvwGetFileList, 4, 1));
  row.subItems[column::kFwOrder - 1] = "7";
  form.lvwGetFileList.SetItem(2, row);
  EXPECT_FALSE(MovedOrder(form.lvwGetFileList, 4, 1));
  row.subItems[column::kFwOrder - 1] = "x";
  form.lvwGetFileList.SetItem(2, row);
  EXPECT_FALSE(MovedOrder(form.lvwGetFileList, 4, 1));
  // ...and are never sent: the player's list is read instead.
  (void)TakeCommands();
  ASSERT_TRUE(Move(4, 1));
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"The file list does not match the player, it is read again !!!"});
  EXPECT_EQ(CountOf(TakeCommands(), 5), 1);  // the probe of the read alone
  EXPECT_EQ(Names(), kSix);
  EXPECT_EQ(Column(column::kFwOrder), (std::vector<std::string>{"1", "2", "3", "4", "5", "6"}));
}

TEST_F(OrderEraseTest, AfterARefusedOrderTheListKeepsThePlayersOrderAndAnEraseHitsTheRowChosen) {
  ShapeForm& form = StartWith(kSix);
  Faults f;
  f.commands.push_back({5, std::nullopt, false, {}, 1});  // the order's code 5 refused once
  player->SetFaults(f);
  Answer({{"Device not", ModalResult::kCancel}});
  ASSERT_TRUE(Move(4, 1));
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"Device not connected, please connect and power on !!!"});
  EXPECT_EQ(Names(), kSix);
  EXPECT_EQ(Captions(form.lvwGetFileList), kSix);  // not the order the player refused
  EXPECT_TRUE(FlagsClear());
  EXPECT_TRUE(form.lvwGetFileList.Enabled());

  // Row 3 shows e3.mp3: that is the file erased.
  Answer({});
  SelectOnly(form.lvwGetFileList, {2});
  ASSERT_TRUE(form.imgErase.UserClick());
  EXPECT_EQ(Names(), (std::vector<std::string>{"e1.mp3", "e2.mp3", "e4.mp3", "e5.mp3", "e6.mp3"}));
}

TEST_F(OrderEraseTest, AnOrderBlockLostOnTheWayIsFollowedByTheDirectoryOnRetry) {
  ShapeForm& form = StartWith(kSix);
  Faults f;
  f.shortBlocks.push_back({false, 1, std::uint8_t{5}, 10, 1});  // the order block falls short
  player->SetFaults(f);
  Answer({});
  ASSERT_TRUE(Move(0, 5));
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"Device not connected, please connect and power on !!!"});
  EXPECT_EQ(Names(), kSix);
  EXPECT_EQ(Captions(form.lvwGetFileList), kSix);  // read again on Retry
  SelectOnly(form.lvwGetFileList, {5});
  ASSERT_TRUE(form.imgErase.UserClick());
  EXPECT_EQ(Names(), (std::vector<std::string>{"e1.mp3", "e2.mp3", "e3.mp3", "e4.mp3", "e5.mp3"}));
}

TEST_F(OrderEraseTest, DropsThatMoveNothingSendNothing) {
  ShapeForm& form = StartWith(kSix);
  auto& list = form.lvwGetFileList;
  (void)TakeCommands();
  ASSERT_TRUE(Move(2, 2));                                     // onto itself
  SelectOnly(list, {2});
  ASSERT_TRUE(list.UserDragTo(list, {5, list.ItemPoint(5).y + 200}));  // below the last row
  SelectOnly(list, {1, 3});
  ASSERT_TRUE(list.UserDragTo(list, list.ItemPoint(0)));      // two rows at once
  EXPECT_EQ(CountOf(TakeCommands(), 5), 0);
  EXPECT_EQ(Names(), kSix);
  EXPECT_TRUE(FlagsClear());
  EXPECT_EQ(list.DropHighlight(), -1);
  EXPECT_TRUE(backend().MessageBoxes().empty());
}

TEST_F(OrderEraseTest, ThePlayerThatKeepsItsOwnOrderRefusesTheDropWithAMessage) {
  playerlink::sim::PlayerSettings settings;
  settings.modelLow = 0x10;  // "F010"
  player = std::make_shared<playerlink::sim::SimulatedPlayer>(settings);
  driver.Attach(player);
  ShapeForm& form = StartWith({"a.mp3", "b.mp3"});
  (void)TakeCommands();
  ASSERT_TRUE(Move(1, 0));
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"This player cannot change the order of its files !!!"});
  EXPECT_EQ(CountOf(TakeCommands(), 5), 0);
  EXPECT_EQ(Captions(form.lvwGetFileList), (std::vector<std::string>{"a.mp3", "b.mp3"}));
  EXPECT_TRUE(FlagsClear());
}

TEST_F(OrderEraseTest, ErasingSeveralRowsSelectsEachByItsNumberAsTheGapCloses) {
  ShapeForm& form = StartWith({"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"});
  SelectOnly(form.lvwGetFileList, {1, 2});
  Answer({});
  (void)TakeCommands();
  ASSERT_TRUE(form.imgErase.UserClick());
  EXPECT_EQ(TakeBoxes(), (std::vector<std::string>{"Do you really want to erase the file(s)?", "Erase complete !!!"}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.mp3", "d.mp3", "e.mp3"}));
  EXPECT_EQ(Captions(form.lvwGetFileList), Names());
  const auto sent = TakeCommands();
  EXPECT_EQ(CountOf(sent, 8), 2);
  EXPECT_EQ(CountOf(sent, 3), 0);
  EXPECT_FALSE(frmEraseFile->Visible());
  EXPECT_EQ(frmEraseFile->lblErasingFileName.Caption(), "");

  // Enter at the question is Cancel: nothing is erased.
  SelectOnly(form.lvwGetFileList, {0, 1, 2});
  Answer({{"Do you really", kEnter}});
  ASSERT_TRUE(form.imgErase.UserClick());
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"Do you really want to erase the file(s)?"});
  EXPECT_EQ(CountOf(TakeCommands(), 8), 0);
  EXPECT_EQ(Names().size(), 3u);

  // All three rows: one by one still (three deletes).
  Answer({});
  ASSERT_TRUE(form.imgErase.UserClick());
  EXPECT_EQ(CountOf(TakeCommands(), 8), 3);
  EXPECT_TRUE(Names().empty());
}

TEST_F(OrderEraseTest, EveryRowOfFourOrMoreIsEraseAllAndEraseAllAsksItsOwnQuestion) {
  ShapeForm& form = StartWith({"a.mp3", "b.mp3", "c.mp3", "d.mp3"});
  SelectOnly(form.lvwGetFileList, {0, 1, 2, 3});
  Answer({});
  (void)TakeCommands();
  ASSERT_TRUE(form.imgErase.UserClick());
  EXPECT_EQ(TakeBoxes(),
            (std::vector<std::string>{"Do you really want to erase all file(s)?", "All Erase complete !!!"}));
  const auto sent = TakeCommands();
  EXPECT_EQ(CountOf(sent, 3), 1);
  EXPECT_EQ(CountOf(sent, 8), 0);
  EXPECT_TRUE(Names().empty());
  EXPECT_FALSE(frmFormatEraseWait->Visible());

  // On an empty medium code 3 still goes and its answer is reported.
  imgEraseAll_Click(form);
  EXPECT_EQ(TakeBoxes(),
            (std::vector<std::string>{"Do you really want to erase all file(s)?", "All Erase complete !!!"}));
  // Cancel sends nothing; a refused erase all is said so.
  StoreNamed(MediumId::kInternal, {"x.mp3"});
  ASSERT_TRUE(form.imgReflash.UserClick());
  Answer({{"Do you really", kEnter}});  // Enter presses Cancel
  (void)TakeCommands();
  ASSERT_TRUE(form.imgEraseAll.UserClick());
  EXPECT_EQ(CountOf(TakeCommands(), 3), 0);
  Faults f;
  f.commands.push_back({3, std::nullopt, false, {}, -1});
  player->SetFaults(f);
  TakeBoxes();
  Answer({{"Device not", ModalResult::kCancel}});
  ASSERT_TRUE(form.imgEraseAll.UserClick());
  EXPECT_EQ(TakeBoxes(), (std::vector<std::string>{"Do you really want to erase all file(s)?", "Not Erase!!",
                                                   "Device not connected, please connect and power on !!!"}));
  EXPECT_EQ(Names(), std::vector<std::string>{"x.mp3"});
}

TEST_F(OrderEraseTest, NothingSelectedOrASelectionThePlayerDidNotTakeNeverReportsAnErase) {
  ShapeForm& form = StartWith({"a.mp3", "b.mp3", "c.mp3"});
  (void)TakeCommands();
  ASSERT_TRUE(form.imgErase.UserClick());
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"Select the file(s) to erase first !!!"});
  EXPECT_TRUE(TakeCommands().empty());

  // The selection block falls short: no delete follows it.
  Faults f;
  f.shortBlocks.push_back({false, 1, std::uint8_t{5}, 10, 1});
  player->SetFaults(f);
  Answer({{"Device not", ModalResult::kCancel}});
  SelectOnly(form.lvwGetFileList, {1});
  ASSERT_TRUE(form.imgErase.UserClick());
  EXPECT_EQ(TakeBoxes(), (std::vector<std::string>{"Do you really want to erase the file(s)?",
                                                   "Device not connected, please connect and power on !!!"}));
  EXPECT_EQ(CountOf(TakeCommands(), 8), 0);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.mp3", "b.mp3", "c.mp3"}));
  EXPECT_FALSE(Device().IsOpen());
  EXPECT_TRUE(form.imgReflash.Enabled());

  // A refused delete: "Not Erase!!", no report of success.
  Faults g;
  g.commands.push_back({8, std::nullopt, false, {}, -1});
  player->SetFaults(g);
  SelectOnly(form.lvwGetFileList, {0});
  ASSERT_TRUE(form.imgErase.UserClick());
  EXPECT_EQ(TakeBoxes(), (std::vector<std::string>{"Do you really want to erase the file(s)?", "Not Erase!!",
                                                   "Device not connected, please connect and power on !!!"}));
  EXPECT_EQ(Names().size(), 3u);
}

}  // namespace
}  // namespace halvern
