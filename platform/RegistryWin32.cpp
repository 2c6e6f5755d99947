#include <windows.h>

#include "common/ErrorText.h"
#include "common/TextCodec.h"
#include "platform/Registry.h"

namespace platform {

namespace {

HKEY RootKey(RegistryRoot root) { return root == RegistryRoot::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

std::wstring Wide(const std::string& utf8) {
  auto text = common::Utf8ToUtf16(utf8);
  if (!text) return {};
  return std::wstring(text->begin(), text->end());
}

// Error.code stays the system's code (ERROR_ACCESS_DENIED and the rest).
common::Error Failure(const char* call, const std::string& key, LONG code) {
  const auto kind = code == ERROR_ACCESS_DENIED ? common::RegistryError::kAccessDenied : common::RegistryError::kFailed;
  return common::Error{static_cast<int>(code),
                       common::UserMessage(common::ErrorSentence(kind), std::string(call) + " " + key + ", " +
                                                                            common::SystemErrorDetail(code))};
}

class Win32Registry : public Registry {
 public:
  common::Result<void> SetString(RegistryRoot root, const std::string& key, const std::string& name,
                                 const std::string& value) override {
    HKEY handle = nullptr;
    LONG rc = RegCreateKeyExW(RootKey(root), Wide(key).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                              nullptr);
    if (rc != ERROR_SUCCESS) return Failure("RegCreateKeyEx", key, rc);
    const std::wstring data = Wide(value);
    rc = RegSetValueExW(handle, Wide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                        static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    if (rc != ERROR_SUCCESS) return Failure("RegSetValueEx", key, rc);
    return common::Ok();
  }

  common::Result<void> DeleteValue(RegistryRoot root, const std::string& key, const std::string& name) override {
    HKEY handle = nullptr;
    LONG rc = RegOpenKeyExW(RootKey(root), Wide(key).c_str(), 0, KEY_SET_VALUE, &handle);
    if (rc == ERROR_FILE_NOT_FOUND) return common::Ok();
    if (rc == ERROR_ACCESS_DENIED) {
      // A user who may not write there may still see that there is nothing to delete.
      auto present = GetString(root, key, name);
      if (present && !*present) return common::Ok();
    }
    if (rc != ERROR_SUCCESS) return Failure("RegOpenKeyEx", key, rc);
    rc = RegDeleteValueW(handle, Wide(name).c_str());
    RegCloseKey(handle);
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return Failure("RegDeleteValue", key, rc);
    return common::Ok();
  }

  common::Result<std::optional<std::string>> GetString(RegistryRoot root, const std::string& key,
                                                       const std::string& name) override {
    HKEY handle = nullptr;
    LONG rc = RegOpenKeyExW(RootKey(root), Wide(key).c_str(), 0, KEY_QUERY_VALUE, &handle);
    if (rc == ERROR_FILE_NOT_FOUND) return std::optional<std::string>{};
    if (rc != ERROR_SUCCESS) return Failure("RegOpenKeyEx", key, rc);
    DWORD type = 0, size = 0;
    const std::wstring wname = Wide(name);
    rc = RegQueryValueExW(handle, wname.c_str(), nullptr, &type, nullptr, &size);
    std::wstring data;
    if (rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ) && size <= 65536) {
      data.resize(size / sizeof(wchar_t) + 1);
      rc = RegQueryValueExW(handle, wname.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    }
    RegCloseKey(handle);
    if (rc == ERROR_FILE_NOT_FOUND) return std::optional<std::string>{};
    if (rc != ERROR_SUCCESS) return Failure("RegQueryValueEx", key, rc);
    data.resize(wcsnlen(data.c_str(), data.size()));
    auto utf8 = common::Utf16ToUtf8(std::u16string(data.begin(), data.end()));
    if (!utf8) return utf8.error();
    return std::optional<std::string>{*utf8};
  }
};

}  // namespace

std::unique_ptr<Registry> CreateSystemRegistry() { return std::make_unique<Win32Registry>(); }

}  // namespace platform
