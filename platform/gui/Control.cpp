#include "platform/gui/Control.h"

#include <algorithm>

#include "platform/gui/Application.h"
#include "platform/gui/Form.h"
#include "platform/gui/Menu.h"
#include "platform/gui/PageControl.h"

namespace gui {

Control::Control(Control* parent, Kind kind) : parent_(parent), kind_(kind) {
  if (parent_) parent_->children_.push_back(this);
}

Control::~Control() {
  DestroyNative();
  for (Control* child : children_) child->parent_ = nullptr;
  if (parent_) {
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}

void Control::Create() {
  if (parent_ && !parent_->Created()) return;  // made together with its parent
  if (!peer_) peer_ = App().backend().CreatePeer(*this);
  for (Control* child : children_) child->Create();
}

void Control::DestroyNative() {
  for (Control* child : children_) child->DestroyNative();
  peer_.reset();
}

Form* Control::OwnerForm() {
  Control* c = this;
  while (c && !c->IsForm()) c = c->parent_;
  return static_cast<Form*>(c);
}

void Control::SetBounds(int left, int top, int width, int height) {
  bounds_ = Rect{left, top, width, height};
  Notify(Change::kBounds);
}

void Control::SetVisible(bool visible) {
  visible_ = visible;
  Notify(Change::kVisible);
}

bool Control::Showing() const {
  if (!visible_) return false;
  if (kind_ == Kind::kTabSheet) {
    const auto* sheet = static_cast<const TabSheet*>(this);
    if (!sheet->TabVisible() || sheet->Owner()->ActivePage() != sheet) return false;
  }
  return parent_ ? parent_->Showing() : true;
}

void Control::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Notify(Change::kEnabled);
}

bool Control::Usable() const {
  if (!Showing()) return false;
  for (const Control* c = this; c; c = c->parent_) {
    if (!c->enabled_) return false;
  }
  return !Application::Exists() || App().AcceptsInput(*this);
}

void Control::SetHint(std::string hint) {
  hint_ = std::move(hint);
  Notify(Change::kHint);
}

void Control::SetFocus() {
  if (Form* form = OwnerForm()) form->SetActiveControl(this);
  Notify(Change::kFocus);
}

void Control::SetAcceptFiles(bool on) {
  acceptFiles_ = on;
  Notify(Change::kAcceptFiles);
}

bool Control::UserDropFiles(const std::vector<std::string>& paths, Point at) {
  if (!acceptFiles_ || !Usable() || paths.empty()) return false;
  Fire(OnDropFiles, paths, at);
  return true;
}

bool Control::UserContextMenu(Point screen) {
  if (!Usable()) return false;
  bool handled = false;
  Fire(OnContextPopup, screen, handled);
  if (handled) return true;
  if (contextMenu_) {
    contextMenu_->Popup(screen);
    return true;
  }
  return false;
}

Point Control::ClientToScreen(Point client) const {
  if (peer_) {
    if (auto screen = peer_->ToScreen(client)) return *screen;
  }
  Point p = client;
  for (const Control* c = this; c; c = c->parent_) {
    p.x += c->bounds_.left;
    p.y += c->bounds_.top;
  }
  return p;
}

bool Control::Focused() {
  Form* form = OwnerForm();
  return form && form->ActiveControl() == this;
}

}  // namespace gui
