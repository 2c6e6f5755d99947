// A top-level window: caption, client size, border icons, show and hide,
// minimise, modal runs with a modal result, close with its close action,
// numbered messages, the mouse over the form's own surface, and the
// create/show/hide/close/destroy events.
//
// A form class declares its controls as members (parents first), sets them
// up in its constructor, calls Create() and destroys itself with Destroy()
// in its destructor, so that OnDestroy still finds its controls.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/Canvas.h"
#include "platform/gui/Control.h"

namespace gui {

class Bitmap;
class MainMenu;

enum class MouseButton { kLeft, kRight };

// Key and button flags of a mouse event (the Windows MK_ values).
namespace mouse_keys {
inline constexpr int kLeftButton = 0x01;
inline constexpr int kRightButton = 0x02;
inline constexpr int kShift = 0x04;
inline constexpr int kControl = 0x08;
}  // namespace mouse_keys

struct MouseEvent {
  Point client;  // in the window's client area (may lie outside it while captured)
  Point screen;
  MouseButton button = MouseButton::kLeft;  // press, release, double-click
  int keys = 0;                             // mouse_keys flags held during the event
  int wheelDelta = 0;                       // wheel: positive away from the user, 120 a notch
};

class Form : public Control {
 public:
  enum class CloseAction { kNone, kHide, kFree, kMinimize };
  enum class Position { kDesigned, kScreenCenter };

  Form();
  ~Form() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  // Client area size; Width()/Height() are the client size too.
  void SetClientSize(int width, int height) { SetBounds(Left(), Top(), width, height); }
  bool BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(bool on) { borderIcons_ = on; }
  bool Sizeable() const { return sizeable_; }
  void SetSizeable(bool on) { sizeable_ = on; }
  Position position() const { return position_; }
  void SetPosition(Position position) { position_ = position; }
  // Font of the form and its controls (face name, points); empty face = the
  // system's message font.
  const std::string& FontName() const { return fontName_; }
  int FontSize() const { return fontSize_; }
  void SetFont(std::string name, int points) {
    fontName_ = std::move(name);
    fontSize_ = points;
  }

  // The look of the form's own surface, under its controls: a colour
  // (kDefaultColor, the system's face colour, until set) and a picture
  // drawn over it unscaled from the top-left corner of the client area
  // (none: the colour alone). Labels and check boxes take the colour as
  // their background unless they are transparent. May be set before or
  // after Create(); the surface is painted again.
  static constexpr Color kDefaultColor = Rgb(240, 240, 240);
  Color BackgroundColor() const { return color_; }
  void SetColor(Color color);
  const std::shared_ptr<const Bitmap>& Background() const { return background_; }
  void SetBackground(std::shared_ptr<const Bitmap> picture);
  // Whether the colour or the picture was set (the window system's face
  // otherwise).
  bool Designed() const { return designed_; }

  // A form without the standard frame: no caption bar and no border, moved
  // by dragging its background (any point where no control is; labels
  // without a hint let the mouse through, as on Windows), still listed in
  // the task bar. The program draws its own close and minimise pictures
  // and calls Close() and Minimize(). Set before Create(). A frameless
  // form's background takes no mouse presses (they move the window): its
  // OnMouseDown and OnMouseUp do not run.
  bool Frameless() const { return frameless_; }
  void SetFrameless(bool on) { frameless_ = on; }
  // What the user did: moved the window to a new place (Left and Top
  // follow; the Win32 backend reports a frameless form's moves).
  void UserMove(int left, int top);
  std::function<void()> OnMove;

  // The control a mouse at a client point would reach: the innermost
  // shown child under it (the last made where children overlap), none on
  // the form's own surface. Labels without a hint let the mouse through.
  Control* ControlAt(Point client);

  // The smallest client size the user can make a sizeable form (0: no
  // limit).
  int MinClientWidth() const { return minWidth_; }
  int MinClientHeight() const { return minHeight_; }
  void SetMinClientSize(int width, int height) {
    minWidth_ = width;
    minHeight_ = height;
  }
  // What the user did: gave the window a new client size (held to the
  // minimum); runs OnResize, where the form lays out its controls.
  void UserResize(int width, int height);
  std::function<void()> OnResize;

  // Creates the native side (if not done), then runs OnCreate once.
  void Create();
  // Runs OnDestroy once, then removes the native side. Idempotent.
  void Destroy();
  bool Destroyed() const { return destroyed_; }

  void Show();
  void Hide();
  void SetVisible(bool visible) override;
  // Brings the form to the front, restoring it when it is minimised.
  void BringToFront();
  // Minimises a shown form to the task bar (nothing while it is hidden).
  // Minimising the application's main form runs App().OnMinimize.
  void Minimize();
  bool Minimized() const;

  // Shows the form modally and runs a loop until the modal result is set or
  // the form closes; gives the modal result (kCancel when closed).
  ModalResult ShowModal();
  bool InModal() const { return inModal_; }
  ModalResult GetModalResult() const { return modalResult_; }
  void SetModalResult(ModalResult result) { modalResult_ = result; }

  // Asks OnCloseQuery, runs OnClose and carries out its action. Closing the
  // application's main form ends the application.
  void Close();

  // The menu bar (the form does not own it); set before or after Create().
  MainMenu* Menu() const { return menu_; }
  void SetMenu(MainMenu* menu) {
    menu_ = menu;
    Notify(Change::kMenu);
  }

  Control* ActiveControl() const { return activeControl_; }
  void SetActiveControl(Control* control);

  // Numbered messages (1125, WM_USER + 105 ...): one handler per number.
  using MessageHandler = std::function<std::intptr_t(std::uintptr_t wParam, std::intptr_t lParam)>;
  void SetMessageHandler(std::uint32_t message, MessageHandler handler);
  bool HasMessageHandler(std::uint32_t message) const { return handlers_.count(message) != 0; }
  // For backends: runs the handler of a message (0 when there is none).
  std::intptr_t Dispatch(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

  // What the user did: the close box; refused while a nested loop keeps
  // input from the window.
  bool UserClose();

  // The mouse over the form's own surface, not over its controls: the left
  // button pressed and released, and moves. Client points in logical
  // pixels, screen points too.
  std::function<void(const MouseEvent&)> OnMouseDown;
  std::function<void(const MouseEvent&)> OnMouseUp;
  std::function<void(const MouseEvent&)> OnMouseMove;
  // What the user did (refused while the form is hidden or disabled).
  void UserMouseDown(const MouseEvent& event);
  void UserMouseUp(const MouseEvent& event);
  void UserMouseMove(const MouseEvent& event);

  // Data another process sent to the form's window (WM_COPYDATA): the
  // sender's number and a copy of its bytes; the handler's answer goes back
  // to the sender. Data larger than kMaxCopyData is refused with 0.
  using CopyDataHandler = std::function<std::intptr_t(std::uintptr_t id, const std::vector<std::uint8_t>& bytes)>;
  CopyDataHandler OnCopyData;
  static constexpr std::size_t kMaxCopyData = 1u << 20;
  // For backends, and for tests in place of the other process.
  std::intptr_t UserCopyData(std::uintptr_t id, std::vector<std::uint8_t> bytes);

  // Alive while the form exists; worker-side references hold a weak one.
  std::weak_ptr<Form*> LifeToken() const { return life_; }

  std::function<void()> OnCreate;
  std::function<void()> OnShow;
  std::function<void()> OnHide;
  std::function<void(bool& canClose)> OnCloseQuery;
  std::function<void(CloseAction& action)> OnClose;
  std::function<void()> OnDestroy;

 protected:
  // For window kinds built on the form (custom-drawn windows).
  Form(Control* parent, Kind kind);

 private:
  std::string caption_;
  bool borderIcons_ = true;
  bool sizeable_ = false;
  Position position_ = Position::kDesigned;
  Color color_ = kDefaultColor;
  std::shared_ptr<const Bitmap> background_;
  bool designed_ = false;
  bool frameless_ = false;
  std::string fontName_;
  int fontSize_ = 9;
  int minWidth_ = 0;
  int minHeight_ = 0;
  bool createdEventDone_ = false;
  bool destroyed_ = false;
  bool inModal_ = false;
  ModalResult modalResult_ = ModalResult::kNone;
  Control* activeControl_ = nullptr;
  MainMenu* menu_ = nullptr;
  std::map<std::uint32_t, MessageHandler> handlers_;
  std::shared_ptr<Form*> life_;
};

}  // namespace gui
