// Conversion throughput against a plain chunked copy doing the same file
// work (the same bytes read, the same bytes written). The ratio of the two
// is the figure; both run in this process on the same file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <vector>

#include "common/File.h"
#include "frame-converter/Sc4Converter.h"

namespace {

constexpr std::size_t kInputBytes = 64u << 20;
// Half-way, on a chunk boundary: the conversion writes the second half.
constexpr std::size_t kSignatureAt = kInputBytes / 2;

const common::Path& Input() {
  static const common::Path path = [] {
    const common::Path p = std::filesystem::temp_directory_path() / "sc4-bench-input.sc4";
    std::vector<std::uint8_t> data(kInputBytes);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>((i * 7) % 251 + 3);
    const std::size_t at = kSignatureAt;  // the scan covers half the file
    data[at] = 0x01; data[at + 1] = 0x1B; data[at + 2] = 0x1E;
    if (!common::WriteFileAtomically(p, data)) std::abort();
    return p;
  }();
  return path;
}

// The same file work as the conversion without the search: the whole
// input read in 64 KiB chunks, and written out what the conversion writes,
// 48 header bytes and the input's second half, through an atomic writer.
void BM_PlainChunkedCopy(benchmark::State& state) {
  const common::Path out = std::filesystem::temp_directory_path() / "sc4-bench-copy.bin";
  std::vector<std::uint8_t> buffer(64 * 1024);
  const std::vector<std::uint8_t> header(48, 0);
  for (auto _ : state) {
    auto in = common::File::OpenFile(Input(), common::File::Open::kRead);
    auto writer = common::AtomicFileWriter::Begin(out);
    (void)writer->Write(header);
    std::uint64_t offset = 0;
    for (;;) {
      auto n = in->Read(buffer);
      if (!n || *n == 0) break;
      if (offset >= kSignatureAt) (void)writer->Write({buffer.data(), *n});
      offset += *n;
    }
    (void)writer->Commit();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kInputBytes));
  std::filesystem::remove(out);
}

void BM_ConvertSc4ToWav(benchmark::State& state) {
  const common::Path out = std::filesystem::temp_directory_path() / "sc4-bench-out.wav";
  for (auto _ : state) {
    if (ramblet::ConvertSc4ToWav(Input(), out) != ramblet::ConvertResult::kDone) {
      state.SkipWithError("conversion failed");
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kInputBytes));
  std::filesystem::remove(out);
}

BENCHMARK(BM_PlainChunkedCopy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertSc4ToWav)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
