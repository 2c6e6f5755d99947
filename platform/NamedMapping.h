// A named, page-file backed memory object used as a single-instance guard:
// it exists while the process that made it runs. On Windows a named file
// mapping; natively a locked file in the system's temporary folder (or
// $NAMED_MAPPING_DIR), released when the process ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

class NamedMapping {
 public:
  // Creates the object; AlreadyExisted() tells whether another process had
  // made it first. A failure for any other reason gives a guard that did
  // not exist before, so a program still starts.
  static NamedMapping Create(const std::string& name, std::size_t size);

  NamedMapping(NamedMapping&& other) noexcept;
  NamedMapping& operator=(NamedMapping&&) = delete;
  NamedMapping(const NamedMapping&) = delete;
  ~NamedMapping();

  bool AlreadyExisted() const { return existed_; }

 private:
  NamedMapping(std::intptr_t handle, bool existed) : handle_(handle), existed_(existed) {}
  std::intptr_t handle_;
  bool existed_;
};

}  // namespace platform
