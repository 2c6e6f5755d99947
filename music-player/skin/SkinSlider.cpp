#include "music-player/skin/SkinSlider.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "music-player/PlayerSettings.h"
#include "music-player/skin/Skin.h"
#include "music-player/skin/SkinDraw.h"

namespace vantu {

namespace fmt = skin_format;

namespace {

bool IsHorizontal(std::uint32_t orientation) { return (orientation & 0xFF) == 'H'; }

int ClampChannel(float value) {
  // Truncated toward zero, then kept within 0-255.
  const float t = std::trunc(value);
  if (!(t > 0)) return 0;  // also NaN
  if (t > 255) return 255;
  return static_cast<int>(t);
}

// The settings word a value slider stores its value in, by id.
std::int32_t* ValueSliderWord(PlayerSettings& settings, std::int32_t id) {
  switch (id) {
    case 401: return &settings[SettingsWord::kLevel401];
    case 402: return &settings[SettingsWord::kLevel402];
    case 420: return &settings[SettingsWord::kSlider420];
    default: break;
  }
  if (id >= 450 && id <= 459) {
    return settings.WordAt(PlayerSettings::kEqualizerOffset + 4 * static_cast<std::size_t>(id - 450));
  }
  return nullptr;
}

}  // namespace

// --- Styles ---

int CSkinSliderStyle::Load(SkinStream& stream) {
  key = stream.ReadU32();
  horizontal = IsHorizontal(stream.ReadU32());
  color1 = stream.ReadColor();
  color2 = stream.ReadColor();
  color3 = stream.ReadColor();
  thumb = stream.ReadImage();
  pressedThumb = stream.ReadImage();
  track = stream.ReadImage();
  threeColor = color3 != color1;
  thumbWidth = thumb.width;
  thumbHeight = thumb.height;
  return 1;
}

void CSkinSliderStyle::DrawTrack(gui::Canvas& canvas, const SkinRect& rect) const {
  CopyImage(canvas, rect, track);
}

int CSkinKnobStyle::Load(SkinStream& stream) {
  key = stream.ReadU32();
  frameCount = static_cast<std::int8_t>(stream.ReadU32() & 0xFF);
  horizontal = IsHorizontal(stream.ReadU32());
  thumb = stream.ReadImage();
  pressedThumb = stream.ReadImage();
  for (int i = 0; i < frameCount && !stream.overrun(); ++i) frames.push_back(stream.ReadImage());
  thumbWidth = thumb.width;
  thumbHeight = thumb.height;
  return 1;
}

void CSkinKnobStyle::DrawFrame(gui::Canvas& canvas, const SkinRect& rect, int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= frames.size()) return;
  CopyImage(canvas, rect, frames[static_cast<std::size_t>(index)]);
}

// --- Slider base ---

void CSkinSliderBase::SetGeometry(bool horizontal, int thumbWidth, int thumbHeight) {
  horizontal_ = horizontal;
  trackLength_ = horizontal ? track_.Width() : track_.Height();
  thumbLength_ = horizontal ? thumbWidth : thumbHeight;
  travel_ = trackLength_ - thumbLength_;
  // A thumb as long as the track (or longer) leaves nothing to move along:
  // such a slider is shown but never moved or divided by.
  if (travel_ < 0) travel_ = 0;
}

SkinRect CSkinSliderBase::PlaceThumb(const SkinImage& thumb) {
  SkinRect r;
  r.left = track_.left + (horizontal_ ? position_ : 0);
  r.top = track_.top + (horizontal_ ? 0 : position_);
  r.right = r.left + thumb.width;
  r.bottom = r.top + thumb.height;
  rect = r;
  return r;
}

int CSkinSliderBase::PositionFromMouse(int x, int y) const {
  const int p = horizontal_ ? x - grabX_ - track_.left : y - grabY_ - track_.top;
  return std::clamp(p, 0, travel_);
}

// --- Position slider ---

std::uint32_t SliderFillColor(const CSkinSliderStyle& style, int p, int travel) {
  if (travel <= 0) return style.color1;
  const std::uint32_t c1 = style.color1, c2 = style.color2, c3 = style.color3;
  int channels[3];
  for (int k = 0; k < 3; ++k) {
    const int shift = 8 * k;
    const int a = static_cast<int>((c1 >> shift) & 0xFF);
    const int b = static_cast<int>((c2 >> shift) & 0xFF);
    const int m = static_cast<int>((c3 >> shift) & 0xFF);
    float value;
    if (!style.threeColor) {
      const float step = static_cast<float>(std::abs(b - a)) / static_cast<float>(travel);
      value = static_cast<float>(a) + static_cast<float>(p) * step;
    } else {
      const int half = travel / 2;
      if (p <= half) {
        const float step = half > 0 ? static_cast<float>(std::abs(a - m)) / static_cast<float>(half) : 0.0f;
        value = static_cast<float>(m) + static_cast<float>(p - half) * step;
      } else {
        // Beyond the middle: from the middle colour to the end colour.
        const int rest = travel - half;
        const float step = static_cast<float>(b - m) / static_cast<float>(rest);
        value = static_cast<float>(m) + static_cast<float>(p - half) * step;
      }
    }
    channels[k] = ClampChannel(value);
  }
  return fmt::ColorValue(static_cast<std::uint32_t>(channels[0]), static_cast<std::uint32_t>(channels[1]),
                         static_cast<std::uint32_t>(channels[2]));
}

int CSkinPositionSlider::Load(SkinStream& stream) {
  styleKey_ = stream.ReadU32();
  rect = skinRect = track_ = stream.ReadRect();
  fillArea = stream.ReadRect();
  fillOn_ = fillArea.left != fillArea.right;
  style_ = stream.owner() ? stream.owner()->FindStyle<CSkinSliderStyle>(styleKey_) : nullptr;
  if (!style_) return 0;
  SetGeometry(style_->horizontal, style_->thumbWidth, style_->thumbHeight);
  thumbImage_ = &style_->thumb;
  usable_ = true;
  return 1;
}

std::uint32_t CSkinPositionSlider::PositionColor() const {
  return style_ ? SliderFillColor(*style_, position_, travel_) : 0;
}

void CSkinPositionSlider::Draw(gui::Canvas& canvas) {
  if (!usable_) return;
  style_->DrawTrack(canvas, track_);
  if (state == 0) thumbImage_ = &style_->thumb;
  else if (state == 1) thumbImage_ = &style_->pressedThumb;
  if (mode_ == 0) return;
  const SkinRect thumb = PlaceThumb(*thumbImage_);
  if (fillOn_) FillSolid(canvas, fillArea, PositionColor());
  CopyImage(canvas, thumb, *thumbImage_);
}

void CSkinPositionSlider::SetMode(SkinWindow& window, int mode) {
  mode_ = mode;
  if (!dragging_) window.RedrawElement(*this);
}

void CSkinPositionSlider::SetThumbPosition(SkinWindow& window, int position) {
  if (dragging_) return;
  position_ = std::clamp(position, 0, travel_);
  window.RedrawElement(*this);
}

void CSkinPositionSlider::OnLButtonDown(SkinMouseContext& context, int x, int y) {
  dragging_ = true;
  if (mode_ != 2 || !usable_) return;
  grabX_ = x - rect.left;
  grabY_ = y - rect.top;
  CSkinButtonBase::OnLButtonDown(context, x, y);
}

void CSkinPositionSlider::OnMouseMove(SkinMouseContext& context, int x, int y) {
  if (mode_ != 2 || !usable_) return;
  position_ = PositionFromMouse(x, y);
  Redraw(context);
}

void CSkinPositionSlider::OnLButtonUp(SkinMouseContext& context, int x, int y) {
  dragging_ = false;
  if (mode_ != 2 || !usable_) return;
  CSkinButtonBase::OnLButtonUp(context, x, y);
  if (context.window) {
    const std::int32_t lParam = static_cast<std::int32_t>(
        (static_cast<std::uint32_t>(travel_ & 0xFFFF) << 16) | static_cast<std::uint32_t>(position_ & 0xFFFF));
    context.window->PostCommand(static_cast<std::uint32_t>(id), lParam);
  }
}

void CSkinPositionSlider::FireAction(SkinMouseContext& context) {
  if (mode_ == 2) CSkinButtonBase::FireAction(context);
}

// --- Value slider ---

int CSkinValueSlider::Load(SkinStream& stream) {
  const std::uint32_t key = stream.ReadU32();
  rect = skinRect = track_ = stream.ReadRect();
  CSkin* skin = stream.owner();
  if (!skin) return 0;
  stored_ = ValueSliderWord(skin->settings(), id);
  style_ = skin->FindStyle<CSkinKnobStyle>(key);
  if (!stored_ || !style_) return 0;
  SetGeometry(style_->horizontal, style_->thumbWidth, style_->thumbHeight);
  thumbImage_ = &style_->thumb;
  usable_ = true;
  PlaceKnob(*stored_ + travel_ / 2);
  return 1;
}

void CSkinValueSlider::PlaceKnob(int p) {
  position_ = std::clamp(p, 0, travel_);
  const int n = style_ ? style_->frameCount : 0;
  int index = n;
  if (travel_ > 0) {
    index = n - static_cast<int>(std::trunc(static_cast<float>(n) / static_cast<float>(travel_) *
                                            static_cast<float>(position_)));
  }
  if (index >= n) index = n - 1;
  if (index < 0) index = 0;
  frameIndex_ = index;
}

int CSkinValueSlider::ScaledValue() {
  scaled_ = travel_ > 0 ? (maximum_ - minimum_) * position_ / travel_ : 0;
  return scaled_;
}

void CSkinValueSlider::SetKnobValue(SkinWindow& window, int storedValue) {
  if (!usable_) return;
  PlaceKnob(storedValue + travel_ / 2);
  *stored_ = position_ - travel_ / 2;
  ScaledValue();
  window.RedrawElement(*this);
}

void CSkinValueSlider::Draw(gui::Canvas& canvas) {
  if (!usable_) return;
  style_->DrawFrame(canvas, track_, frameIndex_);
  if (state == 0) thumbImage_ = &style_->thumb;
  else if (state == 1) thumbImage_ = &style_->pressedThumb;
  const SkinRect thumb = PlaceThumb(*thumbImage_);
  CopyImage(canvas, thumb, *thumbImage_);
}

void CSkinValueSlider::OnLButtonDown(SkinMouseContext& context, int x, int y) {
  if (!usable_) return;
  grabX_ = x - rect.left;
  grabY_ = y - rect.top;
  CSkinButtonBase::OnLButtonDown(context, x, y);
}

void CSkinValueSlider::OnMouseMove(SkinMouseContext& context, int x, int y) {
  if (!usable_) return;
  PlaceKnob(PositionFromMouse(x, y));
  *stored_ = position_ - travel_ / 2;
  ScaledValue();
  if (context.window) context.window->SendElementChanged(*this);
  Redraw(context);
}

// --- Scroll bar ---

int CSkinScrollBar::Load(SkinStream& stream) {
  rect = skinRect = stream.ReadRect();
  for (auto& image : images) image = stream.ReadImage();
  return 1;
}

void CSkinScrollBar::SetScrollRange(int total, int visible, int top) {
  total_ = total;
  visible_ = visible;
  top_ = top;
}

CSkinScrollBar::Layout CSkinScrollBar::ComputeLayout() const {
  Layout l;
  const auto h = [this](int i) { return images[i].height; };
  const auto w = [this](int i) { return images[i].width; };
  l.trackLength = rect.Height() - h(1) - h(5) - h(6) - h(3);
  l.scale = total_ > 0 ? static_cast<float>(l.trackLength) / static_cast<float>(total_) : 1.0f;
  l.up = {rect.left, rect.top, rect.left + w(1), rect.top + h(1)};
  l.down = {rect.left, rect.bottom - h(3), rect.left + w(3), rect.bottom};
  l.trackTop = l.up.bottom;
  const int thumbTop = l.trackTop + static_cast<int>(std::trunc(static_cast<float>(top_) * l.scale + 0.5f));
  l.topCap = {rect.left, thumbTop, rect.right, thumbTop + h(5)};
  int middle = static_cast<int>(std::trunc(static_cast<float>(visible_) * l.scale));
  middle = std::min(middle, l.down.top - h(7) - l.topCap.bottom);
  if (middle < 0) middle = 0;
  l.middle = {rect.left, l.topCap.bottom, rect.right, l.topCap.bottom + middle};
  l.bottomCap = {rect.left, l.middle.bottom, rect.right, l.middle.bottom + h(7)};
  l.thumb = {rect.left, thumbTop, rect.right, l.bottomCap.bottom};
  return l;
}

void CSkinScrollBar::Draw(gui::Canvas& canvas) {
  layout_ = ComputeLayout();
  DrawImage(canvas, rect, images[0]);
  DrawImage(canvas, layout_.up, images[1]);
  DrawImage(canvas, layout_.down, images[3]);
  DrawImage(canvas, layout_.topCap, images[5]);
  DrawImage(canvas, layout_.middle, images[9]);
  DrawImage(canvas, layout_.bottomCap, images[7]);
}

void CSkinScrollBar::OnLButtonDown(SkinMouseContext& context, int x, int y) {
  if (!context.window) return;
  if (layout_.up.Contains(x, y)) {
    context.window->PostCommand(static_cast<std::uint32_t>(id), 1);
  } else if (layout_.down.Contains(x, y)) {
    context.window->PostCommand(static_cast<std::uint32_t>(id), 2);
  } else if (layout_.thumb.Contains(x, y)) {
    dragging_ = true;
    grabX_ = x;
    grabY_ = y - layout_.thumb.top;
  }
}

void CSkinScrollBar::OnMouseMove(SkinMouseContext& context, int, int y) {
  if (!dragging_ || !context.window) return;
  const float scale = layout_.scale;
  // A track with no room (scale 0 or less) has no row to point at.
  if (!(scale > 0)) return;
  int d = std::max(y - grabY_ - layout_.trackTop, 0);
  const int m = static_cast<int>(std::trunc(static_cast<float>(total_ - visible_) * scale + 0.5f));
  if (d > m) d = m + 1;
  const int newTop = static_cast<int>(std::trunc(static_cast<float>(d) / scale + 0.95f));
  if (newTop != lastTop_) {
    lastTop_ = newTop;
    const std::int32_t lParam = static_cast<std::int32_t>(
        (static_cast<std::uint32_t>(newTop & 0xFFFF) << 16) | 3u);
    context.window->PostCommand(static_cast<std::uint32_t>(id), lParam);
  }
}

void CSkinScrollBar::OnLButtonUp(SkinMouseContext&, int, int) { dragging_ = false; }

}  // namespace vantu
