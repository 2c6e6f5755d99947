// Helpers of the skin tests: a window that records what its elements ask of
// it and draws on a pixel canvas, pictures with a colour per pixel, and
// skins made with the skin builder's writer.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "music-player/PlayerSettings.h"
#include "music-player/skin/Skin.h"
#include "platform/gui/PixelCanvas.h"
#include "tools/skin-builder/SkinWriter.h"

namespace vantu::testing {

using skinbuilder::Bytes;
using skinbuilder::Rgb;

// A picture whose pixels all differ: red = x * 9 + seed, green = y * 13,
// blue = seed.
inline Bytes Picture(int width, int height, int seed, int bits = 24) {
  return skinbuilder::MakeBmp(
      width, height, [seed](int x, int y) { return Rgb((x * 9 + seed) & 0xFF, (y * 13) & 0xFF, seed); }, bits);
}
inline std::uint32_t PictureColor(int x, int y, int seed) {
  return Rgb((x * 9 + seed) & 0xFF, (y * 13) & 0xFF, seed);
}
inline Bytes Solid(int width, int height, std::uint32_t color) { return skinbuilder::SolidBmp(width, height, color); }

class TestWindow : public SkinWindow {
 public:
  explicit TestWindow(PlayerSettings& settings, int width = 300, int height = 200)
      : canvas(width, height), settings_(settings) {}

  PlayerSettings& Settings() override { return settings_; }
  void PostCommand(std::uint32_t id, std::int32_t lParam) override { commands.emplace_back(id, lParam); }
  void PostClose() override { ++closes; }
  void SendElementChanged(CSkinElement& e) override { changed.push_back(&e); }
  int ToggleWindow(int index) override {
    toggled.push_back(index);
    return 1;
  }
  void OnDragBegin(int x, int y) override { drags.push_back({'b', x, y}); }
  void OnDragMove(int x, int y) override { drags.push_back({'m', x, y}); }
  void RedrawElement(CSkinElement& e) override {
    ++redraws;
    e.Draw(canvas);
  }
  SkinRect ScreenRect() override { return screen; }
  void MoveTo(const SkinRect& r) override { screen = r; }
  void PaintOffscreen() override { ++offscreenPaints; }
  const CSkinElement* BackgroundElement() override { return background; }
  void ShowDropDown(CSkinDropDown* d) override {
    dropDown = d;
    if (d) {
      // A child window shows no more than its parent's face holds.
      dropCanvas.Reset(std::min(d->rect.Width(), canvas.Width()), std::min(d->rect.Height(), canvas.Height()));
      d->OnPaint(dropCanvas);
    }
  }
  CSkinDropDown* DropDown() override { return dropDown; }
  void RedrawDropDown() override {
    ++dropRedraws;
    if (dropDown) dropDown->OnPaint(dropCanvas);
  }

  // A press, moves and a release as the window hands them on.
  void Press(CSkinElement& e, int x, int y) {
    SkinMouseContext c{this, nullptr, 0};
    e.OnLButtonDown(c, x, y);
  }
  void Move(CSkinElement& e, int x, int y) {
    SkinMouseContext c{this, nullptr, 0};
    e.OnMouseMove(c, x, y);
  }
  void Release(CSkinElement& e, int x, int y) {
    SkinMouseContext c{this, SkinActionDispatch, 0};
    e.OnLButtonUp(c, x, y);
  }
  void Click(CSkinElement& e, int x, int y) {
    Press(e, x, y);
    Release(e, x, y);
  }

  struct Drag {
    char what;
    int x, y;
    bool operator==(const Drag&) const = default;
  };

  gui::PixelCanvas canvas;
  gui::PixelCanvas dropCanvas{1, 1};
  std::vector<std::pair<std::uint32_t, std::int32_t>> commands;
  int closes = 0;
  std::vector<CSkinElement*> changed;
  std::vector<int> toggled;
  std::vector<Drag> drags;
  int redraws = 0;
  int offscreenPaints = 0;
  int dropRedraws = 0;
  SkinRect screen{100, 100, 375, 216};
  const CSkinElement* background = nullptr;
  CSkinDropDown* dropDown = nullptr;

 private:
  PlayerSettings& settings_;
};

// A skin read from the writer's bytes, with the messages it showed.
struct LoadedSkin {
  PlayerSettings settings;
  std::unique_ptr<CSkin> skin;
  std::vector<std::string> messages;
  int loaded = 0;

  explicit LoadedSkin(const Bytes& bytes) {
    skin = std::make_unique<CSkin>(settings);
    skin->SetMessageHandler([this](std::string_view m) { messages.emplace_back(m); });
    loaded = skin->LoadSkinBytes(bytes);
  }
  SkinElementList* frame(int number) const { return skin->Frame(number - 1); }
};

// True when the canvas shows picture `seed` (see Picture) unscaled with its
// top-left at (left, top), for the whole w x h.
inline bool ShowsPicture(const gui::PixelCanvas& canvas, int left, int top, int w, int h, int seed) {
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (canvas.Pixel(left + x, top + y) != PictureColor(x, y, seed)) return false;
    }
  }
  return true;
}

inline bool IsFilled(const gui::PixelCanvas& canvas, const SkinRect& r, std::uint32_t color) {
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      if (canvas.Pixel(x, y) != color) return false;
    }
  }
  return true;
}

}  // namespace vantu::testing
