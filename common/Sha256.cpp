// What every backend of Sha256 shares: the one-call digests and the
// hexadecimal form.
#include "common/Sha256.h"

namespace common {

Sha256::Digest Sha256::Of(std::span<const std::uint8_t> data) {
  Sha256 hash;
  hash.Update(data);
  return hash.Finish();
}

Sha256::Digest Sha256::Of(std::string_view text) {
  Sha256 hash;
  hash.Update(text);
  return hash.Finish();
}

std::string DigestHex(const Sha256::Digest& digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(64);
  for (std::uint8_t byte : digest) {
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 15]);
  }
  return text;
}

std::optional<Sha256::Digest> ParseDigestHex(std::string_view text) {
  if (text.size() != 64) return std::nullopt;
  auto nibble = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  Sha256::Digest digest;
  for (std::size_t i = 0; i < digest.size(); ++i) {
    const int high = nibble(text[2 * i]);
    const int low = nibble(text[2 * i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    digest[i] = static_cast<std::uint8_t>(high * 16 + low);
  }
  return digest;
}

}  // namespace common
