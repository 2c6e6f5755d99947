// Under Wine, against tools/player-sim through the bridge (started by
// tools/player-sim/run_with_player_sim.py): Dravik.dll loaded as the transfer
// manager loads it, reading a file's data blocks on the program's in pipe.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "player-link/Link.h"
#include "transfer-manager/dravik/DravikApi.h"

namespace {

using namespace playerlink;

std::vector<std::uint8_t> Bytes(std::size_t n, unsigned seed) {
  std::vector<std::uint8_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>((i * 7919 + seed) >> 3);
  return v;
}

bool WriteFileToPlayer(Link& link, std::u16string_view name, const std::vector<std::uint8_t>& data) {
  const auto blocks = static_cast<std::uint32_t>(FileBlockCount(data.size()));
  if (link.Command(kInternalMemoryBase, CommandCode::kBeginWrite, blocks, kMode4).result <= data.size()) return false;
  if (!link.WriteBlock(BuildFileHeader(static_cast<std::uint32_t>(data.size()), name, NameEnd::kNone))) return false;
  Block b;
  for (std::size_t at = 0; at < data.size(); at += kBlockSize) {
    b.fill(0);
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(at), std::min(kBlockSize, data.size() - at), b.begin());
    if (!link.WriteBlock(b)) return false;
  }
  return true;
}

template <class F>
F Export(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

TEST(DravikDllWineTest, ReadsAFilesBlocksFromTheSimulatedPlayer) {
  ASSERT_NE(std::getenv("PLAYER_LINK_BRIDGE"), nullptr) << "run through run_with_player_sim.py";
  HMODULE module = LoadLibraryA(DRAVIK_DLL_PATH);
  ASSERT_NE(module, nullptr) << "cannot load " << DRAVIK_DLL_PATH;
  const auto init = Export<dravik::InitFunction>(module, dravik::kInitName);
  const auto readQueue = Export<dravik::ReadQueueFunction>(module, dravik::kReadQueueName);
  const auto cancel = Export<dravik::CancelFunction>(module, dravik::kCancelName);
  ASSERT_NE(init, nullptr);
  ASSERT_NE(readQueue, nullptr);
  ASSERT_NE(cancel, nullptr);

  Link link(SystemDriver());
  ASSERT_TRUE(link.Open().all());
  const auto data = Bytes(5 * kBlockSize + 1234, 9);
  ASSERT_TRUE(WriteFileToPlayer(link, u"C:\\음악\\노래 하나.mp3", data));

  // The upload's steps: select the entry, read its header, ask for all its
  // blocks, drop the header again, hand the in pipe to the library.
  const auto dir = link.Command(kInternalMemoryBase, CommandCode::kDirectoryInfo, 0, kMode8);
  ASSERT_TRUE(dir.ok());
  const std::uint8_t entry = static_cast<std::uint8_t>(dir.count - 1);  // the file just written
  ASSERT_TRUE(link.Command(kInternalMemoryBase, CommandCode::kEntryBlock, 1, kMode4).ok());
  ASSERT_TRUE(link.WriteBlock(BuildSelectionBlock(entry)));
  ASSERT_TRUE(link.Command(kInternalMemoryBase, CommandCode::kReadEntry, 1, kMode4).ok());
  Block block;
  ASSERT_TRUE(link.ReadBlock(block));
  const auto header = ParseFileHeader(block);
  ASSERT_TRUE(header);
  EXPECT_EQ(header->name, u"C:\\음악\\노래 하나.mp3");
  ASSERT_EQ(header->size, data.size());
  const auto blocks = static_cast<std::int32_t>(FileBlockCount(header->size));
  ASSERT_TRUE(link.Command(kInternalMemoryBase, CommandCode::kReadEntry, blocks, kMode4).ok());
  ASSERT_TRUE(link.ReadBlock(block));

  ASSERT_NE(init(static_cast<std::intptr_t>(link.NativeHandle(Device::kInPipe)), blocks - 1), 0);
  std::vector<std::uint8_t> back;
  for (std::int32_t j = 1; j < blocks; ++j) {
    ASSERT_NE(readQueue(block.data()), 0) << "block " << j;
    back.insert(back.end(), block.begin(),
                block.begin() + static_cast<std::ptrdiff_t>(std::min(kBlockSize, data.size() - back.size())));
  }
  EXPECT_EQ(back, data);
  EXPECT_EQ(readQueue(block.data()), 0);  // nothing past the file
  EXPECT_EQ(readQueue(nullptr), 0);
  EXPECT_NE(cancel(), 0);
  EXPECT_EQ(readQueue(block.data()), 0);
  FreeLibrary(module);
}

}  // namespace
