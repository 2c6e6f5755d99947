// libFuzzer target: the tray client's player units reading from a driver
// that plays back fuzzed answers and blocks. The first byte picks the unit:
// TMyDevice::ReadDeviceDirectory, a TDNFileThread reading an entry into a
// PC file, or one writing a PC file of 0-4 data blocks to the player (0 to
// 3 blocks and 6 bytes long). Every further call of the driver takes its
// answer from the input:
//
//   control call  one byte: 0 the call fails; else 8 answer bytes follow
//   block read    one byte: 0 fails, 1 moves the count of the next byte
//                 only; else a 16-bit little-endian length L (at most 1024)
//                 and L bytes, the rest of the block 0xFF
//   block write   one byte: 0 fails, 1 moves half a block; else whole
//
// An exhausted input fails every call. The checks: the directory lines are
// "<name>/<n>k", names without folders; a transfer ends with exactly one
// 2 or 3 as its last report, progress in 0-100 before it; the read leaves
// no temporary file, and the PC file only when it succeeded, with the size
// its header gave.
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tray-client/DeviceUnit.h"
#include "tray-client/UpDnUnit.h"
#include "tray-client/tests/RecordingTarget.h"

using namespace orvel;
using playerlink::Device;

namespace {

class Playback {
 public:
  Playback(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool Take(std::uint8_t& byte) {
    if (at_ >= size_) return false;
    byte = data_[at_++];
    return true;
  }
  std::size_t Take(std::uint8_t* out, std::size_t n) {
    const std::size_t got = std::min(n, size_ - at_);
    std::memcpy(out, data_ + at_, got);
    at_ += got;
    return got;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

class PlaybackSession final : public playerlink::DriverSession {
 public:
  explicit PlaybackSession(Playback& playback) : playback_(playback) {}
  bool Open(Device d) override { return open_[static_cast<int>(d)] = true; }
  void Close(Device d) override { open_[static_cast<int>(d)] = false; }
  bool IsOpen(Device d) const override { return open_[static_cast<int>(d)]; }

  std::optional<std::size_t> Control(std::span<std::uint8_t> buffer, std::size_t) override {
    std::uint8_t kind;
    if (!playback_.Take(kind) || kind == 0) return std::nullopt;
    std::uint8_t answer[8] = {};
    const std::size_t got = playback_.Take(answer, sizeof answer);
    const std::size_t n = std::min(buffer.size(), got);
    std::memcpy(buffer.data(), answer, n);
    return n;
  }
  std::optional<std::size_t> Write(std::span<const std::uint8_t> data) override {
    std::uint8_t kind;
    if (!playback_.Take(kind) || kind == 0) return std::nullopt;
    return kind == 1 ? data.size() / 2 : data.size();
  }
  std::optional<std::size_t> Read(std::span<std::uint8_t> data) override {
    std::uint8_t kind;
    if (!playback_.Take(kind) || kind == 0) return std::nullopt;
    std::fill(data.begin(), data.end(), std::uint8_t{0xFF});
    if (kind == 1) {
      std::uint8_t n = 0;
      (void)playback_.Take(n);
      return std::min<std::size_t>(n, data.size());
    }
    std::uint8_t length[2] = {};
    playback_.Take(length, 2);
    const std::size_t n = std::min<std::size_t>(length[0] | (length[1] << 8), 1024);
    playback_.Take(data.data(), n);
    return data.size();
  }

 private:
  Playback& playback_;
  bool open_[3] = {};
};

class PlaybackDriver final : public playerlink::Driver {
 public:
  explicit PlaybackDriver(Playback& playback) : playback_(playback) {}
  std::unique_ptr<playerlink::DriverSession> NewSession() override {
    return std::make_unique<PlaybackSession>(playback_);
  }

 private:
  Playback& playback_;
};

// libFuzzer ends without running exit handlers: the folders of earlier
// runs whose process has ended are removed by the next run.
void RemoveFoldersOfEndedRuns(const std::filesystem::path& parent, const std::string& prefix) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(parent, error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) != 0) continue;
    const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
    if (pid > 0 && pid != getpid() && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
      std::error_code ignored;
      std::filesystem::remove_all(entry.path(), ignored);
    }
  }
}

const std::filesystem::path& WorkFolder() {
  static const std::filesystem::path folder = [] {
    auto p = std::filesystem::temp_directory_path() / ("tray-device-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(p);
    RemoveFoldersOfEndedRuns(p.parent_path(), "tray-device-fuzz-");
    return p;
  }();
  return folder;
}

void CheckReports(const std::vector<testing::Report>& reports) {
  if (reports.empty()) std::abort();
  for (std::size_t i = 0; i + 1 < reports.size(); ++i) {
    if (reports[i].wParam != TDNFileThread::kReportProgress) std::abort();
    if (reports[i].lParam < 0 || reports[i].lParam > 100) std::abort();
  }
  const auto last = reports.back().wParam;
  if (last != TDNFileThread::kReportDone && last != TDNFileThread::kReportFailed) std::abort();
}

void Directory(PlaybackDriver& driver) {
  TMyDevice device(driver);
  std::vector<std::string> lines;
  const bool added = device.ReadDeviceDirectory(lines);
  if (added == lines.empty()) std::abort();
  for (const std::string& line : lines) {
    const auto slash = line.find('/');
    if (slash == std::string::npos || line.back() != 'k') std::abort();
    if (line.find('\\') < slash) std::abort();  // only the part after the last folder separator
  }
  if (!device.identifier().empty() && device.identifier().size() != 8) std::abort();
}

void ReadEntry(PlaybackDriver& driver) {
  const auto target = WorkFolder() / "entry.mp3";
  std::error_code ignored;
  std::filesystem::remove(target, ignored);
  testing::RecordingTarget window;
  TDNFileThread(driver, window, u"0", target.u16string(), 1125, TDNFileThread::kModeRead).Execute();
  const auto reports = window.reports();
  CheckReports(reports);
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(WorkFolder())) ++files;
  if (reports.back().wParam == TDNFileThread::kReportDone) {
    if (files != 1 || !std::filesystem::exists(target)) std::abort();
  } else if (files != 0) {
    std::abort();  // neither the file nor its temporary file stays after a failure
  }
}

void WriteFile(PlaybackDriver& driver, std::uint8_t blocks) {
  const auto source = WorkFolder() / "source.mp3";
  {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(blocks) * playerlink::kBlockSize / 2 + blocks, 0x5A);
    auto file = common::File::OpenFile(source, common::File::Open::kWriteTruncate);
    if (!file || !file->Write(bytes) || !file->Close()) std::abort();
  }
  testing::RecordingTarget window;
  TDNFileThread(driver, window, source.u16string(), u"C:\\LocalSync\\fuzz.mp3", 1125, TDNFileThread::kModeWrite)
      .Execute();
  CheckReports(window.reports());
  std::error_code ignored;
  std::filesystem::remove(source, ignored);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  Playback playback(data + 1, size - 1);
  PlaybackDriver driver(playback);
  switch (data[0] % 3) {
    case 0: Directory(driver); break;
    case 1: ReadEntry(driver); break;
    case 2: WriteFile(driver, static_cast<std::uint8_t>((data[0] / 3) % 7)); break;
  }
  return 0;
}
