// The member check's COM apartment under Wine: however often it connects,
// the thread leaves the apartment exactly as often as it joined it.
#include "tray-client/ComApartment.h"

#include <gtest/gtest.h>

#include <thread>

namespace orvel {
namespace {

TEST(ComApartmentTest, ConnectingOftenJoinsOnceAndLeavesOnce) {
  std::thread([] {
    {
      ComApartment apartment;
      for (int attempt = 0; attempt < 3; ++attempt) EXPECT_EQ(apartment.Enter(), S_OK);
    }
    // Out of the apartment again: the next initialisation is a first one.
    const HRESULT again = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    EXPECT_EQ(again, S_OK);
    if (SUCCEEDED(again)) CoUninitialize();
  }).join();
}

TEST(ComApartmentTest, AThreadInAnotherApartmentIsLeftAsItWas) {
  std::thread([] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    {
      ComApartment apartment;
      EXPECT_EQ(apartment.Enter(), RPC_E_CHANGED_MODE);
    }
    // Still in the multithreaded apartment, joined once.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    CoUninitialize();
    CoUninitialize();
  }).join();
}

}  // namespace
}  // namespace orvel
