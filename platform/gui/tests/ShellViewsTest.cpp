// The shell views (folder list, folder tree, place chooser) over a folder
// of the test's own as the desktop, on the headless backend.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/File.h"
#include "common/FolderList.h"
#include "platform/gui/Form.h"
#include "platform/gui/ShellComboBox.h"
#include "platform/gui/ShellInfo.h"
#include "platform/gui/ShellListView.h"
#include "platform/gui/ShellTreeView.h"
#include "platform/gui/tests/GuiTestSupport.h"

namespace gui {
namespace {

namespace fs = std::filesystem;

class ShellViewsTest : public testing::HeadlessTest {
 protected:
  ShellViewsTest() {
    desktop_ = fs::temp_directory_path() /
               ("shell-views-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(desktop_);
    fs::create_directories(desktop_ / "Zeta" / "inner" / "deep");
    fs::create_directories(desktop_ / "alpha");
    fs::create_directories(desktop_ / ".hidden");
    File("b.mp3", 1025);
    File("A.txt", 0);
    File(".secret", 3);
    File("Zeta/inner/노래.sa3", 10);
    list.SetDesktopFolder(Utf8(desktop_));
  }
  ~ShellViewsTest() override { fs::remove_all(desktop_); }

  static std::string Utf8(const fs::path& p) { return common::PathToUtf8(p); }
  void File(const std::string& name, std::size_t size) {
    std::ofstream(desktop_ / common::PathFromUtf8(name), std::ios::binary) << std::string(size, 'x');
  }
  std::string Desktop() const { return Utf8(desktop_); }
  std::string At(const std::string& relative) const { return Utf8((desktop_ / common::PathFromUtf8(relative)).lexically_normal()); }

  std::vector<std::string> Captions() {
    std::vector<std::string> out;
    for (const auto& item : list.Items()) out.push_back(item.caption);
    return out;
  }
  int Row(const std::string& caption) {
    for (int i = 0; i < list.Count(); ++i) {
      if (list.Item(i).caption == caption) return i;
    }
    return -1;
  }
  std::vector<std::string> Children(TreeNode* node) {
    std::vector<std::string> out;
    for (TreeNode* child : node->Children()) out.push_back(child->Text());
    return out;
  }

  fs::path desktop_;
  Form form;
  ShellComboBox combo{&form};
  ShellTreeView tree{&form};
  ShellListView list{&form};
};

TEST_F(ShellViewsTest, FoldersFirstThenFilesByNameWithoutHiddenEntries) {
  ASSERT_TRUE(list.SetPlace(ShellPlace::Folder(Desktop())).ok());
  form.Show();
  EXPECT_EQ(Captions(), (std::vector<std::string>{"내 컴퓨터", "alpha", "Zeta", "A.txt", "b.mp3"}));
  EXPECT_TRUE(list.OwnerData());
  EXPECT_TRUE(list.MultiSelect());
  EXPECT_EQ(list.Columns()[0].caption, "이름");
  const auto& b = list.Item(Row("b.mp3"));
  EXPECT_EQ(b.subItems, (std::vector<std::string>{"2 KB", "MP3 파일"}));
  EXPECT_EQ(list.Item(Row("A.txt")).subItems[0], "0 KB");
  EXPECT_EQ(list.Item(Row("alpha")).subItems, (std::vector<std::string>{"", "파일 폴더"}));
  EXPECT_EQ(list.Entry(Row("b.mp3")).path, At("b.mp3"));
  EXPECT_EQ(list.Entry(0).kind, ShellEntry::Kind::kComputer);

  EXPECT_EQ(list.SmallImages()->Count(), 0) << "no picture until a row is drawn";
  const int audio = list.ImageOf(Row("b.mp3"));
  EXPECT_EQ(list.SmallImages()->Icons()[static_cast<std::size_t>(audio)], Icon{"shell:audio"});
  EXPECT_EQ(list.LargeImages()->Count(), list.SmallImages()->Count()) << "one index for both sizes";
}

TEST_F(ShellViewsTest, OpeningFoldersAndGoingUpToTheTop) {
  ASSERT_TRUE(list.SetPlace(ShellPlace::Folder(Desktop())).ok());
  form.Show();
  int changes = 0;
  list.OnChange = [&] { ++changes; };
  EXPECT_TRUE(list.UserDoubleClick(Row("Zeta")));
  EXPECT_EQ(list.Folder(), At("Zeta"));
  EXPECT_EQ(Captions(), (std::vector<std::string>{"inner"}));
  EXPECT_FALSE(list.Open(-1));
  list.SetSelected(0, true);
  int enter = keys::kReturn;
  ASSERT_TRUE(list.UserKeyDown(enter));
  EXPECT_EQ(list.Folder(), At("Zeta/inner"));
  EXPECT_EQ(Captions(), (std::vector<std::string>{"deep", "노래.sa3"}));
  EXPECT_FALSE(list.Open(Row("노래.sa3"))) << "a file is not a place";
  int backspace = 8;
  EXPECT_TRUE(list.UserKeyDown(backspace));
  EXPECT_EQ(list.Folder(), At("Zeta"));
  EXPECT_TRUE(list.GoUp());
  EXPECT_EQ(list.Folder(), Desktop());
  EXPECT_FALSE(list.GoUp()) << "the desktop is the top";
  EXPECT_GE(changes, 4);

  EXPECT_TRUE(list.Open(0));
  EXPECT_EQ(list.Place(), ShellPlace::Computer());
  EXPECT_EQ(list.Count(), static_cast<int>(common::ListDrives().size()));
  EXPECT_EQ(list.Entry(0).kind, ShellEntry::Kind::kDrive);
  EXPECT_TRUE(list.Open(0));
  EXPECT_EQ(list.Folder(), common::ListDrives()[0]);
  EXPECT_TRUE(list.GoUp());
  EXPECT_EQ(list.Place(), ShellPlace::Computer()) << "above a drive";
  EXPECT_TRUE(list.GoUp());
  EXPECT_EQ(list.Folder(), Desktop());
}

TEST_F(ShellViewsTest, TypedLettersSelectTheNextRowAndANewFolderStartsUnfocused) {
  File("alto.mp3", 1);
  File("Zulu.txt", 1);
  ASSERT_TRUE(list.SetPlace(ShellPlace::Folder(Desktop())).ok());
  form.Show();
  // 내 컴퓨터, alpha, Zeta, A.txt, alto.mp3, b.mp3, Zulu.txt
  EXPECT_EQ(list.FocusedIndex(), -1);
  EXPECT_TRUE(list.UserTypeText("a"));
  EXPECT_EQ(list.SelectedIndexes(), (std::vector<int>{Row("alpha")}));
  EXPECT_TRUE(list.UserTypeText("a")) << "the same letter again goes on to the next row";
  EXPECT_EQ(list.SelectedIndexes(), (std::vector<int>{Row("A.txt")}));
  EXPECT_TRUE(list.UserTypeText("al"));
  EXPECT_EQ(list.SelectedIndexes(), (std::vector<int>{Row("alto.mp3")})) << "more letters search from the focused row";
  EXPECT_TRUE(list.UserTypeText("z"));
  EXPECT_EQ(list.SelectedIndexes(), (std::vector<int>{Row("Zulu.txt")}));
  EXPECT_TRUE(list.UserTypeText("z")) << "past the last row from the first again";
  EXPECT_EQ(list.SelectedIndexes(), (std::vector<int>{Row("Zeta")}));
  EXPECT_FALSE(list.UserTypeText("q"));
  EXPECT_EQ(list.SelectedIndexes(), (std::vector<int>{Row("Zeta")})) << "no match leaves the selection";
  EXPECT_TRUE(list.UserTypeText("내"));
  EXPECT_EQ(list.FocusedIndex(), 0);

  // Enter opens the selected folder, which starts without a focused row:
  // the next letter finds its first match from the top.
  ASSERT_TRUE(list.UserTypeText("ze"));
  int enter = keys::kReturn;
  ASSERT_TRUE(list.UserKeyDown(enter));
  EXPECT_EQ(list.Folder(), At("Zeta"));
  EXPECT_EQ(list.FocusedIndex(), -1);
  EXPECT_EQ(list.SelectedCount(), 0);
  EXPECT_TRUE(list.UserTypeText("i"));
  EXPECT_EQ(list.FocusedIndex(), 0);
  list.Refresh();
  EXPECT_EQ(list.FocusedIndex(), 0) << "listing the same folder again keeps the place in it";
}

TEST_F(ShellViewsTest, TreeListsFoldersLazilyAndFollowsTheList) {
  ASSERT_TRUE(list.SetPlace(ShellPlace::Folder(Desktop())).ok());
  tree.SetShellListView(&list);
  form.Show();
  ASSERT_EQ(tree.RootCount(), 1);
  TreeNode* root = tree.Root(0);
  EXPECT_EQ(root->Text(), "바탕 화면");
  EXPECT_TRUE(root->Expanded());
  EXPECT_EQ(Children(root), (std::vector<std::string>{"내 컴퓨터", "alpha", "Zeta"}));
  TreeNode* zeta = root->Child(2);
  EXPECT_EQ(zeta->Count(), 0) << "filled when first expanded";
  EXPECT_TRUE(zeta->HasChildren());
  EXPECT_EQ(tree.Selected(), root);

  ASSERT_TRUE(tree.UserExpand(zeta));
  EXPECT_EQ(Children(zeta), (std::vector<std::string>{"inner"}));
  TreeNode* alpha = root->Child(1);
  EXPECT_FALSE(tree.UserExpand(alpha)) << "no sub-folders: the button goes";
  EXPECT_FALSE(alpha->HasChildren());

  ASSERT_TRUE(tree.UserSelect(zeta->Child(0)));
  EXPECT_EQ(list.Folder(), At("Zeta/inner")) << "choosing a node shows its folder";
  list.Open(Row("deep"));
  ASSERT_NE(tree.Selected(), nullptr);
  EXPECT_EQ(tree.Selected()->Text(), "deep") << "the tree follows the list down";
  EXPECT_TRUE(tree.Selected()->Parent()->Expanded());
  list.GoUp();
  list.GoUp();
  list.GoUp();
  EXPECT_EQ(tree.Selected(), root);

  ASSERT_TRUE(tree.UserSelect(root->Child(0)));
  EXPECT_EQ(list.Place(), ShellPlace::Computer());
  list.Open(0);
  EXPECT_EQ(tree.Selected()->Parent(), root->Child(0)) << "a drive below the computer";
}

TEST_F(ShellViewsTest, ComboShowsTheWayToThePlaceAndMovesTheList) {
  ASSERT_TRUE(list.SetPlace(ShellPlace::Folder(At("Zeta/inner"))).ok());
  combo.SetShellListView(&list);
  form.Show();
  std::vector<std::string> expected{"바탕 화면", "  Zeta", "    inner", "  내 컴퓨터"};
  for (const auto& drive : common::ListDrives()) expected.push_back("    " + GetShellInfo(drive, true).displayName);
  EXPECT_EQ(combo.Items(), expected);
  EXPECT_EQ(combo.ItemIndex(), 2);
  EXPECT_EQ(combo.Text(), "    inner");

  ASSERT_TRUE(combo.UserSelect(1));
  EXPECT_EQ(list.Folder(), At("Zeta"));
  EXPECT_EQ(combo.ItemIndex(), 1);
  ASSERT_TRUE(combo.UserSelect(2));
  EXPECT_EQ(list.Place(), ShellPlace::Computer());
  EXPECT_EQ(combo.Items().size(), 2 + common::ListDrives().size());
}

TEST_F(ShellViewsTest, NameChangesInTheFolderListItAgainKeepingTheSelection) {
  ASSERT_TRUE(list.SetPlace(ShellPlace::Folder(Desktop())).ok());
  form.Show();
  list.SetSelected(Row("b.mp3"), true);
  File("a.mp3", 5);
  EXPECT_EQ(backend().NotifyFolderChanged(Desktop()), 1);
  EXPECT_NE(Row("a.mp3"), -1);
  EXPECT_EQ(list.SelectedIndexes(), (std::vector<int>{Row("b.mp3")}));
  EXPECT_EQ(list.SelectedPaths(), (std::vector<std::string>{At("b.mp3")}));

  list.Open(Row("Zeta"));
  list.Open(Row("inner"));
  fs::remove_all(desktop_ / "Zeta");
  backend().NotifyFolderChanged(At("Zeta/inner"));
  EXPECT_EQ(list.Folder(), Desktop()) << "a folder that went away gives way to the nearest one left";
  EXPECT_EQ(Row("Zeta"), -1);
}

TEST_F(ShellViewsTest, AFolderThatCannotBeListedKeepsThePlace) {
  ASSERT_TRUE(list.SetPlace(ShellPlace::Folder(Desktop())).ok());
  auto missing = list.SetPlace(ShellPlace::Folder(At("gone")));
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.error().code, static_cast<int>(common::FileError::kNotFound));
  EXPECT_NE(missing.error().message.find("폴더를 열 수 없습니다."), std::string::npos);
  EXPECT_EQ(list.Folder(), Desktop());
  EXPECT_EQ(Row("b.mp3"), 4);
}

TEST(ShellSizeTextTest, KilobytesRoundedUpWithSeparators) {
  EXPECT_EQ(ShellSizeText(0), "0 KB");
  EXPECT_EQ(ShellSizeText(1), "1 KB");
  EXPECT_EQ(ShellSizeText(1024), "1 KB");
  EXPECT_EQ(ShellSizeText(1025), "2 KB");
  EXPECT_EQ(ShellSizeText(1024ull * 1234567), "1,234,567 KB");
  EXPECT_EQ(ShellSizeText(1024ull * 999), "999 KB");
  EXPECT_EQ(ShellSizeText(1024ull * 1000), "1,000 KB");
}

}  // namespace
}  // namespace gui
