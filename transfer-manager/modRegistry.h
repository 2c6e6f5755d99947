// The transfer manager's registry helpers and the one value it keeps: the
// last PC folder, under HKEY_CURRENT_USER (per user, no administrator
// rights needed).
#pragma once

#include <string>

#include "platform/Registry.h"

namespace halvern {

inline constexpr const char* kSettingsKey = "Software\\DureDudezi\\Environment";
inline constexpr const char* kLastFolderValue = "String";

// The stored string, or `fallback` when the key or value is missing or
// cannot be read. Reports nothing.
std::string GetRegString(platform::Registry& registry, platform::RegistryRoot root, const std::string& subkey,
                         const std::string& name, const std::string& fallback = {});
// Creates or opens the key and writes the value; a failed write is silent.
void SetRegString(platform::Registry& registry, platform::RegistryRoot root, const std::string& subkey,
                  const std::string& name, const std::string& value);

}  // namespace halvern
