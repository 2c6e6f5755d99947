// The skin: the file "DruskLirn.Mpt" read whole into one buffer, and what
// its records make: up to 30 frames (one element list per window layout),
// the style list of the sliders, the font table and the image-set table.
// Every picture stays in the buffer, which lives as long as the skin; the
// skin owns every element it made, windows only borrow the frame lists.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/File.h"
#include "music-player/skin/SkinDisplay.h"
#include "music-player/skin/SkinElement.h"
#include "music-player/skin/SkinSlider.h"
#include "music-player/skin/SkinStream.h"

namespace vantu {

class PlayerSettings;

// Type 52: makes one font of the font table; the record itself is not kept.
class CSkinFontDefinition : public CSkinElement {
 public:
  static bool IsKind(std::uint32_t t) { return t == skin_format::kFontDefinition; }
  // Answers 0 for a face name of 128 bytes or more (after telling the
  // skin's message handler "Font Name ERROR!").
  int Load(SkinStream& stream) override;
  std::uint32_t slot = 0;
  SkinFont font;
};

// Type 53: the pictures of an image counter: digits 0-9 and the blank.
class CSkinImageSet : public CSkinElement {
 public:
  static bool IsKind(std::uint32_t t) { return t == skin_format::kImageSet; }
  int Load(SkinStream& stream) override;
  std::uint32_t slot = 0;
  SkinImage images[skin_format::kImageSetImages];
  int digitWidth() const { return images[0].width; }
};

// What a parse met that a skin author would want to know (tests read it).
struct SkinParseReport {
  int records = 0;             // headers read
  int skippedUnknown = 0;      // unlisted types passed over
  int withoutFrame = 0;        // element records before any usable frame
  int badFrameNumbers = 0;     // frame numbers outside 1-30
  int duplicateFrames = 0;
  int badSlots = 0;            // font or image-set slots outside 0-49
  bool truncated = false;      // a record ran past the end of the file
  bool badTag = false;         // a header without "TAG:" ended the parse
};

class CSkin {
 public:
  // The largest skin file read; a larger one reads as missing.
  static constexpr std::uint64_t kMaxFileBytes = 64u << 20;

  explicit CSkin(PlayerSettings& settings);
  CSkin(const CSkin&) = delete;
  CSkin& operator=(const CSkin&) = delete;
  ~CSkin();

  // Message boxes of the reader ("동일한 프레임존재함", "Font Name ERROR!"),
  // UTF-8. Without a handler nothing is shown.
  void SetMessageHandler(std::function<void(std::string_view)> handler) {
    messages_ = std::move(handler);
  }

  // 1 when the file was read (whatever the parse found), 0 when it is
  // missing, empty or larger than kMaxFileBytes.
  int LoadSkin(const common::Path& path);
  // The same over bytes already in memory (tests, the fuzz target).
  int LoadSkinBytes(std::vector<std::uint8_t> bytes);
  // 1 when the walk reached the end, 0 when it stopped at a header without
  // "TAG:" or at a record that runs past the end of the buffer.
  int ParseSkin();

  // Slot 0-29 (frame number 1-30); null for an empty slot or an index
  // outside the table.
  SkinElementList* Frame(int slot) const;
  const SkinFont* Font(int slot) const;
  const CSkinImageSet* ImageSet(int slot) const;
  const SkinElementList& Styles() const { return styles_; }
  // The last style of the kind whose key matches, or null.
  template <class Style>
  const Style* FindStyle(std::uint32_t key) const {
    const Style* found = nullptr;
    for (const auto& e : styles_) {
      if (Style::IsKind(e->type) && static_cast<const Style*>(e.get())->key == key) {
        found = static_cast<const Style*>(e.get());
      }
    }
    return found;
  }

  PlayerSettings& settings() const { return settings_; }
  const SkinParseReport& report() const { return report_; }
  std::size_t bufferSize() const { return buffer_.size(); }
  void ShowMessage(std::string_view text) const {
    if (messages_) messages_(text);
  }

 private:
  // Sets the element's header fields, loads it and, when the load stayed in
  // the buffer, appends it to `list` (whatever the load answered).
  // `afterLoad` hands the element what it named in the tables.
  void AddElement(SkinElementList* list, std::unique_ptr<CSkinElement> element,
                  const std::function<void(CSkinElement&)>& afterLoad = {});
  // Sets the header fields and loads; false when the load ran past the end.
  bool LoadInto(CSkinElement& element, int* answer = nullptr);
  void ClearTables();
  void Clear();

  PlayerSettings& settings_;
  std::function<void(std::string_view)> messages_;
  std::vector<std::uint8_t> buffer_;
  SkinStream stream_;
  std::unique_ptr<SkinElementList> frames_[skin_format::kFrameSlots];
  SkinElementList styles_;
  std::unique_ptr<SkinFont> fonts_[skin_format::kFontSlots];
  std::unique_ptr<CSkinImageSet> imageSets_[skin_format::kImageSetSlots];
  // Fonts and image sets replaced by a later record for the same slot: the
  // elements given them before still point at them.
  std::vector<std::unique_ptr<SkinFont>> retiredFonts_;
  std::vector<std::unique_ptr<CSkinImageSet>> retiredSets_;
  SkinParseReport report_;
};

// Makes the element object of a record type; null for types that make none
// (2, the unlisted types) and for 52 and 53, which the skin handles itself.
std::unique_ptr<CSkinElement> MakeSkinElement(std::uint32_t type);

}  // namespace vantu
