#include "player-link/SimulatedPlayer.h"

#include <gtest/gtest.h>

#include <numeric>

#include "common/ByteOrder.h"
#include "player-link/Link.h"

namespace playerlink::sim {
namespace {

std::vector<std::uint8_t> Bytes(std::size_t n, unsigned seed = 1) {
  std::vector<std::uint8_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>((i * 31 + seed * 7) % 253);
  return v;
}

class SimulatedPlayerTest : public ::testing::Test {
 protected:
  SimulatedPlayerTest() : player(std::make_shared<SimulatedPlayer>()), driver(player), link(driver) {
    EXPECT_TRUE(link.Open().all());
  }

  CommandAnswer Cmd(CommandCode code, std::uint32_t arg, std::uint8_t mode = kMode4,
                    std::uint8_t base = kInternalMemoryBase) {
    return link.Command(base, code, arg, mode);
  }

  // Writes a file the way a PC does; false when any step fails.
  bool WriteFile(std::u16string_view name, const std::vector<std::uint8_t>& data,
                 std::uint8_t base = kInternalMemoryBase) {
    const auto blocks = static_cast<std::uint32_t>(FileBlockCount(data.size()));
    if (Cmd(CommandCode::kBeginWrite, blocks, kMode4, base).result <= data.size()) return false;
    Block b = BuildFileHeader(static_cast<std::uint32_t>(data.size()), name, NameEnd::kZeroUnit);
    if (!link.WriteBlock(b)) return false;
    for (std::size_t at = 0; at < data.size(); at += kBlockSize) {
      b.fill(0);
      std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(at), std::min(kBlockSize, data.size() - at), b.begin());
      if (!link.WriteBlock(b)) return false;
    }
    return true;
  }

  bool Select(std::uint8_t entry, std::uint8_t base = kInternalMemoryBase) {
    return Cmd(CommandCode::kEntryBlock, 1, kMode4, base).ok() && link.WriteBlock(BuildSelectionBlock(entry));
  }

  // Reads the selected entry whole: its header's name and its bytes.
  std::optional<std::pair<std::u16string, std::vector<std::uint8_t>>> ReadSelected() {
    Block b;
    if (!Cmd(CommandCode::kReadEntry, 1).ok() || !link.ReadBlock(b)) return std::nullopt;
    const auto h = ParseFileHeader(b);
    if (!h) return std::nullopt;
    const auto blocks = static_cast<std::uint32_t>(FileBlockCount(h->size));
    if (!Cmd(CommandCode::kReadEntry, blocks).ok() || !link.ReadBlock(b)) return std::nullopt;
    std::vector<std::uint8_t> data;
    for (std::uint32_t i = 1; i < blocks; ++i) {
      if (!link.ReadBlock(b)) return std::nullopt;
      data.insert(data.end(), b.begin(), b.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(
                                                         kBlockSize, h->size - data.size())));
    }
    return std::pair{h->name, data};
  }

  std::vector<std::u16string> Names(MediumId m = MediumId::kInternal) {
    std::vector<std::u16string> names;
    for (const auto& e : player->Entries(m)) names.emplace_back(FileNamePart(ParseFileHeader(e.header)->name));
    return names;
  }

  // The directory as a reader sees it: the information block, then names.
  std::vector<std::u16string> Directory(std::uint8_t base = kInternalMemoryBase) {
    const auto info = Cmd(CommandCode::kDirectoryInfo, 0, kMode8, base);
    std::vector<std::u16string> names;
    if (!info.ok() || !Cmd(CommandCode::kReadDirectory, info.count, kMode4, base).ok()) return names;
    Block b;
    if (!link.ReadBlock(b)) return names;
    for (unsigned i = 1; i < info.count; ++i) {
      if (!link.ReadBlock(b)) break;
      const auto h = ParseFileHeader(b);
      if (!h) break;
      names.push_back(h->name);
    }
    return names;
  }

  std::shared_ptr<SimulatedPlayer> player;
  SimulatedDriver driver;
  Link link;
};

TEST_F(SimulatedPlayerTest, WriteListReadBack) {
  const auto data = Bytes(40000);
  ASSERT_TRUE(WriteFile(u"C:\\music\\one.mp3", data));
  ASSERT_TRUE(WriteFile(u"C:\\music\\empty.mp3", {}));
  EXPECT_EQ(Directory(), (std::vector<std::u16string>{u"C:\\music\\one.mp3", u"C:\\music\\empty.mp3"}));
  ASSERT_TRUE(Select(1));
  const auto back = ReadSelected();
  ASSERT_TRUE(back);
  EXPECT_EQ(back->first, u"C:\\music\\one.mp3");
  EXPECT_EQ(back->second, data);
  ASSERT_TRUE(Select(2));
  EXPECT_EQ(ReadSelected()->second.size(), 0u);
}

TEST_F(SimulatedPlayerTest, InformationBlockAndCounts) {
  const auto info = Cmd(CommandCode::kDirectoryInfo, 0, kMode8);
  EXPECT_TRUE(info.ok());
  EXPECT_EQ(info.count, 1);
  ASSERT_TRUE(Cmd(CommandCode::kReadDirectory, 1).ok());
  Block b;
  ASSERT_TRUE(link.ReadBlock(b));
  EXPECT_EQ(ParseInfoBlock(b)->identifier, player->identifier());
  EXPECT_FALSE(link.ReadBlock(b));  // nothing more was announced
  // Code 6 needs the 8-byte answer to carry its count.
  EXPECT_FALSE(Cmd(CommandCode::kDirectoryInfo, 0, kMode4).ok());
}

TEST_F(SimulatedPlayerTest, SameFileNameReplacesInPlace) {
  ASSERT_TRUE(WriteFile(u"C:\\a\\x.mp3", Bytes(10, 1)));
  ASSERT_TRUE(WriteFile(u"C:\\a\\y.mp3", Bytes(10, 2)));
  ASSERT_TRUE(WriteFile(u"D:\\other\\x.mp3", Bytes(20000, 3)));
  EXPECT_EQ(Names(), (std::vector<std::u16string>{u"x.mp3", u"y.mp3"}));
  EXPECT_EQ(*player->EntryData(MediumId::kInternal, 0), Bytes(20000, 3));
  // Another letter case is another name.
  ASSERT_TRUE(WriteFile(u"C:\\a\\X.mp3", Bytes(5)));
  EXPECT_EQ(Names().size(), 3u);
}

TEST_F(SimulatedPlayerTest, DeleteClosesTheGap) {
  for (auto n : {u"1.mp3", u"2.mp3", u"3.mp3"}) ASSERT_TRUE(WriteFile(n, Bytes(3)));
  ASSERT_TRUE(Select(2));
  EXPECT_TRUE(Cmd(CommandCode::kDelete, 1).ok());
  EXPECT_EQ(Names(), (std::vector<std::u16string>{u"1.mp3", u"3.mp3"}));
  // The selection ends with the delete; entry 2 is now the former third.
  EXPECT_FALSE(Cmd(CommandCode::kDelete, 0).ok());
  ASSERT_TRUE(Select(2));
  EXPECT_TRUE(Cmd(CommandCode::kDelete, 0).ok());
  EXPECT_EQ(Names(), (std::vector<std::u16string>{u"1.mp3"}));
  ASSERT_TRUE(Select(5));  // no such entry: selects nothing
  EXPECT_FALSE(Cmd(CommandCode::kDelete, 1).ok());
}

TEST_F(SimulatedPlayerTest, ReorderTakesOnlyPermutations) {
  for (auto n : {u"1", u"2", u"3", u"4", u"5", u"6"}) ASSERT_TRUE(WriteFile(n, Bytes(1)));
  const std::uint8_t order[] = {1, 5, 2, 3, 4, 6};
  ASSERT_TRUE(Cmd(CommandCode::kEntryBlock, 1).ok());
  ASSERT_TRUE(link.WriteBlock(*BuildOrderBlock(order)));
  EXPECT_EQ(Names(), (std::vector<std::u16string>{u"1", u"5", u"2", u"3", u"4", u"6"}));
  const std::uint8_t twice[] = {1, 1, 2, 3, 4, 5};
  ASSERT_TRUE(Cmd(CommandCode::kEntryBlock, 1).ok());
  ASSERT_TRUE(link.WriteBlock(*BuildOrderBlock(twice)));
  const std::uint8_t short_[] = {2, 1};
  ASSERT_TRUE(Cmd(CommandCode::kEntryBlock, 1).ok());
  ASSERT_TRUE(link.WriteBlock(*BuildOrderBlock(short_)));
  EXPECT_EQ(Names(), (std::vector<std::u16string>{u"1", u"5", u"2", u"3", u"4", u"6"}));
}

TEST_F(SimulatedPlayerTest, CardMediumEraseAllAndFormat) {
  ASSERT_TRUE(WriteFile(u"card.mp3", Bytes(100), kCardBase));
  ASSERT_TRUE(WriteFile(u"int.mp3", Bytes(100)));
  EXPECT_EQ(Names(MediumId::kCard).size(), 1u);
  EXPECT_TRUE(Cmd(CommandCode::kEraseAll, 0, kMode4, kCardBase).ok());
  EXPECT_TRUE(Names(MediumId::kCard).empty());
  EXPECT_EQ(Names().size(), 1u);

  player->SetMedium(MediumId::kCard, {true, false, 1u << 20});
  EXPECT_EQ(Cmd(CommandCode::kDirectoryInfo, 0, kMode8, kCardBase).count, kCountUnformattedMedium);
  EXPECT_FALSE(Cmd(CommandCode::kReadDirectory, 1, kMode4, kCardBase).ok());
  EXPECT_FALSE(Cmd(CommandCode::kBeginWrite, 2, kMode4, kCardBase).ok());
  EXPECT_TRUE(Cmd(CommandCode::kFormat, 0, kMode4, kCardBase).ok());
  EXPECT_EQ(Cmd(CommandCode::kDirectoryInfo, 0, kMode8, kCardBase).count, 1);

  player->SetMedium(MediumId::kCard, {false, true, 1u << 20});
  EXPECT_FALSE(Cmd(CommandCode::kTotalMemory, 0, kMode4, kCardBase).ok());
  EXPECT_FALSE(Cmd(CommandCode::kDirectoryInfo, 0, kMode8, kCardBase).ok());
  EXPECT_TRUE(Cmd(CommandCode::kTotalMemory, 0).ok());
}

TEST_F(SimulatedPlayerTest, CardTakenOutAnswersNothingAndComesBackWithItsFiles) {
  ASSERT_TRUE(WriteFile(u"card.mp3", Bytes(100), kCardBase));
  player->SetMedium(MediumId::kCard, {false, true, 64u << 20});
  for (std::uint8_t code = 0; code <= kHighestCommandCode; ++code) {
    const std::uint8_t mode = code == 6 ? kMode8 : kMode4;
    EXPECT_EQ(link.Command(static_cast<std::uint8_t>(kCardBase + code), 1, mode).result, 0u) << int(code);
  }
  EXPECT_TRUE(Cmd(CommandCode::kDirectoryInfo, 0, kMode8).ok());  // the built-in memory still answers
  player->SetMedium(MediumId::kCard, {true, true, 64u << 20});
  EXPECT_EQ(Directory(kCardBase), std::vector<std::u16string>{u"card.mp3"});
}

TEST_F(SimulatedPlayerTest, FullMediumAnswersTheFullCountToTheStateQuery) {
  player->SetMedium(MediumId::kInternal, {true, true, 5 * kBlockSize});
  ASSERT_TRUE(WriteFile(u"a", Bytes(kBlockSize + 1)));  // 3 of 5 blocks: a 2-block file still fits
  EXPECT_EQ(Cmd(CommandCode::kTotalMemory, 0).result, 5 * kBlockSize);
  ASSERT_TRUE(WriteFile(u"b", Bytes(1)));
  EXPECT_EQ(Cmd(CommandCode::kTotalMemory, 0).result, kAnswerMediumFull);
  EXPECT_EQ(Cmd(CommandCode::kFreeMemory, 0).result, kAnswerNoFreeSpace);
  // Freeing one entry makes room again.
  ASSERT_TRUE(Select(2));
  ASSERT_TRUE(Cmd(CommandCode::kDelete, 0).ok());
  EXPECT_EQ(Cmd(CommandCode::kTotalMemory, 0).result, 5 * kBlockSize);
  // The card keeps its own count.
  EXPECT_EQ(Cmd(CommandCode::kTotalMemory, 0, kMode4, kCardBase).result, 64u << 20);
}

TEST_F(SimulatedPlayerTest, ProbeOfAnEmptyMediumGivesOneUntaggedBlock) {
  // The transfer manager's probe: select entry 1, then ask for one block.
  ASSERT_TRUE(Cmd(CommandCode::kEntryBlock, 1).ok());
  ASSERT_TRUE(link.WriteBlock(BuildSelectionBlock(1)));
  ASSERT_TRUE(Cmd(CommandCode::kReadEntry, 1).ok());
  Block b;
  ASSERT_TRUE(link.ReadBlock(b));
  EXPECT_FALSE(HasHeaderTag(b));
  EXPECT_FALSE(link.ReadBlock(b));  // one block only
  // With an entry there the same probe is tagged.
  ASSERT_TRUE(WriteFile(u"C:\\x.mp3", Bytes(10)));
  ASSERT_TRUE(Select(1));
  ASSERT_TRUE(Cmd(CommandCode::kReadEntry, 1).ok());
  ASSERT_TRUE(link.ReadBlock(b));
  EXPECT_TRUE(HasHeaderTag(b));
}

TEST_F(SimulatedPlayerTest, InformationBlockCarriesFirmwareAndModel) {
  PlayerSettings settings;
  settings.identifier = 0x01020304;
  settings.firmwareTimesTen = 12;
  settings.modelLow = 0x10;
  settings.modelHigh = 0xF0;
  driver.Attach(std::make_shared<SimulatedPlayer>(settings));
  link.Close();
  Link l(driver);
  ASSERT_TRUE(l.Open().all());
  ASSERT_TRUE(l.Command(kCardBase, CommandCode::kReadDirectory, 1, kMode4).ok());
  Block b;
  ASSERT_TRUE(l.ReadBlock(b));
  EXPECT_EQ(common::LoadLE32(&b[0]), 0x01020304u);
  EXPECT_EQ(common::LoadLE16(&b[4]), 12u);
  EXPECT_EQ(b[8], 0x10);
  EXPECT_EQ(b[9], 0xF0);
  EXPECT_EQ(ModelCodeText(*ParseInfoBlock(b)), "F010");
}

TEST_F(SimulatedPlayerTest, NewCommandDiscardsUnreadInPipeBlocks) {
  ASSERT_TRUE(WriteFile(u"a.mp3", Bytes(40000, 1)));
  ASSERT_TRUE(WriteFile(u"b.mp3", Bytes(40000, 2)));
  ASSERT_TRUE(Cmd(CommandCode::kReadDirectory, 3).ok());
  Block b;
  ASSERT_TRUE(link.ReadBlock(b));  // the information block; two entry blocks wait
  EXPECT_TRUE(Cmd(CommandCode::kTotalMemory, 0).ok());
  EXPECT_FALSE(link.ReadBlock(b));  // gone with the new command
  // A file read cut short: the next read command starts from its header.
  ASSERT_TRUE(Select(2));
  ASSERT_TRUE(Cmd(CommandCode::kReadEntry, 4).ok());
  ASSERT_TRUE(link.ReadBlock(b));
  ASSERT_TRUE(link.ReadBlock(b));
  ASSERT_TRUE(Cmd(CommandCode::kReadEntry, 4).ok());
  ASSERT_TRUE(link.ReadBlock(b));
  EXPECT_EQ(ParseFileHeader(b)->name, u"b.mp3");
  ASSERT_TRUE(link.ReadBlock(b));
  const auto data = Bytes(40000, 2);
  EXPECT_TRUE(std::equal(data.begin(), data.begin() + kBlockSize, b.begin()));
}

TEST_F(SimulatedPlayerTest, MemoryAccountingInBlocks) {
  player->SetMedium(MediumId::kInternal, {true, true, 5 * kBlockSize});
  EXPECT_EQ(Cmd(CommandCode::kTotalMemory, 0).result, 5 * kBlockSize);
  ASSERT_TRUE(WriteFile(u"a", Bytes(kBlockSize + 1)));  // 3 blocks
  EXPECT_EQ(Cmd(CommandCode::kFreeMemory, 0).result, 2 * kBlockSize);
  EXPECT_FALSE(Cmd(CommandCode::kBeginWrite, 3).ok());  // does not fit
  ASSERT_TRUE(WriteFile(u"b", Bytes(kBlockSize)));
  EXPECT_EQ(Cmd(CommandCode::kFreeMemory, 0).result, kAnswerNoFreeSpace);
}

TEST_F(SimulatedPlayerTest, MalformedWritesAreNotStored) {
  // Header announces a size that does not match the block count.
  ASSERT_TRUE(Cmd(CommandCode::kBeginWrite, 2).ok());
  ASSERT_TRUE(link.WriteBlock(BuildFileHeader(40000, u"wrong", NameEnd::kZeroUnit)));
  ASSERT_TRUE(link.WriteBlock(Block{}));
  // A header without the tag.
  ASSERT_TRUE(Cmd(CommandCode::kBeginWrite, 1).ok());
  Block untagged = BuildFileHeader(0, u"untagged", NameEnd::kZeroUnit);
  untagged[header::kTag] = 'x';
  ASSERT_TRUE(link.WriteBlock(untagged));
  // A write cut off by the next command.
  ASSERT_TRUE(Cmd(CommandCode::kBeginWrite, 3).ok());
  ASSERT_TRUE(link.WriteBlock(BuildFileHeader(20000, u"cut", NameEnd::kZeroUnit)));
  EXPECT_TRUE(Cmd(CommandCode::kTotalMemory, 0).ok());
  EXPECT_FALSE(link.WriteBlock(Block{}));  // nothing takes a block now
  EXPECT_TRUE(Names().empty());
}

TEST_F(SimulatedPlayerTest, ReadWithoutSelectionGivesErasedBlocks) {
  ASSERT_TRUE(Cmd(CommandCode::kReadEntry, 1).ok());
  Block b;
  ASSERT_TRUE(link.ReadBlock(b));
  EXPECT_FALSE(HasHeaderTag(b));
  EXPECT_EQ(b[0], 0xFF);
  EXPECT_EQ(b[3], 0xFF);
}

TEST_F(SimulatedPlayerTest, RequestsOfTheWrongShapeFailTheCall) {
  DeviceCommand c = EncodeCommand({0x85, 0, kMode8});
  auto session = driver.NewSession();
  ASSERT_TRUE(session->Open(Device::kControl));
  EXPECT_FALSE(session->Control(std::span(c).first(7), 7));  // mode 8 wants 8 answer bytes
  EXPECT_FALSE(session->Control(c, 6));
  EXPECT_TRUE(session->Control(c, 7));
  Block b{};
  EXPECT_FALSE(session->Write(b));  // the out pipe is not open in this session
}

TEST_F(SimulatedPlayerTest, EventsRecordTheRequests) {
  (void)player->TakeEvents();
  Cmd(CommandCode::kFreeMemory, 0);
  ASSERT_TRUE(Select(4));
  const auto events = player->TakeEvents();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].request.commandByte, 0x8E);
  EXPECT_EQ(events[1].request.commandByte, 0x8A);
  EXPECT_EQ(events[1].request.argument, 1u);
  EXPECT_EQ(events[2].kind, Event::Kind::kWrite);
  EXPECT_EQ(events[2].firstByte, entryblock::kSelect);
}

TEST_F(SimulatedPlayerTest, StateBelongsToTheDeviceNotTheSession) {
  ASSERT_TRUE(WriteFile(u"shared.mp3", Bytes(10)));
  ASSERT_TRUE(Select(1));
  // A second process's driver on the same player.
  SimulatedDriver otherDriver(player);
  Link other(otherDriver);
  ASSERT_TRUE(other.Open().all());
  EXPECT_TRUE(other.Command(kInternalMemoryBase, CommandCode::kDelete, 1, kMode4).ok());
  EXPECT_TRUE(Names().empty());
}

// Faults.

TEST_F(SimulatedPlayerTest, FaultFailedOpens) {
  Faults f;
  f.failOpen[static_cast<std::size_t>(Device::kOutPipe)] = true;
  player->SetFaults(f);
  link.Close();
  Link l(driver);
  const auto opened = l.Open();
  EXPECT_TRUE(opened.control);
  EXPECT_TRUE(opened.inPipe);
  EXPECT_FALSE(opened.outPipe);
  EXPECT_FALSE(l.WriteBlock(Block{}));
  f.failOpen[static_cast<std::size_t>(Device::kControl)] = true;
  player->SetFaults(f);
  EXPECT_FALSE(l.Open().control);
  driver.Detach();
  player->SetFaults({});
  EXPECT_FALSE(l.Open().control);
}

TEST_F(SimulatedPlayerTest, FaultCommandAnswers) {
  Faults f;
  f.commands.push_back({9, std::nullopt, true, {}, 1});                        // the call fails once
  f.commands.push_back({0, kCardBase, false, {kAnswerMediumFull, 0}, -1});   // a chosen answer
  f.commands.push_back({6, std::nullopt, false, {1, kCountUnformattedMedium}, 1});
  player->SetFaults(f);
  EXPECT_FALSE(Cmd(CommandCode::kFreeMemory, 0).ok());
  EXPECT_TRUE(Cmd(CommandCode::kFreeMemory, 0).ok());
  EXPECT_EQ(Cmd(CommandCode::kTotalMemory, 0, kMode4, kCardBase).result, kAnswerMediumFull);
  EXPECT_NE(Cmd(CommandCode::kTotalMemory, 0).result, kAnswerMediumFull);
  EXPECT_EQ(Cmd(CommandCode::kDirectoryInfo, 0, kMode8).count, kCountUnformattedMedium);
  EXPECT_EQ(Cmd(CommandCode::kDirectoryInfo, 0, kMode8).count, 1);
}

TEST_F(SimulatedPlayerTest, FaultShortBlocks) {
  ASSERT_TRUE(WriteFile(u"a.mp3", Bytes(40000)));
  Faults f;
  f.shortBlocks.push_back({true, 3, std::uint8_t{2}, 100, -1});
  f.shortBlocks.push_back({false, 2, std::uint8_t{1}, 0, -1});
  player->SetFaults(f);
  ASSERT_TRUE(Select(1));
  ASSERT_TRUE(Cmd(CommandCode::kReadEntry, 4).ok());
  Block b;
  EXPECT_TRUE(link.ReadBlock(b));
  EXPECT_TRUE(link.ReadBlock(b));
  EXPECT_FALSE(link.ReadBlock(b));
  EXPECT_EQ(link.lastTransferred(), 100u);
  EXPECT_FALSE(WriteFile(u"b.mp3", Bytes(40000)));
  EXPECT_EQ(link.lastTransferred(), 0u);
  EXPECT_EQ(Names(), std::vector<std::u16string>{u"a.mp3"});
}

TEST_F(SimulatedPlayerTest, FaultUnplugDuringAReadAndBackAfterSomeCalls) {
  ASSERT_TRUE(WriteFile(u"a.mp3", Bytes(40000)));
  Faults f;
  f.unplugs.push_back({2, std::uint8_t{2}, 3, 1});  // second block of a read, away for 3 calls
  player->SetFaults(f);
  ASSERT_TRUE(Select(1));
  ASSERT_TRUE(Cmd(CommandCode::kReadEntry, 4).ok());
  Block b;
  EXPECT_TRUE(link.ReadBlock(b));
  EXPECT_FALSE(link.ReadBlock(b));
  EXPECT_EQ(link.lastTransferred(), 0u);
  // Three calls fail, whatever they are; the pending read is gone.
  EXPECT_FALSE(link.ReadBlock(b));
  EXPECT_FALSE(Cmd(CommandCode::kTotalMemory, 0).ok());
  SimulatedDriver otherDriver(player);
  Link other(otherDriver);
  EXPECT_FALSE(other.Open().control);
  // Back, with its entry; the fault was used once.
  EXPECT_TRUE(Cmd(CommandCode::kTotalMemory, 0).ok());
  ASSERT_TRUE(Select(1));
  ASSERT_TRUE(Cmd(CommandCode::kReadEntry, 4).ok());
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(link.ReadBlock(b));
  EXPECT_EQ(Names(), std::vector<std::u16string>{u"a.mp3"});
}

TEST_F(SimulatedPlayerTest, FaultUnplugForGoodUntilNewFaults) {
  ASSERT_TRUE(WriteFile(u"a.mp3", Bytes(100)));
  Faults f;
  f.unplugs.push_back({1, std::nullopt, -1, 1});
  player->SetFaults(f);
  ASSERT_TRUE(Select(1));
  ASSERT_TRUE(Cmd(CommandCode::kReadEntry, 2).ok());
  Block b;
  EXPECT_FALSE(link.ReadBlock(b));
  for (int i = 0; i < 50; ++i) EXPECT_FALSE(Cmd(CommandCode::kTotalMemory, 0).ok());
  player->SetFaults({});
  EXPECT_TRUE(Cmd(CommandCode::kTotalMemory, 0).ok());
}

TEST_F(SimulatedPlayerTest, FaultBadTagEndsTheDirectory) {
  for (auto n : {u"1", u"2", u"3"}) ASSERT_TRUE(WriteFile(n, Bytes(1)));
  Faults f;
  f.badTagAtDirectoryBlock = 3;  // the second file
  player->SetFaults(f);
  EXPECT_EQ(Directory(), std::vector<std::u16string>{u"1"});
}

TEST_F(SimulatedPlayerTest, FaultMoreThan255Entries) {
  for (int i = 0; i < 300; ++i) {
    ASSERT_TRUE(player->Store(MediumId::kInternal, u"f" + std::u16string(1, char16_t(u'0' + i % 10)) +
                                                       std::u16string(i / 10 + 1, u'x'),
                              Bytes(1)));
  }
  EXPECT_EQ(Cmd(CommandCode::kDirectoryInfo, 0, kMode8).count, 301);
  EXPECT_EQ(Directory().size(), 300u);
}

TEST_F(SimulatedPlayerTest, FaultOddAndOversizedNameLengths) {
  Block odd = BuildFileHeader(3, u"odd.mp3", NameEnd::kNone);
  odd[header::kNameLength] = 5;
  ASSERT_TRUE(player->StoreWithHeader(MediumId::kInternal, odd, Bytes(3)));
  Block huge = BuildFileHeader(0, u"huge", NameEnd::kNone);
  huge[header::kNameLength] = 0xFF;
  huge[header::kNameLength + 1] = 0xFF;
  ASSERT_TRUE(player->StoreWithHeader(MediumId::kInternal, huge, {}));
  const auto dir = Directory();
  ASSERT_EQ(dir.size(), 2u);
  EXPECT_EQ(dir[0], u"od");
  EXPECT_EQ(dir[1].substr(0, 4), u"huge");
  EXPECT_EQ(dir[1].size(), (header::kReadNameArea - 2) / 2);
}

TEST_F(SimulatedPlayerTest, FaultDifferentPlayerSwappedIn) {
  ASSERT_TRUE(WriteFile(u"mine.mp3", Bytes(10)));
  PlayerSettings s;
  s.identifier = 0x99;
  driver.Attach(std::make_shared<SimulatedPlayer>(s));
  // Handles from before the swap no longer reach a player.
  EXPECT_FALSE(Cmd(CommandCode::kTotalMemory, 0).ok());
  link.Close();
  {
    Link fresh(driver);
    ASSERT_TRUE(fresh.Open().all());
  }
  ASSERT_TRUE(link.Open().all());
  EXPECT_TRUE(Directory().empty());
  ASSERT_TRUE(Cmd(CommandCode::kReadDirectory, 1).ok());
  Block b;
  ASSERT_TRUE(link.ReadBlock(b));
  EXPECT_EQ(ParseInfoBlock(b)->identifier, 0x99u);
}

}  // namespace
}  // namespace playerlink::sim
