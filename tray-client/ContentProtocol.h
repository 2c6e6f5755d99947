// The content server's wire format: where the channel fetch finds the list
// of files the service prepared for a user by the last "syncreq" (the
// manifest) and each file itself, and which file names may become files in
// LocalSync. Once for the fetch and the fake service.
//
// Both requests are plain HTTP GETs on the zone's content server:
//
//   /OrvelContent/manifest?userid=ID
//   /OrvelContent/file?userid=ID&name=NAME
//
// with the values percent-encoded code page 949 bytes. The manifest is text,
// one record a line ("\n", a "\r" before it is allowed):
//
//   ORVEL-CONTENT 1
//   FILE <size> <sha-256, 64 hex digits> <name, percent-encoded>
//   ...
//   END <number of FILE lines>
//
// or, when the server has something to say instead of files:
//
//   ORVEL-CONTENT 1
//   MESSAGE <text, percent-encoded>
//
// A file's reply is its bytes, exactly <size> of them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/File.h"
#include "common/Result.h"
#include "common/Sha256.h"

namespace orvel::content {

inline constexpr std::string_view kManifestPath = "/OrvelContent/manifest";
inline constexpr std::string_view kFilePath = "/OrvelContent/file";
inline constexpr std::string_view kManifestMagic = "ORVEL-CONTENT 1";
// The port when the zone list gives no number.
inline constexpr int kDefaultPort = 9686;
// Bounds of what a manifest may announce.
inline constexpr std::size_t kMaxManifestBytes = 1 << 20;
inline constexpr std::size_t kMaxFiles = 1000;
// No channel file is larger than a player's memory (a player counts its
// memory in 32-bit fields; none has more than this): a larger size is no
// channel file, and a server cannot make a fetch wait for it.
inline constexpr std::uint32_t kMaxFileSize = 512u << 20;
// Longest file name (UTF-16 units) and longest LocalSync path with it; the
// path leaves room for the temporary name a file is received under.
inline constexpr std::size_t kMaxNameUnits = 255;
inline constexpr std::size_t kMaxPathUnits = 259 - 32;

// The port text of the zone list as a number: decimal 1-65535, else 9686.
int PortOrDefault(std::string_view text);

// "http://address:port".
std::string BaseUrl(std::string_view address, int port);
std::string ManifestUrl(std::string_view base, std::string_view userIdCp949);
std::string FileUrl(std::string_view base, std::string_view userIdCp949, std::string_view nameCp949);

// "%XX" back to its byte; empty for a "%" not followed by two hex digits.
std::optional<std::string> PercentDecode(std::string_view text);

struct ManifestFile {
  std::string name;  // code page 949, as the server names it
  std::uint32_t size = 0;
  common::Sha256::Digest sha256{};
};

struct Manifest {
  std::vector<ManifestFile> files;
  // Set when the server answered with a message instead (code page 949).
  std::optional<std::string> message;
};

// Refuses anything but a whole manifest as above: unknown lines, a missing
// or wrong END count, bad numbers or digests, sizes over kMaxFileSize, more
// than kMaxFiles files, the same name twice (compared as Windows compares
// file names, common::FileNameKey: "Ω.sa3" and "ω.sa3" are one file).
// File names are not judged here (CheckFileName does).
common::Result<Manifest> ParseManifest(std::string_view body);
std::string EncodeManifest(const std::vector<ManifestFile>& files);
std::string EncodeManifestMessage(std::string_view messageCp949);

// `name` with its extension (from the last "." after the last folder
// separator) replaced by `extension`, or with `extension` added when it has
// none. Works on UTF-8 and code page 949 alike: neither uses ".", "/" or
// "\\" inside a character.
std::string ChangeFileExt(std::string_view name, std::string_view extension);
// The extension of `name` including its ".", letters in lower case; empty
// when it has none.
std::string LowerExtension(std::string_view name);
// The name of the file a channel's DnFileName is fetched as (".sa3").
inline constexpr std::string_view kChannelFileExtension = ".sa3";

// The name as a file name of LocalSync, in UTF-16, or why it may not be one:
// empty, "." or "..", a folder separator, a drive or stream colon, a
// character Windows refuses in names (control characters, < > " | ? *), a
// trailing dot or blank, a name Windows reserves for a device (CON, PRN,
// AUX, NUL, CONIN$, CONOUT$, COM and LPT with a digit or a superscript
// digit, with or without an extension), a lone surrogate, longer than
// kMaxNameUnits, or not code page 949 at all (common::CheckFileName).
common::Result<std::u16string> CheckFileName(std::string_view nameCp949);
common::Result<void> CheckFileName(std::u16string_view name);

// The path LocalSync + name, or why it may not be made (the name as above,
// or the whole path longer than kMaxPathUnits).
common::Result<common::Path> LocalSyncFilePath(const common::Path& localSync, std::string_view nameCp949);
common::Result<common::Path> LocalSyncFilePath(const common::Path& localSync, std::u16string_view name);

}  // namespace orvel::content
