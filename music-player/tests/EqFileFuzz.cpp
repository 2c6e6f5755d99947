// The equalizer preset file reader: bounded, and round trips what it reads.
#include <cstdlib>

#include "music-player/EqPresets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantu::eq_file;
  const auto parsed = Parse({data, size});
  if (parsed.presets.size() > kMaxPresets || (parsed.damaged && !parsed.presets.empty())) std::abort();
  std::vector<std::unique_ptr<vantu::EqPreset>> owned;
  for (const auto& p : parsed.presets) {
    if (p.name.size() > kMaxNameBytes) std::abort();
    owned.push_back(std::make_unique<vantu::EqPreset>(p));
    (void)vantu::CompareAnsiNames(p.name, parsed.presets.front().name);
  }
  const auto again = Parse(Encode(owned));
  if (again.damaged || again.presets.size() != parsed.presets.size()) std::abort();
  for (std::size_t i = 0; i < owned.size(); ++i)
    if (again.presets[i].name != owned[i]->name || again.presets[i].settings != owned[i]->settings) std::abort();
  return 0;
}
