// Names that come from outside the PC (the entries of a player's directory)
// and are to become the name of a file in a PC folder. Such a name is used
// only when it names exactly one ordinary file in that folder on Windows:
// no folder part, no ".." or ".", no alternate data stream (":"), none of
// the characters Windows refuses in names, no device name (CON, NUL,
// COM1 ...; also with an extension), no trailing dot or blank (Windows
// drops them, so the file would get another name), not empty, at most 255
// UTF-16 units.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/File.h"

namespace common {

enum class FileNameFault {
  kNone,
  kEmpty,
  kTooLong,
  kDots,              // "." or ".."
  kSeparator,         // "\" or "/"
  kStream,            // ":" (a drive or an alternate data stream)
  kBadCharacter,      // < > " | ? * or a control character, or text that is not UTF-8/UTF-16
  kDeviceName,        // CON, PRN, AUX, NUL, COM0-9, LPT0-9, CONIN$, CONOUT$
  kTrailingDotOrSpace,
};

inline constexpr std::size_t kMaxFileNameUnits = 255;

FileNameFault CheckFileName(std::u16string_view name);
// The same for a UTF-8 text.
FileNameFault CheckFileName(std::string_view utf8);

// What Windows compares when it compares two file names: every UTF-16
// unit upper-cased by the simple Unicode mapping ("ω" and "Ω", "ａ" and
// "Ａ" are one name; "ß" stays). Two names are one file when their keys
// are equal. A text that is no UTF-8 keeps its bytes, ASCII letters folded.
std::u16string FileNameKey(std::u16string_view name);
std::u16string FileNameKey(std::string_view utf8);

// The file or folder of `folder` whose name equals `name` with letters
// compared without case, as Windows compares names (FileNameKey), spelt
// as the folder holds it: the exact name first, else the first entry of
// the same key, else what the file system finds under the name. Nothing
// when there is none.
std::optional<Path> FindInFolder(const Path& folder, std::string_view utf8Name);

}  // namespace common
