#include "music-player/windows/SkinnedDialog.h"

#include <utility>
#include <vector>

#include "music-player/PlayerEngine.h"
#include "music-player/skin/SkinFrameLayout.h"
#include "music-player/skin/SkinSlider.h"
#include "music-player/windows/Snapping.h"
#include "platform/gui/Application.h"

namespace vantu {

namespace fmt = skin_format;

// --- Windows deleted after their last message ---

namespace {

std::vector<std::unique_ptr<gui::CustomWindow>>& Graveyard() {
  static std::vector<std::unique_ptr<gui::CustomWindow>> windows;
  return windows;
}

int g_handlerDepth = 0;  // GUI thread only

void PostFlush() {
  if (gui::Application::Exists()) gui::App().WorkerQueue()->PostCall(FlushDeletedWindows);
}

}  // namespace

void DeleteLater(std::unique_ptr<gui::CustomWindow> window) {
  if (!window) return;
  window->ReleaseMouse();
  window->Hide();
  Graveyard().push_back(std::move(window));
  PostFlush();
}

std::size_t WindowsAwaitingDeletion() { return Graveyard().size(); }

WindowHandlerScope::WindowHandlerScope() { ++g_handlerDepth; }

WindowHandlerScope::~WindowHandlerScope() {
  if (--g_handlerDepth == 0 && !Graveyard().empty()) PostFlush();
}

void FlushDeletedWindows() {
  if (g_handlerDepth > 0) return;  // the outermost handler's end posts it again
  // Deleting one may retire another (a window's drop-down): take turns.
  while (!Graveyard().empty()) {
    auto windows = std::move(Graveyard());
    Graveyard().clear();
    windows.clear();
  }
}

// --- CSkinnedDialog ---

CSkinnedDialog::CSkinnedDialog(PlayerSettings& settings) : settings_(settings) {
  OnPaint = [this](gui::Canvas& canvas) { DrawElements(canvas); };
  OnMouseDown = [this](const gui::MouseEvent& e) {
    if (e.button == gui::MouseButton::kLeft) BaseMouseDown(e);
  };
  OnMouseUp = [this](const gui::MouseEvent& e) {
    if (e.button == gui::MouseButton::kLeft) BaseMouseUp(e);
  };
  OnMouseMove = [this](const gui::MouseEvent& e) { BaseMouseMove(e); };
  // The system took the mouse away (another window captured it): the
  // pressed element shows its normal look again and fires nothing.
  OnCaptureLost = [this] {
    if (CSkinElement* e = std::exchange(capture_, nullptr)) {
      e->state = 0;
      RedrawElement(*e);
    }
  };
  OnDestroy = [this] { RememberPlace(); };
  SetMessageHandler(wm::kCommand, [this](std::uintptr_t w, std::intptr_t l) -> std::intptr_t {
    WindowHandlerScope scope;
    OnCommand(static_cast<std::uint32_t>(w & 0xFFFF), l);
    return 0;
  });
  SetMessageHandler(wm::kClose, [this](std::uintptr_t, std::intptr_t) -> std::intptr_t {
    HandleClose();
    return 0;
  });
}

CSkinnedDialog::~CSkinnedDialog() {
  CloseDropDown();
  Destroy();
}

void CSkinnedDialog::SetPlace(const SkinRect& screen) {
  const gui::Rect before = WindowRect();
  SetWindowRect(ToGui(screen));
  if (before.width != screen.Width() || before.height != screen.Height()) OnSizeChanged();
}

void CSkinnedDialog::OnChildDrag(CSkinnedDialog&, int, int) {}

void CSkinnedDialog::MoveDocked(int, int) {}

SkinRect CSkinnedDialog::GetInitialRect() {
  if (!owner_) return {};
  const SkinRect o = owner_->ScreenRect();
  return {o.left, o.bottom, o.right, 2 * o.bottom - o.top};
}

SkinRect CSkinnedDialog::GetBackgroundRect() {
  const CSkinElement* background = FindElementOfType(elements_, fmt::kFrameBackground);
  return background ? background->rect : SkinRect{};
}

void CSkinnedDialog::DrawElements(gui::Canvas& canvas) {
  if (!elements_) return;
  for (const auto& e : *elements_) {
    if (!e->IsHidden()) e->Draw(canvas);
  }
}

void CSkinnedDialog::CreateWithOwner(CSkinnedDialog* owner) {
  owner_ = owner;
  SetOwner(owner);
  Create();
  SetPlace(GetInitialRect());
}

void CSkinnedDialog::OnCommand(std::uint32_t, std::intptr_t) {}

void CSkinnedDialog::HandleClose() {
  closed_ = true;
  RememberPlace();
  remembered_.reset();  // the place is kept; a later destruction writes nothing
  CloseDropDown();
  capture_ = nullptr;
  ReleaseMouse();
  Hide();
  if (owner_) owner_->OnSecondaryClosed(*this);
}

void CSkinnedDialog::OnElementChanged(CSkinElement& element) {
  const std::int32_t id = element.id;
  if (id == 401 || id == 402) {
    if (!CSkinValueSlider::IsKind(element.type)) return;
    const int level = static_cast<CSkinValueSlider&>(element).ScaledValue();
    if (CPlayerEngine* engine = TheEngine()) {
      if (id == 401) engine->Send(xaudio::kCmdOutputLevel, level, 255, 255);
      else engine->Send(xaudio::kCmdOutputLevel, 255, level, 255);
    }
  } else if (id >= 450 && id <= 459) {
    PostCommand(static_cast<std::uint32_t>(id), 0);
  }
}

void CSkinnedDialog::RedrawElementsWithId(std::int32_t id) {
  if (!elements_) return;
  DrawNow([&](gui::Canvas& canvas) {
    for (const auto& e : *elements_) {
      if (e->id == id && !e->IsHidden()) e->Draw(canvas);
    }
  });
}

void CSkinnedDialog::RememberPlace() {
  if (remembered_ && Created()) settings_.SetRect(*remembered_, ToSettings(ScreenRect()));
}

// --- Mouse ---

void CSkinnedDialog::BaseMouseDown(const gui::MouseEvent& e) {
  CloseDropDown();
  CSkinElement* hit = ElementAtPoint(elements_, e.client.x, e.client.y);
  if (!hit) return;
  capture_ = hit;
  CaptureMouse();
  SkinMouseContext context{this, nullptr, 0};
  hit->OnLButtonDown(context, e.client.x, e.client.y);
}

void CSkinnedDialog::BaseMouseUp(const gui::MouseEvent& e) {
  CSkinElement* pressed = capture_;
  if (!pressed) return;
  SkinMouseContext context{this, SkinActionDispatch, 0};
  pressed->OnLButtonUp(context, e.client.x, e.client.y);
  capture_ = nullptr;
  ReleaseMouse();
}

void CSkinnedDialog::BaseMouseMove(const gui::MouseEvent& e) {
  if (!capture_) return;
  SkinMouseContext context{this, nullptr, 0};
  capture_->OnMouseMove(context, e.client.x, e.client.y);
}

void CSkinnedDialog::OnDragBegin(int x, int y) {
  pressPoint_ = gui::Point{x, y};
  if (owner_) owner_->OnDragBegin(x, y);
}

void CSkinnedDialog::OnDragMove(int x, int y) {
  if (owner_) owner_->OnChildDrag(*this, x, y);
}

// --- SkinWindow ---

void CSkinnedDialog::PostCommand(std::uint32_t id, std::int32_t lParam) {
  gui::App().Post(*this, wm::kCommand, id, lParam);
}

void CSkinnedDialog::PostClose() { gui::App().Post(*this, wm::kClose); }

void CSkinnedDialog::SendElementChanged(CSkinElement& element) {
  // Only an element of this window's own frame is taken.
  if (!elements_) return;
  for (const auto& e : *elements_) {
    if (e.get() == &element) return OnElementChanged(element);
  }
}

void CSkinnedDialog::RedrawElement(CSkinElement& element) {
  if (element.IsHidden()) return;
  DrawNow([&](gui::Canvas& canvas) { element.Draw(canvas); });
}

SkinRect CSkinnedDialog::ScreenRect() { return FromGui(WindowRect()); }

void CSkinnedDialog::PaintOffscreen() {
  DrawNow([this](gui::Canvas& canvas) {
    canvas.Buffered(ClientRect(), [this](gui::Canvas& buffer) { DrawElements(buffer); });
  });
}

const CSkinElement* CSkinnedDialog::BackgroundElement() { return FindElementOfType(elements_, fmt::kFrameBackground); }

void CSkinnedDialog::ShowDropDown(CSkinDropDown* dropDown) {
  if (dropDownOwned_) {
    // The old one's events end here; its window goes after this message.
    *dropDownAlive_ = false;
    dropDownAlive_.reset();
    DeleteLater(std::move(dropDownOwned_));
  }
  dropDown_ = dropDown;
  if (!dropDown) return;
  auto alive = std::make_shared<bool>(true);
  dropDownAlive_ = alive;
  auto window = std::make_unique<gui::CustomWindow>(*this);
  window->SetCaption("1");
  window->SetWindowRect(ToGui(dropDown->rect));
  window->OnPaint = [alive, dropDown](gui::Canvas& canvas) {
    if (*alive) dropDown->OnPaint(canvas);
  };
  window->OnMouseMove = [this, alive, dropDown](const gui::MouseEvent& e) {
    if (*alive) dropDown->OnMouseMove(*this, e.client.x, e.client.y);
  };
  window->OnMouseDown = [this, alive, dropDown](const gui::MouseEvent& e) {
    if (*alive && e.button == gui::MouseButton::kLeft) dropDown->OnLButtonDown(*this);
  };
  window->OnFocusLost = [this, alive, dropDown] {
    if (*alive) dropDown->OnKillFocus(*this);
  };
  dropDownOwned_ = std::move(window);
  dropDownOwned_->Create();
  dropDownOwned_->Show();
  dropDownOwned_->TakeFocus();
}

void CSkinnedDialog::RedrawDropDown() {
  if (!dropDownOwned_ || !dropDown_) return;
  CSkinDropDown* dropDown = dropDown_;
  dropDownOwned_->DrawNow([dropDown](gui::Canvas& canvas) { dropDown->OnPaint(canvas); });
}

void CSkinnedDialog::CloseDropDown() {
  if (dropDown_) dropDown_->OnClose(*this);
}

// --- CSizableSkinnedDialog ---

void CSizableSkinnedDialog::DrawElements(gui::Canvas& canvas) {
  if (!Elements()) return;
  for (const auto& e : *Elements()) {
    if (!e->IsHidden() && e->type != fmt::kFrameBackground) e->Draw(canvas);
  }
}

void CSizableSkinnedDialog::LayoutFrame() {
  if (Elements()) LayoutSkinFrame(*Elements(), Width(), Height());
}

CSkinElement* CSizableSkinnedDialog::CentrePiece() const {
  return FindElementOfTypeAndId(Elements(), fmt::kStretchPiece, 2006);
}

}  // namespace vantu
