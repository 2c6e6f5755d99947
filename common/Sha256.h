// SHA-256 (FIPS 180-4), incremental: Update with the bytes as they come,
// Finish once. The digest comes from the system's cryptography: OpenSSL's
// libcrypto natively (Sha256OpenSsl.cpp), the Windows cryptography API
// (CNG, Sha256Win32.cpp) in the Windows builds; both use the processor's
// SHA instructions where the system does, and the known-answer test holds
// every build to the same digests.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace common {

class Sha256 {
 public:
  using Digest = std::array<std::uint8_t, 32>;

  // A system without a working SHA-256 (it cannot happen on a supported
  // system, but for memory) throws std::runtime_error; nothing is ever
  // reported as a digest that was not computed.
  Sha256();
  ~Sha256();
  Sha256(Sha256&&) noexcept;
  Sha256& operator=(Sha256&&) noexcept;
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  void Update(std::span<const std::uint8_t> data);
  void Update(std::string_view text) {
    Update(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  }
  // The digest of everything given so far; the object starts over afterwards.
  Digest Finish();

  static Digest Of(std::span<const std::uint8_t> data);
  static Digest Of(std::string_view text);

  // The backend's state (an OpenSSL digest context, a CNG hash object).
  struct State;

 private:
  std::unique_ptr<State> state_;
};

// 64 lower-case hexadecimal digits.
std::string DigestHex(const Sha256::Digest& digest);
// Reads 64 hexadecimal digits (either case); empty for anything else.
std::optional<Sha256::Digest> ParseDigestHex(std::string_view text);

}  // namespace common
