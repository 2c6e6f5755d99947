// libFuzzer target: the piecewise signature scan against a plain search of
// the whole buffer, the header of whatever is found, and the file
// conversion of the same bytes in pieces of the same size (the output must
// be the header and the stream, or empty when there is no signature).
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "common/ByteOrder.h"
#include "common/File.h"
#include "frame-converter/Sc4Converter.h"
#include "frame-converter/Sc4Format.h"

using namespace ramblet;

namespace {

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
    auto p = std::filesystem::temp_directory_path() / ("sc4-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(p);
    RemoveFoldersOfEndedRuns(p.parent_path(), "sc4-fuzz-");
    return p;
  }();
  return folder;
}

void CheckConversion(std::span<const std::uint8_t> stream, std::size_t piece,
                     const std::optional<Sc4SignatureScanner::Match>& match) {
  const auto in = WorkFolder() / "in.sc4";
  const auto out = WorkFolder() / "out.wav";
  std::error_code ignored;
  std::filesystem::remove(out, ignored);
  {
    auto file = common::File::OpenFile(in, common::File::Open::kWriteTruncate);
    if (!file || !file->Write(stream) || !file->Close()) std::abort();
  }
  const ConvertResult result = ConvertSc4ToWav(in, out, {piece});
  auto written = common::ReadWholeFile(out, 1 << 24);
  if (!written) std::abort();
  if (!match) {
    if (result != ConvertResult::kNoSignature || !written->empty()) std::abort();
    return;
  }
  if (result != ConvertResult::kDone) std::abort();
  const auto n = static_cast<std::uint32_t>(stream.size() - match->offset);
  const Sc4RiffHeader h = BuildSc4RiffHeader(match->index, n);
  if (written->size() != h.size() + n) std::abort();
  if (std::memcmp(written->data(), h.data(), h.size()) != 0) std::abort();
  if (n > 0 && std::memcmp(written->data() + h.size(), stream.data() + match->offset, n) != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // The first byte picks the piece size.
  const std::size_t piece = 1 + data[0] % 17;
  std::span<const std::uint8_t> stream(data + 1, size - 1);

  std::optional<Sc4SignatureScanner::Match> naive;
  for (std::size_t p = 0; !naive && p + 3 <= stream.size(); ++p) {
    for (std::size_t i = 0; i < kSc4Signatures.size(); ++i) {
      if (std::memcmp(stream.data() + p, kSc4Signatures[i].bytes.data(), 3) == 0) {
        naive = Sc4SignatureScanner::Match{p, i};
        break;
      }
    }
  }
  Sc4SignatureScanner scanner;
  for (std::size_t at = 0; at < stream.size(); at += piece) {
    scanner.Feed(stream.subspan(at, std::min(piece, stream.size() - at)));
  }
  const auto found = scanner.match();
  if (found.has_value() != naive.has_value()) std::abort();
  if (found) {
    if (found->offset != naive->offset || found->index != naive->index) std::abort();
    const auto n = static_cast<std::uint32_t>(stream.size() - found->offset);
    const Sc4RiffHeader h = BuildSc4RiffHeader(found->index, n);
    if (common::LoadLE32(&h[riff::kDataSize]) != n) std::abort();
  }
  CheckConversion(stream, piece, naive);
  return 0;
}
