#include "music-player/skin/SkinDisplay.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "music-player/skin/Skin.h"
#include "music-player/skin/SkinDraw.h"

namespace vantu {

namespace fmt = skin_format;

// --- Numbers ---

void CSkinNumberBase::SetNumber(gui::Canvas& canvas, int value) {
  value_ = value;
  Draw(canvas);
}

int CSkinImageCounter::Load(SkinStream& stream) {
  slot_ = stream.ReadU32();
  rect = stream.ReadRect();
  stream.ReadColor();  // read, not used
  stream.ReadColor();
  return 1;
}

void CSkinImageCounter::SetImageSet(const CSkinImageSet* set) {
  set_ = set;
  digitWidth_ = set ? set->digitWidth() : 0;
}

void CSkinImageCounter::Draw(gui::Canvas& canvas) {
  if (!set_ || digitWidth_ <= 0) return;
  const int w = digitWidth_;
  int first = fmt::kBlankDigit, second = fmt::kBlankDigit;
  if (value_ >= 0) {
    first = (value_ / 10) % 10;
    second = value_ % 10;
  }
  // Both cells stay inside the element's rectangle: a rectangle narrower
  // than two digits shows what fits.
  const SkinRect cell1{rect.left, rect.top, std::min(rect.left + w, rect.right), rect.bottom};
  const SkinRect cell2{rect.left + w, rect.top, std::min(rect.left + 2 * w, rect.right), rect.bottom};
  if (cell1.Width() > 0) CopyImage(canvas, cell1, set_->images[first]);
  if (cell2.Width() > 0) CopyImage(canvas, cell2, set_->images[second]);
}

namespace {

// Number and text fields: font slot, rectangle, text and background colour.
void ReadFieldPayload(SkinStream& stream, std::uint32_t& slot, SkinRect& rect, std::uint32_t& text,
                      std::uint32_t& back) {
  slot = stream.ReadU32();
  rect = stream.ReadRect();
  text = stream.ReadColor();
  back = stream.ReadColor();
}

}  // namespace

int CSkinNumberField::Load(SkinStream& stream) {
  ReadFieldPayload(stream, slot_, rect, textColor, backColor);
  return 1;
}

void CSkinNumberField::Draw(gui::Canvas& canvas) {
  if (value_ < 0) {
    FillSolid(canvas, rect, backColor);
    return;
  }
  // Drawn over what is there: the rectangle is not cleared first.
  DrawSkinText(canvas, rect, std::to_string(value_), font_, textColor, backColor);
}

// --- Text ---

int CSkinTextField::Load(SkinStream& stream) {
  ReadFieldPayload(stream, slot_, rect, textColor, backColor);
  return 1;
}

void CSkinTextField::Draw(gui::Canvas& canvas) {
  FillSolid(canvas, rect, backColor);
  if (!text_.empty()) DrawSkinText(canvas, rect, text_, font_, textColor, backColor);
}

void CSkinTextField::SetText(gui::Canvas& canvas, std::string text) {
  text_ = std::move(text);
  Draw(canvas);
}

// --- List style ---

int CSkinListStyle::Load(SkinStream& stream) {
  const std::uint32_t length = stream.ReadU32();
  if (length >= fmt::kFaceNameLimit) {
    stream.SkipBytes(length);
  } else {
    face = stream.ReadString(length);
  }
  fontWidth = stream.ReadS32();
  fontHeight = stream.ReadS32();
  rect = skinRect = stream.ReadRect();
  for (auto& color : colors) color = stream.ReadColor();
  return 1;
}

// --- Icon menu ---

CSkinIconMenuButton::~CSkinIconMenuButton() = default;

int CSkinIconMenuButton::Load(SkinStream& stream) {
  const std::uint32_t count = stream.ReadU32();
  rect = skinRect = stream.ReadRect();
  button = stream.ReadImage();
  pressed = stream.ReadImage();
  side = stream.ReadImage();
  // Each item takes at least 12 bytes: stop at the buffer's end instead of
  // trusting the count.
  for (std::uint32_t i = 0; i < count && !stream.overrun(); ++i) {
    CSkinDropDown::Item item;
    item.action = stream.ReadS32();
    item.image = stream.ReadImage();
    item.highlighted = stream.ReadImage();
    items.push_back(item);
  }
  return 1;
}

void CSkinIconMenuButton::Draw(gui::Canvas& canvas) { CopyImage(canvas, rect, button); }

void CSkinIconMenuButton::OnLButtonDown(SkinMouseContext& context, int, int) {
  const int n = static_cast<int>(items.size());
  if (n == 0 || !context.window || dropDown_) return;
  const int h = rect.Height();
  auto dropDown = std::make_unique<CSkinDropDown>(*this);
  dropDown->rect.left = rect.left - side.width;
  // n cells of h stack upwards; a stack taller than the coordinate range
  // ends at its edge.
  const std::int64_t top = n <= 1 ? std::int64_t{rect.top} + 2 : std::int64_t{rect.top} - std::int64_t{n - 1} * h + 2;
  dropDown->rect.top = static_cast<std::int32_t>(std::clamp<std::int64_t>(top, kMinCoordinate, kMaxCoordinate));
  dropDown->rect.right = rect.right;
  dropDown->rect.bottom = rect.bottom + 2;
  dropDown->cellRect = {0, 0, button.width, button.height};
  dropDown->sideRect = {0, 0, side.width, side.height};
  dropDown->count = n;
  dropDown->highlighted = n - 1;
  dropDown_ = std::move(dropDown);
  context.window->ShowDropDown(dropDown_.get());
}

void CSkinIconMenuButton::DeleteDropDown() { dropDown_.reset(); }

void CSkinDropDown::OnPaint(gui::Canvas& canvas) const {
  // The window's own background (its class brush) wherever the side column
  // and the cells leave room: a side wider than 3 pixels leaves a strip at
  // the right, a short one a gap below.
  canvas.FillRect(gui::Rect{0, 0, canvas.Width(), canvas.Height()}, kDropDownBackground);
  CopyImage(canvas, sideRect, owner_.side);
  const std::int64_t cell = cellRect.Height();
  if (cell <= 0) return;
  const int width = rect.Width() - 2 * sideRect.Width() + 3;
  // Cells stack downwards from the top; the first one that starts below the
  // window (which never passes the coordinate range) ends the painting, so a
  // long list of tall cells neither overflows nor walks the hidden items.
  const std::int64_t visible =
      std::min<std::int64_t>({rect.Height(), canvas.Height(), std::int64_t{kMaxCoordinate} + 1});
  const int items = std::min(count, static_cast<int>(owner_.items.size()));
  for (int i = 0; i < items; ++i) {
    const std::int64_t top = i * cell;
    if (top >= visible) break;
    const auto& item = owner_.items[static_cast<std::size_t>(i)];
    const SkinRect target{sideRect.Width(), static_cast<std::int32_t>(top), sideRect.Width() + width,
                          static_cast<std::int32_t>(std::min<std::int64_t>(top + cell, INT32_MAX))};
    StretchWhole(canvas, target, i == highlighted ? item.highlighted : item.image);
  }
}

void CSkinDropDown::OnMouseMove(SkinWindow& parent, int, int y) {
  const int cell = cellRect.Height();
  int index = cell > 0 ? y / cell : 0;
  index = std::clamp(index, 0, std::max(count - 1, 0));
  if (index != highlighted) {
    highlighted = index;
    parent.RedrawDropDown();
  }
}

void CSkinDropDown::OnLButtonDown(SkinWindow& parent) {
  if (highlighted >= 0 && highlighted < static_cast<int>(owner_.items.size())) {
    SkinMouseContext context{&parent, SkinActionDispatch, 0};
    context.code = owner_.items[static_cast<std::size_t>(highlighted)].action;
    SkinActionDispatch(context);
  }
  OnClose(parent);
}

void CSkinDropDown::OnKillFocus(SkinWindow& parent) { OnClose(parent); }

void CSkinDropDown::OnClose(SkinWindow& parent) {
  if (parent.DropDown() != this) return;
  parent.ShowDropDown(nullptr);
  owner_.DeleteDropDown();  // deletes this object: nothing may follow
}

}  // namespace vantu
