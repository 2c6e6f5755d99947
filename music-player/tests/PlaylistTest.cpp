#include "music-player/Playlist.h"

#include <gtest/gtest.h>

#include "common/ByteOrder.h"
#include "music-player/tests/CoreTestSupport.h"

namespace vantu {
namespace {

using vantu_test::ReadBytes;
using vantu_test::ScratchFolder;
using vantu_test::WriteBytes;

std::string Names(const CPlaylist& p) {
  std::string s;
  for (int i = 0; i < p.Count(); ++i) s += p.GetEntry(i)->name;
  return s;
}

// A playlist of one-letter entries "A", "B", ... with paths "c:\A".
void Fill(CPlaylist& p, const std::string& letters) {
  for (char c : letters) p.AddFile(std::string("c:\\music\\") + c);
}

void Mark(CPlaylist& p, const std::string& letters) {
  p.SelectNone();
  for (int i = 0; i < p.Count(); ++i)
    if (letters.find(p.GetEntry(i)->name) != std::string::npos) p.GetEntry(i)->selected = true;
}

TEST(FileNameOf, Paths) {
  EXPECT_EQ(FileNameOf("c:\\music\\song.mp3"), "song.mp3");
  EXPECT_EQ(FileNameOf("c:\\music\\"), "");
  EXPECT_EQ(FileNameOf("song.mp3"), "song.mp3");
  EXPECT_EQ(FileNameOf(""), std::nullopt);
}

TEST(Playlist, WalksWrapAround) {
  CPlaylist p;
  EXPECT_EQ(p.StartPath(), std::nullopt);
  EXPECT_EQ(p.NextPath(), std::nullopt);
  EXPECT_EQ(p.RandomPath(), std::nullopt);
  Fill(p, "ABC");
  EXPECT_EQ(p.CurrentTitle(), std::nullopt);
  EXPECT_EQ(p.NextPath(), "c:\\music\\A");  // from -1
  p.SetCurrent(-1);
  EXPECT_EQ(p.PrevPath(), "c:\\music\\C");
  EXPECT_EQ(p.NextPath(), "c:\\music\\A");  // from the last
  EXPECT_EQ(p.PrevPath(), "c:\\music\\C");  // from the first
  Mark(p, "BC");
  EXPECT_EQ(p.StartPath(), "c:\\music\\B");
  p.SelectNone();
  EXPECT_EQ(p.StartPath(), "c:\\music\\A");
  EXPECT_EQ(p.CurrentTitle(), "A");
  p.SeedRandom(7);
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(p.RandomPath().has_value());
    EXPECT_GE(p.Current(), 0);
    EXPECT_LT(p.Current(), 3);
  }
}

TEST(Playlist, SelectionOperations) {
  CPlaylist p;
  Fill(p, "ABCDE");
  p.SelectRange(3, 1);
  EXPECT_EQ(p.FirstSelected(), 1);
  EXPECT_EQ(p.LastSelected(), 3);
  p.InvertSelection();
  EXPECT_TRUE(p.IsSelected(0));
  EXPECT_FALSE(p.IsSelected(2));
  EXPECT_FALSE(p.IsSelected(-1));
  EXPECT_FALSE(p.IsSelected(5));
  p.SelectOnly(-1);  // ignored
  EXPECT_TRUE(p.IsSelected(0));
  p.SelectOnly(2);
  EXPECT_EQ(p.FirstSelected(), 2);
  EXPECT_EQ(p.LastSelected(), 2);
  p.ToggleSelected(2);
  p.ToggleSelected(9);
  EXPECT_EQ(p.FirstSelected(), -1);
}

TEST(Playlist, MoveSelectionKeepsOrderAndTheCurrentEntry) {
  CPlaylist p;
  Fill(p, "ABCDE");
  Mark(p, "BD");
  p.SetCurrent(2);  // C
  EXPECT_TRUE(p.MoveSelection(1));
  EXPECT_EQ(Names(p), "ACBED");
  EXPECT_EQ(p.GetEntry(p.Current())->name, "C");

  CPlaylist q;
  Fill(q, "ABCDE");
  Mark(q, "B");
  EXPECT_TRUE(q.MoveSelection(5));
  EXPECT_EQ(Names(q), "ACDEB");
  Mark(q, "B");
  EXPECT_FALSE(q.MoveSelection(1));  // already last
  Mark(q, "CD");
  q.SetCurrent(1);
  EXPECT_TRUE(q.MoveSelection(-3));  // limited to one place
  EXPECT_EQ(Names(q), "CDAEB");
  EXPECT_EQ(q.GetEntry(q.Current())->name, "C");
  EXPECT_FALSE(q.MoveSelection(-1));
  q.SelectNone();
  EXPECT_FALSE(q.MoveSelection(1));
}

TEST(Playlist, RemoveSelectedFollowsOrClearsTheCurrentEntry) {
  CPlaylist p;
  Fill(p, "ABCDE");
  Mark(p, "BC");
  p.SetCurrent(3);
  EXPECT_EQ(p.RemoveSelected(), 2);
  EXPECT_EQ(Names(p), "ADE");
  EXPECT_EQ(p.GetEntry(p.Current())->name, "D");
  Mark(p, "DE");
  EXPECT_EQ(p.RemoveSelected(), 2);
  EXPECT_EQ(p.Current(), -1);
  EXPECT_EQ(Names(p), "A");
  p.Clear();
  EXPECT_EQ(p.Count(), 0);
  EXPECT_EQ(p.Current(), -1);
}

TEST(Playlist, ThousandEntriesAtMostWithOneMessage) {
  CPlaylist p;
  std::vector<std::string> messages;
  p.ShowMessage = [&](const std::string& m) { messages.push_back(m); };
  for (int i = 0; i < 1000; ++i) p.AddFile("c:\\" + std::to_string(i));
  EXPECT_TRUE(messages.empty());
  EXPECT_TRUE(p.AddFile("c:\\one-too-many"));
  EXPECT_EQ(p.Count(), 1000);
  EXPECT_EQ(messages, std::vector<std::string>{"Max 1000 File"});
  EXPECT_FALSE(p.AddEntry(std::make_unique<CPlaylistEntry>()));
}

TEST(Playlist, APathLongerThanTheFileHoldsIsRefusedWithAMessage) {
  ScratchFolder dir;
  CPlaylist p;
  std::vector<std::string> messages;
  p.ShowMessage = [&](const std::string& m) { messages.push_back(m); };
  const std::string longest = "c:\\" + std::string(1020, 'a');
  ASSERT_EQ(longest.size(), 1023u);
  p.AddFile(longest);
  p.AddFile(longest + "b");
  ASSERT_EQ(p.Count(), 1);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind(kPathTooLongText, 0), 0u);
  // What is taken is read back at the next start.
  ASSERT_TRUE(p.SavePlaylistFile(common::PathFromAnsi(dir.File("l.lirn"))));
  CPlaylist again;
  EXPECT_EQ(again.LoadPlaylistFile(common::PathFromAnsi(dir.File("l.lirn"))), CPlaylist::LoadResult::kLoaded);
  EXPECT_EQ(again.Count(), 1);
}

TEST(PlaylistFile, RoundTripsByteForByte) {
  ScratchFolder dir;
  CPlaylist p;
  p.AddFile("c:\\음악\\노래 1.mp3");  // bytes as given, whatever their code page
  p.AddFile("d:\\a.mp3");
  p.AddFile("");
  p.GetEntry(1)->selected = true;
  ASSERT_TRUE(p.SavePlaylistFile(common::PathFromAnsi(dir.File("a.lirn"))));
  const auto bytes = ReadBytes(dir.File("a.lirn"));
  EXPECT_EQ(common::LoadLE32(bytes.data()), 3u);
  CPlaylist q;
  ASSERT_EQ(q.LoadPlaylistFile(common::PathFromAnsi(dir.File("a.lirn"))), CPlaylist::LoadResult::kLoaded);
  EXPECT_EQ(q.GetEntry(0)->path, "c:\\음악\\노래 1.mp3");
  EXPECT_EQ(q.GetEntry(2)->name, "");
  EXPECT_FALSE(q.GetEntry(1)->selected);
  ASSERT_TRUE(q.SavePlaylistFile(common::PathFromAnsi(dir.File("b.lirn"))));
  EXPECT_EQ(ReadBytes(dir.File("b.lirn")), bytes);
}

TEST(PlaylistFile, LoadingAppendsAndALongFileStopsAtTheLimit) {
  ScratchFolder dir;
  std::vector<CPlaylistEntry> entries(1200);
  std::vector<const CPlaylistEntry*> all;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    entries[i].name = entries[i].title = std::to_string(i);
    entries[i].path = "c:\\" + entries[i].name;
    all.push_back(&entries[i]);
  }
  WriteBytes(dir.File("big.lirn"), playlist_file::Encode(all));
  CPlaylist p;
  int messages = 0;
  p.ShowMessage = [&](const std::string&) { ++messages; };
  p.AddFile("c:\\first");
  ASSERT_EQ(p.LoadPlaylistFile(common::PathFromAnsi(dir.File("big.lirn"))), CPlaylist::LoadResult::kLoaded);
  EXPECT_EQ(p.Count(), 1000);
  EXPECT_EQ(p.GetEntry(0)->name, "first");
  EXPECT_EQ(p.GetEntry(999)->name, "998");
  EXPECT_EQ(messages, 1);
}

TEST(PlaylistFile, DamagedFilesLeaveThePlaylistAsItWas) {
  ScratchFolder dir;
  CPlaylistEntry e{"a", "c:\\a", "a", false};
  auto good = playlist_file::Encode({&e, &e});
  auto damaged = [&](std::vector<std::uint8_t> bytes) {
    WriteBytes(dir.File("d.lirn"), bytes);
    CPlaylist p;
    p.AddFile("c:\\kept");
    const auto r = p.LoadPlaylistFile(common::PathFromAnsi(dir.File("d.lirn")));
    EXPECT_EQ(p.Count(), 1);
    return r;
  };
  EXPECT_EQ(damaged(std::vector<std::uint8_t>(good.begin(), good.end() - 1)), CPlaylist::LoadResult::kDamaged);
  EXPECT_EQ(damaged({1, 0}), CPlaylist::LoadResult::kDamaged);
  auto longString = good;
  common::StoreLE32(longString.data() + 4, 1024);  // over the limit, and past the end
  EXPECT_EQ(damaged(longString), CPlaylist::LoadResult::kDamaged);
  auto huge = good;
  common::StoreLE32(huge.data() + 4, 0xFFFFFFF0u);  // wraps a 32-bit offset
  EXPECT_EQ(damaged(huge), CPlaylist::LoadResult::kDamaged);
  auto moreClaimed = good;
  common::StoreLE32(moreClaimed.data(), 3);
  EXPECT_EQ(damaged(moreClaimed), CPlaylist::LoadResult::kDamaged);
  auto negative = good;
  common::StoreLE32(negative.data(), 0xFFFFFFFFu);  // no file of ours says that
  EXPECT_EQ(damaged(negative), CPlaylist::LoadResult::kDamaged);
  auto none = good;
  common::StoreLE32(none.data(), 0);
  WriteBytes(dir.File("n.lirn"), none);
  CPlaylist p;
  EXPECT_EQ(p.LoadPlaylistFile(common::PathFromAnsi(dir.File("n.lirn"))), CPlaylist::LoadResult::kLoaded);
  EXPECT_EQ(p.Count(), 0);
  EXPECT_EQ(p.LoadPlaylistFile(common::PathFromAnsi(dir.File("missing.lirn"))), CPlaylist::LoadResult::kCannotOpen);
}

}  // namespace
}  // namespace vantu
