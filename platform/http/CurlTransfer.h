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
