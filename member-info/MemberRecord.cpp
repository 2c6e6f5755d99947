#include "member-info/MemberRecord.h"

#include <algorithm>
#include <cstring>

namespace dastrel {
namespace {

constexpr bool SlotsTileTheRecord() {
  std::size_t next = 0;
  for (std::size_t i = 0; i < kRecordSlots.size(); ++i) {
    if (static_cast<std::size_t>(kRecordSlots[i].slot) != i) return false;
    if (kRecordSlots[i].offset != next || kRecordSlots[i].width == 0) return false;
    next += kRecordSlots[i].width;
  }
  return next == kMemberInfoRecordSize;
}
static_assert(SlotsTileTheRecord(), "the slots must cover the record in order, without gaps");

}  // namespace

std::optional<RecordSlot> SlotByName(std::string_view name) {
  for (const SlotLayout& s : kRecordSlots) {
    if (s.name == name) return s.slot;
  }
  return std::nullopt;
}

bool MemberInfoRecord::Assign(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kMemberInfoRecordSize) return false;
  std::copy_n(bytes.begin(), kMemberInfoRecordSize, bytes_.begin());
  return true;
}

std::string_view MemberInfoRecord::SlotText(RecordSlot slot) const {
  const SlotLayout& s = LayoutOf(slot);
  const char* begin = reinterpret_cast<const char*>(bytes_.data() + s.offset);
  const void* nul = std::memchr(begin, 0, s.width);
  const std::size_t length = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - begin) : s.width;
  return {begin, length};
}

bool MemberInfoRecord::SetSlotText(RecordSlot slot, std::string_view text) {
  const SlotLayout& s = LayoutOf(slot);
  if (text.size() > s.width) return false;
  std::uint8_t* at = bytes_.data() + s.offset;
  std::fill_n(at, s.width, std::uint8_t{0});
  std::memcpy(at, text.data(), text.size());
  return true;
}

}  // namespace dastrel
