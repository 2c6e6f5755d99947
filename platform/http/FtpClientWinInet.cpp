// WinINet backend of FtpClient: its own internet handle per retrieval
// (agent "My Agent", the system's proxy settings), a passive connection,
// the file opened for binary reading and read as it arrives. The size comes
// from the server's answer to SIZE, else from FtpGetFileSize.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <string>
#include <vector>

#include "common/TextCodec.h"
#include "platform/http/FtpClient.h"
#include "platform/http/WinInetWatch.h"

namespace platform::http {
namespace {

std::wstring Wide(const std::string& utf8) {
  auto wide = common::Utf8ToUtf16(utf8);
  return wide ? std::wstring(wide->begin(), wide->end()) : std::wstring();
}

// The server's last reply, for the detail of a message (one line).
std::string LastResponse() {
  DWORD error = 0;
  DWORD length = 0;
  InternetGetLastResponseInfoW(&error, nullptr, &length);
  if (length == 0) return {};
  std::vector<wchar_t> text(length + 1, L'\0');
  if (!InternetGetLastResponseInfoW(&error, text.data(), &length)) return {};
  std::u16string u16(reinterpret_cast<const char16_t*>(text.data()), wcsnlen(text.data(), text.size()));
  auto utf8 = common::Utf16ToUtf8(u16);
  std::string line = utf8 ? *utf8 : std::string();
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' ')) line.pop_back();
  const auto cut = line.find_last_of("\r\n");
  if (cut != std::string::npos) line.erase(0, cut + 1);
  return line.substr(0, 200);
}

// What a retrieval shares with the thread that makes its WinINet calls.
// Not every WinINet ends a blocked call when its handles are closed (Wine's
// FTP does not): the caller then returns at the deadline or the cancel and
// leaves the thread to end by itself, which from then on hands nothing
// more to the caller's sink.
struct Retrieval {
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
  bool abandoned = false;
  common::Result<void> result = common::Ok();
  const FtpSink* sink = nullptr;
  const std::function<void(std::uint64_t)>* onSize = nullptr;
  std::unique_ptr<RequestWatch> watch;

  bool Deliver(std::string_view piece) {
    std::lock_guard lock(mutex);
    return !abandoned && (*sink)(piece);
  }
  void TellSize(std::uint64_t size) {
    std::lock_guard lock(mutex);
    if (!abandoned && *onSize) (*onSize)(size);
  }
};

common::Error WatchError(RequestWatch::Reason reason, const FtpServer& server, const FtpOptions& options,
                         std::chrono::milliseconds totalTimeout) {
  switch (reason) {
    case RequestWatch::Reason::kCancelled: return MakeFtpError(FtpError::kCancelled, server, "");
    case RequestWatch::Reason::kDeadline:
      return MakeFtpError(FtpError::kTimeout, server, "전체 제한 시간 " + std::to_string(totalTimeout.count()) + "ms 초과");
    case RequestWatch::Reason::kConnect:
      return MakeFtpError(FtpError::kConnect, server,
                          "연결 제한 시간 " + std::to_string(options.connectTimeout.count()) + "ms 초과");
    case RequestWatch::Reason::kIdle:
    case RequestWatch::Reason::kNone: break;
  }
  return MakeFtpError(FtpError::kTimeout, server, "읽기 제한 시간 " + std::to_string(options.readTimeout.count()) + "ms 초과");
}

class WinInetFtpClient final : public FtpClient {
 public:
  explicit WinInetFtpClient(const FtpOptions& options) : options_(options) {}

  common::Result<void> Retrieve(const FtpServer& server, const std::string& path, const FtpSink& sink,
                                const std::function<void(std::uint64_t)>& onSize, std::stop_token cancel,
                                std::chrono::milliseconds totalTimeout) override {
    if (auto refused = RefuseFtpTarget(server, path)) return *refused;
    auto shared = std::make_shared<Retrieval>();
    shared->sink = &sink;
    shared->onSize = &onSize;
    shared->watch = std::make_unique<RequestWatch>(std::chrono::steady_clock::now() + totalTimeout, cancel);
    std::thread([shared, options = options_, server, path, totalTimeout] {
      auto result = Run(options, server, path, *shared, totalTimeout);
      {
        std::lock_guard lock(shared->mutex);
        shared->result = std::move(result);
        shared->done = true;
      }
      shared->ended.notify_all();
    }).detach();
    struct Aside {  // declared before the lock: see ReleaseAside
      std::shared_ptr<Retrieval>& shared;
      ~Aside() { ReleaseAside(shared); }
    } aside{shared};
    std::unique_lock lock(shared->mutex);
    while (!shared->done) {
      shared->ended.wait_for(lock, std::chrono::milliseconds(50));
      const auto reason = shared->watch->fired();
      if (!shared->done && reason != RequestWatch::Reason::kNone) {
        shared->abandoned = true;
        return WatchError(reason, server, options_, totalTimeout);
      }
    }
    return shared->result;
  }

 private:
  static common::Result<void> Run(const FtpOptions& options_, const FtpServer& server, const std::string& path,
                                  Retrieval& shared, std::chrono::milliseconds totalTimeout) {
    RequestWatch& watch = *shared.watch;
    // Not every WinINet keeps the receive time-out on an FTP session's
    // replies: the watch keeps it, and the connect time-out while the
    // connection and the login are made.
    watch.SetIdle(std::max(options_.connectTimeout, options_.readTimeout));
    // The host name lookup and the connection within the connect time-out:
    // the status callback tells the watch when the connection stands.
    watch.ArmConnect(options_.connectTimeout);
    const ULONGLONG started = GetTickCount64();
    auto failure = [&](DWORD error, const char* step) -> common::Error {
      switch (watch.fired()) {
        case RequestWatch::Reason::kCancelled:
        case RequestWatch::Reason::kDeadline:
        case RequestWatch::Reason::kIdle:
        case RequestWatch::Reason::kConnect:
          return WatchError(watch.fired(), server, options_, totalTimeout);
        case RequestWatch::Reason::kNone: break;
      }
      std::string detail = std::string(step) + ", WinINet 오류 " + std::to_string(error);
      const std::string reply = error == ERROR_INTERNET_EXTENDED_ERROR ? LastResponse() : std::string();
      if (!reply.empty()) detail += ", 서버 응답 \"" + reply + "\"";
      switch (error) {
        case ERROR_INTERNET_NAME_NOT_RESOLVED:
        case ERROR_INTERNET_CANNOT_CONNECT:
          return MakeFtpError(FtpError::kConnect, server, detail);
        case ERROR_INTERNET_TIMEOUT:
          return MakeFtpError(FtpError::kTimeout, server, detail);
        case ERROR_INTERNET_LOGIN_FAILURE:
          return MakeFtpError(FtpError::kLogin, server, detail);
        case ERROR_INTERNET_EXTENDED_ERROR:
          if (reply.rfind("530", 0) == 0) return MakeFtpError(FtpError::kLogin, server, detail);
          if (reply.rfind("550", 0) == 0) return MakeFtpError(FtpError::kNoFile, server, detail);
          return MakeFtpError(FtpError::kTransfer, server, detail);
        case ERROR_INTERNET_CONNECTION_ABORTED:
        case ERROR_INTERNET_CONNECTION_RESET:
          if (GetTickCount64() - started >= static_cast<ULONGLONG>(options_.readTimeout.count())) {
            return MakeFtpError(FtpError::kTimeout, server, detail);
          }
          return MakeFtpError(FtpError::kTransfer, server, detail);
        default:
          return MakeFtpError(FtpError::kTransfer, server, detail);
      }
    };

    HINTERNET session = InternetOpenW(L"My Agent", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (session == nullptr) return failure(GetLastError(), "InternetOpen");
    watch.Own(session);
    DWORD connectMs = static_cast<DWORD>(options_.connectTimeout.count());
    DWORD readMs = static_cast<DWORD>(options_.readTimeout.count());
    InternetSetOptionW(session, INTERNET_OPTION_CONNECT_TIMEOUT, &connectMs, sizeof connectMs);
    InternetSetOptionW(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &readMs, sizeof readMs);
    InternetSetOptionW(session, INTERNET_OPTION_SEND_TIMEOUT, &readMs, sizeof readMs);
    InternetSetOptionW(session, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &readMs, sizeof readMs);
    InternetSetStatusCallbackW(session, &RequestWatch::OnStatus);

    const std::wstring host = Wide(server.host);
    const std::wstring user = Wide(server.user);
    const std::wstring password = Wide(server.password);
    HINTERNET connection = InternetConnectW(session, host.c_str(), static_cast<INTERNET_PORT>(server.port),
                                            user.c_str(), password.c_str(), INTERNET_SERVICE_FTP,
                                            INTERNET_FLAG_PASSIVE, watch.context());
    if (connection == nullptr) return failure(GetLastError(), "InternetConnect");
    watch.Own(connection);
    if (watch.fired() != RequestWatch::Reason::kNone) return failure(0, "InternetConnect");
    watch.Connected();  // the login is through: whatever the callback told
    watch.SetIdle(options_.readTimeout);

    const std::wstring file = Wide(path);
    // The announced size: the SIZE reply "213 <bytes>".
    std::optional<std::uint64_t> size;
    const std::wstring sizeCommand = L"SIZE " + file;
    if (FtpCommandW(connection, FALSE, FTP_TRANSFER_TYPE_BINARY, sizeCommand.c_str(), 0, nullptr)) {
      const std::string reply = LastResponse();
      if (reply.rfind("213 ", 0) == 0 && reply.size() > 4 && reply.size() <= 24 &&
          reply.find_first_not_of("0123456789", 4) == std::string::npos) {
        size = std::stoull(reply.substr(4));
      }
    }
    if (watch.fired() != RequestWatch::Reason::kNone) return failure(0, "SIZE");

    HINTERNET handle = FtpOpenFileW(connection, file.c_str(), GENERIC_READ,
                                    FTP_TRANSFER_TYPE_BINARY | INTERNET_FLAG_RELOAD, 0);
    if (handle == nullptr) return failure(GetLastError(), "FtpOpenFile");
    watch.Own(handle);
    if (!size) {
      DWORD high = 0;
      const DWORD low = FtpGetFileSize(handle, &high);
      if (low != INVALID_FILE_SIZE && (low != 0 || high != 0)) size = (std::uint64_t{high} << 32) | low;
    }
    if (size) shared.TellSize(*size);

    std::vector<char> buffer(64 * 1024);
    for (;;) {
      if (watch.fired() != RequestWatch::Reason::kNone) return failure(0, "InternetReadFile");
      DWORD got = 0;
      if (!InternetReadFile(handle, buffer.data(), static_cast<DWORD>(buffer.size()), &got)) {
        return failure(GetLastError(), "InternetReadFile");
      }
      if (got == 0) break;
      watch.Touch();
      if (!shared.Deliver(std::string_view(buffer.data(), got))) {
        return MakeFtpError(FtpError::kTransfer, server, "받는 쪽에서 중단");
      }
    }
    if (watch.fired() != RequestWatch::Reason::kNone) return failure(0, "InternetReadFile");
    return common::Ok();
  }

  FtpOptions options_;
};

}  // namespace

std::unique_ptr<FtpClient> CreateFtpClient(const FtpOptions& options) {
  return std::make_unique<WinInetFtpClient>(options);
}

}  // namespace platform::http
