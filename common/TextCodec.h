// Text conversions between the system's code page 949 and UTF-16 (and UTF-8,
// which the Linux side of the tools and tests uses).
//
// The strict forms fail on the first byte sequence or character that has no
// counterpart and say where it is; nothing is silently dropped. The lossy
// forms never fail: an undecodable byte becomes U+FFFD, an unencodable
// character becomes '?'.
//
// Code page 949 is the Unified Hangul Code: bytes 00-7F stand for
// themselves; a lead byte 81-FE is followed by a trail byte 41-5A, 61-7A or
// 81-FE (A1-FE only for leads from C7 on; rows C9 and FE, the user-defined
// area, are refused). The byte structure is checked here, the same on every platform; the
// character tables are the platform's (iconv "CP949" on Linux, the Windows
// code page 949 tables on Windows).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/Result.h"

namespace common {

struct TextPosition {
  std::size_t offset = 0;  // in bytes (CP949, UTF-8) or UTF-16 units of the input
};

// Error.code of a failed conversion is the input offset of the first bad
// sequence; Error.message says what was wrong there.
Result<std::u16string> Cp949ToUtf16(std::string_view bytes);
Result<std::string> Utf16ToCp949(std::u16string_view text);

std::u16string Cp949ToUtf16Lossy(std::string_view bytes);
std::string Utf16ToCp949Lossy(std::u16string_view text);

Result<std::u16string> Utf8ToUtf16(std::string_view bytes);
Result<std::string> Utf16ToUtf8(std::u16string_view text);
// For display: a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8Lossy(std::u16string_view text);

// Convenience for tests and the Linux tools: UTF-8 <-> CP949 through UTF-16.
Result<std::string> Utf8ToCp949(std::string_view bytes);
Result<std::string> Cp949ToUtf8(std::string_view bytes);
// For display: every sequence that is no CP949 character becomes U+FFFD.
std::string Cp949ToUtf8Lossy(std::string_view bytes);

// Length in bytes (1 or 2) of the CP949 character starting at `bytes[at]`, or
// 0 when the bytes there do not form a character.
std::size_t Cp949CharLength(std::string_view bytes, std::size_t at);

}  // namespace common
