#include "tray-client/ContentProtocol.h"

#include <charconv>
#include <set>

#include "common/PcFileName.h"
#include "common/TextCodec.h"
#include "tray-client/ServiceProtocol.h"

namespace orvel::content {
namespace {

common::Error Bad(std::string what) { return common::Error{0, "manifest: " + std::move(what)}; }

std::optional<std::uint64_t> Decimal(std::string_view text) {
  if (text.empty() || text.size() > 12) return std::nullopt;
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// Splits off the text up to the next blank (one blank separates fields).
std::string_view TakeWord(std::string_view& line) {
  const auto blank = line.find(' ');
  const std::string_view word = line.substr(0, blank);
  line.remove_prefix(blank == std::string_view::npos ? line.size() : blank + 1);
  return word;
}

// The key under which Windows files a manifest name: two names of one key
// are one file of LocalSync. A name that is no code page 949 text keeps its
// bytes (it is refused later).
std::u16string NameKey(std::string_view nameCp949) {
  if (auto wide = common::Cp949ToUtf16(nameCp949)) return common::FileNameKey(std::u16string_view(*wide));
  return common::FileNameKey(std::u16string(nameCp949.begin(), nameCp949.end()));
}

}  // namespace

int PortOrDefault(std::string_view text) {
  const auto value = Decimal(text);
  return value && *value >= 1 && *value <= 65535 ? static_cast<int>(*value) : kDefaultPort;
}

std::string BaseUrl(std::string_view address, int port) {
  return "http://" + std::string(address) + ":" + std::to_string(port);
}

std::string ManifestUrl(std::string_view base, std::string_view userIdCp949) {
  return std::string(base) + std::string(kManifestPath) + "?userid=" + service::PercentEncode(userIdCp949);
}

std::string FileUrl(std::string_view base, std::string_view userIdCp949, std::string_view nameCp949) {
  return std::string(base) + std::string(kFilePath) + "?userid=" + service::PercentEncode(userIdCp949) +
         "&name=" + service::PercentEncode(nameCp949);
}

std::optional<std::string> PercentDecode(std::string_view text) {
  auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out.push_back(text[i]);
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int high = hex(text[i + 1]);
    const int low = hex(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    out.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return out;
}

common::Result<Manifest> ParseManifest(std::string_view body) {
  if (body.size() > kMaxManifestBytes) return Bad("longer than " + std::to_string(kMaxManifestBytes) + " bytes");
  std::vector<std::string_view> lines;
  while (!body.empty()) {
    const auto newline = body.find('\n');
    if (newline == std::string_view::npos) return Bad("the last line has no end");
    std::string_view line = body.substr(0, newline);
    body.remove_prefix(newline + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
  }
  if (lines.empty() || lines[0] != kManifestMagic) return Bad("not a content manifest");

  Manifest manifest;
  if (lines.size() >= 2 && lines[1].rfind("MESSAGE ", 0) == 0) {
    if (lines.size() != 2) return Bad("a message stands alone");
    auto text = PercentDecode(lines[1].substr(8));
    if (!text) return Bad("the message is not percent-encoded");
    manifest.message = std::move(*text);
    return manifest;
  }

  std::set<std::u16string> seen;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    const std::string_view kind = TakeWord(line);
    if (kind == "END") {
      const auto count = Decimal(line);
      if (i + 1 != lines.size()) return Bad("lines after END");
      if (!count || *count != manifest.files.size()) return Bad("END does not count the files");
      return manifest;
    }
    if (kind != "FILE") return Bad("unknown line " + std::to_string(i + 1));
    if (manifest.files.size() == kMaxFiles) return Bad("more than " + std::to_string(kMaxFiles) + " files");
    const auto size = Decimal(TakeWord(line));
    const auto digest = common::ParseDigestHex(TakeWord(line));
    auto name = PercentDecode(line);
    if (!size || *size > kMaxFileSize) return Bad("bad size on line " + std::to_string(i + 1));
    if (!digest) return Bad("bad SHA-256 on line " + std::to_string(i + 1));
    if (!name || name->empty()) return Bad("bad name on line " + std::to_string(i + 1));
    if (!seen.insert(NameKey(*name)).second) return Bad("a name comes twice");
    manifest.files.push_back({std::move(*name), static_cast<std::uint32_t>(*size), *digest});
  }
  return Bad("no END line");
}

std::string EncodeManifest(const std::vector<ManifestFile>& files) {
  std::string out = std::string(kManifestMagic) + "\n";
  for (const ManifestFile& file : files) {
    out += "FILE " + std::to_string(file.size) + " " + common::DigestHex(file.sha256) + " " +
           service::PercentEncode(file.name) + "\n";
  }
  out += "END " + std::to_string(files.size()) + "\n";
  return out;
}

std::string EncodeManifestMessage(std::string_view messageCp949) {
  return std::string(kManifestMagic) + "\nMESSAGE " + service::PercentEncode(messageCp949) + "\n";
}

namespace {
std::size_t ExtensionStart(std::string_view name) {
  const auto dot = name.find_last_of('.');
  const auto separator = name.find_last_of("/\\:");
  if (dot == std::string_view::npos || (separator != std::string_view::npos && dot < separator)) {
    return std::string_view::npos;
  }
  return dot;
}
}  // namespace

std::string ChangeFileExt(std::string_view name, std::string_view extension) {
  const auto dot = ExtensionStart(name);
  return std::string(name.substr(0, dot)) + std::string(extension);
}

std::string LowerExtension(std::string_view name) {
  const auto dot = ExtensionStart(name);
  return dot == std::string_view::npos ? std::string() : LowerAscii(name.substr(dot));
}

common::Result<void> CheckFileName(std::u16string_view name) {
  auto refuse = [](const char* why) { return common::Error{0, std::string("unusable file name: ") + why}; };
  switch (common::CheckFileName(name)) {
    case common::FileNameFault::kNone: return common::Ok();
    case common::FileNameFault::kEmpty: return refuse("empty");
    case common::FileNameFault::kTooLong: return refuse("too long");
    case common::FileNameFault::kDots: return refuse("a folder reference");
    case common::FileNameFault::kSeparator: return refuse("a folder separator");
    case common::FileNameFault::kStream: return refuse("a drive or stream colon");
    case common::FileNameFault::kBadCharacter: return refuse("a character Windows refuses");
    case common::FileNameFault::kDeviceName: return refuse("a device name");
    case common::FileNameFault::kTrailingDotOrSpace: return refuse("a trailing dot or blank");
  }
  return refuse("unknown");
}

common::Result<std::u16string> CheckFileName(std::string_view nameCp949) {
  if (nameCp949.empty()) return common::Error{0, "unusable file name: empty"};
  auto name = common::Cp949ToUtf16(nameCp949);
  if (!name) return common::Error{0, "unusable file name: not code page 949"};
  if (auto ok = CheckFileName(std::u16string_view(*name)); !ok) return ok.error();
  return std::move(*name);
}

common::Result<common::Path> LocalSyncFilePath(const common::Path& localSync, std::u16string_view name) {
  if (auto ok = CheckFileName(name); !ok) return ok.error();
  common::Path path = localSync / common::Path(std::u16string(name));
  if (path.u16string().size() > kMaxPathUnits) return common::Error{0, "unusable file name: the path is too long"};
  return path;
}

common::Result<common::Path> LocalSyncFilePath(const common::Path& localSync, std::string_view nameCp949) {
  auto name = CheckFileName(nameCp949);
  if (!name) return name.error();
  return LocalSyncFilePath(localSync, std::u16string_view(*name));
}

}  // namespace orvel::content
