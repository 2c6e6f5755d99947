#include "tools/player-sim/FolderStorage.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "player-link/Link.h"

namespace playersim {
namespace {

namespace fs = std::filesystem;
using namespace playerlink;
using playerlink::sim::SimulatedDriver;
using playerlink::sim::SimulatedPlayer;

std::vector<std::uint8_t> Bytes(std::size_t n, unsigned seed) {
  std::vector<std::uint8_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(i * 17 + seed);
  return v;
}

std::vector<std::uint8_t> FileBytes(const fs::path& p) {
  auto s = common::ReadWholeFile(p, 1u << 26);
  return s ? std::vector<std::uint8_t>(s->begin(), s->end()) : std::vector<std::uint8_t>{};
}

class FolderStorageTest : public ::testing::Test {
 protected:
  FolderStorageTest() {
    root = fs::temp_directory_path() /
           ("player-sim-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root);
  }
  ~FolderStorageTest() override { fs::remove_all(root); }

  std::shared_ptr<SimulatedPlayer> Boot() {
    auto storage = std::make_unique<FolderStorage>(root);
    EXPECT_TRUE(storage->Prepare());
    auto player = std::make_shared<SimulatedPlayer>(sim::PlayerSettings{}, std::move(storage));
    EXPECT_TRUE(player->LoadStorage());
    return player;
  }

  // A write through the protocol, as the programs do it.
  static bool Write(SimulatedPlayer& p, std::u16string_view name, const std::vector<std::uint8_t>& data) {
    SimulatedDriver driver(std::shared_ptr<SimulatedPlayer>(&p, [](SimulatedPlayer*) {}));
    Link link(driver);
    if (!link.Open().all()) return false;
    const auto blocks = static_cast<std::uint32_t>(FileBlockCount(data.size()));
    if (!link.Command(kInternalMemoryBase, CommandCode::kBeginWrite, blocks, kMode4).ok()) return false;
    Block b = BuildFileHeader(static_cast<std::uint32_t>(data.size()), name, NameEnd::kZeroUnit);
    if (!link.WriteBlock(b)) return false;
    for (std::size_t at = 0; at < data.size(); at += kBlockSize) {
      std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(at), std::min(kBlockSize, data.size() - at), b.begin());
      if (!link.WriteBlock(b)) return false;
    }
    return true;
  }

  fs::path Files() const { return root / "internal" / "files"; }
  fs::path root;
};

TEST_F(FolderStorageTest, FilesAreKeptByteForByteAcrossRuns) {
  const auto a = Bytes(40000, 1), b = Bytes(16384, 2);
  {
    auto p = Boot();
    ASSERT_TRUE(Write(*p, u"C:\\LocalSync\\채널 1.mp3", a));
    ASSERT_TRUE(Write(*p, u"C:\\b.mp3", b));
    ASSERT_TRUE(Write(*p, u"C:\\empty.mp3", {}));
  }
  EXPECT_EQ(FileBytes(Files() / "채널 1.mp3"), a);
  EXPECT_EQ(FileBytes(Files() / "b.mp3"), b);
  EXPECT_EQ(fs::file_size(root / "internal" / "headers" / "b.mp3"), kBlockSize);

  auto again = Boot();
  const auto entries = again->Entries(sim::MediumId::kInternal);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(ParseFileHeader(entries[0].header)->name, u"C:\\LocalSync\\채널 1.mp3");
  EXPECT_EQ(*again->EntryData(sim::MediumId::kInternal, 0), a);
  EXPECT_EQ(*again->EntryData(sim::MediumId::kInternal, 1), b);
  EXPECT_EQ(entries[2].size, 0u);
}

TEST_F(FolderStorageTest, ReplaceDeleteAndReorderReachTheFolder) {
  auto p = Boot();
  ASSERT_TRUE(Write(*p, u"C:\\x.mp3", Bytes(10, 1)));
  ASSERT_TRUE(Write(*p, u"C:\\y.mp3", Bytes(10, 2)));
  ASSERT_TRUE(Write(*p, u"D:\\x.mp3", Bytes(20, 3)));  // replaces in place
  EXPECT_EQ(FileBytes(Files() / "x.mp3"), Bytes(20, 3));
  EXPECT_EQ(*common::ReadWholeFile(root / "internal" / "order", 1000), "x.mp3\ny.mp3\n");

  SimulatedDriver driver(p);
  Link link(driver);
  ASSERT_TRUE(link.Open().all());
  const std::uint8_t order[] = {2, 1};
  ASSERT_TRUE(link.Command(kInternalMemoryBase, CommandCode::kEntryBlock, 1, kMode4).ok());
  ASSERT_TRUE(link.WriteBlock(*BuildOrderBlock(order)));
  EXPECT_EQ(*common::ReadWholeFile(root / "internal" / "order", 1000), "y.mp3\nx.mp3\n");

  ASSERT_TRUE(link.Command(kInternalMemoryBase, CommandCode::kEntryBlock, 1, kMode4).ok());
  ASSERT_TRUE(link.WriteBlock(BuildSelectionBlock(2)));
  ASSERT_TRUE(link.Command(kInternalMemoryBase, CommandCode::kDelete, 1, kMode4).ok());
  EXPECT_FALSE(fs::exists(Files() / "x.mp3"));
  EXPECT_FALSE(fs::exists(root / "internal" / "headers" / "x.mp3"));
  EXPECT_EQ(*common::ReadWholeFile(root / "internal" / "order", 1000), "y.mp3\n");
  // Nothing but the entries themselves is left in the folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(Files()), fs::directory_iterator()), 1);
}

TEST_F(FolderStorageTest, NamesBecomeSafeUniqueKeys) {
  EXPECT_EQ(KeyForName(u"a/b"), "a_b");
  EXPECT_EQ(KeyForName(u".."), "_");
  EXPECT_EQ(KeyForName(u""), "_");
  EXPECT_EQ(KeyForName(u"tab\there"), "tab_here");
  EXPECT_EQ(KeyForName(std::u16string(u"x\xD800y")), "x_y");
  EXPECT_LE(KeyForName(std::u16string(300, u'가')).size(), 200u);

  auto p = Boot();
  // Names that differ on the player but not as keys.
  ASSERT_TRUE(Write(*p, u"C:\\a\tb.mp3", Bytes(3, 1)));
  ASSERT_TRUE(Write(*p, u"C:\\a\nb.mp3", Bytes(3, 2)));
  EXPECT_EQ(FileBytes(Files() / "a_b.mp3"), Bytes(3, 1));
  EXPECT_EQ(FileBytes(Files() / "a_b~2.mp3"), Bytes(3, 2));
}

TEST_F(FolderStorageTest, DamagedStorageLosesOnlyTheDamagedEntries) {
  {
    auto p = Boot();
    ASSERT_TRUE(Write(*p, u"good.mp3", Bytes(100, 1)));
    ASSERT_TRUE(Write(*p, u"cut.mp3", Bytes(100, 2)));
  }
  fs::resize_file(Files() / "cut.mp3", 50);
  ASSERT_TRUE(common::WriteFileAtomically(root / "internal" / "order",
                                          std::vector<std::uint8_t>{'g', 'o', 'o', 'd', '.', 'm', 'p', '3', '\r',
                                                                    '\n', '.', '.', '\n', 'c', 'u', 't', '.', 'm',
                                                                    'p', '3', '\n', 'n', 'o', 'n', 'e', '\n'}));
  auto p = Boot();
  const auto entries = p->Entries(sim::MediumId::kInternal);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].key, "good.mp3");
}

TEST_F(FolderStorageTest, OrderFileParsing) {
  EXPECT_EQ(ParseOrderFile("a\r\nb\n\n../x\nc/d\n.\nlast"),
            (std::vector<std::string>{"a", "b", "last"}));
  EXPECT_TRUE(ParseOrderFile("").empty());
}

TEST_F(FolderStorageTest, IdentifierIsKept) {
  FolderStorage s(root);
  ASSERT_TRUE(s.Prepare());
  EXPECT_EQ(*s.Identifier(0xABCDEF01), 0xABCDEF01u);
  EXPECT_EQ(*s.Identifier(5), 0xABCDEF01u);
  ASSERT_TRUE(s.SetIdentifier(0x42));
  EXPECT_EQ(*s.Identifier(5), 0x42u);
}

}  // namespace
}  // namespace playersim
