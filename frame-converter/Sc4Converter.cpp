#include "frame-converter/Sc4Converter.h"

#include <vector>

#include "frame-converter/Sc4Format.h"

namespace ramblet {

// The destination is replaced only once the whole output stands in a
// temporary file beside it, so a destination that also names the source, or
// a file the caller still needs, survives every failure. A destination that
// did not exist is created up front (the library's callers see an empty file
// after result 3) and removed again when a later step fails.
ConvertResult ConvertSc4ToWav(const common::Path& source, const common::Path& destination,
                              const ConvertOptions& options) {
  using common::File;
  const std::size_t chunk = options.chunkBytes > 0 ? options.chunkBytes : 64 * 1024;

  auto src = File::OpenFile(source, File::Open::kRead);
  if (!src) return ConvertResult::kSourceNotOpened;

  const bool existed = common::FileExists(destination);
  {
    auto probe = File::OpenFile(destination, File::Open::kWriteKeep);
    if (!probe) return ConvertResult::kDestinationNotCreated;
    if (!probe->Close()) return ConvertResult::kDestinationNotCreated;
  }
  auto failAfterProbe = [&](ConvertResult r) {
    if (!existed) (void)common::RemoveFile(destination);
    return r;
  };

  // 1. The search, in chunks.
  std::vector<std::uint8_t> buffer(chunk);
  Sc4SignatureScanner scanner;
  for (;;) {
    auto n = src->Read(buffer);
    if (!n || *n == 0) break;  // a failed read ends the search like the end of the file
    if (scanner.Feed({buffer.data(), *n})) break;
  }
  const auto match = scanner.match();
  if (!match) return ConvertResult::kNoSignature;

  // 2. The stream's length, from the source's size now.
  auto size = src->Size();
  if (!size || *size < match->offset) return failAfterProbe(ConvertResult::kDestinationNotWritten);
  const std::uint64_t streamBytes = *size - match->offset;
  if (streamBytes > riff::kMaxStreamBytes) return failAfterProbe(ConvertResult::kDestinationNotWritten);
  if (!src->Seek(match->offset)) return failAfterProbe(ConvertResult::kDestinationNotWritten);

  // 3. Header and stream into a temporary file, then over the destination.
  auto out = common::AtomicFileWriter::Begin(destination);
  if (!out) return failAfterProbe(ConvertResult::kDestinationNotCreated);
  const Sc4RiffHeader header = BuildSc4RiffHeader(match->index, static_cast<std::uint32_t>(streamBytes));
  if (!out->Write(header)) return failAfterProbe(ConvertResult::kDestinationNotWritten);
  std::uint64_t left = streamBytes;
  while (left > 0) {
    const std::size_t want = left < buffer.size() ? static_cast<std::size_t>(left) : buffer.size();
    auto n = src->ReadFull({buffer.data(), want});
    // A source that shrank under us would give a header that lies.
    if (!n || *n != want) return failAfterProbe(ConvertResult::kDestinationNotWritten);
    if (!out->Write({buffer.data(), want})) return failAfterProbe(ConvertResult::kDestinationNotWritten);
    left -= want;
  }
  (void)src->Close();  // on Windows the rename must not meet an open source of the same name
  if (!out->Commit()) return failAfterProbe(ConvertResult::kDestinationNotWritten);
  return ConvertResult::kDone;
}

}  // namespace ramblet
