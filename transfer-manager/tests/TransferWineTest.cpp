// Under Wine, the transfer manager's two ways out of the program:
// - an upload from tools/player-sim (through the bridge, started by
//   tools/player-sim/run_with_player_sim.py as a player of the model that
//   uploads) whose data blocks come through the built Dravik.dll, loaded as
//   the program loads it, and arrive on the PC byte for byte;
// - a preview of a generated MP3 file through the system's media control
//   interface on the null sound device: it plays, and its position moves on;
// - a PC file with a Hangul name in a folder with a Hangul name, listed and
//   written to the player under that name.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "common/File.h"
#include "player-link/Link.h"
#include "transfer-manager/frmProgress.h"
#include "transfer-manager/modPreview.h"
#include "transfer-manager/modUpload.h"
#include "transfer-manager/tests/HalvernTestSupport.h"

namespace halvern {
namespace {

using namespace playerlink;

std::vector<std::uint8_t> Bytes(std::size_t n, unsigned seed) {
  std::vector<std::uint8_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>((i * 7919 + seed + i / 509) >> 2);
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

class TransferWineTest : public testing::HalvernTest {};

TEST_F(TransferWineTest, AnUploadFromThePlayerArrivesWholeThroughTheLibrary) {
  ASSERT_NE(std::getenv(kBridgeVariable), nullptr) << "run under run_with_player_sim.py";
  // The player of the bridge, not the test's own.
  Environment().driver = &SystemDriver();
  const auto first = Bytes(3 * kBlockSize + 4321, 1);
  const auto second = Bytes(kBlockSize, 2);
  {
    Link link(SystemDriver());
    ASSERT_TRUE(link.Open().all());
    ASSERT_TRUE(WriteFileToPlayer(link, u"C:\\음악\\올림.mp3", first));
    ASSERT_TRUE(WriteFileToPlayer(link, u"C:\\Music\\second.mp3", second));
  }
  ShapeForm& form = StartAndRead();
  ASSERT_EQ(form.lvwGetFileList.Count(), 2);
  ASSERT_EQ(Vars().modelCode, "F010");
  ASSERT_TRUE(form.lvwGetFileList.UserSetSelected(0, true));
  ASSERT_TRUE(form.lvwGetFileList.UserSetSelected(1, true));
  ASSERT_TRUE(form.imgUpload.Enabled());

  std::filesystem::create_directories(Pc("받은 곡"));
  gui::FileDialogAnswer answer;
  answer.ok = true;
  answer.paths = {TextOfPath(Pc("받은 곡") / PathFromText("올림.mp3"))};
  backend().QueueFileDialogAnswer(answer);
  ASSERT_TRUE(form.imgUpload.UserClick());
  EXPECT_TRUE(TakeBoxes().empty());

  for (const auto& [name, bytes] : {std::pair{"올림.mp3", &first}, std::pair{"second.mp3", &second}}) {
    auto text = common::ReadWholeFile(Pc("받은 곡") / PathFromText(name), 1u << 24);
    ASSERT_TRUE(text) << name;
    ASSERT_EQ(text->size(), bytes->size()) << name;
    const std::vector<std::uint8_t> got(text->begin(), text->end());
    const auto diff = std::mismatch(got.begin(), got.end(), bytes->begin());
    EXPECT_TRUE(diff.first == got.end()) << name << ": first difference at byte " << (diff.first - got.begin());
  }
  std::size_t files = 0;
  for (const auto& e : std::filesystem::directory_iterator(Pc("받은 곡"))) files += e.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 2u);  // no temporary file left behind
  EXPECT_EQ(frmProgress->lblFileName.Caption(), "File Name : second.mp3");
}

#ifdef HALVERN_TEST_MP3
TEST_F(TransferWineTest, APreviewPlaysThroughTheMediaInterface) {
  std::filesystem::copy_file(std::filesystem::path(HALVERN_TEST_MP3), Pc("tone preview.mp3"));
  ShapeForm& form = StartAndRead();
  ASSERT_GE(form.lvwPcFileList.Count(), 1);
  ASSERT_TRUE(form.lvwPcFileList.UserSetSelected(0, true));
  ASSERT_TRUE(form.imgPlay.UserClick());
  for (const auto& box : TakeBoxes()) ADD_FAILURE() << box;
  ASSERT_TRUE(form.Timer1.Enabled());
  EXPECT_EQ(form.lblTrackTime.Caption(), "Track Time : 3 Seconds");
  EXPECT_EQ(GetMediaMode(), "playing");

  const auto position = [] { return std::stol("0" + GetMediaPosition(kTimeMs)); };
  const long before = position();
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  const long after = position();
  EXPECT_GT(after, before + 500);
  backend().Advance(kPlayPositionMs);
  const std::string pos = form.lblPos.Caption();
  ASSERT_EQ(pos.rfind("Pos Time : ", 0), 0u) << pos;
  EXPECT_GE(std::stoi(pos.substr(11)), 1) << pos;

  // At the end the media is closed and the list is empty.
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  backend().Advance(kPlayPositionMs);
  EXPECT_FALSE(form.Timer1.Enabled());
  EXPECT_TRUE(form.lvwPlayList.Items().empty());
  EXPECT_TRUE(form.imgPlay.Enabled());
  for (const auto& box : TakeBoxes()) ADD_FAILURE() << box;
}
#endif

#ifdef HALVERN_HANGUL_FOLDER
// The PC files a Korean user has: a folder and a file with Hangul names, made
// on the Unix side by the build (as the user's own files are there), seen
// through Wine under the Korean locale the programs run in.
TEST_F(TransferWineTest, AHangulFileInAHangulFolderIsListedAndWrittenUnderItsName) {
  ASSERT_NE(std::getenv(kBridgeVariable), nullptr) << "run under run_with_player_sim.py";
  ASSERT_EQ(::GetACP(), 949u) << "run under LC_ALL=ko_KR.UTF-8";
  Environment().driver = &SystemDriver();
  const std::string folder = TextOfPath(PathFromText(HALVERN_HANGUL_FOLDER).make_preferred());
  Environment().fallbackFolder = folder;
  shell.roots = {{"PC", folder}};
  ShapeForm& form = StartAndRead();
  const std::size_t before = form.lvwGetFileList.Count();
  ASSERT_EQ(Captions(form.lvwPcFileList), std::vector<std::string>{"첫 노래.mp3"})
      << "the Unix file names reach the program as Hangul only under an installed Korean locale "
         "(scripts/setup makes it)";
  ASSERT_TRUE(form.lvwPcFileList.UserSetSelected(0, true));
  ASSERT_TRUE(form.imgDownload.UserClick());
  for (const auto& box : TakeBoxes()) ADD_FAILURE() << box;

  // The directory read after the command shows it under its name, and the
  // player holds the file's whole path.
  ASSERT_EQ(form.lvwGetFileList.Count(), before + 1);
  const auto& row = form.lvwGetFileList.Item(static_cast<int>(before));
  EXPECT_EQ(row.caption, "첫 노래.mp3");
  const std::string stored = row.subItems.at(1);
  EXPECT_TRUE(stored.ends_with("\\한글 폴더\\첫 노래.mp3")) << stored;
  EXPECT_EQ(row.subItems.at(2), "3000");
}
#endif

}  // namespace
}  // namespace halvern
