#include "tray-client/UpDnUnit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "common/File.h"
#include "common/tests/SparseFile.h"
#include "player-link/SimulatedPlayer.h"
#include "tray-client/DeviceUnit.h"
#include "tray-client/tests/RecordingTarget.h"

namespace orvel {
namespace {

namespace fs = std::filesystem;
using playerlink::kBlockSize;
using playerlink::sim::Event;
using playerlink::sim::Faults;
using playerlink::sim::MediumId;
using playerlink::sim::SimulatedDriver;
using playerlink::sim::SimulatedPlayer;
using testing::RecordingTarget;
using testing::Report;

constexpr std::uint32_t kMessage = 1126;

std::vector<std::uint8_t> Bytes(std::size_t n, unsigned seed = 3) {
  std::vector<std::uint8_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>((i * 131 + seed) % 251);
  return v;
}

std::vector<std::uint8_t> FileBytes(const fs::path& p) {
  auto s = common::ReadWholeFile(p, 1u << 30);
  if (!s) return {};
  return {s->begin(), s->end()};
}

class UpDnUnitTest : public ::testing::Test {
 protected:
  UpDnUnitTest() : player(std::make_shared<SimulatedPlayer>()), driver(player) {
    dir = fs::temp_directory_path() /
          ("updn-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  ~UpDnUnitTest() override { fs::remove_all(dir); }

  fs::path MakeFile(const std::string& name, const std::vector<std::uint8_t>& data) {
    const fs::path p = dir / name;
    EXPECT_TRUE(common::WriteFileAtomically(p, data));
    return p;
  }

  std::vector<Report> Run(int mode, std::u16string source, std::u16string name) {
    TDNFileThread t(driver, target, std::move(source), std::move(name), kMessage, mode);
    t.Execute();
    return target.reports();
  }
  std::vector<Report> Send(const fs::path& file, std::u16string headerName) {
    return Run(TDNFileThread::kModeWrite, file.u16string(), std::move(headerName));
  }
  std::vector<Report> Fetch(std::u16string index, const fs::path& to) {
    return Run(TDNFileThread::kModeRead, std::move(index), to.u16string());
  }

  std::size_t PipeWrites() {
    std::size_t n = 0;
    for (const auto& e : player->TakeEvents()) n += e.kind == Event::Kind::kWrite;
    return n;
  }

  bool OnlyTheTargetIn(const fs::path& target) {
    for (const auto& e : fs::directory_iterator(dir)) {
      if (e.path() != target) return false;
    }
    return true;
  }

  std::shared_ptr<SimulatedPlayer> player;
  SimulatedDriver driver;
  RecordingTarget target;
  fs::path dir;
};

const Report kDone{kMessage, 2, 0};
const Report kFailed{kMessage, 3, 0};

TEST_F(UpDnUnitTest, WriteOf40000BytesReportsFortyAndEightyOne) {
  const auto data = Bytes(40000);
  const auto file = MakeFile("a.mp3", data);
  (void)player->TakeEvents();
  const auto reports = Send(file, u"C:\\LocalSync\\a.mp3");
  EXPECT_EQ(reports, (std::vector<Report>{{kMessage, 1, 40}, {kMessage, 1, 81}, kDone}));
  const auto events = player->TakeEvents();
  ASSERT_EQ(events.size(), 5u);  // command 1, header, three data blocks
  EXPECT_EQ(events[0].request.commandByte, 0x86);
  EXPECT_EQ(events[0].request.argument, 4u);
  const auto entries = player->Entries(MediumId::kInternal);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(playerlink::ParseFileHeader(entries[0].header)->name, u"C:\\LocalSync\\a.mp3");
  EXPECT_EQ(*player->EntryData(MediumId::kInternal, 0), data);
}

TEST_F(UpDnUnitTest, SmallAndEmptyFilesEndWithDone) {
  EXPECT_EQ(Send(MakeFile("s.mp3", Bytes(100)), u"s.mp3"), std::vector<Report>{kDone});
  EXPECT_EQ(Send(MakeFile("e.mp3", {}), u"e.mp3"), (std::vector<Report>{kDone, kDone}));
  const auto entries = player->Entries(MediumId::kInternal);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1].size, 0u);
  EXPECT_EQ(*player->EntryData(MediumId::kInternal, 0), Bytes(100));
}

TEST_F(UpDnUnitTest, BeginWriteAnswerNotAboveTheSizeSendsNothing) {
  const auto file = MakeFile("a.mp3", Bytes(40000));
  Faults f;
  f.commands.push_back({1, std::nullopt, false, {40000, 0}, -1});
  player->SetFaults(f);
  (void)player->TakeEvents();
  EXPECT_EQ(Send(file, u"a.mp3"), std::vector<Report>{kFailed});
  EXPECT_EQ(PipeWrites(), 0u);
}

TEST_F(UpDnUnitTest, ShortWriteFailsTheTransferTheLastBlockIncluded) {
  const auto file = MakeFile("a.mp3", Bytes(40000));
  for (unsigned k : {1u, 4u}) {  // the header, the last data block
    Faults f;
    f.shortBlocks.push_back({false, k, std::uint8_t{1}, 16000, -1});
    player->SetFaults(f);
    RecordingTarget t;
    TDNFileThread(driver, t, file.u16string(), u"a.mp3", kMessage, TDNFileThread::kModeWrite).Execute();
    EXPECT_EQ(t.reports().back(), kFailed) << k;
  }
  EXPECT_TRUE(player->Entries(MediumId::kInternal).empty());
}

TEST_F(UpDnUnitTest, WriteFailsWithoutPlayerOrFile) {
  const auto file = MakeFile("a.mp3", Bytes(10));
  EXPECT_EQ(Send(dir / "missing.mp3", u"m.mp3"), std::vector<Report>{kFailed});
  Faults f;
  f.failOpen[0] = true;
  player->SetFaults(f);
  EXPECT_EQ(Send(file, u"a.mp3"), (std::vector<Report>{kFailed, kFailed}));
}

TEST_F(UpDnUnitTest, FileThatShrinksWhileSentFails) {
  const auto data = Bytes(5 * kBlockSize);
  const auto file = MakeFile("a.mp3", data);
  target.onReport = [&](const Report& r) {
    if (r.wParam == 1) fs::resize_file(file, kBlockSize + 10);
  };
  const auto reports = Send(file, u"a.mp3");
  EXPECT_EQ(reports.back(), kFailed);
  EXPECT_TRUE(player->Entries(MediumId::kInternal).empty());
}

TEST_F(UpDnUnitTest, LongNamesLoseTheirFoldersOrAreRefused) {
  const auto file = MakeFile("a.mp3", Bytes(10));
  const std::u16string folders = u"C:\\" + std::u16string(130, u'f') + u"\\";
  EXPECT_EQ(Send(file, folders + u"a.mp3").back(), kDone);
  EXPECT_EQ(playerlink::ParseFileHeader(player->Entries(MediumId::kInternal)[0].header)->name, u"a.mp3");
  (void)player->TakeEvents();
  EXPECT_EQ(Send(file, u"C:\\" + std::u16string(128, u'n')).back(), kFailed);
  EXPECT_TRUE(player->TakeEvents().empty());
}

TEST_F(UpDnUnitTest, FilesOf4GiBAreRefused) {
  const fs::path big = dir / "big.bin";
  { std::ofstream(big).put('x'); }
  common::testing::MakeSparseFile(big, std::uint64_t{1} << 32);
  (void)player->TakeEvents();
  EXPECT_EQ(Send(big, u"big.bin"), std::vector<Report>{kFailed});
  EXPECT_TRUE(player->TakeEvents().empty());
}

TEST_F(UpDnUnitTest, ReadOf32768BytesWritesThemAll) {
  const auto data = Bytes(32768);
  ASSERT_TRUE(player->Store(MediumId::kInternal, u"C:\\x\\first.mp3", Bytes(5)));
  ASSERT_TRUE(player->Store(MediumId::kInternal, u"C:\\x\\song.mp3", data));
  const fs::path to = dir / "song.mp3";
  (void)player->TakeEvents();
  EXPECT_EQ(Fetch(u"1", to), (std::vector<Report>{{kMessage, 1, 50}, kDone}));
  EXPECT_EQ(FileBytes(to), data);
  const auto events = player->TakeEvents();
  EXPECT_EQ(events[0].request.commandByte, 0x8A);
  EXPECT_EQ(events[1].firstByte, 1);
  EXPECT_EQ(events[2].request.commandByte, 0x87);
  EXPECT_EQ(events[2].request.argument, 1u);
  EXPECT_EQ(events[4].request.argument, 3u);
  EXPECT_TRUE(OnlyTheTargetIn(to));
}

TEST_F(UpDnUnitTest, ReadOfEmptyAndSmallEntries) {
  ASSERT_TRUE(player->Store(MediumId::kInternal, u"empty", {}));
  ASSERT_TRUE(player->Store(MediumId::kInternal, u"small", Bytes(100)));
  EXPECT_EQ(Fetch(u"0", dir / "empty"), std::vector<Report>{kDone});
  EXPECT_TRUE(fs::exists(dir / "empty"));
  EXPECT_EQ(fs::file_size(dir / "empty"), 0u);
  EXPECT_EQ(Fetch(u"1", dir / "small").back(), kDone);
  EXPECT_EQ(FileBytes(dir / "small"), Bytes(100));
}

TEST_F(UpDnUnitTest, FailedReadLeavesTheUsersFileAsItWas) {
  ASSERT_TRUE(player->Store(MediumId::kInternal, u"song.mp3", Bytes(50000)));
  const fs::path to = MakeFile("song.mp3", Bytes(7, 9));
  for (unsigned k : {1u, 2u, 4u}) {  // repeated header, a data block, the last block
    Faults f;
    f.shortBlocks.push_back({true, k, std::uint8_t{2}, 100, 1});
    player->SetFaults(f);
    RecordingTarget t;
    TDNFileThread(driver, t, u"0", to.u16string(), kMessage, TDNFileThread::kModeRead).Execute();
    EXPECT_EQ(t.reports().back(), kFailed) << k;
    EXPECT_EQ(FileBytes(to), Bytes(7, 9)) << k;
    EXPECT_TRUE(OnlyTheTargetIn(to)) << k;
  }
}

TEST_F(UpDnUnitTest, ReadRefusesBadIndexesAndMissingEntries) {
  const fs::path to = dir / "x";
  (void)player->TakeEvents();
  for (const char16_t* index : {u"abc", u"255", u"-1", u""}) {
    RecordingTarget t;
    TDNFileThread(driver, t, index, to.u16string(), kMessage, TDNFileThread::kModeRead).Execute();
    EXPECT_EQ(t.reports(), std::vector<Report>{kFailed});
  }
  EXPECT_TRUE(player->TakeEvents().empty());
  // Entry 1 of an empty player is an erased block, not a 4 GiB file.
  EXPECT_EQ(Fetch(u"0", to), std::vector<Report>{kFailed});
  EXPECT_FALSE(fs::exists(to));
}

TEST_F(UpDnUnitTest, ReadFailsWhenTheSelectOrReadCommandFails) {
  ASSERT_TRUE(player->Store(MediumId::kInternal, u"a", Bytes(10)));
  for (std::uint8_t code : {5, 2}) {
    Faults f;
    f.commands.push_back({code, std::nullopt, false, {0, 0}, -1});
    player->SetFaults(f);
    RecordingTarget t;
    TDNFileThread(driver, t, u"0", (dir / "a").u16string(), kMessage, TDNFileThread::kModeRead).Execute();
    EXPECT_EQ(t.reports(), std::vector<Report>{kFailed});
  }
}

TEST_F(UpDnUnitTest, OtherModesEndWithoutAReport) {
  EXPECT_TRUE(Run(0, u"x", u"y").empty());
  EXPECT_TRUE(Run(3, u"x", u"y").empty());
}

TEST_F(UpDnUnitTest, ThreadsStartedThroughTheDevice) {
  const auto data = Bytes(70000);
  const auto file = MakeFile("t.mp3", data);
  TMyDevice device(driver);
  auto up = std::make_shared<RecordingTarget>(), down = std::make_shared<RecordingTarget>();
  ASSERT_TRUE(device.StartWriteThread(up, file, u"C:\\t.mp3", 1125));
  ASSERT_TRUE(up->WaitForEnd());
  EXPECT_EQ(up->reports().back(), (Report{1125, 2, 0}));
  ASSERT_TRUE(device.StartReadThread(down, "0", dir / "back.mp3", 1126));
  ASSERT_TRUE(down->WaitForEnd());
  EXPECT_EQ(down->reports().back(), (Report{1126, 2, 0}));
  EXPECT_EQ(FileBytes(dir / "back.mp3"), data);
}

TEST_F(UpDnUnitTest, TheReceiverOutlivesTheWindowThatStartedTheThread) {
  const auto file = MakeFile("t.mp3", Bytes(70000));
  TMyDevice device(driver);
  auto target = std::make_shared<RecordingTarget>();
  std::weak_ptr<RecordingTarget> watch = target;
  std::mutex hold;
  std::unique_lock gate(hold);
  target->onReport = [&](const Report&) { std::lock_guard wait(hold); };
  ASSERT_TRUE(device.StartWriteThread(target, file, u"C:\\t.mp3", 1125));
  target.reset();  // the window goes while the thread still reports to it
  EXPECT_FALSE(watch.expired()) << "the thread shares the receiver";
  gate.unlock();
  for (int i = 0; i < 3000 && !watch.expired(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_TRUE(watch.expired()) << "and lets it go when done";
}

TEST_F(UpDnUnitTest, ATransferWaitsForAnotherConversationToEnd) {
  const auto data = Bytes(40000);
  const auto file = MakeFile("t.mp3", data);
  TMyDevice device(driver);
  playerlink::Link other(driver);
  ASSERT_TRUE(other.Open().all());
  auto target = std::make_shared<RecordingTarget>();
  ASSERT_TRUE(device.StartWriteThread(target, file, u"C:\\t.mp3", 1125));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(target->reports().empty()) << "nothing moves while the other conversation runs";
  EXPECT_EQ(player->Entries(MediumId::kInternal).size(), 0u);
  other.Close();
  ASSERT_TRUE(target->WaitForEnd());
  EXPECT_EQ(target->reports().back(), (Report{1125, 2, 0}));
  EXPECT_EQ(player->Entries(MediumId::kInternal).size(), 1u);
}

}  // namespace
}  // namespace orvel
