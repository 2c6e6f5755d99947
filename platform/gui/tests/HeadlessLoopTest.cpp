// The event loop on the headless backend: timers on the virtual clock,
// posted and sent messages, modal runs, worker-thread calls, the standard
// error report.
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "common/ErrorText.h"
#include "platform/gui/Button.h"
#include "platform/gui/Form.h"
#include "platform/gui/FormMessageTarget.h"
#include "platform/gui/Timer.h"
#include "platform/gui/tests/GuiTestSupport.h"

namespace gui {
namespace {

using testing::HeadlessTest;

class LoopTest : public HeadlessTest {};

TEST_F(LoopTest, TimersRunInClockOrderAndOnlyWhileEnabled) {
  Form form;
  Timer fast(&form), slow(&form);
  std::vector<std::string> log;
  fast.OnTimer = [&] { log.push_back("fast@" + std::to_string(app().NowMs())); };
  slow.OnTimer = [&] {
    log.push_back("slow@" + std::to_string(app().NowMs()));
    fast.SetEnabled(false);
  };
  fast.SetInterval(300);
  slow.SetInterval(1000);
  fast.SetEnabled(true);
  slow.SetEnabled(true);
  backend().Advance(299);
  EXPECT_TRUE(log.empty());
  backend().Advance(1901);
  EXPECT_EQ(log, (std::vector<std::string>{"fast@300", "fast@600", "fast@900", "slow@1000", "slow@2000"}));
}

TEST_F(LoopTest, ChangingTheIntervalRestartsThePeriod) {
  Form form;
  Timer timer(&form);
  int ticks = 0;
  timer.OnTimer = [&] { ++ticks; };
  timer.SetInterval(1000);
  timer.SetEnabled(true);
  backend().Advance(900);
  timer.SetInterval(1000);
  backend().Advance(900);
  EXPECT_EQ(ticks, 0);
  backend().Advance(100);
  EXPECT_EQ(ticks, 1);
}

TEST_F(LoopTest, PostedMessagesWaitForTheLoopSentOnesRunAtOnce) {
  Form form;
  std::vector<std::intptr_t> seen;
  form.SetMessageHandler(1129, [&](std::uintptr_t w, std::intptr_t l) {
    seen.push_back(static_cast<std::intptr_t>(w) * 100 + l);
    return 7;
  });
  app().Post(form, 1129, 1, 2);
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(app().Send(form, 1129, 3, 4), 7);
  EXPECT_EQ(seen, (std::vector<std::intptr_t>{304}));
  app().ProcessMessages();
  EXPECT_EQ(seen, (std::vector<std::intptr_t>{304, 102}));
  EXPECT_EQ(app().Send(form, 1125, 0, 0), 0) << "no handler: 0";
}

TEST_F(LoopTest, ModalRunEndsWithTheButtonsModalResult) {
  Form dialog;
  Button ok(&dialog);
  ok.SetModalResult(ModalResult::kOk);
  int shown = 0;
  dialog.OnShow = [&] { ++shown; };
  backend().OnIdle = [&] { return ok.UserClick(); };
  EXPECT_EQ(dialog.ShowModal(), ModalResult::kOk);
  EXPECT_EQ(shown, 1);
  EXPECT_FALSE(dialog.Visible());
  EXPECT_TRUE(backend().ModalForms().empty());
}

TEST_F(LoopTest, ClosingAModalFormGivesCancelAndNestedRunsUnwindInOrder) {
  Form outer, inner;
  std::vector<std::string> log;
  Timer timer(&outer);
  timer.SetInterval(500);
  timer.OnTimer = [&] {
    timer.SetEnabled(false);
    log.push_back("inner " + std::to_string(static_cast<int>(inner.ShowModal())));
    outer.SetModalResult(ModalResult::kYes);
  };
  timer.SetEnabled(true);
  backend().OnIdle = [&] {
    if (!inner.Visible()) return false;
    inner.UserClose();
    return true;
  };
  EXPECT_EQ(outer.ShowModal(), ModalResult::kYes);
  EXPECT_EQ(log, (std::vector<std::string>{"inner 2"}));
  EXPECT_EQ(app().NowMs(), 500u) << "the waiting loop moved the clock to the timer";
}

TEST_F(LoopTest, AWaitThatCanNeverEndRaisesLoopStall) {
  Form dialog;
  backend().SetStallWait(50);
  EXPECT_THROW(dialog.ShowModal(), LoopStall);
}

TEST_F(LoopTest, ClosingTheMainFormEndsTheLoop) {
  Form& main = app().CreateForm<Form>();
  bool hidden = false;
  main.OnHide = [&] { hidden = true; };
  main.Show();
  Timer timer(&main);
  timer.SetInterval(100);
  timer.OnTimer = [&] { main.Close(); };
  timer.SetEnabled(true);
  app().Run();
  EXPECT_TRUE(app().Terminated());
  EXPECT_TRUE(hidden);
}

TEST_F(LoopTest, CloseQueryAndCloseActionCanKeepAFormOpen) {
  Form form;
  form.Show();
  bool allow = false;
  form.OnCloseQuery = [&](bool& canClose) { canClose = allow; };
  form.Close();
  EXPECT_TRUE(form.Visible());
  allow = true;
  form.OnClose = [](Form::CloseAction& action) { action = Form::CloseAction::kNone; };
  form.Close();
  EXPECT_TRUE(form.Visible());
  form.OnClose = nullptr;
  form.Close();
  EXPECT_FALSE(form.Visible());
}

TEST_F(LoopTest, AnExceptionInAHandlerIsReportedAndTheLoopGoesOn) {
  Form form;
  Button button(&form);
  form.Show();
  int after = 0;
  button.OnClick = [&] { throw std::runtime_error("Socket Error # 10061"); };
  EXPECT_TRUE(button.UserClick());
  form.SetMessageHandler(1126, [&](std::uintptr_t, std::intptr_t) -> std::intptr_t {
    ++after;
    return 0;
  });
  app().Post(form, 1126);
  app().ProcessMessages();
  ASSERT_EQ(backend().MessageBoxes().size(), 1u);
  // Not a text for the user: the general sentence, the exception's own text as the detail.
  EXPECT_EQ(backend().MessageBoxes()[0].request.text,
            common::UserMessage(common::UnexpectedErrorSentence(), "Socket Error # 10061"));
  EXPECT_EQ(backend().MessageBoxes()[0].request.title, "Test");
  EXPECT_EQ(backend().MessageBoxes()[0].request.icon, MsgIcon::kError);
  EXPECT_EQ(after, 1);

  // A text for the user is shown as it is.
  button.OnClick = [] { throw common::UserFacingError("서비스에 연결할 수 없습니다.\n(서버 x)"); };
  EXPECT_TRUE(button.UserClick());
  ASSERT_EQ(backend().MessageBoxes().size(), 2u);
  EXPECT_EQ(backend().MessageBoxes()[1].request.text, "서비스에 연결할 수 없습니다.\n(서버 x)");
}

TEST_F(LoopTest, MessageBoxesTakeScriptedAnswersThenTheFirstButton) {
  backend().QueueAnswer(ModalResult::kNo);
  EXPECT_EQ(app().MessageBox("a", "t", Buttons::kYesNo, MsgIcon::kQuestion), ModalResult::kNo);
  EXPECT_EQ(app().MessageBox("b", "t", Buttons::kYesNo), ModalResult::kYes);
  EXPECT_EQ(app().MessageBox("c", "t", Buttons::kRetryCancel), ModalResult::kRetry);
  backend().SetMessageBoxScript([](const MessageBoxRequest& r) {
    return r.text == "d" ? ModalResult::kCancel : ModalResult::kOk;
  });
  EXPECT_EQ(app().MessageBox("d", "t", Buttons::kOkCancel), ModalResult::kCancel);
  EXPECT_EQ(backend().MessageBoxes().size(), 4u);
}

TEST_F(LoopTest, EnterPressesTheDefaultButtonAndABoxWithoutThatButtonFallsBackToTheFirst) {
  const struct {
    Buttons buttons;
    DefaultButton which;
    ModalResult expected;
  } cases[] = {
      {Buttons::kOkCancel, DefaultButton::kSecond, ModalResult::kCancel},
      {Buttons::kOkCancel, DefaultButton::kFirst, ModalResult::kOk},
      {Buttons::kYesNoCancel, DefaultButton::kThird, ModalResult::kCancel},
      {Buttons::kAbortRetryIgnore, DefaultButton::kSecond, ModalResult::kRetry},
      {Buttons::kYesNo, DefaultButton::kSecond, ModalResult::kNo},
      {Buttons::kRetryCancel, DefaultButton::kSecond, ModalResult::kCancel},
      {Buttons::kOk, DefaultButton::kSecond, ModalResult::kOk},
      {Buttons::kOkCancel, DefaultButton::kThird, ModalResult::kOk},
  };
  for (const auto& c : cases) {
    backend().QueueEnter();
    EXPECT_EQ(app().MessageBox("q", "t", c.buttons, MsgIcon::kQuestion, c.which), c.expected);
    EXPECT_EQ(backend().MessageBoxes().back().request.defaultButton, c.which);
  }
  // Queued answers and Enter keep their order; with nothing queued the
  // first button answers whatever the default.
  backend().QueueAnswer(ModalResult::kOk);
  backend().QueueEnter();
  EXPECT_EQ(app().MessageBox("a", "t", Buttons::kOkCancel, MsgIcon::kNone, DefaultButton::kSecond), ModalResult::kOk);
  EXPECT_EQ(app().MessageBox("b", "t", Buttons::kOkCancel, MsgIcon::kNone, DefaultButton::kSecond),
            ModalResult::kCancel);
  EXPECT_EQ(app().MessageBox("c", "t", Buttons::kOkCancel, MsgIcon::kNone, DefaultButton::kSecond), ModalResult::kOk);
}

TEST_F(LoopTest, WorkerReportsRunOnTheGuiThreadInOrderWhileAModalFormWaits) {
  Form dialog;
  std::vector<std::pair<std::uintptr_t, std::intptr_t>> reports;
  const auto guiThread = std::this_thread::get_id();
  bool allOnGui = true;
  dialog.SetMessageHandler(1125, [&](std::uintptr_t w, std::intptr_t l) -> std::intptr_t {
    allOnGui = allOnGui && std::this_thread::get_id() == guiThread;
    reports.emplace_back(w, l);
    if (w == 2) dialog.SetModalResult(ModalResult::kOk);
    return 1;
  });
  FormMessageTarget target(dialog);
  std::atomic<int> answered = 0;
  std::thread worker;
  dialog.OnShow = [&] {
    worker = std::thread([&] {
      for (int percent : {40, 81}) answered += static_cast<int>(target.Send(1125, 1, percent));
      answered += static_cast<int>(target.Send(1125, 2, 0));
    });
  };
  EXPECT_EQ(dialog.ShowModal(), ModalResult::kOk);
  worker.join();
  EXPECT_TRUE(allOnGui);
  EXPECT_EQ(answered, 3);
  EXPECT_EQ(reports, (std::vector<std::pair<std::uintptr_t, std::intptr_t>>{{1, 40}, {1, 81}, {2, 0}}));
}

TEST_F(LoopTest, ReportsToADestroyedFormReturnZero) {
  auto form = std::make_unique<Form>();
  int handled = 0;
  form->SetMessageHandler(1125, [&](std::uintptr_t, std::intptr_t) -> std::intptr_t { return ++handled; });
  FormMessageTarget target(*form);
  form->Destroy();
  form.reset();
  std::intptr_t result = -1;
  std::thread worker([&] { result = target.Send(1125, 1, 50); });
  while (result == -1) {
    app().DrainWorkerCalls();
    std::this_thread::yield();
  }
  worker.join();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(handled, 0);
}

TEST_F(LoopTest, RunOffGuiThreadKeepsHandlingMessagesAndRethrows) {
  Form form;
  int handled = 0;
  form.SetMessageHandler(1127, [&](std::uintptr_t, std::intptr_t) -> std::intptr_t { return ++handled; });
  app().RunOffGuiThread([&] {
    // The GUI thread keeps serving calls while this work blocks.
    app().RunOnGuiThread([&] { app().Post(form, 1127); });
    app().RunOnGuiThread([] {});
  });
  app().ProcessMessages();
  EXPECT_EQ(handled, 1);
  EXPECT_THROW(app().RunOffGuiThread([] { throw std::runtime_error("timed out"); }), std::runtime_error);
}

// Off-thread work during which the user closes the program. It owns its
// state, as it must: it may outlive the wait.
struct ClosingWork {
  std::atomic<bool> cancelled{false};
  std::atomic<bool> release{false};
  std::atomic<bool> ended{false};

  static std::function<void()> Run(std::shared_ptr<ClosingWork> self) {
    return [self, queue = App().WorkerQueue()] {
      queue->PostCall([] { App().Terminate(); });
      while (!self->release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      self->ended = true;
    };
  }
};

TEST_F(LoopTest, TerminatingDuringOffThreadWorkCancelsIt) {
  // Work that ends when cancelled: the wait sees it end.
  auto work = std::make_shared<ClosingWork>();
  EXPECT_TRUE(app().RunOffGuiThread(ClosingWork::Run(work), [work] {
    work->cancelled = true;
    work->release = true;
  }));
  EXPECT_TRUE(work->ended);
  EXPECT_TRUE(app().Terminated());
}

TEST_F(LoopTest, OffThreadWorkThatIgnoresTheCancelIsLeftToEndByItself) {
  auto work = std::make_shared<ClosingWork>();
  EXPECT_FALSE(app().RunOffGuiThread(ClosingWork::Run(work), [work] { work->cancelled = true; }));
  EXPECT_TRUE(work->cancelled);
  EXPECT_FALSE(work->ended);
  work->release = true;
  for (int i = 0; i < 500 && !work->ended; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(work->ended);

  // Once terminated, no further work starts.
  bool ran = false, cancelled = false;
  EXPECT_FALSE(app().RunOffGuiThread([&] { ran = true; }, [&] { cancelled = true; }));
  EXPECT_FALSE(ran);
  EXPECT_TRUE(cancelled);
}

TEST_F(LoopTest, NoErrorBoxOnceTheApplicationIsTerminated) {
  app().Terminate();
  app().Guard([] { throw std::runtime_error("request cancelled"); });
  EXPECT_TRUE(backend().MessageBoxes().empty());
}

TEST_F(LoopTest, SleepMovesTheClockAndRunsTimers) {
  Form form;
  Timer timer(&form);
  int ticks = 0;
  timer.OnTimer = [&] { ++ticks; };
  timer.SetInterval(100);
  timer.SetEnabled(true);
  timer.OnTimer = [&] {
    ++ticks;
    if (ticks == 1) app().Sleep(500);  // a wait inside a handler nests
  };
  backend().Advance(1000);
  EXPECT_EQ(app().NowMs(), 1000u);
  EXPECT_GE(ticks, 5);
}

}  // namespace
}  // namespace gui
