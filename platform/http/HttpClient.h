// An HTTP GET client for the channel service's CGI programs.
//
// One client lives for the whole run: the cookies that replies set are kept
// in it and sent back on later requests. Every request opens its own
// connection and closes it when the reply has been read. The reply body is
// handed back as the bytes the server sent (the service answers in code page
// 949); nothing is decoded here.
//
// Every request ends: within connectTimeout when the server cannot be
// reached, readTimeout when it stops sending, totalTimeout in any case (a
// reply that trickles in byte by byte ends there too), and at once when the
// caller's stop token is triggered, from any thread.
//
// Backends: WinINet on Windows, libcurl elsewhere (HttpClientWinInet.cpp,
// HttpClientCurl.cpp).
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

#include "common/ErrorText.h"
#include "common/Result.h"

namespace platform::http {

struct HttpOptions {
  // Time allowed to reach the server.
  std::chrono::milliseconds connectTimeout{10000};
  // Longest time without any data from the server once the request is out.
  std::chrono::milliseconds readTimeout{30000};
  // Longest time for the whole request, from its start to the last byte of
  // the reply, however steadily the data comes.
  std::chrono::milliseconds totalTimeout{60000};
  // When on, only "https://" addresses are accepted, the connection uses
  // TLS 1.2 or later and the server's certificate and host name are
  // verified (libcurl asks for TLS 1.2 at least; WinINet offers what the
  // system allows and the client refuses a connection it reports as older).
  // When off, every address is fetched as it is given.
  bool tls = false;
  // PEM file of extra trusted certificates (libcurl backend only; tests use
  // it for a server with a certificate of their own). Empty: the system's.
  std::string caFile;
  // Replies longer than this fail instead of growing without bound.
  std::size_t maxBodyBytes = 4 * 1024 * 1024;
};

// Error.code of a failed request: the codes and their texts are in the
// table of user-facing error texts (common/ErrorText.h).
using HttpError = common::HttpError;

// What a backend hands each piece of a reply body to, as it arrives; false
// stops the transfer.
using BodySink = std::function<bool(std::string_view piece)>;

class HttpClient {
 public:
  virtual ~HttpClient() = default;
  // Sends GET `url` and waits for the whole reply. The result is the body
  // of a reply with a status below 400; anything else is an Error whose
  // code is an HttpError and whose message is the text for the user: the
  // sentence of the code, then the detail (what the backend reports, the
  // server's host and port), never the query.
  // A stop requested on `cancel` ends the request with kCancelled.
  virtual common::Result<std::string> Get(const std::string& url, std::stop_token cancel) = 0;
  common::Result<std::string> Get(const std::string& url) { return Get(url, std::stop_token{}); }

  // GET `url` with the body handed to `sink` piece by piece as it arrives,
  // on the calling thread, so memory stays as small as the sink keeps it
  // (no maxBodyBytes). Only the body of a reply with a status below 400
  // reaches the sink. Ends like Get, with `totalTimeout` for the whole
  // request in place of the options' one (a large file takes longer than a
  // command); a sink that answers false ends it with kTransfer.
  virtual common::Result<void> GetStream(const std::string& url, const BodySink& sink, std::stop_token cancel,
                                         std::chrono::milliseconds totalTimeout) = 0;
};

// Runs `transfer` with a sink that gathers the body; a body longer than
// `maxBytes` stops the transfer and fails with kTooLarge.
common::Result<std::string> CollectBody(const std::string& url, std::size_t maxBytes,
                                        const std::function<common::Result<void>(const BodySink&)>& transfer);

std::unique_ptr<HttpClient> CreateHttpClient(const HttpOptions& options);

// The error of a failed request: the sentence of `kind`, and `detail` (a
// status, a backend's error number; may be empty) with the host of `url`
// on the detail line.
common::Error MakeHttpError(HttpError kind, const std::string& url, const std::string& detail);

// The error for an address a client must not fetch: neither http:// nor
// https://, or not https:// while TLS is on. Empty when it may go.
std::optional<common::Error> RefuseAddress(const std::string& url, bool tls);

// The host and port of an address, for error messages: no user name or
// password, no path and above all no query, whose values carry
// credentials and must never appear in a message or a log.
std::string HostForMessage(const std::string& url);

}  // namespace platform::http
