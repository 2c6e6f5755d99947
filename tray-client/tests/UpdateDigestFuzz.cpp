// libFuzzer target: the published digest of an update ("<hex>  <name>").
// A digest read back is 32 bytes whose hexadecimal form was the first word
// of the input; anything over 1 KiB is refused.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tray-client/UpdateUnit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const auto digest = orvel::ParseDigestFile(input);
  if (!digest) return 0;
  if (size > 1024) std::abort();
  std::string lower(input);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
  }
  if (lower.find(common::DigestHex(*digest)) == std::string::npos) std::abort();
  return 0;
}
