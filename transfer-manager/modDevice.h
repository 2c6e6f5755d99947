// The transfer manager's device layer over the player link: the three device
// handles, the command buffer and the one block buffer of the program, the
// command call on either medium (the medium base cmdBase + the code), the
// device wait for a player that stopped answering, and the question that
// asks the user to connect it.
//
// Every device operation follows one pattern: OpenDevice, the state query
// (code 0), its commands and blocks, CloseDevice. A command that answers 0
// or a block that falls short leads to PingDevice and, when the player stays
// away, to ShowNotConnected. RunStep bounds the repeats after a ping, so a
// player that answers the state query but refuses a command ends in the
// question instead of a loop.
//
// Everything runs on the user-interface thread; waits keep handling window
// messages (the application's clock: virtual in headless runs).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/gui/Types.h"
#include "player-link/Link.h"

namespace halvern {

// The plain state query waits this long before it goes out.
inline constexpr int kStateQueryPauseMs = 500;
// The device wait polls once a tick and gives up at tick kWaitLastTick.
inline constexpr int kWaitTickMs = 1000;
inline constexpr int kWaitLastTick = 16;
inline constexpr int kWaitProgressMax = kWaitLastTick - 1;
// The Cancel button of the wait window sets the tick counter to this.
inline constexpr int kWaitCancelTicks = 20;
// However the poll goes, the wait ends after this long.
inline constexpr int kWaitLimitMs = kWaitLastTick * (kWaitTickMs + kStateQueryPauseMs) + kWaitTickMs;
// A step that keeps failing while the player answers the ping is tried this
// many times after the first before the player counts as not answering.
inline constexpr int kStepRetries = 3;

// What the device wait shows: the wait window and the main window's poll
// timer (tmrWait).
class DeviceWaitView {
 public:
  virtual ~DeviceWaitView() = default;
  // Hides the progress window, shows the wait window (modeless, owned by
  // the main window) and starts the poll timer.
  virtual void BeginWait() = 0;
  virtual void ShowWaitTick(int tick) = 0;
  virtual void StopPoll() = 0;
  // Hides the wait window.
  virtual void EndWait() = 0;
};

class DeviceAccess {
 public:
  explicit DeviceAccess(playerlink::Driver& driver) : link_(driver) {}
  DeviceAccess(const DeviceAccess&) = delete;
  DeviceAccess& operator=(const DeviceAccess&) = delete;

  void SetWaitView(DeviceWaitView* view) { view_ = view; }

  // Opens the control device, the in pipe and the out pipe: 0 when all
  // three opened, 1 when one did not (the others are closed again then).
  int OpenDevice();
  // Closes whatever is open; closing twice does nothing.
  void CloseDevice();
  bool IsOpen() const { return link_.isOpen(); }

  // One DeviceCommand: the command byte, the argument, mode 8 when `wide`
  // (else 4). The plain state query of either medium (0x85, 0x75) waits
  // kStateQueryPauseMs first. Gives the result; 0 = failure.
  std::uint32_t SendDeviceCommand(std::uint8_t commandByte, std::uint32_t argument, bool wide);
  // The same with the command byte cmdBase + code.
  std::uint32_t SendCommand(playerlink::CommandCode code, std::uint32_t argument, bool wide = false);
  // cmdBase + 0, argument 0, mode 4.
  std::uint32_t StateQuery() { return SendCommand(playerlink::CommandCode::kTotalMemory, 0); }

  // The device wait: closes the device, shows the wait window and polls the
  // player once a tick until it answers, the user cancels or kWaitLastTick
  // passes; then opens the device and sends the state query once more.
  // True when the player answered it: the device is left open for the
  // caller. False with the device closed.
  bool PingDevice();
  // One tick of the poll (the main window's tmrWait).
  void WaitPollTick();
  // "Device not connected, please connect and power on !!!" with Retry and
  // Cancel: kRetry or kCancel.
  gui::ModalResult ShowNotConnected();

  // Runs one step of an operation (a command, a block, or both); when it
  // fails, pings the player and, when the player is back, runs the step
  // again on the open device, at most kStepRetries times. True when the
  // step succeeded; false when the player stayed away or the step kept
  // failing (the caller then asks ShowNotConnected).
  bool RunStep(const std::function<bool()>& step);

  // The block buffer to the out pipe; true when all of it went.
  bool WriteBlock();
  // One block from the in pipe into the block buffer; a read call that
  // fails outright is made once more. True when a whole block came.
  bool ReadBlock();
  playerlink::Block& blockBuffer() { return block_; }
  const playerlink::DeviceCommand& commandBuffer() const { return link_.commandBuffer(); }
  // Bytes moved by the last block call.
  std::size_t byteCount() const { return link_.lastTransferred(); }
  // The link itself, for the sequences of the player link (the directory).
  playerlink::Link& link() { return link_; }
  // The in pipe's handle, for the transport library.
  std::uintptr_t InPipeHandle() const { return link_.NativeHandle(playerlink::Device::kInPipe); }

 private:
  playerlink::Link link_;
  playerlink::Block block_{};
  DeviceWaitView* view_ = nullptr;
  bool polling_ = false;
};

// The program's device layer, made at start-up.
DeviceAccess& Device();
void SetDevice(std::unique_ptr<DeviceAccess> device);

}  // namespace halvern
