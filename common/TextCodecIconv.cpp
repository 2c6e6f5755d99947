// TextCodec backend for Linux: glibc iconv with its "CP949" tables.
#include <errno.h>
#include <iconv.h>

#include <bit>
#include <cstring>
#include <vector>

#include "common/TextCodecBackend.h"

namespace common::detail {
namespace {

static_assert(std::endian::native == std::endian::little, "UTF-16LE is the host's char16_t order");

// One iconv conversion of the whole input; false on any unconvertible input.
bool Convert(const char* to, const char* from, const char* in, std::size_t inBytes,
             std::vector<char>& out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out.assign(inBytes * 2 + 16, 0);
  char* src = const_cast<char*>(in);
  std::size_t srcLeft = inBytes;
  char* dst = out.data();
  std::size_t dstLeft = out.size();
  bool ok = true;
  while (srcLeft > 0) {
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) {
      const std::size_t used = out.size() - dstLeft;
      out.resize(out.size() * 2);
      dst = out.data() + used;
      dstLeft = out.size() - used;
      continue;
    }
    ok = false;  // EILSEQ or EINVAL
    break;
  }
  if (ok && iconv(cd, nullptr, nullptr, &dst, &dstLeft) == static_cast<std::size_t>(-1)) ok = false;
  out.resize(out.size() - dstLeft);
  iconv_close(cd);
  return ok;
}

}  // namespace

bool PlatformCp949ToUtf16(std::string_view bytes, std::u16string& out) {
  out.clear();
  if (bytes.empty()) return true;
  std::vector<char> buf;
  if (!Convert("UTF-16LE", "CP949", bytes.data(), bytes.size(), buf)) return false;
  out.resize(buf.size() / 2);
  std::memcpy(out.data(), buf.data(), out.size() * 2);
  return true;
}

bool PlatformUtf16ToCp949(std::u16string_view text, std::string& out) {
  out.clear();
  if (text.empty()) return true;
  std::vector<char> buf;
  if (!Convert("CP949", "UTF-16LE", reinterpret_cast<const char*>(text.data()), text.size() * 2, buf)) {
    return false;
  }
  out.assign(buf.begin(), buf.end());
  return true;
}

}  // namespace common::detail
