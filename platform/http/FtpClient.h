// An FTP client that fetches one file, for the program update.
//
// A retrieval logs in with the given account, changes to the file's folder
// and fetches the file in binary mode over a passive data connection; the
// file's bytes go to the caller's sink piece by piece as they arrive, on the
// calling thread. The size the server announces for the file is handed to
// `onSize` once, before the first piece when the server tells it.
//
// Every retrieval ends: within connectTimeout when the server cannot be
// reached, readTimeout when it stops answering or sending, the total
// deadline the caller gives in any case, and at once when the caller's stop
// token is triggered, from any thread.
//
// Backends: WinINet on Windows, libcurl elsewhere (FtpClientWinInet.cpp,
// FtpClientCurl.cpp).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

#include "common/ErrorText.h"
#include "common/Result.h"

namespace platform::http {

struct FtpOptions {
  std::chrono::milliseconds connectTimeout{10000};
  std::chrono::milliseconds readTimeout{30000};
};

struct FtpServer {
  std::string host;
  int port = 21;
  std::string user;
  std::string password;
};

using FtpError = common::FtpError;

// What a retrieval hands each piece of the file to; false stops it.
using FtpSink = std::function<bool(std::string_view piece)>;

class FtpClient {
 public:
  virtual ~FtpClient() = default;
  // Fetches `path` ("folder/folder/name", relative to the account's home
  // folder). An Error's code is an FtpError and its message the text for
  // the user: the sentence, then the detail (the server's reply or the
  // backend's error, the host and port; never the password).
  virtual common::Result<void> Retrieve(const FtpServer& server, const std::string& path, const FtpSink& sink,
                                        const std::function<void(std::uint64_t)>& onSize, std::stop_token cancel,
                                        std::chrono::milliseconds totalTimeout) = 0;
};

std::unique_ptr<FtpClient> CreateFtpClient(const FtpOptions& options);

// The error of a failed retrieval: the sentence of `kind` and `detail` with
// the server's host and port.
common::Error MakeFtpError(FtpError kind, const FtpServer& server, const std::string& detail);

// Why a host or path may not be used (empty, control or space characters in
// the host, an absolute path, ".." parts); empty when they may.
std::optional<common::Error> RefuseFtpTarget(const FtpServer& server, const std::string& path);

}  // namespace platform::http
