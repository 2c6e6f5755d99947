#include "transfer-manager/modDevice.h"

#include <gtest/gtest.h>

#include "platform/gui/Form.h"
#include "platform/gui/Timer.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "player-link/SimulatedPlayer.h"
#include "transfer-manager/modVariables.h"

namespace halvern {
namespace {

using namespace playerlink;
using sim::Faults;
using sim::MediumId;

// The wait window as the device wait drives it: a poll timer on a form of
// its own, and a record of what was shown.
class RecordingWaitView : public DeviceWaitView {
 public:
  RecordingWaitView() : timer(&form) {
    timer.SetInterval(kWaitTickMs);
    timer.OnTimer = [] { Device().WaitPollTick(); };
    form.Create();
  }
  void BeginWait() override {
    ++begins;
    timer.SetEnabled(true);
  }
  void ShowWaitTick(int tick) override {
    ticks.push_back(tick);
    if (onTick) onTick(tick);
  }
  void StopPoll() override { timer.SetEnabled(false); }
  void EndWait() override { ++ends; }

  gui::Form form;
  gui::Timer timer;
  int begins = 0, ends = 0;
  std::vector<int> ticks;
  std::function<void(int)> onTick;
};

class DeviceTest : public gui::testing::HeadlessTest {
 protected:
  DeviceTest() : player(std::make_shared<sim::SimulatedPlayer>()), driver(player) {
    ResetVariables();
    SetDevice(std::make_unique<DeviceAccess>(driver));
    Device().SetWaitView(&view);
  }
  ~DeviceTest() override { SetDevice(nullptr); }

  std::uint64_t Now() { return app().NowMs(); }
  std::vector<CommandRequest> Commands() {
    std::vector<CommandRequest> out;
    for (const auto& e : player->TakeEvents()) {
      if (e.kind == sim::Event::Kind::kCommand) out.push_back(e.request);
    }
    return out;
  }
  static Faults::Command StateAnswersZero(int times, std::uint8_t base = kInternalMemoryBase) {
    return {0, base, false, {0, 0}, times};
  }

  std::shared_ptr<sim::SimulatedPlayer> player;
  sim::SimulatedDriver driver;
  RecordingWaitView view;
};

TEST_F(DeviceTest, OpenAllThreeOrNoneAndCloseTwice) {
  EXPECT_EQ(Device().OpenDevice(), 0);
  EXPECT_TRUE(Device().IsOpen());
  Device().CloseDevice();
  Device().CloseDevice();
  EXPECT_FALSE(Device().IsOpen());

  Faults f;
  f.failOpen[static_cast<std::size_t>(playerlink::Device::kOutPipe)] = true;
  player->SetFaults(f);
  (void)player->TakeEvents();
  EXPECT_EQ(Device().OpenDevice(), 1);
  EXPECT_FALSE(Device().IsOpen());  // control and in pipe closed again
  EXPECT_EQ(Device().SendCommand(CommandCode::kFreeMemory, 0), 0u);
  EXPECT_FALSE(Device().ReadBlock());
  EXPECT_TRUE(Commands().empty());  // nothing reached the player on a closed device
}

TEST_F(DeviceTest, CommandBytesModesAndThePauseBeforeTheStateQuery) {
  ASSERT_EQ(Device().OpenDevice(), 0);
  (void)player->TakeEvents();
  Vars().cmdBase = kCardBase;
  std::uint64_t t = Now();
  EXPECT_NE(Device().SendCommand(CommandCode::kDirectoryInfo, 0, true), 0u);
  EXPECT_NE(Device().SendCommand(CommandCode::kFreeMemory, 0), 0u);
  EXPECT_EQ(Now(), t);  // no pause but for the plain state query
  EXPECT_NE(Device().StateQuery(), 0u);
  EXPECT_EQ(Now(), t + kStateQueryPauseMs);
  t = Now();
  EXPECT_NE(Device().SendDeviceCommand(0x86, 3, false), 0u);  // begin write of 3 blocks (none follow)
  EXPECT_EQ(Now(), t);
  const auto sent = Commands();
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_EQ(sent[0].commandByte, 0x7B);
  EXPECT_EQ(sent[0].mode, kMode8);
  EXPECT_EQ(sent[1].commandByte, 0x7E);
  EXPECT_EQ(sent[1].mode, kMode4);
  EXPECT_EQ(sent[2].commandByte, 0x75);
  EXPECT_EQ(sent[3].commandByte, 0x86);
  EXPECT_EQ(sent[3].argument, 3u);
  const DeviceCommand wire = EncodeCommand(sent[3]);
  EXPECT_EQ(wire[1], 0);
  EXPECT_EQ(wire[4], 3);

  // A card taken out answers nothing; the built-in memory still does.
  player->SetMedium(MediumId::kCard, {false, true, 1u << 20});
  EXPECT_EQ(Device().StateQuery(), 0u);
  Vars().cmdBase = kInternalMemoryBase;
  EXPECT_NE(Device().StateQuery(), 0u);
}

TEST_F(DeviceTest, PingReturnsWhenThePlayerAnswersOnTheFifthTick) {
  Faults f;
  f.commands.push_back(StateAnswersZero(4));
  player->SetFaults(f);
  const std::uint64_t start = Now();
  EXPECT_TRUE(Device().PingDevice());
  EXPECT_TRUE(Device().IsOpen());  // left open for the caller
  EXPECT_EQ(view.ticks, (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_GE(Now() - start, 5000u);
  EXPECT_LE(Now() - start, 6000u + kStateQueryPauseMs);
  EXPECT_FALSE(view.timer.Enabled());
  EXPECT_FALSE(Vars().waitActive);
  EXPECT_EQ(Vars().waitTicks, 0);
  EXPECT_EQ(view.begins, 1);
  EXPECT_EQ(view.ends, 1);
}

TEST_F(DeviceTest, PingGivesUpAfterFifteenPollsWhenNoPlayerIsThere) {
  driver.Detach();
  const std::uint64_t start = Now();
  EXPECT_FALSE(Device().PingDevice());
  EXPECT_FALSE(Device().IsOpen());
  EXPECT_EQ(view.ticks.size(), 15u);
  EXPECT_EQ(view.ticks.back(), kWaitProgressMax);
  EXPECT_GE(Now() - start, 16000u);
  EXPECT_LE(Now() - start, 17000u);
  EXPECT_FALSE(view.timer.Enabled());
}

TEST_F(DeviceTest, PingOfAPlayerThatOpensButNeverAnswersIsBounded) {
  Faults f;
  f.commands.push_back({0, std::nullopt, true, {}, -1});  // every state query call fails
  player->SetFaults(f);
  const std::uint64_t start = Now();
  EXPECT_FALSE(Device().PingDevice());
  EXPECT_FALSE(Device().IsOpen());
  EXPECT_LE(Now() - start, static_cast<std::uint64_t>(kWaitLimitMs) + kStateQueryPauseMs);
}

TEST_F(DeviceTest, CancelEndsTheWaitAtTheNextTickAndTheLastQueryDecides) {
  Faults f;
  f.commands.push_back(StateAnswersZero(3));
  player->SetFaults(f);
  view.onTick = [](int tick) {
    if (tick == 3) Vars().waitTicks = kWaitCancelTicks;  // the wait window's Cancel
  };
  const std::uint64_t start = Now();
  EXPECT_TRUE(Device().PingDevice());  // the query after the wait answers
  EXPECT_EQ(view.ticks, (std::vector<int>{1, 2, 3}));
  EXPECT_LE(Now() - start, 4000u + kStateQueryPauseMs);

  // The same with a player that does not come back: false, closed.
  Device().CloseDevice();
  driver.Detach();
  view.ticks.clear();
  EXPECT_FALSE(Device().PingDevice());
  EXPECT_EQ(view.ticks, (std::vector<int>{1, 2, 3}));
  EXPECT_FALSE(Device().IsOpen());
}

TEST_F(DeviceTest, AStepThatKeepsFailingWhileThePlayerAnswersEndsInTheQuestion) {
  Faults f;
  f.commands.push_back({6, std::nullopt, true, {}, -1});  // the directory query always fails
  player->SetFaults(f);
  ASSERT_EQ(Device().OpenDevice(), 0);
  int tries = 0;
  const std::uint64_t start = Now();
  EXPECT_FALSE(Device().RunStep([&] {
    ++tries;
    return Device().SendCommand(CommandCode::kDirectoryInfo, 0, true) != 0;
  }));
  EXPECT_EQ(tries, 1 + kStepRetries);
  EXPECT_EQ(view.begins, kStepRetries);
  EXPECT_LE(Now() - start, static_cast<std::uint64_t>(kStepRetries) * kWaitLimitMs);

  backend().QueueAnswer(gui::ModalResult::kCancel);
  EXPECT_EQ(Device().ShowNotConnected(), gui::ModalResult::kCancel);
  ASSERT_EQ(backend().MessageBoxes().size(), 1u);
  const auto& box = backend().MessageBoxes()[0].request;
  EXPECT_EQ(box.text, "Device not connected, please connect and power on !!!");
  EXPECT_EQ(box.title, "Information");
  EXPECT_EQ(box.buttons, gui::Buttons::kRetryCancel);
  EXPECT_EQ(box.icon, gui::MsgIcon::kWarning);
}

TEST_F(DeviceTest, AStepThatFailsOnceGoesOnAfterThePing) {
  Faults f;
  f.commands.push_back({9, std::nullopt, true, {}, 1});
  player->SetFaults(f);
  ASSERT_EQ(Device().OpenDevice(), 0);
  std::uint32_t free = 0;
  EXPECT_TRUE(Device().RunStep([&] { return (free = Device().SendCommand(CommandCode::kFreeMemory, 0)) != 0; }));
  EXPECT_EQ(free, player->FreeBytes(MediumId::kInternal));
  EXPECT_EQ(view.begins, 1);
  EXPECT_TRUE(Device().IsOpen());
}

}  // namespace
}  // namespace halvern
