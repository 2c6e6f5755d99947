// For benchmarks: a report target that keeps only the last progress value,
// so a transfer thread's reports cost nothing beyond the call.
#pragma once

#include <cstdint>

#include "platform/MessageTarget.h"

namespace benchsupport {

class NullTarget : public platform::MessageTarget {
 public:
  std::intptr_t Send(std::uint32_t, std::uintptr_t w, std::intptr_t) override {
    last = w;
    return 0;
  }
  std::uintptr_t last = 0;
};

}  // namespace benchsupport
