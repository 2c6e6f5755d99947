// The player keeps names and paths as ANSI (code page 949) bytes; the GUI
// layer shows UTF-8 and the file system takes its own wide or UTF-8 names.
// Characters without a counterpart become '?'.
#pragma once

#include <string>
#include <string_view>

#include "common/File.h"
#include "common/TextCodec.h"

namespace vantu {

inline std::string AnsiToUtf8(std::string_view ansi) { return common::Cp949ToUtf8Lossy(ansi); }

inline std::string Utf8ToAnsi(std::string_view utf8) {
  auto utf16 = common::Utf8ToUtf16(utf8);
  return utf16 ? common::Utf16ToCp949Lossy(*utf16) : std::string();
}

// A file name of the player (code page 949 bytes, whatever the system's
// code page) as the file system's path: UTF-16 on Windows, UTF-8 elsewhere.
inline common::Path PathFromCp949(std::string_view ansi) {
  return common::PathFromUtf8(common::Cp949ToUtf8Lossy(ansi));
}

}  // namespace vantu
