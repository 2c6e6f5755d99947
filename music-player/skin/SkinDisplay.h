// Skin elements that show values the program computes (image counters,
// number fields, text fields), the list style of the playlist window, and the
// icon menu button with its drop-down window of icons.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "music-player/skin/SkinElement.h"
#include "platform/gui/Canvas.h"

namespace vantu {

class CSkinImageSet;

// A font of the skin's font table: what the font definition record gave.
struct SkinFont {
  std::string face;  // face name, code page 949 bytes, at most 127
  std::int32_t width = 0;
  std::int32_t height = 0;
  gui::FontSpec spec;  // the same for the canvas (UTF-8 face), made once

  static SkinFont Make(std::string face, std::int32_t width, std::int32_t height);
};

// Types 7 and 8 share SetNumber.
class CSkinNumberBase : public CSkinElement {
 public:
  static bool IsKind(std::uint32_t t) {
    return t == skin_format::kImageCounter || t == skin_format::kNumberField;
  }
  // Stores the value and draws on the given canvas; below 0 shows nothing.
  void SetNumber(gui::Canvas& canvas, int value);
  int value() const { return value_; }
  // The slot the payload named (the skin hands over what is in it).
  std::uint32_t slot() const { return slot_; }

 protected:
  int value_ = -1;
  std::uint32_t slot_ = 0;
};

// Type 7: two digits of an image set.
class CSkinImageCounter : public CSkinNumberBase {
 public:
  static bool IsKind(std::uint32_t t) { return t == skin_format::kImageCounter; }
  void Draw(gui::Canvas& canvas) override;
  int Load(SkinStream& stream) override;
  // Given by the reader after the load; none when the slot is empty.
  void SetImageSet(const CSkinImageSet* set);
  const CSkinImageSet* imageSet() const { return set_; }
  int digitWidth() const { return digitWidth_; }

 private:
  const CSkinImageSet* set_ = nullptr;
  int digitWidth_ = 0;
};

// Type 8: the value as text in a skin font.
class CSkinNumberField : public CSkinNumberBase {
 public:
  static bool IsKind(std::uint32_t t) { return t == skin_format::kNumberField; }
  void Draw(gui::Canvas& canvas) override;
  int Load(SkinStream& stream) override;
  // Given by the reader after the load; none leaves the canvas's font.
  void SetFont(const SkinFont* font) { font_ = font; }
  const SkinFont* font() const { return font_; }
  std::uint32_t textColor = 0, backColor = 0;

 private:
  const SkinFont* font_ = nullptr;
};

// Type 10: a text in a skin font on its background.
class CSkinTextField : public CSkinElement {
 public:
  static bool IsKind(std::uint32_t t) { return t == skin_format::kTextField; }
  void Draw(gui::Canvas& canvas) override;
  int Load(SkinStream& stream) override;
  // Copies the text (UTF-8) and draws on the given canvas.
  void SetText(gui::Canvas& canvas, std::string text);
  const std::string& text() const { return text_; }
  void SetFont(const SkinFont* font) { font_ = font; }
  const SkinFont* font() const { return font_; }
  std::uint32_t slot() const { return slot_; }
  std::uint32_t textColor = 0, backColor = 0;

 private:
  std::string text_;
  const SkinFont* font_ = nullptr;
  std::uint32_t slot_ = 0;
};

// Type 21: the font and colours of the playlist window's list; draws nothing.
class CSkinListStyle : public CSkinElement {
 public:
  static bool IsKind(std::uint32_t t) { return t == skin_format::kListStyle; }
  int Load(SkinStream& stream) override;
  // A face name of 128 bytes or more is refused: the face stays empty and
  // the list keeps its default font; the rest of the record is read.
  std::string face;
  std::int32_t fontWidth = 0, fontHeight = 0;
  std::uint32_t colors[8] = {};
};

class CSkinIconMenuButton;

// The drop-down window's background (its window class brush): white.
inline constexpr gui::Color kDropDownBackground = gui::Rgb(255, 255, 255);

// The drop-down window of an icon menu button: one cell per item, stacked
// upwards from the button, with the side picture's column on the left.
class CSkinDropDown {
 public:
  struct Item {
    std::int32_t action = 0;
    SkinImage image, highlighted;
  };

  explicit CSkinDropDown(CSkinIconMenuButton& owner) : owner_(owner) {}

  // Window messages.
  void OnPaint(gui::Canvas& canvas) const;
  void OnMouseMove(SkinWindow& parent, int x, int y);
  // Dispatches the highlighted item's action with the parent as the
  // context's window, then closes; `this` is gone afterwards.
  void OnLButtonDown(SkinWindow& parent);
  // Loss of the keyboard focus closes; `this` is gone afterwards.
  void OnKillFocus(SkinWindow& parent);
  // The close request: when the parent still names this drop-down, it
  // forgets it (destroying the window) and the owning button deletes the
  // object; otherwise nothing.
  void OnClose(SkinWindow& parent);

  SkinRect rect;      // in the parent's client coordinates
  SkinRect cellRect;  // 0, 0, button picture's width and height
  SkinRect sideRect;  // 0, 0, side picture's width and height
  int count = 0;
  int highlighted = 0;

 private:
  CSkinIconMenuButton& owner_;
};

// Type 11: opens a drop-down of icons, each with an action code.
class CSkinIconMenuButton : public CSkinElement {
 public:
  static bool IsKind(std::uint32_t t) { return t == skin_format::kIconMenuButton; }
  ~CSkinIconMenuButton() override;
  void Draw(gui::Canvas& canvas) override;
  int Load(SkinStream& stream) override;
  void OnMouseMove(SkinMouseContext&, int, int) override {}
  void OnLButtonUp(SkinMouseContext&, int, int) override {}
  void OnLButtonDown(SkinMouseContext& context, int x, int y) override;

  CSkinDropDown* dropDown() const { return dropDown_.get(); }
  // Called by the drop-down's close handling.
  void DeleteDropDown();

  SkinImage button, pressed, side;
  std::vector<CSkinDropDown::Item> items;

 private:
  std::unique_ptr<CSkinDropDown> dropDown_;
};

}  // namespace vantu
