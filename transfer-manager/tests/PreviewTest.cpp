// Preview playback over a media device of the test's own: the command
// strings, the time texts, the play list, the error boxes.
#include <gtest/gtest.h>

#include <map>

#include "transfer-manager/modFunctions.h"
#include "transfer-manager/modPreview.h"
#include "transfer-manager/tests/HalvernTestSupport.h"

namespace halvern {
namespace {

// A media device that plays on the test's clock: opened files have a
// length; "status mp position" runs on while playing. Every command is
// recorded; chosen commands fail with a chosen code.
struct FakeMedia {
  std::vector<std::string> commands;
  std::map<std::string, std::uint64_t> lengths;  // by path; missing: cannot open
  std::map<std::string, std::uint32_t> failing;  // by command
  std::string open;                              // the open path
  bool playing = false;
  std::uint64_t startedAt = 0;
  std::function<std::uint64_t()> now;
};

class FakeMediaControl : public MediaControl {
 public:
  explicit FakeMediaControl(std::shared_ptr<FakeMedia> m) : m_(std::move(m)) {}

  std::uint32_t SendString(const std::string& command, std::string* reply) override {
    auto& m = *m_;
    m.commands.push_back(command);
    if (reply) reply->clear();
    if (auto f = m.failing.find(command); f != m.failing.end()) return f->second;
    if (command.rfind("open \"", 0) == 0) {
      if (!m.open.empty()) return 289;  // the alias is in use
      const std::string path = command.substr(6, command.find('"', 6) - 6);
      if (!m.lengths.count(path)) return 275;  // cannot find the file
      m.open = path;
      return 0;
    }
    if (command == "close mp") {
      m.open.clear();
      m.playing = false;
      return 0;
    }
    if (m.open.empty()) return 263;
    const std::uint64_t length = m.lengths[m.open];
    const std::uint64_t position = m.playing ? std::min(length, m.now() - m.startedAt) : 0;
    if (command == "play mp") {
      m.playing = true;
      m.startedAt = m.now();
    } else if (command == "status mp length") {
      if (reply) *reply = "  " + std::to_string(length) + " ";
    } else if (command == "status mp position") {
      if (reply) *reply = std::to_string(position);
    } else if (command == "status mp mode") {
      if (reply) *reply = m.playing && position < length ? "playing" : "stopped";
    }
    return 0;
  }
  std::string ErrorText(std::uint32_t code) override { return "media error " + std::to_string(code); }

 private:
  std::shared_ptr<FakeMedia> m_;
};

class PreviewTest : public testing::HalvernTest {
 protected:
  PreviewTest() : media(std::make_shared<FakeMedia>()) {
    Environment().media = [m = media] { return std::make_unique<FakeMediaControl>(m); };
  }
  ShapeForm& Ready(std::initializer_list<std::pair<const char*, std::uint64_t>> files) {
    for (const auto& [name, ms] : files) {
      Touch(Pc(name), 100);
      media->lengths[TextOfPath(Pc(name))] = ms;
    }
    ShapeForm& form = StartAndRead();
    media->now = [this] { return app().NowMs(); };
    media->commands.clear();
    return form;
  }
  void SelectPc(ShapeForm& form, std::initializer_list<int> rows) {
    for (int r : rows) ASSERT_TRUE(form.lvwPcFileList.UserSetSelected(r, true));
  }
  std::vector<std::string> PlayList(ShapeForm& form) { return Captions(form.lvwPlayList); }

  std::shared_ptr<FakeMedia> media;
};

TEST_F(PreviewTest, PlaysTheSelectedFilesOneAfterTheOther) {
  ShapeForm& form = Ready({{"a song.mp3", 2500}, {"b.mp3", 999}, {"c.mp3", 3500}});
  SelectPc(form, {0, 2});
  ASSERT_TRUE(form.imgPlay.UserClick());
  const std::string a = TextOfPath(Pc("a song.mp3")), c = TextOfPath(Pc("c.mp3"));
  EXPECT_EQ(PlayList(form), (std::vector<std::string>{a, c}));
  EXPECT_EQ(media->commands, (std::vector<std::string>{"close mp", "open \"" + a + "\" alias mp",
                                                       "set mp time format ms", "status mp length", "play mp"}));
  EXPECT_EQ(form.lblTrackTime.Caption(), "Track Time : 2 Seconds");
  // The playing texts show from the first position on, not before.
  EXPECT_FALSE(form.lblPlayingTime.Visible());
  EXPECT_FALSE(form.lblPos.Visible());
  EXPECT_TRUE(form.Timer1.Enabled());
  EXPECT_FALSE(form.imgPlay.Enabled());
  EXPECT_EQ(GetMediaMode(), "playing");
  EXPECT_TRUE(form.previewPlaying());

  backend().Advance(1000);
  EXPECT_EQ(form.lblPlayingTime.Caption(), "Playing Time : 2 Seconds");
  EXPECT_EQ(form.lblPos.Caption(), "Pos Time : 1 Seconds");
  EXPECT_TRUE(form.lblPlayingTime.Visible());
  EXPECT_TRUE(form.lblPos.Visible());
  // At the end of the first file the second one opens, closed first.
  media->commands.clear();
  backend().Advance(2000);
  EXPECT_EQ(PlayList(form), std::vector<std::string>{c});
  EXPECT_EQ(form.lblTrackTime.Caption(), "Track Time : 4 Seconds");
  EXPECT_EQ(media->open, c);
  for (std::size_t i = 0; i < media->commands.size(); ++i) {
    if (media->commands[i].rfind("open", 0) == 0) {
      ASSERT_GT(i, 0u);
      EXPECT_EQ(media->commands[i - 1], "close mp");
    }
  }
  // After the last one the list is empty and play is possible again.
  backend().Advance(4000);
  EXPECT_TRUE(PlayList(form).empty());
  EXPECT_FALSE(form.Timer1.Enabled());
  EXPECT_TRUE(form.imgPlay.Enabled());
  EXPECT_TRUE(media->open.empty());
  EXPECT_TRUE(backend().MessageBoxes().empty());
}

TEST_F(PreviewTest, ADeviceThatRewindsAtTheEndStillGoesOnToTheNextFile) {
  ShapeForm& form = Ready({{"a.mp3", 1000}, {"b.mp3", 1000}});
  SelectPc(form, {0, 1});
  ASSERT_TRUE(form.imgPlay.UserClick());
  backend().Advance(500);
  // Stopped at position 0, as some devices report a file that has ended.
  media->playing = false;
  backend().Advance(500);
  EXPECT_EQ(PlayList(form), std::vector<std::string>{TextOfPath(Pc("b.mp3"))});
  EXPECT_EQ(media->open, TextOfPath(Pc("b.mp3")));
}

TEST_F(PreviewTest, StopClosesAndEmptiesTheList) {
  ShapeForm& form = Ready({{"a.mp3", 60000}, {"b.mp3", 60000}});
  SelectPc(form, {0, 1});
  ASSERT_TRUE(form.imgPlay.UserClick());
  backend().Advance(1500);
  ASSERT_TRUE(form.imgStop.UserClick());
  EXPECT_TRUE(PlayList(form).empty());
  EXPECT_FALSE(form.Timer1.Enabled());
  EXPECT_TRUE(form.imgPlay.Enabled());
  EXPECT_EQ(media->commands.back(), "close mp");
  EXPECT_TRUE(media->open.empty());
}

TEST_F(PreviewTest, AFileThatCannotOpenShowsTheTextOnceAndEmptiesTheList) {
  ShapeForm& form = Ready({{"a.mp3", 1000}, {"b.mp3", 1000}});
  media->lengths.erase(TextOfPath(Pc("a.mp3")));
  SelectPc(form, {0, 1});
  ASSERT_TRUE(form.imgPlay.UserClick());
  ASSERT_EQ(backend().MessageBoxes().size(), 1u);
  const auto& box = backend().MessageBoxes()[0].request;
  EXPECT_EQ(box.text, "media error 275");
  EXPECT_EQ(box.title, "Halvern");
  EXPECT_EQ(box.icon, gui::MsgIcon::kError);
  EXPECT_EQ(box.buttons, gui::Buttons::kOk);
  EXPECT_TRUE(PlayList(form).empty());
  EXPECT_TRUE(form.imgPlay.Enabled());
  EXPECT_FALSE(form.Timer1.Enabled());
}

TEST_F(PreviewTest, AFailingPositionQueryShowsOneBoxNotOnePerTick) {
  ShapeForm& form = Ready({{"a.mp3", 60000}});
  SelectPc(form, {0});
  ASSERT_TRUE(form.imgPlay.UserClick());
  media->failing["status mp position"] = 263;
  backend().Advance(5000);
  EXPECT_EQ(backend().MessageBoxes().size(), 1u);
  EXPECT_FALSE(form.Timer1.Enabled());
  EXPECT_TRUE(PlayList(form).empty());
}

TEST_F(PreviewTest, AFailingPlayStopsTheList) {
  ShapeForm& form = Ready({{"a.mp3", 1000}});
  media->failing["play mp"] = 277;
  SelectPc(form, {0});
  ASSERT_TRUE(form.imgPlay.UserClick());
  ASSERT_EQ(backend().MessageBoxes().size(), 1u);
  EXPECT_EQ(backend().MessageBoxes()[0].request.text, "media error 277");
  EXPECT_TRUE(media->open.empty());
  EXPECT_FALSE(form.Timer1.Enabled());
}

TEST_F(PreviewTest, NothingSelectedStopsAtOnceAndQuittingClosesTheMedia) {
  ShapeForm& form = Ready({{"a.mp3", 1000}});
  ASSERT_TRUE(form.imgPlay.UserClick());
  EXPECT_TRUE(form.imgPlay.Enabled());
  EXPECT_EQ(media->commands, std::vector<std::string>{"close mp"});
  SelectPc(form, {0});
  ASSERT_TRUE(form.imgPlay.UserClick());
  media->commands.clear();
  form.imgQuit_Click();
  EXPECT_EQ(media->commands, std::vector<std::string>{"close mp"});
}

TEST_F(PreviewTest, TimeQueriesAndTheirFormats) {
  ShapeForm& form = Ready({{"a.mp3", 1000}});
  SelectPc(form, {0});
  ASSERT_TRUE(form.imgPlay.UserClick());
  media->commands.clear();
  EXPECT_EQ(GetMediaLength(kTimeMs), "1000");  // blanks trimmed
  EXPECT_EQ(GetMediaPosition(kTimeTmsf), "0");
  EXPECT_EQ(GetMediaLength(7), "1000");  // no time format sent
  EXPECT_EQ(media->commands,
            (std::vector<std::string>{"set mp time format ms", "status mp length", "set mp time format tmsf",
                                      "status mp position", "status mp length"}));
  media->failing["set mp time format ms"] = 300;
  EXPECT_EQ(GetMediaLength(kTimeMs), "");
  EXPECT_EQ(backend().MessageBoxes().size(), 1u);
}

TEST(PreviewTimes, MillisecondsToWholeSeconds) {
  EXPECT_EQ(MsToSeconds("2500"), 2);
  EXPECT_EQ(MsToSeconds("3500"), 4);
  EXPECT_EQ(MsToSeconds("999"), 1);
  EXPECT_EQ(MsToSeconds(" 1499 "), 1);
  EXPECT_EQ(MsToSeconds(""), 0);
  EXPECT_EQ(MsToSeconds("abc"), 0);
  EXPECT_EQ(MsToSeconds("-5000"), 0);
  // Beyond what 16 bits hold the result stays at the largest value.
  EXPECT_EQ(MsToSeconds("32767000"), 32767);
  EXPECT_EQ(MsToSeconds("40000000"), 32767);
  EXPECT_EQ(MsToSeconds("99999999999999999999"), 32767);
}

}  // namespace
}  // namespace halvern
