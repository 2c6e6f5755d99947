#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/NamedMapping.h"

namespace platform {

NamedMapping NamedMapping::Create(const std::string& name, std::size_t) {
  const char* dir = std::getenv("NAMED_MAPPING_DIR");
  const std::string path = std::string(dir && *dir ? dir : "/tmp") + "/" + name + ".mapping";
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return NamedMapping(-1, false);
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return NamedMapping(-1, true);
  }
  return NamedMapping(fd, false);
}

NamedMapping::NamedMapping(NamedMapping&& other) noexcept : handle_(other.handle_), existed_(other.existed_) {
  other.handle_ = -1;
}

NamedMapping::~NamedMapping() {
  if (handle_ >= 0) close(static_cast<int>(handle_));
}

}  // namespace platform
