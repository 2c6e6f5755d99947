#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "common/TextCodec.h"
#include "music-player/windows/PlayerShell.h"

namespace vantu {

namespace {

std::wstring Wide(const std::string& utf8) {
  auto text = common::Utf8ToUtf16(utf8);
  return text ? std::wstring(text->begin(), text->end()) : std::wstring();
}

}  // namespace

bool SystemShell::StartCommand(const std::string& commandLine) {
  std::wstring line = Wide(commandLine);
  if (line.empty()) return false;
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

bool SystemShell::OpenInDefaultBrowser(const std::string& address) {
  if (!IsWebAddress(address)) return false;
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", Wide(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

}  // namespace vantu
