#include "platform/gui/Form.h"

#include <algorithm>

#include "platform/gui/Application.h"

namespace gui {

Form::Form() : Form(nullptr, Kind::kForm) {}

Form::Form(Control* parent, Kind kind) : Control(parent, kind), life_(std::make_shared<Form*>(this)) {
  Control::SetVisible(false);
}

Form::~Form() {
  // A form class calls Destroy() in its own destructor while its controls
  // exist; here only the native side is left to remove.
  destroyed_ = true;
  life_.reset();
  DestroyNative();
}

void Form::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  Notify(Change::kText);
}

void Form::SetColor(Color color) {
  color_ = color;
  designed_ = true;
  Notify(Change::kLook);
}

void Form::SetBackground(std::shared_ptr<const Bitmap> picture) {
  background_ = std::move(picture);
  designed_ = true;
  Notify(Change::kLook);
}

void Form::UserMove(int left, int top) {
  if (destroyed_ || (left == Left() && top == Top())) return;
  KeepBounds(Rect{left, top, Width(), Height()});
  Fire(OnMove);
}

namespace {

// The innermost shown control under a point of `parent`'s client area.
Control* ChildAt(Control& parent, Point at) {
  const auto& children = parent.Children();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    Control* child = *it;
    if (!child->Showing() || child->IsForm() || !Contains(child->Bounds(), at)) continue;
    const Point inner{at.x - child->Left(), at.y - child->Top()};
    if (Control* deeper = ChildAt(*child, inner)) return deeper;
    if (child->kind() == Control::Kind::kLabel && child->Hint().empty()) continue;
    return child;
  }
  return nullptr;
}

}  // namespace

Control* Form::ControlAt(Point client) { return ChildAt(*this, client); }

void Form::Create() {
  if (destroyed_) return;
  Control::Create();
  if (!createdEventDone_) {
    createdEventDone_ = true;
    Fire(OnCreate);
  }
}

void Form::Destroy() {
  if (destroyed_) return;
  destroyed_ = true;
  if (inModal_) modalResult_ = ModalResult::kCancel;
  if (createdEventDone_) Fire(OnDestroy);
  life_.reset();
  if (Application::Exists() && App().MainForm() == this) App().SetMainForm(nullptr);
  DestroyNative();
}

void Form::Show() { SetVisible(true); }

void Form::Hide() { SetVisible(false); }

void Form::SetVisible(bool visible) {
  if (visible == Visible() || destroyed_) return;
  if (visible) {
    if (!Created()) Create();
    Control::SetVisible(true);
    Fire(OnShow);
    if (activeControl_) activeControl_->SetFocus();
  } else {
    Control::SetVisible(false);
    Fire(OnHide);
  }
}

void Form::UserResize(int width, int height) {
  if (destroyed_) return;
  width = std::max(width, minWidth_);
  height = std::max(height, minHeight_);
  if (width == Width() && height == Height()) return;
  KeepBounds(Rect{Left(), Top(), width, height});
  Fire(OnResize);
}

void Form::BringToFront() { Notify(Change::kFront); }

void Form::Minimize() {
  if (!destroyed_ && Visible() && peer()) peer()->Minimize();
}

bool Form::Minimized() const { return peer() && peer()->Minimized(); }

void Form::UserMouseDown(const MouseEvent& event) {
  if (Usable() && !destroyed_) Fire(OnMouseDown, event);
}

void Form::UserMouseUp(const MouseEvent& event) {
  if (Usable() && !destroyed_) Fire(OnMouseUp, event);
}

void Form::UserMouseMove(const MouseEvent& event) {
  if (Usable() && !destroyed_) Fire(OnMouseMove, event);
}

ModalResult Form::ShowModal() {
  if (inModal_) throw std::logic_error("gui: form is already modal");
  Application& app = App();
  modalResult_ = ModalResult::kNone;
  // A form given to DeleteLater inside its own loop is deleted when the loop
  // ends, before this call returns: nothing of it is touched after that.
  const std::weak_ptr<Form*> life = LifeToken();
  ModalResult result = ModalResult::kCancel;
  {
    // Input reaches this form alone while it runs; the others take it again
    // before this one hides, so the activation goes back to them.
    ModalScope scope(ModalKind::kForm, {this});
    struct Running {
      bool& flag;
      explicit Running(bool& f) : flag(f) { flag = true; }
      ~Running() { flag = false; }  // also when the loop throws
    } running(inModal_);
    Show();
    app.backend().BeginModal(*this);
    while (modalResult_ == ModalResult::kNone && !app.Terminated() && !destroyed_) {
      app.HandleMessage();
      if (modalResult_ == ModalResult::kNone && !Visible()) modalResult_ = ModalResult::kCancel;
    }
    if (modalResult_ == ModalResult::kNone) modalResult_ = ModalResult::kCancel;
    result = modalResult_;
    if (!destroyed_) app.backend().EndModal(*this);
  }
  if (life.expired()) return result;
  if (!destroyed_) Hide();
  return result;
}

void Form::Close() {
  if (destroyed_) return;
  bool canClose = true;
  Fire(OnCloseQuery, canClose);
  if (!canClose) return;
  const bool isMain = Application::Exists() && App().MainForm() == this;
  CloseAction action = isMain ? CloseAction::kFree : CloseAction::kHide;
  Fire(OnClose, action);
  if (action == CloseAction::kNone) return;
  if (inModal_) {
    if (modalResult_ == ModalResult::kNone) modalResult_ = ModalResult::kCancel;
    return;
  }
  if (isMain) {
    Hide();
    App().Terminate();
    return;
  }
  // A form the application owns stays until the application ends, so a
  // freeing close hides it as well.
  Hide();
}

bool Form::UserClose() {
  if (destroyed_ || (Application::Exists() && !App().AcceptsInput(*this))) return false;
  Close();
  return true;
}

void Form::SetActiveControl(Control* control) { activeControl_ = control; }

void Form::SetMessageHandler(std::uint32_t message, MessageHandler handler) {
  handlers_[message] = std::move(handler);
}

std::intptr_t Form::Dispatch(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  auto it = handlers_.find(message);
  if (it == handlers_.end() || destroyed_) return 0;
  std::intptr_t result = 0;
  MessageHandler handler = it->second;  // a handler may replace itself
  App().Guard([&] { result = handler(wParam, lParam); });
  return result;
}

std::intptr_t Form::UserCopyData(std::uintptr_t id, std::vector<std::uint8_t> bytes) {
  if (!OnCopyData || destroyed_ || bytes.size() > kMaxCopyData) return 0;
  std::intptr_t result = 0;
  App().Guard([&] { result = OnCopyData(id, bytes); });
  return result;
}

}  // namespace gui
