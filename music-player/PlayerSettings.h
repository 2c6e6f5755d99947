// The music player's settings block: 248 bytes of signed 32-bit
// little-endian words, stored behind the playlist path in "DruskConf.cnf"
// and read and written directly by the windows, the skin elements and the
// equalizer presets. Every offset of the block is named here, once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace vantu {

// A rectangle in screen pixels, as the block stores it.
struct Rect32 {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool IsEmptyPlace() const { return right == left; }  // never placed
  bool operator==(const Rect32&) const = default;
};

// Byte offsets of the rectangles.
enum class SettingsRect : std::uint8_t {
  kMainWindow = 0,
  kEqualizerWindow = 16,
  kPlaylistWindow = 32,
  kBrowserWindow = 48,
};

// Byte offsets of the single words.
enum class SettingsWord : std::uint8_t {
  kWindowStyle = 64,         // 0-2 select a frame variant; kept as read
  kShuffle = 68,
  kRepeat = 72,
  kEqualizerWindowOpen = 76,
  kPlaylistWindowOpen = 80,
  kBrowserWindowOpen = 84,
  kEqualizerOn = 88,
  kOption202 = 92,
  kReserved96 = 96,
  kReserved100 = 100,
  kLevel402 = 104,
  kLevel401 = 108,
  kReserved112 = 112,
  kSlider420 = 116,
};

class PlayerSettings {
 public:
  static constexpr std::size_t kSize = 248;
  static constexpr std::size_t kWords = kSize / 4;
  // The equalizer area: 32 values from byte 120; the first ten belong to the
  // band sliders 450-459. A preset stores the whole area.
  static constexpr std::size_t kEqualizerOffset = 120;
  static constexpr std::size_t kEqualizerValues = 32;
  static constexpr std::size_t kEqualizerBytes = kEqualizerValues * 4;
  using Bytes = std::array<std::uint8_t, kSize>;
  using EqualizerArea = std::array<std::uint8_t, kEqualizerBytes>;

  std::int32_t& operator[](SettingsWord w) { return words_[Index(w)]; }
  std::int32_t operator[](SettingsWord w) const { return words_[Index(w)]; }
  // A flag word read as a flag: any nonzero value is on.
  bool Flag(SettingsWord w) const { return (*this)[w] != 0; }
  // Turns 0 into 1 and any other value into 0.
  void Toggle(SettingsWord w) { (*this)[w] = (*this)[w] == 0 ? 1 : 0; }

  Rect32 GetRect(SettingsRect r) const;
  void SetRect(SettingsRect r, const Rect32& value);

  // Equalizer value i (0-31); an index outside the area reads 0 and is not
  // written.
  std::int32_t Equalizer(std::size_t i) const;
  void SetEqualizer(std::size_t i, std::int32_t value);
  EqualizerArea GetEqualizerArea() const;
  void SetEqualizerArea(std::span<const std::uint8_t, kEqualizerBytes> area);
  void ClearEqualizerArea();

  // The word at a byte offset of the block, for callers that name a word by
  // its offset (skin elements bound by id); null unless the offset is a
  // word boundary inside the block.
  std::int32_t* WordAt(std::size_t byteOffset);

  void Clear() { words_.fill(0); }
  // What a first start uses: everything 0, repeat and the three secondary
  // windows on.
  void SetFirstStartDefaults();

  Bytes Encode() const;
  // Takes the first bytes of `bytes` (up to 248); words the input does not
  // cover completely keep their values, as a short file leaves them.
  void DecodePrefix(std::span<const std::uint8_t> bytes);

  bool operator==(const PlayerSettings&) const = default;

 private:
  static constexpr std::size_t Index(SettingsWord w) { return static_cast<std::size_t>(w) / 4; }
  std::array<std::int32_t, kWords> words_{};
};

// The process-wide block (all zero at program start).
PlayerSettings& ProcessSettings();

}  // namespace vantu
