// For tests: holds a file open the way another program would, so that
// common::FileInUse reports it (Windows: an open handle refuses an
// exclusive open; Linux: a lock on the file).
#pragma once

#include "common/File.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace common::testing {

class BusyFile {
 public:
  explicit BusyFile(const Path& path) {
#ifdef _WIN32
    auto file = File::OpenFile(path, File::Open::kRead);
    if (file) file_ = std::move(*file);
#else
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ >= 0) ::flock(fd_, LOCK_SH);
#endif
  }
  ~BusyFile() {
#ifndef _WIN32
    if (fd_ >= 0) ::close(fd_);
#endif
  }
  BusyFile(const BusyFile&) = delete;
  BusyFile& operator=(const BusyFile&) = delete;

 private:
#ifdef _WIN32
  File file_;
#else
  int fd_ = -1;
#endif
};

}  // namespace common::testing
