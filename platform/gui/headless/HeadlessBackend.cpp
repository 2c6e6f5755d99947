#include "platform/gui/headless/HeadlessBackend.h"

#include <algorithm>
#include <stdexcept>

#include "platform/gui/Application.h"
#include "platform/gui/Form.h"
#include "platform/gui/Timer.h"

namespace gui::headless {

namespace {

class HeadlessPeer : public Peer {
 public:
  HeadlessPeer(HeadlessBackend& backend, Control* control) : backend_(backend), control_(control) {}
  void Changed(Change what, int) override {
    if (what == Change::kFront && control_ && control_->kind() == Control::Kind::kForm) {
      backend_.NoteFront(static_cast<Form*>(control_));
    }
  }

 private:
  HeadlessBackend& backend_;
  Control* control_;
};

ModalResult FirstButton(Buttons buttons) {
  switch (buttons) {
    case Buttons::kOk:
    case Buttons::kOkCancel: return ModalResult::kOk;
    case Buttons::kAbortRetryIgnore: return ModalResult::kAbort;
    case Buttons::kYesNoCancel:
    case Buttons::kYesNo: return ModalResult::kYes;
    case Buttons::kRetryCancel: return ModalResult::kRetry;
  }
  return ModalResult::kOk;
}

}  // namespace

HeadlessBackend& Headless() {
  auto* backend = dynamic_cast<HeadlessBackend*>(&App().backend());
  if (!backend) throw std::logic_error("gui: the application does not run on the headless backend");
  return *backend;
}

std::unique_ptr<Peer> HeadlessBackend::CreatePeer(Control& control) {
  return std::make_unique<HeadlessPeer>(*this, &control);
}

std::unique_ptr<Peer> HeadlessBackend::CreateTrayPeer(TrayIcon&) { return std::make_unique<HeadlessPeer>(*this, nullptr); }

void HeadlessBackend::StartTimer(Timer& timer) {
  timers_[&timer] = now_ + static_cast<std::uint64_t>(timer.Interval());
  started_[&timer] = ++timerOrder_;
}

void HeadlessBackend::StopTimer(Timer& timer) {
  timers_.erase(&timer);
  started_.erase(&timer);
}

std::uint64_t HeadlessBackend::TimerDue(const Timer& timer) const {
  auto it = timers_.find(const_cast<Timer*>(&timer));
  return it == timers_.end() ? 0 : it->second;
}

Timer* HeadlessBackend::EarliestTimer() {
  Timer* best = nullptr;
  for (const auto& [timer, due] : timers_) {
    if (!best || due < timers_[best] || (due == timers_[best] && started_[timer] < started_[best])) best = timer;
  }
  return best;
}

void HeadlessBackend::FireTimer(Timer* timer) {
  // Rescheduled before the tick, so a handler may stop or restart it.
  timers_[timer] = now_ + static_cast<std::uint64_t>(std::max(1, timer->Interval()));
  started_[timer] = ++timerOrder_;
  timer->Tick();
}

void HeadlessBackend::Post(Form& form, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  posted_.push_back(Posted{form.LifeToken(), message, wParam, lParam});
}

std::intptr_t HeadlessBackend::Send(Form& form, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  return form.Dispatch(message, wParam, lParam);
}

bool HeadlessBackend::DispatchPosted() {
  if (posted_.empty()) return false;
  Posted next = posted_.front();
  posted_.pop_front();
  if (auto form = next.form.lock()) (*form)->Dispatch(next.message, next.wParam, next.lParam);
  return true;
}

bool HeadlessBackend::ProcessPending() {
  if (App().DrainWorkerCalls()) return true;
  if (DispatchPosted()) return true;
  if (Timer* timer = EarliestTimer(); timer && timers_[timer] <= now_) {
    FireTimer(timer);
    return true;
  }
  return false;
}

void HeadlessBackend::Advance(int ms) {
  const std::uint64_t target = now_ + static_cast<std::uint64_t>(std::max(0, ms));
  for (;;) {
    while (ProcessPending()) {
    }
    Timer* timer = EarliestTimer();
    if (!timer || timers_[timer] > target) break;
    now_ = std::max(now_, timers_[timer]);
    FireTimer(timer);
  }
  now_ = std::max(now_, target);
  while (ProcessPending()) {
  }
}

void HeadlessBackend::WaitAndHandle() {
  if (quit_ && App().Terminated()) return;
  if (ProcessPending()) return;
  if (OnIdle && OnIdle()) return;
  if (App().WaitForWorkerCall(20)) {
    App().DrainWorkerCalls();
    return;
  }
  if (Timer* timer = EarliestTimer()) {
    const std::uint64_t due = std::max(now_, timers_[timer]);
    autoAdvanced_ += due - now_;
    if (autoAdvanced_ > autoAdvanceLimit_) {
      throw LoopStall("headless: a waiting loop ran timers for longer than the limit without ending");
    }
    now_ = due;
    FireTimer(timer);
    return;
  }
  if (App().WaitForWorkerCall(stallWaitMs_)) {
    App().DrainWorkerCalls();
    return;
  }
  throw LoopStall("headless: the loop waits, but nothing is queued, no timer runs and no worker reports");
}

ModalResult HeadlessBackend::ShowMessageBox(const MessageBoxRequest& request) {
  ModalResult answer = FirstButton(request.buttons);
  if (script_) {
    answer = script_(request);
  } else if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  }
  boxes_.push_back(ShownMessageBox{request, answer});
  return answer;
}

MenuItem* HeadlessBackend::TrackPopupMenu(PopupMenu&, Point) {
  ++popups_;
  MenuItem* chosen = nextChoice_;
  nextChoice_ = nullptr;
  return chosen;
}

void HeadlessBackend::BeginModal(Form& form) { modal_.push_back(&form); }

void HeadlessBackend::EndModal(Form& form) { modal_.erase(std::remove(modal_.begin(), modal_.end(), &form), modal_.end()); }

}  // namespace gui::headless
