// The registry, as the programs use it: string values under a root key.
// Windows: the real registry. Natively: an in-memory registry per process,
// for tests. Texts are UTF-8.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

#include "common/Result.h"

namespace platform {

enum class RegistryRoot { kLocalMachine, kCurrentUser };

class Registry {
 public:
  virtual ~Registry() = default;
  // Writes a string value, creating the key when missing.
  virtual common::Result<void> SetString(RegistryRoot root, const std::string& key, const std::string& name,
                                         const std::string& value) = 0;
  // Removes a value; a value that is not there is no failure.
  virtual common::Result<void> DeleteValue(RegistryRoot root, const std::string& key, const std::string& name) = 0;
  // The value, or nothing when the key or value is missing.
  virtual common::Result<std::optional<std::string>> GetString(RegistryRoot root, const std::string& key,
                                                               const std::string& name) = 0;
};

// Names compare without regard to ASCII case, as in the registry.
class MemoryRegistry : public Registry {
 public:
  common::Result<void> SetString(RegistryRoot root, const std::string& key, const std::string& name,
                                 const std::string& value) override;
  common::Result<void> DeleteValue(RegistryRoot root, const std::string& key, const std::string& name) override;
  common::Result<std::optional<std::string>> GetString(RegistryRoot root, const std::string& key,
                                                       const std::string& name) override;
  // A failure to give for every write from now on (tests of error paths),
  // under one root only when it is given (a user without administrator
  // rights may not write under HKLM).
  void FailWrites(std::optional<common::Error> error, std::optional<RegistryRoot> root = std::nullopt) {
    failure_ = std::move(error);
    failingRoot_ = root;
  }
  // Writes and deletes tried so far, refused ones included.
  int WriteAttempts() const { return writeAttempts_; }

 private:
  std::optional<common::Error> Refusal(RegistryRoot root);

  std::map<std::tuple<RegistryRoot, std::string, std::string>, std::string> values_;
  std::optional<common::Error> failure_;
  std::optional<RegistryRoot> failingRoot_;
  int writeAttempts_ = 0;
};

// The system's registry (Windows), or a fresh MemoryRegistry natively.
std::unique_ptr<Registry> CreateSystemRegistry();

}  // namespace platform
