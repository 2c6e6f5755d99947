// Bars, option buttons, splitters, animated pictures, common dialogs,
// dropped files, shell information and folder watches on the headless
// backend, as a form and its user see them.
#include <string>
#include <vector>

#include "platform/gui/Cursor.h"
#include "platform/gui/FileDialog.h"
#include "platform/gui/FolderWatch.h"
#include "platform/gui/Form.h"
#include "platform/gui/GroupBox.h"
#include "platform/gui/Image.h"
#include "platform/gui/ListView.h"
#include "platform/gui/Menu.h"
#include "platform/gui/Panel.h"
#include "platform/gui/ProgressBar.h"
#include "platform/gui/RadioButton.h"
#include "platform/gui/ShellInfo.h"
#include "platform/gui/Splitter.h"
#include "platform/gui/StatusBar.h"
#include "platform/gui/TrackBar.h"
#include "platform/gui/tests/GuiTestSupport.h"

namespace gui {
namespace {

using testing::HeadlessTest;

class StandardControlsTest : public HeadlessTest {};

TEST_F(StandardControlsTest, ProgressStaysInsideItsRangeAsTheRangeChanges) {
  Form form;
  ProgressBar total(&form);
  EXPECT_EQ(total.Max(), 100);
  total.SetMax(300);  // three files of 100 each
  total.SetPosition(140);
  EXPECT_EQ(total.Percent(), 46);
  total.SetPosition(500);
  EXPECT_EQ(total.Position(), 300);
  total.SetRange(0, 15);
  EXPECT_EQ(total.Position(), 15) << "a smaller range pulls the position in";
  total.SetMin(20);
  EXPECT_EQ(total.Max(), 20) << "a minimum above the maximum empties the range";
  EXPECT_EQ(total.Position(), 20);
  EXPECT_EQ(total.Percent(), 0) << "an empty range is never done";
  total.SetRange(-10, 10);
  total.SetPosition(0);
  EXPECT_EQ(total.Percent(), 50);
  total.SetBarColor(0x000080);
  EXPECT_EQ(total.BarColor(), 0x000080u);
}

TEST_F(StandardControlsTest, TrackBarReportsOnlyTheUsersRealMoves) {
  Form form;
  TrackBar volume(&form);
  volume.SetRange(0, 100);
  int changes = 0;
  volume.OnChange = [&] { ++changes; };
  volume.SetPosition(40);
  EXPECT_EQ(changes, 0) << "code moves run no event";
  form.Show();
  EXPECT_TRUE(volume.UserSetPosition(140));
  EXPECT_EQ(volume.Position(), 100);
  EXPECT_TRUE(volume.UserSetPosition(100));
  EXPECT_EQ(changes, 1) << "no move, no event";
  volume.SetEnabled(false);
  EXPECT_FALSE(volume.UserSetPosition(0));
}

TEST_F(StandardControlsTest, StatusBarPanelsHoldTextWidthAndAlignment) {
  Form form;
  StatusBar bar(&form);
  bar.SetPanels({{"", 100}, {"", 100}, {"", 50}});
  bar.SetPanelText(0, "12 개체");
  bar.SetPanelAlignment(2, Align::kRight);
  bar.SetPanelWidth(1, -1);
  EXPECT_EQ(bar.Panel(0).text, "12 개체");
  EXPECT_EQ(bar.Panel(1).width, -1);
  EXPECT_EQ(bar.Panel(2).alignment, Align::kRight);
  EXPECT_THROW(bar.SetPanelText(3, "x"), std::out_of_range);
  StatusBar simple(&form);
  simple.SetSimpleText("Uploading...");
  EXPECT_EQ(simple.PanelCount(), 0);
  EXPECT_EQ(simple.SimpleText(), "Uploading...");
}

struct ModelForm : Form {
  ModelForm() {
    for (auto* option : {&a, &b, &c}) option->OnClick = [this, option] { clicks.push_back(option->Caption()); };
    a.SetCaption("ZMR-A");
    b.SetCaption("ZMR-B");
    c.SetCaption("ZMR-C");
    other.SetCaption("Internal");
    other.SetChecked(true);
  }
  GroupBox frame{this};
  RadioButton a{&frame}, b{&frame}, c{&frame};
  RadioButton other{this};  // another group: the form itself
  std::vector<std::string> clicks;
};

TEST_F(StandardControlsTest, OptionButtonsOfOneParentExcludeEachOther) {
  ModelForm form;
  form.Show();
  EXPECT_FALSE(form.a.Checked() || form.b.Checked() || form.c.Checked()) << "none chosen at first";
  EXPECT_TRUE(form.b.UserClick());
  form.c.SetChecked(true);
  EXPECT_FALSE(form.b.Checked());
  EXPECT_TRUE(form.other.Checked()) << "a button of another parent is left alone";
  EXPECT_TRUE(form.c.UserClick()) << "clicking the checked one runs its event again";
  EXPECT_EQ(form.clicks, (std::vector<std::string>{"ZMR-B", "ZMR-C"}));
  form.frame.SetEnabled(false);
  EXPECT_FALSE(form.a.UserClick());
  EXPECT_TRUE(form.c.Checked());
}

TEST_F(StandardControlsTest, UserResizeHoldsTheMinimumAndTellsTheForm) {
  Form form;
  form.SetSizeable(true);
  form.SetClientSize(640, 420);
  form.SetMinClientSize(550, 290);
  form.Create();
  std::vector<std::pair<int, int>> sizes;
  form.OnResize = [&] { sizes.push_back({form.Width(), form.Height()}); };
  form.UserResize(800, 600);
  form.UserResize(100, 100);
  form.UserResize(550, 290);  // no change: no event
  EXPECT_EQ(sizes, (std::vector<std::pair<int, int>>{{800, 600}, {550, 290}}));
  form.SetClientSize(300, 200);
  EXPECT_EQ(sizes.size(), 2u) << "sizes set by code run no event";
}

TEST_F(StandardControlsTest, SplitterResizesItsNeighbourButNotBelowTheMinimum) {
  Form form;
  Panel tree(&form), list(&form);
  Splitter bar(&form);
  tree.SetBounds(0, 0, 150, 200);
  bar.SetBounds(150, 0, 4, 200);
  list.SetBounds(154, 0, 200, 200);
  bar.SetResized(&tree);
  bar.SetMinSize(40);
  bar.OnMoved = [&](int moved) { list.SetBounds(list.Left() + moved, 0, list.Width() - moved, 200); };
  form.Show();
  EXPECT_EQ(bar.UserDragBy(30), 30);
  EXPECT_EQ(tree.Width(), 180);
  EXPECT_EQ(bar.Left(), 180);
  EXPECT_EQ(list.Left(), 184);
  EXPECT_EQ(bar.UserDragBy(-500), -140) << "stops at the minimum";
  EXPECT_EQ(tree.Width(), 40);
  EXPECT_EQ(bar.UserDragBy(-5), 0);
  Splitter below(&form);
  below.SetOrientation(Splitter::Orientation::kHorizontal);
  below.SetResized(&list);
  EXPECT_EQ(below.UserDragBy(-10), -10);
  EXPECT_EQ(list.Height(), 190);
}

TEST_F(StandardControlsTest, AnimatedPictureStepsThroughItsFramesOnTheClock) {
  Form form;
  Image gif(&form);
  gif.SetPicture(Icon{"STILL"});
  gif.SetFrames({Icon{"F0"}, Icon{"F1"}, Icon{"F2"}});
  gif.SetInterval(100);
  EXPECT_EQ(gif.ShownPicture().resource, "STILL");
  gif.SetAnimated(true);
  EXPECT_EQ(gif.ShownPicture().resource, "F0");
  backend().Advance(250);
  EXPECT_EQ(gif.ShownPicture().resource, "F2");
  backend().Advance(100);
  EXPECT_EQ(gif.ShownPicture().resource, "F0") << "wraps around";
  gif.SetAnimated(false);
  backend().Advance(1000);
  EXPECT_EQ(gif.ShownPicture().resource, "STILL");
  EXPECT_EQ(gif.FrameIndex(), 0);
}

TEST_F(StandardControlsTest, PictureClicksAndMouseReachTheFormWhileReachable) {
  Form form;
  Image button(&form);
  std::vector<std::string> log;
  button.OnClick = [&] { log.push_back("click"); };
  button.OnMouseDown = [&](Point p) { log.push_back("down " + std::to_string(p.x)); };
  button.OnMouseUp = [&](Point) { log.push_back("up"); };
  button.OnMouseMove = [&](Point) { log.push_back("move"); };
  EXPECT_FALSE(button.UserClick());
  form.Show();
  button.UserMouseMove({1, 1});
  button.UserMouseDown({3, 1});
  button.UserMouseUp({3, 1});
  button.UserClick();
  EXPECT_EQ(log, (std::vector<std::string>{"move", "down 3", "up", "click"}));
}

TEST_F(StandardControlsTest, MouseOverTheFormsOwnSurfaceReachesItWhileReachable) {
  Form form;
  std::vector<std::string> log;
  auto note = [&](const char* what) {
    return [&log, what](const MouseEvent& e) {
      log.push_back(std::string(what) + " " + std::to_string(e.client.x) + "," + std::to_string(e.client.y) +
                    (e.keys & mouse_keys::kLeftButton ? " L" : ""));
    };
  };
  form.OnMouseMove = note("move");
  form.OnMouseDown = note("down");
  form.OnMouseUp = note("up");
  form.UserMouseMove(MouseEvent{{5, 6}});
  EXPECT_TRUE(log.empty()) << "a hidden form takes no mouse";
  form.Show();
  form.UserMouseMove(MouseEvent{{5, 6}});
  form.UserMouseDown(MouseEvent{{7, 8}, {}, MouseButton::kLeft, mouse_keys::kLeftButton});
  form.UserMouseUp(MouseEvent{{7, 9}});
  EXPECT_EQ(log, (std::vector<std::string>{"move 5,6", "down 7,8 L", "up 7,9"}));
  form.SetEnabled(false);  // another form runs modally
  form.UserMouseMove(MouseEvent{{1, 1}});
  form.SetEnabled(true);
  form.Destroy();
  form.UserMouseDown(MouseEvent{{1, 1}});
  EXPECT_EQ(log.size(), 3u);
}

TEST_F(StandardControlsTest, MinimisingTheMainFormTellsTheApplicationAndBringingItBackRestores) {
  Form main, other;
  app().SetMainForm(&main);
  int minimised = 0, restored = 0;
  app().OnMinimize = [&] { ++minimised; };
  app().OnRestore = [&] { ++restored; };
  main.Minimize();
  EXPECT_FALSE(main.Minimized()) << "a hidden form stays as it is";
  main.Show();
  main.Minimize();
  main.Minimize();
  EXPECT_TRUE(main.Minimized());
  EXPECT_TRUE(main.Visible()) << "minimised is still shown";
  EXPECT_EQ(minimised, 1);
  main.BringToFront();
  EXPECT_FALSE(main.Minimized());
  EXPECT_EQ(restored, 1);
  main.BringToFront();
  EXPECT_EQ(restored, 1);

  other.Show();
  other.Minimize();
  EXPECT_TRUE(other.Minimized());
  EXPECT_FALSE(main.Minimized());
  EXPECT_EQ(minimised, 1) << "only the main form speaks for the application";
  app().SetMainForm(nullptr);
  app().OnMinimize = nullptr;
  app().OnRestore = nullptr;
}

TEST_F(StandardControlsTest, FilterTextsSplitIntoPairs) {
  EXPECT_EQ(ParseFilterText("MP3 Files (*.MP3)|*.MP3|All Files (*.*)|*.*|"),
            (std::vector<FileFilter>{{"MP3 Files (*.MP3)", "*.MP3"}, {"All Files (*.*)", "*.*"}}));
  EXPECT_EQ(ParseFilterText("Music|*.mp3;*.sa3"), (std::vector<FileFilter>{{"Music", "*.mp3;*.sa3"}}));
  EXPECT_EQ(ParseFilterText("No patterns||Odd"), std::vector<FileFilter>{});
  EXPECT_EQ(ParseFilterText(""), std::vector<FileFilter>{});
}

TEST_F(StandardControlsTest, FileDialogsAreAnsweredFromTheScriptAndRecorded) {
  Form form;
  FileDialog save(&form, FileDialog::Mode::kSave);
  save.SetTitle("Save to disk");
  save.SetInitialFolder("C:\\");
  save.SetFilterText("MP3 Files (*.MP3)|*.MP3|All Files (*.*)|*.*|");
  save.SetFileName("song.mp3");
  EXPECT_FALSE(save.Execute()) << "unscripted dialogs are cancelled";
  EXPECT_EQ(save.FileName(), "song.mp3") << "a cancelled dialog changes nothing";
  backend().QueueFileDialogAnswer({true, {"D:\\Music\\song.mp3"}, 2});
  ASSERT_TRUE(save.Execute());
  EXPECT_EQ(save.FileName(), "D:\\Music\\song.mp3");
  EXPECT_EQ(save.FilterIndex(), 2);
  ASSERT_EQ(backend().FileDialogs().size(), 2u);
  const FileDialogRequest& asked = backend().FileDialogs()[1].request;
  EXPECT_TRUE(asked.save);
  EXPECT_EQ(asked.title, "Save to disk");
  EXPECT_EQ(asked.initialFolder, "C:\\");
  EXPECT_EQ(asked.filters.size(), 2u);
  EXPECT_EQ(asked.owner, &form);

  FileDialog open(&form);
  open.SetMultiSelect(true);
  open.SetFilterIndex(9);
  backend().SetFileDialogScript([](const FileDialogRequest& r) {
    EXPECT_EQ(r.filterIndex, 1) << "an index past the filters starts at the first";
    return FileDialogAnswer{true, {"C:\\a.mp3", "C:\\b.mp3"}, 1};
  });
  ASSERT_TRUE(open.Execute());
  EXPECT_EQ(open.Files(), (std::vector<std::string>{"C:\\a.mp3", "C:\\b.mp3"}));
  open.SetMultiSelect(false);
  ASSERT_TRUE(open.Execute());
  EXPECT_EQ(open.Files().size(), 1u) << "a single-select dialog gives one file";
}

TEST_F(StandardControlsTest, FolderDialogGivesTheChosenFolder) {
  Form form;
  FolderDialog browse(&form);
  browse.SetFolder("C:\\");
  EXPECT_FALSE(browse.Execute());
  backend().QueueFolderDialogAnswer({true, "C:\\Music"});
  ASSERT_TRUE(browse.Execute());
  EXPECT_EQ(browse.Folder(), "C:\\Music");
  EXPECT_EQ(backend().FolderDialogs()[1].request.initialFolder, "C:\\");
}

TEST_F(StandardControlsTest, DroppedFilesReachControlsThatTakeThem) {
  Form form;
  ListView list(&form);
  std::vector<std::string> got;
  Point where;
  list.OnDropFiles = [&](const std::vector<std::string>& paths, Point at) {
    got = paths;
    where = at;
  };
  form.Show();
  EXPECT_FALSE(list.UserDropFiles({"C:\\a.mp3"}, {1, 2})) << "the list does not take files yet";
  list.SetAcceptFiles(true);
  EXPECT_FALSE(list.UserDropFiles({}, {1, 2}));
  EXPECT_TRUE(list.UserDropFiles({"C:\\a.mp3", "C:\\b c.mp3"}, {5, 40}));
  EXPECT_EQ(got, (std::vector<std::string>{"C:\\a.mp3", "C:\\b c.mp3"}));
  EXPECT_EQ(where.y, 40);
  form.SetAcceptFiles(true);
  int formDrops = 0;
  form.OnDropFiles = [&](const std::vector<std::string>&, Point) { ++formDrops; };
  form.UserDropFiles({"C:\\x"}, {});
  form.Hide();
  EXPECT_FALSE(form.UserDropFiles({"C:\\x"}, {}));
  EXPECT_EQ(formDrops, 1);
}

TEST_F(StandardControlsTest, HeadlessShellNamesAndIcons) {
  EXPECT_EQ(GetShellInfo("C:\\Music\\", true).displayName, "Music");
  EXPECT_EQ(GetShellInfo("C:\\Music", true).icon.resource, "shell:folder");
  const ShellItemInfo song = GetShellInfo("C:\\Music\\Song.MP3", false);
  EXPECT_EQ(song.displayName, "Song.MP3");
  EXPECT_EQ(song.icon.resource, "shell:audio");
  EXPECT_EQ(song.typeName, "MP3 파일");
  EXPECT_EQ(GetShellInfo("/home/u/readme", false).icon.resource, "shell:file");
  EXPECT_EQ(GetShellInfo("C:\\", true).displayName, "C:");
  EXPECT_EQ(GetShellInfo("C:\\", true).icon.resource, "shell:drive");
}

TEST_F(StandardControlsTest, FolderWatchReportsChangesOfItsFolderWhileActive) {
  Form form;
  FolderWatch watch(&form);
  int changes = 0;
  watch.OnChange = [&] { ++changes; };
  watch.SetFolder("C:\\Music");
  EXPECT_EQ(backend().NotifyFolderChanged("C:\\Music"), 0) << "not active yet";
  watch.SetActive(true);
  EXPECT_EQ(backend().NotifyFolderChanged("c:\\music\\"), 1) << "case and a trailing separator do not matter";
  EXPECT_EQ(backend().NotifyFolderChanged("C:\\Music\\Pop"), 0) << "a sub-folder only with the subtree watched";
  watch.SetWatchSubtree(true);
  EXPECT_EQ(backend().NotifyFolderChanged("C:\\Music\\Pop"), 1);
  EXPECT_EQ(backend().NotifyFolderChanged("C:\\Musical"), 0) << "a folder whose name merely begins the same";
  watch.SetFolder("D:\\");
  EXPECT_EQ(backend().NotifyFolderChanged("D:\\Songs"), 1);
  watch.SetActive(false);
  EXPECT_EQ(backend().NotifyFolderChanged("D:\\"), 0);
  EXPECT_EQ(changes, 3);
}

TEST_F(StandardControlsTest, ContextMenusOpenAtThePointUnlessTheFormTakesTheClick) {
  Form form;
  form.SetBounds(100, 50, 400, 300);
  Panel bar(&form);
  bar.SetBounds(10, 20, 200, 30);
  Image button(&bar);
  button.SetBounds(5, 4, 24, 22);
  EXPECT_EQ(button.ClientToScreen({0, 22}).x, 115);
  EXPECT_EQ(button.ClientToScreen({0, 22}).y, 96) << "below the button: where its drop-down opens";

  PopupMenu styles(&form);
  MenuItem large(&styles), report(&styles);
  int chosen = 0;
  report.OnClick = [&] { ++chosen; };
  button.SetContextMenu(&styles);
  form.Show();
  backend().ChooseOnNextPopup(&report);
  EXPECT_TRUE(button.UserContextMenu({120, 80}));
  EXPECT_EQ(chosen, 1);
  EXPECT_EQ(styles.PopupCount(), 1);

  // The form decides itself whether its menu opens (not while a command
  // runs, say).
  PopupMenu formMenu(&form);
  form.SetContextMenu(&formMenu);
  bool busy = true;
  form.OnContextPopup = [&](Point, bool& handled) { handled = busy; };
  EXPECT_TRUE(form.UserContextMenu({150, 150}));
  EXPECT_EQ(formMenu.PopupCount(), 0);
  busy = false;
  form.UserContextMenu({150, 150});
  EXPECT_EQ(formMenu.PopupCount(), 1);
  EXPECT_FALSE(bar.UserContextMenu({0, 0})) << "no menu of its own: the window's";
  button.SetEnabled(false);
  EXPECT_FALSE(button.UserContextMenu({120, 80}));
}

TEST_F(StandardControlsTest, BusyCursorScopesNestAndPutBackWhatWasShown) {
  {
    BusyCursorScope outer;
    {
      BusyCursorScope inner;
      EXPECT_TRUE(BusyCursor());
    }
    EXPECT_TRUE(BusyCursor()) << "the outer scope still runs";
  }
  EXPECT_FALSE(BusyCursor());
  EXPECT_EQ(backend().BusyCursorChanges(), (std::vector<bool>{true, true, true, false}));
}

}  // namespace
}  // namespace gui
