#include "music-player/EqPresets.h"

#include <gtest/gtest.h>

#include "common/ByteOrder.h"
#include "music-player/tests/CoreTestSupport.h"

namespace vantu {
namespace {

using vantu_test::ReadBytes;
using vantu_test::ScratchFolder;
using vantu_test::WriteBytes;

std::unique_ptr<EqPreset> Preset(const std::string& name, std::uint8_t fill = 0) {
  auto p = std::make_unique<EqPreset>();
  p->name = name;
  p->settings.fill(fill);
  return p;
}

std::string Order(const CEqPresetStore& s) {
  std::string out;
  for (int i = 0; i < s.Count(); ++i) out += s.Get(i)->name + ",";
  return out;
}

TEST(EqPresetNames, OrderCountsADoubleByteCharacterAsOneUnit) {
  EXPECT_LT(CompareAnsiNames("ab", "abc"), 0);
  EXPECT_EQ(CompareAnsiNames("abc", "abc"), 0);
  EXPECT_GT(CompareAnsiNames("b", "a"), 0);
  // 0xB0 0xA1 is one character; it sorts after every single byte.
  EXPECT_GT(CompareAnsiNames("\xB0\xA1", "z"), 0);
  EXPECT_LT(CompareAnsiNames("\xB0\xA1", "\xB0\xA2"), 0);
}

TEST(EqPresets, SortedOnAddReplacedBySameNameAndRemoved) {
  ScratchFolder dir;
  CEqPresetStore s(common::PathFromAnsi(dir.File("EqData.EQL")));
  EXPECT_EQ(s.AddPreset(Preset("b")), CEqPresetStore::AddResult::kAdded);
  EXPECT_EQ(s.AddPreset(Preset("a")), CEqPresetStore::AddResult::kAdded);
  EXPECT_EQ(s.AddPreset(Preset("c")), CEqPresetStore::AddResult::kAdded);
  EXPECT_EQ(Order(s), "a,b,c,");
  EXPECT_EQ(s.AddPreset(Preset("b", 7)), CEqPresetStore::AddResult::kReplaced);
  EXPECT_EQ(s.Count(), 3);
  EXPECT_EQ(s.Get(1)->settings[0], 7);
  EXPECT_EQ(s.AddPreset(Preset("")), CEqPresetStore::AddResult::kBadName);
  EXPECT_EQ(s.AddPreset(Preset(std::string(256, 'x'))), CEqPresetStore::AddResult::kBadName);
  EXPECT_EQ(s.FindPreset("c"), 2);
  EXPECT_EQ(s.FindPreset("d"), -1);
  EXPECT_EQ(s.PresetInsertPosition("bb"), 2);
  s.RemovePreset(0);
  s.RemovePreset(7);
  EXPECT_EQ(Order(s), "b,c,");
}

TEST(EqPresets, AFullStoreRefusesANewNameAndKeepsEveryPreset) {
  ScratchFolder dir;
  CEqPresetStore s(common::PathFromAnsi(dir.File("EqData.EQL")));
  for (int i = 0; i < 199; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "p%03d", i);
    ASSERT_EQ(s.AddPreset(Preset(name)), CEqPresetStore::AddResult::kAdded);
  }
  EXPECT_EQ(s.AddPreset(Preset("a-first")), CEqPresetStore::AddResult::kFull);
  EXPECT_EQ(s.AddPreset(Preset("z-last")), CEqPresetStore::AddResult::kFull);
  EXPECT_EQ(s.Count(), 199);
  EXPECT_EQ(s.Get(198)->name, "p198");
  EXPECT_EQ(s.AddPreset(Preset("p198", 1)), CEqPresetStore::AddResult::kReplaced);
}

TEST(EqPresetFile, RoundTripsAndDamageIsReported) {
  ScratchFolder dir;
  const std::string path = dir.File("EqData.EQL");
  CEqPresetStore s(common::PathFromAnsi(path));
  s.AddPreset(Preset("rock", 1));
  s.AddPreset(Preset("\xC0\xBD\xBE\xC7", 2));
  ASSERT_TRUE(s.WritePresets());
  const auto bytes = ReadBytes(path);
  ASSERT_EQ(bytes.size(), 4 + (4 + 4 + 128) + (4 + 4 + 128));
  CEqPresetStore t(common::PathFromAnsi(path));
  ASSERT_EQ(t.ReadPresets(), CEqPresetStore::ReadResult::kRead);
  EXPECT_EQ(Order(t), "rock,\xC0\xBD\xBE\xC7,");
  EXPECT_EQ(t.Get(1)->settings[127], 2);
  ASSERT_TRUE(t.WritePresets());
  EXPECT_EQ(ReadBytes(path), bytes);

  t.RemovePreset(0);
  t.RemovePreset(0);
  ASSERT_TRUE(t.WritePresets());
  EXPECT_EQ(ReadBytes(path), (std::vector<std::uint8_t>{0, 0, 0, 0}));

  auto withCount = [&](std::uint32_t count, std::vector<std::uint8_t> b) {
    b.resize(std::max<std::size_t>(b.size(), 4));
    common::StoreLE32(b.data(), count);
    WriteBytes(path, b);
    CEqPresetStore u(common::PathFromAnsi(path));
    u.AddPreset(Preset("old"));
    const auto r = u.ReadPresets();
    EXPECT_EQ(u.Count(), 0);
    return r;
  };
  // No file of ours holds 200 presets or a negative count.
  EXPECT_EQ(withCount(200, bytes), CEqPresetStore::ReadResult::kDamaged);
  EXPECT_EQ(withCount(0xFFFFFFFFu, bytes), CEqPresetStore::ReadResult::kDamaged);
  EXPECT_EQ(withCount(199, bytes), CEqPresetStore::ReadResult::kDamaged);  // 199 claimed, 2 there
  EXPECT_EQ(withCount(3, bytes), CEqPresetStore::ReadResult::kDamaged);  // ends early
  auto longName = bytes;
  common::StoreLE32(longName.data() + 4, 300);
  EXPECT_EQ(withCount(2, longName), CEqPresetStore::ReadResult::kDamaged);
  std::filesystem::remove(path);
  CEqPresetStore missing(common::PathFromAnsi(path));
  EXPECT_EQ(missing.ReadPresets(), CEqPresetStore::ReadResult::kCannotOpen);
}

}  // namespace
}  // namespace vantu
