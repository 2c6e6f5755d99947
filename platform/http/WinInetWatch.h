// Ends a WinINet request from outside while one of its calls blocks: the
// deadline and the caller's cancellation for the HTTP and FTP clients.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

namespace platform::http {

// Ends a request from outside while a WinINet call blocks on it: at the
// deadline, when the caller cancels, or when the connection does not stand
// within the connect limit (ArmConnect), the request's handles are closed
// (which makes the blocked call fail where WinINet allows it) on a thread of
// the watch's own. The transfer loop looks at fired() after every call, so
// a call that ended for this reason is reported as the time-out or the
// cancellation; a caller that cannot wait for a call that does not end
// (the system's host name lookup is not interrupted by a close) looks at
// fired() from another thread and leaves the call behind.
// With an idle limit (SetIdle) it also fires when no Touch() came for that
// long: a read time-out of its own, for WinINet calls that do not keep one.
class RequestWatch {
 public:
  enum class Reason { kNone, kDeadline, kCancelled, kIdle, kConnect };

  RequestWatch(std::chrono::steady_clock::time_point deadline, std::stop_token cancel)
      : deadline_(deadline), cancel_(std::move(cancel)),
        wake_(cancel_, [this] {
          std::lock_guard lock(mutex_);
          ++changes_;
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
    CloseAll();
  }
  RequestWatch(const RequestWatch&) = delete;
  RequestWatch& operator=(const RequestWatch&) = delete;

  // The handles the watch closes when it fires, and otherwise at its end,
  // children last (they are closed first).
  void Own(HINTERNET h) {
    std::unique_lock lock(mutex_);
    if (reason_ != Reason::kNone) {
      lock.unlock();
      InternetCloseHandle(h);
      return;
    }
    handles_.insert(handles_.begin(), h);
  }
  // Closes the handles now, on the calling thread.
  void CloseAll() {
    std::vector<HINTERNET> handles;
    {
      std::lock_guard lock(mutex_);
      handles.swap(handles_);
    }
    for (HINTERNET h : handles) InternetCloseHandle(h);
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
    ++changes_;
    changed_.notify_all();
  }
  // Something arrived: the idle limit starts again.
  void Touch() {
    std::lock_guard lock(mutex_);
    lastActivity_ = std::chrono::steady_clock::now();
  }
  // The connect limit: the watch fires (kConnect) unless Connected() comes
  // within `limit` from now. The host name lookup counts against it.
  void ArmConnect(std::chrono::milliseconds limit) {
    std::lock_guard lock(mutex_);
    connectBy_ = std::chrono::steady_clock::now() + limit;
    ++changes_;
    changed_.notify_all();
  }
  void Connected() {
    std::lock_guard lock(mutex_);
    connectBy_ = std::chrono::steady_clock::time_point::max();
    ++changes_;
    changed_.notify_all();
  }

  // WinINet's status callback for handles made with the watch as their
  // context (set it on the session with InternetSetStatusCallbackW): tells
  // the watch when the connection stands.
  static void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID, DWORD) {
    if (context == 0) return;
    switch (status) {
      case INTERNET_STATUS_CONNECTED_TO_SERVER:
      case INTERNET_STATUS_REQUEST_SENT:
      case INTERNET_STATUS_RESPONSE_RECEIVED:
        reinterpret_cast<RequestWatch*>(context)->Connected();
        break;
      default: break;
    }
  }
  DWORD_PTR context() { return reinterpret_cast<DWORD_PTR>(this); }

 private:
  void Watch() {
    std::unique_lock lock(mutex_);
    for (;;) {
      auto until = std::min(deadline_, connectBy_);
      if (idle_.count() > 0) until = std::min(until, lastActivity_ + idle_);
      const auto seen = changes_;
      if (changed_.wait_until(lock, until,
                              [&] { return finished_ || cancel_.stop_requested() || changes_ != seen; })) {
        if (finished_) return;
        if (cancel_.stop_requested()) {
          reason_ = Reason::kCancelled;
          break;
        }
        continue;  // a new limit
      }
      const auto now = std::chrono::steady_clock::now();
      if (now >= deadline_) {
        reason_ = Reason::kDeadline;
        break;
      }
      if (now >= connectBy_) {
        reason_ = Reason::kConnect;
        break;
      }
      if (idle_.count() > 0 && now >= lastActivity_ + idle_) {
        reason_ = Reason::kIdle;
        break;
      }
    }
    // Closed without the lock: a close may itself take long (a WinINet
    // that drains the rest of a reply), and the loop asks fired() meanwhile.
    lock.unlock();
    CloseAll();
  }

  std::chrono::steady_clock::time_point deadline_;
  std::stop_token cancel_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::stop_callback<std::function<void()>> wake_;
  std::vector<HINTERNET> handles_;
  Reason reason_ = Reason::kNone;
  bool finished_ = false;
  unsigned changes_ = 0;
  std::chrono::milliseconds idle_{0};
  std::chrono::steady_clock::time_point lastActivity_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point connectBy_ = std::chrono::steady_clock::time_point::max();
  std::thread thread_;
};

// Lets go of a reference to what holds a RequestWatch on a thread of its
// own: the last release joins the watch's thread, which may be inside a
// WinINet close that does not return (Wine's, draining an endless reply),
// and the caller must not wait for that.
template <class T>
void ReleaseAside(std::shared_ptr<T>& owner) {
  std::thread([held = std::move(owner)]() mutable { held.reset(); }).detach();
}

}  // namespace platform::http
