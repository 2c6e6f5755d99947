// The program update: the setup program fetched from the maker's FTP
// server, checked, then started.
//
// The server publishes beside the setup program its SHA-256, in a file of
// the same name with ".sha256" added ("<64 hex digits>  <name>", as
// sha256sum writes it; a digest file over 1 KiB is refused). The setup
// program is written to a temporary file beside the target and becomes the
// target only when its length is the size the server announced and its
// digest is the published one; the transfer stops at the first byte past
// the announced size, and a file that does not match is deleted, so nothing
// unchecked is ever started.
//
// Where to fetch from is read from the settings file's section "UPDATE"
// (FTPHOST, FTPPORT, FTPUSER, FTPPASSWD, FTPFILE, HOMEPAGE); a missing key
// takes the deployment's value below.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

#include "common/File.h"
#include "common/Result.h"
#include "common/Sha256.h"
#include "platform/IniFile.h"
#include "platform/http/FtpClient.h"

namespace orvel {

inline constexpr const char* kUpdateSection = "UPDATE";
inline constexpr const char* kSetupFileName = "setup.exe";
inline constexpr const char* kDigestSuffix = ".sha256";

struct UpdateSettings {
  platform::http::FtpServer server{"ftp.corvane.co.kr", 21, "orveluser", "fowlmetk"};
  std::string remoteFile = "Orvel/Moltree/setup.exe";
  std::string homepage = "http://www.corvane.co.kr/";
};

UpdateSettings ReadUpdateSettings(const platform::IniFile& ini);

// The digest of a published ".sha256" file: its first word, 64 hexadecimal
// digits; empty for anything else (also for more than 1 KiB of text).
std::optional<common::Sha256::Digest> ParseDigestFile(std::string_view text);

// Progress of the setup program's transfer: bytes so far and the size the
// server announced (0 while it is not known). Called on the fetching thread.
using UpdateProgress = std::function<void(std::uint64_t received, std::uint64_t total)>;

// Fetches the digest, then the setup program into `target`, and checks it;
// nothing when the target is ready to start. Ends within `totalTimeout` in
// all (the two transfers share it), and at once on `cancel`. The error's
// message is the text for the user; its code is an FtpError, an
// UpdateError or (writing the file) a FileError, told apart by `source`.
struct UpdateFailure {
  enum class Source { kFtp, kUpdate, kFile } source = Source::kFtp;
  common::Error error;
};
std::optional<UpdateFailure> DownloadUpdate(platform::http::FtpClient& ftp, const UpdateSettings& settings,
                                                   const common::Path& target, const UpdateProgress& progress,
                                                   std::stop_token cancel, std::chrono::milliseconds totalTimeout);

}  // namespace orvel
