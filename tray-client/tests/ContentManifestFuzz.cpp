// Fuzzes the content server's manifest and the file-name check behind it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tray-client/ContentProtocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto manifest = orvel::content::ParseManifest(text);
  if (manifest) {
    for (const auto& file : manifest->files) (void)orvel::content::LocalSyncFilePath("LocalSync", file.name);
    // What parses encodes back to a manifest that parses the same.
    if (!manifest->message) {
      auto again = orvel::content::ParseManifest(orvel::content::EncodeManifest(manifest->files));
      if (!again || again->files.size() != manifest->files.size()) __builtin_trap();
    }
  }
  return 0;
}
