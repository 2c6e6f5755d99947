// Playback control of the main window: play a file, stop, pause and
// resume, previous, current and next entry, the end of a track (shuffle,
// repeat, next), seeking, the equalizer band table, and the time, position
// and stream displays fed by the engine's notifications. GUI thread only.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "music-player/PlayerEngine.h"
#include "music-player/PlayerSettings.h"
#include "music-player/Playlist.h"

namespace vantu {

// What playback control asks of the main window and its elements.
class PlaybackView {
 public:
  virtual ~PlaybackView() = default;
  virtual bool WindowExists() = 0;
  virtual void ShowTime(int seconds) = 0;  // <= 0 shows empty fields
  virtual void ShowStream(int bitrateKbps, int sampleRateHz) = 0;
  virtual void ShowTitle(const std::string& title) = 0;  // play indicator on, the title text
  virtual void ResetDisplay() = 0;
  // Position slider (element 403); travel 0 when the skin has none.
  virtual void SetPositionMode(int mode) = 0;
  virtual int PositionTravel() = 0;
  virtual void SetThumbPosition(int pixels) = 0;
  // Makes level slider 401 or 402 send its level again (when it exists).
  virtual void ReapplyLevel(int elementId) = 0;
  virtual void NavigateBrowserIfOpen() = 0;
  virtual void RedrawPlaylistIfOpen() = 0;
  virtual void OpenFiles() = 0;
  virtual void PostCommand(int id) = 0;
  virtual void Wait(int ms) = 0;
};

inline constexpr char kUnplayableTitle[] = "파일이 없거나 문제있음";
// The seek command's range: a seek goes to offset/kSeekRange of the input.
constexpr std::int32_t kSeekRange = 10000;
// Longest title shown (bytes).
constexpr std::size_t kMaxTitleBytes = 127;

// The 64-byte band table of the equalizer command: sliders 450-456 feed 1,
// 2, 3, 5, 7, 9 and 5 bands; each band is 5 x the slider's value, kept
// inside the signed byte the engine reads (-128..127), the right channel a
// copy of the left.
std::array<std::uint8_t, 64> BuildBandTable(const PlayerSettings& settings);

// The first `limit` bytes of an ANSI (code page 949) text, never ending in
// the middle of a double-byte character.
std::string CutAnsiText(const std::string& text, std::size_t limit);

// Whether a path can be handed to the engine: it names a file that can be
// opened for reading and is not empty.
bool IsPlayablePath(const std::string& path);

class CPlaybackControl : public PlayerEngineOwner {
 public:
  CPlaybackControl(CPlaylist& playlist, PlayerSettings& settings, PlaybackView& view);

  // The engine the commands go to (the process-wide one unless set).
  void SetEngine(CPlayerEngine* engine) { engine_ = engine; }

  void PlayFile(const std::string& path);
  // The user put something else in place of what plays (a new playlist, a
  // file handed over, an entry chosen in the list): the current entry
  // starts (the first marked one, else the first); a paused file is
  // stopped, never resumed in its place.
  void PlayChosen();
  void StopPlayback();
  void TogglePause();
  void PlayCurrent();
  void PlayNext();
  void PlayPrevious();
  void Seek(std::uint16_t value, std::uint16_t maximum);
  void ApplyEqualizer();
  void ReapplyLevels();
  void ShowTitle();
  // The command line or a file handed over by a second start: the playlist
  // becomes that one file, which plays.
  void PlayCommandLine(const std::string& commandLine);

  // PlayerEngineOwner.
  void OnTrackEnd() override;
  void ShowPosition(std::uint32_t offset, std::uint32_t range) override;
  void ShowTime(int seconds) override { view_.ShowTime(seconds); }
  void ShowStream(const std::uint8_t* properties) override;

  const std::string& CurrentFile() const { return currentFile_; }
  bool Playable() const { return playable_; }
  int FailureCount() const { return failureCount_; }

 private:
  CPlayerEngine* Engine() const { return engine_ ? engine_ : TheEngine(); }
  void PlayPath(const std::string& path, bool resumePaused);
  int EngineState() const;

  CPlaylist& playlist_;
  PlayerSettings& settings_;
  PlaybackView& view_;
  CPlayerEngine* engine_ = nullptr;
  std::string currentFile_;
  bool playable_ = true;
  int failureCount_ = 0;
  std::uint64_t positionCalls_ = 0;
};

}  // namespace vantu
