// The panel: a window of the layer's own panel class (which passes its
// children's notifications on), with a bevelled edge as the panel asks.
#include "platform/gui/Panel.h"
#include "platform/gui/win32/Win32Peer.h"

namespace gui::win32 {

namespace {

class PanelPeer : public Win32Peer {
 public:
  explicit PanelPeer(Panel& panel) : Win32Peer(panel) {
    const DWORD edge = panel.bevel() == Panel::Bevel::kLowered  ? WS_EX_STATICEDGE
                       : panel.bevel() == Panel::Bevel::kRaised ? WS_EX_DLGMODALFRAME
                                                                : 0;
    MakeChild(kPanelClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT | edge, L"");
  }
};

}  // namespace

std::unique_ptr<Peer> CreatePanelPeer(Panel& panel) { return std::make_unique<PanelPeer>(panel); }

}  // namespace gui::win32
