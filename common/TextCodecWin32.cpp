// TextCodec backend for Windows: the code page 949 tables through
// MultiByteToWideChar and WideCharToMultiByte (never CP_ACP).
#include <windows.h>

#include "common/TextCodecBackend.h"

namespace common::detail {
namespace {
constexpr UINT kCodePage = 949;
}

bool PlatformCp949ToUtf16(std::string_view bytes, std::u16string& out) {
  out.clear();
  if (bytes.empty()) return true;
  const int inLen = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data(), inLen, nullptr, 0);
  if (n <= 0) return false;
  out.resize(static_cast<std::size_t>(n));
  return MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data(), inLen,
                             reinterpret_cast<wchar_t*>(out.data()), n) == n;
}

bool PlatformUtf16ToCp949(std::u16string_view text, std::string& out) {
  out.clear();
  if (text.empty()) return true;
  const auto* in = reinterpret_cast<const wchar_t*>(text.data());
  const int inLen = static_cast<int>(text.size());
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, in, inLen, nullptr, 0, nullptr,
                                    &usedDefault);
  if (n <= 0 || usedDefault) return false;
  out.resize(static_cast<std::size_t>(n));
  usedDefault = FALSE;
  return WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, in, inLen, out.data(), n, nullptr,
                             &usedDefault) == n &&
         !usedDefault;
}

}  // namespace common::detail
