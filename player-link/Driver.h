// The way to the player: a driver hands out sessions, each with device
// handles of its own (a transfer thread and the window that started it open
// the devices independently, as the driver's share mode allows).
//
// Three drivers exist: the USB function driver itself (Windows), a bridge to
// the standalone simulated player over loopback TCP, and the in-process
// simulated player of the tests. SystemDriver() picks between the first two.
#pragma once

#include <atomic>
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

  // The platform's handle of an open device (the USB driver's file handle);
  // 0 where a session has none (the bridge, the simulated player).
  virtual std::uintptr_t NativeHandle(Device) const { return 0; }
};

class Driver {
 public:
  virtual ~Driver() = default;
  virtual std::unique_ptr<DriverSession> NewSession() = 0;

  // A session whose in pipe reads the blocks of an in pipe that someone else
  // opened and hands over by its native handle (a transport library reading
  // on the program's handle). The session never closes that handle. Where
  // the in pipe is the player's rather than a handle's (the bridge, the
  // simulated player), a session of its own with its in pipe open; null
  // when the in pipe cannot be reached.
  virtual std::unique_ptr<DriverSession> ShareInPipe(std::uintptr_t nativeHandle);

 private:
  friend class Link;
  // The Link whose conversation runs (see Link.h); null when none.
  std::atomic<const void*> conversation_{nullptr};
};

// The environment variable that sends the programs to the simulated player:
// PLAYER_LINK_BRIDGE=127.0.0.1:<port>. Without it they open the USB driver.
inline constexpr const char* kBridgeVariable = "PLAYER_LINK_BRIDGE";

// The process's driver: the bridge when kBridgeVariable is set, else the USB
// driver on Windows and, elsewhere, a driver whose devices never open.
Driver& SystemDriver();

}  // namespace playerlink
