// Sha256 backend for Windows: the cryptography API (CNG).
#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "common/Sha256.h"

namespace common {
namespace {

[[noreturn]] void Failed(const char* what, NTSTATUS status) {
  throw std::runtime_error(std::string(what) + " (NTSTATUS " + std::to_string(static_cast<unsigned long>(status)) +
                           ")");
}

// The provider is opened once for the process and never closed; CNG lets
// every thread make hashes from it.
BCRYPT_ALG_HANDLE Algorithm() {
  static const BCRYPT_ALG_HANDLE algorithm = [] {
    BCRYPT_ALG_HANDLE handle = nullptr;
    const NTSTATUS status = BCryptOpenAlgorithmProvider(&handle, BCRYPT_SHA256_ALGORITHM, nullptr, 0);
    if (!BCRYPT_SUCCESS(status)) Failed("SHA-256 is not available from CNG", status);
    return handle;
  }();
  return algorithm;
}

BCRYPT_HASH_HANDLE NewHash() {
  BCRYPT_HASH_HANDLE hash = nullptr;
  // CNG keeps the hash object itself (no buffer of ours).
  const NTSTATUS status = BCryptCreateHash(Algorithm(), &hash, nullptr, 0, nullptr, 0, 0);
  if (!BCRYPT_SUCCESS(status)) Failed("SHA-256 hash not created", status);
  return hash;
}

}  // namespace

struct Sha256::State {
  BCRYPT_HASH_HANDLE hash = nullptr;
  ~State() {
    if (hash != nullptr) BCryptDestroyHash(hash);
  }
};

Sha256::Sha256() : state_(std::make_unique<State>()) { state_->hash = NewHash(); }

Sha256::~Sha256() = default;
Sha256::Sha256(Sha256&&) noexcept = default;
Sha256& Sha256::operator=(Sha256&&) noexcept = default;

void Sha256::Update(std::span<const std::uint8_t> data) {
  // BCryptHashData takes a 32-bit length.
  constexpr std::size_t kMostAtOnce = std::size_t{1} << 30;
  while (!data.empty()) {
    const std::size_t n = std::min(data.size(), kMostAtOnce);
    const NTSTATUS status =
        BCryptHashData(state_->hash, const_cast<PUCHAR>(data.data()), static_cast<ULONG>(n), 0);
    if (!BCRYPT_SUCCESS(status)) Failed("SHA-256 update failed", status);
    data = data.subspan(n);
  }
}

Sha256::Digest Sha256::Finish() {
  Digest digest;
  const NTSTATUS status = BCryptFinishHash(state_->hash, digest.data(), static_cast<ULONG>(digest.size()), 0);
  if (!BCRYPT_SUCCESS(status)) Failed("SHA-256 final failed", status);
  // A finished CNG hash takes no more data: the next file gets a new one.
  BCryptDestroyHash(state_->hash);
  state_->hash = nullptr;
  state_->hash = NewHash();
  return digest;
}

}  // namespace common
