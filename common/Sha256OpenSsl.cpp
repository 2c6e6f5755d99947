// Sha256 backend for Linux: OpenSSL's libcrypto.
#include <openssl/evp.h>

#include <stdexcept>

#include "common/Sha256.h"

namespace common {
namespace {

// Fetched once for the process: a fetch per hash would cost more than a
// short digest.
const EVP_MD* Algorithm() {
  static EVP_MD* const md = EVP_MD_fetch(nullptr, "SHA256", nullptr);
  if (md == nullptr) throw std::runtime_error("SHA-256 is not available from libcrypto");
  return md;
}

void Check(int ok, const char* what) {
  if (ok != 1) throw std::runtime_error(what);
}

}  // namespace

struct Sha256::State {
  EVP_MD_CTX* context = nullptr;
  ~State() { EVP_MD_CTX_free(context); }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
  state_->context = EVP_MD_CTX_new();
  if (state_->context == nullptr) throw std::runtime_error("no SHA-256 context");
  Check(EVP_DigestInit_ex2(state_->context, Algorithm(), nullptr), "SHA-256 init failed");
}

Sha256::~Sha256() = default;
Sha256::Sha256(Sha256&&) noexcept = default;
Sha256& Sha256::operator=(Sha256&&) noexcept = default;

void Sha256::Update(std::span<const std::uint8_t> data) {
  if (data.empty()) return;
  Check(EVP_DigestUpdate(state_->context, data.data(), data.size()), "SHA-256 update failed");
}

Sha256::Digest Sha256::Finish() {
  Digest digest;
  unsigned int length = 0;
  Check(EVP_DigestFinal_ex(state_->context, digest.data(), &length), "SHA-256 final failed");
  if (length != digest.size()) throw std::runtime_error("SHA-256 gave a digest of another length");
  Check(EVP_DigestInit_ex2(state_->context, Algorithm(), nullptr), "SHA-256 init failed");
  return digest;
}

}  // namespace common
