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
#include <memory>
#include <mutex>
#include <optional>
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

// What a request shares with the thread that makes its WinINet calls. Not
// every WinINet ends a blocked call when its handles are closed (Wine's
// does not during a host name lookup, nor while it reads an endless
// chunked reply): the caller then returns at the deadline, the connect
// limit, a cancel or a refusing sink, and leaves the thread to end by
// itself. The body goes piece by piece from that thread to the caller,
// which hands it to its sink on its own thread; an abandoned thread hands
// over nothing more.
struct Exchange {
  std::mutex mutex;
  std::condition_variable changed;
  bool done = false;
  bool abandoned = false;
  common::Result<void> result = common::Ok();
  std::optional<std::string> piece;  // handed over, not yet taken
  std::unique_ptr<RequestWatch> watch;

  // On the request's thread: gives the piece over and waits until the
  // caller has taken it. False once the caller has left.
  bool HandOver(std::string_view data) {
    std::unique_lock lock(mutex);
    if (abandoned) return false;
    piece.emplace(data);
    changed.notify_all();
    changed.wait(lock, [&] { return !piece || abandoned; });
    return !abandoned;
  }
};

// The session handle, shared by the client and the threads of its
// requests: closed when the last of them is done with it.
using Session = std::shared_ptr<void>;

class WinInetHttpClient final : public HttpClient {
 public:
  explicit WinInetHttpClient(const HttpOptions& options) : options_(options) {
    HINTERNET session = InternetOpenW(L"Orvel", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (session != nullptr) {
      session_ = Session(session, [](void* h) { InternetCloseHandle(h); });
      DWORD connect = static_cast<DWORD>(options_.connectTimeout.count());
      DWORD read = static_cast<DWORD>(options_.readTimeout.count());
      InternetSetOptionW(session, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
      InternetSetOptionW(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &read, sizeof read);
      InternetSetOptionW(session, INTERNET_OPTION_SEND_TIMEOUT, &read, sizeof read);
      InternetSetOptionW(session, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &read, sizeof read);
      InternetSetStatusCallbackW(session, &RequestWatch::OnStatus);
    } else {
      openError_ = GetLastError();
    }
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
  // with kTimeout once `allowed` has passed, kConnect when the connection
  // (host name lookup included) does not stand within the connect time-out,
  // and kCancelled once `cancel` is requested, also while a WinINet call
  // blocks and does not end.
  common::Result<void> Transfer(const std::string& url, std::stop_token cancel, std::chrono::milliseconds allowed,
                                const BodySink& sink) {
    const auto deadline = std::chrono::steady_clock::now() + allowed;
    if (session_ == nullptr) return Failure(url, openError_);
    if (auto refused = RefuseAddress(url, options_.tls)) return *refused;
    std::wstring wideUrl;
    if (!ToWide(url, wideUrl)) return MakeHttpError(HttpError::kBadUrl, url, "주소에 쓸 수 없는 문자");

    auto shared = std::make_shared<Exchange>();
    shared->watch = std::make_unique<RequestWatch>(deadline, cancel);
    shared->watch->ArmConnect(options_.connectTimeout);
    std::thread([shared, session = session_, options = options_, url, wideUrl, allowed] {
      auto result = Run(*shared, session.get(), options, url, wideUrl, allowed);
      {
        std::lock_guard lock(shared->mutex);
        shared->result = std::move(result);
        shared->done = true;
      }
      shared->changed.notify_all();
      // Closed here, after the caller has its answer: a close may take long.
      shared->watch->CloseAll();
    }).detach();

    // Declared before the lock: however the caller leaves (also by a sink
    // that throws), the request's thread is told to hand over nothing more,
    // and the reference is handed over after the lock is let go.
    struct Aside {
      std::shared_ptr<Exchange>& shared;
      ~Aside() {
        {
          std::lock_guard lock(shared->mutex);
          shared->abandoned = true;
        }
        shared->changed.notify_all();
        ReleaseAside(shared);
      }
    } aside{shared};
    std::unique_lock lock(shared->mutex);
    auto leave = [&](common::Error error) -> common::Result<void> {
      shared->abandoned = true;
      shared->changed.notify_all();
      return error;
    };
    for (;;) {
      if (shared->piece) {
        const std::string piece = std::move(*shared->piece);
        shared->piece.reset();
        shared->changed.notify_all();
        lock.unlock();
        const bool more = sink(piece);
        lock.lock();
        if (!more) return leave(MakeHttpError(HttpError::kTransfer, url, "받는 쪽에서 중단"));
        continue;
      }
      if (shared->done) return shared->result;
      if (const auto reason = shared->watch->fired(); reason != RequestWatch::Reason::kNone) {
        return leave(WatchError(reason, options_, url, allowed));
      }
      shared->changed.wait_for(lock, std::chrono::milliseconds(50));
    }
  }

  static common::Error WatchError(RequestWatch::Reason reason, const HttpOptions& options, const std::string& url,
                                  std::chrono::milliseconds allowed) {
    switch (reason) {
      case RequestWatch::Reason::kCancelled:
        return MakeHttpError(HttpError::kCancelled, url, "");
      case RequestWatch::Reason::kConnect:
        return MakeHttpError(HttpError::kConnect, url,
                             "연결 제한 시간 " + std::to_string(options.connectTimeout.count()) + "ms 초과");
      case RequestWatch::Reason::kDeadline:
      case RequestWatch::Reason::kIdle:  // this client sets no idle limit
      case RequestWatch::Reason::kNone:
        break;
    }
    return MakeHttpError(HttpError::kTimeout, url, "전체 제한 시간 " + std::to_string(allowed.count()) + "ms 초과");
  }

  // The WinINet calls of one request, on the request's own thread.
  static common::Result<void> Run(Exchange& shared, HINTERNET session, const HttpOptions& options,
                                  const std::string& url, const std::wstring& wideUrl,
                                  std::chrono::milliseconds allowed) {
    RequestWatch& watch = *shared.watch;
    const bool https = StartsWith(url, "https://");
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

    const ULONGLONG sent = GetTickCount64();
    // Why a call failed: the watch's reason when it closed the handles,
    // else WinINet's error. Some WinINet builds report a receive time-out
    // as an aborted connection; one that ends after the time allowed is the
    // time-out.
    auto failure = [&](DWORD error) -> common::Error {
      if (const auto reason = watch.fired(); reason != RequestWatch::Reason::kNone) {
        return WatchError(reason, options, url, allowed);
      }
      const bool waitedOut = GetTickCount64() - sent >= static_cast<ULONGLONG>(options.readTimeout.count());
      if (waitedOut && (error == ERROR_INTERNET_CONNECTION_ABORTED || error == ERROR_INTERNET_CONNECTION_RESET)) {
        error = ERROR_INTERNET_TIMEOUT;
      }
      return Failure(url, error);
    };

    HINTERNET connection = InternetConnectW(session, host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0,
                                            watch.context());
    if (connection == nullptr) return failure(GetLastError());
    watch.Own(connection);

    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                  INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTO_REDIRECT;
    if (https) flags |= INTERNET_FLAG_SECURE;  // certificate checks stay on
    HINTERNET request =
        HttpOpenRequestW(connection, L"GET", object.c_str(), nullptr, nullptr, nullptr, flags, watch.context());
    if (request == nullptr) return failure(GetLastError());
    watch.Own(request);
    // The time-outs again on the request itself: not every WinINet hands the
    // session's values down to its requests.
    DWORD connectMs = static_cast<DWORD>(options.connectTimeout.count());
    DWORD readMs = static_cast<DWORD>(options.readTimeout.count());
    InternetSetOptionW(request, INTERNET_OPTION_CONNECT_TIMEOUT, &connectMs, sizeof connectMs);
    InternetSetOptionW(request, INTERNET_OPTION_RECEIVE_TIMEOUT, &readMs, sizeof readMs);
    InternetSetOptionW(request, INTERNET_OPTION_SEND_TIMEOUT, &readMs, sizeof readMs);
    static const wchar_t kHeaders[] = L"Connection: close\r\n";
    if (!HttpSendRequestW(request, kHeaders, static_cast<DWORD>(-1L), nullptr, 0)) {
      return failure(GetLastError());
    }
    if (watch.fired() != RequestWatch::Reason::kNone) return failure(0);
    watch.Connected();  // the reply has come: whatever the callback told
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
      if (!shared.HandOver(std::string_view(buffer, got))) {
        return MakeHttpError(HttpError::kTransfer, url, "받는 쪽에서 중단");
      }
    }
    if (watch.fired() != RequestWatch::Reason::kNone) return failure(0);
    return common::Ok();
  }

  HttpOptions options_;
  Session session_;
  DWORD openError_ = 0;
  std::mutex mutex_;
};

}  // namespace

std::unique_ptr<HttpClient> CreateHttpClient(const HttpOptions& options) {
  return std::make_unique<WinInetHttpClient>(options);
}

}  // namespace platform::http
