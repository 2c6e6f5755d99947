// The channel fetch: brings the channel files that the service prepared for
// a user (by the last "syncreq") from the zone's content server, over HTTP
// (tray-client/ContentProtocol.h). It asks for the manifest, then GETs each
// file as a stream on a worker thread of its own and hands everything to an
// event handler on the GUI thread, in order:
//
//   1 connected, 2 server information, 3 file count (count), then per file
//   4 a file begins (data: its name, UTF-8, zero-terminated; length: its
//   size) and 5 its data (data, length) until the file is whole, and at the
//   end one of 6 finished, 7 cancelled, 8 error (code: a FetchError) or
//   9 the server's message (data: UTF-8, zero-terminated).
//
// A file's 4 follows the previous file only once that one has arrived whole
// and its SHA-256 matched the manifest; otherwise the fetch ends with 8
// instead. Only names that may be files of LocalSync are announced. Memory
// stays bounded: data goes in pieces of at most chunkBytes, and the worker
// waits while more than inFlightBytes are handed over but not yet handled.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "common/File.h"
#include "platform/http/HttpClient.h"

namespace orvel {

enum FetchEventKind : int {
  kFetchConnected = 1,
  kFetchServerInfo = 2,
  kFetchFileCount = 3,
  kFetchFileBegins = 4,
  kFetchData = 5,
  kFetchFinished = 6,
  kFetchCancelled = 7,
  kFetchError = 8,
  kFetchMessage = 9,
};

// The code of event 8.
enum class FetchError : std::int32_t {
  kConnect = 1,     // the content server cannot be reached
  kTimeout = 2,     // it stopped sending, or a request took longer than allowed
  kStatus = 3,      // it answered with an HTTP error (a file it does not have)
  kManifest = 4,    // the manifest is not one (cut short, malformed, too large)
  kFileName = 5,    // the manifest names a file that may not be made in LocalSync
  kShort = 6,       // a file ended before its announced size
  kTooLong = 7,     // a file went on past its announced size
  kDigest = 8,      // a file's SHA-256 is not the manifest's
  kTransfer = 9,    // the connection broke off, or another transfer failure
  kUserId = 10,     // the user id cannot be sent (not code page 949)
};

// What comes with an event (see the table above); the data stays valid
// until the handler returns.
struct ChannelEvent {
  std::int32_t count = 0;
  const std::uint8_t* data = nullptr;
  std::int32_t length = 0;
  std::int32_t code = 0;  // event 8
};

using DownloadEventHandler = std::function<int(int kind, ChannelEvent& event)>;

struct FetchOptions {
  // Connect and read time-outs of the fetch's requests. A file is bound by
  // its progress: no data for readTimeout ends it (however large the server
  // says it is; the manifest's sizes are capped), and Cancel ends it at any
  // time.
  std::chrono::milliseconds connectTimeout{10000};
  std::chrono::milliseconds readTimeout{30000};
  // The manifest's whole-request limit.
  std::chrono::milliseconds manifestTimeout{60000};
  std::size_t chunkBytes = 64 * 1024;
  std::size_t inFlightBytes = 1024 * 1024;
};

struct FetchState;  // shared by the fetch, its worker and the events on their way

class ChannelFetch {
 public:
  // Hands a call to the GUI thread, which runs the calls in order; false
  // when that thread no longer takes calls.
  using Poster = std::function<bool(std::function<void()>)>;
  // Where the fetch's requests go; by default the platform's client.
  using ClientFactory = std::function<std::unique_ptr<platform::http::HttpClient>(const platform::http::HttpOptions&)>;

  explicit ChannelFetch(Poster post, FetchOptions options = {}, ClientFactory clients = {});
  // Stops a running fetch and waits for its worker; events not yet handled
  // are dropped.
  ~ChannelFetch();
  ChannelFetch(const ChannelFetch&) = delete;
  ChannelFetch& operator=(const ChannelFetch&) = delete;

  // Starts the fetch for `userId` (UTF-8) from address:port; returns at once.
  // False while a fetch runs.
  bool StartFetch(const common::Path& localSync, DownloadEventHandler handler, const std::string& address, int port,
                  const std::string& userId);
  // Asks the running fetch to stop; it answers with event 7 (unless it had
  // ended already).
  void CancelFetch();
  // True from StartFetch until the fetch has handed over its last event.
  bool Running() const;

 private:
  void Stop();

  Poster post_;
  FetchOptions options_;
  ClientFactory clients_;
  std::shared_ptr<FetchState> shared_;
  std::jthread worker_;
};

}  // namespace orvel
