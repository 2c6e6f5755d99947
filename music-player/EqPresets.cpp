#include "music-player/EqPresets.h"

#include <algorithm>
#include <cstring>

#include "common/ByteOrder.h"
#include "common/TextCodec.h"

namespace vantu {

int CompareAnsiNames(const std::string& a, const std::string& b) {
  auto unit = [](const std::string& s, std::size_t& i) {
    const unsigned lead = static_cast<std::uint8_t>(s[i]);
    if (common::Cp949CharLength(s, i) != 2) return ++i, lead;
    const unsigned trail = static_cast<std::uint8_t>(s[i + 1]);
    i += 2;
    return (lead << 8) | trail;
  };
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const unsigned x = unit(a, i), y = unit(b, j);
    if (x != y) return x < y ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

namespace eq_file {

ReadResult Parse(std::span<const std::uint8_t> bytes) {
  ReadResult out;
  std::uint32_t raw = 0;
  if (!common::ReadLE32(bytes, 0, raw)) {
    out.damaged = true;
    return out;
  }
  const std::int32_t count = static_cast<std::int32_t>(raw);
  if (count < 0 || count > kMaxPresets) {  // no file of ours holds that many
    out.damaged = true;
    return out;
  }
  std::size_t at = 4;
  for (std::int32_t i = 0; i < count; ++i) {
    std::uint32_t n = 0;
    if (!common::ReadLE32(bytes, at, n) || n > kMaxNameBytes ||
        !common::Fits(bytes.size(), at + 4, std::size_t{n} + PlayerSettings::kEqualizerBytes)) {
      out.damaged = true;
      out.presets.clear();
      return out;
    }
    EqPreset p;
    p.name.assign(reinterpret_cast<const char*>(bytes.data() + at + 4), n);
    std::memcpy(p.settings.data(), bytes.data() + at + 4 + n, p.settings.size());
    at += 4 + n + PlayerSettings::kEqualizerBytes;
    out.presets.push_back(std::move(p));
  }
  return out;
}

std::vector<std::uint8_t> Encode(const std::vector<std::unique_ptr<EqPreset>>& presets) {
  std::vector<std::uint8_t> out(4);
  common::StoreLE32(out.data(), static_cast<std::uint32_t>(presets.size()));
  for (const auto& p : presets) {
    const std::size_t at = out.size();
    out.resize(at + 4 + p->name.size() + p->settings.size());
    common::StoreLE32(out.data() + at, static_cast<std::uint32_t>(p->name.size()));
    std::memcpy(out.data() + at + 4, p->name.data(), p->name.size());
    std::memcpy(out.data() + at + 4 + p->name.size(), p->settings.data(), p->settings.size());
  }
  return out;
}

}  // namespace eq_file

CEqPresetStore::ReadResult CEqPresetStore::ReadPresets() {
  presets_.clear();
  ++revision_;
  auto file = common::File::OpenFile(filePath_, common::File::Open::kRead);
  if (!file) return ReadResult::kCannotOpen;
  auto size = file->Size();
  if (!size) return ReadResult::kCannotOpen;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<std::uint64_t>(*size, eq_file::kMaxReadBytes)));
  auto got = file->ReadFull(bytes);
  if (!got || *got != bytes.size()) return ReadResult::kCannotOpen;
  auto parsed = eq_file::Parse(bytes);
  if (parsed.damaged) return ReadResult::kDamaged;
  for (auto& p : parsed.presets) presets_.push_back(std::make_unique<EqPreset>(std::move(p)));
  return ReadResult::kRead;
}

bool CEqPresetStore::WritePresets() const {
  return common::WriteFileAtomically(filePath_, eq_file::Encode(presets_)).ok();
}

int CEqPresetStore::FindPreset(const std::string& name) const {
  for (int i = 0; i < Count(); ++i)
    if (CompareAnsiNames(presets_[static_cast<std::size_t>(i)]->name, name) == 0) return i;
  return -1;
}

int CEqPresetStore::PresetInsertPosition(const std::string& name) const {
  for (int i = 0; i < Count(); ++i)
    if (CompareAnsiNames(presets_[static_cast<std::size_t>(i)]->name, name) > 0) return i;
  return Count();
}

CEqPresetStore::AddResult CEqPresetStore::AddPreset(std::unique_ptr<EqPreset> preset) {
  if (!preset || preset->name.empty() || preset->name.size() > eq_file::kMaxNameBytes) return AddResult::kBadName;
  const int existing = FindPreset(preset->name);
  ++revision_;
  if (existing >= 0) {
    presets_[static_cast<std::size_t>(existing)] = std::move(preset);
    return AddResult::kReplaced;
  }
  if (Count() >= kMaxPresets) {
    --revision_;
    return AddResult::kFull;
  }
  const int at = PresetInsertPosition(preset->name);
  presets_.insert(presets_.begin() + at, std::move(preset));
  return AddResult::kAdded;
}

void CEqPresetStore::RemovePreset(int index) {
  if (index < 0 || index >= Count()) return;
  presets_.erase(presets_.begin() + index);
  ++revision_;
}

}  // namespace vantu
