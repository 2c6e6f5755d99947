#include "music-player/VantuApp.h"

#include <gtest/gtest.h>

#include "common/ByteOrder.h"
#include "music-player/AnsiText.h"
#include "music-player/ConfigFile.h"
#include "music-player/tests/CoreTestSupport.h"

namespace vantu {
namespace {

using vantu_test::ReadBytes;
using vantu_test::ScratchFolder;
using vantu_test::WriteBytes;

class FakeInstances : public InstanceLink {
 public:
  bool running = false;
  std::vector<std::string> handed;
  bool OtherPlayerRunning() override { return running; }
  bool HandOverFile(const std::string& path) override {
    handed.push_back(path);
    return true;
  }
};

class AppTest : public ::testing::Test {
 protected:
  VantuEnvironment Env() {
    VantuEnvironment env;
    env.programFolder = dir_.Folder();
    env.markerPath = dir_.File("vantuplayer.dat");
    env.instances = &instances_;
    env.showMessage = [this](const std::string& m) { messages_.push_back(m); };
    return env;
  }
  std::vector<std::uint8_t> Config(const std::string& path, const PlayerSettings& s) {
    return *config_file::Encode(path, s);
  }

  ScratchFolder dir_;
  FakeInstances instances_;
  std::vector<std::string> messages_;
  PlayerSettings settings_;
};

TEST_F(AppTest, FirstStartUsesDefaultsAndSavesEverythingAtExit) {
  CVantuPlayerApp app(Env(), settings_);
  bool ran = false;
  EXPECT_FALSE(app.InitInstance("", [&] { ran = true; }));
  EXPECT_TRUE(ran);
  EXPECT_EQ(ReadBytes(dir_.File("vantuplayer.dat")), (std::vector<std::uint8_t>{'1', '.', '0', '3'}));
  EXPECT_TRUE(settings_.Flag(SettingsWord::kRepeat));
  EXPECT_TRUE(settings_.Flag(SettingsWord::kPlaylistWindowOpen));
  EXPECT_EQ(app.PlaylistPath(), dir_.File("PlayList.lirn"));
  app.Playlist().AddFile("c:\\a.mp3");
  app.Presets().AddPreset(std::make_unique<EqPreset>(EqPreset{"flat", {}}));
  settings_[SettingsWord::kShuffle] = 1;
  app.ExitInstance();

  const auto cnf = ReadBytes(dir_.File("DruskConf.cnf"));
  const std::string expectedPath = dir_.File("PlayList.lirn");
  ASSERT_EQ(cnf.size(), 4 + expectedPath.size() + 248);
  EXPECT_EQ(common::LoadLE32(cnf.data()), expectedPath.size());
  EXPECT_FALSE(ReadBytes(dir_.File("PlayList.lirn")).empty());
  EXPECT_FALSE(ReadBytes(dir_.File("EqData.EQL")).empty());

  PlayerSettings again;
  CVantuPlayerApp next(Env(), again);
  ASSERT_TRUE(next.Start(""));
  EXPECT_EQ(again, settings_);
  EXPECT_EQ(next.Playlist().Count(), 1);
  EXPECT_EQ(next.Presets().Count(), 1);
  EXPECT_TRUE(messages_.empty());
  // The marker is left alone once it exists.
  WriteBytes(dir_.File("vantuplayer.dat"), {'x'});
  PlayerSettings third;
  CVantuPlayerApp app3(Env(), third);
  app3.Start("");
  EXPECT_EQ(ReadBytes(dir_.File("vantuplayer.dat")), std::vector<std::uint8_t>{'x'});
}

TEST_F(AppTest, SecondStartHandsOverItsFileAndTouchesNothing) {
  instances_.running = true;
  CVantuPlayerApp app(Env(), settings_);
  bool ran = false;
  app.InitInstance("\"c:\\music\\a b.mp3\"", [&] { ran = true; });
  EXPECT_FALSE(ran);
  EXPECT_TRUE(app.SecondInstance());
  EXPECT_EQ(instances_.handed, std::vector<std::string>{"c:\\music\\a b.mp3"});
  app.ExitInstance();
  EXPECT_FALSE(common::FileExists(common::PathFromAnsi(dir_.File("DruskConf.cnf"))));
  CVantuPlayerApp bare(Env(), settings_);
  bare.Start("");
  EXPECT_EQ(instances_.handed.size(), 1u);
}

TEST_F(AppTest, DamagedOrShortConfigurationFiles) {
  PlayerSettings stored;
  stored[SettingsWord::kShuffle] = 1;
  stored[SettingsWord::kSlider420] = 42;
  auto good = Config("", stored);

  // A path length past the buffer or the file: defaults and a message.
  for (std::uint32_t n : {256u, 4000u, 0xFFFFFFFFu}) {
    auto bad = good;
    common::StoreLE32(bad.data(), n);
    WriteBytes(dir_.File("DruskConf.cnf"), bad);
    PlayerSettings s;
    CVantuPlayerApp app(Env(), s);
    EXPECT_EQ(app.LoadConfiguration(dir_.File("DruskConf.cnf")), 0) << n;
    EXPECT_TRUE(s.Flag(SettingsWord::kRepeat));
    EXPECT_EQ(s[SettingsWord::kSlider420], 0);
    EXPECT_EQ(app.PlaylistPath(), dir_.File("PlayList.lirn"));
  }
  EXPECT_EQ(messages_.size(), 3u);

  // Shorter than its fields: the words not read keep their contents.
  WriteBytes(dir_.File("DruskConf.cnf"), std::vector<std::uint8_t>(good.begin(), good.begin() + 4 + 72));
  PlayerSettings s;
  s[SettingsWord::kRepeat] = 5;
  CVantuPlayerApp app(Env(), s);
  EXPECT_EQ(app.LoadConfiguration(dir_.File("DruskConf.cnf")), 1);
  EXPECT_EQ(s[SettingsWord::kShuffle], 1);  // byte 68 was read whole
  EXPECT_EQ(s[SettingsWord::kRepeat], 5);
  EXPECT_EQ(app.PlaylistPath(), "");
  // An empty playlist path cannot be saved to; the rest still is.
  messages_.clear();
  EXPECT_EQ(app.SaveConfiguration(dir_.File("DruskConf.cnf")), 1);
  EXPECT_TRUE(messages_.empty());
}

// The presets and the playlist are the user's own: read whatever became of
// the configuration file, so the first change does not overwrite them.
TEST_F(AppTest, MissingOrDamagedConfigurationStillReadsThePlaylistAndThePresets) {
  CPlaylistEntry e{"a", "c:\\a.mp3", "a", false};
  const auto list = playlist_file::Encode({&e, &e});
  std::vector<std::unique_ptr<EqPreset>> stored;
  for (const char* name : {"a", "b", "c", "d", "e"}) stored.push_back(std::make_unique<EqPreset>(EqPreset{name, {}}));
  const auto presets = eq_file::Encode(stored);
  PlayerSettings kept;
  kept[SettingsWord::kSlider420] = 42;
  auto damagedConfig = Config(dir_.File("PlayList.lirn"), kept);
  common::StoreLE32(damagedConfig.data(), 4000);
  for (const bool damaged : {false, true}) {
    SCOPED_TRACE(damaged ? "damaged" : "missing");
    messages_.clear();
    WriteBytes(dir_.File("PlayList.lirn"), list);
    WriteBytes(dir_.File("EqData.EQL"), presets);
    if (damaged) WriteBytes(dir_.File("DruskConf.cnf"), damagedConfig);
    PlayerSettings s;
    CVantuPlayerApp app(Env(), s);
    ASSERT_TRUE(app.Start(""));
    EXPECT_EQ(app.Playlist().Count(), 2);
    EXPECT_EQ(app.Presets().Count(), 5);
    app.Presets().AddPreset(std::make_unique<EqPreset>(EqPreset{"f", {}}));
    app.ExitInstance();
    CEqPresetStore after(common::PathFromAnsi(dir_.File("EqData.EQL")));
    ASSERT_EQ(after.ReadPresets(), CEqPresetStore::ReadResult::kRead);
    EXPECT_EQ(after.Count(), 6);
    if (damaged) {
      // The damaged file is kept aside, and the message says where.
      EXPECT_EQ(ReadBytes(dir_.File("DruskConf.cnf.bad")), damagedConfig);
      ASSERT_EQ(messages_.size(), 1u);
      EXPECT_NE(messages_[0].find("DruskConf.cnf.bad"), std::string::npos);
    } else {
      EXPECT_TRUE(messages_.empty());
    }
    std::filesystem::remove(dir_.File("DruskConf.cnf"));
  }
}

TEST_F(AppTest, DamagedFilesAreKeptAsideBeforeNewOnesAreWritten) {
  const std::string list = dir_.File("PlayList.lirn");
  WriteBytes(dir_.File("DruskConf.cnf"), Config(list, PlayerSettings{}));
  const std::vector<std::uint8_t> damagedList = {5, 0, 0, 0, 200, 0, 0, 0, 'x'};
  const std::vector<std::uint8_t> negativeList = {0xFF, 0xFF, 0xFF, 0xFF};
  std::vector<std::uint8_t> tooManyPresets(940, 0);
  common::StoreLE32(tooManyPresets.data(), 250);
  WriteBytes(list, damagedList);
  WriteBytes(dir_.File("EqData.EQL"), tooManyPresets);
  WriteBytes(dir_.File("EqData.EQL.bad"), {1, 2, 3});  // an older one stays
  {
    CVantuPlayerApp app(Env(), settings_);
    ASSERT_TRUE(app.Start(""));
    ASSERT_EQ(messages_.size(), 2u);
    EXPECT_NE(messages_[0].find("PlayList.lirn.bad"), std::string::npos) << messages_[0];
    EXPECT_NE(messages_[1].find("EqData.EQL.bad2"), std::string::npos) << messages_[1];
    EXPECT_EQ(app.Playlist().Count(), 0);
    app.ExitInstance();
  }
  EXPECT_EQ(ReadBytes(list + ".bad"), damagedList);
  EXPECT_EQ(ReadBytes(dir_.File("EqData.EQL.bad2")), tooManyPresets);
  EXPECT_EQ(ReadBytes(dir_.File("EqData.EQL.bad")), (std::vector<std::uint8_t>{1, 2, 3}));
  // A negative count is damage too.
  WriteBytes(list, negativeList);
  messages_.clear();
  CVantuPlayerApp app(Env(), settings_);
  ASSERT_TRUE(app.Start(""));
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_NE(messages_[0].find("PlayList.lirn.bad2"), std::string::npos);
  EXPECT_EQ(ReadBytes(list + ".bad2"), negativeList);
}

TEST_F(AppTest, OneUnwritableFileDoesNotLoseTheOthers) {
  CVantuPlayerApp app(Env(), settings_);
  ASSERT_TRUE(app.Start(""));
  // The playlist goes to a folder that does not exist.
  ASSERT_TRUE(app.SetPlaylistPath(dir_.File("no-such-folder/list.lirn")));
  app.Playlist().AddFile("c:\\a.mp3");
  app.Presets().AddPreset(std::make_unique<EqPreset>(EqPreset{"p", {}}));
  EXPECT_EQ(app.SaveConfiguration(app.ConfigPath()), 1);
  EXPECT_FALSE(ReadBytes(dir_.File("EqData.EQL")).empty());
  // The user is told which file was not written.
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_NE(messages_[0].find(dir_.File("no-such-folder/list.lirn")), std::string::npos);
  EXPECT_EQ(messages_[0].find("EqData.EQL"), std::string::npos);
  messages_.clear();
  // And the configuration file in a folder that does not exist.
  EXPECT_EQ(app.SaveConfiguration(dir_.File("gone/DruskConf.cnf")), 0);
  ASSERT_TRUE(app.SetPlaylistPath(dir_.File("list.lirn")));
  EXPECT_EQ(app.SaveConfiguration(dir_.File("gone/DruskConf.cnf")), 0);
  EXPECT_FALSE(ReadBytes(dir_.File("list.lirn")).empty());
  ASSERT_EQ(messages_.size(), 2u);
  EXPECT_NE(messages_[1].find(dir_.File("gone/DruskConf.cnf")), std::string::npos);
  // A path longer than the file holds is refused.
  EXPECT_FALSE(app.SetPlaylistPath(std::string(256, 'a')));
  EXPECT_EQ(app.PlaylistPath(), dir_.File("list.lirn"));
}

TEST_F(AppTest, TheConfigurationFileIsWrittenBackByteForByte) {
  // Made by hand, not by Encode: a path with bytes above 0x7F and a settings
  // block in which every byte differs from its neighbours.
  // "목록.lirn" in code page 949.
  const std::string list = dir_.File("\xB8\xF1\xB7\xCF.lirn");
  std::vector<std::uint8_t> cnf(4);
  common::StoreLE32(cnf.data(), static_cast<std::uint32_t>(list.size()));
  cnf.insert(cnf.end(), list.begin(), list.end());
  for (std::size_t i = 0; i < PlayerSettings::kSize; ++i) cnf.push_back(static_cast<std::uint8_t>(i * 37 + 11));
  WriteBytes(dir_.File("DruskConf.cnf"), cnf);
  CPlaylistEntry e{"a", "c:\\a.mp3", "a", false};
  WriteBytes(list, playlist_file::Encode({&e}));
  ASSERT_TRUE(common::FileExists(common::PathFromUtf8(dir_.Folder() + "\xEB\xAA\xA9\xEB\xA1\x9D.lirn")))
      << "its own name on disk";

  CVantuPlayerApp app(Env(), settings_);
  ASSERT_TRUE(app.Start(""));
  EXPECT_EQ(app.PlaylistPath(), list);
  EXPECT_EQ(app.Playlist().Count(), 1);
  app.ExitInstance();
  EXPECT_EQ(ReadBytes(dir_.File("DruskConf.cnf")), cnf);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(AppTest, APlaylistOverTheLimitSaysSoAtStartUp) {
  const std::string list = dir_.File("PlayList.lirn");
  WriteBytes(dir_.File("DruskConf.cnf"), Config(list, PlayerSettings{}));
  std::vector<CPlaylistEntry> entries(1001);
  std::vector<const CPlaylistEntry*> all;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    entries[i].name = entries[i].title = std::to_string(i);
    entries[i].path = "c:\\" + entries[i].name;
    all.push_back(&entries[i]);
  }
  WriteBytes(list, playlist_file::Encode(all));

  CVantuPlayerApp app(Env(), settings_);
  ASSERT_TRUE(app.Start(""));
  EXPECT_EQ(app.Playlist().Count(), 1000);
  EXPECT_EQ(messages_, std::vector<std::string>{"Max 1000 File"});
}

TEST(CommandLine, QuotesAndEmpty) {
  EXPECT_EQ(CommandLineFile("\"c:\\a b.mp3\""), "c:\\a b.mp3");
  EXPECT_EQ(CommandLineFile("c:\\a.mp3"), "c:\\a.mp3");
  EXPECT_EQ(CommandLineFile("\"\""), std::nullopt);
  EXPECT_EQ(CommandLineFile(""), std::nullopt);
  EXPECT_EQ(CommandLineFile("\""), std::nullopt);
}

TEST(HandOver, OnlyAPlainPathOfTheRightTag) {
  const std::string p = "c:\\a.mp3";
  std::vector<std::uint8_t> bytes(p.begin(), p.end());
  EXPECT_EQ(ParseHandOver(150, bytes), p);
  bytes.push_back(0);
  EXPECT_EQ(ParseHandOver(150, bytes), p);
  EXPECT_EQ(ParseHandOver(151, bytes), std::nullopt);
  bytes.insert(bytes.begin() + 2, 0);
  EXPECT_EQ(ParseHandOver(150, bytes), std::nullopt);
  EXPECT_EQ(ParseHandOver(150, {}), std::nullopt);
  EXPECT_EQ(ParseHandOver(150, std::vector<std::uint8_t>(260, 'a')), std::nullopt);
  EXPECT_TRUE(ParseHandOver(150, std::vector<std::uint8_t>(259, 'a')).has_value());
}

}  // namespace
}  // namespace vantu
