// The directory read on both media against the simulated player.
#include "player-link/Directory.h"

#include <gtest/gtest.h>

#include "player-link/SimulatedPlayer.h"

namespace playerlink {
namespace {

using sim::Event;
using sim::Faults;
using sim::MediumId;
using sim::SimulatedDriver;
using sim::SimulatedPlayer;

class DirectoryTest : public ::testing::Test {
 protected:
  DirectoryTest() : player(std::make_shared<SimulatedPlayer>()), driver(player), link(driver) {}

  void SetUp() override { ASSERT_TRUE(link.Open().all()); }
  void Store(MediumId medium, std::u16string name, std::size_t size) {
    ASSERT_TRUE(player->Store(medium, name, std::vector<std::uint8_t>(size, 1)));
  }
  // The command bytes sent since the last call.
  std::vector<std::uint8_t> Commands() {
    std::vector<std::uint8_t> out;
    for (const auto& e : player->TakeEvents()) {
      if (e.kind == Event::Kind::kCommand) out.push_back(e.request.commandByte);
    }
    return out;
  }

  std::shared_ptr<SimulatedPlayer> player;
  SimulatedDriver driver;
  Link link;
};

TEST_F(DirectoryTest, EachMediumHasItsOwnDirectoryAndCommandBytes) {
  Store(MediumId::kInternal, u"C:\\music\\one.mp3", 20000);
  Store(MediumId::kInternal, u"two.mp3", 0);
  Store(MediumId::kCard, u"D:/card/three.mp3", 7);
  (void)player->TakeEvents();

  const Directory internal = ReadDirectory(link, kInternalMemoryBase);
  EXPECT_EQ(internal.end, Directory::End::kComplete);
  EXPECT_EQ(internal.count, 3u);
  ASSERT_TRUE(internal.info.has_value());
  EXPECT_EQ(internal.info->identifier, 0x1A2B3C4Du);
  ASSERT_EQ(internal.entries.size(), 2u);
  EXPECT_EQ(internal.entries[0].number, 1u);
  EXPECT_EQ(internal.entries[0].header.name, u"C:\\music\\one.mp3");  // the stored name, whole
  EXPECT_EQ(internal.entries[0].header.size, 20000u);
  EXPECT_EQ(internal.entries[1].number, 2u);
  EXPECT_EQ(Commands(), (std::vector<std::uint8_t>{0x8B, 0x8C}));

  const Directory card = ReadDirectory(link, kCardBase);
  EXPECT_EQ(card.end, Directory::End::kComplete);
  ASSERT_EQ(card.entries.size(), 1u);
  EXPECT_EQ(card.entries[0].header.name, u"D:/card/three.mp3");
  EXPECT_EQ(Commands(), (std::vector<std::uint8_t>{0x7B, 0x7C}));
}

TEST_F(DirectoryTest, UnformattedMediumGetsCodeSevenUnlessTheCallerStops) {
  player->SetMedium(MediumId::kCard, {true, false, 64u << 20});
  (void)player->TakeEvents();
  // The tray client's sequence: code 7 goes out with the count all the same.
  const Directory asked = ReadDirectory(link, kCardBase);
  EXPECT_EQ(asked.count, kCountUnformattedMedium);
  EXPECT_EQ(asked.end, Directory::End::kRefused);
  EXPECT_EQ(Commands(), (std::vector<std::uint8_t>{0x7B, 0x7C}));

  DirectoryReadOptions stop;
  stop.stopAtUnformatted = true;
  const Directory stopped = ReadDirectory(link, kCardBase, stop);
  EXPECT_EQ(stopped.count, kCountUnformattedMedium);
  EXPECT_EQ(stopped.end, Directory::End::kUnformatted);
  EXPECT_EQ(Commands(), (std::vector<std::uint8_t>{0x7B}));
}

TEST_F(DirectoryTest, ReadEndsAtTheFirstBlockThatFails) {
  for (auto n : {u"1", u"2", u"3"}) Store(MediumId::kInternal, n, 1);
  Faults f;
  f.badTagAtDirectoryBlock = 3;
  player->SetFaults(f);
  Directory d = ReadDirectory(link, kInternalMemoryBase);
  EXPECT_EQ(d.end, Directory::End::kBadTag);
  EXPECT_EQ(d.entries.size(), 1u);

  f = {};
  f.shortBlocks.push_back({true, 1, std::uint8_t{7}, 100, -1});  // the information block
  player->SetFaults(f);
  d = ReadDirectory(link, kInternalMemoryBase);
  EXPECT_EQ(d.end, Directory::End::kShortBlock);
  EXPECT_FALSE(d.info.has_value());
  EXPECT_TRUE(d.entries.empty());

  f = {};
  f.commands.push_back({7, std::nullopt, false, {}, -1});
  player->SetFaults(f);
  EXPECT_EQ(ReadDirectory(link, kInternalMemoryBase).end, Directory::End::kRefused);
  f = {};
  f.commands.push_back({6, std::nullopt, true, {}, -1});
  player->SetFaults(f);
  d = ReadDirectory(link, kInternalMemoryBase);
  EXPECT_EQ(d.end, Directory::End::kNoCount);
  EXPECT_EQ(d.count, 0u);
}

TEST_F(DirectoryTest, CallerHooksSeeEveryBlockAndMayRetryOrRefuse) {
  for (auto n : {u"1", u"2", u"3"}) Store(MediumId::kInternal, n, 1);
  // A block that comes short once is read again (the simulated player
  // hands out the next block then, as a pipe would).
  Faults f;
  f.shortBlocks.push_back({true, 2, std::uint8_t{7}, 100, 1});
  player->SetFaults(f);
  DirectoryReadOptions options;
  options.readAttempts = 2;
  int before = 0;
  options.beforeBlock = [&] { ++before; };
  Directory d = ReadDirectory(link, kInternalMemoryBase, options);
  EXPECT_FALSE(d.entries.empty()) << "the read went on past the short block";
  EXPECT_EQ(before, 4);

  // The caller's check ends the read at the block it refuses.
  player->SetFaults({});
  std::vector<unsigned> seen;
  options = {};
  options.acceptBlock = [&](unsigned index, const Block&) {
    seen.push_back(index);
    return index < 2;
  };
  d = ReadDirectory(link, kInternalMemoryBase, options);
  EXPECT_EQ(d.end, Directory::End::kRejected);
  EXPECT_EQ(seen, (std::vector<unsigned>{0, 1, 2}));
  EXPECT_EQ(d.entries.size(), 1u);
}

}  // namespace
}  // namespace playerlink
