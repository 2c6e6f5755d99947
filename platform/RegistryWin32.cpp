#include <windows.h>

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

common::Error Failure(const char* what, const std::string& key, LONG code) {
  wchar_t buffer[256] = {};
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(code), 0,
                 buffer, 255, nullptr);
  std::u16string text(reinterpret_cast<const char16_t*>(buffer));
  while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r')) text.pop_back();
  auto utf8 = common::Utf16ToUtf8(text);
  return common::Error{static_cast<int>(code),
                       std::string(what) + " " + key + ": " + (utf8 ? *utf8 : std::to_string(code))};
}

class Win32Registry : public Registry {
 public:
  common::Result<void> SetString(RegistryRoot root, const std::string& key, const std::string& name,
                                 const std::string& value) override {
    HKEY handle = nullptr;
    LONG rc = RegCreateKeyExW(RootKey(root), Wide(key).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                              nullptr);
    if (rc != ERROR_SUCCESS) return Failure("cannot open registry key", key, rc);
    const std::wstring data = Wide(value);
    rc = RegSetValueExW(handle, Wide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                        static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    if (rc != ERROR_SUCCESS) return Failure("cannot write registry value under", key, rc);
    return common::Ok();
  }

  common::Result<void> DeleteValue(RegistryRoot root, const std::string& key, const std::string& name) override {
    HKEY handle = nullptr;
    LONG rc = RegOpenKeyExW(RootKey(root), Wide(key).c_str(), 0, KEY_SET_VALUE, &handle);
    if (rc == ERROR_FILE_NOT_FOUND) return common::Ok();
    if (rc != ERROR_SUCCESS) return Failure("cannot open registry key", key, rc);
    rc = RegDeleteValueW(handle, Wide(name).c_str());
    RegCloseKey(handle);
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return Failure("cannot delete registry value under", key, rc);
    return common::Ok();
  }

  common::Result<std::optional<std::string>> GetString(RegistryRoot root, const std::string& key,
                                                       const std::string& name) override {
    HKEY handle = nullptr;
    LONG rc = RegOpenKeyExW(RootKey(root), Wide(key).c_str(), 0, KEY_QUERY_VALUE, &handle);
    if (rc == ERROR_FILE_NOT_FOUND) return std::optional<std::string>{};
    if (rc != ERROR_SUCCESS) return Failure("cannot open registry key", key, rc);
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
    if (rc != ERROR_SUCCESS) return Failure("cannot read registry value under", key, rc);
    data.resize(wcsnlen(data.c_str(), data.size()));
    auto utf8 = common::Utf16ToUtf8(std::u16string(data.begin(), data.end()));
    if (!utf8) return utf8.error();
    return std::optional<std::string>{*utf8};
  }
};

}  // namespace

std::unique_ptr<Registry> CreateSystemRegistry() { return std::make_unique<Win32Registry>(); }

}  // namespace platform
