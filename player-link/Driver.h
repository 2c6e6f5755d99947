// The way to the player: a driver hands out sessions, each with device
// handles of its own (a transfer thread and the window that started it open
// the devices independently, as the driver's share mode allows).
//
// Three drivers exist: the USB function driver itself (Windows), a bridge to
// the standalone simulated player over loopback TCP, and the in-process
// simulated player of the tests. SystemDriver() picks between the first two.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

namespace playerlink {

enum class Device : std::uint8_t { kControl = 0, kInPipe = 1, kOutPipe = 2 };

class DriverSession {
 public:
  virtual ~DriverSession() = default;  // closes whatever is still open

  // Opens one device file; false when it does not open.
  virtual bool Open(Device device) = 0;
  virtual void Close(Device device) = 0;
  virtual bool IsOpen(Device device) const = 0;

  // The command call on the control device: the first `requestSize` bytes of
  // `buffer` go out and the answer comes back into `buffer`, at most
  // buffer.size() bytes. Gives the answer's length; nothing when the call
  // failed.
  virtual std::optional<std::size_t> Control(std::span<std::uint8_t> buffer, std::size_t requestSize) = 0;
  // One transfer on the out pipe / in pipe: the bytes moved; nothing when the
  // call failed.
  virtual std::optional<std::size_t> Write(std::span<const std::uint8_t> data) = 0;
  virtual std::optional<std::size_t> Read(std::span<std::uint8_t> data) = 0;
};

class Driver {
 public:
  virtual ~Driver() = default;
  virtual std::unique_ptr<DriverSession> NewSession() = 0;
};

// The environment variable that sends the programs to the simulated player:
// PLAYER_LINK_BRIDGE=127.0.0.1:<port>. Without it they open the USB driver.
inline constexpr const char* kBridgeVariable = "PLAYER_LINK_BRIDGE";

// The process's driver: the bridge when kBridgeVariable is set, else the USB
// driver on Windows and, elsewhere, a driver whose devices never open.
Driver& SystemDriver();

}  // namespace playerlink
