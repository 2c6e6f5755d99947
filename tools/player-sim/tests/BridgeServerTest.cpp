#include "tools/player-sim/BridgeServer.h"

#include <gtest/gtest.h>

#include <thread>

#include "player-link/BridgeDriver.h"
#include "player-link/Link.h"
#include "player-link/SimulatedPlayer.h"
#include "platform/net/Socket.h"

namespace playersim {
namespace {

using namespace playerlink;

class BridgeServerTest : public ::testing::Test {
 protected:
  BridgeServerTest()
      : player(std::make_shared<sim::SimulatedPlayer>()), simulated(player), server(simulated) {
    auto p = server.Start(0);
    EXPECT_TRUE(p);
    port = p ? *p : 0;
  }

  BridgeDriver Bridge() { return BridgeDriver(bridge::Address{0x7F000001, port}); }

  std::shared_ptr<sim::SimulatedPlayer> player;
  sim::SimulatedDriver simulated;
  BridgeServer server;
  std::uint16_t port = 0;
};

TEST_F(BridgeServerTest, WriteAndReadBackThroughTheBridge) {
  auto driver = Bridge();
  Link link(driver);
  ASSERT_TRUE(link.Open().all());
  std::vector<std::uint8_t> data(20000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i % 249);

  const auto begin = link.Command(kInternalMemoryBase, CommandCode::kBeginWrite, 3, kMode4);
  EXPECT_EQ(begin.result, player->FreeBytes(sim::MediumId::kInternal));
  Block b = BuildFileHeader(20000, u"C:\\bridge.mp3", NameEnd::kZeroUnit);
  ASSERT_TRUE(link.WriteBlock(b));
  for (std::size_t at = 0; at < data.size(); at += kBlockSize) {
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(at), std::min(kBlockSize, data.size() - at), b.begin());
    ASSERT_TRUE(link.WriteBlock(b));
  }
  EXPECT_EQ(*player->EntryData(sim::MediumId::kInternal, 0), data);

  const auto info = link.Command(kInternalMemoryBase, CommandCode::kDirectoryInfo, 0, kMode8);
  EXPECT_EQ(info.count, 2);
  ASSERT_TRUE(link.Command(kInternalMemoryBase, CommandCode::kReadDirectory, 2, kMode4).ok());
  ASSERT_TRUE(link.ReadBlock(b));
  EXPECT_EQ(ParseInfoBlock(b)->identifier, player->identifier());
  ASSERT_TRUE(link.ReadBlock(b));
  EXPECT_EQ(ParseFileHeader(b)->name, u"C:\\bridge.mp3");
}

TEST_F(BridgeServerTest, FaultsTravelAsTheyAre) {
  sim::Faults f;
  f.failOpen[static_cast<std::size_t>(Device::kOutPipe)] = true;
  f.commands.push_back({9, std::nullopt, true, {}, -1});
  f.shortBlocks.push_back({true, 1, std::nullopt, 300, -1});
  player->SetFaults(f);
  auto driver = Bridge();
  Link link(driver);
  const auto opened = link.Open();
  EXPECT_TRUE(opened.control);
  EXPECT_FALSE(opened.outPipe);
  EXPECT_FALSE(link.Command(kInternalMemoryBase, CommandCode::kFreeMemory, 0, kMode4).ok());
  ASSERT_TRUE(link.Command(kInternalMemoryBase, CommandCode::kReadDirectory, 1, kMode4).ok());
  Block b;
  EXPECT_FALSE(link.ReadBlock(b));
  EXPECT_EQ(link.lastTransferred(), 300u);
  EXPECT_FALSE(link.WriteBlock(b));
}

TEST_F(BridgeServerTest, NoServerMeansNoPlayer) {
  server.Stop();
  auto driver = Bridge();
  Link link(driver);
  EXPECT_FALSE(link.Open().control);
  EXPECT_FALSE(link.Command(kInternalMemoryBase, CommandCode::kTotalMemory, 0, kMode4).ok());
}

TEST_F(BridgeServerTest, ServerHangsUpOnWhatIsNotTheBridge) {
  using namespace std::chrono_literals;
  namespace net = platform::net;
  auto s = net::Connect("127.0.0.1", port, 5s);
  ASSERT_TRUE(s);
  ASSERT_TRUE((*s)->SendAll(bridge::kHello, 5s));
  std::array<std::uint8_t, 4> hello{};
  ASSERT_TRUE(net::ReceiveExactly(**s, hello, 5s));
  const std::uint8_t junk[8] = {9, 9, 9, 9, 9, 9, 9, 9};
  ASSERT_TRUE((*s)->SendAll(junk, 5s));
  std::uint8_t reply[12];
  EXPECT_FALSE(net::ReceiveExactly(**s, reply, 5s));
  // The player is unharmed for everyone else.
  auto driver = Bridge();
  Link link(driver);
  ASSERT_TRUE(link.Open().all());
  EXPECT_TRUE(link.Command(kInternalMemoryBase, CommandCode::kTotalMemory, 0, kMode4).ok());
}

TEST_F(BridgeServerTest, SessionsSideBySide) {
  // Four programs at once, each with its own driver.
  std::vector<std::thread> threads;
  std::atomic<int> answered{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      auto driver = Bridge();
      for (int i = 0; i < 20; ++i) {
        Link link(driver);
        if (link.Open().control && link.Command(kInternalMemoryBase, CommandCode::kTotalMemory, 0, kMode4).ok()) {
          ++answered;
        }
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(answered, 80);
}

}  // namespace
}  // namespace playersim
