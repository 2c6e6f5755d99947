// Equalizer presets: up to 199 named copies of the settings block's
// 128-byte equalizer area, kept sorted by name, stored in "EqData.EQL".
//
// File (little-endian): a signed 32-bit preset count, then per preset a
// 32-bit name length n, n bytes of ANSI name without NUL, and the 128 bytes
// of the equalizer area.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "common/File.h"
#include "music-player/PlayerSettings.h"

namespace vantu {

struct EqPreset {
  std::string name;  // at most kMaxNameBytes
  PlayerSettings::EqualizerArea settings{};
};

// Byte-wise order of two ANSI (code page 949) names, a double-byte
// character counting as one unit; a prefix sorts first. <0, 0 or >0.
int CompareAnsiNames(const std::string& a, const std::string& b);

namespace eq_file {
constexpr std::size_t kMaxNameBytes = 255;
constexpr int kMaxPresets = 199;
constexpr std::size_t kMaxReadBytes = 4 + std::size_t{kMaxPresets} * (4 + kMaxNameBytes + PlayerSettings::kEqualizerBytes);
struct ReadResult {
  std::vector<EqPreset> presets;
  bool damaged = false;  // a name length past its limit or the file's end
};
ReadResult Parse(std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> Encode(const std::vector<std::unique_ptr<EqPreset>>& presets);
}  // namespace eq_file

class CEqPresetStore {
 public:
  static constexpr int kMaxPresets = eq_file::kMaxPresets;
  enum class ReadResult { kRead, kCannotOpen, kDamaged };
  enum class AddResult { kAdded, kReplaced, kFull, kBadName };

  explicit CEqPresetStore(common::Path filePath) : filePath_(std::move(filePath)) {}

  const common::Path& FilePath() const { return filePath_; }
  int Count() const { return static_cast<int>(presets_.size()); }
  const EqPreset* Get(int index) const {
    return index >= 0 && index < Count() ? presets_[static_cast<std::size_t>(index)].get() : nullptr;
  }

  // Reads the file into the store. A file that cannot be opened empties
  // the store; a damaged one leaves the store empty too and is reported.
  ReadResult ReadPresets();
  // Writes the store (atomically); false when the file cannot be written.
  bool WritePresets() const;

  int FindPreset(const std::string& name) const;
  int PresetInsertPosition(const std::string& name) const;
  // A preset of an existing name replaces that one. A new name when 199
  // presets are stored is refused (kFull) and the store stays as it is; an
  // empty name or one over 255 bytes is refused (kBadName).
  AddResult AddPreset(std::unique_ptr<EqPreset> preset);
  void RemovePreset(int index);
  void DeleteAllPresets() { presets_.clear(); ++revision_; }

  std::uint64_t Revision() const { return revision_; }

 private:
  common::Path filePath_;
  std::vector<std::unique_ptr<EqPreset>> presets_;
  std::uint64_t revision_ = 0;
};

}  // namespace vantu
