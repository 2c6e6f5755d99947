#include "member-info/MemberRecord.h"

#include <gtest/gtest.h>

#include <vector>

namespace dastrel {
namespace {

TEST(MemberInfoRecord, SlotTextStopsAtNulOrAtTheSlotWidth) {
  MemberInfoRecord record;
  ASSERT_TRUE(record.SetSlotText(RecordSlot::kID, "teska01"));
  ASSERT_TRUE(record.SetSlotText(RecordSlot::kUseTeskaMail, "YN"));  // full width, no NUL
  ASSERT_TRUE(record.SetSlotText(RecordSlot::kMailAddress, "next@slot"));
  EXPECT_EQ(record.SlotText(RecordSlot::kID), "teska01");
  EXPECT_EQ(record.SlotText(RecordSlot::kUseTeskaMail), "YN") << "must not run into the next slot";
  EXPECT_EQ(record.SlotText(RecordSlot::kMailAddress), "next@slot");
  EXPECT_EQ(record.SlotText(RecordSlot::kJob), "");
  EXPECT_FALSE(record.SetSlotText(RecordSlot::kUseTeskaMail, "YNY"));
  EXPECT_EQ(record.SlotText(RecordSlot::kUseTeskaMail), "YN");
}

TEST(MemberInfoRecord, LastSlotAtFullWidthEndsAtTheRecord) {
  std::vector<std::uint8_t> bytes(kMemberInfoRecordSize + 10, 'x');
  MemberInfoRecord record;
  ASSERT_TRUE(record.Assign(bytes));
  EXPECT_EQ(record.SlotText(RecordSlot::kEmpType), "xxxxxx");
  EXPECT_EQ(record.SlotText(RecordSlot::kAddress).size(), 101u);
  EXPECT_FALSE(record.Assign(std::span(bytes).first(kMemberInfoRecordSize - 1)));
}

TEST(MemberInfoRecord, SlotsAreFoundByTheirNames) {
  EXPECT_EQ(SlotByName("SchoolCareer"), RecordSlot::kSchoolCareer);
  EXPECT_EQ(LayoutOf(RecordSlot::kPoid).offset, 403u);
  EXPECT_FALSE(SlotByName("Cookie").has_value());
}

}  // namespace
}  // namespace dastrel
