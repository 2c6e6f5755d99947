#include "common/TextCodec.h"

#include "common/ErrorText.h"
#include "common/TextCodecBackend.h"

namespace common {
namespace {

constexpr char16_t kReplacement = u'\uFFFD';

bool IsLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
bool IsTrail(unsigned char c) {
  return (c >= 0x41 && c <= 0x5A) || (c >= 0x61 && c <= 0x7A) || (c >= 0x81 && c <= 0xFE);
}
bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

std::string Hex(unsigned value, int digits) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4) out[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
  return out;
}

// The failure at `offset` as the user reads it: the sentence of `kind`
// (naming `shown`, the character, when there is one) and the detail.
Error BadInput(std::size_t offset, TextError kind, std::string_view detail, std::string_view shown = {}) {
  std::string line(detail);
  line += (line.empty() ? "" : ", ") + std::string("위치 ") + std::to_string(offset);
  return Error{static_cast<int>(offset), UserMessage(ErrorSentence(kind, shown), line)};
}

// Up to two bytes from `at`, for the detail line: "바이트 0xC9 0x41".
std::string BytesDetail(std::string_view bytes, std::size_t at) {
  std::string out = "바이트";
  for (std::size_t i = at; i < bytes.size() && i < at + 2; ++i) {
    out += " 0x" + Hex(static_cast<unsigned char>(bytes[i]), 2);
  }
  return out;
}

std::string CodePointDetail(std::uint32_t cp) { return "U+" + Hex(cp, cp > 0xFFFF ? 5 : 4); }

// Length of the UTF-16 character at `at` (1, or 2 for a surrogate pair), or 0
// for a lone surrogate.
std::size_t Utf16CharLength(std::u16string_view text, std::size_t at) {
  const char16_t u = text[at];
  if (IsHighSurrogate(u)) {
    return (at + 1 < text.size() && IsLowSurrogate(text[at + 1])) ? 2 : 0;
  }
  return IsLowSurrogate(u) ? 0 : 1;
}

bool WellFormedCp949(std::string_view bytes);

// The platform's encoder, held to the same byte structure as the decoder:
// Windows maps U+0080 and the private use area onto bytes that the decoder
// refuses, so those characters count as unencodable everywhere.
bool Encode(std::u16string_view text, std::string& out) {
  return detail::PlatformUtf16ToCp949(text, out) && WellFormedCp949(out);
}

}  // namespace

std::size_t Cp949CharLength(std::string_view bytes, std::size_t at) {
  if (at >= bytes.size()) return 0;
  const auto c = static_cast<unsigned char>(bytes[at]);
  if (c < 0x80) return 1;
  if (!IsLead(c) || at + 1 >= bytes.size()) return 0;
  const auto t = static_cast<unsigned char>(bytes[at + 1]);
  if (!IsTrail(t)) return 0;
  // Leads from C7 on carry only the KS X 1001 trail range; rows C9 and FE are
  // the user-defined area, which has no agreed characters.
  if (c >= 0xC7 && t < 0xA1) return 0;
  if (c == 0xC9 || c == 0xFE) return 0;
  return 2;
}

namespace {
bool WellFormedCp949(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t n = Cp949CharLength(bytes, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}
}  // namespace

Result<std::u16string> Cp949ToUtf16(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t n = Cp949CharLength(bytes, i);
    if (n == 0) {
      const bool truncated = i + 1 == bytes.size() && IsLead(static_cast<unsigned char>(bytes[i]));
      return BadInput(i, TextError::kNotCp949, BytesDetail(bytes, i) + (truncated ? ", 끝에서 잘림" : ""));
    }
    i += n;
  }
  std::u16string out;
  if (detail::PlatformCp949ToUtf16(bytes, out)) return out;
  // Some pair has no character: find the first one.
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t n = Cp949CharLength(bytes, i);
    std::u16string one;
    if (!detail::PlatformCp949ToUtf16(bytes.substr(i, n), one)) {
      return BadInput(i, TextError::kNoCharacter, BytesDetail(bytes, i));
    }
    i += n;
  }
  return BadInput(0, TextError::kNoCharacter, "");
}

std::u16string Cp949ToUtf16Lossy(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  std::size_t run = 0;  // start of the current run of well-formed characters
  auto flush = [&](std::size_t end) {
    if (end == run) return;
    const std::string_view part = bytes.substr(run, end - run);
    std::u16string converted;
    if (detail::PlatformCp949ToUtf16(part, converted)) {
      out += converted;
      return;
    }
    for (std::size_t i = 0; i < part.size();) {
      const std::size_t n = Cp949CharLength(part, i);
      std::u16string one;
      out += detail::PlatformCp949ToUtf16(part.substr(i, n), one) ? one : std::u16string(1, kReplacement);
      i += n;
    }
  };
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::size_t n = Cp949CharLength(bytes, i);
    if (n == 0) {
      // A lead and trail pair without a character is one bad character.
      const bool pair = i + 1 < bytes.size() && IsLead(static_cast<unsigned char>(bytes[i])) &&
                        IsTrail(static_cast<unsigned char>(bytes[i + 1]));
      flush(i);
      out += kReplacement;
      i += pair ? 2 : 1;
      run = i;
    } else {
      i += n;
    }
  }
  flush(i);
  return out;
}

Result<std::string> Utf16ToCp949(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = Utf16CharLength(text, i);
    if (n == 0) return BadInput(i, TextError::kLoneSurrogate, CodePointDetail(text[i]));
    i += n;
  }
  std::string out;
  if (Encode(text, out)) return out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = Utf16CharLength(text, i);
    std::string one;
    if (!Encode(text.substr(i, n), one)) {
      const std::u16string_view character = text.substr(i, n);
      const std::uint32_t cp =
          n == 2 ? 0x10000 + ((character[0] - 0xD800u) << 10) + (character[1] - 0xDC00u) : character[0];
      // Shown as itself only when it can be seen: a control character is
      // named by its number alone.
      auto shown = Utf16ToUtf8(character);
      const bool visible = shown.ok() && cp >= 0x20 && !(cp >= 0x7F && cp < 0xA0);
      return BadInput(i, TextError::kUnencodable, CodePointDetail(cp), visible ? std::string_view(*shown) : "");
    }
    i += n;
  }
  return BadInput(0, TextError::kUnencodable, "");
}

std::string Utf16ToCp949Lossy(std::u16string_view text) {
  std::string out;
  if (Utf16ToCp949(text).ok() && Encode(text, out)) return out;
  out.clear();
  for (std::size_t i = 0; i < text.size();) {
    std::size_t n = Utf16CharLength(text, i);
    std::string one;
    if (n == 0) {
      n = 1;
      out += '?';
    } else {
      out += Encode(text.substr(i, n), one) ? one : std::string("?");
    }
    i += n;
  }
  return out;
}

Result<std::u16string> Utf8ToUtf16(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    std::uint32_t cp;
    std::size_t n;
    if (c < 0x80) { cp = c; n = 1; }
    else if (c >= 0xC2 && c <= 0xDF) { cp = c & 0x1F; n = 2; }
    else if (c >= 0xE0 && c <= 0xEF) { cp = c & 0x0F; n = 3; }
    else if (c >= 0xF0 && c <= 0xF4) { cp = c & 0x07; n = 4; }
    else return BadInput(i, TextError::kNotUtf8, BytesDetail(bytes, i));
    if (i + n > bytes.size()) return BadInput(i, TextError::kNotUtf8, BytesDetail(bytes, i) + ", 끝에서 잘림");
    for (std::size_t k = 1; k < n; ++k) {
      const auto t = static_cast<unsigned char>(bytes[i + k]);
      if ((t & 0xC0) != 0x80) return BadInput(i, TextError::kNotUtf8, BytesDetail(bytes, i));
      cp = (cp << 6) | (t & 0x3F);
    }
    const bool overlong = (n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000);
    if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      return BadInput(i, TextError::kNotUtf8, BytesDetail(bytes, i));
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
    i += n;
  }
  return out;
}

namespace {

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD when `lossy`, else the
// conversion fails there.
Result<std::string> EncodeUtf8(std::u16string_view text, bool lossy) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    std::size_t n = Utf16CharLength(text, i);
    std::uint32_t cp = text[i];
    if (n == 0) {
      if (!lossy) return BadInput(i, TextError::kLoneSurrogate, CodePointDetail(text[i]));
      n = 1;
      cp = 0xFFFD;
    }
    if (n == 2) cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    i += n;
  }
  return out;
}

}  // namespace

Result<std::string> Utf16ToUtf8(std::u16string_view text) { return EncodeUtf8(text, false); }

std::string Utf16ToUtf8Lossy(std::u16string_view text) { return std::move(EncodeUtf8(text, true).value()); }

Result<std::string> Utf8ToCp949(std::string_view bytes) {
  auto wide = Utf8ToUtf16(bytes);
  if (!wide) return wide.error();
  return Utf16ToCp949(*wide);
}

Result<std::string> Cp949ToUtf8(std::string_view bytes) {
  auto wide = Cp949ToUtf16(bytes);
  if (!wide) return wide.error();
  return Utf16ToUtf8(*wide);
}

std::string Cp949ToUtf8Lossy(std::string_view bytes) { return Utf16ToUtf8Lossy(Cp949ToUtf16Lossy(bytes)); }

}  // namespace common
