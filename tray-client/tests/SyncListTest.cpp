// The sync list model.
#include <gtest/gtest.h>

#include "tray-client/SyncListUnit.h"

namespace orvel {
namespace {

TEST(SyncListTest, NewItemsAreEmptyAndStayPutWhileTheListGrows) {
  TSyncComponent component;
  TSyncItem& first = component.Items().Add();
  EXPECT_EQ(first.ContentType, 0);
  EXPECT_EQ(first.DnFileSize, 0);
  EXPECT_TRUE(first.ChannelName.empty());
  EXPECT_FALSE(first.IsSelected || first.IsDownEnd || first.IsSyncEnd);
  first.ChannelName = "뉴스";
  for (int i = 0; i < 100; ++i) component.Items().Add();
  EXPECT_EQ(&component.Items().Items(0), &first);
  EXPECT_EQ(component.Items().Owner(), &component);
}

TEST(SyncListTest, ClearEmptiesAndEveryIndexThenFails) {
  TSyncComponent component;
  component.Items().Add();
  component.Items().Clear();
  EXPECT_EQ(component.Items().Count(), 0);
  EXPECT_THROW(component.Items().Items(0), std::out_of_range);
  EXPECT_THROW(component.Items().Items(-1), std::out_of_range);
}

TEST(SyncListTest, AssigningCopiesEveryFieldAndKeepsTheOwnedList) {
  TSyncComponent source, target;
  TSyncItem& item = source.Items().Add();
  item = TSyncItem{{1, "가요", 12, "a.mp3", 1500, "20021105", "b.mp3", 900, "10:00", "P-7"}, 3, true, true, true};
  target.Items().Add().ChannelName = "old";
  TSyncList* owned = &target.Items();
  target.SetItems(source.Items());
  EXPECT_EQ(&target.Items(), owned);
  ASSERT_EQ(target.Items().Count(), 1);
  const TSyncItem& copy = target.Items().Items(0);
  EXPECT_EQ(copy.ContentType, 1);
  EXPECT_EQ(copy.ChannelName, "가요");
  EXPECT_EQ(copy.Sequence, 12);
  EXPECT_EQ(copy.DnFileName, "a.mp3");
  EXPECT_EQ(copy.DnFileSize, 1500);
  EXPECT_EQ(copy.DnFileDate, "20021105");
  EXPECT_EQ(copy.PreFileName, "b.mp3");
  EXPECT_EQ(copy.PreFileSize, 900);
  EXPECT_EQ(copy.PreDownTime, "10:00");
  EXPECT_EQ(copy.PurchaseNum, "P-7");
  EXPECT_EQ(copy.ItemNo, 3);
  EXPECT_TRUE(copy.IsSyncEnd && copy.IsDownEnd && copy.IsSelected);
  EXPECT_NE(&copy, &item) << "a copy, not the same item";
  target.SetItems(target.Items());
  EXPECT_EQ(target.Items().Count(), 1) << "assigning a list to itself keeps it";
}

}  // namespace
}  // namespace orvel
