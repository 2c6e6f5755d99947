#include "platform/gui/headless/HeadlessBackend.h"

#include <algorithm>
#include <stdexcept>

#include "platform/gui/Application.h"
#include "platform/gui/FolderWatch.h"
#include "platform/gui/Form.h"
#include "platform/gui/Timer.h"
#include "platform/gui/headless/HeadlessCustomWindow.h"

namespace gui::headless {

namespace {

class HeadlessPeer : public Peer {
 public:
  HeadlessPeer(HeadlessBackend& backend, Control* control) : backend_(backend), control_(control) {}
  void Changed(Change what, int) override {
    if (what == Change::kFront && control_ && control_->IsForm()) {
      backend_.NoteFront(static_cast<Form*>(control_));
      if (minimized_) {
        minimized_ = false;
        if (IsMainForm()) Fire(App().OnRestore);
      }
    }
  }
  // A form: as the window system does, minimising the main form tells the
  // application.
  void Minimize() override {
    if (minimized_) return;
    minimized_ = true;
    if (IsMainForm()) Fire(App().OnMinimize);
  }
  bool Minimized() override { return minimized_; }

 private:
  bool IsMainForm() const { return control_ && Application::Exists() && App().MainForm() == control_; }

  HeadlessBackend& backend_;
  Control* control_;
  bool minimized_ = false;
};

class WatchPeer : public Peer {
 public:
  WatchPeer(HeadlessBackend& backend, FolderWatch& watch) : backend_(backend), watch_(watch) { backend_.AddWatch(&watch_); }
  ~WatchPeer() override { backend_.RemoveWatch(&watch_); }
  void Changed(Change, int) override {}

 private:
  HeadlessBackend& backend_;
  FolderWatch& watch_;
};

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return text;
}

// Both separators, whatever the platform: headless tests use Windows paths
// as well as Linux ones.
std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && (path.back() == '\\' || path.back() == '/') && !(path.size() == 3 && path[1] == ':')) {
    path.pop_back();
  }
  return path;
}

bool IsUnder(const std::string& folder, const std::string& path) {
  const std::string f = Lower(WithoutTrailingSeparators(folder));
  const std::string p = Lower(WithoutTrailingSeparators(path));
  if (p.size() <= f.size() || p.compare(0, f.size(), f) != 0) return false;
  const char next = p[f.size()];
  return next == '\\' || next == '/' || f.back() == '\\' || f.back() == '/';
}

}  // namespace

ShellItemInfo HeadlessShellInfo(const std::string& path, bool folder) {
  const std::string trimmed = WithoutTrailingSeparators(path);
  ShellItemInfo info;
  const bool drive = (trimmed.size() == 2 || trimmed.size() == 3) && trimmed[1] == ':';
  if (drive || trimmed == "/") {
    info.displayName = trimmed.substr(0, drive ? 2 : 1);
    info.typeName = "로컬 디스크";
    info.icon = Icon{"shell:drive"};
    return info;
  }
  const auto slash = trimmed.find_last_of("\\/");
  info.displayName = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
  if (folder) {
    info.typeName = "파일 폴더";
    info.icon = Icon{"shell:folder"};
    return info;
  }
  const auto dot = info.displayName.find_last_of('.');
  const std::string extension = dot == std::string::npos ? "" : Lower(info.displayName.substr(dot + 1));
  std::string upper = extension;
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  info.typeName = extension.empty() ? "파일" : upper + " 파일";
  info.icon = Icon{extension == "mp3" || extension == "sa3" || extension == "wav" ? "shell:audio" : "shell:file"};
  return info;
}

HeadlessBackend& Headless() {
  auto* backend = dynamic_cast<HeadlessBackend*>(&App().backend());
  if (!backend) throw std::logic_error("gui: the application does not run on the headless backend");
  return *backend;
}

std::unique_ptr<Peer> HeadlessBackend::CreatePeer(Control& control) {
  if (control.kind() == Control::Kind::kCustomWindow) return CreateCustomWindowPeer(static_cast<CustomWindow&>(control));
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

void HeadlessBackend::RunInside(const NestedLoop& loop, const InsideLoop& inside) {
  const bool hook = nestedHook_ && !inHook_;
  if (!hook && !inside && !runPendingInside_) return;
  while (ProcessPending()) {
  }
  if (hook) {
    inHook_ = true;
    try {
      nestedHook_(loop);
    } catch (...) {
      inHook_ = false;
      throw;
    }
    inHook_ = false;
  }
  if (inside) inside();
  while (ProcessPending()) {
  }
}

ModalResult HeadlessBackend::ShowMessageBox(const MessageBoxRequest& request) {
  InsideLoop inside;
  bool haveQueued = false;
  std::optional<ModalResult> queued;  // nullopt: Enter
  if (!script_ && !answers_.empty()) {
    haveQueued = true;
    queued = answers_.front().answer;
    inside = std::move(answers_.front().inside);
    answers_.pop_front();
  }
  RunInside(NestedLoop{NestedLoop::Kind::kMessageBox, request.text, nullptr, 0}, inside);
  ModalResult answer = ButtonResult(request.buttons, DefaultButton::kFirst);
  if (script_) answer = script_(request);
  else if (haveQueued) answer = queued.value_or(ButtonResult(request.buttons, request.defaultButton));
  boxes_.push_back(ShownMessageBox{request, answer});
  return answer;
}

MenuItem* HeadlessBackend::TrackPopupMenu(PopupMenu&, Point) {
  ++popups_;
  MenuItem* chosen = nextChoice_;
  nextChoice_ = nullptr;
  InsideLoop inside = std::move(popupInside_);
  popupInside_ = nullptr;
  RunInside(NestedLoop{NestedLoop::Kind::kPopupMenu, {}, nullptr, 0}, inside);
  return chosen;
}

FileDialogAnswer HeadlessBackend::ShowFileDialog(const FileDialogRequest& request) {
  FileDialogAnswer answer;
  InsideLoop inside;
  if (!fileScript_ && !fileAnswers_.empty()) {
    answer = fileAnswers_.front().answer;
    inside = std::move(fileAnswers_.front().inside);
    fileAnswers_.pop_front();
  }
  RunInside(NestedLoop{NestedLoop::Kind::kFileDialog, request.title, nullptr, 0}, inside);
  if (fileScript_) answer = fileScript_(request);
  if (answer.ok && !request.multiSelect && answer.paths.size() > 1) answer.paths.resize(1);
  fileDialogs_.push_back(ShownFileDialog{request, answer});
  return answer;
}

FolderDialogAnswer HeadlessBackend::ShowFolderDialog(const FolderDialogRequest& request) {
  FolderDialogAnswer answer;
  InsideLoop inside;
  if (!folderAnswers_.empty()) {
    answer = folderAnswers_.front().answer;
    inside = std::move(folderAnswers_.front().inside);
    folderAnswers_.pop_front();
  }
  RunInside(NestedLoop{NestedLoop::Kind::kFolderDialog, request.title, nullptr, 0}, inside);
  folderDialogs_.push_back(ShownFolderDialog{request, answer});
  return answer;
}

void HeadlessBackend::Elapse(int ms) {
  RunInside(NestedLoop{NestedLoop::Kind::kSleep, {}, nullptr, ms}, {});
  Advance(ms);
}

std::unique_ptr<Peer> HeadlessBackend::CreateFolderWatchPeer(FolderWatch& watch) {
  return std::make_unique<WatchPeer>(*this, watch);
}

void HeadlessBackend::RemoveWatch(FolderWatch* watch) {
  watches_.erase(std::remove(watches_.begin(), watches_.end(), watch), watches_.end());
}

int HeadlessBackend::NotifyFolderChanged(const std::string& path) {
  std::vector<FolderWatch*> told;
  for (FolderWatch* watch : watches_) {
    const bool same = Lower(WithoutTrailingSeparators(watch->Folder())) == Lower(WithoutTrailingSeparators(path));
    if (same || (watch->WatchSubtree() && IsUnder(watch->Folder(), path))) told.push_back(watch);
  }
  // A handler may stop or start watches: tell the ones found first.
  for (FolderWatch* watch : told) watch->Changed();
  return static_cast<int>(told.size());
}

void HeadlessBackend::BeginModal(Form& form) {
  modal_.push_back(&form);
  InsideLoop inside;
  std::optional<ModalResult> queued;
  if (!modalAnswers_.empty()) {
    queued = modalAnswers_.front().answer;
    inside = std::move(modalAnswers_.front().inside);
    modalAnswers_.pop_front();
  }
  std::weak_ptr<Form*> life = form.LifeToken();
  RunInside(NestedLoop{NestedLoop::Kind::kModalForm, form.Caption(), &form, 0}, inside);
  if (queued && !life.expired() && form.GetModalResult() == ModalResult::kNone) form.SetModalResult(*queued);
}

void HeadlessBackend::EndModal(Form& form) { modal_.erase(std::remove(modal_.begin(), modal_.end(), &form), modal_.end()); }

}  // namespace gui::headless
