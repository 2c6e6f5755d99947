#include "tray-client/DeviceUnit.h"

#include <gtest/gtest.h>

#include "player-link/SimulatedPlayer.h"

namespace orvel {
namespace {

using playerlink::Device;
using playerlink::sim::Event;
using playerlink::sim::Faults;
using playerlink::sim::MediumId;
using playerlink::sim::SimulatedDriver;
using playerlink::sim::SimulatedPlayer;

class DeviceUnitTest : public ::testing::Test {
 protected:
  DeviceUnitTest() : player(std::make_shared<SimulatedPlayer>()), driver(player), device(driver) {}

  void Store(std::u16string name, std::size_t size) {
    ASSERT_TRUE(player->Store(MediumId::kInternal, name, std::vector<std::uint8_t>(size, 7)));
  }

  std::vector<playerlink::CommandRequest> Commands() {
    std::vector<playerlink::CommandRequest> out;
    for (const auto& e : player->TakeEvents()) {
      if (e.kind == Event::Kind::kCommand) out.push_back(e.request);
    }
    return out;
  }

  void FailOpen(Device d) {
    Faults f;
    f.failOpen[static_cast<std::size_t>(d)] = true;
    player->SetFaults(f);
  }

  std::shared_ptr<SimulatedPlayer> player;
  SimulatedDriver driver;
  TMyDevice device;
};

TEST_F(DeviceUnitTest, DetectDeviceNeedsOnlyTheControlDevice) {
  EXPECT_TRUE(device.DetectDevice());
  EXPECT_EQ(device.modelName(), "Moltree");
  FailOpen(Device::kInPipe);
  EXPECT_TRUE(device.DetectDevice());
  FailOpen(Device::kControl);
  EXPECT_FALSE(device.DetectDevice());
  driver.Detach();
  EXPECT_FALSE(device.DetectDevice());
}

TEST_F(DeviceUnitTest, MemoryInThousandsAndInBytesWithFreeAfterTotal) {
  player->SetMedium(MediumId::kInternal, {true, true, 100 * 16384});
  Store(u"a.mp3", 16385);  // 3 blocks
  EXPECT_EQ(device.GetTotalMemory(), 1638u);
  EXPECT_EQ(device.GetFreeMemory(), 1589u);  // 1,589,248 bytes
  (void)player->TakeEvents();
  EXPECT_EQ(device.TotalMemoryBytes(), 100u * 16384);
  EXPECT_EQ(device.FreeMemoryBytes(), 97u * 16384);
  const auto commands = Commands();
  ASSERT_EQ(commands.size(), 3u);
  EXPECT_EQ(commands[0].commandByte, 0x85);
  EXPECT_EQ(commands[1].commandByte, 0x85);
  EXPECT_EQ(commands[2].commandByte, 0x8E);
  EXPECT_EQ(commands[2].mode, 4);
}

TEST_F(DeviceUnitTest, FreeMemoryAsksNothingMoreWhenTotalFails) {
  Faults f;
  f.commands.push_back({0, std::nullopt, false, {0, 0}, -1});
  player->SetFaults(f);
  (void)player->TakeEvents();
  EXPECT_EQ(device.GetFreeMemory(), 0u);
  EXPECT_EQ(Commands().size(), 1u);
  FailOpen(Device::kControl);
  EXPECT_EQ(device.GetTotalMemory(), 0u);
  EXPECT_TRUE(Commands().empty());
}

TEST_F(DeviceUnitTest, FormatSendsModeEight) {
  Store(u"a.mp3", 10);
  (void)player->TakeEvents();
  EXPECT_TRUE(device.FormatDevice());
  const auto commands = Commands();
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].commandByte, 0x89);
  EXPECT_EQ(commands[0].mode, 8);
  EXPECT_TRUE(player->Entries(MediumId::kInternal).empty());
  Faults f;
  f.commands.push_back({4, std::nullopt, true, {}, -1});
  player->SetFaults(f);
  EXPECT_FALSE(device.FormatDevice());
}

TEST_F(DeviceUnitTest, DeleteEntrySelectsByNumber) {
  for (auto n : {u"1.mp3", u"2.mp3", u"3.mp3", u"4.mp3"}) Store(n, 5);
  (void)player->TakeEvents();
  EXPECT_TRUE(device.DeleteEntry("3"));
  const auto events = player->TakeEvents();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].request.commandByte, 0x8A);
  EXPECT_EQ(events[1].kind, Event::Kind::kWrite);
  EXPECT_EQ(events[2].request.commandByte, 0x8D);
  EXPECT_EQ(events[2].request.argument, 1u);
  std::vector<DeviceEntry> list;
  ASSERT_TRUE(device.ReadDirectoryEntries(list));
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[2].name, u"4.mp3");
  EXPECT_EQ(list[2].number, 3u);  // moved down into the gap
}

TEST_F(DeviceUnitTest, DeleteEntryRefusesWhatOneByteCannotAddress) {
  Store(u"1.mp3", 5);
  (void)player->TakeEvents();
  for (const char* text : {"abc", "", "0", "256", "257", "-1"}) {
    EXPECT_FALSE(device.DeleteEntry(text)) << text;
  }
  EXPECT_TRUE(player->TakeEvents().empty());  // nothing was sent, nothing wrapped
  EXPECT_EQ(player->Entries(MediumId::kInternal).size(), 1u);
  EXPECT_FALSE(device.DeleteEntry("2"));  // no such entry
}

TEST_F(DeviceUnitTest, DeleteEntryFailsOnAShortSelectionBlock) {
  Store(u"1.mp3", 5);
  Faults f;
  f.shortBlocks.push_back({false, 1, std::uint8_t{5}, 10, -1});
  player->SetFaults(f);
  EXPECT_FALSE(device.DeleteEntry("1"));
  EXPECT_EQ(player->Entries(MediumId::kInternal).size(), 1u);
}

TEST_F(DeviceUnitTest, DirectoryCarriesNamesSizesAndIdentifier) {
  Store(u"C:\\Program Files\\Orvel\\LocalSync\\채널.mp3", 4123456);
  Store(u"D:/x/two.mp3", 0);
  std::vector<DeviceEntry> list{{9, u"kept", 1}};
  ASSERT_TRUE(device.ReadDirectoryEntries(list));
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[1].name, u"채널.mp3");
  EXPECT_EQ(list[1].size, 4123456u);
  EXPECT_EQ(list[1].number, 1u);
  EXPECT_EQ(list[2].name, u"two.mp3");
  EXPECT_EQ(list[2].size, 0u);
  EXPECT_EQ(device.identifier(), "1A2B3C4D");
}

TEST_F(DeviceUnitTest, EmptyDirectoryStillRefreshesTheIdentifier) {
  std::vector<DeviceEntry> list;
  EXPECT_FALSE(device.ReadDirectoryEntries(list));
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(device.identifier(), "1A2B3C4D");
}

TEST_F(DeviceUnitTest, DirectoryLinesGiveNameAndThousandsOfBytes) {
  Store(u"C:\\LocalSync\\채널.mp3", 4123456);
  Store(u"small.mp3", 999);
  std::vector<std::string> lines{"kept/1k"};
  ASSERT_TRUE(device.ReadDeviceDirectory(lines));
  EXPECT_EQ(lines, (std::vector<std::string>{"kept/1k", "채널.mp3/4123k", "small.mp3/0k"}));
  EXPECT_EQ(DirectoryLine({1, std::u16string(u"bad\xD800") , 5000}), "bad\xEF\xBF\xBD/5k");
}

TEST(DeviceUnitSizes, AFileExactlyAsLargeAsTheFreeMemoryInThousandsIsNotWritten) {
  EXPECT_FALSE(FitsInFreeMemory(1000 * 1000, 1000));
  EXPECT_FALSE(FitsInFreeMemory(1000 * 1000 + 999, 1000)) << "still 1000 thousands";
  EXPECT_TRUE(FitsInFreeMemory(1000 * 1000 - 1, 1000));
  EXPECT_FALSE(FitsInFreeMemory(0, 0));
  EXPECT_TRUE(FitsInFreeMemory(999, 1));
}

TEST_F(DeviceUnitTest, DirectoryStopsAtABadTagOrAShortBlock) {
  for (auto n : {u"1", u"2", u"3"}) Store(n, 1);
  Faults f;
  f.badTagAtDirectoryBlock = 3;
  player->SetFaults(f);
  std::vector<DeviceEntry> list;
  EXPECT_TRUE(device.ReadDirectoryEntries(list));
  EXPECT_EQ(list.size(), 1u);

  f = {};
  f.shortBlocks.push_back({true, 1, std::uint8_t{7}, 16000, -1});  // the information block
  player->SetFaults(f);
  TMyDevice fresh(driver);
  list.clear();
  EXPECT_FALSE(fresh.ReadDirectoryEntries(list));
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(fresh.identifier(), "");  // not taken from a short block
}

TEST_F(DeviceUnitTest, AWholeDirectoryReadThatStopsPartWayIsNoDirectory) {
  for (auto n : {u"1", u"2", u"3"}) Store(n, 1);
  ASSERT_TRUE(device.ReadWholeDirectory());
  EXPECT_EQ(device.ReadWholeDirectory()->size(), 3u);
  Faults f;
  f.badTagAtDirectoryBlock = 3;
  player->SetFaults(f);
  EXPECT_FALSE(device.ReadWholeDirectory());  // two entries of three would pass as the player's list
}

TEST_F(DeviceUnitTest, UnformattedMediumIsStillAskedForItsBlocks) {
  player->SetMedium(MediumId::kInternal, {true, false, 128u << 20});
  (void)player->TakeEvents();
  std::vector<DeviceEntry> list;
  EXPECT_FALSE(device.ReadDirectoryEntries(list));
  const auto commands = Commands();
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[0].commandByte, 0x8B);
  EXPECT_EQ(commands[1].commandByte, 0x8C);
  EXPECT_EQ(commands[1].argument, playerlink::kCountUnformattedMedium);
}

TEST_F(DeviceUnitTest, DirectoryUntouchedWhenThePlayerIsAbsent) {
  FailOpen(Device::kControl);
  std::vector<DeviceEntry> list{{1, u"old", 1}};
  EXPECT_FALSE(device.ReadDirectoryEntries(list));
  EXPECT_EQ(list.size(), 1u);
}

TEST_F(DeviceUnitTest, DirectoryListsEntriesPast255) {
  for (int i = 0; i < 300; ++i) Store(u"f" + std::u16string(1, char16_t(u'A' + i % 26)) + std::u16string(i / 26 + 1, u'x'), 1);
  std::vector<DeviceEntry> list;
  ASSERT_TRUE(device.ReadDirectoryEntries(list));
  ASSERT_EQ(list.size(), 300u);
  EXPECT_EQ(list.back().number, 300u);
  EXPECT_FALSE(device.DeleteEntry("300"));
}

TEST_F(DeviceUnitTest, SendDeviceCommandNeedsAnOpenDriverAndAValidMode) {
  EXPECT_EQ(device.SendDeviceCommand(0, 0, 4), 0u);
  ASSERT_TRUE(device.OpenDriver());
  EXPECT_NE(device.SendDeviceCommand(0, 0, 4), 0u);
  EXPECT_EQ(playerlink::DecodeAnswer(device.commandBuffer(), 7).result, 128u << 20);  // the answer overwrote the request
  EXPECT_EQ(device.SendDeviceCommand(0, 0, 5), 0u);
  device.CloseDriver();
  EXPECT_EQ(device.SendDeviceCommand(0, 0, 4), 0u);
}

}  // namespace
}  // namespace orvel
