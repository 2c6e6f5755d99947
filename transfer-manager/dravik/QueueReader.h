// The reading side of the transport library Dravik: the data blocks of one
// file, in order, from the player's in pipe after the program has asked the
// player for them (code 2) and taken the header block itself.
//
// The in pipe is the program's: Init takes its native handle and reads on it
// (or, where the pipe is the player's rather than a handle's, on a session
// of its own). Each ReadQueue call moves one whole block; a short or failed
// read, a read past the announced count or a read without Init gives false.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

#include "player-link/Driver.h"
#include "player-link/Protocol.h"

namespace dravik {

class QueueReader {
 public:
  explicit QueueReader(playerlink::Driver& driver) : driver_(driver) {}

  // Ready to read `blocks` data blocks from the in pipe with this handle;
  // false when the pipe cannot be reached. Ends any read still queued.
  bool Init(std::uintptr_t inPipe, std::uint32_t blocks);
  // The next data block into `block`; false when none is left or the read
  // failed (the queue is over then: the caller cancels and starts again).
  bool ReadQueue(std::span<std::uint8_t, playerlink::kBlockSize> block);
  // Ends the queued read; harmless when none runs.
  void Cancel();

  std::uint32_t remaining() const;

 private:
  playerlink::Driver& driver_;
  mutable std::mutex mutex_;
  std::unique_ptr<playerlink::DriverSession> session_;
  std::uint32_t remaining_ = 0;
};

}  // namespace dravik
