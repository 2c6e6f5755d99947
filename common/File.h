// Files through the platform's own calls (CreateFileW and friends on
// Windows, open/read/write on Linux), with every failure reported.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "common/ErrorText.h"
#include "common/Result.h"

namespace common {

using Path = std::filesystem::path;

// A path given as text in the system's ANSI code page (what 8-bit Windows
// callers pass). On Windows it is converted with the process code page; on
// Linux the bytes are the path.
Path PathFromAnsi(std::string_view ansi);

class File {
 public:
  enum class Open {
    kRead,            // existing file, read only
    kWriteTruncate,   // create or truncate, write only
    kWriteKeep,       // create when missing, keep the contents otherwise
    kWriteNew,        // create; fail when the file exists
  };

  File() = default;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();

  static Result<File> OpenFile(const Path& path, Open how);

  bool is_open() const;
  // Reads up to buffer.size() bytes; 0 at the end of the file.
  Result<std::size_t> Read(std::span<std::uint8_t> buffer);
  // Reads until the buffer is full or the file ends; gives the count.
  Result<std::size_t> ReadFull(std::span<std::uint8_t> buffer);
  // Writes all of `data` or fails.
  Result<void> Write(std::span<const std::uint8_t> data);
  Result<std::uint64_t> Size();
  Result<void> Seek(std::uint64_t offset);
  // Pushes written data to the storage device.
  Result<void> Sync();
  // Closes and reports a failed close; closing a closed file does nothing.
  Result<void> Close();

 private:
  std::intptr_t handle_ = -1;
  Path path_;  // for error messages
};

// The operation a failed open is told as: reading opens, writing into a
// kept file writes, the other modes create.
inline FileOp OpenOp(File::Open how) {
  return how == File::Open::kRead ? FileOp::kOpen : how == File::Open::kWriteKeep ? FileOp::kWrite : FileOp::kCreate;
}

// Paths as the GUI layer's UTF-8 texts and back (UTF-16 on Windows).
Path PathFromUtf8(std::string_view utf8);
std::string PathToUtf8(const Path& path);

bool FileExists(const Path& path);
// What the file system says of a path, the name taken literally (no
// wildcards): GetFileAttributesW on Windows, stat on Linux.
struct PathAttributes {
  bool exists = false;
  bool directory = false;
  bool hidden = false;  // hidden or system (Windows only)
  bool link = false;    // a symbolic link, junction or other reparse point (the rest is of what it names)
};
PathAttributes GetPathAttributes(const Path& path);
// Another program holds the file open, so that it cannot be opened for
// itself alone (Windows: a sharing violation; Linux: a lock on the file).
// False for a file that is missing or that only this check cannot read.
bool FileInUse(const Path& path);
Result<void> RemoveFile(const Path& path);
// Renames `from` onto `to`, replacing `to` when it exists.
Result<void> RenameOver(const Path& from, const Path& to);
// The error of the last platform call (errno / GetLastError) that did `op`
// on `path`: code = its FileError; the message names the file and the
// operation, with the system's number and the path on the detail line.
Error LastError(FileOp op, const Path& path);
// The same for a failure the caller found itself; `detail` (may be empty)
// goes before the path on the detail line.
Error MakeFileError(FileOp op, const Path& path, FileError cause, std::string_view detail);

// Writes a file as a whole or not at all: the bytes go to a temporary file in
// the target's folder ("<target>.<n>-<n>-<n>.tmp"), which is synced and then
// renamed over the target. Dropping the writer before Commit() removes the
// temporary file. A commit also removes such files of earlier writes of the
// same target that a killed process left behind (unwritten for 10 minutes). Its
// failures name the target ("... 파일을 저장할 수 없습니다."); the detail line
// keeps the system's number and the temporary file's path.
class AtomicFileWriter {
 public:
  static Result<AtomicFileWriter> Begin(const Path& target);

  AtomicFileWriter(AtomicFileWriter&&) noexcept = default;
  AtomicFileWriter& operator=(AtomicFileWriter&&) noexcept = default;
  ~AtomicFileWriter();

  Result<void> Write(std::span<const std::uint8_t> data);
  Result<void> Commit();
  const Path& temp_path() const { return temp_; }

 private:
  AtomicFileWriter(File file, Path temp, Path target)
      : file_(std::move(file)), temp_(std::move(temp)), target_(std::move(target)) {}
  File file_;
  Path temp_;
  Path target_;
  bool done_ = false;
};

// Removes what killed writers of any target left in `folder`: files of the
// temporary name form above that have not been written for 10 minutes.
void RemoveStaleTempFilesIn(const Path& folder);

Result<void> WriteFileAtomically(const Path& target, std::span<const std::uint8_t> data);
Result<std::string> ReadWholeFile(const Path& path, std::uint64_t maxBytes);

}  // namespace common
