// The single-instance guard: a second object of the same name sees the
// first, and the name is free again once the first is gone.
#include <gtest/gtest.h>

#include <string>

#include "platform/NamedMapping.h"

namespace platform {
namespace {

TEST(NamedMappingTest, SecondCreationSeesTheFirstUntilItEnds) {
  const std::string name = "MappingTest" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                           "_" + std::to_string(reinterpret_cast<std::uintptr_t>(&name) & 0xFFFFFF);
  {
    auto first = NamedMapping::Create(name, 1024);
    EXPECT_FALSE(first.AlreadyExisted());
    auto second = NamedMapping::Create(name, 1024);
    EXPECT_TRUE(second.AlreadyExisted());
  }
  auto again = NamedMapping::Create(name, 1024);
  EXPECT_FALSE(again.AlreadyExisted());
}

}  // namespace
}  // namespace platform
