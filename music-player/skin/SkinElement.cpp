#include "music-player/skin/SkinElement.h"

#include "music-player/PlayerSettings.h"
#include "music-player/skin/Skin.h"

namespace vantu {

namespace fmt = skin_format;

// --- Base ---

void CSkinElement::OnMouseMove(SkinMouseContext&, int, int) {}
void CSkinElement::OnLButtonUp(SkinMouseContext&, int, int) {}
void CSkinElement::OnLButtonDown(SkinMouseContext&, int, int) {}
void CSkinElement::Draw(gui::Canvas&) {}
int CSkinElement::Load(SkinStream&) { return 1; }
void CSkinElement::FireAction(SkinMouseContext&) {}

CSkinElement* FindElement(const SkinElementList* list, std::int32_t id) {
  if (!list) return nullptr;
  for (const auto& e : *list) {
    if (e->id == id) return e.get();
  }
  return nullptr;
}

CSkinElement* FindElementOfType(const SkinElementList* list, std::uint32_t type) {
  if (!list) return nullptr;
  for (const auto& e : *list) {
    if (e->type == type) return e.get();
  }
  return nullptr;
}

CSkinElement* FindElementOfTypeAndId(const SkinElementList* list, std::uint32_t type, std::int32_t id) {
  if (!list) return nullptr;
  for (const auto& e : *list) {
    if (e->type == type && e->id == id) return e.get();
  }
  return nullptr;
}

// --- Action dispatch ---

namespace {

void Toggle(SkinWindow& window, SettingsWord word) { window.Settings().Toggle(word); }

bool InCommandRange(std::int32_t code) {
  return (code >= 101 && code <= 106) || code == 121 || code == 123 || code == 203 ||
         code == 204 || (code >= 601 && code <= 603) || (code >= 611 && code <= 614) ||
         (code >= 621 && code <= 623) || (code >= 631 && code <= 633) ||
         (code >= 641 && code <= 643);
}

}  // namespace

int SkinActionDispatch(SkinMouseContext& context) {
  if (!context.window) return 0;
  SkinWindow& window = *context.window;
  const std::int32_t code = context.code;
  if (InCommandRange(code)) {
    window.PostCommand(static_cast<std::uint32_t>(code), 0);
    return 0;
  }
  switch (code) {
    case 107: Toggle(window, SettingsWord::kShuffle); break;
    case 108: Toggle(window, SettingsWord::kRepeat); break;
    case 109: window.ToggleWindow(0); break;
    case 110: window.ToggleWindow(1); break;
    case 111: window.ToggleWindow(2); break;
    case 125: window.PostClose(); break;
    case 201:
      Toggle(window, SettingsWord::kEqualizerOn);
      window.PostCommand(201, 0);
      break;
    case 202:
      Toggle(window, SettingsWord::kOption202);
      window.PostCommand(202, 0);
      break;
    default: break;
  }
  return 0;
}

// --- Frame background and pieces ---

int CSkinFrameBackground::Load(SkinStream& stream) {
  rect = skinRect = stream.ReadRect();
  image = stream.ReadImage();
  return 1;
}

void CSkinFrameBackground::Draw(gui::Canvas& canvas) {
  CopyImage(canvas, {0, 0, rect.Width(), rect.Height()}, image);
}

int CSkinStretchPiece::Load(SkinStream& stream) {
  image = stream.ReadImage();
  rect = {0, 0, image.width, image.height};
  return 1;
}

void CSkinStretchPiece::Draw(gui::Canvas& canvas) { DrawImage(canvas, rect, image); }

int CSkinFixedPiece::Load(SkinStream& stream) {
  image = stream.ReadImage();
  rect = skinRect = {0, 0, image.width, image.height};
  return 1;
}

void CSkinFixedPiece::Draw(gui::Canvas& canvas) { CopyImage(canvas, rect, image); }

// --- Buttons ---

const SkinImage& CSkinButtonBase::CurrentImage() const {
  static const SkinImage kNone;
  return kNone;
}

void CSkinButtonBase::Draw(gui::Canvas& canvas) { DrawImage(canvas, rect, CurrentImage()); }

void CSkinButtonBase::Redraw(SkinMouseContext& context) {
  if (context.window) context.window->RedrawElement(*this);
}

void CSkinButtonBase::OnLButtonDown(SkinMouseContext& context, int, int) {
  state = 1;
  Redraw(context);
}

void CSkinButtonBase::OnMouseMove(SkinMouseContext& context, int x, int y) {
  const bool inside = rect.Contains(x, y);
  if (inside && state != 1) {
    state = 1;
    Redraw(context);
  } else if (!inside && state != 0) {
    state = 0;
    Redraw(context);
  }
}

void CSkinButtonBase::OnLButtonUp(SkinMouseContext& context, int x, int y) {
  if (rect.Contains(x, y) && state == 1) FireAction(context);
  state = 0;
  Redraw(context);
}

void CSkinButtonBase::FireAction(SkinMouseContext& context) {
  context.code = id;
  if (context.handler) context.handler(context);
}

int CSkinPushButton::Load(SkinStream& stream) {
  rect = skinRect = stream.ReadRect();
  normal = stream.ReadImage();
  pressed = stream.ReadImage();
  return 1;
}

namespace {

// The settings word each toggle id shows.
std::int32_t* ToggleFlag(PlayerSettings& settings, std::int32_t id) {
  switch (id) {
    case 107: return &settings[SettingsWord::kShuffle];
    case 108: return &settings[SettingsWord::kRepeat];
    case 109: return &settings[SettingsWord::kEqualizerWindowOpen];
    case 110: return &settings[SettingsWord::kPlaylistWindowOpen];
    case 111: return &settings[SettingsWord::kBrowserWindowOpen];
    case 201: return &settings[SettingsWord::kEqualizerOn];
    case 202: return &settings[SettingsWord::kOption202];
    default: return nullptr;
  }
}

}  // namespace

int CSkinToggleButton::Load(SkinStream& stream) {
  rect = skinRect = stream.ReadRect();
  onNormal = stream.ReadImage();
  onPressed = stream.ReadImage();
  offNormal = stream.ReadImage();
  offPressed = stream.ReadImage();
  flag_ = stream.owner() ? ToggleFlag(stream.owner()->settings(), id) : nullptr;
  return 1;
}

const SkinImage& CSkinToggleButton::CurrentImage() const {
  const bool on = FlagOn();
  if (state == 1) return on ? onPressed : offPressed;
  return on ? onNormal : offNormal;
}

// --- Image selector ---

int CSkinImageSelector::Load(SkinStream& stream) {
  const std::uint32_t count = stream.ReadU32();
  rect = stream.ReadRect();
  // Each picture takes at least its 4-byte count: a count beyond what the
  // buffer can hold ends at the buffer's end instead of reserving for it.
  for (std::uint32_t i = 0; i < count && !stream.overrun(); ++i) {
    images.push_back(stream.ReadImage());
  }
  return 1;
}

void CSkinImageSelector::Draw(gui::Canvas& canvas) {
  if (index_ < 0 || static_cast<std::size_t>(index_) >= images.size()) return;
  CopyImage(canvas, rect, images[static_cast<std::size_t>(index_)]);
}

void CSkinImageSelector::SetIndex(gui::Canvas& canvas, int index) {
  index_ = index;
  Draw(canvas);
}

// --- Drag handles and the resize grip ---

int CSkinDragHandle::Load(SkinStream& stream) {
  rect = skinRect = stream.ReadRect();
  first = stream.ReadImage();
  second = stream.ReadImage();
  return 1;
}

void CSkinDragHandle::OnLButtonDown(SkinMouseContext& context, int x, int y) {
  CSkinButtonBase::OnLButtonDown(context, x, y);
  if (context.window) context.window->OnDragBegin(x, y);
}

void CSkinDragHandle::OnMouseMove(SkinMouseContext& context, int x, int y) {
  CSkinButtonBase::OnMouseMove(context, x, y);
  if (context.window) context.window->OnDragMove(x, y);
}

int CSkinResizeGrip::Load(SkinStream& stream) {
  rect = skinRect = stream.ReadRect();
  normal = stream.ReadImage();
  pressed = stream.ReadImage();
  return 1;
}

void CSkinResizeGrip::OnLButtonDown(SkinMouseContext& context, int x, int y) {
  pressX_ = x;
  pressY_ = y;
  if (context.window) pressWindow_ = context.window->ScreenRect();
  CSkinButtonBase::OnLButtonDown(context, x, y);
}

void CSkinResizeGrip::OnMouseMove(SkinMouseContext& context, int x, int y) {
  if (!context.window) return;
  SkinWindow& window = *context.window;
  SkinRect r = pressWindow_;
  r.right += x - pressX_;
  r.bottom += y - pressY_;
  if (const CSkinElement* background = window.BackgroundElement()) {
    const SkinRect& least = background->skinRect;
    if (r.Width() < least.Width()) r.right = r.left + least.Width();
    if (r.Height() < least.Height()) r.bottom = r.top + least.Height();
  }
  window.MoveTo(r);
  // The pressed picture stays while the grip is dragged.
  window.PaintOffscreen();
}

}  // namespace vantu
