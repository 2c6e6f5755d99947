#include "music-player/VantuApp.h"

#include <algorithm>
#include <vector>

#include "music-player/AnsiText.h"
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
  const common::Path marker = PathFromCp949(env_.markerPath);
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

namespace {

// Moves a damaged file aside under a name not in use ("X.bad", "X.bad2",
// ...), so the file written in its place at exit loses nothing. Gives the
// new name, or none when it could not be moved.
std::optional<std::string> KeepAside(const std::string& path) {
  for (int i = 1; i <= 99; ++i) {
    const std::string aside = path + ".bad" + (i == 1 ? std::string() : std::to_string(i));
    if (common::FileExists(PathFromCp949(aside))) continue;
    if (common::RenameOver(PathFromCp949(path), PathFromCp949(aside))) return aside;
    return std::nullopt;
  }
  return std::nullopt;
}

// The file-name part of a path, for messages.
std::string ShownName(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string CVantuPlayerApp::SetAsideDamaged(const std::string& path, const std::string& what, bool& keptInPlace) {
  const auto aside = KeepAside(path);
  keptInPlace = !aside;
  std::string text = what + "(" + ShownName(path) + ")이 손상되어 읽지 못했습니다.";
  if (aside) text += "\n손상된 파일은 " + ShownName(*aside) + "(으)로 보관했습니다.";
  else text += "\n" + path;
  return text;
}

int CVantuPlayerApp::LoadConfiguration(const std::string& configPath) {
  playlist_ = std::make_unique<CPlaylist>();
  // Set before the playlist file is read: a file of more than 1000 entries
  // says so at start-up too.
  playlist_->ShowMessage = env_.showMessage;
  presets_ = std::make_unique<CEqPresetStore>(PathFromCp949(env_.programFolder + "EqData.EQL"));
  configKeptInPlace_ = false;

  int read = 0;
  bool opened = false;
  config_file::Parsed parsed;
  if (auto file = common::File::OpenFile(PathFromCp949(configPath), common::File::Open::kRead)) {
    opened = true;
    std::vector<std::uint8_t> bytes(config_file::kMaxFileBytes);
    if (auto got = file->ReadFull(bytes)) {
      bytes.resize(*got);
      parsed = config_file::Parse(bytes, settings_);
    }
  }
  if (opened && parsed.status == config_file::Status::kRead) {
    playlistPath_ = parsed.playlistPath;
    read = 1;
  } else {
    settings_.SetFirstStartDefaults();
    playlistPath_ = env_.programFolder + "PlayList.lirn";
    if (opened) {
      Report(SetAsideDamaged(configPath, "설정 파일", configKeptInPlace_) + "\n기본 설정으로 시작합니다.");
    }
  }
  playlistPathAtStart_ = playlistPath_;

  // The playlist and the presets are read whatever became of the
  // configuration file: they are the user's own files.
  if (!playlistPath_.empty()) {
    const auto result = playlist_->LoadPlaylistFile(PathFromCp949(playlistPath_));
    playlistLoaded_ = result == CPlaylist::LoadResult::kLoaded;
    if (result == CPlaylist::LoadResult::kDamaged) {
      bool inPlace = false;
      Report(SetAsideDamaged(playlistPath_, "재생 목록 파일", inPlace));
    }
  }
  playlistRevisionAtStart_ = playlist_->Revision();
  const auto presets = presets_->ReadPresets();
  presetsRead_ = presets == CEqPresetStore::ReadResult::kRead;
  if (presets == CEqPresetStore::ReadResult::kDamaged) {
    bool inPlace = false;
    Report(SetAsideDamaged(env_.programFolder + "EqData.EQL", "이퀄라이저 설정 파일", inPlace));
  }
  presetsRevisionAtStart_ = presets_->Revision();
  return read;
}

int CVantuPlayerApp::SaveConfiguration(const std::string& configPath) {
  std::vector<std::string> notWritten;
  int written = 0;
  if (!configKeptInPlace_) {
    auto bytes = config_file::Encode(playlistPath_, settings_);
    written = bytes && common::WriteFileAtomically(PathFromCp949(configPath), *bytes).ok() ? 1 : 0;
  }
  if (!written) notWritten.push_back(configPath);

  // A playlist or preset file that was there but could not be read is only
  // replaced when the user changed what it would hold.
  if (playlist_ && !playlistPath_.empty()) {
    const common::Path path = PathFromCp949(playlistPath_);
    const bool unchangedOverUnread = !playlistLoaded_ && playlistPath_ == playlistPathAtStart_ &&
                                     playlist_->Revision() == playlistRevisionAtStart_ && common::FileExists(path);
    if (!unchangedOverUnread && !playlist_->SavePlaylistFile(path)) notWritten.push_back(playlistPath_);
  }
  if (presets_) {
    const bool unchangedOverUnread = !presetsRead_ && presets_->Revision() == presetsRevisionAtStart_ &&
                                     common::FileExists(presets_->FilePath());
    if (!unchangedOverUnread && !presets_->WritePresets()) notWritten.push_back(env_.programFolder + "EqData.EQL");
  }
  if (!notWritten.empty()) {
    std::string text = "다음 파일을 저장하지 못했습니다.";
    for (const auto& path : notWritten) text += "\n" + path;
    Report(text);
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
