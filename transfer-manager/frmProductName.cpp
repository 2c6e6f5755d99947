#include "transfer-manager/frmProductName.h"

#include "platform/gui/Application.h"
#include "transfer-manager/Twips.h"
#include "transfer-manager/modCommon.h"
#include "transfer-manager/modVariables.h"

namespace halvern {

ProductNameForm* frmProductName = nullptr;

ProductNameForm::ProductNameForm() {
  frmProductName = this;
  SetCaption("Select Product Name");
  SetClientSize(Tw(3375), Tw(1215));
  SetPosition(Position::kScreenCenter);
  Frame1.SetCaption("Product Name");
  Frame1.SetBounds(Tw(120), Tw(60), Tw(1815), Tw(1080));
  struct Option {
    gui::RadioButton& button;
    const char* caption;
    int top;
  };
  for (const Option& o : {Option{optZmrA, "ZMR-A", 270}, Option{optZmrB, "ZMR-B", 525}, Option{optZmrC, "ZMR-C", 795}}) {
    o.button.SetCaption(o.caption);
    o.button.SetBounds(Tw(120), Tw(o.top), Tw(1455), Tw(255));
  }
  cmdOK.SetCaption("OK");
  cmdOK.SetBounds(Tw(2070), Tw(420), Tw(1215), Tw(375));
  cmdOK.SetDefault(true);
  cmdOK.OnClick = [this] { cmdOK_Click(); };
  // Closing the window ends the choice with the code as it was: nobody
  // waits for a window that is gone.
  OnClose = [this](CloseAction& action) {
    action = CloseAction::kNone;
    Vars().modelChoicePending = false;
    Unload();
  };
  Create();
}

ProductNameForm::~ProductNameForm() {
  Destroy();
  if (frmProductName == this) frmProductName = nullptr;
}

void ProductNameForm::Load() {
  for (gui::RadioButton* o : {&optZmrA, &optZmrB, &optZmrC}) o->SetChecked(false);
}

void ProductNameForm::Unload() { Hide(); }

void ProductNameForm::cmdOK_Click() {
  auto& app = gui::App();
  app.ProcessMessages();
  Hide();
  app.ProcessMessages();
  if (optZmrA.Checked()) {
    Vars().modelCode = kModelZmrA;
  } else if (optZmrB.Checked()) {
    Vars().modelCode = kModelZmrB;
  } else if (optZmrC.Checked()) {
    Vars().modelCode = kModelZmrC;
  }
  Vars().modelChoicePending = false;
  Unload();
}

std::string ChooseModel() {
  auto& app = gui::App();
  Vars().modelChoicePending = true;
  app.ProcessMessages();
  if (frmProductName) {
    // A question: the user reaches this window alone until it is answered.
    gui::ModalScope question({frmProductName});
    frmProductName->Load();
    frmProductName->Show();
    app.ProcessMessages();
    while (Vars().modelChoicePending && frmProductName->Visible() && !app.Terminated()) app.HandleMessage();
  }
  Vars().modelChoicePending = false;
  if (frmProductName) frmProductName->Unload();
  return Vars().modelCode;
}

}  // namespace halvern
