#include "music-player/PlayerEngine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "common/ByteOrder.h"
#include "music-player/tests/EngineTestSupport.h"
#include "platform/gui/Application.h"
#include "platform/gui/headless/HeadlessBackend.h"

namespace vantu {
namespace {

using namespace xaudio;

class RecordingOwner : public PlayerEngineOwner {
 public:
  CPlayerEngine* engine = nullptr;
  std::vector<int> stateAtTrackEnd;
  std::vector<int> times;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> positions;
  std::vector<std::pair<int, int>> streams;
  bool offGuiThread = false;

  void OnTrackEnd() override {
    Check();
    stateAtTrackEnd.push_back(engine->State());
  }
  void ShowPosition(std::uint32_t o, std::uint32_t r) override {
    Check();
    positions.emplace_back(o, r);
  }
  void ShowTime(int s) override {
    Check();
    times.push_back(s);
  }
  void ShowStream(const std::uint8_t* p) override {
    Check();
    streams.emplace_back(common::LoadLE16(p + 2), common::LoadLE16(p + 4));
  }
  void Check() { offGuiThread |= !gui::App().IsGuiThread(); }
};

class PlayerEngineTest : public ::testing::Test {
 protected:
  PlayerEngineTest() : app_(std::make_unique<gui::headless::HeadlessBackend>()) {
    backend_ = static_cast<gui::headless::HeadlessBackend*>(&app_.backend());
  }
  static XaudioLibrary FastLibrary() {
    XaudioLibrary lib;
    lib.playerNew = [](PlayerHandle* p, NotifyWindowHandle* w) {
      PlayerOptions o;
      o.makeOutput = [] { return CreateNullOutput(NullOutputOptions{0, {}}); };
      o.realTime = false;
      return player_new_with_options(p, w, o);
    };
    return lib;
  }
  // Handles messages until `done` or a real-time deadline.
  bool PumpUntil(const std::function<bool()>& done, int ms = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      app_.ProcessMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }

  gui::Application app_;
  gui::headless::HeadlessBackend* backend_;
  RecordingOwner owner_;
};

TEST_F(PlayerEngineTest, NotificationsReachTheOwnerOnTheGuiThread) {
  auto engine = StartPlayerEngine(owner_, FastLibrary());
  owner_.engine = engine.get();
  ASSERT_NE(engine->Player(), nullptr);
  EXPECT_EQ(TheEngine(), engine.get());
  const std::string path = xaudio_test::TestFile("tone3s.mp3");
  // (The ready notification asks for these too, but the decoding may be
  // over before the GUI thread has handled it.)
  engine->Send(kCmdSetNotifications, 1);
  engine->Send(kCmdInputOpen, path.c_str());
  engine->Send(kCmdPlay);
  ASSERT_TRUE(PumpUntil([&] { return !owner_.stateAtTrackEnd.empty(); }));
  // The end-of-track action ran with the state still "playing"; then EOF.
  EXPECT_EQ(owner_.stateAtTrackEnd, std::vector<int>{kStatePlaying});
  EXPECT_EQ(engine->State(), kStateEof);
  EXPECT_FALSE(owner_.offGuiThread);
  ASSERT_EQ(owner_.streams.size(), 1u);
  EXPECT_EQ(owner_.streams[0], std::make_pair(128, 44100));
  ASSERT_FALSE(owner_.times.empty());
  EXPECT_EQ(owner_.times.back(), 3);
  ASSERT_FALSE(owner_.positions.empty());
  EXPECT_EQ(owner_.positions.back(), std::make_pair(3000u, 3000u));
  DestroyPlayerEngine(engine);
  EXPECT_EQ(TheEngine(), nullptr);
}

TEST_F(PlayerEngineTest, DestroyingWhilePlayingDeliversNothingAfterwards) {
  XaudioLibrary lib;
  lib.playerNew = [](PlayerHandle* p, NotifyWindowHandle* w) {
    PlayerOptions o;
    o.makeOutput = [] { return CreateNullOutput(NullOutputOptions{1, {}}); };
    return player_new_with_options(p, w, o);
  };
  auto engine = StartPlayerEngine(owner_, lib);
  owner_.engine = engine.get();
  const std::string path = xaudio_test::TestFile("tone3s.mp3");
  engine->Send(kCmdInputOpen, path.c_str());
  engine->Send(kCmdPlay);
  ASSERT_TRUE(PumpUntil([&] { return engine->State() == kStatePlaying; }));
  // Leave notifications queued, then destroy.
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  DestroyPlayerEngine(engine);
  const auto seen = owner_.positions.size() + owner_.times.size();
  app_.ProcessMessages();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  app_.ProcessMessages();
  EXPECT_EQ(owner_.positions.size() + owner_.times.size(), seen);
}

TEST_F(PlayerEngineTest, WrongLibraryVersionWarnsOnceAndLeavesNoPlayer) {
  for (std::uint32_t version : {(3u << 16) | (1u << 8), (4u << 16) | (2u << 8)}) {
    backend_->ClearMessageBoxes();
    XaudioLibrary lib;
    bool created = false;
    lib.getApiVersion = [=](int) { return version; };
    lib.playerNew = [&](PlayerHandle*, NotifyWindowHandle*) { return created = true, 0; };
    auto engine = StartPlayerEngine(owner_, lib);
    ASSERT_EQ(backend_->MessageBoxes().size(), 1u);
    EXPECT_EQ(backend_->MessageBoxes()[0].request.text, "Xaudio DLL API version mismatch");
    EXPECT_EQ(backend_->MessageBoxes()[0].request.title, "Xaudio Error");
    EXPECT_EQ(backend_->MessageBoxes()[0].request.icon, gui::MsgIcon::kError);
    EXPECT_FALSE(created);
    EXPECT_EQ(engine->Player(), nullptr);
    engine->Send(kCmdPlay);  // nothing to send to
    EXPECT_EQ(engine->EngineWindowProc(kXaMessageBase + 69, 1, 0), 1);
    EXPECT_EQ(engine->State(), kStateStopped);
    DestroyPlayerEngine(engine);
  }
}

// Records which handler got what.
class ShapeEngine : public CPlayerNotify {
 public:
  using CPlayerNotify::CPlayerNotify;
  std::vector<std::string> calls;
  std::vector<Command> sent;
  void SendCommand(const Command& c) override { sent.push_back(c); }
  void OnNotifyNothing(std::uint32_t code) override { calls.push_back(std::to_string(code)); }
  void OnNotifyByte(std::uint32_t code, std::uint8_t v) override { calls.push_back(std::to_string(code) + ":b" + std::to_string(v)); }
  void OnNotifyWord(std::uint32_t code, std::uint32_t v) override { calls.push_back(std::to_string(code) + ":w" + std::to_string(v)); }
  void OnNotifyTwoWords(std::uint32_t code, std::uint32_t a, std::uint32_t b) override {
    calls.push_back(std::to_string(code) + ":" + std::to_string(a) + "," + std::to_string(b));
  }
  void OnNotifyShort(std::uint32_t code, std::int16_t v) override { calls.push_back(std::to_string(code) + ":s" + std::to_string(v)); }
  void OnNotifyAddress(std::uint32_t code, const std::uint8_t* p) override {
    calls.push_back(std::to_string(code) + ":a" + std::to_string(p[5]));
  }
};

NotificationRecord Record(std::uint32_t code, std::vector<std::uint8_t> params) {
  NotificationRecord r;
  r.code = code;
  std::copy(params.begin(), params.end(), r.params);
  return r;
}

TEST_F(PlayerEngineTest, DispatchHandsEachCodeItsParameterShape) {
  ShapeEngine e;
  e.SetOwner(&owner_);
  owner_.engine = &e;
  const std::vector<std::uint8_t> p = {1, 2, 3, 4, 5, 6, 7, 8};
  for (std::uint32_t code : {68u, 65u, 70u, 71u, 82u, 90u, 91u, 92u, 106u, 95u, 63u, 107u, 0u})
    e.Dispatch(Record(code, p));
  EXPECT_EQ(e.calls, (std::vector<std::string>{"68", "65:b1", "70:w67305985", "71:67305985,134678021", "82:s513",
                                              "90:b3", "91:b2", "92:b1", "106:a6"}));
  e.calls.clear();
  e.Dispatch(Record(96, {0xFE, 0xFF}));
  EXPECT_EQ(e.calls, std::vector<std::string>{"96:s-2"});

  // State: 0-2 taken, 4 ignored, 3 runs the end action first.
  e.Dispatch(Record(69, {1}));
  EXPECT_EQ(e.State(), kStatePlaying);
  e.Dispatch(Record(69, {4}));
  EXPECT_EQ(e.State(), kStatePlaying);
  EXPECT_TRUE(owner_.stateAtTrackEnd.empty());
  e.Dispatch(Record(69, {3}));
  EXPECT_EQ(owner_.stateAtTrackEnd, std::vector<int>{kStatePlaying});
  EXPECT_EQ(e.State(), kStateEof);
  e.Dispatch(Record(69, {1}));
  EXPECT_EQ(e.State(), kStatePlaying);

  // Time codes that differ only in byte 0 show the same time.
  e.Dispatch(Record(78, {0, 2, 5, 0}));
  e.Dispatch(Record(78, {9, 2, 5, 0}));
  EXPECT_EQ(owner_.times, (std::vector<int>{125, 125}));
  // The engine's time code past the hour shows every minute: 65:07.
  const std::uint32_t code = xaudio::TimeCodeAt((65 * 60 + 7) * 1000 + 250);
  e.Dispatch(Record(78, {static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(code >> 8),
                         static_cast<std::uint8_t>(code >> 16), static_cast<std::uint8_t>(code >> 24)}));
  EXPECT_EQ(owner_.times.back(), 65 * 60 + 7);

  // Ready turns notifications on; input ready plays only with auto-play.
  e.Dispatch(Record(64, {}));
  e.Dispatch(Record(73, {0}));
  e.SetAutoPlay(true);
  e.Dispatch(Record(73, {1}));
  e.Dispatch(Record(73, {0}));
  ASSERT_EQ(e.sent.size(), 2u);
  EXPECT_EQ(e.sent[0].code, kCmdSetNotifications);
  EXPECT_EQ(e.sent[0].values[0], 1);
  EXPECT_EQ(e.sent[1].code, kCmdPlay);

  // A failed command is only a diagnostic text.
  e.Dispatch(Record(66, {7, 0, 0xFB, 0xFF}));  // -5
  EXPECT_EQ(e.LastDiagnostic(), "Command 7 failed\n[input cannot be opened]");
  EXPECT_EQ(e.State(), kStatePlaying);
}

}  // namespace
}  // namespace vantu
