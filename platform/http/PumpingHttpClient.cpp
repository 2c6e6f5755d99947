#include "platform/http/PumpingHttpClient.h"

#include <optional>

namespace platform::http {

PumpingHttpClient::PumpingHttpClient(std::unique_ptr<HttpClient> inner, Runner runner)
    : inner_(std::move(inner)), runner_(std::move(runner)) {}

common::Result<std::string> PumpingHttpClient::Get(const std::string& url, std::stop_token cancel) {
  if (busy_.exchange(true)) {
    return MakeHttpError(HttpError::kBusy, url, "");
  }
  // Everything the request touches, owned by the request itself.
  struct Request {
    std::shared_ptr<HttpClient> client;
    std::string url;
    std::stop_source stop;
    std::optional<common::Result<std::string>> result;
  };
  auto request = std::make_shared<Request>();
  request->client = inner_;
  request->url = url;
  std::stop_callback forward(cancel, [request] { request->stop.request_stop(); });

  const bool finished = runner_(
      [request] { request->result.emplace(request->client->Get(request->url, request->stop.get_token())); },
      [request] { request->stop.request_stop(); });
  busy_ = false;
  if (!finished || !request->result) return MakeHttpError(HttpError::kCancelled, url, "");
  return std::move(*request->result);
}

common::Result<void> PumpingHttpClient::GetStream(const std::string& url, const BodySink& sink,
                                                  std::stop_token cancel, std::chrono::milliseconds totalTimeout) {
  if (busy_.exchange(true)) return MakeHttpError(HttpError::kBusy, url, "");
  auto done = inner_->GetStream(url, sink, std::move(cancel), totalTimeout);
  busy_ = false;
  return done;
}

}  // namespace platform::http
