// Small helpers of the transfer manager: path and file tests, the file-name
// part of a path, shifts, and the texts it shows for sizes, versions and
// models. Paths reach the forms as UTF-8 text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/File.h"

namespace halvern {

// True when the path names a file or a folder. The name is taken literally:
// wildcards are ordinary characters, Hangul names work.
bool PathExists(const common::Path& path);
// True when the path names a file (not a folder) with any attributes.
bool FileExists(const common::Path& path);

// The text after the last folder separator ("\", or "/" in native paths);
// empty for a text without one and for one that ends in one.
std::string GetFileName(std::string_view path);
// The text before the last folder separator (empty without one).
std::string GetFolderPart(std::string_view path);

// value * 2^n and value / 2^n (truncated), as 32-bit integers; n outside
// 0-31 gives 0.
std::int32_t ShiftLeft(std::int64_t value, int n);
std::int32_t ShiftRight(std::int64_t value, int n);

// "###,##0": thousands grouped with ",".
std::string GroupThousands(std::uint64_t n);
// The size of a file as both lists and the totals show it: bytes / 1024,
// rounded to the nearest whole number with halves to the even neighbour, at
// least 1 for a file that is not empty, then " KB" ("0 KB", "1 KB", "1,024 KB").
std::string SizeText(std::uint64_t bytes);
// A version in tenths as "#.0": 12 gives "1.2", 5 gives ".5", 0 gives ".0".
std::string VersionText(int tenths);

// Model codes of the known players and their names.
inline constexpr const char* kModelZmrA = "F010";
inline constexpr const char* kModelZmrB = "F011";
inline constexpr const char* kModelZmrC = "F012";
bool IsKnownModel(std::string_view code);
// "Model : ZMR-A" ... and "Model : ?" for any other code.
std::string ModelMenuText(std::string_view code);
// "Product Version : " and the version text.
std::string VersionMenuText(int tenths);

// UTF-8 text <-> path.
common::Path PathFromText(std::string_view utf8);
std::string TextOfPath(const common::Path& path);
// The folder, with its separator, followed by a name.
std::string JoinPath(std::string_view folder, std::string_view name);
// The size of the file a UTF-8 path names; 0 when it cannot be read.
std::uint64_t FileLength(const std::string& path);
// ASCII letters in lower case, other bytes as they are.
std::string AsciiLower(std::string text);

}  // namespace halvern
