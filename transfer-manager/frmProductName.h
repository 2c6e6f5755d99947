// frmProductName: the user names the player's model when the player does not
// report a known one. ChooseModel shows it and waits, handling messages,
// until OK or the close box ends the choice; the model code is then the
// one chosen with OK, or unchanged (no option chosen, or the window closed).
#pragma once

#include "platform/gui/Button.h"
#include "platform/gui/Form.h"
#include "platform/gui/GroupBox.h"
#include "platform/gui/RadioButton.h"

namespace halvern {

class ProductNameForm : public gui::Form {
 public:
  ProductNameForm();
  ~ProductNameForm() override;

  gui::GroupBox Frame1{this};
  gui::RadioButton optZmrA{&Frame1};
  gui::RadioButton optZmrB{&Frame1};
  gui::RadioButton optZmrC{&Frame1};
  gui::Button cmdOK{this};

  // Load: no option chosen. Unload: hidden.
  void Load();
  void Unload();

  void cmdOK_Click();
};

extern ProductNameForm* frmProductName;

// Sets modelChoicePending, shows the form and waits until the choice ends
// (OK, the close box, or the program ending); clears the flag. Gives the
// model code afterwards.
std::string ChooseModel();

}  // namespace halvern
