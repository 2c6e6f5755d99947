// The engine in a real program's setting: the Win32 backend, the hidden
// notification window, waveOut (under Wine the null sound device).
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "common/ByteOrder.h"
#include "music-player/PlaybackControl.h"
#include "music-player/tests/EngineTestSupport.h"
#include "platform/gui/Application.h"
#include "platform/gui/win32/Win32Backend.h"

namespace vantu {
namespace {

using namespace xaudio;

class Owner : public PlayerEngineOwner {
 public:
  CPlayerEngine* engine = nullptr;
  int trackEnds = 0;
  std::uint32_t lastOffset = 0, lastRange = 0;
  int lastTime = -1, bitrate = 0, rate = 0;
  bool offGuiThread = false;
  void OnTrackEnd() override { ++trackEnds, Check(); }
  void ShowPosition(std::uint32_t o, std::uint32_t r) override { lastOffset = o, lastRange = r, Check(); }
  void ShowTime(int s) override { lastTime = s, Check(); }
  void ShowStream(const std::uint8_t* p) override {
    bitrate = common::LoadLE16(p + 2), rate = common::LoadLE16(p + 4), Check();
  }
  void Check() { offGuiThread |= !gui::App().IsGuiThread(); }
};

TEST(EngineUnderWindows, PlaysThroughWaveOutWithNotificationsOnTheHiddenWindow) {
  gui::Application app(gui::win32::CreateWin32Backend(GetModuleHandleW(nullptr)));
  Owner owner;
  auto engine = StartPlayerEngine(owner);
  owner.engine = engine.get();
  ASSERT_NE(engine->Player(), nullptr);
  HWND hidden = FindWindowW(nullptr, L"Xaudio Hidden Window");
  EXPECT_NE(hidden, nullptr);
  EXPECT_FALSE(hidden && IsWindowVisible(hidden));
  auto pumpUntil = [&](const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!done() && std::chrono::steady_clock::now() < end) {
      app.ProcessMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
  };
  engine->Send(kCmdSetNotifications, 1);
  const std::string path = xaudio_test::TestFile("tone3s.mp3");
  engine->Send(kCmdInputOpen, path.c_str());
  engine->Send(kCmdPlay);
  ASSERT_TRUE(pumpUntil([&] { return engine->State() == kStatePlaying && owner.lastOffset >= 300; }));
  EXPECT_EQ(owner.bitrate, 128);
  EXPECT_EQ(owner.rate, 44100);
  EXPECT_EQ(owner.lastRange, 3000u);
  engine->Send(kCmdPause);
  ASSERT_TRUE(pumpUntil([&] { return engine->State() == kStatePaused; }));
  engine->Send(kCmdSeek, 9, 10);
  engine->Send(kCmdPlay);
  ASSERT_TRUE(pumpUntil([&] { return owner.trackEnds == 1; }));
  EXPECT_EQ(engine->State(), kStateEof);
  EXPECT_EQ(owner.lastTime, 3);
  engine->Send(kCmdStop);
  engine->Send(kCmdInputClose);
  ASSERT_TRUE(pumpUntil([&] { return engine->State() == kStateStopped; }));
  EXPECT_FALSE(owner.offGuiThread);
  EXPECT_TRUE(engine->LastDiagnostic().empty()) << engine->LastDiagnostic();
  DestroyPlayerEngine(engine);
  EXPECT_EQ(FindWindowW(nullptr, L"Xaudio Hidden Window"), nullptr);
}

}  // namespace
}  // namespace vantu
