// Nested loops on real windows: while a message box, a popup menu, a modal
// form or a modal scope runs, every other window of the program is
// disabled and a click that still reaches one of its controls is refused;
// the top window takes its clicks; timers and worker calls are delivered;
// a window given to DeleteLater lives until the outermost handler returns;
// afterwards every window is as it was.
#include <windows.h>
#undef MessageBox  // the GUI layer's, not the macro

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/gui/Application.h"
#include "platform/gui/Button.h"
#include "platform/gui/CustomWindow.h"
#include "platform/gui/Form.h"
#include "platform/gui/Menu.h"
#include "platform/gui/Timer.h"
#include "platform/gui/win32/Win32Backend.h"

namespace gui {
namespace {

HWND H(const Control& control) { return static_cast<HWND>(win32::HandleOf(control)); }

struct ButtonForm : Form {
  explicit ButtonForm(const std::string& caption) {
    SetCaption(caption);
    SetClientSize(200, 80);
    button.SetCaption("OK");
    button.SetBounds(10, 10, 80, 25);
    Create();
  }
  ~ButtonForm() override { Destroy(); }
  Button button{this};
};

enum class Kind { kMessageBox, kPopupMenu, kModalForm, kScope };

class Win32NestedLoopTest : public ::testing::TestWithParam<Kind> {
 protected:
  Win32NestedLoopTest() : app_(win32::CreateWin32Backend(nullptr)) {
    app_.SetTitle("Nested");
    main = std::make_unique<ButtonForm>("main");
    main->Show();
    other.Show();
    custom.SetWindowRect(Rect{300, 10, 60, 60});
    custom.Create();
    custom.Show();
    other.button.OnClick = [this] { log.push_back("other click"); };
    top.button.OnClick = [this] {
      log.push_back("top click");
      top.SetModalResult(ModalResult::kOk);
    };
    item.SetCaption("&Item");
  }

  // Runs a nested loop of the parameter's kind inside a handler; `inside`
  // runs from a timer tick while the loop waits, then the loop is ended.
  void RunNested(const std::function<void()>& inside) {
    Timer tick(&other);
    tick.SetInterval(40);
    tick.OnTimer = [&] {
      tick.SetEnabled(false);
      inside();
      switch (GetParam()) {
        case Kind::kMessageBox:
          if (HWND box = FindWindowW(L"#32770", L"Nested")) PostMessageW(box, WM_COMMAND, IDOK, 0);
          break;
        case Kind::kPopupMenu: EndMenu(); break;
        case Kind::kModalForm: top.SetModalResult(ModalResult::kCancel); break;
        case Kind::kScope: scopeDone = true; break;
      }
    };
    tick.SetEnabled(true);
    app_.Guard([&] {
      switch (GetParam()) {
        case Kind::kMessageBox: app_.MessageBox("question", "Nested"); break;
        case Kind::kPopupMenu: menu.Popup(Point{20, 20}); break;
        case Kind::kModalForm: top.ShowModal(); break;
        case Kind::kScope: {
          ModalScope scope({&top});
          top.Show();
          while (!scopeDone) app_.HandleMessage();
          top.Hide();
          break;
        }
      }
      afterLoop();
    });
  }

  Form* TopWindow() { return GetParam() == Kind::kModalForm || GetParam() == Kind::kScope ? &top : nullptr; }

  Application app_;
  std::unique_ptr<ButtonForm> main;
  ButtonForm other{"other"};
  ButtonForm top{"top"};
  CustomWindow custom;
  PopupMenu menu{nullptr};
  MenuItem item{&menu};
  std::vector<std::string> log;
  bool scopeDone = false;
  std::function<void()> afterLoop = [] {};
};

TEST_P(Win32NestedLoopTest, OtherWindowsAreDisabledTheTopOneTakesInputAndTheLoopDelivers) {
  BOOL mainEnabled = TRUE, otherEnabled = TRUE, customEnabled = TRUE, topEnabled = FALSE;
  int depth = 0;
  int workerDepth = -1;
  RunNested([&] {
    depth = app_.ModalDepth();
    mainEnabled = IsWindowEnabled(H(*main));
    otherEnabled = IsWindowEnabled(H(other));
    customEnabled = IsWindowEnabled(H(custom));
    // A click that reaches a control of a disabled window all the same is
    // refused by the GUI layer.
    SendMessageW(H(other.button), BM_CLICK, 0, 0);
    EXPECT_FALSE(other.UserClose());
    if (TopWindow()) {
      topEnabled = IsWindowEnabled(H(top));
      SendMessageW(H(top.button), BM_CLICK, 0, 0);
    }
    // A worker's call is delivered inside the loop.
    std::thread worker([&] { app_.RunOnGuiThread([&] { workerDepth = app_.ModalDepth(); }); });
    while (workerDepth < 0) app_.ProcessMessages();
    worker.join();
  });
  EXPECT_EQ(depth, 1);
  EXPECT_FALSE(mainEnabled);
  EXPECT_FALSE(otherEnabled);
  EXPECT_FALSE(customEnabled);
  EXPECT_EQ(workerDepth, 1);
  if (TopWindow()) {
    EXPECT_TRUE(topEnabled);
    EXPECT_EQ(log, std::vector<std::string>{"top click"});
  } else {
    EXPECT_TRUE(log.empty());
  }
  // Every window takes input again.
  EXPECT_EQ(app_.ModalDepth(), 0);
  EXPECT_TRUE(IsWindowEnabled(H(*main)));
  EXPECT_TRUE(IsWindowEnabled(H(other)));
  EXPECT_TRUE(IsWindowEnabled(H(custom)));
  log.clear();
  SendMessageW(H(other.button), BM_CLICK, 0, 0);
  EXPECT_EQ(log, std::vector<std::string>{"other click"});
}

TEST_P(Win32NestedLoopTest, AWindowGivenToDeleteLaterLivesUntilTheOutermostHandlerReturns) {
  std::weak_ptr<Form*> life = main->LifeToken();
  HWND window = H(*main);
  bool aliveAfterLoop = false;
  afterLoop = [&] { aliveAfterLoop = !life.expired() && IsWindow(window); };
  RunNested([&] { app_.DeleteLater(std::move(main)); });
  EXPECT_TRUE(aliveAfterLoop);
  EXPECT_TRUE(life.expired());
  EXPECT_FALSE(IsWindow(window));
}

INSTANTIATE_TEST_SUITE_P(EachKind, Win32NestedLoopTest,
                         ::testing::Values(Kind::kMessageBox, Kind::kPopupMenu, Kind::kModalForm, Kind::kScope));

}  // namespace
}  // namespace gui
