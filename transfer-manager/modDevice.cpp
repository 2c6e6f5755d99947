#include "transfer-manager/modDevice.h"

#include "platform/gui/Application.h"
#include "transfer-manager/Texts.h"
#include "transfer-manager/modVariables.h"

namespace halvern {

using playerlink::CommandCode;
using playerlink::kCardBase;
using playerlink::kInternalMemoryBase;

namespace {

std::unique_ptr<DeviceAccess>& DeviceSlot() {
  static std::unique_ptr<DeviceAccess> device;
  return device;
}

void EndWaitState() {
  Vars().waitActive = false;
  Vars().waitTicks = 0;
}

}  // namespace

DeviceAccess& Device() { return *DeviceSlot(); }

void SetDevice(std::unique_ptr<DeviceAccess> device) { DeviceSlot() = std::move(device); }

int DeviceAccess::OpenDevice() {
  if (link_.Open().all()) return 0;
  link_.Close();
  return 1;
}

void DeviceAccess::CloseDevice() { link_.Close(); }

std::uint32_t DeviceAccess::SendDeviceCommand(std::uint8_t commandByte, std::uint32_t argument, bool wide) {
  if (commandByte == kInternalMemoryBase || commandByte == kCardBase) gui::App().Sleep(kStateQueryPauseMs);
  return link_.Command(commandByte, argument, wide ? playerlink::kMode8 : playerlink::kMode4).result;
}

std::uint32_t DeviceAccess::SendCommand(CommandCode code, std::uint32_t argument, bool wide) {
  return SendDeviceCommand(playerlink::CommandByte(Vars().cmdBase, code), argument, wide);
}

bool DeviceAccess::PingDevice() {
  auto& app = gui::App();
  CloseDevice();
  Vars().waitActive = true;
  Vars().waitTicks = 0;
  app.ProcessMessages();
  if (view_) view_->BeginWait();

  // The poll (WaitPollTick) ends the wait; the limit only guards against a
  // poll that cannot run.
  const std::uint64_t deadline = app.NowMs() + kWaitLimitMs;
  while (Vars().waitActive && !app.Terminated() && app.NowMs() < deadline) app.Sleep(kWaitTickMs / 10);
  if (view_) view_->StopPoll();
  EndWaitState();

  bool answered = false;
  if (!app.Terminated() && OpenDevice() == 0) answered = StateQuery() != 0;
  if (!answered) CloseDevice();
  app.ProcessMessages();
  if (view_) view_->EndWait();
  return answered;
}

void DeviceAccess::WaitPollTick() {
  // A tick that comes while the last one still waits for the player is
  // dropped.
  if (polling_ || !Vars().waitActive) return;
  polling_ = true;
  auto& app = gui::App();
  app.ProcessMessages();
  ++Vars().waitTicks;
  if (Vars().waitTicks < kWaitLastTick) {
    if (view_) view_->ShowWaitTick(Vars().waitTicks);
    app.ProcessMessages();
    if (OpenDevice() == 0) {
      const bool answered = StateQuery() != 0;
      CloseDevice();
      if (answered) {
        if (view_) view_->StopPoll();
        EndWaitState();
      }
    }
  } else {
    if (view_) view_->StopPoll();
    EndWaitState();
  }
  polling_ = false;
}

gui::ModalResult DeviceAccess::ShowNotConnected() {
  auto& app = gui::App();
  app.ProcessMessages();
  const auto answer = app.MessageBox(text::kNotConnected, text::kInformation, gui::Buttons::kRetryCancel,
                                     gui::MsgIcon::kWarning);
  app.ProcessMessages();
  return answer == gui::ModalResult::kRetry ? gui::ModalResult::kRetry : gui::ModalResult::kCancel;
}

bool DeviceAccess::RunStep(const std::function<bool()>& step) {
  for (int retries = 0;; ++retries) {
    if (step()) return true;
    if (retries >= kStepRetries || !PingDevice()) return false;
  }
}

bool DeviceAccess::WriteBlock() { return link_.WriteBlock(block_); }

bool DeviceAccess::ReadBlock() {
  if (link_.ReadBlock(block_)) return true;
  if (link_.lastTransferred() != 0) return false;  // a short block: no second try
  return link_.ReadBlock(block_);
}

}  // namespace halvern
