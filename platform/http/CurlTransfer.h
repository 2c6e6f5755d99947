// The libcurl backends' one way to run a transfer: on a multi handle whose
// wait this program controls, so a total deadline and a stop from any thread
// end it within one short wait, whatever the server does.
#pragma once

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <stop_token>

namespace platform::http::curl {

using Clock = std::chrono::steady_clock;

// Longest single wait of the loop.
inline constexpr std::chrono::milliseconds kLoopWait{100};

inline void InitOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The read time-out of a transfer: the clock starts once the connection
// stands and is reset by every byte that arrives. Fed from the progress
// callback; `Expired` true aborts the transfer.
struct ReadClock {
  CURL* handle = nullptr;
  std::chrono::milliseconds readTimeout{};
  Clock::time_point lastActivity;
  curl_off_t lastReceived = -1;
  bool connected = false;
  bool timedOut = false;

  void Start(CURL* easy, std::chrono::milliseconds timeout) {
    handle = easy;
    readTimeout = timeout;
    lastActivity = Clock::now();
  }

  bool Expired(curl_off_t received) {
    const auto now = Clock::now();
    if (!connected) {
      curl_off_t connectTime = 0;
      curl_easy_getinfo(handle, CURLINFO_CONNECT_TIME_T, &connectTime);
      if (connectTime <= 0) return false;
      connected = true;
      lastActivity = now;
    }
    if (received != lastReceived) {
      lastReceived = received;
      lastActivity = now;
      return false;
    }
    if (now - lastActivity > readTimeout) timedOut = true;
    return timedOut;
  }
};

// Options every transfer of this program sets. Host name lookup: libcurl
// resolves on a thread of its own, and by default waits for that thread
// when a transfer ends early (the connect time-out, our deadline, a stop),
// which behind a name server that never answers is the resolver's own
// minute and more, inside curl_multi_perform or curl_multi_remove_handle.
// With CURLOPT_QUICK_EXIT (libcurl 7.87 and later) it leaves the thread to
// end by itself instead; the connect time-out covers the lookup.
inline void SetCommonOptions(CURL* easy) {
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
#if LIBCURL_VERSION_NUM >= 0x075700
  curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
#else
#error "libcurl 7.87 or later is needed: an earlier one waits for its resolver past every limit"
#endif
}

enum class End { kDone, kDeadline, kCancelled };

struct Outcome {
  End end = End::kDone;
  CURLcode code = CURLE_OK;  // the transfer's own result when it ended by itself
};

// Runs `easy` on `multi` until it ends, the deadline passes or a stop is
// requested. The easy handle is added here and left on the multi handle.
inline Outcome RunTransfer(CURLM* multi, CURL* easy, Clock::time_point deadline, std::stop_token cancel) {
  Outcome out;
  curl_multi_add_handle(multi, easy);
  std::stop_callback wake(cancel, [multi] { curl_multi_wakeup(multi); });
  for (;;) {
    int running = 0;
    if (curl_multi_perform(multi, &running) != CURLM_OK) {
      out.code = CURLE_FAILED_INIT;
      return out;
    }
    if (running == 0) {
      int left = 0;
      while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy) out.code = message->data.result;
      }
      return out;
    }
    if (cancel.stop_requested()) {
      out.end = End::kCancelled;
      return out;
    }
    const auto now = Clock::now();
    if (now >= deadline) {
      out.end = End::kDeadline;
      return out;
    }
    const auto wait = std::min<Clock::duration>(kLoopWait, deadline - now);
    curl_multi_poll(multi, nullptr, 0, static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(wait).count()),
                    nullptr);
  }
}

}  // namespace platform::http::curl
