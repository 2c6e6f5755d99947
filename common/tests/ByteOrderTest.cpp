#include "common/ByteOrder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace common {
namespace {

TEST(ByteOrderTest, LoadsAndStoresInBothOrders) {
  std::array<std::uint8_t, 8> b{};
  StoreLE32(b.data(), 0x11223344u);
  EXPECT_EQ(b[0], 0x44);
  EXPECT_EQ(b[3], 0x11);
  EXPECT_EQ(LoadLE32(b.data()), 0x11223344u);
  StoreBE32(b.data(), 0x11223344u);
  EXPECT_EQ(b[0], 0x11);
  EXPECT_EQ(LoadBE32(b.data()), 0x11223344u);
  StoreBE16(b.data(), 0xABCD);
  EXPECT_EQ(LoadBE16(b.data()), 0xABCD);
  EXPECT_EQ(LoadLE16(b.data()), 0xCDAB);
  StoreLE64(b.data(), 0x0102030405060708ull);
  EXPECT_EQ(LoadLE64(b.data()), 0x0102030405060708ull);
  // High bits survive: no sign extension through int promotion.
  StoreLE32(b.data(), 0xFFFFFFFFu);
  EXPECT_EQ(LoadLE32(b.data()), 0xFFFFFFFFu);
}

TEST(ByteOrderTest, CheckedReadsRefuseFieldsPastTheEnd) {
  const std::array<std::uint8_t, 5> b{1, 2, 3, 4, 5};
  std::uint32_t v = 7;
  EXPECT_TRUE(ReadBE32(b, 1, v));
  EXPECT_EQ(v, 0x02030405u);
  v = 7;
  EXPECT_FALSE(ReadBE32(b, 2, v));
  EXPECT_EQ(v, 7u);
  std::uint16_t s = 0;
  EXPECT_FALSE(ReadLE16(b, SIZE_MAX, s));  // no wrap-around in the bound check
  EXPECT_TRUE(Fits(5, 5, 0));
  EXPECT_FALSE(Fits(5, 6, 0));
}

}  // namespace
}  // namespace common
