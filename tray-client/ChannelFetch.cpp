#include "tray-client/ChannelFetch.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <vector>

#include "common/Sha256.h"
#include "common/TextCodec.h"
#include "tray-client/ContentProtocol.h"

namespace orvel {

using platform::http::HttpError;

namespace {

// The bytes of an event. A data event's bytes grow while it waits in the
// queue (under the state's mutex), until the GUI thread takes it.
using Bytes = std::shared_ptr<std::vector<std::uint8_t>>;

struct QueuedEvent {
  int kind = 0;
  std::int32_t count = 0;
  std::int32_t length = 0;
  std::int32_t code = 0;
  Bytes bytes;
};

}  // namespace

// Events wait in `queue` for the GUI thread. One call at a time is on its
// way there (`wakePosted`); it hands over every event queued by then, so a
// fast line costs the GUI thread one wake-up per batch, not one per piece.
struct FetchState {
  std::mutex mutex;
  std::condition_variable_any handled;
  std::size_t inFlight = 0;  // data bytes queued but not yet handled
  bool detached = false;     // the fetch object is gone: events are dropped
  bool running = false;
  std::deque<QueuedEvent> queue;
  bool wakePosted = false;
  DownloadEventHandler handler;
};

namespace {

// A file's whole-request limit for the HTTP client: out of reach (a file is
// bound by its progress), yet a time every clock adds safely.
constexpr std::chrono::milliseconds kNoWholeFileLimit = std::chrono::hours(24 * 30);

Bytes TextBytes(const std::string& text) {
  auto bytes = std::make_shared<std::vector<std::uint8_t>>(text.begin(), text.end());
  bytes->push_back(0);
  return bytes;
}

// The data buffers of the fetch, used again once the GUI thread has handled
// them: a new buffer per piece costs the worker page faults (the allocator
// gives the memory back each time), more than the piece's hash.
class BufferPool : public std::enable_shared_from_this<BufferPool> {
 public:
  explicit BufferPool(std::size_t capacity) : capacity_(capacity) {}
  // An empty buffer with room for `capacity` bytes; back to the pool when
  // the last holder lets go of it.
  std::shared_ptr<std::vector<std::uint8_t>> Take() {
    std::unique_ptr<std::vector<std::uint8_t>> buffer;
    {
      std::lock_guard lock(mutex_);
      if (!spare_.empty()) {
        buffer = std::move(spare_.back());
        spare_.pop_back();
      }
    }
    if (!buffer) {
      buffer = std::make_unique<std::vector<std::uint8_t>>();
      buffer->reserve(capacity_);
    }
    return {buffer.release(), [pool = shared_from_this()](std::vector<std::uint8_t>* returned) {
              pool->Give(std::unique_ptr<std::vector<std::uint8_t>>(returned));
            }};
  }

 private:
  void Give(std::unique_ptr<std::vector<std::uint8_t>> buffer) {
    buffer->clear();
    std::lock_guard lock(mutex_);
    if (spare_.size() < kMostSpare) spare_.push_back(std::move(buffer));
  }

  static constexpr std::size_t kMostSpare = 64;
  const std::size_t capacity_;
  std::mutex mutex_;
  std::vector<std::unique_ptr<std::vector<std::uint8_t>>> spare_;
};

FetchError FromHttp(const common::Error& error) {
  switch (static_cast<HttpError>(error.code)) {
    case HttpError::kBadUrl:
    case HttpError::kConnect:
    case HttpError::kTls: return FetchError::kConnect;
    case HttpError::kTimeout: return FetchError::kTimeout;
    case HttpError::kStatus: return FetchError::kStatus;
    case HttpError::kTooLarge: return FetchError::kManifest;
    default: return FetchError::kTransfer;
  }
}

// One fetch, on the worker thread. Every event goes through Post, which
// queues it for the GUI thread in order.
class FetchRun {
 public:
  FetchRun(std::shared_ptr<FetchState> shared, ChannelFetch::Poster post, const FetchOptions& options,
           std::unique_ptr<platform::http::HttpClient> client, std::stop_token stop)
      : shared_(std::move(shared)), post_(std::move(post)), options_(options), client_(std::move(client)),
        stop_(std::move(stop)), pool_(std::make_shared<BufferPool>(std::max<std::size_t>(1, options.chunkBytes))),
        chunk_(std::max<std::size_t>(1, options.chunkBytes)) {}

  void Run(const common::Path& localSync, const std::string& address, int port, const std::string& userId);

 private:
  bool Post(int kind, std::int32_t count, std::int32_t length, std::int32_t code, Bytes bytes);
  // Posts the GUI thread's call that takes the queue. When the GUI thread
  // is gone, takes the event just queued back (with its `inFlight` bytes)
  // and gives false.
  bool Wake(std::size_t inFlight);
  bool Event(int kind, std::int32_t count = 0) { return Post(kind, count, 0, 0, nullptr); }
  void End(FetchError error) {
    if (stop_.stop_requested()) {
      Event(kFetchCancelled);
    } else {
      Post(kFetchError, 0, 0, static_cast<std::int32_t>(error), nullptr);
    }
  }
  // Queues `piece` (at most chunkBytes) as data once there is room for it:
  // added to the data event at the end of the queue while that one has room
  // and the GUI thread has not taken it, else as an event of its own. No
  // piece waits for a later one, so a slow or stalled line shows all that
  // came.
  bool Data(std::string_view piece);
  // false: the fetch ended (its last event is posted).
  bool FetchFile(const std::string& base, const std::string& userId, const content::ManifestFile& file);

  std::shared_ptr<FetchState> shared_;
  ChannelFetch::Poster post_;
  FetchOptions options_;
  std::unique_ptr<platform::http::HttpClient> client_;
  std::stop_token stop_;
  std::shared_ptr<BufferPool> pool_;
  std::size_t chunk_ = 1;
  bool guiGone_ = false;
};

// On the GUI thread: hands the events queued by now to the handler, in
// order. Events queued meanwhile wait for the next call, so the thread
// gets back to its loop after each batch.
void HandleQueued(const std::shared_ptr<FetchState>& shared, const ChannelFetch::Poster& post) {
  std::size_t batch = 0;
  {
    std::lock_guard lock(shared->mutex);
    batch = shared->queue.size();
  }
  for (; batch > 0; --batch) {
    QueuedEvent next;
    DownloadEventHandler handler;
    {
      std::lock_guard lock(shared->mutex);
      if (shared->queue.empty()) break;
      next = std::move(shared->queue.front());
      shared->queue.pop_front();
      if (!shared->detached) handler = shared->handler;
    }
    struct Release {
      FetchState& s;
      std::size_t n;
      ~Release() {
        if (n == 0) return;
        std::lock_guard lock(s.mutex);
        s.inFlight -= n;
        s.handled.notify_all();
      }
    } release{*shared, next.kind == kFetchData && next.bytes ? next.bytes->size() : 0};
    if (!handler) continue;
    ChannelEvent event{next.count, next.bytes && !next.bytes->empty() ? next.bytes->data() : nullptr, next.length,
                       next.code};
    handler(next.kind, event);
  }
  {
    std::lock_guard lock(shared->mutex);
    if (shared->queue.empty() || shared->detached) {
      shared->wakePosted = false;
      return;
    }
  }
  if (!post([shared, post] { HandleQueued(shared, post); })) {
    std::lock_guard lock(shared->mutex);
    shared->wakePosted = false;
  }
}

bool FetchRun::Post(int kind, std::int32_t count, std::int32_t length, std::int32_t code, Bytes bytes) {
  if (guiGone_) return false;
  bool wake = false;
  {
    std::lock_guard lock(shared_->mutex);
    shared_->queue.push_back(QueuedEvent{kind, count, length, code, std::move(bytes)});
    wake = !shared_->wakePosted;
    shared_->wakePosted = true;
  }
  return !wake || Wake(0);
}

bool FetchRun::Wake(std::size_t inFlight) {
  auto shared = shared_;
  auto post = post_;
  if (post_([shared, post] { HandleQueued(shared, post); })) return true;
  guiGone_ = true;
  std::lock_guard lock(shared_->mutex);
  shared_->wakePosted = false;
  shared_->inFlight -= inFlight;
  shared_->queue.pop_back();
  return false;
}

bool FetchRun::Data(std::string_view piece) {
  const std::size_t n = piece.size();
  auto fresh = pool_->Take();
  fresh->assign(piece.begin(), piece.end());
  bool wake = false;
  {
    std::unique_lock lock(shared_->mutex);
    const bool room = shared_->handled.wait(lock, stop_, [&] {
      return shared_->detached || shared_->inFlight == 0 || shared_->inFlight + n <= options_.inFlightBytes;
    });
    if (!room || shared_->detached || guiGone_) return false;
    shared_->inFlight += n;
    auto& queue = shared_->queue;
    if (!queue.empty() && queue.back().kind == kFetchData && queue.back().bytes->size() + n <= chunk_) {
      QueuedEvent& last = queue.back();
      last.bytes->insert(last.bytes->end(), piece.begin(), piece.end());
      last.length = static_cast<std::int32_t>(last.bytes->size());
      return true;
    }
    queue.push_back(QueuedEvent{kFetchData, 0, static_cast<std::int32_t>(n), 0, std::move(fresh)});
    wake = !shared_->wakePosted;
    shared_->wakePosted = true;
  }
  return !wake || Wake(n);
}

bool FetchRun::FetchFile(const std::string& base, const std::string& userId, const content::ManifestFile& file) {
  if (!Post(kFetchFileBegins, 0, static_cast<std::int32_t>(file.size), 0, TextBytes(common::Cp949ToUtf8Lossy(file.name)))) {
    return false;
  }
  // Hashed on this thread as the pieces are handed over: the system's
  // SHA-256 keeps up with any link.
  common::Sha256 hash;
  std::uint64_t received = 0;
  bool tooLong = false;
  bool handedOver = true;
  const platform::http::BodySink sink = [&](std::string_view piece) {
    if (piece.size() > file.size - received) {
      tooLong = true;
      return false;
    }
    received += piece.size();
    hash.Update(piece);
    while (!piece.empty()) {
      const std::string_view part = piece.substr(0, chunk_);
      piece.remove_prefix(part.size());
      if (!Data(part)) {
        handedOver = false;
        return false;
      }
    }
    return true;
  };
  // No whole-request limit that the announced size could stretch: the read
  // time-out (no data for that long) and the stop token end a file; the
  // client's total limit is set out of reach.
  auto done = client_->GetStream(content::FileUrl(base, userId, file.name), sink, stop_, kNoWholeFileLimit);
  if (stop_.stop_requested() || !handedOver) {
    End(FetchError::kTransfer);
    return false;
  }
  if (tooLong) {
    End(FetchError::kTooLong);
    return false;
  }
  if (!done) {
    End(FromHttp(done.error()));
    return false;
  }
  if (received != file.size) {
    End(FetchError::kShort);
    return false;
  }
  if (hash.Finish() != file.sha256) {
    End(FetchError::kDigest);
    return false;
  }
  return true;
}

void FetchRun::Run(const common::Path& localSync, const std::string& address, int port, const std::string& userId) {
  auto id = common::Utf8ToCp949(userId);
  if (!id) return End(FetchError::kUserId);
  const std::string base = content::BaseUrl(address, port);
  auto body = client_->Get(content::ManifestUrl(base, *id), stop_);
  if (!body) return End(FromHttp(body.error()));
  if (!Event(kFetchConnected)) return;
  auto manifest = content::ParseManifest(*body);
  if (!manifest) return End(FetchError::kManifest);
  if (!Event(kFetchServerInfo)) return;
  if (manifest->message) {
    const std::string text = common::Cp949ToUtf8Lossy(*manifest->message);
    Post(kFetchMessage, 0, static_cast<std::int32_t>(text.size()), 0, TextBytes(text));
    return;
  }
  for (const auto& file : manifest->files) {
    if (!content::LocalSyncFilePath(localSync, file.name)) return End(FetchError::kFileName);
  }
  if (!Event(kFetchFileCount, static_cast<std::int32_t>(manifest->files.size()))) return;
  for (const auto& file : manifest->files) {
    if (stop_.stop_requested()) return End(FetchError::kTransfer);
    if (!FetchFile(base, *id, file)) return;
  }
  if (stop_.stop_requested()) return End(FetchError::kTransfer);
  Event(kFetchFinished);
}

}  // namespace

ChannelFetch::ChannelFetch(Poster post, FetchOptions options, ClientFactory clients)
    : post_(std::move(post)), options_(options), clients_(std::move(clients)), shared_(std::make_shared<FetchState>()) {
  if (!clients_) clients_ = [](const platform::http::HttpOptions& o) { return platform::http::CreateHttpClient(o); };
}

ChannelFetch::~ChannelFetch() {
  {
    std::lock_guard lock(shared_->mutex);
    shared_->detached = true;
    shared_->handler = nullptr;
  }
  shared_->handled.notify_all();
  Stop();
}

void ChannelFetch::Stop() {
  if (worker_.joinable()) {
    worker_.request_stop();
    worker_.join();
  }
}

bool ChannelFetch::StartFetch(const common::Path& localSync, DownloadEventHandler handler, const std::string& address,
                              int port, const std::string& userId) {
  {
    std::lock_guard lock(shared_->mutex);
    if (shared_->running) return false;
    shared_->running = true;
    shared_->handler = std::move(handler);
  }
  if (worker_.joinable()) worker_.join();  // the last fetch has ended: only its thread is left

  platform::http::HttpOptions http;
  http.connectTimeout = options_.connectTimeout;
  http.readTimeout = options_.readTimeout;
  http.totalTimeout = options_.manifestTimeout;
  http.maxBodyBytes = content::kMaxManifestBytes;
  auto client = clients_(http);
  worker_ = std::jthread([shared = shared_, post = post_, options = options_, client = std::move(client), localSync,
                          address, port, userId](std::stop_token stop) mutable {
    FetchRun run(shared, std::move(post), options, std::move(client), stop);
    run.Run(localSync, address, port, userId);
    std::lock_guard lock(shared->mutex);
    shared->running = false;
  });
  return true;
}

void ChannelFetch::CancelFetch() {
  if (worker_.joinable()) worker_.request_stop();
  shared_->handled.notify_all();
}

bool ChannelFetch::Running() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->running;
}

}  // namespace orvel
