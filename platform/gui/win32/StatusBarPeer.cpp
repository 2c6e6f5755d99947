// The status bar: comctl32's msctls_statusbar32, placed by the form like
// every other control (no parent alignment).
#include <vector>

#include "platform/gui/StatusBar.h"
#include "platform/gui/win32/Win32Peer.h"

namespace gui::win32 {

namespace {

class StatusBarPeer : public Win32Peer {
 public:
  explicit StatusBarPeer(StatusBar& bar) : Win32Peer(bar), bar_(bar) {
    MakeChild(STATUSCLASSNAMEW, CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, 0, L"");
    Parts();
  }

 protected:
  void Parts() {
    const int count = bar_.PanelCount();
    SendMessageW(hwnd_, SB_SIMPLE, count == 0, 0);
    if (count == 0) {
      SendMessageW(hwnd_, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(W(bar_.SimpleText()).c_str()));
      return;
    }
    std::vector<int> edges;
    int right = 0;
    for (const auto& panel : bar_.Panels()) {
      if (panel.width < 0) {
        edges.push_back(-1);
        break;
      }
      right += S(panel.width);
      edges.push_back(right);
    }
    SendMessageW(hwnd_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    for (int i = 0; i < static_cast<int>(edges.size()); ++i) Text(i);
  }
  void Text(int index) {
    const StatusPanel& panel = bar_.Panel(index);
    // A tab before the text centres it, two right-align it.
    std::wstring text = panel.alignment == Align::kCenter ? L"\t" : panel.alignment == Align::kRight ? L"\t\t" : L"";
    text += W(panel.text);
    SendMessageW(hwnd_, SB_SETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
  }
  void Apply(Change what, int index) override {
    if (what == Change::kText) Parts();
    if (what != Change::kPanels) return;
    if (index >= 0 && index < bar_.PanelCount()) Text(index);
    else Parts();
  }

 private:
  StatusBar& bar_;
};

}  // namespace

std::unique_ptr<Peer> CreateStatusBarPeer(StatusBar& bar) { return std::make_unique<StatusBarPeer>(bar); }

}  // namespace gui::win32
