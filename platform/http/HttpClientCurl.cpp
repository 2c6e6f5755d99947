// libcurl backend of HttpClient: one easy handle per client, so the cookie
// engine's jar lives as long as the client; no connection is kept between
// requests. The transfer runs on a multi handle whose wait this client
// controls, so the total deadline and a cancellation end it within one
// short wait, whatever the server does.
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <mutex>

#include "platform/http/CurlTransfer.h"
#include "platform/http/HttpClient.h"

namespace platform::http {
namespace {

using Clock = curl::Clock;

class CurlHttpClient final : public HttpClient {
 public:
  explicit CurlHttpClient(const HttpOptions& options) : options_(options) {
    curl::InitOnce();
    handle_ = curl_easy_init();
    multi_ = curl_multi_init();
  }
  ~CurlHttpClient() override {
    if (multi_ != nullptr) curl_multi_cleanup(multi_);
    if (handle_ != nullptr) curl_easy_cleanup(handle_);
  }

  using HttpClient::Get;
  common::Result<std::string> Get(const std::string& url, std::stop_token cancel) override {
    std::unique_lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) return MakeHttpError(HttpError::kBusy, url, "");
    return CollectBody(url, options_.maxBodyBytes,
                       [&](const BodySink& sink) { return Transfer(url, cancel, options_.totalTimeout, sink); });
  }

  common::Result<void> GetStream(const std::string& url, const BodySink& sink, std::stop_token cancel,
                                 std::chrono::milliseconds totalTimeout) override {
    std::unique_lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) return MakeHttpError(HttpError::kBusy, url, "");
    // libcurl hands over the body of an error status too: it never reaches
    // the caller's sink, and the transfer ends with the status's error.
    bool checked = false;
    bool errorStatus = false;
    const BodySink filtered = [&](std::string_view piece) {
      if (!checked) {
        long status = 0;
        curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &status);
        errorStatus = status >= 400;
        checked = true;
      }
      return errorStatus || sink(piece);
    };
    return Transfer(url, cancel, totalTimeout, filtered);
  }

 private:
  struct TransferState {
    CURL* handle = nullptr;
    const BodySink* sink = nullptr;
    curl::ReadClock clock;  // the read time-out
    bool sinkStopped = false;

    static size_t OnData(char* data, size_t size, size_t count, void* self) {
      auto* t = static_cast<TransferState*>(self);
      const size_t n = size * count;
      if (!(*t->sink)(std::string_view(data, n))) {
        t->sinkStopped = true;
        return 0;  // makes libcurl stop with a write error
      }
      return n;
    }

    // The read time-out: the clock starts once the connection stands and is
    // reset by every byte that arrives.
    static int OnProgress(void* self, curl_off_t, curl_off_t received, curl_off_t, curl_off_t) {
      return static_cast<TransferState*>(self)->clock.Expired(received) ? 1 : 0;  // 1 aborts the transfer
    }
  };

  // GET `url`, the body handed to `sink` piece by piece; ends with kTimeout
  // once `allowed` has passed and with kCancelled once `cancel` is requested.
  common::Result<void> Transfer(const std::string& url, std::stop_token cancel, std::chrono::milliseconds allowed,
                                const BodySink& sink) {
    const auto deadline = Clock::now() + allowed;
    if (handle_ == nullptr || multi_ == nullptr) {
      return MakeHttpError(HttpError::kTransfer, url, "libcurl 초기화 실패");
    }
    if (auto refused = RefuseAddress(url, options_.tls)) return *refused;

    TransferState transfer;
    transfer.sink = &sink;
    transfer.handle = handle_;
    transfer.clock.Start(handle_, options_.readTimeout);

    CURL* h = handle_;
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    curl::SetCommonOptions(h);
    curl_easy_setopt(h, CURLOPT_COOKIEFILE, "");  // in-memory cookie jar for this client
    curl_easy_setopt(h, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(h, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options_.connectTimeout.count()));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &TransferState::OnData);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &TransferState::OnProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(h, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2));
    if (!options_.caFile.empty()) curl_easy_setopt(h, CURLOPT_CAINFO, options_.caFile.c_str());

    const curl::Outcome outcome = curl::RunTransfer(multi_, h, deadline, cancel);
    const curl::End end = outcome.end;
    const CURLcode code = outcome.code;
    curl_multi_remove_handle(multi_, h);
    if (end == curl::End::kCancelled) return MakeHttpError(HttpError::kCancelled, url, "");
    if (end == curl::End::kDeadline) {
      return MakeHttpError(HttpError::kTimeout, url,
                           "전체 제한 시간 " + std::to_string(allowed.count()) + "ms 초과");
    }
    if (code != CURLE_OK) return Failure(url, code, transfer);

    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 400) {
      return MakeHttpError(HttpError::kStatus, url, "HTTP 상태 " + std::to_string(status));
    }
    return common::Ok();
  }

  common::Error Failure(const std::string& url, CURLcode code, const TransferState& t) const {
    if (t.clock.timedOut) {
      return MakeHttpError(HttpError::kTimeout, url,
                           "읽기 제한 시간 " + std::to_string(options_.readTimeout.count()) + "ms 초과");
    }
    if (t.sinkStopped) return MakeHttpError(HttpError::kTransfer, url, "받는 쪽에서 중단");
    const std::string detail = "curl 오류 " + std::to_string(static_cast<int>(code));
    switch (code) {
      case CURLE_COULDNT_RESOLVE_HOST:
      case CURLE_COULDNT_RESOLVE_PROXY:
      case CURLE_COULDNT_CONNECT:
      case CURLE_OPERATION_TIMEDOUT:
        return MakeHttpError(HttpError::kConnect, url, detail);
      case CURLE_SSL_CONNECT_ERROR:
      case CURLE_PEER_FAILED_VERIFICATION:
      case CURLE_SSL_CACERT_BADFILE:
      case CURLE_SSL_CERTPROBLEM:
      case CURLE_SSL_CIPHER:
      case CURLE_SSL_ISSUER_ERROR:
        return MakeHttpError(HttpError::kTls, url, detail);
      case CURLE_URL_MALFORMAT:
      case CURLE_UNSUPPORTED_PROTOCOL:
        return MakeHttpError(HttpError::kBadUrl, url, detail);
      default:
        return MakeHttpError(HttpError::kTransfer, url, detail);
    }
  }

  HttpOptions options_;
  CURL* handle_ = nullptr;
  CURLM* multi_ = nullptr;
  std::mutex mutex_;
};

}  // namespace

std::unique_ptr<HttpClient> CreateHttpClient(const HttpOptions& options) {
  return std::make_unique<CurlHttpClient>(options);
}

}  // namespace platform::http
