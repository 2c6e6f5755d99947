// For tests: a file of a given size that takes no disk space (a hole after
// whatever it already holds), for the 4 GiB files of the size tests. On
// Windows it is made with SetEndOfFile, which leaves a hole under Wine,
// rather than with the C runtime's resize, whose way of growing a file is
// the runtime's own.
#pragma once

#include <cstdint>
#include <system_error>

#include "common/File.h"

#ifdef _WIN32
#include <windows.h>
#include <winioctl.h>
#else
#include <filesystem>
#endif

namespace common::testing {

// Creates the file when it is missing. Throws std::system_error on failure.
inline void MakeSparseFile(const Path& path, std::uint64_t size) {
#ifdef _WIN32
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), "CreateFileW");
  DWORD ignored = 0;
  // Marked sparse where the file system knows sparse files (NTFS); elsewhere
  // the end of file alone leaves a hole or is allocated without writing.
  ::DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(size);
  const bool ok = ::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && ::SetEndOfFile(file);
  const DWORD error = ::GetLastError();
  ::CloseHandle(file);
  if (!ok) throw std::system_error(static_cast<int>(error), std::system_category(), "SetEndOfFile");
#else
  if (!std::filesystem::exists(path)) {
    auto file = File::OpenFile(path, File::Open::kWriteTruncate);
    if (!file.ok()) throw std::system_error(std::make_error_code(std::errc::io_error), "create");
  }
  std::filesystem::resize_file(path, size);
#endif
}

}  // namespace common::testing
