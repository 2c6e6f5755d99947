#include "music-player/PlaybackControl.h"

#include <algorithm>

#include "common/ByteOrder.h"
#include "music-player/AnsiText.h"
#include "common/File.h"
#include "common/TextCodec.h"
#include "music-player/VantuApp.h"

namespace vantu {

using namespace xaudio;

std::array<std::uint8_t, 64> BuildBandTable(const PlayerSettings& settings) {
  static constexpr int kBandsPerSlider[7] = {1, 2, 3, 5, 7, 9, 5};
  std::array<std::uint8_t, 64> table{};
  int band = 0;
  for (int slider = 0; slider < 7; ++slider) {
    // 64-bit, then clamped: a large value never wraps into the opposite gain.
    const std::int64_t gain = std::clamp<std::int64_t>(std::int64_t{5} * settings.Equalizer(static_cast<std::size_t>(slider)), -128, 127);
    for (int i = 0; i < kBandsPerSlider[slider]; ++i, ++band)
      table[static_cast<std::size_t>(band)] = table[static_cast<std::size_t>(band + 32)] =
          static_cast<std::uint8_t>(static_cast<std::int8_t>(gain));
  }
  return table;
}

std::string CutAnsiText(const std::string& text, std::size_t limit) {
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t width = common::Cp949CharLength(text, i) == 2 ? 2 : 1;
    if (i + width > limit) break;
    i += width;
  }
  return text.substr(0, i);
}

bool IsPlayablePath(const std::string& path) {
  if (path.empty()) return false;
  auto file = common::File::OpenFile(PathFromCp949(path), common::File::Open::kRead);
  if (!file) return false;
  auto size = file->Size();
  return size && *size > 0;
}

CPlaybackControl::CPlaybackControl(CPlaylist& playlist, PlayerSettings& settings, PlaybackView& view)
    : playlist_(playlist), settings_(settings), view_(view) {}

int CPlaybackControl::EngineState() const {
  const CPlayerEngine* e = Engine();
  return e ? e->State() : kStateStopped;
}

void CPlaybackControl::PlayFile(const std::string& path) { PlayPath(path, true); }

void CPlaybackControl::PlayChosen() {
  if (auto path = playlist_.StartPath()) PlayPath(*path, false);
  else view_.OpenFiles();
}

void CPlaybackControl::PlayPath(const std::string& path, bool resumePaused) {
  CPlayerEngine* engine = Engine();
  if (resumePaused && EngineState() == kStatePaused) {
    if (engine) engine->Send(kCmdPlay);
    return;
  }
  StopPlayback();
  currentFile_ = path;
  if (IsPlayablePath(path)) {
    failureCount_ = 0;
    playable_ = true;
    view_.ShowTime(0);
    if (engine) engine->Send(kCmdInputOpen, currentFile_.c_str());
    view_.SetPositionMode(2);
    view_.NavigateBrowserIfOpen();
    view_.Wait(100);
    if (engine) engine->Send(kCmdPlay);
    view_.RedrawPlaylistIfOpen();
    ReapplyLevels();
    ShowTitle();
  } else {
    playable_ = false;
    const int n = failureCount_++;
    if (n < 5 && playlist_.Count() > 1) view_.PostCommand(105);
    ShowTitle();
  }
}

void CPlaybackControl::StopPlayback() {
  view_.SetPositionMode(0);
  const int state = EngineState();
  if (state == kStatePlaying || state == kStatePaused) {
    if (CPlayerEngine* engine = Engine()) {
      engine->Send(kCmdStop);
      engine->Send(kCmdInputClose);
    }
    view_.ShowTime(-1);
    view_.Wait(10);
  }
  view_.ResetDisplay();
}

void CPlaybackControl::TogglePause() {
  CPlayerEngine* engine = Engine();
  if (!engine) return;
  if (engine->State() == kStatePlaying) engine->Send(kCmdPause);
  else if (engine->State() == kStatePaused) engine->Send(kCmdPlay);
}

void CPlaybackControl::PlayCurrent() {
  if (auto path = playlist_.StartPath()) PlayFile(*path);
  else view_.OpenFiles();
}

void CPlaybackControl::PlayNext() {
  if (!playable_) view_.Wait(500);
  if (auto path = playlist_.NextPath()) PlayFile(*path);
  else view_.OpenFiles();
}

void CPlaybackControl::PlayPrevious() {
  if (auto path = playlist_.PrevPath()) PlayFile(*path);
  else view_.OpenFiles();
}

void CPlaybackControl::OnTrackEnd() {
  StopPlayback();
  if (settings_.Flag(SettingsWord::kShuffle)) {
    if (auto path = playlist_.RandomPath()) PlayFile(*path);
    return;
  }
  if (!settings_.Flag(SettingsWord::kRepeat) && playlist_.Count() == playlist_.Current() + 1) {
    playlist_.SetCurrent(-1);
    return;
  }
  PlayNext();
}

void CPlaybackControl::Seek(std::uint16_t value, std::uint16_t maximum) {
  if (maximum == 0) return;  // no position to go to
  const double fraction = std::min(1.0, static_cast<double>(value) / maximum);
  const auto offset = static_cast<std::int32_t>(fraction * kSeekRange);
  if (CPlayerEngine* engine = Engine()) engine->Send(kCmdSeek, offset, kSeekRange);
}

void CPlaybackControl::ApplyEqualizer() {
  CPlayerEngine* engine = Engine();
  if (!engine) return;
  if (!settings_.Flag(SettingsWord::kEqualizerOn)) {
    engine->Send(kCmdEqualizer, static_cast<const unsigned char*>(nullptr));
    return;
  }
  const auto table = BuildBandTable(settings_);
  engine->Send(kCmdEqualizer, table.data());  // the engine copies the table
}

void CPlaybackControl::ReapplyLevels() {
  view_.ReapplyLevel(402);
  view_.ReapplyLevel(401);
}

void CPlaybackControl::ShowTitle() {
  std::string text = kUnplayableTitle;
  if (playable_) text = playlist_.CurrentTitle().value_or("");
  view_.ShowTitle(CutAnsiText(text, kMaxTitleBytes));
}

void CPlaybackControl::PlayCommandLine(const std::string& commandLine) {
  const auto file = CommandLineFile(commandLine);
  if (!file || !playlist_.CheckPath(*file)) return;
  playlist_.Clear();
  playlist_.AddFile(*file);
  PlayChosen();
}

void CPlaybackControl::ShowPosition(std::uint32_t offset, std::uint32_t range) {
  if (!view_.WindowExists() || EngineState() != kStatePlaying) return;
  if (++positionCalls_ % 5 != 0) return;
  const int travel = view_.PositionTravel();
  if (travel <= 0 || range == 0) return;  // no slider, or a length nobody knows
  const std::uint64_t pixels = std::uint64_t{std::min(offset, range)} * static_cast<std::uint64_t>(travel) / range;
  view_.SetThumbPosition(static_cast<int>(pixels));
}

void CPlaybackControl::ShowStream(const std::uint8_t* properties) {
  view_.ShowStream(common::LoadLE16(properties + 2), common::LoadLE16(properties + 4));
}

}  // namespace vantu
