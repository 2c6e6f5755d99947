// One use of the player: the three device handles of a session, the command
// buffer, and the block calls checked against the block size.
//
// One conversation with the player at a time: while a Link of a driver is
// open, Open on any other Link of that driver, from any thread (a transfer
// thread, a nested handler of the GUI thread), answers Busy and opens
// nothing; the open Link goes on undisturbed. A process reaches its player
// through one driver (SystemDriver), so this is one conversation per
// process. Open on the Link that is already open starts its conversation
// again (closes, then opens). Nothing waits: a caller that meets Busy says
// so in its own words, or tries again later.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "player-link/Driver.h"
#include "player-link/Protocol.h"

namespace playerlink {

class Link {
 public:
  explicit Link(Driver& driver) : driver_(driver) {}
  Link(const Link&) = delete;
  Link& operator=(const Link&) = delete;
  ~Link() { Close(); }

  struct Opened {
    bool control = false, inPipe = false, outPipe = false;
    // Another Link of the driver is open: nothing was opened (all false).
    bool busy = false;
    bool all() const { return control && inPipe && outPipe; }
  };
  // Opens control, in pipe and out pipe in that order, stopping at a control
  // device that does not open. Pipes that fail are not opened again; their
  // first transfer fails instead. Busy while another Link of the driver is
  // open (see above).
  Opened Open();
  // Closes in pipe, out pipe and control, each only when it is open.
  void Close();
  bool isOpen() const { return session_ != nullptr; }
  // Whether some Link of `driver` is open now (a conversation runs).
  static bool InConversation(const Driver& driver);

  // Sends one command: command byte = base + code. A failed call, or an
  // answer too short to carry the result, gives the result 0.
  CommandAnswer Command(std::uint8_t base, CommandCode code, std::uint32_t argument, std::uint8_t mode);
  CommandAnswer Command(std::uint8_t commandByte, std::uint32_t argument, std::uint8_t mode);
  // The request and answer of the last command.
  const DeviceCommand& commandBuffer() const { return buffer_; }

  // One block on a pipe: true only when all kBlockSize bytes moved.
  [[nodiscard]] bool WriteBlock(std::span<const std::uint8_t, kBlockSize> block);
  [[nodiscard]] bool ReadBlock(std::span<std::uint8_t, kBlockSize> block);
  // Bytes moved by the last block call (0 when the call failed).
  std::size_t lastTransferred() const { return transferred_; }
  // The platform's handle of an open device (see DriverSession); 0 when the
  // device is not open or has none.
  std::uintptr_t NativeHandle(Device device) const;

 private:
  Driver& driver_;
  std::unique_ptr<DriverSession> session_;
  DeviceCommand buffer_{};
  std::size_t transferred_ = 0;
};

}  // namespace playerlink
