// File backend for Linux.
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/File.h"

namespace common {

Path PathFromAnsi(std::string_view ansi) { return Path(std::string(ansi)); }

namespace {

FileError Classify(int e) {
  switch (e) {
    case ENOENT: case ENOTDIR: return FileError::kNotFound;
    case EACCES: case EPERM: case EROFS: return FileError::kAccessDenied;
    case EBUSY: case ETXTBSY: return FileError::kInUse;
    case ENOSPC: case EDQUOT: return FileError::kDiskFull;
    case EISDIR: return FileError::kIsFolder;
    case EEXIST: return FileError::kExists;
    case EFBIG: return FileError::kTooLarge;
    default: return FileError::kFailed;
  }
}

}  // namespace

Error LastError(FileOp op, const Path& path) {
  const int e = errno;
  return MakeFileError(op, path, Classify(e), SystemErrorDetail(e));
}

File::File(File&& other) noexcept : handle_(other.handle_), path_(std::move(other.path_)) { other.handle_ = -1; }
File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    (void)Close();
    handle_ = other.handle_;
    path_ = std::move(other.path_);
    other.handle_ = -1;
  }
  return *this;
}
File::~File() { (void)Close(); }

bool File::is_open() const { return handle_ >= 0; }

Result<File> File::OpenFile(const Path& path, Open how) {
  int flags = O_CLOEXEC;
  switch (how) {
    case Open::kRead: flags |= O_RDONLY; break;
    case Open::kWriteTruncate: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
    case Open::kWriteKeep: flags |= O_WRONLY | O_CREAT; break;
    case Open::kWriteNew: flags |= O_WRONLY | O_CREAT | O_EXCL; break;
  }
  const int fd = ::open(path.c_str(), flags, 0666);
  if (fd < 0) return LastError(OpenOp(how), path);
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    return MakeFileError(OpenOp(how), path, FileError::kIsFolder, "");
  }
  File f;
  f.handle_ = fd;
  f.path_ = path;
  return f;
}

Result<std::size_t> File::Read(std::span<std::uint8_t> buffer) {
  for (;;) {
    const ssize_t n = ::read(static_cast<int>(handle_), buffer.data(), buffer.size());
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) return LastError(FileOp::kRead, path_);
  }
}

Result<void> File::Write(std::span<const std::uint8_t> data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(static_cast<int>(handle_), data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return LastError(FileOp::kWrite, path_);
    done += static_cast<std::size_t>(n);
  }
  return Ok();
}

Result<std::uint64_t> File::Size() {
  struct stat st {};
  if (::fstat(static_cast<int>(handle_), &st) != 0) return LastError(FileOp::kMeasure, path_);
  return static_cast<std::uint64_t>(st.st_size);
}

Result<void> File::Seek(std::uint64_t offset) {
  if (::lseek(static_cast<int>(handle_), static_cast<off_t>(offset), SEEK_SET) < 0) {
    return LastError(FileOp::kSeek, path_);
  }
  return Ok();
}

Result<void> File::Sync() {
  if (::fsync(static_cast<int>(handle_)) != 0) return LastError(FileOp::kSave, path_);
  return Ok();
}

Result<void> File::Close() {
  if (handle_ < 0) return Ok();
  const int fd = static_cast<int>(handle_);
  handle_ = -1;
  if (::close(fd) != 0) return LastError(FileOp::kSave, path_);
  return Ok();
}

bool FileExists(const Path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

PathAttributes GetPathAttributes(const Path& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return {};
  const bool link = S_ISLNK(st.st_mode);
  if (link && ::stat(path.c_str(), &st) != 0) return {false, false, false, true};  // a dangling link
  return {true, S_ISDIR(st.st_mode), false, link};
}

bool FileInUse(const Path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);
  return locked;
}

Result<void> RemoveFile(const Path& path) {
  if (::unlink(path.c_str()) != 0) return LastError(FileOp::kRemove, path);
  return Ok();
}

Result<void> RenameOver(const Path& from, const Path& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return LastError(FileOp::kRename, to);
  return Ok();
}

}  // namespace common
