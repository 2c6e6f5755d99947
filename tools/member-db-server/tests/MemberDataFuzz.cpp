// libFuzzer target: the fake server's data file reader.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tools/member-db-server/MemberData.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto members = memberdb::ParseMemberData({reinterpret_cast<const char*>(data), size});
  if (members) {
    for (const auto& m : *members) {
      if (m.id().empty() || m.password.size() > 255) std::abort();
    }
  }
  return 0;
}
