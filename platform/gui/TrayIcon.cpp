#include "platform/gui/TrayIcon.h"

#include "platform/gui/Application.h"
#include "platform/gui/Menu.h"

namespace gui {

TrayIcon::TrayIcon(Form* owner) : owner_(owner), animation_(owner) {
  animation_.OnTimer = [this] { NextFrame(); };
}

TrayIcon::~TrayIcon() {
  animation_.SetEnabled(false);
  peer_.reset();
}

void TrayIcon::SetHint(std::string hint) {
  hint_ = std::move(hint);
  Notify(Change::kHint);
}

void TrayIcon::SetIcon(Icon icon) {
  if (icon == icon_) return;
  icon_ = std::move(icon);
  Notify(Change::kPicture);
}

void TrayIcon::SetAnimated(bool on) {
  animated_ = on;
  frame_ = 0;
  animation_.SetEnabled(false);
  animation_.SetInterval(interval_);
  animation_.SetEnabled(on && !frames_.empty());
  Notify(Change::kPicture);
}

void TrayIcon::SetVisible(bool on) {
  visible_ = on;
  if (on && !peer_) peer_ = App().backend().CreateTrayPeer(*this);
  Notify(Change::kVisible);
}

const Icon& TrayIcon::ShownIcon() const {
  if (animated_ && !frames_.empty()) return frames_[static_cast<std::size_t>(frame_) % frames_.size()];
  return icon_;
}

void TrayIcon::NextFrame() {
  if (frames_.empty()) return;
  frame_ = (frame_ + 1) % static_cast<int>(frames_.size());
  Notify(Change::kPicture);
}

namespace {
bool InNestedLoop() { return Application::Exists() && App().ModalDepth() > 0; }
}  // namespace

bool TrayIcon::UserClick() {
  if (InNestedLoop()) return false;
  Fire(OnClick);
  return true;
}

bool TrayIcon::UserRightClick(Point at) {
  if (InNestedLoop() || !menu_) return false;
  menu_->Popup(at);
  return true;
}

}  // namespace gui
