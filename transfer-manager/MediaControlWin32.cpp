// The system's media control interface (WinMM command strings).
#include <windows.h>
#include <mmsystem.h>

#include "common/TextCodec.h"
#include "transfer-manager/MediaControl.h"

namespace halvern {

namespace {

// The code of a command the interface cannot parse (text that is not UTF-8).
constexpr std::uint32_t kBadCommand = MCIERR_UNRECOGNIZED_COMMAND;

// The command as ANSI text when the process's code page holds every
// character of it, else nothing.
bool ToAnsi(const std::wstring& wide, std::string& out) {
  if (wide.empty()) return true;
  BOOL lossy = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), nullptr,
                                    0, nullptr, &lossy);
  if (n <= 0 || lossy) return false;
  out.resize(static_cast<std::size_t>(n));
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr,
                      &lossy);
  return !lossy;
}

std::string AnsiToUtf8(const char* text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 1) return {};
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
  wide.resize(static_cast<std::size_t>(n - 1));
  return common::Utf16ToUtf8Lossy(std::u16string(wide.begin(), wide.end()));
}

class WinMediaControl : public MediaControl {
 public:
  std::uint32_t SendString(const std::string& command, std::string* reply) override {
    auto converted = common::Utf8ToUtf16(command);
    if (!converted) return kBadCommand;
    const std::u16string& u16 = *converted;
    const std::wstring wide(u16.begin(), u16.end());
    std::string ansi;
    if (ToAnsi(wide, ansi)) {
      char buffer[256] = {};
      const MCIERROR e = mciSendStringA(ansi.c_str(), reply ? buffer : nullptr, reply ? 255 : 0, nullptr);
      if (reply) *reply = AnsiToUtf8(buffer);
      return static_cast<std::uint32_t>(e);
    }
    // A path the ANSI code page cannot spell (a name in another script)
    // goes through the Unicode call, so it still opens.
    wchar_t buffer[256] = {};
    const MCIERROR e = mciSendStringW(wide.c_str(), reply ? buffer : nullptr, reply ? 255 : 0, nullptr);
    if (reply) {
      const std::wstring w(buffer);
      *reply = common::Utf16ToUtf8Lossy(std::u16string(w.begin(), w.end()));
    }
    return static_cast<std::uint32_t>(e);
  }

  std::string ErrorText(std::uint32_t code) override {
    char buffer[129];
    std::fill(std::begin(buffer), std::end(buffer) - 1, ' ');
    buffer[128] = '\0';
    if (!mciGetErrorStringA(code, buffer, 128)) return "Unknown media error " + std::to_string(code) + ".";
    return AnsiToUtf8(buffer);
  }
};

}  // namespace

std::unique_ptr<MediaControl> CreateSystemMediaControl() { return std::make_unique<WinMediaControl>(); }

}  // namespace halvern
