// Control state and user actions on the headless backend.
#include <string>
#include <vector>

#include "platform/gui/Button.h"
#include "platform/gui/CheckBox.h"
#include "platform/gui/ComboBox.h"
#include "platform/gui/Edit.h"
#include "platform/gui/Form.h"
#include "platform/gui/GroupBox.h"
#include "platform/gui/ListView.h"
#include "platform/gui/Memo.h"
#include "platform/gui/Menu.h"
#include "platform/gui/PageControl.h"
#include "platform/gui/TrayIcon.h"
#include "platform/gui/tests/GuiTestSupport.h"

namespace gui {
namespace {

using testing::HeadlessTest;

class ControlsTest : public HeadlessTest {};

std::vector<std::string> Captions(const ListView& list) {
  std::vector<std::string> out;
  for (const auto& item : list.Items()) out.push_back(item.caption);
  return out;
}

TEST_F(ControlsTest, SortedListInsertsByCaptionWithoutCaseAndKeepsTiesInOrder) {
  Form form;
  ListView list(&form);
  list.SetSortedByCaption(true);
  EXPECT_EQ(list.AddItem({"뉴스", {"1"}}), 0);
  EXPECT_EQ(list.AddItem({"beta", {"2"}}), 0);
  EXPECT_EQ(list.AddItem({"Alpha", {"3"}}), 0);
  EXPECT_EQ(list.AddItem({"가요", {"4"}}), 2);
  EXPECT_EQ(list.AddItem({"BETA", {"5"}}), 2);
  EXPECT_EQ(Captions(list), (std::vector<std::string>{"Alpha", "beta", "BETA", "가요", "뉴스"}));
  list.SetItem(0, {"zzz", {}});
  EXPECT_EQ(list.Item(2).caption, "zzz") << "a changed caption moves the row (Latin before Hangul)";
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_THROW(list.Item(0), std::out_of_range);
}

TEST_F(ControlsTest, ListChecksSelectionAndRefusedEdits) {
  Form form;
  ListView list(&form);
  list.SetCheckBoxes(true);
  for (const char* c : {"a", "b", "c"}) list.AddItem({c, {}});
  std::vector<int> checked;
  list.OnItemChecked = [&](int i) { checked.push_back(i); };
  EXPECT_FALSE(list.UserSetChecked(1, true)) << "the form is hidden";
  form.Show();
  EXPECT_TRUE(list.UserSetChecked(1, true));
  EXPECT_TRUE(list.Item(1).checked);
  EXPECT_EQ(checked, (std::vector<int>{1}));
  list.UserClickItem(0);
  list.UserClickItem(2);
  EXPECT_EQ(list.SelectedIndex(), 2);
  EXPECT_EQ(list.SelectedCount(), 1) << "single selection";
  list.SetMultiSelect(true);
  list.SetSelected(0, true);
  EXPECT_EQ(list.SelectedCount(), 2);
  EXPECT_TRUE(list.UserBeginEdit(0));
  list.OnEditing = [](int, bool& allow) { allow = false; };
  EXPECT_FALSE(list.UserBeginEdit(0));
  list.SetReadOnly(true);
  list.OnEditing = nullptr;
  EXPECT_FALSE(list.UserBeginEdit(0));
}

TEST_F(ControlsTest, ComboTextFollowsTheChoiceAndClearingEmptiesIt) {
  Form form;
  ComboBox combo(&form);
  combo.SetText("Seoul");
  EXPECT_EQ(combo.ItemIndex(), -1);
  combo.AddItem("Busan");
  combo.AddItem("Seoul");
  combo.SetText("Seoul");
  EXPECT_EQ(combo.ItemIndex(), 1) << "a text that names an item chooses it";
  combo.SetItemIndex(0);
  EXPECT_EQ(combo.Text(), "Busan");
  combo.SetItemIndex(7);
  EXPECT_EQ(combo.ItemIndex(), -1);
  EXPECT_EQ(combo.Text(), "");
  combo.SetItemIndex(1);
  combo.ClearItems();
  EXPECT_EQ(combo.Text(), "") << "clearing the items clears the text";
  EXPECT_EQ(combo.ItemIndex(), -1);
}

TEST_F(ControlsTest, TypingGoesThroughKeyPressAndTheLengthLimit) {
  Form form;
  Edit edit(&form);
  form.Show();
  int enters = 0, changes = 0;
  edit.OnChange = [&] { ++changes; };
  edit.OnKeyPress = [&](int& key) {
    if (key == keys::kReturn) ++enters;
    if (key == 'x') key = 0;
  };
  edit.SetMaxLength(4);
  EXPECT_TRUE(edit.UserType("ax한\rbcd"));
  EXPECT_EQ(edit.Text(), "a한bc");
  EXPECT_EQ(enters, 1);
  EXPECT_EQ(changes, 4);
  edit.SetReadOnly(true);
  EXPECT_FALSE(edit.UserSetText("z"));
  EXPECT_EQ(edit.Text(), "a한bc");
}

TEST_F(ControlsTest, UsersReachOnlyShowingEnabledControls) {
  Form form;
  PageControl pages(&form);
  TabSheet first(&pages), second(&pages);
  GroupBox group(&first);
  CheckBox box(&group);
  Button other(&second);
  int clicks = 0;
  box.OnClick = [&] { ++clicks; };
  pages.SetActivePage(&first);
  form.Show();
  EXPECT_TRUE(box.UserToggle());
  EXPECT_TRUE(box.Checked());
  EXPECT_FALSE(other.UserClick()) << "on a page not shown";
  group.SetEnabled(false);
  EXPECT_FALSE(box.UserToggle()) << "its group is disabled";
  group.SetEnabled(true);
  second.SetTabVisible(false);
  EXPECT_FALSE(pages.UserSelectPage(second));
  second.SetTabVisible(true);
  EXPECT_TRUE(pages.UserSelectPage(second));
  EXPECT_FALSE(box.UserToggle());
  box.SetChecked(false);  // from code: no event
  EXPECT_EQ(clicks, 1);
}

TEST_F(ControlsTest, MemoSplitsAndJoinsLines) {
  Form form;
  Memo memo(&form);
  memo.SetText("one\r\ntwo\nthree\r");
  EXPECT_EQ(memo.Lines(), (std::vector<std::string>{"one", "two", "three"}));
  memo.AddLine("four");
  EXPECT_EQ(memo.Text(), "one\r\ntwo\r\nthree\r\nfour");
}

TEST_F(ControlsTest, TrayAnimationCyclesItsFramesAndStopsOnTheIcon) {
  Form form;
  TrayIcon tray(&form);
  tray.SetIcon(Icon{"LOGOUT"});
  tray.SetFrames({Icon{"F0"}, Icon{"F1"}, Icon{"F2"}});
  tray.SetVisible(true);
  tray.SetAnimated(true);
  EXPECT_EQ(tray.ShownIcon(), Icon{"F0"});
  backend().Advance(300);
  EXPECT_EQ(tray.ShownIcon(), Icon{"F1"});
  backend().Advance(600);
  EXPECT_EQ(tray.ShownIcon(), Icon{"F0"}) << "wraps after the last frame";
  tray.SetAnimated(false);
  backend().Advance(900);
  EXPECT_EQ(tray.ShownIcon(), Icon{"LOGOUT"});
}

TEST_F(ControlsTest, MenusRunTheChosenItemUnlessItCannotBeChosen) {
  Form form;
  PopupMenu menu(&form);
  MenuItem first(&menu), separator(&menu), last(&menu);
  separator.SetCaption("-");
  std::vector<std::string> log;
  first.OnClick = [&] { log.push_back("first"); };
  last.OnClick = [&] { log.push_back("last"); };
  TrayIcon tray(&form);
  tray.SetMenu(&menu);
  backend().ChooseOnNextPopup(&last);
  tray.UserRightClick({10, 10});
  EXPECT_EQ(log, (std::vector<std::string>{"last"}));
  tray.UserRightClick({10, 10});
  EXPECT_EQ(log.size(), 1u) << "nothing chosen";
  EXPECT_FALSE(separator.UserClick());
  first.SetEnabled(false);
  EXPECT_FALSE(first.UserClick());
  EXPECT_EQ(menu.PopupCount(), 2);
}

}  // namespace
}  // namespace gui
