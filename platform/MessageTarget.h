// A receiver of numbered messages sent synchronously from another thread.
//
// A worker (a file transfer, say) reports to the window that started it by
// sending a message number with two parameters; Send returns once the
// receiver has handled the message on the receiver's own thread, so the
// worker goes on only after its report has been seen. The GUI layer supplies
// a window-backed target; tests supply their own.
#pragma once

#include <cstdint>

namespace platform {

class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  virtual std::intptr_t Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
};

}  // namespace platform
