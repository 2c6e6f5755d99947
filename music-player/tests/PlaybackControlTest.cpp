#include "music-player/PlaybackControl.h"

#include <gtest/gtest.h>

#include <deque>

#include "music-player/tests/EngineTestSupport.h"

namespace vantu {
namespace {

using namespace xaudio;

class FakeEngine : public CPlayerNotify {
 public:
  std::vector<Command> sent;
  std::vector<std::string> paths;
  std::vector<std::array<std::uint8_t, 64>> tables;
  int nullTables = 0;
  void SendCommand(const Command& c) override {
    sent.push_back(c);
    if (c.path) paths.push_back(c.path);
    if (c.code == kCmdEqualizer) {
      if (c.table) tables.push_back({}), std::copy(c.table, c.table + 64, tables.back().begin());
      else ++nullTables;
    }
  }
  void SetState(std::uint8_t s) {
    NotificationRecord r;
    r.code = kNotifyPlayerState;
    r.params[0] = s;
    Dispatch(r);
  }
  std::vector<int> Codes() const {
    std::vector<int> out;
    for (const auto& c : sent) out.push_back(c.code);
    return out;
  }
};

class FakeView : public PlaybackView {
 public:
  bool exists = true;
  int travel = 100;
  std::vector<int> times, modes, thumbs, levels, waits;
  std::deque<int> posted;
  std::vector<std::string> titles;
  int openFiles = 0, resets = 0;
  bool WindowExists() override { return exists; }
  void ShowTime(int s) override { times.push_back(s); }
  void ShowStream(int, int) override {}
  void ShowTitle(const std::string& t) override { titles.push_back(t); }
  void ResetDisplay() override { ++resets; }
  void SetPositionMode(int m) override { modes.push_back(m); }
  int PositionTravel() override { return travel; }
  void SetThumbPosition(int px) override { thumbs.push_back(px); }
  void ReapplyLevel(int id) override { levels.push_back(id); }
  void NavigateBrowserIfOpen() override {}
  void RedrawPlaylistIfOpen() override {}
  void OpenFiles() override { ++openFiles; }
  void PostCommand(int id) override { posted.push_back(id); }
  void Wait(int ms) override { waits.push_back(ms); }
};

class PlaybackTest : public ::testing::Test {
 protected:
  PlaybackTest() : control_(playlist_, settings_, view_) {
    engine_.SetOwner(&control_);
    control_.SetEngine(&engine_);
  }
  // Runs the commands the control posted to itself (105: next).
  void RunPosted() {
    while (!view_.posted.empty()) {
      const int id = view_.posted.front();
      view_.posted.pop_front();
      if (id == 105) control_.PlayNext();
    }
  }
  const std::string good_ = xaudio_test::TestFile("tone3s.mp3");
  const std::string bad_ = xaudio_test::TestFile("no-such-file.mp3");

  CPlaylist playlist_;
  PlayerSettings settings_;
  FakeView view_;
  FakeEngine engine_;
  CPlaybackControl control_;
};

TEST_F(PlaybackTest, PlayOpensThenPlaysAndPlayWhilePausedOnlyResumes) {
  playlist_.AddFile(good_);
  playlist_.AddFile(good_);
  control_.PlayCurrent();
  EXPECT_EQ(engine_.Codes(), (std::vector<int>{kCmdInputOpen, kCmdPlay}));
  EXPECT_EQ(engine_.paths, std::vector<std::string>{good_});
  EXPECT_EQ(view_.waits, std::vector<int>{100});
  EXPECT_EQ(view_.levels, (std::vector<int>{402, 401}));
  EXPECT_EQ(view_.titles.back(), good_);  // a native path holds no backslash: the whole path
  engine_.SetState(kStatePlaying);
  control_.TogglePause();
  EXPECT_EQ(engine_.sent.back().code, kCmdPause);
  engine_.SetState(kStatePaused);
  engine_.sent.clear();
  control_.PlayNext();
  EXPECT_EQ(engine_.Codes(), std::vector<int>{kCmdPlay});
  EXPECT_EQ(playlist_.Current(), 1);  // moved, although only resumed
  engine_.SetState(kStatePlaying);
  engine_.sent.clear();
  control_.StopPlayback();
  EXPECT_EQ(engine_.Codes(), (std::vector<int>{kCmdStop, kCmdInputClose}));
  EXPECT_EQ(view_.times.back(), -1);
  engine_.SetState(kStateStopped);
  engine_.sent.clear();
  control_.StopPlayback();
  control_.TogglePause();
  EXPECT_TRUE(engine_.sent.empty());
}

TEST_F(PlaybackTest, FileChosenWhilePausedStartsInsteadOfTheOldOne) {
  const std::string other = xaudio_test::TestFile("mono22k.mp3");
  playlist_.AddFile(good_);
  control_.PlayCurrent();
  engine_.SetState(kStatePaused);
  engine_.sent.clear();
  engine_.paths.clear();
  // Handed over by a second start (the playlist becomes that file).
  control_.PlayCommandLine("\"" + other + "\"");
  EXPECT_EQ(engine_.Codes(), (std::vector<int>{kCmdStop, kCmdInputClose, kCmdInputOpen, kCmdPlay}));
  EXPECT_EQ(engine_.paths, std::vector<std::string>{other});
  EXPECT_EQ(control_.CurrentFile(), other);
  // An entry chosen in the list while paused.
  playlist_.AddFile(good_);
  playlist_.SelectOnly(1);
  engine_.SetState(kStatePaused);
  engine_.paths.clear();
  control_.PlayChosen();
  EXPECT_EQ(engine_.paths, std::vector<std::string>{good_});
  EXPECT_EQ(playlist_.Current(), 1);
}

TEST_F(PlaybackTest, FiveUnplayableFilesAreSkippedTheSixthStops) {
  for (int i = 0; i < 10; ++i) playlist_.AddFile(i < 6 ? bad_ : good_);
  control_.PlayCurrent();
  RunPosted();
  EXPECT_EQ(playlist_.Current(), 5);
  EXPECT_FALSE(control_.Playable());
  EXPECT_EQ(view_.titles.back(), kUnplayableTitle);
  EXPECT_TRUE(engine_.paths.empty());
  EXPECT_EQ(std::count(view_.waits.begin(), view_.waits.end(), 500), 5);
  control_.PlayNext();
  EXPECT_EQ(playlist_.Current(), 6);
  EXPECT_TRUE(control_.Playable());
  EXPECT_EQ(control_.FailureCount(), 0);
  EXPECT_EQ(engine_.paths.size(), 1u);

  CPlaylist one;
  one.AddFile(bad_);
  FakeView view;
  CPlaybackControl single(one, settings_, view);
  single.SetEngine(&engine_);
  single.PlayCurrent();
  EXPECT_TRUE(view.posted.empty());
  EXPECT_EQ(view.titles.back(), kUnplayableTitle);
  single.PlayFile("");
  EXPECT_FALSE(single.Playable());
}

TEST_F(PlaybackTest, TrackEndFollowsShuffleAndRepeat) {
  playlist_.AddFile(good_);
  playlist_.AddFile(good_);
  control_.PlayCurrent();
  playlist_.SetCurrent(1);
  engine_.SetState(kStatePlaying);
  engine_.sent.clear();
  settings_[SettingsWord::kRepeat] = 0;
  engine_.SetState(kStateEof);  // runs OnTrackEnd with the state still "playing"
  EXPECT_EQ(engine_.Codes(), (std::vector<int>{kCmdStop, kCmdInputClose}));
  EXPECT_EQ(playlist_.Current(), -1);
  EXPECT_EQ(engine_.State(), kStateEof);

  settings_[SettingsWord::kRepeat] = 1;
  playlist_.SetCurrent(1);
  engine_.SetState(kStatePlaying);
  engine_.sent.clear();
  engine_.SetState(kStateEof);
  EXPECT_EQ(playlist_.Current(), 0);
  // The state reads "playing" until the end action returns, so the stop of
  // the next file's start goes out again.
  EXPECT_EQ(engine_.Codes(), (std::vector<int>{kCmdStop, kCmdInputClose, kCmdStop, kCmdInputClose, kCmdInputOpen, kCmdPlay}));

  settings_[SettingsWord::kShuffle] = 1;
  playlist_.SeedRandom(3);
  engine_.SetState(kStatePlaying);
  engine_.SetState(kStateEof);
  EXPECT_GE(playlist_.Current(), 0);
  EXPECT_EQ(engine_.sent.back().code, kCmdPlay);
}

TEST_F(PlaybackTest, EmptyPlaylistOpensTheFileDialog) {
  control_.PlayCurrent();
  control_.PlayNext();
  control_.PlayPrevious();
  EXPECT_EQ(view_.openFiles, 3);
  control_.PlayCommandLine("\"\"");
  EXPECT_EQ(view_.openFiles, 3);
  control_.PlayCommandLine("\"" + good_ + "\"");
  EXPECT_EQ(playlist_.Count(), 1);
  EXPECT_EQ(engine_.paths, std::vector<std::string>{good_});
}

TEST_F(PlaybackTest, EqualizerTableIsClampedNeverWrapped) {
  settings_[SettingsWord::kEqualizerOn] = 0;
  control_.ApplyEqualizer();
  EXPECT_EQ(engine_.nullTables, 1);
  settings_[SettingsWord::kEqualizerOn] = 1;
  control_.ApplyEqualizer();
  ASSERT_EQ(engine_.tables.size(), 1u);
  EXPECT_EQ(engine_.tables[0], (std::array<std::uint8_t, 64>{}));

  for (int i = 0; i < 7; ++i) settings_.SetEqualizer(static_cast<std::size_t>(i), i - 3);
  settings_.SetEqualizer(0, 30);    // 150 would wrap to -106
  settings_.SetEqualizer(6, -40);   // -200 would wrap to 56
  settings_.SetEqualizer(7, 9);     // slider 457 feeds no band
  const auto t = BuildBandTable(settings_);
  EXPECT_EQ(static_cast<std::int8_t>(t[0]), 127);
  EXPECT_EQ(static_cast<std::int8_t>(t[1]), -10);  // slider 451: bands 1-2
  EXPECT_EQ(static_cast<std::int8_t>(t[2]), -10);
  EXPECT_EQ(static_cast<std::int8_t>(t[3]), -5);   // 452: 3-5
  EXPECT_EQ(static_cast<std::int8_t>(t[6]), 0);    // 453: 6-10
  EXPECT_EQ(static_cast<std::int8_t>(t[11]), 5);   // 454: 11-17
  EXPECT_EQ(static_cast<std::int8_t>(t[26]), 10);  // 455: 18-26
  EXPECT_EQ(static_cast<std::int8_t>(t[27]), -128);
  EXPECT_EQ(static_cast<std::int8_t>(t[31]), -128);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(t[static_cast<std::size_t>(i)], t[static_cast<std::size_t>(i + 32)]);
}

TEST_F(PlaybackTest, PositionSliderMovesEveryFifthNotificationWhilePlaying) {
  control_.ShowPosition(10, 100);  // stopped: not counted
  engine_.SetState(kStatePlaying);
  for (int i = 1; i <= 10; ++i) control_.ShowPosition(static_cast<std::uint32_t>(i * 10), 100);
  EXPECT_EQ(view_.thumbs, (std::vector<int>{50, 100}));
  // An unknown length never divides; a long input does not overflow.
  for (int i = 0; i < 5; ++i) control_.ShowPosition(5, 0);
  EXPECT_EQ(view_.thumbs.size(), 2u);
  view_.travel = 400;
  for (int i = 0; i < 5; ++i) control_.ShowPosition(3'000'000'000u, 4'000'000'000u);
  EXPECT_EQ(view_.thumbs.back(), 300);
  view_.exists = false;
  for (int i = 0; i < 5; ++i) control_.ShowPosition(1, 1);
  EXPECT_EQ(view_.thumbs.size(), 3u);
}

TEST_F(PlaybackTest, SeekScalesToTheRangeAndIgnoresAZeroMaximum) {
  control_.Seek(1, 0);
  EXPECT_TRUE(engine_.sent.empty());
  control_.Seek(1, 2);
  control_.Seek(65535, 65535);
  control_.Seek(9, 3);  // past the end: the end
  ASSERT_EQ(engine_.sent.size(), 3u);
  EXPECT_EQ(engine_.sent[0].values[0], kSeekRange / 2);
  EXPECT_EQ(engine_.sent[0].values[1], kSeekRange);
  EXPECT_EQ(engine_.sent[1].values[0], kSeekRange);
  EXPECT_EQ(engine_.sent[2].values[0], kSeekRange);
}

TEST(TitleText, CutAtACharacterBoundary) {
  EXPECT_EQ(CutAnsiText(std::string(200, 'a'), 127).size(), 127u);
  std::string hangul;
  for (int i = 0; i < 100; ++i) hangul += "\xB0\xA1";
  EXPECT_EQ(CutAnsiText(hangul, 127).size(), 126u);
  EXPECT_EQ(CutAnsiText("a" + hangul, 127).size(), 127u);
  EXPECT_EQ(CutAnsiText("short", 127), "short");
}

}  // namespace
}  // namespace vantu
