#include "music-player/PlayerSettings.h"

#include <algorithm>

#include "common/ByteOrder.h"

namespace vantu {

Rect32 PlayerSettings::GetRect(SettingsRect r) const {
  const std::size_t i = static_cast<std::size_t>(r) / 4;
  return Rect32{words_[i], words_[i + 1], words_[i + 2], words_[i + 3]};
}

void PlayerSettings::SetRect(SettingsRect r, const Rect32& value) {
  const std::size_t i = static_cast<std::size_t>(r) / 4;
  words_[i] = value.left;
  words_[i + 1] = value.top;
  words_[i + 2] = value.right;
  words_[i + 3] = value.bottom;
}

std::int32_t PlayerSettings::Equalizer(std::size_t i) const {
  return i < kEqualizerValues ? words_[kEqualizerOffset / 4 + i] : 0;
}

void PlayerSettings::SetEqualizer(std::size_t i, std::int32_t value) {
  if (i < kEqualizerValues) words_[kEqualizerOffset / 4 + i] = value;
}

PlayerSettings::EqualizerArea PlayerSettings::GetEqualizerArea() const {
  EqualizerArea area{};
  for (std::size_t i = 0; i < kEqualizerValues; ++i)
    common::StoreLE32(area.data() + 4 * i, static_cast<std::uint32_t>(Equalizer(i)));
  return area;
}

void PlayerSettings::SetEqualizerArea(std::span<const std::uint8_t, kEqualizerBytes> area) {
  for (std::size_t i = 0; i < kEqualizerValues; ++i)
    SetEqualizer(i, static_cast<std::int32_t>(common::LoadLE32(area.data() + 4 * i)));
}

void PlayerSettings::ClearEqualizerArea() {
  std::fill(words_.begin() + kEqualizerOffset / 4, words_.end(), 0);
}

std::int32_t* PlayerSettings::WordAt(std::size_t byteOffset) {
  if (byteOffset % 4 != 0 || byteOffset >= kSize) return nullptr;
  return &words_[byteOffset / 4];
}

void PlayerSettings::SetFirstStartDefaults() {
  Clear();
  (*this)[SettingsWord::kRepeat] = 1;
  (*this)[SettingsWord::kEqualizerWindowOpen] = 1;
  (*this)[SettingsWord::kPlaylistWindowOpen] = 1;
  (*this)[SettingsWord::kBrowserWindowOpen] = 1;
}

PlayerSettings::Bytes PlayerSettings::Encode() const {
  Bytes out{};
  for (std::size_t i = 0; i < kWords; ++i)
    common::StoreLE32(out.data() + 4 * i, static_cast<std::uint32_t>(words_[i]));
  return out;
}

void PlayerSettings::DecodePrefix(std::span<const std::uint8_t> bytes) {
  const std::size_t whole = std::min(bytes.size(), kSize) / 4;
  for (std::size_t i = 0; i < whole; ++i)
    words_[i] = static_cast<std::int32_t>(common::LoadLE32(bytes.data() + 4 * i));
}

PlayerSettings& ProcessSettings() {
  static PlayerSettings settings;
  return settings;
}

}  // namespace vantu
