// MemberInfoRecord: the 450-byte member record of a 'D' reply, twenty fixed
// slots of code page 949 text. A slot's text runs up to its first NUL; a slot
// filled to its full width has no NUL and is taken whole.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace dastrel {

// The slots in record order.
enum class RecordSlot : std::uint8_t {
  kID,
  kUseTeskaMail,
  kMailAddress,
  kProductCode,
  kMotherID,
  kTelNoHome,
  kTelNoMobile,
  kAddress,
  kJob,
  kHobby,
  kMainAccessMethod,
  kMainAccessISP,
  kWeddingDate,
  kOfficeName,
  kSchoolCareer,
  kRecommendID,
  kInfoOpenFlag,
  kPoid,
  kVerifiedFlag,
  kEmpType,
};
inline constexpr std::size_t kRecordSlotCount = 20;

struct SlotLayout {
  RecordSlot slot;
  std::string_view name;  // the member's name, also the key in the fake server's data file
  std::size_t offset;
  std::size_t width;
};

inline constexpr std::array<SlotLayout, kRecordSlotCount> kRecordSlots = {{
    {RecordSlot::kID, "ID", 0, 31},
    {RecordSlot::kUseTeskaMail, "UseTeskaMail", 31, 2},
    {RecordSlot::kMailAddress, "MailAddress", 33, 61},
    {RecordSlot::kProductCode, "ProductCode", 94, 11},
    {RecordSlot::kMotherID, "MotherID", 105, 31},
    {RecordSlot::kTelNoHome, "TelNoHome", 136, 17},
    {RecordSlot::kTelNoMobile, "TelNoMobile", 153, 17},
    {RecordSlot::kAddress, "Address", 170, 101},
    {RecordSlot::kJob, "Job", 271, 3},
    {RecordSlot::kHobby, "Hobby", 274, 26},
    {RecordSlot::kMainAccessMethod, "MainAccessMethod", 300, 3},
    {RecordSlot::kMainAccessISP, "MainAccessISP", 303, 3},
    {RecordSlot::kWeddingDate, "WeddingDate", 306, 9},
    {RecordSlot::kOfficeName, "OfficeName", 315, 51},
    {RecordSlot::kSchoolCareer, "SchoolCareer", 366, 3},
    {RecordSlot::kRecommendID, "RecommendID", 369, 31},
    {RecordSlot::kInfoOpenFlag, "InfoOpenFlag", 400, 3},
    {RecordSlot::kPoid, "Poid", 403, 39},
    {RecordSlot::kVerifiedFlag, "VerifiedFlag", 442, 2},
    {RecordSlot::kEmpType, "EmpType", 444, 6},
}};

inline constexpr std::size_t kMemberInfoRecordSize = 450;

constexpr const SlotLayout& LayoutOf(RecordSlot slot) {
  return kRecordSlots[static_cast<std::size_t>(slot)];
}

// The slot whose name is `name`, as the data files of the tests spell it.
std::optional<RecordSlot> SlotByName(std::string_view name);

class MemberInfoRecord {
 public:
  using Bytes = std::array<std::uint8_t, kMemberInfoRecordSize>;

  MemberInfoRecord() = default;
  // The first kMemberInfoRecordSize bytes of `bytes`; false when there are fewer.
  bool Assign(std::span<const std::uint8_t> bytes);

  std::string_view SlotText(RecordSlot slot) const;
  // False (and the slot untouched) when the text is wider than the slot.
  bool SetSlotText(RecordSlot slot, std::string_view text);

  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_{};
};

}  // namespace dastrel
