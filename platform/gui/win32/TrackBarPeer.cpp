// The track bar: comctl32's msctls_trackbar32; its moves arrive as
// WM_HSCROLL / WM_VSCROLL at the parent, which reflects them here.
#include "platform/gui/TrackBar.h"
#include "platform/gui/win32/Win32Peer.h"

namespace gui::win32 {

namespace {

class TrackBarPeer : public Win32Peer {
 public:
  explicit TrackBarPeer(TrackBar& bar) : Win32Peer(bar), bar_(bar) {
    const DWORD orientation = bar.orientation() == TrackBar::Orientation::kVertical ? TBS_VERT : TBS_HORZ;
    MakeChild(TRACKBAR_CLASSW, WS_TABSTOP | orientation | (bar.Frequency() > 0 ? TBS_AUTOTICKS : TBS_NOTICKS), 0, L"");
    updating_ = true;
    Apply(Change::kValue, -1);
    updating_ = false;
  }
  void OnScroll(int) override {
    if (updating_) return;
    const int position = static_cast<int>(SendMessageW(hwnd_, TBM_GETPOS, 0, 0));
    if (!bar_.UserSetPosition(position)) Changed(Change::kValue, -1);
  }

 protected:
  void Apply(Change what, int) override {
    if (what != Change::kValue) return;
    SendMessageW(hwnd_, TBM_SETRANGEMIN, FALSE, bar_.Min());
    SendMessageW(hwnd_, TBM_SETRANGEMAX, FALSE, bar_.Max());
    if (bar_.Frequency() > 0) SendMessageW(hwnd_, TBM_SETTICFREQ, static_cast<WPARAM>(bar_.Frequency()), 0);
    SendMessageW(hwnd_, TBM_SETPOS, TRUE, bar_.Position());
  }

 private:
  TrackBar& bar_;
};

}  // namespace

std::unique_ptr<Peer> CreateTrackBarPeer(TrackBar& bar) { return std::make_unique<TrackBarPeer>(bar); }

}  // namespace gui::win32
