// libFuzzer target: the text codec's round trips. The first byte picks the
// input's reading: code page 949 bytes, UTF-8 bytes, or UTF-16 units (two
// bytes each, little-endian). Whatever a strict form accepts must come back
// unchanged through the opposite conversion, the lossy forms must agree
// with the strict ones on good input, and the character lengths must agree
// with the decoder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/TextCodec.h"

using namespace common;

namespace {

void Cp949(std::string_view bytes) {
  const std::u16string lossy = Cp949ToUtf16Lossy(bytes);
  auto strict = Cp949ToUtf16(bytes);
  if (strict) {
    if (lossy != *strict) std::abort();
    auto back = Utf16ToCp949(*strict);
    if (!back || *back != bytes) std::abort();
    if (Utf16ToCp949Lossy(*strict) != bytes) std::abort();
    auto utf8 = Cp949ToUtf8(bytes);
    if (!utf8 || *utf8 != Cp949ToUtf8Lossy(bytes)) std::abort();
    auto again = Utf8ToCp949(*utf8);
    if (!again || *again != bytes) std::abort();
    for (std::size_t i = 0; i < bytes.size();) {
      const std::size_t n = Cp949CharLength(bytes, i);
      if (n == 0) std::abort();  // the decoder took it, so it is a character
      i += n;
    }
  } else {
    if (strict.error().code < 0 || static_cast<std::size_t>(strict.error().code) >= bytes.size()) std::abort();
    if (lossy.find(u'\uFFFD') == std::u16string::npos) std::abort();  // the bad bytes show
  }
  // Whatever the lossy decoder makes can be encoded again, losslessly in UTF-8.
  if (!Utf16ToUtf8(lossy)) std::abort();
}

void Utf8(std::string_view bytes) {
  auto wide = Utf8ToUtf16(bytes);
  if (!wide) return;
  auto back = Utf16ToUtf8(*wide);
  if (!back || *back != bytes) std::abort();
  if (Utf16ToUtf8Lossy(*wide) != bytes) std::abort();
  if (auto cp949 = Utf16ToCp949(*wide)) {
    auto decoded = Cp949ToUtf16(*cp949);
    if (!decoded || *decoded != *wide) std::abort();
  }
}

void Utf16(std::u16string_view text) {
  const std::string lossy = Utf16ToUtf8Lossy(text);
  if (!Utf8ToUtf16(lossy)) std::abort();  // lone surrogates became U+FFFD
  auto utf8 = Utf16ToUtf8(text);
  if (utf8) {
    if (*utf8 != lossy) std::abort();
    auto back = Utf8ToUtf16(*utf8);
    if (!back || *back != text) std::abort();
  }
  if (auto cp949 = Utf16ToCp949(text)) {
    auto back = Cp949ToUtf16(*cp949);
    if (!back || *back != text) std::abort();
  }
  (void)Utf16ToCp949Lossy(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  switch (data[0] % 3) {
    case 0: Cp949(rest); break;
    case 1: Utf8(rest); break;
    case 2: {
      std::u16string units;
      for (std::size_t i = 0; i + 1 < rest.size(); i += 2) {
        units.push_back(static_cast<char16_t>(static_cast<std::uint8_t>(rest[i]) |
                                              (static_cast<std::uint8_t>(rest[i + 1]) << 8)));
      }
      Utf16(units);
      break;
    }
  }
  return 0;
}
