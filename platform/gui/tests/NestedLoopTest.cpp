// Nested loops of the GUI thread, one contract for each kind (message box,
// file dialog, folder dialog, popup menu, modal form, modal scope): while
// one runs, user input to other windows and to the tray icon is refused,
// the top window's controls take it, timers and worker calls are
// delivered, and a window given to DeleteLater lives until the outermost
// handler has returned.
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/gui/Button.h"
#include "platform/gui/CustomWindow.h"
#include "platform/gui/FileDialog.h"
#include "platform/gui/Form.h"
#include "platform/gui/Menu.h"
#include "platform/gui/Timer.h"
#include "platform/gui/TrayIcon.h"
#include "platform/gui/tests/GuiTestSupport.h"

namespace gui {
namespace {

using headless::NestedLoop;

enum class Kind { kMessageBox, kFileDialog, kFolderDialog, kPopupMenu, kModalForm, kScope };

std::string Name(const ::testing::TestParamInfo<Kind>& info) {
  switch (info.param) {
    case Kind::kMessageBox: return "MessageBox";
    case Kind::kFileDialog: return "FileDialog";
    case Kind::kFolderDialog: return "FolderDialog";
    case Kind::kPopupMenu: return "PopupMenu";
    case Kind::kModalForm: return "ModalForm";
    case Kind::kScope: return "ModalScope";
  }
  return "?";
}

// A window with a button, as the forms of the programs are.
class ButtonForm : public Form {
 public:
  explicit ButtonForm(std::string caption) {
    SetCaption(std::move(caption));
    button.SetCaption("OK");
    Create();
  }
  ~ButtonForm() override { Destroy(); }
  Button button{this};
};

class NestedLoopTest : public testing::HeadlessTest, public ::testing::WithParamInterface<Kind> {
 protected:
  NestedLoopTest() {
    main = std::make_unique<ButtonForm>("main");
    main->Show();
    other.Show();
    custom.SetWindowRect(Rect{500, 10, 100, 100});
    custom.Create();
    custom.Show();
    custom.OnKeyDown = [this](int) { log.push_back("custom key"); };
    other.button.OnClick = [this] { log.push_back("other click"); };
    top.button.OnClick = [this] {
      log.push_back("top click");
      top.SetModalResult(ModalResult::kOk);
    };
    tray.SetMenu(&trayMenu);
    trayItem.SetCaption("&Exit");
    trayItem.OnClick = [this] { log.push_back("tray item"); };
    tray.OnClick = [this] { log.push_back("tray click"); };
    tray.SetVisible(true);
    popupItem.SetCaption("Item");
  }

  // Opens a nested loop of the parameter's kind from a handler of the main
  // window; `inside` runs while it waits.
  void OpenFromMainWindow(std::function<void()> inside) {
    main->button.OnClick = [this, inside] {
      switch (GetParam()) {
        case Kind::kMessageBox:
          backend().QueueAnswer(ModalResult::kOk, inside);
          app().MessageBox("question", "title", Buttons::kOkCancel);
          break;
        case Kind::kFileDialog: {
          backend().QueueFileDialogAnswer(FileDialogAnswer{}, inside);
          FileDialog dialog(main.get());
          dialog.Execute();
          break;
        }
        case Kind::kFolderDialog: {
          backend().QueueFolderDialogAnswer(FolderDialogAnswer{}, inside);
          FolderDialog dialog(main.get());
          dialog.Execute();
          break;
        }
        case Kind::kPopupMenu:
          backend().ChooseOnNextPopup(nullptr, inside);
          popup.Popup(Point{1, 1});
          break;
        case Kind::kModalForm:
          backend().QueueModalAnswer(ModalResult::kCancel, inside);
          top.ShowModal();
          break;
        case Kind::kScope: {
          ModalScope scope({&top});
          top.Show();
          backend().SetNestedLoopHook([inside](const NestedLoop& loop) {
            if (loop.kind == NestedLoop::Kind::kSleep) inside();
          });
          app().Sleep(10);
          backend().SetNestedLoopHook({});
          top.Hide();
          break;
        }
      }
      if (afterLoop) afterLoop();
      log.push_back("handler returns");
    };
    ASSERT_TRUE(main->button.UserClick());
  }

  // The window whose controls the loop leaves usable (none for the
  // system's own boxes, dialogs and menus).
  Form* TopWindow() const {
    return GetParam() == Kind::kModalForm || GetParam() == Kind::kScope ? const_cast<ButtonForm*>(&top) : nullptr;
  }

  std::unique_ptr<ButtonForm> main;
  ButtonForm other{"other"};
  ButtonForm top{"top"};
  CustomWindow custom;
  PopupMenu trayMenu{nullptr};
  MenuItem trayItem{&trayMenu};
  TrayIcon tray{nullptr};
  PopupMenu popup{nullptr};
  MenuItem popupItem{&popup};
  std::vector<std::string> log;
  std::function<void()> afterLoop;  // the handler's code after its nested loop
};

TEST_P(NestedLoopTest, InputOutsideTheTopWindowIsRefusedAndTheTopWindowTakesIt) {
  int depthInside = 0;
  bool refusedEverywhere = true, topTook = false;
  OpenFromMainWindow([&] {
    depthInside = app().ModalDepth();
    refusedEverywhere = !other.button.UserClick() && !main->button.UserClick() && !tray.UserClick() &&
                        !tray.UserRightClick(Point{5, 5}) && !trayItem.UserClick() && !other.UserClose() &&
                        !main->UserClose();
    custom.UserKeyDown(13);
    if (TopWindow()) topTook = top.button.UserClick();
  });
  EXPECT_EQ(depthInside, 1);
  EXPECT_TRUE(refusedEverywhere);
  EXPECT_EQ(topTook, TopWindow() != nullptr);
  EXPECT_EQ(app().ModalDepth(), 0);
  EXPECT_EQ(trayMenu.PopupCount(), 0);
  if (TopWindow()) {
    EXPECT_EQ(log, (std::vector<std::string>{"top click", "handler returns"}));
  } else {
    EXPECT_EQ(log, std::vector<std::string>{"handler returns"});
  }

  // Once it has returned, everything takes input again.
  log.clear();
  EXPECT_TRUE(other.button.UserClick());
  EXPECT_TRUE(tray.UserClick());
  EXPECT_TRUE(trayItem.UserClick());
  custom.UserKeyDown(13);
  EXPECT_EQ(log, (std::vector<std::string>{"other click", "tray click", "tray item", "custom key"}));
}

TEST_P(NestedLoopTest, TimersWorkerCallsAndPostedMessagesAreDelivered) {
  Timer timer(&other);
  std::vector<int> tickDepths;
  timer.OnTimer = [&] { tickDepths.push_back(app().ModalDepth()); };
  timer.SetInterval(40);
  timer.SetEnabled(true);
  int postedDepth = -1, workerDepth = -1, waitedDepth = -1;
  other.SetMessageHandler(0x0400 + 7, [&](std::uintptr_t, std::intptr_t) {
    postedDepth = app().ModalDepth();
    return 0;
  });
  OpenFromMainWindow([&] {
    app().Post(other, 0x0400 + 7);
    // A worker that hands a call over and goes on, and one that waits for
    // its call to run.
    std::thread([&] { app().WorkerQueue()->PostCall([&] { workerDepth = app().ModalDepth(); }); }).join();
    std::thread waiting([&] { app().RunOnGuiThread([&] { waitedDepth = app().ModalDepth(); }); });
    while (waitedDepth < 0) app().ProcessMessages();
    waiting.join();
    backend().Advance(100);
  });
  timer.SetEnabled(false);
  EXPECT_EQ(tickDepths, (std::vector<int>{1, 1}));
  EXPECT_EQ(postedDepth, 1);
  EXPECT_EQ(workerDepth, 1);
  EXPECT_EQ(waitedDepth, 1);
}

TEST_P(NestedLoopTest, AWindowGivenToDeleteLaterLivesUntilTheOutermostHandlerReturns) {
  std::weak_ptr<Form*> life = main->LifeToken();
  bool aliveAfterLoop = false;
  main->OnDestroy = [&] { log.push_back("main destroyed"); };
  afterLoop = [&] {
    // The handler goes on after its question: its window still answers.
    aliveAfterLoop = !life.expired() && (*life.lock())->Caption() == "main";
  };
  OpenFromMainWindow([&] {
    // The user closes the window whose handler asked: it goes, but later.
    app().DeleteLater(std::move(main));
    EXPECT_EQ(app().PendingDeletions(), 1u);
  });
  EXPECT_TRUE(aliveAfterLoop);
  EXPECT_TRUE(life.expired());
  EXPECT_EQ(app().PendingDeletions(), 0u);
  EXPECT_EQ(log, (std::vector<std::string>{"handler returns", "main destroyed"}));
}

TEST_P(NestedLoopTest, TheHookAndPendingWorkRunInsideWithoutQueuedEvents) {
  // A window system delivers what is pending before the user answers.
  backend().SetNestedLoopsRunPending(true);
  int workerDepth = -1;
  std::vector<NestedLoop::Kind> seen;
  std::thread([&] { app().WorkerQueue()->PostCall([&] { workerDepth = app().ModalDepth(); }); }).join();
  backend().SetNestedLoopHook([&](const NestedLoop& loop) {
    seen.push_back(loop.kind);
    // The hook is not called again inside itself.
    app().MessageBox("inner", "t");
  });
  if (GetParam() == Kind::kScope) {
    // The scope's own wait is its loop.
    ModalScope scope;
    app().Sleep(5);
  } else {
    OpenFromMainWindow({});
  }
  backend().SetNestedLoopHook({});
  EXPECT_EQ(workerDepth, 1);
  ASSERT_EQ(seen.size(), 1u);
  const NestedLoop::Kind expected[] = {NestedLoop::Kind::kMessageBox, NestedLoop::Kind::kFileDialog,
                                       NestedLoop::Kind::kFolderDialog, NestedLoop::Kind::kPopupMenu,
                                       NestedLoop::Kind::kModalForm, NestedLoop::Kind::kSleep};
  EXPECT_EQ(seen[0], expected[static_cast<int>(GetParam())]);
}

INSTANTIATE_TEST_SUITE_P(EachKind, NestedLoopTest,
                         ::testing::Values(Kind::kMessageBox, Kind::kFileDialog, Kind::kFolderDialog,
                                           Kind::kPopupMenu, Kind::kModalForm, Kind::kScope),
                         Name);

class ModalScopeTest : public testing::HeadlessTest {};

TEST_F(ModalScopeTest, NestedLoopsStackAndTheInnermostDecides) {
  ButtonForm main("main"), progress("progress"), dialog("dialog");
  main.Show();
  progress.Show();
  int clicks = 0;
  progress.button.OnClick = [&] { ++clicks; };
  dialog.button.OnClick = [&] { dialog.SetModalResult(ModalResult::kOk); };
  {
    ModalScope command({&progress, nullptr});
    EXPECT_FALSE(main.button.UserClick());
    EXPECT_TRUE(progress.button.UserClick());
    // A question inside the command: not even the progress window.
    bool progressDuringBox = true;
    backend().QueueAnswer(ModalResult::kOk, [&] { progressDuringBox = progress.button.UserClick(); });
    app().MessageBox("sure?", "t");
    EXPECT_FALSE(progressDuringBox);
    // A modal form inside it: the form alone, then the scope's rule again.
    bool progressDuringForm = true;
    backend().QueueModalAnswer(ModalResult::kNone, [&] {
      progressDuringForm = progress.button.UserClick();
      EXPECT_TRUE(dialog.button.UserClick());
    });
    EXPECT_EQ(dialog.ShowModal(), ModalResult::kOk);
    EXPECT_FALSE(progressDuringForm);
    EXPECT_EQ(app().ModalDepth(), 1);
    EXPECT_TRUE(progress.button.UserClick());
  }
  EXPECT_EQ(app().ModalDepth(), 0);
  EXPECT_EQ(clicks, 2);
  EXPECT_TRUE(main.button.UserClick());
}

TEST_F(ModalScopeTest, DeleteLaterOutsideAnyLoopDeletesAtOnceAndItsOwnedFormsLeaveTheApplication) {
  auto& owned = app().CreateForm<ButtonForm>("owned");
  std::weak_ptr<Form*> life = owned.LifeToken();
  owned.Show();
  {
    ModalScope scope;
    app().DeleteLater(owned);
    EXPECT_FALSE(life.expired());
    EXPECT_FALSE(owned.Visible());
  }
  EXPECT_TRUE(life.expired());
  EXPECT_TRUE(app().OwnedForms().empty());
  Form stranger;
  EXPECT_THROW(app().DeleteLater(stranger), std::logic_error);
}

TEST_F(ModalScopeTest, AModalFormGivenToDeleteLaterInsideItsLoopIsDeletedOnlyAfterItsLoopAndNotTouchedAfter) {
  // Shown outside any handler: when its loop ends nothing else holds the
  // deletion back, and ShowModal must not read the form afterwards.
  auto& dialog = app().CreateForm<ButtonForm>("dialog");
  std::weak_ptr<Form*> life = dialog.LifeToken();
  backend().QueueModalAnswer(ModalResult::kOk, [&] {
    app().DeleteLater(dialog);
    EXPECT_FALSE(life.expired());
  });
  EXPECT_EQ(dialog.ShowModal(), ModalResult::kOk);
  EXPECT_TRUE(life.expired());
  EXPECT_EQ(app().ModalDepth(), 0);
}

}  // namespace
}  // namespace gui
