// libcurl backend of FtpClient: a fresh easy handle per retrieval (no
// connection is kept), run on a multi handle whose wait this client
// controls, so the total deadline and a cancellation end it within one
// short wait, whatever the server does.
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <mutex>

#include "platform/http/CurlTransfer.h"
#include "platform/http/FtpClient.h"

namespace platform::http {
namespace {

using Clock = curl::Clock;

std::string EscapePart(std::string_view part) {
  static const char* kHex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : part) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '.' || c == '_' || c == '~';
    if (plain) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  return out;
}

struct Transfer {
  CURL* handle = nullptr;
  const FtpSink* sink = nullptr;
  curl::ReadClock clock;  // the read time-out
  const std::function<void(std::uint64_t)>* onSize = nullptr;
  bool sinkStopped = false;
  bool sizeTold = false;

  void TellSize() {
    if (sizeTold) return;
    sizeTold = true;
    curl_off_t size = -1;
    if (curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size) == CURLE_OK && size >= 0 && *onSize) {
      (*onSize)(static_cast<std::uint64_t>(size));
    }
  }

  static size_t OnData(char* data, size_t size, size_t count, void* self) {
    auto* t = static_cast<Transfer*>(self);
    const size_t n = size * count;
    t->TellSize();
    if (!(*t->sink)(std::string_view(data, n))) {
      t->sinkStopped = true;
      return 0;
    }
    return n;
  }

  // The read time-out: from the moment the connection stands, reset by
  // every byte of the file that arrives.
  static int OnProgress(void* self, curl_off_t, curl_off_t received, curl_off_t, curl_off_t) {
    return static_cast<Transfer*>(self)->clock.Expired(received) ? 1 : 0;  // 1 aborts the transfer
  }
};

class CurlFtpClient final : public FtpClient {
 public:
  explicit CurlFtpClient(const FtpOptions& options) : options_(options) { curl::InitOnce(); }

  common::Result<void> Retrieve(const FtpServer& server, const std::string& path, const FtpSink& sink,
                                const std::function<void(std::uint64_t)>& onSize, std::stop_token cancel,
                                std::chrono::milliseconds totalTimeout) override {
    if (auto refused = RefuseFtpTarget(server, path)) return *refused;
    const auto deadline = Clock::now() + totalTimeout;
    std::string url = "ftp://" + server.host + ":" + std::to_string(server.port);
    std::size_t start = 0;
    for (;;) {
      const std::size_t slash = path.find('/', start);
      url += "/" + EscapePart(std::string_view(path).substr(start, slash == std::string::npos ? std::string::npos
                                                                                               : slash - start));
      if (slash == std::string::npos) break;
      start = slash + 1;
    }

    CURL* h = curl_easy_init();
    CURLM* multi = curl_multi_init();
    if (h == nullptr || multi == nullptr) {
      if (h) curl_easy_cleanup(h);
      if (multi) curl_multi_cleanup(multi);
      return MakeFtpError(FtpError::kTransfer, server, "libcurl 초기화 실패");
    }
    Transfer t;
    t.handle = h;
    t.sink = &sink;
    t.onSize = &onSize;
    t.clock.Start(h, options_.readTimeout);

    const long responseSeconds = std::max<long>(1, static_cast<long>((options_.readTimeout.count() + 999) / 1000));
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(h, CURLOPT_USERNAME, server.user.c_str());
    curl_easy_setopt(h, CURLOPT_PASSWORD, server.password.c_str());
    curl_easy_setopt(h, CURLOPT_FTP_USE_EPSV, 1L);
    // The data connection goes to the server's own address whatever a PASV
    // reply names (a hostile reply could point it elsewhere).
    curl_easy_setopt(h, CURLOPT_FTP_SKIP_PASV_IP, 1L);
    curl_easy_setopt(h, CURLOPT_TRANSFERTEXT, 0L);
    curl::SetCommonOptions(h);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options_.connectTimeout.count()));
    curl_easy_setopt(h, CURLOPT_SERVER_RESPONSE_TIMEOUT, responseSeconds);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Transfer::OnData);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &Transfer::OnProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &t);

    const curl::Outcome outcome = curl::RunTransfer(multi, h, deadline, cancel);
    const curl::End end = outcome.end;
    const CURLcode code = outcome.code;
    if (end == curl::End::kDone && code == CURLE_OK) t.TellSize();  // an empty file sends no piece
    curl_multi_remove_handle(multi, h);
    curl_easy_cleanup(h);
    curl_multi_cleanup(multi);

    if (end == curl::End::kCancelled) return MakeFtpError(FtpError::kCancelled, server, "");
    if (end == curl::End::kDeadline) {
      return MakeFtpError(FtpError::kTimeout, server, "전체 제한 시간 " + std::to_string(totalTimeout.count()) + "ms 초과");
    }
    if (code == CURLE_OK) return common::Ok();
    if (t.clock.timedOut) {
      return MakeFtpError(FtpError::kTimeout, server,
                          "읽기 제한 시간 " + std::to_string(options_.readTimeout.count()) + "ms 초과");
    }
    if (t.sinkStopped) return MakeFtpError(FtpError::kTransfer, server, "받는 쪽에서 중단");
    const std::string detail = "curl 오류 " + std::to_string(static_cast<int>(code));
    switch (code) {
      case CURLE_COULDNT_RESOLVE_HOST:
      case CURLE_COULDNT_RESOLVE_PROXY:
      case CURLE_COULDNT_CONNECT:
        return MakeFtpError(FtpError::kConnect, server, detail);
      case CURLE_OPERATION_TIMEDOUT:
        return MakeFtpError(t.clock.connected ? FtpError::kTimeout : FtpError::kConnect, server, detail);
      case CURLE_LOGIN_DENIED:
        return MakeFtpError(FtpError::kLogin, server, detail);
      case CURLE_REMOTE_FILE_NOT_FOUND:
      case CURLE_FTP_COULDNT_RETR_FILE:
      case CURLE_REMOTE_ACCESS_DENIED:
        return MakeFtpError(FtpError::kNoFile, server, detail);
      case CURLE_URL_MALFORMAT:
        return MakeFtpError(FtpError::kBadAddress, server, detail);
      default:
        return MakeFtpError(FtpError::kTransfer, server, detail);
    }
  }

 private:
  FtpOptions options_;
};

}  // namespace

std::unique_ptr<FtpClient> CreateFtpClient(const FtpOptions& options) {
  return std::make_unique<CurlFtpClient>(options);
}

}  // namespace platform::http
