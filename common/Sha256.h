// SHA-256 (FIPS 180-4), incremental: Update with the bytes as they come,
// Finish once. The same code on every platform, so the channel fetch checks
// files the same way with libcurl and with WinINet.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace common {

class Sha256 {
 public:
  using Digest = std::array<std::uint8_t, 32>;

  Sha256();
  void Update(std::span<const std::uint8_t> data);
  void Update(std::string_view text) {
    Update(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  }
  // The digest of everything given so far; the object starts over afterwards.
  Digest Finish();

  static Digest Of(std::span<const std::uint8_t> data);
  static Digest Of(std::string_view text);

 private:
  void Block(const std::uint8_t* block);
  void Reset();

  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> buffer_;
  std::size_t buffered_ = 0;
  std::uint64_t length_ = 0;  // bytes
};

// 64 lower-case hexadecimal digits.
std::string DigestHex(const Sha256::Digest& digest);
// Reads 64 hexadecimal digits (either case); empty for anything else.
std::optional<Sha256::Digest> ParseDigestHex(std::string_view text);

}  // namespace common
