// A MessageTarget for tests: records every report and lets a test wait for
// the end of a transfer and act on a report while the worker waits.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/MessageTarget.h"

namespace orvel::testing {

struct Report {
  std::uint32_t message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
  bool operator==(const Report&) const = default;
};

class RecordingTarget : public platform::MessageTarget {
 public:
  std::intptr_t Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
    if (onReport) onReport(Report{message, wParam, lParam});
    std::lock_guard lock(mutex_);
    reports_.push_back({message, wParam, lParam});
    changed_.notify_all();
    return 0;
  }

  // Waits for a 2 or a 3; false after the time-out.
  bool WaitForEnd(std::chrono::seconds limit = std::chrono::seconds(30)) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] {
      return !reports_.empty() && (reports_.back().wParam == 2 || reports_.back().wParam == 3);
    });
  }

  std::vector<Report> reports() {
    std::lock_guard lock(mutex_);
    return reports_;
  }

  // Runs on the worker's thread inside Send, before the report is recorded.
  std::function<void(const Report&)> onReport;

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Report> reports_;
};

}  // namespace orvel::testing
