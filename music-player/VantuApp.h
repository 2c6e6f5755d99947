// The music player's application object: the marker file, the single
// instance (a second start hands its file to the running player and ends),
// the order of loading and saving settings, playlist and presets around the
// main window's run, and the command line.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "music-player/EqPresets.h"
#include "music-player/PlayerSettings.h"
#include "music-player/Playlist.h"

namespace vantu {

// The main window's caption, which is also the single-instance key.
inline constexpr char kMainWindowCaption[] = "Qortan Vantu V 2.00 Player";
// WM_COPYDATA tag of a file handed over by a second start (the main
// window's command 150).
constexpr std::uintptr_t kHandOverTag = 150;
// Longest path handed over (bytes, the Windows path limit).
constexpr std::size_t kMaxHandOverBytes = 259;

// The other running player, if any (FindWindow by caption on Windows).
class InstanceLink {
 public:
  virtual ~InstanceLink() = default;
  virtual bool OtherPlayerRunning() = 0;
  // Copies the path's bytes to the running player (WM_COPYDATA, bounded
  // wait); false when it could not be delivered.
  virtual bool HandOverFile(const std::string& path) = 0;
};
std::unique_ptr<InstanceLink> CreateSystemInstanceLink();

// The path of a hand-over message, checked: the right tag, 1-259 bytes,
// no NUL inside (one trailing NUL is allowed). None otherwise.
std::optional<std::string> ParseHandOver(std::uintptr_t tag, std::span<const std::uint8_t> bytes);

// The file named by a command line: one leading double quote skipped, a
// trailing one cut; none when nothing remains.
std::optional<std::string> CommandLineFile(const std::string& commandLine);

struct VantuEnvironment {
  std::string programFolder;  // with its trailing separator
  std::string markerPath = "c:\\vantuplayer.dat";
  InstanceLink* instances = nullptr;  // null: no other player can run
  // Message boxes of the application (damaged files).
  std::function<void(const std::string& text)> showMessage;
};

class CVantuPlayerApp {
 public:
  CVantuPlayerApp(VantuEnvironment env, PlayerSettings& settings);

  // The whole life: start-up, the main window's run, exit. Gives false, as
  // the application runs no loop of its own.
  bool InitInstance(const std::string& commandLine, const std::function<void()>& runMainWindow);
  // Start-up steps up to the main window; false for a second instance.
  bool Start(const std::string& commandLine);
  int ExitInstance();

  // 1 when the file was read, 0 when missing or damaged (defaults used).
  // The playlist and the presets are read either way; a damaged file of
  // the three is moved aside ("X.bad") and the message names both.
  int LoadConfiguration(const std::string& configPath);
  // Writes the configuration file, the playlist and the presets, each on
  // its own and atomically; 1 when the configuration file was written.
  // Files that could not be written are named in one message.
  int SaveConfiguration(const std::string& configPath);

  const std::string& ProgramFolder() const { return env_.programFolder; }
  const std::string& ConfigPath() const { return configPath_; }
  const std::string& PlaylistPath() const { return playlistPath_; }
  // The playlist window's open and save commands; false (path kept) for a
  // path longer than the configuration file holds.
  bool SetPlaylistPath(const std::string& path);
  bool SecondInstance() const { return secondInstance_; }

  CPlaylist& Playlist() { return *playlist_; }
  CEqPresetStore& Presets() { return *presets_; }
  PlayerSettings& Settings() { return settings_; }

 private:
  void Report(const std::string& text) const {
    if (env_.showMessage) env_.showMessage(text);
  }
  // Moves a damaged file aside; the message that says so.
  std::string SetAsideDamaged(const std::string& path, const std::string& what, bool& keptInPlace);

  VantuEnvironment env_;
  PlayerSettings& settings_;
  std::string configPath_;
  std::string playlistPath_;
  bool secondInstance_ = false;
  std::unique_ptr<CPlaylist> playlist_;
  std::unique_ptr<CEqPresetStore> presets_;
  // What was found at start, so a file that could not be read is not
  // replaced at exit by what the program did not load from it.
  bool playlistLoaded_ = false;
  std::string playlistPathAtStart_;
  std::uint64_t playlistRevisionAtStart_ = 0;
  bool presetsRead_ = false;
  // A damaged configuration file that could not be moved aside is not
  // written over.
  bool configKeptInPlace_ = false;
  std::uint64_t presetsRevisionAtStart_ = 0;
};

}  // namespace vantu
