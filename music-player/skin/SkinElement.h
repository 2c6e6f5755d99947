// Skin elements: every visible piece of a skinned window, made from one
// record of the skin file. An element knows its rectangle, draws itself from
// images that stay in the skin's file buffer, reacts to the mouse while its
// window holds the capture for it, and reports an action code.
//
// This header holds the base class, what an element needs of its window
// (`SkinWindow`), the mouse context, the action dispatcher and the simple
// kinds: frame background, buttons, image selector, drag handles, resize grip
// and image pieces. Numbers, texts and the icon menu are in SkinDisplay.h,
// sliders and the scroll bar in SkinSlider.h.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "music-player/skin/SkinFormat.h"
#include "music-player/skin/SkinStream.h"

namespace gui {
class Canvas;
}

namespace vantu {

class PlayerSettings;
class CSkinElement;
class CSkinDropDown;

// What an element needs of the window it belongs to. The skinned window base
// implements it over a real or headless window; tests implement it to watch.
class SkinWindow {
 public:
  virtual ~SkinWindow() = default;

  // The settings block the flags and slider values live in.
  virtual PlayerSettings& Settings() = 0;
  // Posted WM_COMMAND (wParam = id, lParam): runs after the element's own
  // mouse handling has finished.
  virtual void PostCommand(std::uint32_t id, std::int32_t lParam) = 0;
  // Posted WM_CLOSE.
  virtual void PostClose() = 0;
  // Sent WM_USER+101 (wParam: the element): handled before this call returns.
  virtual void SendElementChanged(CSkinElement& element) = 0;
  // Opens or closes secondary window `index` (0 equalizer, 1 playlist,
  // 2 browser); windows other than the main window ignore it.
  virtual int ToggleWindow(int index) = 0;
  virtual void OnDragBegin(int x, int y) = 0;
  virtual void OnDragMove(int x, int y) = 0;
  // Draws one element on a device context of the window, outside painting.
  virtual void RedrawElement(CSkinElement& element) = 0;
  // The window's rectangle on the screen; moving it repaints it.
  virtual SkinRect ScreenRect() = 0;
  virtual void MoveTo(const SkinRect& screen) = 0;
  // Paints every element into an off-screen bitmap and copies it to the
  // window in one block transfer.
  virtual void PaintOffscreen() = 0;
  // The window's frame background element (type 1), or null.
  virtual const CSkinElement* BackgroundElement() = 0;
  // The drop-down child window: `ShowDropDown` creates it for the given
  // object (shown, with the keyboard focus) and records it; null destroys the
  // recorded one and forgets it. `DropDown` answers the recorded one.
  virtual void ShowDropDown(CSkinDropDown* dropDown) = 0;
  virtual CSkinDropDown* DropDown() = 0;
  // Paints the drop-down on a device context of its window.
  virtual void RedrawDropDown() = 0;
};

struct SkinMouseContext;
using SkinActionHandler = int (*)(SkinMouseContext&);

// Handed by the window to an element's mouse handlers.
struct SkinMouseContext {
  SkinWindow* window = nullptr;
  SkinActionHandler handler = nullptr;  // set for the button release
  std::int32_t code = 0;                // the action code an element fires
};

// Carries out a skin action code on the context's window; always answers 0.
int SkinActionDispatch(SkinMouseContext& context);

class CSkinElement {
 public:
  CSkinElement() = default;
  CSkinElement(const CSkinElement&) = delete;
  CSkinElement& operator=(const CSkinElement&) = delete;
  virtual ~CSkinElement() = default;

  virtual void OnMouseMove(SkinMouseContext& context, int x, int y);
  virtual void OnLButtonUp(SkinMouseContext& context, int x, int y);
  virtual void OnLButtonDown(SkinMouseContext& context, int x, int y);
  virtual void Draw(gui::Canvas& canvas);
  // Reads the payload; nonzero when loaded.
  virtual int Load(SkinStream& stream);
  virtual void FireAction(SkinMouseContext& context);

  bool IsHidden() const { return (flags & skin_format::kHidden) != 0; }
  bool IgnoresMouse() const { return (flags & skin_format::kIgnoresMouse) != 0; }
  std::uint8_t AnchorCode() const { return static_cast<std::uint8_t>(flags & skin_format::kAnchorMask); }

  SkinRect rect;      // where it is drawn and hit-tested (client pixels)
  SkinRect skinRect;  // as the skin file gave it; resizable windows place from it
  std::uint32_t type = 0;
  std::int32_t id = 0;
  std::int32_t state = 0;  // 0 normal, 1 pressed
  std::uint32_t flags = 0;
};

using SkinElementList = std::vector<std::unique_ptr<CSkinElement>>;

// Lookups in an element list. An element found by id is only handed out as a
// kind when its type code is that kind's, so a skin that gives an id to the
// wrong kind never has it used as another.
CSkinElement* FindElement(const SkinElementList* list, std::int32_t id);
CSkinElement* FindElementOfType(const SkinElementList* list, std::uint32_t type);
CSkinElement* FindElementOfTypeAndId(const SkinElementList* list, std::uint32_t type, std::int32_t id);
template <class Kind>
Kind* FindElementAs(const SkinElementList* list, std::int32_t id) {
  if (!list) return nullptr;
  for (const auto& e : *list) {
    if (e->id == id && Kind::IsKind(e->type)) return static_cast<Kind*>(e.get());
  }
  return nullptr;
}

// Draws `image` with its top-left at the rectangle's, at most the rectangle's
// width and height and never more than the image has (no scaling).
void CopyImage(gui::Canvas& canvas, const SkinRect& rect, const SkinImage& image);
// CopyImage when the image has the rectangle's size, else the whole image
// stretched into the rectangle.
void DrawImage(gui::Canvas& canvas, const SkinRect& rect, const SkinImage& image);

// --- Kinds ---

// Type 1: the window's background picture; the window takes its size from it.
class CSkinFrameBackground : public CSkinElement {
 public:
  static bool IsKind(std::uint32_t t) { return t == skin_format::kFrameBackground; }
  void Draw(gui::Canvas& canvas) override;
  int Load(SkinStream& stream) override;
  SkinImage image;
};

// Types 501 and 502: pieces of the frame of resizable windows.
class CSkinStretchPiece : public CSkinElement {
 public:
  static bool IsKind(std::uint32_t t) { return t == skin_format::kStretchPiece; }
  void Draw(gui::Canvas& canvas) override;
  int Load(SkinStream& stream) override;
  SkinImage image;
};

class CSkinFixedPiece : public CSkinElement {
 public:
  static bool IsKind(std::uint32_t t) { return t == skin_format::kFixedPiece; }
  void Draw(gui::Canvas& canvas) override;
  int Load(SkinStream& stream) override;
  SkinImage image;
};

// The button protocol: press shows the pressed look, leaving the rectangle
// shows the normal look again, a release inside fires the element's id.
class CSkinButtonBase : public CSkinElement {
 public:
  void OnMouseMove(SkinMouseContext& context, int x, int y) override;
  void OnLButtonUp(SkinMouseContext& context, int x, int y) override;
  void OnLButtonDown(SkinMouseContext& context, int x, int y) override;
  void Draw(gui::Canvas& canvas) override;
  void FireAction(SkinMouseContext& context) override;

 protected:
  // The picture for the current state; an empty image draws nothing.
  virtual const SkinImage& CurrentImage() const;
  void Redraw(SkinMouseContext& context);
};

// Type 3.
class CSkinPushButton : public CSkinButtonBase {
 public:
  static bool IsKind(std::uint32_t t) { return t == skin_format::kPushButton; }
  int Load(SkinStream& stream) override;
  SkinImage normal, pressed;

 protected:
  const SkinImage& CurrentImage() const override { return state == 1 ? pressed : normal; }
};

// Type 4: shows one flag of the settings block, chosen by its id at load
// (107 shuffle, 108 repeat, 109-111 window open, 201 equalizer on, 202 option
// 202). Any other id has no flag and shows its off pictures.
class CSkinToggleButton : public CSkinButtonBase {
 public:
  static bool IsKind(std::uint32_t t) { return t == skin_format::kToggleButton; }
  int Load(SkinStream& stream) override;
  bool FlagOn() const { return flag_ && *flag_ != 0; }
  SkinImage onNormal, onPressed, offNormal, offPressed;

 protected:
  const SkinImage& CurrentImage() const override;

 private:
  const std::int32_t* flag_ = nullptr;
};

// Type 9: shows one of n pictures.
class CSkinImageSelector : public CSkinElement {
 public:
  static bool IsKind(std::uint32_t t) { return t == skin_format::kImageSelector; }
  void Draw(gui::Canvas& canvas) override;
  int Load(SkinStream& stream) override;
  // Stores the index and draws on the given canvas. An index without a
  // picture draws nothing.
  void SetIndex(gui::Canvas& canvas, int index);
  int index() const { return index_; }
  std::vector<SkinImage> images;

 private:
  int index_ = 0;
};

// Types 30, 41, 42: move the window while dragged.
class CSkinDragHandle : public CSkinButtonBase {
 public:
  static bool IsKind(std::uint32_t t) {
    return t == skin_format::kDragHandle || t == skin_format::kTitleHandleA ||
           t == skin_format::kTitleHandleB;
  }
  void OnMouseMove(SkinMouseContext& context, int x, int y) override;
  void OnLButtonDown(SkinMouseContext& context, int x, int y) override;
  int Load(SkinStream& stream) override;
  SkinImage first, second;

 protected:
  const SkinImage& CurrentImage() const override { return first; }
};

class CSkinTitleHandleA : public CSkinDragHandle {};
class CSkinTitleHandleB : public CSkinDragHandle {};

// Type 31: resizes the window, never below its background's skin size.
class CSkinResizeGrip : public CSkinButtonBase {
 public:
  static bool IsKind(std::uint32_t t) { return t == skin_format::kResizeGrip; }
  void OnMouseMove(SkinMouseContext& context, int x, int y) override;
  void OnLButtonDown(SkinMouseContext& context, int x, int y) override;
  int Load(SkinStream& stream) override;
  SkinImage normal, pressed;

 protected:
  const SkinImage& CurrentImage() const override { return state == 1 ? pressed : normal; }

 private:
  int pressX_ = 0, pressY_ = 0;
  SkinRect pressWindow_;
};

}  // namespace vantu
