// The headless backend: no window system. Controls keep their whole state in
// the control objects, so a test reads every property there. Time is a
// virtual clock that only the test (Advance) or a waiting loop moves;
// message boxes are answered by a script the test supplies and recorded;
// popup menus record that they were shown and give the item the test chose.
//
// Nested loops: a real window system keeps delivering timers, worker calls,
// posted messages and the user's clicks while a message box, a dialog, a
// popup menu or a modal form waits for its answer. A test puts events
// "inside" such a loop with the answer it queues (or with the nested-loop
// hook): the loop first handles what is pending, runs the test's events
// (which may click, change a folder or Advance the clock), handles what is
// pending again, then returns the answer. Input to windows the loop does
// not name usable is refused there as it is on Windows.
//
// A waiting loop (a modal form, Run, HandleMessage) with nothing to handle
// asks OnIdle first, then waits briefly for worker threads, then moves the
// clock to the next timer; with no timer and no worker call it raises
// LoopStall instead of hanging.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gui/Backend.h"

namespace gui::headless {

struct ShownMessageBox {
  MessageBoxRequest request;
  ModalResult answer = ModalResult::kNone;
};

struct ShownFileDialog {
  FileDialogRequest request;
  FileDialogAnswer answer;
};

struct ShownFolderDialog {
  FolderDialogRequest request;
  FolderDialogAnswer answer;
};

// What a test runs inside a nested loop before its answer.
using InsideLoop = std::function<void()>;

// A nested loop as the nested-loop hook sees it.
struct NestedLoop {
  enum class Kind { kMessageBox, kFileDialog, kFolderDialog, kPopupMenu, kModalForm, kSleep };
  Kind kind = Kind::kMessageBox;
  std::string text;     // the box's text, the dialog's title, the modal form's caption
  Form* form = nullptr;  // the modal form
  int ms = 0;           // the sleep's length
};

// The fixed shell information of headless runs (see ShellInfo.h).
ShellItemInfo HeadlessShellInfo(const std::string& path, bool folder);

class HeadlessBackend : public Backend {
 public:
  HeadlessBackend() = default;

  // The clock. Advance moves it on by `ms`, running due timers in time
  // order and handling posted messages and worker calls in between.
  void Advance(int ms);

  // Message boxes: the script (when set) answers each one; otherwise queued
  // answers are used in order; otherwise the first button of the box.
  // QueueEnter queues a press of Enter: the box's default button answers.
  void SetMessageBoxScript(std::function<ModalResult(const MessageBoxRequest&)> script) {
    script_ = std::move(script);
  }
  void QueueAnswer(ModalResult answer) { answers_.push_back({answer, {}}); }
  // The same, with events that happen while the box is shown.
  void QueueAnswer(ModalResult answer, InsideLoop inside) { answers_.push_back({answer, std::move(inside)}); }
  // The key Enter: the box's default button answers.
  void QueueEnter() { answers_.push_back({std::nullopt, {}}); }
  const std::vector<ShownMessageBox>& MessageBoxes() const { return boxes_; }
  void ClearMessageBoxes() { boxes_.clear(); }

  // File and folder dialogs: the script (when set) answers each one;
  // otherwise queued answers in order; otherwise the dialog is cancelled.
  void SetFileDialogScript(std::function<FileDialogAnswer(const FileDialogRequest&)> script) {
    fileScript_ = std::move(script);
  }
  void QueueFileDialogAnswer(FileDialogAnswer answer, InsideLoop inside = {}) {
    fileAnswers_.push_back({std::move(answer), std::move(inside)});
  }
  const std::vector<ShownFileDialog>& FileDialogs() const { return fileDialogs_; }
  void QueueFolderDialogAnswer(FolderDialogAnswer answer, InsideLoop inside = {}) {
    folderAnswers_.push_back({std::move(answer), std::move(inside)});
  }
  const std::vector<ShownFolderDialog>& FolderDialogs() const { return folderDialogs_; }

  // Folder watches: something changed in `path`; every active watch of
  // that folder (or of a folder above it that watches its subtree) runs
  // OnChange. Gives the number of watches told.
  int NotifyFolderChanged(const std::string& path);
  // For the watch peers.
  void AddWatch(FolderWatch* watch) { watches_.push_back(watch); }
  void RemoveWatch(FolderWatch* watch);

  // Popup menus: the item the next popup gives as chosen, and what happens
  // while it is shown.
  void ChooseOnNextPopup(MenuItem* item, InsideLoop inside = {}) {
    nextChoice_ = item;
    popupInside_ = std::move(inside);
  }
  // Modal forms: the next ShowModal ends with `result` (unless the form
  // ends itself first) after the events, instead of waiting in its loop.
  void QueueModalAnswer(ModalResult result, InsideLoop inside = {}) {
    modalAnswers_.push_back({result, std::move(inside)});
  }

  // Runs at the start of every nested loop (each box, dialog, popup menu
  // and modal form, and each Application::Sleep), before its queued
  // events; not again inside itself. A test fires every source there.
  void SetNestedLoopHook(std::function<void(const NestedLoop&)> hook) { nestedHook_ = std::move(hook); }
  // Whether every nested loop handles pending worker calls, posted
  // messages and due timers before it answers, also without events queued
  // (as a window system does). Off unless a test asks.
  void SetNestedLoopsRunPending(bool on) { runPendingInside_ = on; }
  int PopupsShown() const { return popups_; }

  // Called by a waiting loop that has nothing to handle; returns whether
  // it did something (clicked a button, advanced the clock ...).
  std::function<bool()> OnIdle;
  // A waiting loop moves the clock by at most this much in total.
  void SetAutoAdvanceLimit(std::uint64_t ms) { autoAdvanceLimit_ = ms; }
  // How long (real time) a loop with no timer waits for a worker before it
  // gives up with LoopStall.
  void SetStallWait(int ms) { stallWaitMs_ = ms; }

  Form* LastBroughtToFront() const { return lastFront_; }
  int AppBroughtToFront() const { return appFront_; }
  const std::vector<Form*>& ModalForms() const { return modal_; }
  bool TimerRunning(const Timer& timer) const { return timers_.count(const_cast<Timer*>(&timer)) != 0; }
  // Time of the timer's next tick (only while it runs).
  std::uint64_t TimerDue(const Timer& timer) const;

  // Backend.
  std::unique_ptr<Peer> CreatePeer(Control& control) override;
  std::unique_ptr<Peer> CreateTrayPeer(TrayIcon& tray) override;
  void StartTimer(Timer& timer) override;
  void StopTimer(Timer& timer) override;
  void Post(Form& form, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  std::intptr_t Send(Form& form, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  bool ProcessPending() override;
  void WaitAndHandle() override;
  void Elapse(int ms) override;
  void Wake() override {}
  void Quit() override { quit_ = true; }
  std::uint64_t NowMs() override { return now_; }
  ModalResult ShowMessageBox(const MessageBoxRequest& request) override;
  MenuItem* TrackPopupMenu(PopupMenu& menu, Point at) override;
  void BeginModal(Form& form) override;
  void EndModal(Form& form) override;
  void BringAppToFront() override { ++appFront_; }
  FileDialogAnswer ShowFileDialog(const FileDialogRequest& request) override;
  FolderDialogAnswer ShowFolderDialog(const FolderDialogRequest& request) override;
  ShellItemInfo GetShellInfo(const std::string& path, bool folder) override { return HeadlessShellInfo(path, folder); }
  std::unique_ptr<Peer> CreateFolderWatchPeer(FolderWatch& watch) override;
  void SetBusyCursor(bool on) override { busyChanges_.push_back(on); }
  // Every switch of the hourglass, in order.
  const std::vector<bool>& BusyCursorChanges() const { return busyChanges_; }

  void NoteFront(Form* form) { lastFront_ = form; }

  // The virtual screen: 1024x768 with a 30-pixel task bar at the bottom
  // unless a test says otherwise.
  void SetScreen(Rect screen, Rect workArea) {
    screen_ = screen;
    workArea_ = workArea;
  }
  Rect ScreenRect() override { return screen_; }
  Rect WorkArea() override { return workArea_; }

 private:
  struct Posted {
    std::weak_ptr<Form*> form;
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
  };
  Timer* EarliestTimer();
  void FireTimer(Timer* timer);
  bool DispatchPosted();
  // What a nested loop delivers before its answer.
  void RunInside(const NestedLoop& loop, const InsideLoop& inside);
  template <class T>
  struct Queued {
    T answer;
    InsideLoop inside;
  };

  std::uint64_t now_ = 0;
  std::map<Timer*, std::uint64_t> timers_;  // next due time
  std::uint64_t timerOrder_ = 0;
  std::map<Timer*, std::uint64_t> started_;  // order of arming, for ties
  std::deque<Posted> posted_;
  std::function<ModalResult(const MessageBoxRequest&)> script_;
  std::deque<Queued<std::optional<ModalResult>>> answers_;  // nullopt: Enter
  std::vector<ShownMessageBox> boxes_;
  std::function<FileDialogAnswer(const FileDialogRequest&)> fileScript_;
  std::deque<Queued<FileDialogAnswer>> fileAnswers_;
  std::vector<ShownFileDialog> fileDialogs_;
  std::deque<Queued<FolderDialogAnswer>> folderAnswers_;
  std::deque<Queued<ModalResult>> modalAnswers_;
  InsideLoop popupInside_;
  std::function<void(const NestedLoop&)> nestedHook_;
  bool inHook_ = false;
  bool runPendingInside_ = false;
  std::vector<ShownFolderDialog> folderDialogs_;
  std::vector<FolderWatch*> watches_;
  std::vector<bool> busyChanges_;
  MenuItem* nextChoice_ = nullptr;
  int popups_ = 0;
  Form* lastFront_ = nullptr;
  int appFront_ = 0;
  std::vector<Form*> modal_;
  bool quit_ = false;
  std::uint64_t autoAdvanced_ = 0;
  std::uint64_t autoAdvanceLimit_ = 24ull * 3600 * 1000;
  int stallWaitMs_ = 10000;
  Rect screen_{0, 0, 1024, 768};
  Rect workArea_{0, 0, 1024, 738};
};

// The running application's backend, which must be the headless one.
HeadlessBackend& Headless();

}  // namespace gui::headless
