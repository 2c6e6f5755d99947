#include "music-player/skin/Skin.h"

#include <cstring>

#include "music-player/PlayerSettings.h"

namespace vantu {

namespace fmt = skin_format;

namespace {

constexpr char kDuplicateFrame[] = "동일한 프레임존재함";
constexpr char kFontNameError[] = "Font Name ERROR!";

bool IsFrameNumber(std::int32_t id) { return id >= 1 && id <= fmt::kFrameSlots; }
bool IsTableSlot(std::uint32_t slot, int size) { return slot < static_cast<std::uint32_t>(size); }

}  // namespace

std::unique_ptr<CSkinElement> MakeSkinElement(std::uint32_t type) {
  switch (type) {
    case fmt::kFrameBackground: return std::make_unique<CSkinFrameBackground>();
    case fmt::kPushButton: return std::make_unique<CSkinPushButton>();
    case fmt::kToggleButton: return std::make_unique<CSkinToggleButton>();
    case fmt::kPositionSlider: return std::make_unique<CSkinPositionSlider>();
    case fmt::kValueSlider: return std::make_unique<CSkinValueSlider>();
    case fmt::kImageCounter: return std::make_unique<CSkinImageCounter>();
    case fmt::kNumberField: return std::make_unique<CSkinNumberField>();
    case fmt::kImageSelector: return std::make_unique<CSkinImageSelector>();
    case fmt::kTextField: return std::make_unique<CSkinTextField>();
    case fmt::kIconMenuButton: return std::make_unique<CSkinIconMenuButton>();
    case fmt::kListStyle: return std::make_unique<CSkinListStyle>();
    case fmt::kScrollBar: return std::make_unique<CSkinScrollBar>();
    case fmt::kDragHandle: return std::make_unique<CSkinDragHandle>();
    case fmt::kResizeGrip: return std::make_unique<CSkinResizeGrip>();
    case fmt::kTitleHandleA: return std::make_unique<CSkinTitleHandleA>();
    case fmt::kTitleHandleB: return std::make_unique<CSkinTitleHandleB>();
    case fmt::kSliderStyle: return std::make_unique<CSkinSliderStyle>();
    case fmt::kKnobStyle: return std::make_unique<CSkinKnobStyle>();
    case fmt::kStretchPiece: return std::make_unique<CSkinStretchPiece>();
    case fmt::kFixedPiece: return std::make_unique<CSkinFixedPiece>();
    default: return nullptr;
  }
}

// --- Font definitions and image sets ---

int CSkinFontDefinition::Load(SkinStream& stream) {
  slot = stream.ReadU32();
  const std::uint32_t length = stream.ReadU32();
  if (length >= fmt::kFaceNameLimit) {
    if (stream.owner()) stream.owner()->ShowMessage(kFontNameError);
    stream.SkipBytes(length);
    stream.SkipBytes(8);  // width, height
    return 0;
  }
  std::string face = stream.ReadString(length);
  const std::int32_t width = stream.ReadS32();
  const std::int32_t height = stream.ReadS32();
  font = SkinFont::Make(std::move(face), width, height);
  return 1;
}

int CSkinImageSet::Load(SkinStream& stream) {
  slot = stream.ReadU32();
  for (auto& image : images) image = stream.ReadImage();
  return 1;
}

// --- The skin ---

CSkin::CSkin(PlayerSettings& settings) : settings_(settings) {}

CSkin::~CSkin() { Clear(); }

void CSkin::ClearTables() {
  for (auto& frame : frames_) frame.reset();
  for (auto& font : fonts_) font.reset();
  for (auto& set : imageSets_) set.reset();
  retiredFonts_.clear();
  retiredSets_.clear();
  styles_.clear();
  report_ = SkinParseReport{};
}

void CSkin::Clear() {
  ClearTables();
  buffer_.clear();
  stream_ = SkinStream();
}

int CSkin::LoadSkin(const common::Path& path) {
  Clear();
  // One read of the whole file into the buffer the images are used from.
  auto file = common::File::OpenFile(path, common::File::Open::kRead);
  if (!file) return 0;
  auto size = file->Size();
  if (!size || *size == 0 || *size > kMaxFileBytes) return 0;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(*size));
  auto read = file->ReadFull(bytes);
  if (!read || *read == 0) return 0;
  bytes.resize(*read);  // a file that shrank meanwhile is read as far as it goes
  return LoadSkinBytes(std::move(bytes));
}

int CSkin::LoadSkinBytes(std::vector<std::uint8_t> bytes) {
  Clear();
  if (bytes.empty() || bytes.size() > kMaxFileBytes) return 0;
  buffer_ = std::move(bytes);
  stream_ = SkinStream(buffer_, this);
  ParseSkin();
  return 1;
}

SkinElementList* CSkin::Frame(int slot) const {
  if (slot < 0 || slot >= fmt::kFrameSlots) return nullptr;
  return frames_[slot].get();
}

const SkinFont* CSkin::Font(int slot) const {
  if (slot < 0 || slot >= fmt::kFontSlots) return nullptr;
  return fonts_[slot].get();
}

const CSkinImageSet* CSkin::ImageSet(int slot) const {
  if (slot < 0 || slot >= fmt::kImageSetSlots) return nullptr;
  return imageSets_[slot].get();
}

bool CSkin::LoadInto(CSkinElement& element, int* answer) {
  element.type = stream_.type;
  element.id = stream_.id;
  element.flags = stream_.flags;
  const int loaded = element.Load(stream_);
  if (answer) *answer = loaded;
  return !stream_.overrun();
}

void CSkin::AddElement(SkinElementList* list, std::unique_ptr<CSkinElement> element,
                       const std::function<void(CSkinElement&)>& afterLoad) {
  if (!LoadInto(*element)) return;  // ran past the end: the parse ends
  if (afterLoad) afterLoad(*element);
  if (!list) {
    ++report_.withoutFrame;
    return;
  }
  list->push_back(std::move(element));
}

int CSkin::ParseSkin() {
  // A second walk builds the same tables again, from scratch.
  ClearTables();
  SkinElementList* current = nullptr;
  stream_.Seek(0);
  stream_.ClearOverrun();
  while (stream_.position() < stream_.length()) {
    if (stream_.remaining() < fmt::kHeaderSize) {
      report_.truncated = true;
      return 0;
    }
    const std::vector<std::uint8_t> tag = stream_.ReadBytes(fmt::kTagSize);
    std::memcpy(stream_.tag, tag.data(), fmt::kTagSize);
    if (std::memcmp(stream_.tag, fmt::kTagMagic, sizeof fmt::kTagMagic) != 0) {
      report_.badTag = true;
      return 0;
    }
    stream_.type = stream_.ReadU32();
    stream_.id = stream_.ReadS32();
    stream_.flags = stream_.ReadU32();
    const std::uint32_t payload = stream_.ReadU32();
    ++report_.records;

    const std::uint32_t type = stream_.type;
    switch (type) {
      case fmt::kFrameBackground: {
        if (!IsFrameNumber(stream_.id)) {
          // No slot for it: the frame and the elements up to the next frame
          // record are read and dropped.
          ++report_.badFrameNumbers;
          current = nullptr;
        } else if (frames_[stream_.id - 1]) {
          ++report_.duplicateFrames;
          ShowMessage(kDuplicateFrame);
        } else {
          frames_[stream_.id - 1] = std::make_unique<SkinElementList>();
          current = frames_[stream_.id - 1].get();
        }
        AddElement(current, MakeSkinElement(type));
        break;
      }
      case fmt::kHeaderOnly:
        break;
      case fmt::kPushButton: case fmt::kToggleButton: case fmt::kPositionSlider:
      case fmt::kValueSlider: case fmt::kImageSelector: case fmt::kIconMenuButton:
      case fmt::kListStyle: case fmt::kScrollBar: case fmt::kDragHandle:
      case fmt::kResizeGrip: case fmt::kTitleHandleA: case fmt::kTitleHandleB:
      case fmt::kStretchPiece: case fmt::kFixedPiece:
        AddElement(current, MakeSkinElement(type));
        break;
      // These take a font or an image set from the tables once loaded.
      case fmt::kNumberField:
        AddElement(current, std::make_unique<CSkinNumberField>(), [this](CSkinElement& e) {
          auto& field = static_cast<CSkinNumberField&>(e);
          field.SetFont(Font(static_cast<int>(field.slot())));
        });
        break;
      case fmt::kTextField:
        AddElement(current, std::make_unique<CSkinTextField>(), [this](CSkinElement& e) {
          auto& field = static_cast<CSkinTextField&>(e);
          field.SetFont(Font(static_cast<int>(field.slot())));
        });
        break;
      case fmt::kImageCounter:
        AddElement(current, std::make_unique<CSkinImageCounter>(), [this](CSkinElement& e) {
          auto& counter = static_cast<CSkinImageCounter&>(e);
          counter.SetImageSet(ImageSet(static_cast<int>(counter.slot())));
        });
        break;
      case fmt::kSliderStyle:
      case fmt::kKnobStyle: {
        auto element = MakeSkinElement(type);
        if (LoadInto(*element)) styles_.push_back(std::move(element));
        break;
      }
      case fmt::kFontDefinition: {
        CSkinFontDefinition definition;
        int loaded = 0;
        if (!LoadInto(definition, &loaded) || !loaded) break;
        if (!IsTableSlot(definition.slot, fmt::kFontSlots)) {
          ++report_.badSlots;
          break;
        }
        // Elements loaded earlier keep the font they were given.
        if (fonts_[definition.slot]) retiredFonts_.push_back(std::move(fonts_[definition.slot]));
        fonts_[definition.slot] = std::make_unique<SkinFont>(std::move(definition.font));
        break;
      }
      case fmt::kImageSet: {
        auto set = std::make_unique<CSkinImageSet>();
        int loaded = 0;
        if (!LoadInto(*set, &loaded) || !loaded) break;
        if (!IsTableSlot(set->slot, fmt::kImageSetSlots)) {
          ++report_.badSlots;
          break;
        }
        if (imageSets_[set->slot]) retiredSets_.push_back(std::move(imageSets_[set->slot]));
        imageSets_[set->slot] = std::move(set);
        break;
      }
      default:
        ++report_.skippedUnknown;
        stream_.SkipBytes(payload);
        break;
    }
    if (stream_.overrun()) {
      report_.truncated = true;
      return 0;
    }
  }
  return 1;
}

}  // namespace vantu
