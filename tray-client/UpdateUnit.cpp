#include "tray-client/UpdateUnit.h"

#include <algorithm>

#include "common/ErrorText.h"

namespace orvel {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kDigestFileLimit = 1024;

UpdateFailure Failed(UpdateFailure::Source source, common::Error error) { return {source, std::move(error)}; }

UpdateFailure UpdateFailed(common::UpdateError code, const std::string& detail) {
  return {UpdateFailure::Source::kUpdate,
          common::Error{static_cast<int>(code), common::UserMessage(common::ErrorSentence(code), detail)}};
}

}  // namespace

UpdateSettings ReadUpdateSettings(const platform::IniFile& ini) {
  UpdateSettings settings;
  settings.server.host = ini.ReadString(kUpdateSection, "FTPHOST", settings.server.host);
  settings.server.port = ini.ReadInteger(kUpdateSection, "FTPPORT", settings.server.port);
  settings.server.user = ini.ReadString(kUpdateSection, "FTPUSER", settings.server.user);
  settings.server.password = ini.ReadString(kUpdateSection, "FTPPASSWD", settings.server.password);
  settings.remoteFile = ini.ReadString(kUpdateSection, "FTPFILE", settings.remoteFile);
  settings.homepage = ini.ReadString(kUpdateSection, "HOMEPAGE", settings.homepage);
  return settings;
}

std::optional<common::Sha256::Digest> ParseDigestFile(std::string_view text) {
  if (text.size() > kDigestFileLimit) return std::nullopt;
  const auto begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string_view::npos) return std::nullopt;
  text.remove_prefix(begin);
  const auto end = text.find_first_of(" \t\r\n");
  return common::ParseDigestHex(text.substr(0, end));
}

std::optional<UpdateFailure> DownloadUpdate(platform::http::FtpClient& ftp, const UpdateSettings& settings,
                                            const common::Path& target, const UpdateProgress& progress,
                                            std::stop_token cancel, std::chrono::milliseconds totalTimeout) {
  using Source = UpdateFailure::Source;
  const auto deadline = Clock::now() + totalTimeout;
  auto remaining = [&] {
    return std::max(std::chrono::milliseconds(1),
                    std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
  };

  // The published digest first: without it nothing is fetched at all.
  std::string digestText;
  bool digestTooLong = false;
  auto digestDone = ftp.Retrieve(
      settings.server, settings.remoteFile + kDigestSuffix,
      [&](std::string_view piece) {
        if (piece.size() > kDigestFileLimit - digestText.size()) {
          digestTooLong = true;
          return false;
        }
        digestText.append(piece);
        return true;
      },
      {}, cancel, remaining());
  // A digest file over its limit is refused whole, however its pieces came.
  if (digestTooLong) {
    return UpdateFailed(common::UpdateError::kNoChecksum, settings.remoteFile + kDigestSuffix + " 크기가 한도 " +
                                                              std::to_string(kDigestFileLimit) + "바이트 초과");
  }
  if (!digestDone) {
    const auto code = static_cast<common::FtpError>(digestDone.error().code);
    if (code != common::FtpError::kNoFile) return Failed(Source::kFtp, digestDone.error());
    return UpdateFailed(common::UpdateError::kNoChecksum,
                        settings.remoteFile + kDigestSuffix + " 없음, " + common::DetailOf(digestDone.error().message));
  }
  const auto expected = ParseDigestFile(digestText);
  if (!expected) {
    return UpdateFailed(common::UpdateError::kNoChecksum, settings.remoteFile + kDigestSuffix + " 형식이 올바르지 않음");
  }

  auto writer = common::AtomicFileWriter::Begin(target);
  if (!writer) return Failed(Source::kFile, writer.error());
  common::Sha256 hash;
  std::uint64_t received = 0;
  std::uint64_t announced = 0;
  std::optional<common::Error> writeError;
  bool overrun = false;
  auto done = ftp.Retrieve(
      settings.server, settings.remoteFile,
      [&](std::string_view piece) {
        // Not a byte past the announced size is written.
        if (announced != 0 && piece.size() > announced - received) {
          overrun = true;
          return false;
        }
        const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(piece.data()), piece.size());
        if (auto written = writer->Write(bytes); !written) {
          writeError = written.error();
          return false;
        }
        hash.Update(bytes);
        received += piece.size();
        if (progress) progress(received, announced);
        return true;
      },
      [&](std::uint64_t size) {
        announced = size;
        if (progress) progress(received, announced);
      },
      cancel, remaining());
  // Leaving without Commit removes the temporary file: a partial or
  // unchecked download never becomes the target.
  if (writeError) return Failed(Source::kFile, *writeError);
  if (overrun) {
    return UpdateFailed(common::UpdateError::kSizeMismatch,
                        "서버가 알린 " + std::to_string(announced) + "바이트보다 많이 보냄");
  }
  if (!done) return Failed(Source::kFtp, done.error());
  if (announced != 0 && received != announced) {
    return UpdateFailed(common::UpdateError::kSizeMismatch,
                        "받은 크기 " + std::to_string(received) + "바이트, 서버 " + std::to_string(announced) + "바이트");
  }
  const auto digest = hash.Finish();
  if (digest != *expected) {
    return UpdateFailed(common::UpdateError::kHashMismatch,
                        "SHA-256 " + common::DigestHex(digest) + ", 게시된 값 " + common::DigestHex(*expected));
  }
  if (auto committed = writer->Commit(); !committed) return Failed(Source::kFile, committed.error());
  return std::nullopt;
}

}  // namespace orvel
