// List views (sorting by column, column clicks, view styles, pictures, hit
// tests, drags between lists) and tree views (lazy children, expand and
// collapse, selection) as a user drives them, on the headless backend.
#include <string>
#include <vector>

#include "platform/gui/Form.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/ListView.h"
#include "platform/gui/TreeView.h"
#include "platform/gui/tests/GuiTestSupport.h"

namespace gui {
namespace {

using testing::HeadlessTest;

class ListTreeTest : public HeadlessTest {};

std::vector<std::string> Column(const ListView& list, int column) {
  std::vector<std::string> out;
  for (const auto& item : list.Items()) out.push_back(ListView::ColumnText(item, column));
  return out;
}

TEST_F(ListTreeTest, SortingByAHiddenColumnReordersRowsAndKeepsNewRowsInPlace) {
  Form form;
  ListView list(&form);
  for (auto name : {"Name", "Size", "Folder", "Sort"}) list.AddColumn({name, 50, Align::kLeft});
  list.AddItem({"a", {"1 KB", "", "003"}});
  list.AddItem({"b", {"2 KB", "", "001"}});
  list.AddItem({"c", {"3 KB"}});  // no "Sort" text: sorts as empty
  list.AddItem({"d", {"4 KB", "", "002"}});
  list.SetDropHighlight(1);
  list.SetSortKey(3);
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"a", "b", "c", "d"})) << "sorting is off";
  list.SetSorted(true);
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"c", "b", "d", "a"}));
  EXPECT_EQ(list.DropHighlight(), -1) << "a re-sort forgets the drop place";
  EXPECT_EQ(list.AddItem({"e", {"", "", "0015"}}), 2) << "inserted at its place";
  list.SetSortAscending(false);
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"a", "d", "e", "b", "c"}));
  list.SetSorted(false);
  list.AddItem({"f", {"", "", "999"}});
  EXPECT_EQ(list.Item(5).caption, "f") << "unsorted rows append";
  EXPECT_EQ(ListView::ColumnText(list.Item(0), 9), "") << "a column past the sub-items reads empty";
}

TEST_F(ListTreeTest, ColumnClicksReachTheFormOnlyWhenHeadersAreButtons) {
  Form form;
  ListView list(&form);
  list.AddColumn({"파일 이름", 100});
  list.AddColumn({"파일 크기", 70, Align::kRight});
  std::vector<int> clicked;
  list.OnColumnClick = [&](int column) { clicked.push_back(column); };
  form.Show();
  EXPECT_TRUE(list.UserClickColumn(1));
  EXPECT_FALSE(list.UserClickColumn(2)) << "no such column";
  list.SetColumnClick(false);
  EXPECT_FALSE(list.UserClickColumn(0));
  EXPECT_EQ(clicked, (std::vector<int>{1}));
}

TEST_F(ListTreeTest, BulkItemsKeepOneSelectionInASingleSelectList) {
  Form form;
  ListView list(&form);
  std::vector<ListItem> rows(10000);
  for (int i = 0; i < 10000; ++i) rows[static_cast<std::size_t>(i)].caption = "file" + std::to_string(i) + ".mp3";
  rows[5].selected = rows[7].selected = true;
  list.SetOwnerData(true);
  list.SetItems(rows);
  EXPECT_EQ(list.Count(), 10000);
  EXPECT_EQ(list.SelectedIndexes(), (std::vector<int>{5}));
  list.SetMultiSelect(true);
  list.SetItems(rows);
  EXPECT_EQ(list.SelectedCount(), 2);
  list.SetCheckBoxes(true);
  form.Show();
  EXPECT_FALSE(list.UserSetChecked(0, true)) << "owner-data lists have no check boxes";
}

TEST_F(ListTreeTest, HitTestFindsRowsBelowTheHeaderAndDropHighlightFollowsDeletes) {
  Form form;
  ListView list(&form);
  list.SetBounds(0, 0, 200, 100);
  for (const char* c : {"a", "b", "c"}) list.AddItem({c, {}});
  EXPECT_EQ(list.HitTest({5, 2}), -1) << "the header";
  EXPECT_EQ(list.HitTest(list.ItemPoint(2)), 2);
  EXPECT_EQ(list.HitTest({5, ListView::kHeadlessHeaderHeight + 3 * ListView::kHeadlessRowHeight}), -1) << "below the rows";
  EXPECT_EQ(list.HitTest({250, list.ItemPoint(0).y}), -1) << "right of the list";
  list.SetDropHighlight(2);
  list.DeleteItem(0);
  EXPECT_EQ(list.DropHighlight(), 1);
  list.DeleteItem(1);
  EXPECT_EQ(list.DropHighlight(), -1);
  list.SetDropHighlight(7);
  EXPECT_EQ(list.DropHighlight(), -1) << "no such row";
}

TEST_F(ListTreeTest, ViewStylesAndPicturesAreKeptForTheNativeSide) {
  Form form;
  ListView list(&form);
  ImageList small(16), large(32);
  const int folder = small.IndexOf(Icon{"shell:folder"});
  EXPECT_EQ(small.IndexOf(Icon{"shell:folder"}), folder) << "a picture is added once";
  EXPECT_EQ(small.IndexOf(Icon{"shell:audio"}), 1);
  list.SetSmallImages(&small);
  list.SetLargeImages(&large);
  list.SetViewStyle(ListView::ViewStyle::kIcon);
  list.AddItem({"Music", {}, false, false, folder});
  EXPECT_EQ(list.viewStyle(), ListView::ViewStyle::kIcon);
  EXPECT_EQ(list.Item(0).imageIndex, 0);
  EXPECT_EQ(list.SmallImages()->Icons().at(1).resource, "shell:audio");
}

struct TwoLists : Form {
  TwoLists() {
    pc.SetBounds(0, 0, 200, 200);
    device.SetBounds(210, 0, 200, 200);
    for (const char* c : {"a.mp3", "b.mp3", "c.mp3"}) pc.AddItem({c, {}});
    for (const char* c : {"x.mp3", "y.mp3"}) device.AddItem({c, {}});
    pc.SetMultiSelect(true);
    pc.SetDragEnabled(true);
    device.SetDragEnabled(true);
  }
  ListView pc{this};
  ListView device{this};
};

TEST_F(ListTreeTest, DraggingRowsOntoAnotherListTellsSourceTargetItemsAndPlace) {
  TwoLists form;
  form.Show();
  std::vector<std::string> log;
  ListDrag dropped;
  form.pc.OnStartDrag = [&] { log.push_back("start pc"); };
  form.device.OnDragOver = [&](ListDrag& drag) {
    log.push_back("over " + std::to_string(drag.targetIndex));
    form.device.SetDropHighlight(drag.targetIndex);
  };
  form.device.OnDragDrop = [&](const ListDrag& drag) {
    log.push_back("drop");
    dropped = drag;
  };
  EXPECT_FALSE(form.pc.UserDragTo(form.device, form.device.ItemPoint(1))) << "nothing selected";
  form.pc.SetSelected(0, true);
  form.pc.SetSelected(2, true);
  EXPECT_TRUE(form.pc.UserDragTo(form.device, form.device.ItemPoint(1)));
  EXPECT_EQ(log, (std::vector<std::string>{"start pc", "over 1", "drop"}));
  EXPECT_EQ(dropped.source, &form.pc);
  EXPECT_EQ(dropped.target, &form.device);
  EXPECT_EQ(dropped.items, (std::vector<int>{0, 2}));
  EXPECT_EQ(dropped.targetIndex, 1);
  EXPECT_EQ(form.device.DropHighlight(), 1);

  // The other way: the PC list takes no drops until it has a drop handler.
  form.device.SetSelected(0, true);
  EXPECT_FALSE(form.device.UserDragTo(form.pc, {5, 150}));
  int pcDrops = 0;
  form.pc.OnDragDrop = [&](const ListDrag& drag) {
    ++pcDrops;
    EXPECT_EQ(drag.targetIndex, -1) << "dropped on empty space";
  };
  EXPECT_TRUE(form.device.UserDragTo(form.pc, {5, 150}));
  EXPECT_EQ(pcDrops, 1);

  // A list refusing the place, a disabled target, a list that does not drag.
  form.device.OnDragOver = [](ListDrag& drag) { drag.accept = drag.targetIndex >= 0; };
  EXPECT_FALSE(form.pc.UserDragTo(form.device, {5, 190}));
  form.device.SetEnabled(false);
  EXPECT_FALSE(form.pc.UserDragTo(form.device, form.device.ItemPoint(0)));
  form.device.SetEnabled(true);
  form.pc.SetDragEnabled(false);
  EXPECT_FALSE(form.pc.UserDragTo(form.device, form.device.ItemPoint(0)));
}

TEST_F(ListTreeTest, DraggingInsideOneListReportsTheRowDroppedOn) {
  TwoLists form;
  form.Show();
  ListDrag seen;
  form.device.OnDragDrop = [&](const ListDrag& drag) { seen = drag; };
  form.device.SetSelected(1, true);
  ASSERT_TRUE(form.device.UserDragTo(form.device, form.device.ItemPoint(0)));
  EXPECT_EQ(seen.source, seen.target);
  EXPECT_EQ(seen.items, (std::vector<int>{1}));
  EXPECT_EQ(seen.targetIndex, 0);
}

TEST_F(ListTreeTest, MouseMovesOverAListReachTheForm) {
  Form form;
  ListView list(&form);
  int moves = 0;
  list.OnMouseMove = [&](Point) { ++moves; };
  EXPECT_FALSE(list.UserMouseMove({1, 1})) << "hidden";
  form.Show();
  EXPECT_TRUE(list.UserMouseMove({1, 1}));
  EXPECT_EQ(moves, 1);
}

// A folder tree that loads its children when first expanded.
struct FolderTree : Form {
  FolderTree() {
    tree.OnExpanding = [this](TreeNode* node, bool&) {
      ++loads;
      if (node->Count() > 0 || node->data == "empty") return;
      for (const char* name : {"Music", "empty"}) {
        TreeNode* child = tree.AddNode(node, name);
        child->data = name;
        child->SetHasChildren(true);
      }
    };
    drive = tree.AddNode(nullptr, "C:");
    drive->SetHasChildren(true);
  }
  TreeView tree{this};
  TreeNode* drive;
  int loads = 0;
};

TEST_F(ListTreeTest, OnDemandPicturesAreAskedOncePerRowAsRowsAreDrawn) {
  Form form;
  ImageList images;
  ListView list(&form);
  list.SetOwnerData(true);
  list.SetSmallImages(&images);
  std::vector<int> asked;
  list.OnGetImage = [&](int index) {
    asked.push_back(index);
    return images.IndexOf(Icon{index % 2 ? "shell:audio" : "shell:folder"});
  };
  std::vector<ListItem> rows(10000);
  for (auto& row : rows) row.imageIndex = kImageOnDemand;
  rows[5].imageIndex = 7;
  list.SetItems(std::move(rows));
  form.Create();
  EXPECT_TRUE(asked.empty()) << "filling the list fetches no picture";
  EXPECT_EQ(list.ImageOf(3), 0);
  EXPECT_EQ(list.ImageOf(3), 0);
  EXPECT_EQ(list.ImageOf(4), 1);
  EXPECT_EQ(list.ImageOf(5), 7) << "a row with its own picture asks nobody";
  EXPECT_EQ(asked, (std::vector<int>{3, 4}));
  EXPECT_EQ(images.Count(), 2);
  list.OnGetImage = [](int) { return -5; };
  EXPECT_EQ(list.ImageOf(6), -1);
  EXPECT_EQ(list.Item(6).imageIndex, -1) << "no picture, and not asked again";
}

TEST_F(ListTreeTest, LazyTreeLoadsChildrenOnFirstExpandAndDropsTheButtonOfAnEmptyNode) {
  FolderTree form;
  form.Show();
  std::vector<std::string> expanded;
  form.tree.OnExpanded = [&](TreeNode* node) { expanded.push_back(node->Text()); };
  EXPECT_TRUE(form.drive->HasChildren());
  EXPECT_EQ(form.drive->Count(), 0);
  ASSERT_TRUE(form.tree.UserExpand(form.drive));
  EXPECT_EQ(form.drive->Count(), 2);
  EXPECT_TRUE(form.drive->Expanded());
  TreeNode* empty = form.drive->Child(1);
  EXPECT_FALSE(form.tree.UserExpand(empty)) << "no children turned up";
  EXPECT_FALSE(empty->HasChildren()) << "the expand button goes";
  EXPECT_FALSE(form.tree.UserExpand(empty)) << "and is not asked again";
  EXPECT_EQ(form.loads, 2);
  EXPECT_EQ(expanded, (std::vector<std::string>{"C:"}));
  ASSERT_TRUE(form.tree.UserCollapse(form.drive));
  ASSERT_TRUE(form.tree.UserExpand(form.drive));
  EXPECT_EQ(form.drive->Count(), 2) << "loaded children stay";
  EXPECT_EQ(form.tree.AllNodes().size(), 3u);
  EXPECT_EQ(form.drive->Child(0)->Level(), 1);
  EXPECT_EQ(form.drive->Child(1)->Index(), 1);
}

TEST_F(ListTreeTest, CollapsingAboveTheSelectionMovesItUpAndHiddenNodesCannotBeChosen) {
  FolderTree form;
  form.Show();
  std::vector<TreeNode*> changes;
  form.tree.OnChange = [&](TreeNode* node) { changes.push_back(node); };
  form.tree.UserExpand(form.drive);
  TreeNode* music = form.drive->Child(0);
  ASSERT_TRUE(form.tree.UserSelect(music));
  EXPECT_EQ(form.tree.Selected(), music);
  ASSERT_TRUE(form.tree.UserCollapse(form.drive));
  EXPECT_EQ(form.tree.Selected(), form.drive);
  EXPECT_EQ(changes, (std::vector<TreeNode*>{music, form.drive}));
  EXPECT_FALSE(form.tree.UserSelect(music)) << "inside a collapsed node";
  bool allow = false;
  form.tree.OnChanging = [&](TreeNode*, bool& ok) { ok = allow; };
  form.tree.Expand(form.drive);
  EXPECT_FALSE(form.tree.UserSelect(music)) << "OnChanging refused";
  EXPECT_EQ(form.tree.Selected(), form.drive);
  form.tree.SetEnabled(false);
  allow = true;
  EXPECT_FALSE(form.tree.UserSelect(music));
}

TEST_F(ListTreeTest, DeletingTheSelectedSubtreeClearsTheSelectionAndForgetsItsNodes) {
  FolderTree form;
  form.Show();
  form.tree.UserExpand(form.drive);
  TreeNode* music = form.drive->Child(0);
  const int musicId = music->Id();
  form.tree.UserSelect(music);
  form.tree.DeleteNode(music);
  EXPECT_EQ(form.tree.Selected(), nullptr);
  EXPECT_EQ(form.tree.NodeById(musicId), nullptr);
  form.tree.DeleteChildren(form.drive);
  EXPECT_FALSE(form.drive->Expanded()) << "nothing left to show";
  EXPECT_TRUE(form.drive->HasChildren()) << "still lazy: expanding loads again";
  EXPECT_TRUE(form.tree.UserExpand(form.drive));
  EXPECT_EQ(form.drive->Count(), 2);
  TreeView other(&form);
  EXPECT_THROW(other.AddNode(form.drive, "x"), std::invalid_argument);
  form.tree.Clear();
  EXPECT_EQ(form.tree.RootCount(), 0);
}

}  // namespace
}  // namespace gui
