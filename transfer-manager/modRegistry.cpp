#include "transfer-manager/modRegistry.h"

namespace halvern {

std::string GetRegString(platform::Registry& registry, platform::RegistryRoot root, const std::string& subkey,
                         const std::string& name, const std::string& fallback) {
  auto value = registry.GetString(root, subkey, name);
  if (!value || !*value) return fallback;
  return **value;
}

void SetRegString(platform::Registry& registry, platform::RegistryRoot root, const std::string& subkey,
                  const std::string& name, const std::string& value) {
  (void)registry.SetString(root, subkey, name, value);
}

}  // namespace halvern
