#include "platform/http/PumpingHttpClient.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace platform::http {

PumpingHttpClient::PumpingHttpClient(std::unique_ptr<HttpClient> inner,
                                     std::function<void()> processPendingMessages)
    : inner_(std::move(inner)), processPendingMessages_(std::move(processPendingMessages)) {}

common::Result<std::string> PumpingHttpClient::Get(const std::string& url) {
  if (busy_.exchange(true)) {
    return MakeHttpError(HttpError::kBusy, url, "");
  }
  struct Shared {
    std::mutex mutex;
    std::condition_variable done;
    std::optional<common::Result<std::string>> result;
  } shared;

  std::thread worker([&] {
    auto result = inner_->Get(url);
    std::lock_guard lock(shared.mutex);
    shared.result.emplace(std::move(result));
    shared.done.notify_one();
  });
  for (;;) {
    {
      std::unique_lock lock(shared.mutex);
      if (shared.done.wait_for(lock, std::chrono::milliseconds(10), [&] { return shared.result.has_value(); })) {
        break;
      }
    }
    if (processPendingMessages_) processPendingMessages_();
  }
  worker.join();
  busy_ = false;
  return std::move(*shared.result);
}

}  // namespace platform::http
