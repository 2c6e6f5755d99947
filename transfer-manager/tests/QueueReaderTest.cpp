#include "transfer-manager/dravik/QueueReader.h"

#include <gtest/gtest.h>

#include "player-link/Link.h"
#include "player-link/SimulatedPlayer.h"

namespace dravik {
namespace {

using namespace playerlink;
using sim::MediumId;

std::vector<std::uint8_t> Bytes(std::size_t n, unsigned seed) {
  std::vector<std::uint8_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>((i * 131 + seed) >> 2);
  return v;
}

class QueueReaderTest : public ::testing::Test {
 protected:
  QueueReaderTest() : player(std::make_shared<sim::SimulatedPlayer>()), driver(player), link(driver), reader(driver) {
    EXPECT_TRUE(link.Open().all());
  }

  // What the transfer manager does before it hands the pipe over: select
  // the entry, ask for all its blocks, take the header block itself.
  std::uint32_t StartEntry(std::uint8_t entry, std::uint8_t base = kInternalMemoryBase) {
    EXPECT_TRUE(link.Command(base, CommandCode::kEntryBlock, 1, kMode4).ok());
    EXPECT_TRUE(link.WriteBlock(BuildSelectionBlock(entry)));
    EXPECT_TRUE(link.Command(base, CommandCode::kReadEntry, 1, kMode4).ok());
    Block b;
    EXPECT_TRUE(link.ReadBlock(b));
    const auto h = ParseFileHeader(b);
    const auto blocks = static_cast<std::uint32_t>(FileBlockCount(h->size));
    EXPECT_TRUE(link.Command(base, CommandCode::kReadEntry, blocks, kMode4).ok());
    EXPECT_TRUE(link.ReadBlock(b));
    return blocks - 1;
  }

  std::vector<std::uint8_t> ReadAll(std::uint32_t dataBlocks, std::size_t size) {
    std::vector<std::uint8_t> out;
    Block b;
    for (std::uint32_t i = 0; i < dataBlocks; ++i) {
      if (!reader.ReadQueue(b)) break;
      out.insert(out.end(), b.begin(), b.begin() + static_cast<std::ptrdiff_t>(std::min(kBlockSize, size - out.size())));
    }
    return out;
  }

  std::shared_ptr<sim::SimulatedPlayer> player;
  sim::SimulatedDriver driver;
  Link link;
  QueueReader reader;
};

TEST_F(QueueReaderTest, ReadsTheDataBlocksInOrderAndNoMore) {
  const auto data = Bytes(3 * kBlockSize + 17, 1);
  ASSERT_TRUE(player->Store(MediumId::kInternal, u"C:\\m\\a.mp3", data));
  ASSERT_TRUE(player->Store(MediumId::kInternal, u"C:\\m\\b.mp3", Bytes(100, 2)));
  const std::uint32_t blocks = StartEntry(1);
  ASSERT_EQ(blocks, 4u);
  ASSERT_TRUE(reader.Init(link.NativeHandle(Device::kInPipe), blocks));
  EXPECT_EQ(ReadAll(blocks, data.size()), data);
  Block b;
  EXPECT_FALSE(reader.ReadQueue(b));  // past the announced count
  reader.Cancel();

  // The next file of the same command, on the card as well.
  const auto card = Bytes(kBlockSize, 3);
  ASSERT_TRUE(player->Store(MediumId::kCard, u"c.mp3", card));
  const std::uint32_t cardBlocks = StartEntry(1, kCardBase);
  ASSERT_TRUE(reader.Init(0, cardBlocks));
  EXPECT_EQ(ReadAll(cardBlocks, card.size()), card);
}

TEST_F(QueueReaderTest, AShortBlockEndsTheQueueAndLeavesTheBufferAlone) {
  ASSERT_TRUE(player->Store(MediumId::kInternal, u"a.mp3", Bytes(3 * kBlockSize, 4)));
  const std::uint32_t blocks = StartEntry(1);
  sim::Faults f;
  f.shortBlocks.push_back({true, 3, std::uint8_t{2}, 100, 1});  // the second data block
  player->SetFaults(f);
  ASSERT_TRUE(reader.Init(0, blocks));
  Block b;
  ASSERT_TRUE(reader.ReadQueue(b));
  b.fill(0xAB);
  EXPECT_FALSE(reader.ReadQueue(b));
  EXPECT_EQ(b[0], 0xAB);
  EXPECT_EQ(b[kBlockSize - 1], 0xAB);
  EXPECT_FALSE(reader.ReadQueue(b));  // the queue is over until the next Init
  EXPECT_EQ(reader.remaining(), 0u);
}

TEST_F(QueueReaderTest, NothingToReadWithoutInitOrAfterCancelOrWithoutAPlayer) {
  Block b;
  EXPECT_FALSE(reader.ReadQueue(b));
  ASSERT_TRUE(player->Store(MediumId::kInternal, u"a.mp3", Bytes(40000, 5)));
  const std::uint32_t blocks = StartEntry(1);
  ASSERT_TRUE(reader.Init(0, blocks));
  reader.Cancel();
  reader.Cancel();  // twice is harmless
  EXPECT_FALSE(reader.ReadQueue(b));
  // A zero-byte file has no data blocks: ready, and nothing to read.
  EXPECT_TRUE(reader.Init(0, 0));
  EXPECT_FALSE(reader.ReadQueue(b));
  driver.Detach();
  EXPECT_FALSE(reader.Init(0, 3));
  EXPECT_FALSE(reader.ReadQueue(b));
}

}  // namespace
}  // namespace dravik
