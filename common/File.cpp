#include "common/File.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>

namespace common {
namespace {

// A name beside the target that no other writer uses.
Path TempNameFor(const Path& target, int attempt) {
  static std::atomic<unsigned> counter{0};
  const auto ticks = static_cast<unsigned long long>(
      std::chrono::steady_clock::now().time_since_epoch().count());
  Path temp = target;
  temp += "." + std::to_string(ticks % 1000000007ULL) + "-" + std::to_string(counter++) + "-" +
          std::to_string(attempt) + ".tmp";
  return temp;
}

// True for a name of TempNameFor's form whose part before the three groups
// is `prefixUnits` long: that part, ".", three groups of digits joined by
// "-", ".tmp". Compared in the platform's own form of names, so a name that
// is no text of the platform's encoding (any bytes on POSIX) is simply
// another name.
bool HasTempSuffix(const Path::string_type& name, std::size_t prefixUnits) {
  using Native = Path::string_type;
  using Unit = Native::value_type;
  const Native suffix{Unit('.'), Unit('t'), Unit('m'), Unit('p')};
  if (prefixUnits == 0 || name.size() <= prefixUnits + 1 + suffix.size() || name[prefixUnits] != Unit('.') ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
    return false;
  }
  const Native middle = name.substr(prefixUnits + 1, name.size() - prefixUnits - 1 - suffix.size());
  int groups = 1;
  bool digit = false;
  for (Unit c : middle) {
    if (c >= Unit('0') && c <= Unit('9')) {
      digit = true;
    } else if (c == Unit('-') && digit) {
      ++groups;
      digit = false;
    } else {
      return false;
    }
  }
  return digit && groups == 3;
}

// True for a name TempNameFor gives `target`.
bool IsTempNameOf(const Path& target, const Path& candidate) {
  const Path::string_type name = candidate.filename().native();
  const Path::string_type own = target.filename().native();
  return name.compare(0, own.size(), own) == 0 && HasTempSuffix(name, own.size());
}

// True for a name TempNameFor gives any target.
bool IsTempName(const Path& candidate) {
  const Path::string_type name = candidate.filename().native();
  for (std::size_t at = name.size(); at-- > 1;) {
    if (name[at] == Path::string_type::value_type('.') && HasTempSuffix(name, at)) return true;
  }
  return false;
}

constexpr auto kStaleAfter = std::chrono::minutes(10);

// Removes the regular files of `folder` that `ours` picks and that have not
// been written for kStaleAfter, so a write that is still under way
// elsewhere keeps its file.
template <typename Pick>
void RemoveStaleFiles(const Path& folder, Pick ours) {
  std::error_code error;
  std::filesystem::directory_iterator it(folder, error), end;
  const auto now = std::filesystem::file_time_type::clock::now();
  for (; !error && it != end; it.increment(error)) {
    std::error_code entryError;
    if (!it->is_regular_file(entryError) || !ours(it->path())) continue;
    const auto written = std::filesystem::last_write_time(it->path(), entryError);
    if (!entryError && now - written > kStaleAfter) (void)RemoveFile(it->path());
  }
}

// Temporary files of earlier writes of `target` that never finished (the
// writing process was ended).
void RemoveStaleTempFiles(const Path& target) {
  RemoveStaleFiles(target.has_parent_path() ? target.parent_path() : Path("."),
                   [&](const Path& candidate) { return IsTempNameOf(target, candidate); });
}

// A failure on the temporary file as the user sees it: saving the target.
Error AsSaveOf(const Path& target, const Error& error) {
  return Error{error.code, UserMessage(FileErrorSentence(FileOp::kSave, PathToUtf8(target.filename()),
                                                         static_cast<FileError>(error.code)),
                                       DetailOf(error.message))};
}

}  // namespace

Error MakeFileError(FileOp op, const Path& path, FileError cause, std::string_view detail) {
  std::string line(detail);
  const std::string where = PathToUtf8(path);
  if (!where.empty()) line += (line.empty() ? "" : ", ") + where;
  return Error{static_cast<int>(cause),
               UserMessage(FileErrorSentence(op, PathToUtf8(path.filename()), cause), line)};
}

Path PathFromUtf8(std::string_view utf8) {
  return Path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string PathToUtf8(const Path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

Result<std::size_t> File::ReadFull(std::span<std::uint8_t> buffer) {
  std::size_t total = 0;
  while (total < buffer.size()) {
    auto n = Read(buffer.subspan(total));
    if (!n) return n.error();
    if (*n == 0) break;
    total += *n;
  }
  return total;
}

Result<AtomicFileWriter> AtomicFileWriter::Begin(const Path& target) {
  Error last = MakeFileError(FileOp::kSave, target, FileError::kExists, "");
  for (int attempt = 0; attempt < 8; ++attempt) {
    Path temp = TempNameFor(target, attempt);
    auto file = File::OpenFile(temp, File::Open::kWriteNew);
    if (file) return AtomicFileWriter(std::move(*file), std::move(temp), target);
    last = file.error();
    if (!FileExists(temp)) break;  // not a name clash: the folder is the problem
  }
  return AsSaveOf(target, last);
}

Result<void> AtomicFileWriter::Write(std::span<const std::uint8_t> data) {
  if (auto r = file_.Write(data); !r) return AsSaveOf(target_, r.error());
  return Ok();
}

AtomicFileWriter::~AtomicFileWriter() {
  if (!done_ && !temp_.empty()) {
    (void)file_.Close();
    (void)RemoveFile(temp_);
  }
}

Result<void> AtomicFileWriter::Commit() {
  done_ = true;
  auto fail = [this](Error e) -> Result<void> {
    (void)file_.Close();
    (void)RemoveFile(temp_);
    return AsSaveOf(target_, e);
  };
  if (auto r = file_.Sync(); !r) return fail(r.error());
  if (auto r = file_.Close(); !r) return fail(r.error());
  if (auto r = RenameOver(temp_, target_); !r) return fail(r.error());
  RemoveStaleTempFiles(target_);
  return Ok();
}

void RemoveStaleTempFilesIn(const Path& folder) { RemoveStaleFiles(folder, IsTempName); }

Result<void> WriteFileAtomically(const Path& target, std::span<const std::uint8_t> data) {
  auto writer = AtomicFileWriter::Begin(target);
  if (!writer) return writer.error();
  if (auto r = writer->Write(data); !r) return r;
  return writer->Commit();
}

Result<std::string> ReadWholeFile(const Path& path, std::uint64_t maxBytes) {
  auto file = File::OpenFile(path, File::Open::kRead);
  if (!file) return file.error();
  auto size = file->Size();
  if (!size) return size.error();
  if (*size > maxBytes) {
    return MakeFileError(FileOp::kRead, path, FileError::kTooLarge, "최대 " + std::to_string(maxBytes) + "바이트");
  }
  std::string data(static_cast<std::size_t>(*size), '\0');
  auto n = file->ReadFull({reinterpret_cast<std::uint8_t*>(data.data()), data.size()});
  if (!n) return n.error();
  data.resize(*n);
  return data;
}

}  // namespace common
