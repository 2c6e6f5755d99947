// Small helpers of the tray client: hexadecimal text and the password
// scramble of ORVEL.INI.
//
// The scramble is a byte stream walk: with k starting at the key, each byte
// b gives c = b XOR (high byte of k), then k = ((k + c) * C1 + C2) mod 65536;
// unscrambling walks the scrambled bytes the same way. The walk has no
// length limit: texts over 255 bytes scramble by the same rule, so every
// stored password of up to 255 bytes reads as before.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvel {

inline constexpr std::uint16_t kScrambleKey = 24613;
inline constexpr std::uint16_t kScrambleC1 = 9317;
inline constexpr std::uint16_t kScrambleC2 = 15271;

// Each byte as two upper-case hex digits, high nibble first.
std::string HexEncode(std::string_view bytes);
// Each pair of characters as one byte (either letter case); an odd last
// character is ignored. Nothing when a pair is not hexadecimal.
std::optional<std::string> HexDecode(std::string_view hex);

std::string ScrambleString(std::string_view text, std::uint16_t key);
// Nothing when the text is not valid hexadecimal, an odd number of digits
// included: a stored password always has two digits per byte, so an odd
// one means the value is damaged, and dropping the last digit would give a
// password that was never stored.
std::optional<std::string> UnscrambleString(std::string_view hex, std::uint16_t key);

}  // namespace orvel
