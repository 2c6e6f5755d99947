// The option button: a BUTTON of style BS_RADIOBUTTON whose check the
// model keeps (the group is the model's: the buttons of one parent).
#include "platform/gui/RadioButton.h"
#include "platform/gui/win32/Win32Peer.h"

namespace gui::win32 {

namespace {

class RadioButtonPeer : public Win32Peer {
 public:
  explicit RadioButtonPeer(RadioButton& button) : Win32Peer(button), button_(button) {
    MakeChild(L"BUTTON", WS_TABSTOP | BS_RADIOBUTTON, 0, W(button.Caption()));
    Apply(Change::kChecked, -1);
  }
  void OnCommand(int code) override {
    if (code == BN_CLICKED && !updating_ && !button_.UserClick()) Changed(Change::kChecked, -1);
  }

 protected:
  void Apply(Change what, int) override {
    if (what == Change::kText) SetWindowTextW(hwnd_, W(button_.Caption()).c_str());
    if (what == Change::kChecked) SendMessageW(hwnd_, BM_SETCHECK, button_.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
  }

 private:
  RadioButton& button_;
};

}  // namespace

std::unique_ptr<Peer> CreateRadioButtonPeer(RadioButton& button) { return std::make_unique<RadioButtonPeer>(button); }

}  // namespace gui::win32
