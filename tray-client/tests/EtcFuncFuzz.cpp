// libFuzzer target: the hexadecimal text and the password scramble of
// ORVEL.INI. A decoded text encodes back to what was read (in upper case,
// without an odd last digit, which HexDecode ignores and UnscrambleString
// refuses), and every byte string scrambles and unscrambles to itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tray-client/EtcFuncUnit.h"

using namespace orvel;

namespace {

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string_view pairs = input.substr(0, size - size % 2);

  const auto bytes = HexDecode(input);
  if (bytes) {
    if (bytes->size() != size / 2) std::abort();
    if (HexEncode(*bytes) != Upper(pairs)) std::abort();
  }
  const auto key = static_cast<std::uint16_t>(size > 1 ? data[0] | (data[1] << 8) : kScrambleKey);
  const auto plain = UnscrambleString(input, key);
  if (plain) {
    if (size % 2 != 0) std::abort();  // an odd digit count is never read
    if (!bytes) std::abort();
    if (ScrambleString(*plain, key) != Upper(input)) std::abort();
  } else if (bytes && size % 2 == 0) {
    std::abort();  // good hexadecimal of whole bytes always unscrambles
  }

  // Any bytes, as a password: scrambled to twice as many digits, and back.
  const std::string scrambled = ScrambleString(input, key);
  if (scrambled.size() != size * 2) std::abort();
  const auto again = UnscrambleString(scrambled, key);
  if (!again || *again != input) std::abort();
  return 0;
}
