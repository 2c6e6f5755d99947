// Ends a WinINet request from outside while one of its calls blocks: the
// deadline and the caller's cancellation for the HTTP and FTP clients.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

namespace platform::http {

// Ends a request from outside while a WinINet call blocks on it: at the
// deadline or when the caller cancels, the request's handles are closed
// (which makes the blocked call fail) on a thread of the watch's own. The
// transfer loop looks at fired() after every call, so a call that ended
// for this reason is reported as the time-out or the cancellation.
// With an idle limit (SetIdle) it also fires when no Touch() came for that
// long: a read time-out of its own, for WinINet calls that do not keep one.
class RequestWatch {
 public:
  enum class Reason { kNone, kDeadline, kCancelled, kIdle };

  RequestWatch(std::chrono::steady_clock::time_point deadline, std::stop_token cancel)
      : deadline_(deadline), cancel_(std::move(cancel)),
        wake_(cancel_, [this] {
          std::lock_guard lock(mutex_);
          changed_.notify_all();
        }),
        thread_([this] { Watch(); }) {}
  ~RequestWatch() {
    {
      std::lock_guard lock(mutex_);
      finished_ = true;
    }
    changed_.notify_all();
    thread_.join();
    std::lock_guard lock(mutex_);
    for (HINTERNET h : handles_) InternetCloseHandle(h);
  }
  RequestWatch(const RequestWatch&) = delete;
  RequestWatch& operator=(const RequestWatch&) = delete;

  // The handles the watch closes when it fires, and otherwise at its end,
  // children last (they are closed first).
  void Own(HINTERNET h) {
    std::lock_guard lock(mutex_);
    if (reason_ != Reason::kNone) {
      InternetCloseHandle(h);
      return;
    }
    handles_.insert(handles_.begin(), h);
  }
  Reason fired() {
    std::lock_guard lock(mutex_);
    return reason_;
  }
  // The idle limit from now on (zero: none), counted from now.
  void SetIdle(std::chrono::milliseconds idle) {
    std::lock_guard lock(mutex_);
    idle_ = idle;
    lastActivity_ = std::chrono::steady_clock::now();
    changed_.notify_all();
  }
  // Something arrived: the idle limit starts again.
  void Touch() {
    std::lock_guard lock(mutex_);
    lastActivity_ = std::chrono::steady_clock::now();
  }

 private:
  void Watch() {
    std::unique_lock lock(mutex_);
    for (;;) {
      auto until = deadline_;
      if (idle_.count() > 0) until = std::min(until, lastActivity_ + idle_);
      const auto seenIdle = idle_;
      if (changed_.wait_until(lock, until,
                              [&] { return finished_ || cancel_.stop_requested() || idle_ != seenIdle; })) {
        if (finished_) return;
        if (cancel_.stop_requested()) {
          reason_ = Reason::kCancelled;
          break;
        }
        continue;  // a new idle limit
      }
      const auto now = std::chrono::steady_clock::now();
      if (now >= deadline_) {
        reason_ = Reason::kDeadline;
        break;
      }
      if (idle_.count() > 0 && now >= lastActivity_ + idle_) {
        reason_ = Reason::kIdle;
        break;
      }
    }
    for (HINTERNET h : handles_) InternetCloseHandle(h);
    handles_.clear();
  }

  std::chrono::steady_clock::time_point deadline_;
  std::stop_token cancel_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::stop_callback<std::function<void()>> wake_;
  std::vector<HINTERNET> handles_;
  Reason reason_ = Reason::kNone;
  bool finished_ = false;
  std::chrono::milliseconds idle_{0};
  std::chrono::steady_clock::time_point lastActivity_ = std::chrono::steady_clock::now();
  std::thread thread_;
};

}  // namespace platform::http
