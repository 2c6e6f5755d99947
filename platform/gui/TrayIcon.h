// An icon in the notification area with a hint, a popup menu (right click),
// a click event (left click), and an animation that shows a list of frames
// one after the other every Interval milliseconds while Animated is on.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/Backend.h"
#include "platform/gui/Timer.h"
#include "platform/gui/Types.h"

namespace gui {

class Form;
class PopupMenu;

class TrayIcon {
 public:
  explicit TrayIcon(Form* owner);
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  const std::string& Hint() const { return hint_; }
  void SetHint(std::string hint);
  const Icon& GetIcon() const { return icon_; }
  void SetIcon(Icon icon);
  const std::vector<Icon>& Frames() const { return frames_; }
  void SetFrames(std::vector<Icon> frames) { frames_ = std::move(frames); }
  int Interval() const { return interval_; }
  void SetInterval(int ms) { interval_ = ms; }
  bool Animated() const { return animated_; }
  void SetAnimated(bool on);
  PopupMenu* Menu() const { return menu_; }
  void SetMenu(PopupMenu* menu) { menu_ = menu; }

  // Puts the icon into the notification area (or takes it out).
  bool Visible() const { return visible_; }
  void SetVisible(bool on);
  // The picture shown now: the current frame while animated, else the icon.
  const Icon& ShownIcon() const;
  int FrameIndex() const { return frame_; }

  // For backends: the animation moves one frame on.
  void NextFrame();

  // What the user did; refused (false) while a nested loop runs: a
  // question, a modal form or a long command.
  bool UserClick();
  bool UserRightClick(Point at);

  std::function<void()> OnClick;

  Peer* peer() const { return peer_.get(); }

 private:
  void Notify(Change what) {
    if (peer_) peer_->Changed(what, -1);
  }
  Form* owner_;
  std::string hint_;
  Icon icon_;
  std::vector<Icon> frames_;
  int interval_ = 300;
  bool animated_ = false;
  bool visible_ = false;
  int frame_ = 0;
  PopupMenu* menu_ = nullptr;
  Timer animation_;
  std::unique_ptr<Peer> peer_;
};

}  // namespace gui
