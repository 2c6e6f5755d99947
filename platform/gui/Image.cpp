#include "platform/gui/Image.h"

#include "platform/gui/Application.h"

namespace gui {

Image::Image(Control* parent) : Control(parent, Kind::kImage), animation_(nullptr) {
  animation_.SetInterval(100);
  animation_.OnTimer = [this] { NextFrame(); };
}

void Image::SetFrames(std::vector<Icon> frames) {
  frames_ = std::move(frames);
  frame_ = 0;
  animation_.SetEnabled(animated_ && !frames_.empty());
  Notify(Change::kPicture);
}

void Image::SetAnimated(bool on) {
  animated_ = on;
  frame_ = 0;
  animation_.SetEnabled(on && !frames_.empty());
  Notify(Change::kPicture);
}

const Icon& Image::ShownPicture() const {
  if (animated_ && !frames_.empty()) return frames_[static_cast<std::size_t>(frame_) % frames_.size()];
  return picture_;
}

void Image::NextFrame() {
  if (!animated_ || frames_.empty()) return;
  frame_ = (frame_ + 1) % static_cast<int>(frames_.size());
  Notify(Change::kPicture);
}

bool Image::UserClick() {
  if (!Usable()) return false;
  Fire(OnClick);
  return true;
}

bool Image::UserMouseMove(Point at) {
  if (!Usable()) return false;
  Fire(OnMouseMove, at);
  return true;
}

bool Image::UserMouseDown(Point at) {
  if (!Usable()) return false;
  Fire(OnMouseDown, at);
  return true;
}

bool Image::UserMouseUp(Point at) {
  if (!Usable()) return false;
  Fire(OnMouseUp, at);
  return true;
}

}  // namespace gui
