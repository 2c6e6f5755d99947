#include "music-player/VantuApp.h"

#include <algorithm>
#include <vector>

#include "music-player/ConfigFile.h"

namespace vantu {

std::optional<std::string> ParseHandOver(std::uintptr_t tag, std::span<const std::uint8_t> bytes) {
  if (tag != kHandOverTag) return std::nullopt;
  if (!bytes.empty() && bytes.back() == 0) bytes = bytes.first(bytes.size() - 1);
  if (bytes.empty() || bytes.size() > kMaxHandOverBytes) return std::nullopt;
  if (std::find(bytes.begin(), bytes.end(), std::uint8_t{0}) != bytes.end()) return std::nullopt;
  return std::string(bytes.begin(), bytes.end());
}

std::optional<std::string> CommandLineFile(const std::string& commandLine) {
  std::string text = commandLine;
  if (!text.empty() && text.front() == '"') text.erase(0, 1);
  if (!text.empty() && text.back() == '"') text.pop_back();
  if (text.empty()) return std::nullopt;
  return text;
}

CVantuPlayerApp::CVantuPlayerApp(VantuEnvironment env, PlayerSettings& settings)
    : env_(std::move(env)), settings_(settings) {}

bool CVantuPlayerApp::InitInstance(const std::string& commandLine, const std::function<void()>& runMainWindow) {
  if (Start(commandLine) && runMainWindow) runMainWindow();
  return false;
}

bool CVantuPlayerApp::Start(const std::string& commandLine) {
  // 1. The marker file; a start goes on when it cannot be written.
  const common::Path marker = common::PathFromAnsi(env_.markerPath);
  if (!common::FileExists(marker)) {
    static constexpr std::uint8_t kMarker[] = {'1', '.', '0', '3'};
    (void)common::WriteFileAtomically(marker, kMarker);
  }
  // 2. One player at a time: a second start hands its file over and ends.
  if (env_.instances && env_.instances->OtherPlayerRunning()) {
    secondInstance_ = true;
    if (auto file = CommandLineFile(commandLine)) env_.instances->HandOverFile(*file);
    return false;
  }
  // 4, 5. Paths, then the configuration with the playlist and presets.
  configPath_ = env_.programFolder + "DruskConf.cnf";
  LoadConfiguration(configPath_);
  return true;
}

int CVantuPlayerApp::LoadConfiguration(const std::string& configPath) {
  playlist_ = std::make_unique<CPlaylist>();
  // Set before the playlist file is read: a file of more than 1000 entries
  // says so at start-up too.
  playlist_->ShowMessage = env_.showMessage;
  presets_ = std::make_unique<CEqPresetStore>(common::PathFromAnsi(env_.programFolder + "EqData.EQL"));
  auto useDefaults = [&] {
    settings_.SetFirstStartDefaults();
    playlistPath_ = env_.programFolder + "PlayList.lirn";
    playlistPathAtStart_ = playlistPath_;
  };

  bool damaged = false;
  config_file::Parsed parsed;
  if (auto file = common::File::OpenFile(common::PathFromAnsi(configPath), common::File::Open::kRead)) {
    std::vector<std::uint8_t> bytes(config_file::kMaxFileBytes);
    auto got = file->ReadFull(bytes);
    if (got) {
      bytes.resize(*got);
      parsed = config_file::Parse(bytes, settings_);
    }
    damaged = parsed.status != config_file::Status::kRead;
  } else {
    useDefaults();
    return 0;
  }
  if (damaged) {
    useDefaults();
    Report("설정 파일(DruskConf.cnf)이 손상되어 기본 설정으로 시작합니다.");
    return 0;
  }

  playlistPath_ = parsed.playlistPath;
  playlistPathAtStart_ = playlistPath_;
  if (!playlistPath_.empty()) {
    const auto result = playlist_->LoadPlaylistFile(common::PathFromAnsi(playlistPath_));
    playlistLoaded_ = result == CPlaylist::LoadResult::kLoaded;
    if (result == CPlaylist::LoadResult::kDamaged)
      Report("재생 목록 파일이 손상되어 읽지 못했습니다.\n" + playlistPath_);
  }
  playlistRevisionAtStart_ = playlist_->Revision();
  const auto presets = presets_->ReadPresets();
  presetsRead_ = presets == CEqPresetStore::ReadResult::kRead;
  if (presets == CEqPresetStore::ReadResult::kDamaged)
    Report("이퀄라이저 설정 파일(EqData.EQL)이 손상되어 읽지 못했습니다.");
  presetsRevisionAtStart_ = presets_->Revision();
  return 1;
}

int CVantuPlayerApp::SaveConfiguration(const std::string& configPath) {
  int written = 0;
  if (auto bytes = config_file::Encode(playlistPath_, settings_))
    written = common::WriteFileAtomically(common::PathFromAnsi(configPath), *bytes).ok() ? 1 : 0;

  // A playlist or preset file that was there but could not be read is only
  // replaced when the user changed what it would hold.
  if (playlist_ && !playlistPath_.empty()) {
    const common::Path path = common::PathFromAnsi(playlistPath_);
    const bool unchangedOverUnread = !playlistLoaded_ && playlistPath_ == playlistPathAtStart_ &&
                                     playlist_->Revision() == playlistRevisionAtStart_ && common::FileExists(path);
    if (!unchangedOverUnread) playlist_->SavePlaylistFile(path);
  }
  if (presets_) {
    const bool unchangedOverUnread = !presetsRead_ && presets_->Revision() == presetsRevisionAtStart_ &&
                                     common::FileExists(presets_->FilePath());
    if (!unchangedOverUnread) presets_->WritePresets();
  }
  return written;
}

bool CVantuPlayerApp::SetPlaylistPath(const std::string& path) {
  if (path.size() > config_file::kMaxPathBytes) return false;
  playlistPath_ = path;
  return true;
}

int CVantuPlayerApp::ExitInstance() {
  if (secondInstance_) return 0;
  SaveConfiguration(configPath_);
  presets_.reset();
  if (playlist_) playlist_->Clear();
  playlist_.reset();
  return 0;
}

}  // namespace vantu
