#include "tray-client/EtcFuncUnit.h"

namespace orvel {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::uint16_t NextKey(std::uint16_t k, std::uint8_t c) {
  return static_cast<std::uint16_t>((static_cast<std::uint32_t>(k + c) * kScrambleC1 + kScrambleC2) & 0xFFFF);
}

}  // namespace

std::string HexEncode(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

std::optional<std::string> HexDecode(std::string_view hex) {
  std::string out;
  out.reserve(hex.size() / 2);
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    const int high = HexValue(hex[i]);
    const int low = HexValue(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
  }
  return out;
}

std::string ScrambleString(std::string_view text, std::uint16_t key) {
  std::string out;
  out.reserve(text.size());
  std::uint16_t k = key;
  for (unsigned char b : text) {
    const auto c = static_cast<std::uint8_t>(b ^ (k >> 8));
    out += static_cast<char>(c);
    k = NextKey(k, c);
  }
  return HexEncode(out);
}

std::optional<std::string> UnscrambleString(std::string_view hex, std::uint16_t key) {
  if (hex.size() % 2 != 0) return std::nullopt;
  auto bytes = HexDecode(hex);
  if (!bytes) return std::nullopt;
  std::string out;
  out.reserve(bytes->size());
  std::uint16_t k = key;
  for (unsigned char c : *bytes) {
    out += static_cast<char>(c ^ (k >> 8));
    k = NextKey(k, c);
  }
  return out;
}

}  // namespace orvel
