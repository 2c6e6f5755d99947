#include "platform/Registry.h"

namespace platform {

namespace {
std::string Fold(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return s;
}
}  // namespace

std::optional<common::Error> MemoryRegistry::Refusal(RegistryRoot root) {
  ++writeAttempts_;
  if (failure_ && (!failingRoot_ || *failingRoot_ == root)) return failure_;
  return std::nullopt;
}

common::Result<void> MemoryRegistry::SetString(RegistryRoot root, const std::string& key, const std::string& name,
                                               const std::string& value) {
  if (auto refused = Refusal(root)) return *refused;
  values_[{root, Fold(key), Fold(name)}] = value;
  return common::Ok();
}

common::Result<void> MemoryRegistry::DeleteValue(RegistryRoot root, const std::string& key, const std::string& name) {
  if (auto refused = Refusal(root)) return *refused;
  values_.erase({root, Fold(key), Fold(name)});
  return common::Ok();
}

common::Result<std::optional<std::string>> MemoryRegistry::GetString(RegistryRoot root, const std::string& key,
                                                                     const std::string& name) {
  auto it = values_.find({root, Fold(key), Fold(name)});
  if (it == values_.end()) return std::optional<std::string>{};
  return std::optional<std::string>{it->second};
}

}  // namespace platform
