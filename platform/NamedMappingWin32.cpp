#include <windows.h>

#include "common/TextCodec.h"
#include "platform/NamedMapping.h"

namespace platform {

NamedMapping NamedMapping::Create(const std::string& name, std::size_t size) {
  auto wide = common::Utf8ToUtf16(name);
  std::wstring wname = wide ? std::wstring(wide->begin(), wide->end()) : std::wstring();
  HANDLE handle = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                     static_cast<DWORD>(static_cast<std::uint64_t>(size) >> 32),
                                     static_cast<DWORD>(size & 0xFFFFFFFFu), wname.c_str());
  const bool existed = handle != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
  return NamedMapping(reinterpret_cast<std::intptr_t>(handle), existed);
}

NamedMapping::NamedMapping(NamedMapping&& other) noexcept : handle_(other.handle_), existed_(other.existed_) {
  other.handle_ = 0;
}

NamedMapping::~NamedMapping() {
  if (handle_ != 0) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

}  // namespace platform
