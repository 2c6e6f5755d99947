// The main window and its secondary windows with our skin and the real
// engine over the counting sink: the first start, playback through the
// engine (the playlist advancing, shuffle, repeat, pause and replace),
// dropped and handed-over files, menus, the equalizer window's bands and
// presets, the playlist window's list and scrolling, the browser window's
// fallback, and the teardown.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#ifdef _WIN32
#include <windows.h>
#undef MessageBox
#endif

#include "music-player/AnsiText.h"
#include "music-player/ConfigFile.h"
#include "music-player/EqPresetDialogs.h"
#include "music-player/windows/tests/PlayerTestSupport.h"

namespace vantu::testing {
namespace {

using gui::headless::Face;
using gui::headless::Pointer;

// The titles playback shows for these paths: their file-name parts.
std::vector<std::string> Titles(const std::vector<std::string>& paths) {
  std::vector<std::string> titles;
  for (const auto& p : paths) titles.push_back(FileNameOf(p).value_or(""));
  return titles;
}

TEST_F(PlayerWindowsTest, FirstStartShowsTheFourWindowsDocked) {
  Start();
  EXPECT_EQ(dlg().Caption(), kMainWindowCaption);
  const SkinRect main = dlg().ScreenRect();
  EXPECT_EQ(main, (SkinRect{150, 100, 425, 216}));
  ASSERT_NE(Equalizer(), nullptr);
  ASSERT_NE(PlaylistWindow(), nullptr);
  ASSERT_NE(Browser(), nullptr);
  EXPECT_TRUE(RectsTouch(main, Equalizer()->ScreenRect()));
  EXPECT_TRUE(RectsTouch(Equalizer()->ScreenRect(), PlaylistWindow()->ScreenRect()));
  EXPECT_TRUE(RectsTouch(main, Browser()->ScreenRect()));
  EXPECT_EQ(Equalizer()->FrameIndex(), 3);
  EXPECT_EQ(PlaylistWindow()->FrameIndex(), 6);
  EXPECT_EQ(Browser()->FrameIndex(), 9);
  // Natively there is no browser control: the address and the button.
  EXPECT_FALSE(Browser()->ShowsPage());
  EXPECT_EQ(Browser()->Address(), shell.page);
  const auto& texts = Face(*Browser()).Texts();
  auto shown = [&](const std::string& t) {
    return std::any_of(texts.begin(), texts.end(), [&](const auto& x) { return x.text == t; });
  };
  EXPECT_TRUE(shown(shell.page));
  EXPECT_TRUE(shown(kOpenInBrowserText));
  // Dragging the main window takes all three along.
  Pointer mouse;
  mouse.Drag({300, 104}, {340, 124});
  EXPECT_EQ(dlg().ScreenRect(), main.Moved(40, 20));
  EXPECT_EQ(PlaylistWindow()->ScreenRect(), (SkinRect{190, 352, 465, 584}));
  EXPECT_GE(PlaylistWindow()->View().VisibleRows(), 10) << "a list, not three rows, at its first size";
  EXPECT_EQ(Browser()->ScreenRect(), (SkinRect{465, 120, 740, 236}));

  const std::filesystem::path out = std::filesystem::path(ARTIFACTS_DIR);
  std::filesystem::create_directories(out);
  const std::pair<gui::CustomWindow*, const char*> windows[] = {
      {&dlg(), "main"}, {Equalizer(), "equalizer"}, {PlaylistWindow(), "playlist"}, {Browser(), "browser"}};
  for (auto [window, name] : windows) {
    EXPECT_TRUE(Face(*window).SavePng(out / (std::string("vantu-window-") + name + ".png")));
  }
}

// Every window style variant opens the equalizer and playlist windows
// with a face of their own: a frame, a size and a close element.
TEST_F(PlayerWindowsTest, EveryWindowStyleVariantHasItsFrames) {
  for (int variant : {0, 1, 2}) {
    SCOPED_TRACE(variant);
    PlayerSettings stored;
    stored.SetFirstStartDefaults();
    stored[SettingsWord::kWindowStyle] = variant;
    vantu_test::WriteBytes(dir_.File("DruskConf.cnf"), *config_file::Encode(dir_.File("PlayList.lirn"), stored));
    Start();
    ASSERT_NE(Equalizer(), nullptr);
    ASSERT_NE(PlaylistWindow(), nullptr);
    EXPECT_EQ(Equalizer()->FrameIndex(), 3 + variant);
    EXPECT_EQ(PlaylistWindow()->FrameIndex(), 6 + variant);
    for (CSkinnedDialog* w : {static_cast<CSkinnedDialog*>(Equalizer()), static_cast<CSkinnedDialog*>(PlaylistWindow())}) {
      EXPECT_GT(w->ScreenRect().Width(), 0);
      EXPECT_GT(w->ScreenRect().Height(), 0);
      EXPECT_NE(FindElement(w->Elements(), 125), nullptr) << "close element";
    }
    EXPECT_GT(PlaylistWindow()->View().VisibleRows(), 0);
    Exit();
  }
}

TEST_F(PlayerWindowsTest, PlayWithAnEmptyPlaylistOpensTheFileDialog) {
  Start();
  gui::App().Post(dlg(), wm::kCommand, 102, 0);
  Pump();
  ASSERT_EQ(backend().FileDialogs().size(), 1u);
  const auto& request = backend().FileDialogs()[0].request;
  EXPECT_TRUE(request.multiSelect);
  EXPECT_EQ(request.defaultExtension, kAudioDefaultExtension);
  EXPECT_EQ(request.filters.size(), 2u);
  EXPECT_EQ(playlist().Count(), 0);  // cancelled: nothing changed
}

TEST_F(PlayerWindowsTest, DroppedFilesReplaceThePlaylistAndTheFirstPlays) {
  Start("", 1);
  playlist().AddFile(Mp3("old.mp3"));
  const std::vector<std::string> dropped = {Mp3("a.mp3"), Mp3("b.mp3"), Mp3("c.mp3")};
  ASSERT_TRUE(dlg().UserDropFiles(dropped, {10, 10}));
  EXPECT_EQ(playlist().Count(), 3);
  EXPECT_EQ(playlist().Current(), 0);
  EXPECT_EQ(dlg().Playback().CurrentFile(), dropped[0]);
  ASSERT_TRUE(PumpUntil([&] { return EngineState() == xaudio::kStatePlaying; }));
  // The time and position displays advance as it plays.
  auto* seconds = FindElementAs<CSkinNumberBase>(dlg().Elements(), 502);
  auto* seek = FindElementAs<CSkinPositionSlider>(dlg().Elements(), 403);
  ASSERT_TRUE(PumpUntil([&] { return seconds->value() >= 1 && seek->position() > 0; }, 5000));
  EXPECT_EQ(seek->mode(), 2);
  EXPECT_EQ(dlg().PlayIndicator(), 1);
  EXPECT_EQ(dlg().BitRate(), 128);
  EXPECT_EQ(dlg().SampleRateKhz(), 22);
  // The playlist window shows the three.
  EXPECT_EQ(PlaylistWindow()->View().VisibleRows() > 0, true);

  // Dropped on the playlist window: appended, nothing new starts.
  ASSERT_TRUE(PlaylistWindow()->UserDropFiles({Mp3("d.mp3")}, {20, 30}));
  EXPECT_EQ(playlist().Count(), 4);
  EXPECT_EQ(playlist().Current(), 0);
  EXPECT_EQ(dlg().Playback().CurrentFile(), dropped[0]);
}

TEST_F(PlayerWindowsTest, PlaylistAdvancesAndStopsAfterTheLastEntryWithoutRepeat) {
  Start();
  settings_[SettingsWord::kRepeat] = 0;
  const std::vector<std::string> files = {Mp3("a.mp3"), Mp3("b.mp3"), Mp3("c.mp3")};
  dlg().UserDropFiles(files, {10, 10});
  ASSERT_TRUE(PumpUntil([&] { return playlist().Current() == -1; }));
  EXPECT_EQ(dlg().titles, Titles(files));
  EXPECT_EQ(dlg().PlayIndicator(), 0);
  EXPECT_EQ(FindElementAs<CSkinPositionSlider>(dlg().Elements(), 403)->mode(), 0);
  // Play then starts at the first entry.
  dlg().titles.clear();
  gui::App().Post(dlg(), wm::kCommand, 102, 0);
  ASSERT_TRUE(PumpUntil([&] { return !dlg().titles.empty(); }));
  EXPECT_EQ(dlg().titles[0], Titles(files)[0]);
}

TEST_F(PlayerWindowsTest, RepeatStartsAgainAtTheFirstEntry) {
  Start();
  ASSERT_EQ(settings_[SettingsWord::kRepeat], 1);  // first start
  const std::vector<std::string> files = {Mp3("a.mp3"), Mp3("b.mp3")};
  dlg().UserDropFiles(files, {10, 10});
  ASSERT_TRUE(PumpUntil([&] { return dlg().titles.size() >= 5; }));
  EXPECT_EQ(std::vector<std::string>(dlg().titles.begin(), dlg().titles.begin() + 5),
            Titles({files[0], files[1], files[0], files[1], files[0]}));
}

TEST_F(PlayerWindowsTest, ShuffleCoversEveryEntry) {
  Start();
  settings_[SettingsWord::kShuffle] = 1;
  playlist().SeedRandom(7);
  std::vector<std::string> files;
  for (const char* name : {"a.mp3", "b.mp3", "c.mp3", "d.mp3"}) files.push_back(Mp3(name));
  dlg().UserDropFiles(files, {10, 10});
  const std::vector<std::string> titles = Titles(files);
  const std::set<std::string> all(titles.begin(), titles.end());
  std::set<std::string> played;
  ASSERT_TRUE(PumpUntil([&] {
    played.insert(dlg().titles.begin(), dlg().titles.end());
    return played == all;
  }, 20000)) << played.size() << " of " << files.size() << " after " << dlg().titles.size() << " tracks";
}

TEST_F(PlayerWindowsTest, FileReplacingAPausedOneStartsTheNewOne) {
  Start("", 1);
  const std::string first = Mp3("first.mp3", "tone3s.mp3"), second = Mp3("second.mp3");
  dlg().UserDropFiles({first}, {10, 10});
  ASSERT_TRUE(PumpUntil([&] { return EngineState() == xaudio::kStatePlaying; }));
  gui::App().Post(dlg(), wm::kCommand, 103, 0);
  ASSERT_TRUE(PumpUntil([&] { return EngineState() == xaudio::kStatePaused; }));
  // Play while paused only resumes.
  gui::App().Post(dlg(), wm::kCommand, 102, 0);
  ASSERT_TRUE(PumpUntil([&] { return EngineState() == xaudio::kStatePlaying; }));
  EXPECT_EQ(dlg().Playback().CurrentFile(), first);
  gui::App().Post(dlg(), wm::kCommand, 103, 0);
  ASSERT_TRUE(PumpUntil([&] { return EngineState() == xaudio::kStatePaused; }));
  // A new file dropped while paused: it plays, not the paused one.
  dlg().UserDropFiles({second}, {10, 10});
  EXPECT_EQ(dlg().Playback().CurrentFile(), second);
  ASSERT_TRUE(PumpUntil([&] { return dlg().SampleRateKhz() == 22; })) << "the stream shown is the new file's";
  EXPECT_TRUE(PumpUntil([&] { return EngineState() == xaudio::kStatePlaying; }));
}

TEST_F(PlayerWindowsTest, SecondStartHandsItsFileOverAsCopiedBytes) {
  Start();
  playlist().AddFile(Mp3("old.mp3"));
  const std::string path = Mp3("handed.mp3");
  std::vector<std::uint8_t> bytes(path.begin(), path.end());
  bytes.push_back(0);
  EXPECT_EQ(dlg().UserCopyData(999, bytes), 0) << "another tag is refused";
  EXPECT_EQ(dlg().UserCopyData(kHandOverTag, {}), 0);
  std::vector<std::uint8_t> inner = bytes;
  inner.insert(inner.begin() + 3, 0);
  EXPECT_EQ(dlg().UserCopyData(kHandOverTag, inner), 0) << "a NUL inside is refused";
  EXPECT_EQ(dlg().UserCopyData(kHandOverTag, bytes), 1);
  EXPECT_TRUE(dlg().titles.empty()) << "played from the loop, not inside the sender's call";
  ASSERT_TRUE(PumpUntil([&] { return !dlg().titles.empty(); }));
  EXPECT_EQ(playlist().Count(), 1);
  EXPECT_EQ(dlg().Playback().CurrentFile(), path);
}

TEST_F(PlayerWindowsTest, CommandLineInQuotesPlaysFromAPlaylistOfOne) {
  const std::string path = dir_.File("start.mp3");
  std::filesystem::copy_file(std::string(VANTU_TEST_DATA) + "/mono22k.mp3", path);
  Start("\"" + path + "\"");
  EXPECT_EQ(playlist().Count(), 1);
  EXPECT_EQ(dlg().Playback().CurrentFile(), path);
}

// The player's texts are code page 949 whatever the system's code page is
// (under Wine the tests run with a Western one): a Hangul file name is
// found, played and shown, from a drop, the add-files dialog and the
// command line; a file that is not there says so in the title.
TEST_F(PlayerWindowsTest, HangulFileNamesPlayOnEveryPathWhateverTheSystemCodePage) {
#ifdef _WIN32
  EXPECT_NE(::GetACP(), 949u) << "meant for a system code page other than the player's";
#endif
  const std::string songUtf8 = "\xEB\x85\xB8\xEB\x9E\x98.mp3";  // "노래.mp3"
  const std::string songCp949 = "\xB3\xEB\xB7\xA1.mp3";
  const std::string onDisk = dir_.Folder() + songUtf8;
  std::filesystem::copy_file(std::string(VANTU_TEST_DATA) + "/mono22k.mp3", common::PathFromUtf8(onDisk));
  Start("", 1);
  auto playsIt = [&] {
    EXPECT_TRUE(PumpUntil([&] { return EngineState() == xaudio::kStatePlaying; }));
    const std::string title = dlg().TitleText();  // natively the whole path: no backslash
    EXPECT_EQ(title.substr(title.size() - std::min(title.size(), songCp949.size())), songCp949);
    ASSERT_EQ(playlist().Count(), 1);
    EXPECT_EQ(playlist().GetEntry(0)->path, dir_.Folder() + songCp949);
  };
  {
    SCOPED_TRACE("dropped");
    ASSERT_TRUE(dlg().UserDropFiles({onDisk}, {10, 10}));
    playsIt();
  }
  {
    SCOPED_TRACE("from the dialog");
    backend().QueueFileDialogAnswer({true, {onDisk}, 1});
    dlg().Playback().StopPlayback();
    playlist().Clear();
    gui::App().Post(dlg(), wm::kCommand, 106, 0);
    Pump();
    playsIt();
  }
  {
    SCOPED_TRACE("command line");
    dlg().Playback().PlayCommandLine("\"" + dir_.Folder() + songCp949 + "\"");
    playsIt();
  }
  // A name that is not there: the Part's title, nothing plays.
  dlg().UserDropFiles({dir_.Folder() + "\xEC\x97\x86\xEC\x9D\x8C.mp3"}, {10, 10});
  EXPECT_EQ(dlg().TitleText(), kUnplayableTitle);
}

TEST_F(PlayerWindowsTest, TitleIsCutAndEmptyTimesShowBlankFields) {
  Start("", 1);
  // A name of 150 bytes (the title is the file-name part of the path).
  const std::string path = Mp3(std::string(146, 'x') + ".mp3");
  dlg().UserDropFiles({path}, {10, 10});
  EXPECT_EQ(dlg().TitleText(), Titles({path})[0].substr(0, 127));
  EXPECT_EQ(dlg().TitleText().size(), 127u);
  auto* minutes = FindElementAs<CSkinNumberBase>(dlg().Elements(), 501);
  auto* seconds = FindElementAs<CSkinNumberBase>(dlg().Elements(), 502);
  dlg().ShowTime(75);
  EXPECT_EQ(minutes->value(), 1);
  EXPECT_EQ(seconds->value(), 15);
  dlg().ShowTime(0);
  EXPECT_EQ(minutes->value(), -1);
  EXPECT_EQ(seconds->value(), -1);
  dlg().ShowTime(-4);
  EXPECT_EQ(seconds->value(), -1);
  // Unplayable: the failure text.
  dlg().UserDropFiles({dir_.File("missing.mp3")}, {10, 10});
  EXPECT_EQ(dlg().TitleText(), kUnplayableTitle);
}

TEST_F(PlayerWindowsTest, ContextMenuStartsTheBrowserWithTheSiteAndAboutIsIgnoredInTheSystemMenu) {
  Start();
  Pointer mouse;
  backend().ChooseOnNextPopup(dlg().ContextMenu().Items()[1]);  // "Vantu 홈 페이지"
  mouse.RightClick({300, 150});
  Pump();
  EXPECT_EQ(backend().PopupsShown(), 1);
  ASSERT_EQ(shell.started.size(), 1u);
  // The program path quoted: "C:\Program Files\..." never starts "C:\Program".
  EXPECT_EQ(shell.started[0], "\"" + *shell.browser + "\" " + kPlayerSite);
  EXPECT_EQ(BrowserCommandLine("\"C:\\a b\\x.exe\"", "http://h/"), "\"C:\\a b\\x.exe\" http://h/");
  // Without a registered browser nothing starts.
  shell.browser.reset();
  gui::App().Post(dlg(), wm::kCommand, 32777, 0);
  Pump();
  EXPECT_EQ(shell.started.size(), 1u);
  // The system menu's item is there and does nothing.
  ASSERT_EQ(dlg().SystemMenuItems().size(), 1u);
  EXPECT_EQ(dlg().SystemMenuItems()[0].id, kAboutSystemMenuId);
  dlg().UserSystemMenuItem(kAboutSystemMenuId);
  Pump();
  EXPECT_TRUE(backend().ModalForms().empty());
}

TEST_F(PlayerWindowsTest, BrowserFallbackButtonOpensTheDefaultBrowser) {
  Start();
  CBrowserWnd& browser = *Browser();
  const gui::Rect button = browser.OpenButtonRect();
  ASSERT_GT(button.width, 0);
  Pointer mouse;
  mouse.Click(browser.ClientToScreen({button.left + 3, button.top + 3}));
  ASSERT_EQ(shell.opened.size(), 1u);
  EXPECT_EQ(shell.opened[0], shell.page);
  // Pressed on the button, released beside it: nothing.
  mouse.Press(browser.ClientToScreen({button.left + 3, button.top + 3}));
  mouse.Release(browser.ClientToScreen({button.left + 3, button.top + button.height + 5}));
  EXPECT_EQ(shell.opened.size(), 1u);
}

// --- Equalizer ---

// Records the commands playback sends.
class RecordingEngine : public CPlayerEngine {
 public:
  struct Sent {
    int code;
    std::vector<std::uint8_t> table;
    bool null;
  };
  void SendCommand(const Command& c) override {
    Sent s{c.code, {}, c.table == nullptr};
    if (c.table) s.table.assign(c.table, c.table + 64);
    sent.push_back(s);
  }
  std::vector<Sent> Of(int code) const {
    std::vector<Sent> out;
    for (const auto& s : sent) if (s.code == code) out.push_back(s);
    return out;
  }
  std::vector<Sent> sent;
};

TEST_F(PlayerWindowsTest, EqualizerSliderAndResetSendTheBandTable) {
  Start();
  RecordingEngine engine;
  dlg().Playback().SetEngine(&engine);
  settings_[SettingsWord::kEqualizerOn] = 1;
  CEqualizerWnd& eq = *Equalizer();
  auto* band = FindElementAs<CSkinValueSlider>(eq.Elements(), 452);
  ASSERT_NE(band, nullptr);
  ASSERT_EQ(band->storedValue(), 0);
  // Drag the knob 10 pixels up (once painted, the knob is where it shows).
  Face(eq);
  Pointer mouse;
  const gui::Point knob = ElementPoint(eq, *band);
  mouse.Drag(knob, {knob.x, knob.y - 10}, 1);
  Pump();
  const int value = band->storedValue();
  ASSERT_EQ(value, -10);
  const auto tables = engine.Of(xaudio::kCmdEqualizer);
  ASSERT_FALSE(tables.empty());
  const auto& table = tables.back().table;
  for (int i = 0; i < 64; ++i) {
    const bool fed = (i >= 3 && i <= 5) || (i >= 35 && i <= 37);
    EXPECT_EQ(table[static_cast<std::size_t>(i)], fed ? static_cast<std::uint8_t>(5 * value) : 0) << "band " << i;
  }
  // Reset: every slider at stored value 0, its middle, and the flat table
  // sent so the sound follows.
  engine.sent.clear();
  gui::App().Post(eq, wm::kCommand, 204, 0);
  Pump();
  EXPECT_EQ(band->storedValue(), 0);
  EXPECT_EQ(band->position(), band->travel() / 2);
  const auto afterReset = engine.Of(xaudio::kCmdEqualizer);
  ASSERT_EQ(afterReset.size(), 1u);
  EXPECT_FALSE(afterReset[0].null);
  EXPECT_EQ(afterReset[0].table, std::vector<std::uint8_t>(64, 0));
  engine.sent.clear();
  // The on switch is heard at once: off sends the null table.
  settings_[SettingsWord::kEqualizerOn] = 0;
  gui::App().Post(eq, wm::kCommand, 201, 0);
  Pump();
  ASSERT_EQ(engine.Of(xaudio::kCmdEqualizer).size(), 1u);
  EXPECT_TRUE(engine.Of(xaudio::kCmdEqualizer)[0].null);
  dlg().Playback().SetEngine(nullptr);
}

TEST_F(PlayerWindowsTest, CancelledPresetLoadStillRedrawsTheSlidersAndSendsTheTable) {
  Start();
  RecordingEngine engine;
  dlg().Playback().SetEngine(&engine);
  settings_[SettingsWord::kEqualizerOn] = 1;
  settings_.SetEqualizer(2, 12);  // changed behind the sliders
  backend().OnIdle = [this] {
    if (backend().ModalForms().empty()) return false;
    backend().ModalForms().back()->SetModalResult(gui::ModalResult::kCancel);
    return true;
  };
  gui::App().Post(*Equalizer(), wm::kCommand, 32774, 0);
  Pump();
  EXPECT_EQ(FindElementAs<CSkinValueSlider>(Equalizer()->Elements(), 452)->storedValue(), 12);
  ASSERT_EQ(engine.Of(xaudio::kCmdEqualizer).size(), 1u);
  EXPECT_EQ(engine.Of(xaudio::kCmdEqualizer)[0].table[4], 60);
  // Enter and Escape do not close it.
  Equalizer()->UserKeyDown(gui::keys::kReturn);
  Equalizer()->UserKeyDown(gui::keys::kEscape);
  Pump();
  EXPECT_NE(Equalizer(), nullptr);
  dlg().Playback().SetEngine(nullptr);
}

// A window closed while its own handler waits in a dialog outlives the
// handler, and the handler leaves the closed window alone.
TEST_F(PlayerWindowsTest, EqualizerClosedWhileItsPresetLoadDialogIsOpen) {
  for (const bool byToggle : {false, true}) {
    SCOPED_TRACE(byToggle ? "main window's toggle" : "its close element");
    Start();
    RecordingEngine engine;
    dlg().Playback().SetEngine(&engine);
    settings_[SettingsWord::kEqualizerOn] = 1;
    auto preset = std::make_unique<EqPreset>();
    preset->name = "Rock";
    preset->settings[4] = 8;  // band 1
    app->Presets().AddPreset(std::move(preset));
    int step = 0;
    std::size_t awaitingInside = 0;
    backend().OnIdle = [&] {
      if (backend().ModalForms().empty()) return false;
      auto* dialog = static_cast<CEqLoadDlg*>(backend().ModalForms().back());
      switch (step++) {
        case 0:
          if (byToggle) dlg().ToggleWindow(0);
          else gui::App().Send(*Equalizer(), wm::kClose);
          return true;
        case 1:  // the loop has taken its worker calls meanwhile
          awaitingInside = WindowsAwaitingDeletion();
          EXPECT_TRUE(dialog->lstNames.UserDoubleClick(0)) << dialog->lstNames.Count();
          return true;
        default: return false;
      }
    };
    gui::App().Post(*Equalizer(), wm::kCommand, 32774, 0);
    Pump();
    EXPECT_EQ(step, 2);
    EXPECT_EQ(awaitingInside, 1u) << "deleted under its own handler";
    EXPECT_EQ(Equalizer(), nullptr);
    EXPECT_EQ(settings_[SettingsWord::kEqualizerWindowOpen], 0);
    Pump();
    EXPECT_EQ(WindowsAwaitingDeletion(), 0u) << "gone once the handler returned";
    // The chosen preset is heard though its window is gone.
    EXPECT_EQ(settings_.Equalizer(1), 8);
    ASSERT_FALSE(engine.Of(xaudio::kCmdEqualizer).empty());
    dlg().Playback().SetEngine(nullptr);
    backend().OnIdle = nullptr;
    Exit();
    settings_ = PlayerSettings{};
    std::filesystem::remove(dir_.File("DruskConf.cnf"));
    std::filesystem::remove(dir_.File("EqData.EQL"));
  }
}

TEST_F(PlayerWindowsTest, PlaylistWindowClosedWhileItsAddFilesDialogIsOpen) {
  for (const bool byToggle : {false, true}) {
    SCOPED_TRACE(byToggle ? "main window's toggle" : "its close element");
    Start();
    const std::string file = Mp3("a.mp3");
    std::size_t awaitingInside = 0;
    backend().SetFileDialogScript([&](const gui::FileDialogRequest&) {
      if (byToggle) dlg().ToggleWindow(1);
      else gui::App().Send(*PlaylistWindow(), wm::kClose);
      gui::App().ProcessMessages();  // what the dialog's own loop delivers
      awaitingInside = WindowsAwaitingDeletion();
      return gui::FileDialogAnswer{true, {file}, 1};
    });
    gui::App().Post(*PlaylistWindow(), wm::kCommand, 603, 0);
    Pump();
    EXPECT_EQ(awaitingInside, 1u) << "deleted under its own handler";
    EXPECT_EQ(PlaylistWindow(), nullptr);
    Pump();
    EXPECT_EQ(WindowsAwaitingDeletion(), 0u);
    ASSERT_EQ(playlist().Count(), 1) << "the chosen file is still added";
    EXPECT_EQ(playlist().GetEntry(0)->path, file);
    backend().SetFileDialogScript(nullptr);
    Exit();
    settings_ = PlayerSettings{};
    std::filesystem::remove(dir_.File("DruskConf.cnf"));
    std::filesystem::remove(dir_.File("PlayList.lirn"));
  }
}

TEST_F(PlayerWindowsTest, APresetSavedOnTheFirstRunIsInTheStoreAfterAClose) {
  Start();
  backend().OnIdle = [this] {
    if (backend().ModalForms().empty()) return false;
    auto* dialog = static_cast<CEqSaveDlg*>(backend().ModalForms().back());
    dialog->edtName.SetText("Mine");
    return dialog->btnOk.UserClick();
  };
  gui::App().Post(*Equalizer(), wm::kCommand, 32773, 0);
  Pump();
  backend().OnIdle = nullptr;
  ASSERT_EQ(app->Presets().Count(), 1);
  // The close request the system sends (WM_CLOSE) is the close button's.
  gui::App().Send(dlg(), wm::kClose);
  EXPECT_FALSE(dlg().Visible());
  Exit();
  CEqPresetStore stored(PathFromCp949(dir_.File("EqData.EQL")));
  ASSERT_EQ(stored.ReadPresets(), CEqPresetStore::ReadResult::kRead);
  ASSERT_EQ(stored.Count(), 1);
  EXPECT_EQ(stored.Get(0)->name, "Mine");
  EXPECT_TRUE(std::filesystem::exists(dir_.File("DruskConf.cnf")));
}

TEST_F(PlayerWindowsTest, PathsLongerThanTheListHoldsAreRefusedWhereTheyEnter) {
  const std::string tooLong = dir_.File(std::string(1100 - dir_.Folder().size(), 'a') + ".mp3");
  Start("\"" + tooLong + "\"");
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].rfind(kPathTooLongText, 0), 0u);
  EXPECT_TRUE(backend().FileDialogs().empty()) << "a refused command line opens no dialog";
  // From the add-files dialog: the others are taken.
  const std::string fine = Mp3("a.mp3");
  backend().QueueFileDialogAnswer({true, {fine, tooLong}, 1});
  gui::App().Post(*PlaylistWindow(), wm::kCommand, 603, 0);
  Pump();
  EXPECT_EQ(playlist().Count(), 1);
  EXPECT_EQ(messages_.size(), 2u);
  Exit();
  CPlaylist next;
  EXPECT_EQ(next.LoadPlaylistFile(PathFromCp949(dir_.File("PlayList.lirn"))), CPlaylist::LoadResult::kLoaded);
  EXPECT_EQ(next.Count(), 1);
}

// --- Playlist window ---

TEST_F(PlayerWindowsTest, PlaylistWindowScrollsWithinItsRows) {
  Start();
  CPlaylistWnd& window = *PlaylistWindow();
  // Make the list five rows high.
  const int rowsNow = window.View().Height();
  const SkinRect at = window.ScreenRect();
  window.SetPlace({at.left, at.top, at.right, at.bottom - rowsNow + 5 * window.View().LineHeight()});
  ASSERT_EQ(window.View().VisibleRows(), 5);
  for (int i = 0; i < 10; ++i) playlist().AddFile(dir_.File("f" + std::to_string(i) + ".mp3"));
  window.RefreshScroll();
  // Up at the top does nothing.
  window.UserKeyDown(gui::keys::kUp);
  EXPECT_EQ(window.View().TopRow(), 0);
  for (int i = 0; i < 6; ++i) window.UserKeyDown(gui::keys::kDown);
  EXPECT_EQ(window.View().TopRow(), 6);
  const int paints = gui::headless::PaintCount(window);
  window.UserKeyDown(gui::keys::kDown);
  EXPECT_EQ(window.View().TopRow(), 5) << "one more Down puts it back";
  EXPECT_EQ(gui::headless::PaintCount(window), paints);
  auto* scroll = FindElementAs<CSkinScrollBar>(window.Elements(), 720);
  ASSERT_NE(scroll, nullptr);
  EXPECT_EQ(scroll->total(), 10);
  // The scroll bar's messages: line up, thumb dragged to row 2, the wheel.
  gui::App().Post(window, wm::kCommand, 720, 1);
  Pump();
  EXPECT_EQ(window.View().TopRow(), 4);
  gui::App().Post(window, wm::kCommand, 720, (2 << 16) | 3);
  Pump();
  EXPECT_EQ(window.View().TopRow(), 2);
  EXPECT_EQ(scroll->top(), 2);
  Pointer mouse;
  const gui::Rect list = window.View().Bounds();
  const gui::Point inside = window.ClientToScreen({list.left + 5, list.top + 5});
  window.TakeFocus();
  mouse.Wheel(inside, -120);
  Pump();
  EXPECT_EQ(window.View().TopRow(), 3);
  mouse.Wheel(inside, 120);
  Pump();
  EXPECT_EQ(window.View().TopRow(), 2);
}

TEST_F(PlayerWindowsTest, PlaylistWindowSelectsDeletesAndPlaysTheDoubleClickedEntry) {
  Start();
  const std::vector<std::string> files = {Mp3("a.mp3"), Mp3("b.mp3"), Mp3("c.mp3")};
  for (const auto& f : files) playlist().AddFile(f);
  CPlaylistWnd& window = *PlaylistWindow();
  window.RedrawList();
  const gui::Rect list = window.View().Bounds();
  const int line = window.View().LineHeight();
  auto row = [&](int i) { return window.ClientToScreen({list.left + 10, list.top + i * line + line / 2}); };
  Pointer mouse;
  mouse.Click(row(1));
  EXPECT_TRUE(playlist().IsSelected(1));
  mouse.DoubleClick(row(2));
  EXPECT_EQ(playlist().Current(), 2);
  EXPECT_EQ(dlg().Playback().CurrentFile(), files[2]);
  // Delete removes the marked entry.
  window.UserKeyDown(gui::keys::kDelete);
  EXPECT_EQ(playlist().Count(), 2);
  // The select-all command, through the icon menu's action.
  gui::App().Post(window, wm::kCommand, 623, 0);
  Pump();
  EXPECT_EQ(playlist().FirstSelected(), 0);
  EXPECT_EQ(playlist().LastSelected(), 1);
}

TEST_F(PlayerWindowsTest, SavedListUnderANewNameIsTheOneLoadedAtTheNextStart) {
  Start();
  playlist().AddFile(dir_.File("one.mp3"));
  playlist().AddFile(dir_.File("two.mp3"));
  const std::string saved = dir_.File("mine.lirn");
  backend().QueueFileDialogAnswer({true, {saved}, 1});
  gui::App().Post(*PlaylistWindow(), wm::kCommand, 642, 0);
  Pump();
  ASSERT_EQ(backend().FileDialogs().size(), 1u);
  // The file-name part of the playlist path ("PlayList.lirn" on Windows).
  EXPECT_EQ(backend().FileDialogs()[0].request.fileName, FileNameOf(dir_.File("PlayList.lirn")));
  EXPECT_TRUE(backend().FileDialogs()[0].request.save);
  EXPECT_EQ(app->PlaylistPath(), saved);
  EXPECT_TRUE(std::filesystem::exists(saved));
  // A list file that cannot be read leaves the playlist as it was.
  vantu_test::WriteBytes(dir_.File("bad.lirn"), {9, 0, 0, 0, 200, 0});
  backend().QueueFileDialogAnswer({true, {dir_.File("bad.lirn")}, 1});
  gui::App().Post(*PlaylistWindow(), wm::kCommand, 643, 0);
  Pump();
  EXPECT_EQ(playlist().Count(), 2);
  EXPECT_EQ(app->PlaylistPath(), saved);
  ASSERT_EQ(backend().MessageBoxes().size(), 1u);

  // The next start reads it.
  Exit();
  PlayerSettings next;
  CVantuPlayerApp again(Env(), next);
  ASSERT_TRUE(again.Start(""));
  EXPECT_EQ(again.PlaylistPath(), saved);
  EXPECT_EQ(again.Playlist().Count(), 2);
}

// --- Teardown ---

TEST_F(PlayerWindowsTest, ClosingWhilePlayingStopsTheEngineBeforeTheWindowsGo) {
  Start("", 1);
  dlg().UserDropFiles({Mp3("a.mp3", "tone3s.mp3")}, {10, 10});
  ASSERT_TRUE(PumpUntil([&] { return EngineState() == xaudio::kStatePlaying; }));
  // The playlist window closes itself by its element, the main window by
  // its own close button, both while notifications keep coming.
  gui::App().Post(*PlaylistWindow(), wm::kClose);
  gui::App().Post(dlg(), wm::kClose);
  Pump();
  EXPECT_EQ(PlaylistWindow(), nullptr);
  EXPECT_EQ(settings_[SettingsWord::kPlaylistWindowOpen], 0);
  EXPECT_EQ(settings_[SettingsWord::kEqualizerWindowOpen], 1) << "still open: it reopens at the next start";
  EXPECT_EQ(settings_.GetRect(SettingsRect::kMainWindow), (Rect32{150, 100, 425, 216}));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  Pump();  // notifications still queued go nowhere
}

}  // namespace
}  // namespace vantu::testing
