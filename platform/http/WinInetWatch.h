// Ends a WinINet request from outside while one of its calls blocks: the
// deadline and the caller's cancellation for the HTTP and FTP clients.
#pragma once

#include <windows.h>
#include <wininet.h>

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
class RequestWatch {
 public:
  enum class Reason { kNone, kDeadline, kCancelled };

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

 private:
  void Watch() {
    std::unique_lock lock(mutex_);
    changed_.wait_until(lock, deadline_, [&] { return finished_ || cancel_.stop_requested(); });
    if (finished_) return;
    reason_ = cancel_.stop_requested() ? Reason::kCancelled : Reason::kDeadline;
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
  std::thread thread_;
};

}  // namespace platform::http
