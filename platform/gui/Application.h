// The application object: the one backend, the forms it owns, the message
// loop, numbered messages to forms, calls between the GUI thread and worker
// threads, and the standard error report.
//
// Event handlers run on the GUI thread. An exception that leaves a handler
// ends that handler only: the application reports it in a message box (the
// standard error report) and the loop goes on.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/gui/Backend.h"
#include "platform/gui/Types.h"

namespace gui {

class Control;
class Form;

// Calls that worker threads hand to the GUI thread. It outlives the
// application for workers that still hold it: once closed, Call returns
// false at once.
class CrossThreadQueue {
 public:
  explicit CrossThreadQueue(std::function<void()> wake) : wake_(std::move(wake)) {}
  // From a worker: queues the call and waits until the GUI thread ran it.
  bool Call(const std::function<void()>& call);
  // From a worker: queues the call and returns at once.
  bool PostCall(std::function<void()> call);
  // On the GUI thread: runs every queued call; true when there was one.
  bool Drain();
  // On the GUI thread: waits up to `ms` for a queued call.
  bool WaitNonEmpty(int ms);
  void Close();

 private:
  struct Entry;
  std::mutex mutex_;
  std::condition_variable queued_;
  std::condition_variable done_;
  std::deque<Entry*> entries_;
  bool closed_ = false;
  std::function<void()> wake_;
};

// Raised by a loop that can never make progress (headless only: nothing is
// queued, no timer runs, no worker reports). Never turned into an error box.
class LoopStall : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Application {
 public:
  explicit Application(std::unique_ptr<Backend> backend);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // The one application of the process (there is exactly one at a time).
  static Application& Current();
  static bool Exists();

  Backend& backend() { return *backend_; }

  const std::string& Title() const { return title_; }
  void SetTitle(std::string title) { title_ = std::move(title); }

  // Creates a form the application owns and destroys at the end, in reverse
  // order of creation. The first form so created is the main form unless one
  // was set.
  template <class T, class... Args>
  T& CreateForm(Args&&... args) {
    auto form = std::make_unique<T>(std::forward<Args>(args)...);
    T& ref = *form;
    Adopt(std::move(form));
    return ref;
  }
  void SetMainForm(Form* form) { mainForm_ = form; }
  Form* MainForm() const { return mainForm_; }
  // Destroys the owned forms, last created first (each form's OnDestroy
  // runs while all its controls still exist).
  void DestroyForms();

  // Runs the loop until Terminate().
  void Run();
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Handles every message that is pending now, then returns.
  void ProcessMessages();
  // Waits for the next message (or timer, or worker call) and handles it.
  void HandleMessage();
  // Keeps handling messages while `ms` milliseconds pass.
  void Sleep(int ms);
  // Milliseconds of the application clock (virtual in headless runs).
  std::uint64_t NowMs();

  // Numbered messages to a form. Post queues and returns; Send handles the
  // message before it returns and may be called from any thread (from a
  // worker it waits until the GUI thread has handled it; 0 when the form or
  // the application is gone).
  void Post(Form& form, std::uint32_t message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
  std::intptr_t Send(Form& form, std::uint32_t message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

  // From a worker thread: runs `call` on the GUI thread and waits for it.
  // On the GUI thread the call runs at once. Returns false when the
  // application ended before the call could run.
  bool RunOnGuiThread(const std::function<void()>& call);
  std::shared_ptr<CrossThreadQueue> WorkerQueue() const { return queue_; }
  // From the GUI thread: runs `work` on a worker thread while this thread
  // keeps handling messages; returns true when the work has ended. An
  // exception of the work is raised again here.
  // When the application is terminated meanwhile (or already was),
  // `cancel` runs (once, on this thread) and the wait ends after at most
  // kAbandonGraceMs: work still running then is left to end by itself and
  // false is returned. Such work must therefore own what it touches
  // (captures by value, shared state); it never sees a form again.
  bool RunOffGuiThread(std::function<void()> work, const std::function<void()>& cancel = {});
  static constexpr int kAbandonGraceMs = 300;
  bool IsGuiThread() const { return std::this_thread::get_id() == guiThread_; }

  // Message box owned by the active form; gives the button pressed.
  // Enter presses `defaultButton`.
  ModalResult MessageBox(const std::string& text, const std::string& title, Buttons buttons = Buttons::kOk,
                         MsgIcon icon = MsgIcon::kNone, DefaultButton defaultButton = DefaultButton::kFirst);
  // The standard error report: an error box under the application title
  // with the text of a common::UserFacingError as it is, for any other
  // exception the general sentence with the exception's text as the detail.
  void ShowException(const std::exception& error);
  void BringToFront();

  // Runs a handler; reports what it throws (LoopStall passes through),
  // except once the application is terminated: then nothing is shown.
  void Guard(const std::function<void()>& handler);

  // Nested loops. Message boxes, file and folder dialogs, popup menus,
  // ShowModal and ModalScope each raise the depth while they run; user
  // input then reaches only the windows the innermost one names usable
  // (the modal form; a long command's progress or wait window; none for a
  // box, a dialog or a menu, whose own window is the top one). Timers,
  // worker calls and posted messages are delivered at any depth.
  int ModalDepth() const { return static_cast<int>(modal_.size()); }
  // Whether user input may reach the control now: no nested loop runs, or
  // the control's top-level window is one the innermost loop names usable.
  bool AcceptsInput(const Control& control) const;
  // Deletes a form once no nested loop runs and no event handler is on the
  // stack (a handler of the form, or a question it asked, may still run
  // below the caller). The form is hidden at once, so the user reaches it
  // no more. The first takes a form the application owns (CreateForm).
  void DeleteLater(Form& form);
  void DeleteLater(std::unique_ptr<Form> form);
  // Forms given to DeleteLater and not deleted yet.
  std::size_t PendingDeletions() const { return deleteLater_.size(); }

  // Raised by the backend when the main form is minimised or restored.
  std::function<void()> OnMinimize;
  std::function<void()> OnRestore;

  // For backends: runs the calls that worker threads queued.
  bool DrainWorkerCalls();
  // For backends: waits up to `ms` real milliseconds for a worker call.
  bool WaitForWorkerCall(int ms);
  const std::vector<std::unique_ptr<Form>>& OwnedForms() const { return forms_; }

 private:
  friend class ModalScope;
  struct Frame {
    ModalFrame frame;
    std::vector<std::weak_ptr<Form*>> usable;
  };
  void Adopt(std::unique_ptr<Form> form);
  void GuardedCall(const std::function<void()>& handler);  // Guard without the handler depth
  void EnterModal(ModalKind kind, const std::vector<Form*>& usable);
  void LeaveModal();
  // Deletes the forms given to DeleteLater when nothing can still use them.
  void DeletePending();

  std::unique_ptr<Backend> backend_;
  std::shared_ptr<CrossThreadQueue> queue_;
  std::vector<std::unique_ptr<Form>> forms_;
  Form* mainForm_ = nullptr;
  std::string title_;
  bool terminated_ = false;
  std::thread::id guiThread_;
  std::vector<Frame> modal_;
  std::vector<std::unique_ptr<Form>> deleteLater_;
  int handlerDepth_ = 0;  // event handlers running (Guard) on the GUI thread
};

// A nested loop held for a block of code. Long commands use it directly:
// their waits (Sleep, ProcessMessages, RunOffGuiThread, questions) keep the
// program's windows open, and for the command's time user input reaches
// only the windows named here (a progress or wait window with its Cancel),
// never a control that could start a second command. Null entries are
// skipped; a named window may be shown or hidden while the scope runs.
class ModalScope {
 public:
  explicit ModalScope(std::vector<Form*> usable = {}) : ModalScope(ModalKind::kScope, std::move(usable)) {}
  ModalScope(ModalKind kind, std::vector<Form*> usable);
  ~ModalScope();
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;

 private:
  bool entered_ = false;
};

inline Application& App() { return Application::Current(); }

// Runs an event handler if it is assigned, with the standard error report.
template <class Event, class... Args>
void Fire(const Event& event, Args&&... args) {
  if (event) App().Guard([&] { event(std::forward<Args>(args)...); });
}

}  // namespace gui
