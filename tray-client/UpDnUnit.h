// TDNFileThread: one file between the PC and the player on a worker thread
// of its own, with driver handles of its own. Mode 1 writes a PC file to the
// player, mode 2 reads one player entry into a PC file; any other mode does
// nothing.
//
// Reports go synchronously to the creator's receiver, all with the
// creator's message number: (1, percent) after each data block but the last,
// (2, 0) when the last block has moved, (3, 0) when the transfer failed.
// Every transfer that starts ends with exactly one 2 or 3, sent after the PC
// file and the driver have been closed, as the thread's last act.
//
// The thread talks to the player only while no other conversation of the
// process runs (playerlink::Link): when its open answers Busy it tries
// again for a bounded time (the GUI thread's own uses of the player are
// short calls) and then reports the failure.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/MessageTarget.h"
#include "player-link/Link.h"

namespace orvel {

class TDNFileThread {
 public:
  static constexpr int kModeWrite = 1;  // PC to player
  static constexpr int kModeRead = 2;   // player to PC
  static constexpr std::uintptr_t kReportProgress = 1;
  static constexpr std::uintptr_t kReportDone = 2;
  static constexpr std::uintptr_t kReportFailed = 3;

  // Mode 1: source = the PC file's path, name = the name for the header block
  // (at most 127 UTF-16 units; a longer one loses its folders). Mode 2:
  // source = the entry's 0-based index as decimal text, name = the PC file to
  // create; it is written beside its place and renamed over it only when the
  // whole file has arrived.
  // The thread shares ownership of its receiver: a window that goes away
  // while the thread runs leaves the receiver alive for its last report.
  TDNFileThread(playerlink::Driver& driver, std::shared_ptr<platform::MessageTarget> window, std::u16string source,
                std::u16string name, std::uint32_t message, int mode);
  // A receiver the caller keeps alive until Execute returns (Execute on the
  // caller's thread).
  TDNFileThread(playerlink::Driver& driver, platform::MessageTarget& window, std::u16string source,
                std::u16string name, std::uint32_t message, int mode);

  // Runs the transfer on the calling thread.
  void Execute();

  // Runs `thread` on a new thread, which frees it when done; false when no
  // thread could be made.
  static bool Start(std::unique_ptr<TDNFileThread> thread);

 private:
  bool WriteToPlayer();
  bool ReadFromPlayer();
  void Report(std::uintptr_t what, std::intptr_t value);

  bool OpenLink();

  std::shared_ptr<platform::MessageTarget> window_;
  std::u16string source_;
  std::u16string name_;
  std::uint32_t message_;
  int mode_;
  playerlink::Link link_;
};

}  // namespace orvel
