// libFuzzer target: the order file the simulated player reads back from its
// folder, and the keys it makes of names from the PC.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tools/player-sim/FolderStorage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const auto& key : playersim::ParseOrderFile(text)) {
    if (key.empty() || key == "." || key == ".." || key.find('/') != std::string::npos) std::abort();
  }
  std::u16string name;
  for (std::size_t i = 0; i + 1 < size; i += 2) name.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  const std::string key = playersim::KeyForName(name);
  if (playersim::ParseOrderFile(key + "\n") != std::vector<std::string>{key}) std::abort();
  return 0;
}
