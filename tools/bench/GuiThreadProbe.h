// For benchmarks: how long the GUI thread stays away from its message loop.
// While it runs, a thread of its own queues a call for the GUI thread every
// millisecond; each call notes how long it waited. The longest wait is an
// upper bound of the longest single handler (it also holds any other delay
// of the thread, such as a busy machine's scheduler), within a millisecond.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "platform/gui/Application.h"

namespace benchsupport {

class GuiThreadProbe {
 public:
  explicit GuiThreadProbe(gui::Application& app) : app_(app) {
    thread_ = std::thread([queue = app.WorkerQueue(), running = running_, longest = longest_] {
      while (*running) {
        const auto queued = std::chrono::steady_clock::now();
        const bool posted = queue->PostCall([longest, queued] {
          const double waited =
              std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - queued).count();
          double seen = longest->load();
          while (waited > seen && !longest->compare_exchange_weak(seen, waited)) {
          }
        });
        if (!posted) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    });
  }
  ~GuiThreadProbe() { Stop(); }
  GuiThreadProbe(const GuiThreadProbe&) = delete;
  GuiThreadProbe& operator=(const GuiThreadProbe&) = delete;

  // The longest wait of the calls that have run so far; any thread may
  // ask. A call queued after a stretch of the GUI thread runs after the
  // calls queued during it, so a call of its own that reads this sees that
  // stretch.
  double Longest() const { return longest_->load(); }

  // Ends the probe once the GUI thread has taken the calls still queued;
  // the longest wait in milliseconds. Call it on the GUI thread.
  double Stop() {
    if (thread_.joinable()) {
      *running_ = false;
      thread_.join();
      app_.DrainWorkerCalls();
    }
    return longest_->load();
  }

 private:
  gui::Application& app_;
  std::shared_ptr<std::atomic<bool>> running_ = std::make_shared<std::atomic<bool>>(true);
  std::shared_ptr<std::atomic<double>> longest_ = std::make_shared<std::atomic<double>>(0.0);
  std::thread thread_;
};

}  // namespace benchsupport
