// Two plain message windows: frmEraseFile names the file being erased,
// frmFormatEraseWait asks the user to wait while the medium is formatted or
// erased (the commands set its caption and text). No code of their own.
#pragma once

#include "platform/gui/Form.h"
#include "platform/gui/Label.h"

namespace halvern {

class EraseFileForm : public gui::Form {
 public:
  EraseFileForm();
  ~EraseFileForm() override;
  gui::Label lblErasingFileName{this};
  // Hides the form and clears its label.
  void Unload();
};

class FormatEraseWaitForm : public gui::Form {
 public:
  FormatEraseWaitForm();
  ~FormatEraseWaitForm() override;
  gui::Label Label1{this};
  void Unload();
};

extern EraseFileForm* frmEraseFile;
extern FormatEraseWaitForm* frmFormatEraseWait;

}  // namespace halvern
