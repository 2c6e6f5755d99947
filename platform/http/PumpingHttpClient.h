// Runs each request of another client on a worker thread while the calling
// thread goes on handling its own messages, so a window stays responsive
// (repaints, timers, clicks) while a request blocks its handler.
//
// Only one request runs at a time: a handler re-entered through a message
// handled during the wait gets HttpError::kBusy instead of a second request.
#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include "platform/http/HttpClient.h"

namespace platform::http {

class PumpingHttpClient final : public HttpClient {
 public:
  // `processPendingMessages` runs on the calling thread again and again while
  // a request is under way; it handles what is waiting and returns. The GUI
  // layer passes its "process pending messages"; an empty function waits
  // without handling anything.
  PumpingHttpClient(std::unique_ptr<HttpClient> inner, std::function<void()> processPendingMessages);

  common::Result<std::string> Get(const std::string& url) override;
  bool busy() const { return busy_.load(); }

 private:
  std::unique_ptr<HttpClient> inner_;
  std::function<void()> processPendingMessages_;
  std::atomic<bool> busy_{false};
};

}  // namespace platform::http
