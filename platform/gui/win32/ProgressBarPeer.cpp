// The progress bar: comctl32's msctls_progress32.
#include "platform/gui/ProgressBar.h"
#include "platform/gui/win32/Win32Peer.h"

namespace gui::win32 {

namespace {

class ProgressBarPeer : public Win32Peer {
 public:
  explicit ProgressBarPeer(ProgressBar& bar) : Win32Peer(bar), bar_(bar) {
    MakeChild(PROGRESS_CLASSW, PBS_SMOOTH, 0, L"");
    Apply(Change::kValue, -1);
  }

 protected:
  void Apply(Change what, int) override {
    if (what != Change::kValue) return;
    SendMessageW(hwnd_, PBM_SETRANGE32, static_cast<WPARAM>(bar_.Min()), static_cast<LPARAM>(bar_.Max()));
    SendMessageW(hwnd_, PBM_SETPOS, static_cast<WPARAM>(bar_.Position()), 0);
    if (auto rgb = bar_.BarColor()) {
      SendMessageW(hwnd_, PBM_SETBARCOLOR, 0, RGB((*rgb >> 16) & 0xFF, (*rgb >> 8) & 0xFF, *rgb & 0xFF));
    }
  }

 private:
  ProgressBar& bar_;
};

}  // namespace

std::unique_ptr<Peer> CreateProgressBarPeer(ProgressBar& bar) { return std::make_unique<ProgressBarPeer>(bar); }

}  // namespace gui::win32
