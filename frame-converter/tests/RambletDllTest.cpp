// Loads the built Ramblet.dll the way an outside caller does.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/File.h"

namespace {

using Sc4ToWavFn = int(__stdcall*)(const char*, const char*);

class RambletDllTest : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryA(RAMBLET_DLL_PATH);
    ASSERT_NE(module_, nullptr) << "cannot load " << RAMBLET_DLL_PATH << ": " << GetLastError();
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }
  Sc4ToWavFn Export(const char* name) {
    return reinterpret_cast<Sc4ToWavFn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }
  HMODULE module_ = nullptr;
};

TEST_F(RambletDllTest, ExportsOneEntryUnderBothNames) {
  Sc4ToWavFn plain = Export("SC4toWAV");
  Sc4ToWavFn decorated = Export("_SC4toWAV@8");
  ASSERT_NE(plain, nullptr);
  ASSERT_NE(decorated, nullptr);
  EXPECT_EQ(plain, decorated);
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(module_, MAKEINTRESOURCEA(1))), reinterpret_cast<void*>(plain));
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(module_, MAKEINTRESOURCEA(2))), reinterpret_cast<void*>(plain));
}

TEST_F(RambletDllTest, ConvertsAFileThroughBothNames) {
  char tempDir[MAX_PATH];
  ASSERT_GT(GetTempPathA(MAX_PATH, tempDir), 0u);
  const std::string in = std::string(tempDir) + "ramblet-test-in.sc4";
  const std::string out = std::string(tempDir) + "ramblet-test-out.wav";
  std::vector<std::uint8_t> src(1000, 0x55);
  src[100] = 0x02; src[101] = 0xB2; src[102] = 0x2B;
  ASSERT_TRUE(common::WriteFileAtomically(common::PathFromAnsi(in), src).ok());

  for (const char* name : {"SC4toWAV", "_SC4toWAV@8"}) {
    DeleteFileA(out.c_str());
    ASSERT_EQ(Export(name)(in.c_str(), out.c_str()), 0) << name;
    auto wav = common::ReadWholeFile(common::PathFromAnsi(out), 1 << 20);
    ASSERT_TRUE(wav.ok());
    ASSERT_EQ(wav->size(), 48u + 900u);
    EXPECT_EQ(wav->substr(0, 4), "RIFF");
    EXPECT_EQ(static_cast<unsigned char>((*wav)[22]), 2u);  // two channels, 16000 Hz
  }
  EXPECT_EQ(Export("SC4toWAV")((std::string(tempDir) + "ramblet-missing.sc4").c_str(), out.c_str()), 1);
  EXPECT_EQ(Export("SC4toWAV")(in.c_str(), "Q:\\no\\such\\drive\\out.wav"), 2);
  EXPECT_EQ(Export("SC4toWAV")(nullptr, out.c_str()), 1);
  DeleteFileA(in.c_str());
  DeleteFileA(out.c_str());
}

}  // namespace
