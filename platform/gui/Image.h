// A picture on a form: an icon, or a bitmap (a picture from a JPEG or BMP
// file, drawn unscaled from the top-left corner). Hidden images serve as holders of pictures that code
// copies elsewhere (the tray icon's logged-in picture, say). An image may
// animate: while Animated is on it shows its frames one after the other,
// every Interval milliseconds. A picture can be clicked, and reports the
// mouse moving over it and the left button going down and up on it.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/gui/Control.h"
#include "platform/gui/Picture.h"
#include "platform/gui/Timer.h"

namespace gui {

class Image : public Control {
 public:
  explicit Image(Control* parent);

  const Icon& Picture() const { return picture_; }
  void SetPicture(Icon picture) {
    picture_ = std::move(picture);
    Notify(Change::kPicture);
  }

  // The bitmap shown instead of the icon (none: the icon). Shared, so a
  // hover or pressed state swaps pictures without copying them.
  const std::shared_ptr<const Bitmap>& ShownBitmap() const { return bitmap_; }
  void SetBitmap(std::shared_ptr<const Bitmap> bitmap) {
    if (bitmap == bitmap_) return;
    bitmap_ = std::move(bitmap);
    Notify(Change::kPicture);
  }

  const std::vector<Icon>& Frames() const { return frames_; }
  void SetFrames(std::vector<Icon> frames);
  int Interval() const { return animation_.Interval(); }
  void SetInterval(int ms) { animation_.SetInterval(ms); }
  bool Animated() const { return animated_; }
  // Switching on starts at the first frame; switching off shows the
  // picture again.
  void SetAnimated(bool on);
  int FrameIndex() const { return frame_; }
  // The picture shown now: the current frame while animated, else Picture.
  const Icon& ShownPicture() const;

  // What the user did; refused while the image cannot be reached.
  bool UserClick();
  bool UserMouseMove(Point at);
  bool UserMouseDown(Point at);
  bool UserMouseUp(Point at);

  std::function<void()> OnClick;
  std::function<void(Point at)> OnMouseMove;
  std::function<void(Point at)> OnMouseDown;
  std::function<void(Point at)> OnMouseUp;

 private:
  void NextFrame();
  Icon picture_;
  std::shared_ptr<const Bitmap> bitmap_;
  std::vector<Icon> frames_;
  bool animated_ = false;
  int frame_ = 0;
  Timer animation_;
};

}  // namespace gui
