// Fuzzes the fake service's data file reader.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tools/fake-service/FakeServiceData.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)fake_service::ParseServiceData(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
