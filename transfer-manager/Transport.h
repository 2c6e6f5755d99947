// The transport library Dravik as the transfer manager uses it: loaded from
// the program's folder at start-up, its three calls behind one interface.
// On Windows it is Dravik.dll itself; natively (tests) the library's reader
// is linked in and stands for the DLL when a file "Dravik.dll" lies in the
// program's folder.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "common/File.h"
#include "player-link/Driver.h"
#include "player-link/Protocol.h"

namespace halvern {

class TransportLibrary {
 public:
  virtual ~TransportLibrary() = default;  // frees the library
  // usbRead_init: ready to read `blocks` data blocks on the in pipe.
  virtual bool Init(std::uintptr_t inPipe, std::uint32_t blocks) = 0;
  // usbRead_readQueue: the next data block into `block`.
  virtual bool ReadQueue(std::span<std::uint8_t, playerlink::kBlockSize> block) = 0;
  // usbRead_cancel.
  virtual void Cancel() = 0;
};

// Loads the library beside the program; null when it is missing (or, on
// Windows, when it does not export the three calls).
std::unique_ptr<TransportLibrary> LoadTransportLibrary(const common::Path& programFolder, playerlink::Driver& driver);

}  // namespace halvern
