// File backend for Windows.
#include <windows.h>

#include "common/File.h"

namespace common {
namespace {

HANDLE H(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }

}  // namespace

Path PathFromAnsi(std::string_view ansi) {
  if (ansi.empty()) return Path();
  const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), w.data(), n);
  return Path(w);
}

namespace {

FileError Classify(DWORD e) {
  switch (e) {
    case ERROR_FILE_NOT_FOUND: case ERROR_PATH_NOT_FOUND: case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH: case ERROR_BAD_NET_NAME:
      return FileError::kNotFound;
    case ERROR_ACCESS_DENIED: case ERROR_WRITE_PROTECT: return FileError::kAccessDenied;
    case ERROR_SHARING_VIOLATION: case ERROR_LOCK_VIOLATION: return FileError::kInUse;
    case ERROR_DISK_FULL: case ERROR_HANDLE_DISK_FULL: return FileError::kDiskFull;
    case ERROR_FILE_EXISTS: case ERROR_ALREADY_EXISTS: return FileError::kExists;
    case ERROR_FILE_TOO_LARGE: return FileError::kTooLarge;
    default: return FileError::kFailed;
  }
}

}  // namespace

Error LastError(FileOp op, const Path& path) {
  const DWORD e = GetLastError();
  FileError cause = Classify(e);
  // Windows refuses a folder opened as a file as "access denied".
  if (cause == FileError::kAccessDenied) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      cause = FileError::kIsFolder;
    }
  }
  return MakeFileError(op, path, cause, SystemErrorDetail(static_cast<std::int64_t>(e)));
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

bool File::is_open() const { return handle_ != -1; }

Result<File> File::OpenFile(const Path& path, Open how) {
  DWORD access = GENERIC_WRITE;
  DWORD disposition = CREATE_ALWAYS;
  switch (how) {
    case Open::kRead: access = GENERIC_READ; disposition = OPEN_EXISTING; break;
    case Open::kWriteTruncate: disposition = CREATE_ALWAYS; break;
    case Open::kWriteKeep: disposition = OPEN_ALWAYS; break;
    case Open::kWriteNew: disposition = CREATE_NEW; break;
  }
  // Sharing like the C run-time's fopen, so one file can be open for reading
  // and for writing at once.
  HANDLE h = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return LastError(OpenOp(how), path);
  File f;
  f.handle_ = reinterpret_cast<std::intptr_t>(h);
  f.path_ = path;
  return f;
}

Result<std::size_t> File::Read(std::span<std::uint8_t> buffer) {
  const DWORD want = buffer.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(buffer.size());
  DWORD got = 0;
  if (!ReadFile(H(handle_), buffer.data(), want, &got, nullptr)) return LastError(FileOp::kRead, path_);
  return static_cast<std::size_t>(got);
}

Result<void> File::Write(std::span<const std::uint8_t> data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const std::size_t left = data.size() - done;
    const DWORD chunk = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
    DWORD wrote = 0;
    if (!WriteFile(H(handle_), data.data() + done, chunk, &wrote, nullptr) || wrote == 0) {
      return LastError(FileOp::kWrite, path_);
    }
    done += wrote;
  }
  return Ok();
}

Result<std::uint64_t> File::Size() {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(H(handle_), &size)) return LastError(FileOp::kMeasure, path_);
  return static_cast<std::uint64_t>(size.QuadPart);
}

Result<void> File::Seek(std::uint64_t offset) {
  LARGE_INTEGER to{};
  to.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(H(handle_), to, nullptr, FILE_BEGIN)) return LastError(FileOp::kSeek, path_);
  return Ok();
}

Result<void> File::Sync() {
  if (!FlushFileBuffers(H(handle_))) return LastError(FileOp::kSave, path_);
  return Ok();
}

Result<void> File::Close() {
  if (handle_ == -1) return Ok();
  HANDLE h = H(handle_);
  handle_ = -1;
  if (!CloseHandle(h)) return LastError(FileOp::kSave, path_);
  return Ok();
}

bool FileExists(const Path& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

PathAttributes GetPathAttributes(const Path& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return {};
  return {true, (a & FILE_ATTRIBUTE_DIRECTORY) != 0, (a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0,
          (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0};
}

bool FileInUse(const Path& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    return false;
  }
  const DWORD e = GetLastError();
  return e == ERROR_SHARING_VIOLATION || e == ERROR_LOCK_VIOLATION;
}

Result<void> RemoveFile(const Path& path) {
  if (!DeleteFileW(path.c_str())) return LastError(FileOp::kRemove, path);
  return Ok();
}

Result<void> RenameOver(const Path& from, const Path& to) {
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return LastError(FileOp::kRename, to);
  }
  return Ok();
}

}  // namespace common
