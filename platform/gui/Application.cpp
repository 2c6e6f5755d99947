#include "platform/gui/Application.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "common/ErrorText.h"
#include "platform/gui/Form.h"

namespace gui {

namespace {
Application* current = nullptr;
}

struct CrossThreadQueue::Entry {
  const std::function<void()>* call = nullptr;
  std::function<void()> owned;  // for posted calls, which nobody waits for
  bool finished = false;
  bool ran = false;
};

bool CrossThreadQueue::PostCall(std::function<void()> call) {
  auto entry = std::make_unique<Entry>();
  entry->owned = std::move(call);
  std::lock_guard lock(mutex_);
  if (closed_) return false;
  entries_.push_back(entry.release());
  queued_.notify_all();
  if (wake_) wake_();
  return true;
}

bool CrossThreadQueue::Call(const std::function<void()>& call) {
  Entry entry;
  entry.call = &call;
  std::unique_lock lock(mutex_);
  if (closed_) return false;
  entries_.push_back(&entry);
  queued_.notify_all();
  if (wake_) wake_();
  done_.wait(lock, [&] { return entry.finished; });
  return entry.ran;
}

bool CrossThreadQueue::Drain() {
  bool any = false;
  for (;;) {
    Entry* entry = nullptr;
    {
      std::lock_guard lock(mutex_);
      if (entries_.empty()) return any;
      entry = entries_.front();
      entries_.pop_front();
    }
    any = true;
    if (!entry->call) {
      std::unique_ptr<Entry> owned(entry);
      owned->owned();
      continue;
    }
    auto finish = [&](bool ran) {
      std::lock_guard lock(mutex_);
      entry->ran = ran;
      entry->finished = true;
      done_.notify_all();
    };
    try {
      (*entry->call)();
    } catch (...) {
      finish(false);
      throw;
    }
    finish(true);
  }
}

bool CrossThreadQueue::WaitNonEmpty(int ms) {
  std::unique_lock lock(mutex_);
  return queued_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return !entries_.empty() || closed_; }) &&
         !entries_.empty();
}

void CrossThreadQueue::Close() {
  std::lock_guard lock(mutex_);
  closed_ = true;
  for (Entry* entry : entries_) {
    if (!entry->call) delete entry;
    else entry->finished = true;
  }
  entries_.clear();
  done_.notify_all();
  queued_.notify_all();
}

Application::Application(std::unique_ptr<Backend> backend)
    : backend_(std::move(backend)), guiThread_(std::this_thread::get_id()) {
  Backend* b = backend_.get();
  queue_ = std::make_shared<CrossThreadQueue>([b] { b->Wake(); });
  current = this;
}

Application::~Application() {
  while (!deleteLater_.empty()) {
    std::unique_ptr<Form> form = std::move(deleteLater_.back());
    deleteLater_.pop_back();
    form->Destroy();
  }
  DestroyForms();
  queue_->Close();
  current = nullptr;
}

Application& Application::Current() {
  if (!current) throw std::logic_error("gui: no application object");
  return *current;
}

bool Application::Exists() { return current != nullptr; }

void Application::Adopt(std::unique_ptr<Form> form) {
  if (!mainForm_) mainForm_ = form.get();
  forms_.push_back(std::move(form));
}

void Application::DestroyForms() {
  while (!forms_.empty()) {
    std::unique_ptr<Form> form = std::move(forms_.back());
    forms_.pop_back();
    if (mainForm_ == form.get()) mainForm_ = nullptr;
    form->Destroy();
    form.reset();
  }
}

void Application::Run() {
  while (!terminated_) HandleMessage();
}

void Application::Terminate() {
  if (terminated_) return;
  terminated_ = true;
  backend_->Quit();
}

void Application::ProcessMessages() {
  while (backend_->ProcessPending()) {
  }
  DeletePending();
}

void Application::HandleMessage() {
  backend_->WaitAndHandle();
  DeletePending();
}

void Application::Sleep(int ms) {
  backend_->Elapse(ms);
  DeletePending();
}

bool Application::AcceptsInput(const Control& control) const {
  if (modal_.empty()) return true;
  const Control* root = &control;
  while (root->Parent()) root = root->Parent();
  for (const auto& usable : modal_.back().usable) {
    if (auto form = usable.lock(); form && *form == root) return true;
  }
  return false;
}

void Application::EnterModal(ModalKind kind, const std::vector<Form*>& usable) {
  Frame entry;
  entry.frame.kind = kind;
  for (Form* form : usable) {
    if (!form) continue;
    entry.frame.usable.push_back(form);
    entry.usable.push_back(form->LifeToken());
  }
  modal_.push_back(std::move(entry));
  backend_->EnterModal(modal_.back().frame);
}

void Application::LeaveModal() {
  if (modal_.empty()) return;
  Frame entry = std::move(modal_.back());
  modal_.pop_back();
  // Windows destroyed meanwhile are not given to the backend again.
  entry.frame.usable.clear();
  for (const auto& usable : entry.usable) {
    if (auto form = usable.lock()) entry.frame.usable.push_back(*form);
  }
  backend_->LeaveModal(entry.frame);
  DeletePending();
}

void Application::DeleteLater(Form& form) {
  for (auto it = forms_.begin(); it != forms_.end(); ++it) {
    if (it->get() != &form) continue;
    std::unique_ptr<Form> owned = std::move(*it);
    forms_.erase(it);
    DeleteLater(std::move(owned));
    return;
  }
  throw std::logic_error("gui: DeleteLater of a form the application does not own");
}

void Application::DeleteLater(std::unique_ptr<Form> form) {
  if (!form) return;
  if (mainForm_ == form.get()) mainForm_ = nullptr;
  form->Hide();
  deleteLater_.push_back(std::move(form));
  DeletePending();
}

void Application::DeletePending() {
  while (!deleteLater_.empty() && modal_.empty() && handlerDepth_ == 0) {
    std::unique_ptr<Form> form = std::move(deleteLater_.front());
    deleteLater_.erase(deleteLater_.begin());
    form->Destroy();
    form.reset();
  }
}

ModalScope::ModalScope(ModalKind kind, std::vector<Form*> usable) {
  if (!Application::Exists()) return;
  App().EnterModal(kind, usable);
  entered_ = true;
}

ModalScope::~ModalScope() {
  if (entered_ && Application::Exists()) App().LeaveModal();
}

std::uint64_t Application::NowMs() { return backend_->NowMs(); }

void Application::Post(Form& form, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (IsGuiThread()) {
    backend_->Post(form, message, wParam, lParam);
    return;
  }
  std::weak_ptr<Form*> life = form.LifeToken();
  // From a worker: the GUI thread posts it without the worker waiting.
  queue_->PostCall([life, message, wParam, lParam, this] {
    if (auto alive = life.lock()) backend_->Post(**alive, message, wParam, lParam);
  });
}

std::intptr_t Application::Send(Form& form, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (IsGuiThread()) return backend_->Send(form, message, wParam, lParam);
  std::weak_ptr<Form*> life = form.LifeToken();
  std::intptr_t result = 0;
  queue_->Call([&] {
    if (auto alive = life.lock()) result = backend_->Send(**alive, message, wParam, lParam);
  });
  return result;
}

bool Application::RunOnGuiThread(const std::function<void()>& call) {
  if (IsGuiThread()) {
    Guard(call);
    return true;
  }
  return queue_->Call([&] { Guard(call); });
}

bool Application::RunOffGuiThread(std::function<void()> work, const std::function<void()>& cancel) {
  if (terminated_) {
    if (cancel) cancel();
    return false;
  }
  // Shared with the worker, which may outlive this call.
  struct State {
    std::function<void()> work;
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::exception_ptr failure;
  };
  auto state = std::make_shared<State>();
  state->work = std::move(work);
  std::thread worker([state, queue = queue_] {
    std::exception_ptr failure;
    try {
      state->work();
    } catch (...) {
      failure = std::current_exception();
    }
    {
      std::lock_guard lock(state->mutex);
      state->failure = failure;
      state->done = true;
    }
    state->ended.notify_all();
    queue->PostCall([] {});  // wakes the GUI thread; refused once the application is gone
  });
  auto finished = [&] {
    std::lock_guard lock(state->mutex);
    return state->done;
  };
  while (!finished() && !terminated_) {
    if (!backend_->ProcessPending()) queue_->WaitNonEmpty(5);
  }
  if (!finished()) {
    if (cancel) cancel();
    std::unique_lock lock(state->mutex);
    if (!state->ended.wait_for(lock, std::chrono::milliseconds(kAbandonGraceMs), [&] { return state->done; })) {
      lock.unlock();
      worker.detach();
      return false;
    }
  }
  worker.join();
  if (state->failure) std::rethrow_exception(state->failure);
  return true;
}

bool Application::DrainWorkerCalls() { return queue_->Drain(); }

bool Application::WaitForWorkerCall(int ms) { return queue_->WaitNonEmpty(ms); }

ModalResult Application::MessageBox(const std::string& text, const std::string& title, Buttons buttons,
                                    MsgIcon icon, DefaultButton defaultButton) {
  MessageBoxRequest request{text, title, buttons, icon, nullptr, defaultButton};
  for (const auto& form : forms_) {
    if (form->Visible() && form->InModal()) request.owner = form.get();
  }
  ModalScope box(ModalKind::kMessageBox, {});
  return backend_->ShowMessageBox(request);
}

void Application::ShowException(const std::exception& error) {
  // A failure with a text for the user is shown as it is; any other (a
  // fault of the program) gets the general sentence, its own text as the
  // detail.
  const bool forUser = dynamic_cast<const common::UserFacingError*>(&error) != nullptr;
  const std::string text = forUser ? error.what() : common::UserMessage(common::UnexpectedErrorSentence(), error.what());
  MessageBox(text, title_, Buttons::kOk, MsgIcon::kError);
}

void Application::BringToFront() { backend_->BringAppToFront(); }

void Application::Guard(const std::function<void()>& handler) {
  struct Depth {
    Application& app;
    explicit Depth(Application& a) : app(a) { ++app.handlerDepth_; }
    ~Depth() { --app.handlerDepth_; }
  };
  {
    Depth depth(*this);
    GuardedCall(handler);
  }
  DeletePending();
}

void Application::GuardedCall(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const LoopStall&) {
    throw;
  } catch (const std::exception& error) {
    // Once the application is ending, a box would only hold up its end.
    if (!terminated_) ShowException(error);
  } catch (...) {
    if (!terminated_) ShowException(std::runtime_error("unknown exception"));
  }
}

}  // namespace gui
