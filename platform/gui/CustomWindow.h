// A window without caption or frame whose whole face the program draws: the
// skinned windows of the music player and their drop-downs.
//
// It is a Form (caption text, show and hide, modal runs, close, numbered
// messages, copied data from other processes), with these differences:
// - Bounds are the window rectangle in device pixels, never scaled to the
//   display DPI: screen coordinates for a top-level window, the parent's
//   client coordinates for a child window. The client area is the whole
//   window, (0, 0) at its top left.
// - The face is painted by OnPaint on a Canvas (off-screen first and copied
//   in one transfer while DoubleBuffered, the default); DrawNow draws on the
//   face at once, outside painting, as mouse handling does to redraw one
//   element.
// - The mouse: press, release, move, double-click and wheel in client and
//   screen coordinates; CaptureMouse sends every mouse event to this window
//   until ReleaseMouse (or until the system takes the capture away).
// - Keys, the context-menu request, and the loss of the keyboard focus.
//
// Setting properties from code runs no event; the User... calls are what
// the user did (the Win32 backend calls them from real window messages,
// headless tests through headless::Pointer).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/gui/Canvas.h"
#include "platform/gui/Form.h"

namespace gui {

// What a custom window needs of its native side.
class CustomWindowPeer : public Peer {
 public:
  virtual void Invalidate() = 0;
  virtual void DrawNow(const std::function<void(Canvas&)>& draw) = 0;
  virtual void SetCapture(bool on) = 0;
  virtual void TakeFocus() = 0;
  void Minimize() override = 0;
  bool Minimized() override = 0;
};

class CustomWindow : public Form {
 public:
  // A top-level window.
  CustomWindow();
  // A child window on the parent's face (a drop-down).
  explicit CustomWindow(CustomWindow& parent);
  ~CustomWindow() override;

  bool IsChild() const { return Parent() != nullptr; }

  // Before Create(): stays above all other windows.
  void SetTopmost(bool on) { topmost_ = on; }
  bool Topmost() const { return topmost_; }
  // Before Create(): an owned window stays above its owner, is not shown
  // in the task bar and hides while the owner is minimised.
  void SetOwner(Form* owner) { owner_ = owner; }
  Form* Owner() const { return owner_; }
  void SetDoubleBuffered(bool on) { doubleBuffered_ = on; }
  // Before Create(): items appended (behind a separator) to the system menu
  // of a top-level window without owner; choosing one runs OnSystemMenuItem.
  struct SystemMenuItem {
    int id = 0;  // 16-0xEFFF, a multiple of 16
    std::string caption;
  };
  void AddSystemMenuItem(int id, std::string caption) { systemMenu_.push_back({id, std::move(caption)}); }
  const std::vector<SystemMenuItem>& SystemMenuItems() const { return systemMenu_; }
  bool DoubleBuffered() const { return doubleBuffered_; }

  Rect WindowRect() const { return Bounds(); }
  // Moves and resizes the window; the face is painted again.
  void SetWindowRect(const Rect& rect);
  Rect ClientRect() const { return Rect{0, 0, Width(), Height()}; }
  Point ClientToScreen(Point client) const;
  Point ScreenToClient(Point screen) const;

  // Shows the window without activating it (focus stays where it is).
  void ShowNoActivate();
  // Whether the last Show() activates the window (for backends).
  bool ActivatesOnShow() const { return activateOnShow_; }

  // The whole face is painted again when the loop is next idle.
  void Invalidate();
  // Draws on the face now (a window device context on Windows).
  void DrawNow(const std::function<void(Canvas&)>& draw);

  void CaptureMouse();
  void ReleaseMouse();
  bool HasMouseCapture() const { return captured_ == this; }
  // The custom window that holds the mouse capture, or none.
  static CustomWindow* MouseCaptureWindow() { return captured_; }

  // Gives this window the keyboard focus.
  void TakeFocus();
  bool HasFocus() const { return focused_ == this; }
  static CustomWindow* FocusWindow() { return focused_; }

  std::function<void(Canvas& canvas)> OnPaint;
  // Besides the form's OnMouseDown, OnMouseUp and OnMouseMove, which here
  // report both buttons, in device pixels, and follow the capture.
  std::function<void(const MouseEvent&)> OnDoubleClick;
  std::function<void(const MouseEvent&)> OnMouseWheel;
  std::function<void(int key)> OnKeyDown;
  // Screen point of the request; (-1, -1) when it came from the keyboard.
  std::function<void(Point screen)> OnContextMenu;
  std::function<void()> OnFocusLost;
  std::function<void()> OnCaptureLost;
  std::function<void(int id)> OnSystemMenuItem;

  // What the user did (refused while the window is hidden or disabled).
  void UserDoubleClick(const MouseEvent& event);
  void UserMouseWheel(const MouseEvent& event);
  void UserKeyDown(int key);
  void UserContextMenu(Point screen);
  // The window system moved the focus or the capture.
  void UserFocusGained();
  void UserFocusLost();
  void UserCaptureLost();
  // Chose one of the items added to the system menu.
  void UserSystemMenuItem(int id);

  // For backends: paints the face with OnPaint.
  void PaintFace(Canvas& canvas);

 private:
  CustomWindowPeer* CustomPeer() const { return static_cast<CustomWindowPeer*>(peer()); }
  bool Reachable() const { return Usable() && !Destroyed(); }

  bool topmost_ = false;
  Form* owner_ = nullptr;
  bool doubleBuffered_ = true;
  bool activateOnShow_ = true;
  std::vector<SystemMenuItem> systemMenu_;
  static CustomWindow* captured_;
  static CustomWindow* focused_;
};

// The running application's screen and work area (see Backend).
Rect ScreenRect();
Rect DesktopWorkArea();

}  // namespace gui
