// The skin's movable controls: the position slider (play position), the
// value sliders (levels and equalizer bands, stored in the settings block)
// and the playlist window's vertical scroll bar, with the style records the
// sliders take their pictures from.
#pragma once

#include <cstdint>
#include <vector>

#include "music-player/skin/SkinElement.h"

namespace vantu {

// Type 50: pictures, orientation and fill colours of position sliders.
class CSkinSliderStyle : public CSkinElement {
 public:
  static bool IsKind(std::uint32_t t) { return t == skin_format::kSliderStyle; }
  int Load(SkinStream& stream) override;
  void DrawTrack(gui::Canvas& canvas, const SkinRect& rect) const;

  std::uint32_t key = 0;
  bool horizontal = false;
  std::uint32_t color1 = 0, color2 = 0, color3 = 0;  // start, end, middle
  bool threeColor = false;                           // color3 differs from color1
  SkinImage thumb, pressedThumb, track;
  int thumbWidth = 0, thumbHeight = 0;
};

// Type 51: pictures and orientation of value sliders (knobs).
class CSkinKnobStyle : public CSkinElement {
 public:
  static bool IsKind(std::uint32_t t) { return t == skin_format::kKnobStyle; }
  int Load(SkinStream& stream) override;
  // An index without a picture draws nothing.
  void DrawFrame(gui::Canvas& canvas, const SkinRect& rect, int index) const;

  std::uint32_t key = 0;
  int frameCount = 0;  // as the record gives it (a signed byte)
  bool horizontal = false;
  SkinImage thumb, pressedThumb;
  std::vector<SkinImage> frames;
  int thumbWidth = 0, thumbHeight = 0;
};

// What position and value sliders share.
class CSkinSliderBase : public CSkinButtonBase {
 public:
  // False when the load found no style (or no usable geometry): such a
  // slider is neither drawn nor moved.
  bool usable() const { return usable_; }
  int travel() const { return travel_; }
  int position() const { return position_; }
  bool horizontal() const { return horizontal_; }
  const SkinRect& trackRect() const { return track_; }

 protected:
  void SetGeometry(bool horizontal, int thumbWidth, int thumbHeight);
  // Thumb rectangle at the current position; it becomes the current
  // rectangle so hit tests find the thumb.
  SkinRect PlaceThumb(const SkinImage& thumb);
  int PositionFromMouse(int x, int y) const;

  bool usable_ = false;
  bool horizontal_ = false;
  SkinRect track_;
  int trackLength_ = 0, thumbLength_ = 0, travel_ = 0;
  int position_ = 0;
  int grabX_ = 0, grabY_ = 0;
  const SkinImage* thumbImage_ = nullptr;
};

// Type 5: shows and seeks the play position.
class CSkinPositionSlider : public CSkinSliderBase {
 public:
  static bool IsKind(std::uint32_t t) { return t == skin_format::kPositionSlider; }
  int Load(SkinStream& stream) override;
  void Draw(gui::Canvas& canvas) override;
  void OnMouseMove(SkinMouseContext& context, int x, int y) override;
  void OnLButtonUp(SkinMouseContext& context, int x, int y) override;
  void OnLButtonDown(SkinMouseContext& context, int x, int y) override;
  void FireAction(SkinMouseContext& context) override;

  // Mode 0 shows the track only, 2 is interactive, any other shows thumb and
  // fill without reacting to the mouse.
  void SetMode(SkinWindow& window, int mode);
  // Ignored while the thumb is held.
  void SetThumbPosition(SkinWindow& window, int position);
  // The fill colour at the current position.
  std::uint32_t PositionColor() const;

  int mode() const { return mode_; }
  bool dragging() const { return dragging_; }
  const CSkinSliderStyle* style() const { return style_; }
  SkinRect fillArea;

 private:
  const CSkinSliderStyle* style_ = nullptr;
  std::uint32_t styleKey_ = 0;
  bool fillOn_ = false;
  int mode_ = 0;
  bool dragging_ = false;
};

// The fill colour of a position slider style at position p of travel T:
// from colour 1 to colour 2, or through colour 3 at the middle. Channels stay
// within 0-255; a travel of 0 gives the start colour.
std::uint32_t SliderFillColor(const CSkinSliderStyle& style, int p, int travel);

// Type 6: a level or an equalizer band, stored in the settings block as the
// knob's offset in pixels from the middle of its travel.
class CSkinValueSlider : public CSkinSliderBase {
 public:
  static bool IsKind(std::uint32_t t) { return t == skin_format::kValueSlider; }
  int Load(SkinStream& stream) override;
  void Draw(gui::Canvas& canvas) override;
  void OnMouseMove(SkinMouseContext& context, int x, int y) override;
  void OnLButtonDown(SkinMouseContext& context, int x, int y) override;

  // Places the knob at stored value + travel / 2 and writes back what the
  // track allows, then redraws.
  void SetKnobValue(SkinWindow& window, int storedValue);
  // (maximum - minimum) * position / travel.
  int ScaledValue();
  int frameIndex() const { return frameIndex_; }
  int storedValue() const { return stored_ ? *stored_ : 0; }
  const CSkinKnobStyle* style() const { return style_; }

 private:
  void PlaceKnob(int p);

  const CSkinKnobStyle* style_ = nullptr;
  std::int32_t* stored_ = nullptr;  // the word in the settings block
  int minimum_ = 0, maximum_ = 100;
  int frameIndex_ = 0;
  int scaled_ = 0;
};

// Type 22: the playlist window's vertical scroll bar.
class CSkinScrollBar : public CSkinElement {
 public:
  static bool IsKind(std::uint32_t t) { return t == skin_format::kScrollBar; }
  int Load(SkinStream& stream) override;
  void Draw(gui::Canvas& canvas) override;
  void OnMouseMove(SkinMouseContext& context, int x, int y) override;
  void OnLButtonUp(SkinMouseContext& context, int x, int y) override;
  void OnLButtonDown(SkinMouseContext& context, int x, int y) override;

  void SetScrollRange(int total, int visible, int top);

  // The layout as the last draw (or Layout) computed it.
  struct Layout {
    int trackLength = 0;
    float scale = 1;
    int trackTop = 0;
    SkinRect up, down, topCap, middle, bottomCap, thumb;
  };
  Layout ComputeLayout() const;

  SkinImage images[skin_format::kScrollBarImages];
  int total() const { return total_; }
  int visible() const { return visible_; }
  int top() const { return top_; }

 private:
  int total_ = 0, visible_ = 0, top_ = 0;
  Layout layout_;
  bool dragging_ = false;
  int grabX_ = 0, grabY_ = 0;
  int lastTop_ = 0;
};

}  // namespace vantu
