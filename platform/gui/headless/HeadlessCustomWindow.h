// Custom-drawn windows without a window system: each window's face is a
// PixelCanvas that a test reads (painted first when the window was
// invalidated, as the window system paints when its queue is empty), and
// `Pointer` is the user's mouse on a virtual screen: it finds the window
// under a screen point (child windows before their parent, topmost windows
// first, then the most recently shown or raised), sends events to the
// window holding the capture instead while one does, and moves the focus
// to another top-level window when it is pressed, as activation does.
#pragma once

#include <memory>

#include "platform/gui/CustomWindow.h"
#include "platform/gui/PixelCanvas.h"

namespace gui::headless {

std::unique_ptr<Peer> CreateCustomWindowPeer(CustomWindow& window);

// The face as the screen shows it now. The window must be created.
const PixelCanvas& Face(CustomWindow& window);
// How many times OnPaint has run for the window.
int PaintCount(const CustomWindow& window);

// The shown custom window under a screen point, or none.
CustomWindow* WindowAt(Point screen);

class Pointer {
 public:
  void Press(Point screen, MouseButton button = MouseButton::kLeft, int keys = 0);
  void Release(Point screen, MouseButton button = MouseButton::kLeft, int keys = 0);
  void MoveTo(Point screen, int keys = 0);
  // Press and release at one point.
  void Click(Point screen, int keys = 0);
  // As the window system delivers it: press, release, double-click, release.
  void DoubleClick(Point screen);
  void Wheel(Point screen, int delta);
  // Press at `from`, moves in `steps` even steps, release at `to`.
  void Drag(Point from, Point to, int steps = 4);
  // A right-button release asks the window under the point for its menu.
  void RightClick(Point screen);

  Point Position() const { return position_; }

 private:
  CustomWindow* Target(Point screen) const;
  MouseEvent Event(CustomWindow& window, Point screen, MouseButton button, int keys) const;

  Point position_;
  int buttons_ = 0;
};

}  // namespace gui::headless
