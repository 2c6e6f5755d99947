// "open" through the shell: a program is started, an address goes to the
// default web browser.
#include <windows.h>
#include <shellapi.h>

#include "common/ErrorText.h"
#include "common/TextCodec.h"
#include "tray-client/UpdateForm.h"

namespace orvel {

common::Result<void> ShellOpen(const std::string& what, const common::Path& folder) {
  auto wide = common::Utf8ToUtf16(what);
  if (!wide) return common::Error{0, common::UserMessage("", "열 수 없는 이름")};
  const std::wstring file(wide->begin(), wide->end());
  const std::wstring directory = folder.wstring();
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", file.c_str(), nullptr,
                                                              directory.empty() ? nullptr : directory.c_str(),
                                                              SW_SHOWNORMAL));
  if (result > 32) return common::Ok();
  return common::Error{static_cast<int>(result),
                       common::UserMessage("", "ShellExecute " + std::to_string(static_cast<long long>(result)) +
                                                   ", " + common::SystemErrorDetail(GetLastError()))};
}

}  // namespace orvel
