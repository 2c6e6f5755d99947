#include "platform/gui/headless/HeadlessForm.h"

#include <cstdint>
#include <string_view>

#include "platform/gui/Image.h"
#include "platform/gui/Label.h"
#include "platform/gui/Picture.h"

namespace gui::headless {

namespace {

// Character height of a font of `points` at 96 dots per inch.
int PointsToPixels(int points) { return -(points * 96 + 36) / 72; }

int TextWidth(std::string_view utf8, const FontSpec& font) {
  int width = 0;
  for (std::size_t at = 0; at < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[at]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    // U+1100 and above take three bytes or more: wide cells.
    width += PixelCanvas::CellWidth(font, length >= 3);
    at += length;
  }
  return width;
}

void DrawLabel(PixelCanvas& canvas, const Label& label, const Form& form, const Rect& box) {
  if (!label.Transparent()) canvas.FillRect(box, form.BackgroundColor());
  FontSpec font;
  font.face = label.FontName().empty() ? form.FontName() : label.FontName();
  if (!font.face.empty()) {
    font.height = PointsToPixels(label.FontName().empty() ? form.FontSize() : label.FontSize());
  }
  canvas.SetFont(&font);
  canvas.SetTextColor(Rgb(0, 0, 0));
  canvas.SetBackgroundMode(BackgroundMode::kTransparent);
  Rect text = box;
  const int width = TextWidth(label.Caption(), font);
  if (label.Alignment() == Align::kRight) text.left = box.left + box.width - width;
  if (label.Alignment() == Align::kCenter) text.left = box.left + (box.width - width) / 2;
  text.width = box.left + box.width - text.left;
  canvas.DrawText(text, label.Caption());
}

void DrawChildren(PixelCanvas& canvas, const Control& parent, const Form& form, Point origin) {
  for (const Control* child : parent.Children()) {
    if (!child->Visible() || child->IsForm()) continue;
    if (child->kind() == Control::Kind::kTabSheet && !child->Showing()) continue;
    const Rect box{origin.x + child->Left(), origin.y + child->Top(), child->Width(), child->Height()};
    canvas.PushClip(box);
    if (child->kind() == Control::Kind::kImage) {
      const auto& bitmap = static_cast<const Image*>(child)->ShownBitmap();
      if (bitmap && !bitmap->Empty()) canvas.CopyImage(Rect{box.left, box.top, bitmap->Width(), bitmap->Height()}, bitmap->View());
    } else if (child->kind() == Control::Kind::kLabel) {
      DrawLabel(canvas, *static_cast<const Label*>(child), form, box);
    }
    DrawChildren(canvas, *child, form, Point{box.left, box.top});
    canvas.PopClip();
  }
}

}  // namespace

PixelCanvas DrawForm(Form& form) {
  PixelCanvas canvas(form.Width(), form.Height());
  canvas.FillRect(Rect{0, 0, form.Width(), form.Height()}, form.BackgroundColor());
  if (const auto& picture = form.Background(); picture && !picture->Empty()) {
    canvas.CopyImage(Rect{0, 0, picture->Width(), picture->Height()}, picture->View());
  }
  DrawChildren(canvas, form, form, Point{0, 0});
  return canvas;
}

bool DragForm(Form& form, Point from, Point to) {
  if (!form.Frameless() || !form.Usable() || form.Destroyed()) return false;
  if (!Contains(Rect{0, 0, form.Width(), form.Height()}, from) || form.ControlAt(from)) return false;
  form.UserMove(form.Left() + to.x - from.x, form.Top() + to.y - from.y);
  return true;
}

const MousePointer* PointerAt(Form& form, Point client) {
  if (!Contains(Rect{0, 0, form.Width(), form.Height()}, client)) return nullptr;
  const Control* control = form.ControlAt(client);
  return (control ? control->Cursor() : form.Cursor()).get();
}

}  // namespace gui::headless
