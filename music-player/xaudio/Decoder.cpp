#include "music-player/xaudio/Decoder.h"

#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

#include "music-player/xaudio/Xaudio.h"

namespace xaudio {

namespace {

mpg123_handle* H(void* p) { return static_cast<mpg123_handle*>(p); }

void InitLibraryOnce() {
  static std::once_flag once;
  std::call_once(once, [] { mpg123_init(); });
}

}  // namespace

// What libmpg123 reads through: a file of ours or a buffer.
struct Decoder::Source {
  virtual ~Source() = default;
  virtual long Read(void* buffer, std::size_t bytes) = 0;  // -1 on failure
  virtual std::int64_t Seek(std::int64_t offset, int whence) = 0;  // -1 on failure

  static mpg123_ssize_t ReadCallback(void* self, void* buffer, size_t bytes) {
    return static_cast<Source*>(self)->Read(buffer, bytes);
  }
  static off_t SeekCallback(void* self, off_t offset, int whence) {
    return static_cast<off_t>(static_cast<Source*>(self)->Seek(offset, whence));
  }
};

namespace {

std::int64_t Resolve(std::int64_t base, std::int64_t size, std::int64_t offset, int whence) {
  std::int64_t target = whence == SEEK_SET ? offset : whence == SEEK_CUR ? base + offset : size + offset;
  return target < 0 || target > size ? -1 : target;
}

// Reads the file in 64 KiB blocks: the decoder asks for a few bytes at a
// time (frame headers, then frame bodies).
struct FileSource : Decoder::Source {
  common::File file;
  std::int64_t size = 0;
  std::int64_t position = 0;  // of the decoder in the file
  std::vector<std::uint8_t> block = std::vector<std::uint8_t>(64 * 1024);
  std::int64_t blockStart = 0;
  std::size_t blockFill = 0;

  long Read(void* buffer, std::size_t bytes) override {
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    bytes = std::min<std::size_t>(bytes, 1u << 20);
    while (done < bytes) {
      const std::int64_t inBlock = position - blockStart;
      if (inBlock < 0 || inBlock >= static_cast<std::int64_t>(blockFill)) {
        if (!file.Seek(static_cast<std::uint64_t>(position))) return done ? static_cast<long>(done) : -1;
        auto r = file.Read(block);
        if (!r) return done ? static_cast<long>(done) : -1;
        blockStart = position;
        blockFill = *r;
        if (blockFill == 0) break;  // end of the file
        continue;
      }
      const std::size_t n = std::min(bytes - done, blockFill - static_cast<std::size_t>(inBlock));
      std::memcpy(out + done, block.data() + inBlock, n);
      done += n;
      position += static_cast<std::int64_t>(n);
    }
    return static_cast<long>(done);
  }
  std::int64_t Seek(std::int64_t offset, int whence) override {
    const std::int64_t target = Resolve(position, size, offset, whence);
    if (target >= 0) position = target;
    return target;
  }
};

struct MemorySource : Decoder::Source {
  std::vector<std::uint8_t> bytes;
  std::int64_t position = 0;

  long Read(void* buffer, std::size_t n) override {
    const std::size_t left = bytes.size() - static_cast<std::size_t>(position);
    n = std::min({n, left, std::size_t{1} << 20});
    if (n == 0) return 0;  // at the end, or an empty input (no data pointer)
    std::memcpy(buffer, bytes.data() + position, n);
    position += static_cast<std::int64_t>(n);
    return static_cast<long>(n);
  }
  std::int64_t Seek(std::int64_t offset, int whence) override {
    const std::int64_t target = Resolve(position, static_cast<std::int64_t>(bytes.size()), offset, whence);
    if (target >= 0) position = target;
    return target;
  }
};

}  // namespace

namespace {

// Signed 16-bit only, at every rate, mono or stereo.
void AllowEveryRate(mpg123_handle* h) {
  mpg123_format_none(h);
  const long* rates = nullptr;
  size_t count = 0;
  mpg123_rates(&rates, &count);
  for (size_t i = 0; i < count; ++i) mpg123_format(h, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
}

}  // namespace

Decoder::Decoder() {
  InitLibraryOnce();
  int err = MPG123_OK;
  mpg123_handle* h = mpg123_new(nullptr, &err);
  if (!h) return;
  mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0);
  mpg123_param(h, MPG123_RESYNC_LIMIT, 65536, 0);
  AllowEveryRate(h);
  handle_ = h;
}

Decoder::~Decoder() {
  Close();
  if (handle_) mpg123_delete(H(handle_));
}

int Decoder::OpenFile(const common::Path& path) {
  auto file = common::File::OpenFile(path, common::File::Open::kRead);
  if (!file) return kXaOpenFailed;
  auto source = std::make_unique<FileSource>();
  source->file = std::move(*file);
  auto size = source->file.Size();
  if (!size) return kXaOpenFailed;
  source->size = static_cast<std::int64_t>(*size);
  return OpenSource(std::move(source));
}

int Decoder::OpenMemory(std::span<const std::uint8_t> bytes) {
  auto source = std::make_unique<MemorySource>();
  source->bytes.assign(bytes.begin(), bytes.end());
  return OpenSource(std::move(source));
}

int Decoder::OpenSource(std::unique_ptr<Source> source) {
  Close();
  if (!handle_) return kXaOutOfMemory;
  mpg123_handle* h = H(handle_);
  // The last input kept its own format: each input takes its own again.
  AllowEveryRate(h);
  if (mpg123_replace_reader_handle(h, &Source::ReadCallback, &Source::SeekCallback, nullptr) != MPG123_OK)
    return kXaFailure;
  if (mpg123_open_handle(h, source.get()) != MPG123_OK) return kXaOpenFailed;
  long rate = 0;
  int channels = 0, encoding = 0;
  if (mpg123_getformat(h, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 || channels < 1 ||
      channels > 2 || encoding != MPG123_ENC_SIGNED_16) {
    mpg123_close(h);
    return kXaNotMpegAudio;
  }
  mpg123_format_none(h);  // keep this format for the whole input
  mpg123_format(h, rate, channels, MPG123_ENC_SIGNED_16);
  mpg123_frameinfo fi{};
  info_ = StreamInfo{};
  if (mpg123_info(h, &fi) == MPG123_OK) {
    info_.version = static_cast<int>(fi.version) + 1;
    info_.layer = fi.layer;
    info_.bitrateKbps = fi.bitrate;
  }
  info_.sampleRate = static_cast<int>(rate);
  info_.channels = channels;
  source_ = std::move(source);
  open_ = true;
  return kXaSuccess;
}

void Decoder::Close() {
  if (open_) mpg123_close(H(handle_));
  open_ = false;
  source_.reset();
}

std::int64_t Decoder::LengthSamples() {
  if (!open_) return -1;
  const off_t n = mpg123_length(H(handle_));
  return n < 0 ? -1 : static_cast<std::int64_t>(n);
}

std::int64_t Decoder::PositionSamples() {
  if (!open_) return 0;
  const off_t n = mpg123_tell(H(handle_));
  return n < 0 ? 0 : static_cast<std::int64_t>(n);
}

bool Decoder::SeekSamples(std::int64_t sample) {
  if (!open_ || sample < 0) return false;
  return mpg123_seek(H(handle_), static_cast<off_t>(sample), SEEK_SET) >= 0;
}

Decoder::Status Decoder::Read(std::span<std::int16_t> out, std::size_t& produced) {
  produced = 0;
  if (!open_) return Status::kError;
  size_t bytes = 0;
  const int r = mpg123_read(H(handle_), reinterpret_cast<unsigned char*>(out.data()), out.size_bytes(), &bytes);
  produced = bytes / sizeof(std::int16_t);
  switch (r) {
    case MPG123_OK: return Status::kOk;
    case MPG123_NEW_FORMAT: return Status::kNewFormat;
    case MPG123_DONE: return Status::kDone;
    default: return produced > 0 ? Status::kOk : Status::kError;
  }
}

double Decoder::BandFactor(std::int8_t value) {
  // The player sends 5 x the knob's offset from the middle of its track,
  // which is negative above the middle: a negative byte boosts.
  return std::pow(10.0, (-value * 12.0 / 128.0) / 20.0);
}

void Decoder::SetEqualizer(const std::uint8_t* bands64) {
  if (!handle_) return;
  mpg123_handle* h = H(handle_);
  if (!bands64) {
    mpg123_reset_eq(h);
    return;
  }
  for (int band = 0; band < 32; ++band) {
    mpg123_eq(h, MPG123_LEFT, band, BandFactor(static_cast<std::int8_t>(bands64[band])));
    mpg123_eq(h, MPG123_RIGHT, band, BandFactor(static_cast<std::int8_t>(bands64[32 + band])));
  }
}

}  // namespace xaudio
