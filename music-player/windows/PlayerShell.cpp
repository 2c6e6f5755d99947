#include "music-player/windows/PlayerShell.h"

#include <algorithm>

namespace vantu {

bool IsWebAddress(const std::string& a) {
  if (a.size() > 2048) return false;
  const bool scheme = a.rfind("http://", 0) == 0 || a.rfind("https://", 0) == 0;
  return scheme && std::none_of(a.begin(), a.end(), [](char c) {
           return static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == ' ' || c == '"';
         });
}

std::optional<std::string> SystemShell::BrowserProgram() {
  auto value = registry_.GetString(platform::RegistryRoot::kLocalMachine, kBrowserAppPathKey, "");
  if (!value || !*value || (*value)->empty() || (*value)->size() > kMaxBrowserProgram) return std::nullopt;
  return **value;
}

std::string SystemShell::PlayerPage() {
  auto value = registry_.GetString(platform::RegistryRoot::kCurrentUser, kPageKey, kPageValue);
  if (value && *value && IsWebAddress(**value)) return **value;
  return kDefaultPlayerPage;
}

}  // namespace vantu
