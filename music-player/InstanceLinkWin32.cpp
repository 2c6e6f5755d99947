// The running player found by its main window's caption; a file handed to
// it as WM_COPYDATA (the bytes are copied into the receiving process).
#include <windows.h>

#include "music-player/VantuApp.h"

namespace vantu {

namespace {

// A running player that does not answer within this time is left alone.
constexpr UINT kHandOverTimeoutMs = 5000;

class Win32InstanceLink : public InstanceLink {
 public:
  bool OtherPlayerRunning() override { return Find() != nullptr; }
  bool HandOverFile(const std::string& path) override {
    HWND window = Find();
    if (!window || path.empty() || path.size() > kMaxHandOverBytes) return false;
    COPYDATASTRUCT data{};
    data.dwData = kHandOverTag;
    data.cbData = static_cast<DWORD>(path.size() + 1);
    data.lpData = const_cast<char*>(path.c_str());
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                               kHandOverTimeoutMs, &answer) != 0;
  }

 private:
  static HWND Find() { return FindWindowA(nullptr, kMainWindowCaption); }
};

}  // namespace

std::unique_ptr<InstanceLink> CreateSystemInstanceLink() { return std::make_unique<Win32InstanceLink>(); }

}  // namespace vantu
