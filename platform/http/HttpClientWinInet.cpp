// WinINet backend of HttpClient. One session handle per client: WinINet
// keeps the session cookies of the replies in the process and sends them
// back, so they live for the run. Each request gets its own connection
// ("Connection: close", no keep-alive flag), closed with its handles.
#include <windows.h>
#include <wininet.h>
#define SECURITY_WIN32
#include <schannel.h>
#include <security.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "platform/http/HttpClient.h"
#include "platform/http/WinInetWatch.h"

namespace platform::http {
namespace {

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// What WinINet tells of a secure connection once the request is out
// (query option 66; the headers here do not declare it).
constexpr DWORD kOptionSecurityConnectionInfo = 66;
struct SecurityConnectionInfo {
  DWORD dwSize;
  BOOL fSecure;
  SecPkgContext_ConnectionInfo connectionInfo;
  SecPkgContext_CipherInfo cipherInfo;
};
constexpr DWORD kOlderThanTls12 = SP_PROT_SSL2_CLIENT | SP_PROT_SSL3_CLIENT | SP_PROT_TLS1_0_CLIENT |
                                  SP_PROT_TLS1_1_CLIENT;

// True when the connection is known to run a protocol older than TLS 1.2.
// WinINet offers what the system allows; a WinINet that cannot tell is
// left to the system's policy.
bool NegotiatedOlderThanTls12(HINTERNET request) {
  SecurityConnectionInfo info{};
  info.dwSize = sizeof info;
  DWORD size = sizeof info;
  if (!InternetQueryOptionW(request, kOptionSecurityConnectionInfo, &info, &size)) return false;
  return (info.connectionInfo.dwProtocol & kOlderThanTls12) != 0;
}

// The addresses this client sends are ASCII (query values are
// percent-encoded by the caller); anything else is refused.
bool ToWide(const std::string& text, std::wstring& out) {
  out.clear();
  for (unsigned char c : text) {
    if (c < 0x20 || c > 0x7E) return false;
    out.push_back(static_cast<wchar_t>(c));
  }
  return true;
}

std::string WinInetDetail(DWORD error) { return "WinINet 오류 " + std::to_string(error); }

common::Error Failure(const std::string& url, DWORD error) {
  const std::string detail = WinInetDetail(error);
  switch (error) {
    case ERROR_INTERNET_TIMEOUT:
    case WSAETIMEDOUT:  // what Wine's WinINet reports when a reply stops in the middle of its body
      return MakeHttpError(HttpError::kTimeout, url, detail);
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
    case ERROR_INTERNET_CANNOT_CONNECT:
      return MakeHttpError(HttpError::kConnect, url, detail);
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
    case ERROR_INTERNET_INVALID_CA:
    case ERROR_INTERNET_SEC_CERT_ERRORS:
    case ERROR_INTERNET_SEC_CERT_REVOKED:
    case ERROR_INTERNET_SECURITY_CHANNEL_ERROR:
    case ERROR_INTERNET_SEC_INVALID_CERT:
      return MakeHttpError(HttpError::kTls, url, detail);
    case ERROR_INTERNET_INVALID_URL:
    case ERROR_INTERNET_UNRECOGNIZED_SCHEME:
      return MakeHttpError(HttpError::kBadUrl, url, detail);
    default:
      return MakeHttpError(HttpError::kTransfer, url, detail);
  }
}

class WinInetHttpClient final : public HttpClient {
 public:
  explicit WinInetHttpClient(const HttpOptions& options) : options_(options) {
    session_ = InternetOpenW(L"Orvel", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (session_ != nullptr) {
      DWORD connect = static_cast<DWORD>(options_.connectTimeout.count());
      DWORD read = static_cast<DWORD>(options_.readTimeout.count());
      InternetSetOptionW(session_, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
      InternetSetOptionW(session_, INTERNET_OPTION_RECEIVE_TIMEOUT, &read, sizeof read);
      InternetSetOptionW(session_, INTERNET_OPTION_SEND_TIMEOUT, &read, sizeof read);
      InternetSetOptionW(session_, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &read, sizeof read);
    }
  }
  ~WinInetHttpClient() override {
    if (session_ != nullptr) InternetCloseHandle(session_);
  }

  using HttpClient::Get;
  common::Result<std::string> Get(const std::string& url, std::stop_token cancel) override {
    std::unique_lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) return MakeHttpError(HttpError::kBusy, url, "");
    return CollectBody(url, options_.maxBodyBytes,
                       [&](const BodySink& sink) { return Transfer(url, cancel, options_.totalTimeout, sink); });
  }

  // The status is read before the body, so an error status never reaches
  // the sink.
  common::Result<void> GetStream(const std::string& url, const BodySink& sink, std::stop_token cancel,
                                 std::chrono::milliseconds totalTimeout) override {
    std::unique_lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) return MakeHttpError(HttpError::kBusy, url, "");
    return Transfer(url, cancel, totalTimeout, sink);
  }

 private:
  // GET `url`, the body handed to `sink` piece by piece as it arrives; ends
  // with kTimeout once `allowed` has passed and with kCancelled once
  // `cancel` is requested, also while a WinINet call blocks.
  common::Result<void> Transfer(const std::string& url, std::stop_token cancel, std::chrono::milliseconds allowed,
                                const BodySink& sink) {
    const auto deadline = std::chrono::steady_clock::now() + allowed;
    if (session_ == nullptr) return Failure(url, GetLastError());
    if (auto refused = RefuseAddress(url, options_.tls)) return *refused;
    const bool https = StartsWith(url, "https://");
    std::wstring wideUrl;
    if (!ToWide(url, wideUrl)) return MakeHttpError(HttpError::kBadUrl, url, "주소에 쓸 수 없는 문자");

    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    wchar_t host[256] = {};
    std::vector<wchar_t> path(wideUrl.size() + 2);
    std::vector<wchar_t> extra(wideUrl.size() + 2);
    parts.lpszHostName = host;
    parts.dwHostNameLength = 256;
    parts.lpszUrlPath = path.data();
    parts.dwUrlPathLength = static_cast<DWORD>(path.size());
    parts.lpszExtraInfo = extra.data();
    parts.dwExtraInfoLength = static_cast<DWORD>(extra.size());
    if (!InternetCrackUrlW(wideUrl.c_str(), 0, 0, &parts) || host[0] == 0) {
      return MakeHttpError(HttpError::kBadUrl, url, "주소를 해석할 수 없음");
    }
    std::wstring object = std::wstring(path.data()) + extra.data();
    if (object.empty()) object = L"/";

    RequestWatch watch(deadline, cancel);
    const ULONGLONG sent = GetTickCount64();
    // Why a call failed: the watch's reason when it closed the handles,
    // else WinINet's error. Some WinINet builds report a receive time-out
    // as an aborted connection; one that ends after the time allowed is the
    // time-out.
    auto failure = [&](DWORD error) {
      switch (watch.fired()) {
        case RequestWatch::Reason::kCancelled:
          return MakeHttpError(HttpError::kCancelled, url, "");
        case RequestWatch::Reason::kDeadline:
          return MakeHttpError(HttpError::kTimeout, url,
                               "전체 제한 시간 " + std::to_string(allowed.count()) + "ms 초과");
        case RequestWatch::Reason::kIdle:  // this client sets no idle limit
        case RequestWatch::Reason::kNone: break;
      }
      const bool waitedOut = GetTickCount64() - sent >= static_cast<ULONGLONG>(options_.readTimeout.count());
      if (waitedOut && (error == ERROR_INTERNET_CONNECTION_ABORTED || error == ERROR_INTERNET_CONNECTION_RESET)) {
        error = ERROR_INTERNET_TIMEOUT;
      }
      return Failure(url, error);
    };

    HINTERNET connection = InternetConnectW(session_, host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    if (connection == nullptr) return failure(GetLastError());
    watch.Own(connection);

    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                  INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTO_REDIRECT;
    if (https) flags |= INTERNET_FLAG_SECURE;  // certificate checks stay on
    HINTERNET request = HttpOpenRequestW(connection, L"GET", object.c_str(), nullptr, nullptr, nullptr, flags, 0);
    if (request == nullptr) return failure(GetLastError());
    watch.Own(request);
    // The time-outs again on the request itself: not every WinINet hands the
    // session's values down to its requests.
    DWORD connectMs = static_cast<DWORD>(options_.connectTimeout.count());
    DWORD readMs = static_cast<DWORD>(options_.readTimeout.count());
    InternetSetOptionW(request, INTERNET_OPTION_CONNECT_TIMEOUT, &connectMs, sizeof connectMs);
    InternetSetOptionW(request, INTERNET_OPTION_RECEIVE_TIMEOUT, &readMs, sizeof readMs);
    InternetSetOptionW(request, INTERNET_OPTION_SEND_TIMEOUT, &readMs, sizeof readMs);
    static const wchar_t kHeaders[] = L"Connection: close\r\n";
    if (!HttpSendRequestW(request, kHeaders, static_cast<DWORD>(-1L), nullptr, 0)) {
      return failure(GetLastError());
    }
    if (watch.fired() != RequestWatch::Reason::kNone) return failure(0);
    if (https && NegotiatedOlderThanTls12(request)) {
      return MakeHttpError(HttpError::kTls, url, "서버가 TLS 1.2 미만만 제공");
    }

    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
      return failure(GetLastError());
    }
    if (status >= 400) {
      return MakeHttpError(HttpError::kStatus, url, "HTTP 상태 " + std::to_string(status));
    }

    // A blocking read waits until its whole buffer is filled, so each read
    // asks only for what has arrived: the watch and the checks between the
    // reads then see a trickling reply.
    char buffer[8192];
    for (;;) {
      if (watch.fired() != RequestWatch::Reason::kNone) return failure(0);
      DWORD available = 0;
      if (!InternetQueryDataAvailable(request, &available, 0, 0)) return failure(GetLastError());
      if (available == 0) break;
      DWORD got = 0;
      if (!InternetReadFile(request, buffer, std::min<DWORD>(available, sizeof buffer), &got)) {
        return failure(GetLastError());
      }
      if (got == 0) break;
      if (!sink(std::string_view(buffer, got))) {
        return MakeHttpError(HttpError::kTransfer, url, "받는 쪽에서 중단");
      }
    }
    if (watch.fired() != RequestWatch::Reason::kNone) return failure(0);
    return common::Ok();
  }

  HttpOptions options_;
  HINTERNET session_ = nullptr;
  std::mutex mutex_;
};

}  // namespace

std::unique_ptr<HttpClient> CreateHttpClient(const HttpOptions& options) {
  return std::make_unique<WinInetHttpClient>(options);
}

}  // namespace platform::http
