// Runs each request of another client off the calling thread while that
// thread goes on handling its own messages, so a window stays responsive
// (repaints, timers, clicks) while a request blocks its handler.
//
// Only one request runs at a time: a handler re-entered through a message
// handled during the wait gets HttpError::kBusy instead of a second request.
// When the caller's loop ends during a request (the program is closing),
// the request is cancelled and the caller gets kCancelled at once; the
// request ends on its own, touching only what it owns.
#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include "platform/http/HttpClient.h"

namespace platform::http {

class PumpingHttpClient final : public HttpClient {
 public:
  // Runs `work` on another thread while the caller's messages are handled,
  // and returns true once it has ended. When the caller's loop ends first,
  // it calls `cancel` and returns false without waiting for the work any
  // longer. The GUI layer's "run off the GUI thread" is one.
  using Runner = std::function<bool(std::function<void()> work, const std::function<void()>& cancel)>;

  PumpingHttpClient(std::unique_ptr<HttpClient> inner, Runner runner);

  using HttpClient::Get;
  common::Result<std::string> Get(const std::string& url, std::stop_token cancel) override;
  // A stream's sink belongs to its caller, so a stream is not left to end
  // by itself: it runs on the calling thread, which handles no messages
  // meanwhile. Streams are for worker threads (the channel fetch has one).
  common::Result<void> GetStream(const std::string& url, const BodySink& sink, std::stop_token cancel,
                                 std::chrono::milliseconds totalTimeout) override;
  bool busy() const { return busy_.load(); }

 private:
  std::shared_ptr<HttpClient> inner_;  // shared with a request that is left to end by itself
  Runner runner_;
  std::atomic<bool> busy_{false};
};

}  // namespace platform::http
