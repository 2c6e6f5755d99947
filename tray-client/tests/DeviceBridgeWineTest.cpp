// Under Wine, against tools/player-sim through the bridge (started by
// tools/player-sim/run_with_player_sim.py): the tray client's player units as
// the program runs them, on the process's own driver. The simulated player's
// storage folder is PLAYER_SIM_STORAGE_DIR, seen through Wine's Z: drive.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "common/File.h"
#include "tray-client/DeviceUnit.h"
#include "tray-client/tests/RecordingTarget.h"

namespace orvel {
namespace {

namespace fs = std::filesystem;
using testing::RecordingTarget;

std::vector<std::uint8_t> Bytes(std::size_t n, unsigned seed) {
  std::vector<std::uint8_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>((i * 7919 + seed) >> 3);
  return v;
}

std::vector<std::uint8_t> FileBytes(const fs::path& p) {
  auto s = common::ReadWholeFile(p, 1u << 26);
  return s ? std::vector<std::uint8_t>(s->begin(), s->end()) : std::vector<std::uint8_t>{};
}

bool Transfer(bool write, TMyDevice& device, const fs::path& file, const std::u16string& headerName,
              const std::string& index) {
  auto window = std::make_shared<RecordingTarget>();
  const bool started = write ? device.StartWriteThread(window, file, headerName, 1126)
                             : device.StartReadThread(window, index, file, 1126);
  return started && window->WaitForEnd() && window->reports().back().wParam == 2;
}

const DeviceEntry* Find(const std::vector<DeviceEntry>& list, std::u16string_view name) {
  for (const auto& e : list) {
    if (e.name == name) return &e;
  }
  return nullptr;
}

TEST(DeviceBridgeWineTest, WriteListReadBackAndDelete) {
  ASSERT_NE(std::getenv("PLAYER_LINK_BRIDGE"), nullptr) << "run through run_with_player_sim.py";
  const fs::path storage = fs::path(PLAYER_SIM_STORAGE_DIR) / "internal" / "files";
  const fs::path work = fs::temp_directory_path() / "device-bridge-test";
  fs::remove_all(work);
  fs::create_directories(work);

  TMyDevice device;
  ASSERT_TRUE(device.DetectDevice());
  EXPECT_GT(device.GetTotalMemory(), 0u);
  const std::uint32_t freeBefore = device.FreeMemoryBytes();
  EXPECT_GT(freeBefore, 0u);

  const auto song = Bytes(100000, 1), keep = Bytes(16384, 2);
  ASSERT_TRUE(common::WriteFileAtomically(work / "song.sa3", song));
  ASSERT_TRUE(common::WriteFileAtomically(work / "keep.mp3", keep));
  ASSERT_TRUE(Transfer(true, device, work / "song.sa3", u"C:\\LocalSync\\채널 곡.mp3", ""));
  ASSERT_TRUE(Transfer(true, device, work / "keep.mp3", u"C:\\LocalSync\\keep.mp3", ""));
  EXPECT_LT(device.FreeMemoryBytes(), freeBefore);

  // What TDNFileThread wrote is, byte for byte, in the simulated player's folder.
  EXPECT_EQ(FileBytes(storage / u"채널 곡.mp3"), song);
  EXPECT_EQ(FileBytes(storage / "keep.mp3"), keep);

  std::vector<DeviceEntry> list;
  ASSERT_TRUE(device.ReadDirectoryEntries(list));
  EXPECT_EQ(device.identifier().size(), 8u);
  const DeviceEntry* entry = Find(list, u"채널 곡.mp3");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->size, song.size());

  const fs::path back = work / "back.mp3";
  ASSERT_TRUE(Transfer(false, device, back, u"", std::to_string(entry->number - 1)));
  EXPECT_EQ(FileBytes(back), song);

  ASSERT_TRUE(device.DeleteEntry(std::to_string(entry->number)));
  list.clear();
  ASSERT_TRUE(device.ReadDirectoryEntries(list));
  EXPECT_EQ(Find(list, u"채널 곡.mp3"), nullptr);
  ASSERT_NE(Find(list, u"keep.mp3"), nullptr);
  EXPECT_FALSE(fs::exists(storage / u"채널 곡.mp3"));
  EXPECT_EQ(FileBytes(storage / "keep.mp3"), keep);
  fs::remove_all(work);
}

}  // namespace
}  // namespace orvel
