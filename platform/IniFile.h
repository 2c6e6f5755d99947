// A settings file with the Windows profile-file rules, read and written by
// our own code so it behaves the same natively and on Windows:
//
// - "[section]" lines open sections, "key=value" lines hold values; other
//   lines are kept as they are.
// - Section and key names match without regard to ASCII case; surrounding
//   blanks of names and values are dropped; a value enclosed in a matching
//   pair of double or single quotes is read without them. The first
//   occurrence of a key wins.
// - Writing a key replaces its line in place, or adds it after the last key
//   of its section, or adds the section at the end of the file. Lines end
//   with "\r\n"; a value written is cut at its first line break, so it
//   never adds lines of its own.
//
// Texts are the file's bytes (the ANSI code page). The parser is bounded:
// a file over kMaxBytes is refused, never truncated silently.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/File.h"
#include "common/Result.h"

namespace platform {

class IniFile {
 public:
  static constexpr std::uint64_t kMaxBytes = 1 << 20;

  IniFile() = default;
  static IniFile Parse(std::string_view bytes);
  // A missing file reads as an empty one.
  static common::Result<IniFile> Load(const common::Path& path);
  // Replaces the file as a whole (written beside it, then renamed).
  common::Result<void> Save(const common::Path& path) const;
  std::string Serialize() const;

  std::optional<std::string> Read(std::string_view section, std::string_view key) const;
  std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback) const;
  // An integer as the profile readers take it: optional sign, decimal or
  // hexadecimal with "$" or "0x"; anything else gives the fallback.
  std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t fallback) const;
  // Any nonzero integer is true.
  bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
  }

 private:
  std::vector<std::string> lines_;
};

// The integer rule of ReadInteger, on its own.
std::optional<std::int32_t> ParseProfileInteger(std::string_view text);

}  // namespace platform
