// The small windows: progress, wait, erase, format/erase wait and the model
// choice.
#include <gtest/gtest.h>

#include "transfer-manager/frmMessages.h"
#include "transfer-manager/frmProductName.h"
#include "transfer-manager/frmProgress.h"
#include "transfer-manager/tests/HalvernTestSupport.h"

namespace halvern {
namespace {

class FormsTest : public testing::HalvernTest {
 protected:
  void SetUp() override { ASSERT_EQ(Start().result, StartResult::kRunning); }
};

TEST_F(FormsTest, ProgressCancelSetsTheFlagOnceAndTheCloseBoxDoesNothing) {
  frmProgress->Load();
  frmProgress->Show();
  EXPECT_EQ(frmProgress->cmdCancel.Caption(), "  Cancel    ");
  EXPECT_TRUE(frmProgress->cmdCancel.Enabled());
  EXPECT_EQ(frmProgress->ProgressBar.Max(), 100);
  frmProgress->UserClose();
  EXPECT_TRUE(frmProgress->Visible());  // the Close command is gone

  ASSERT_TRUE(frmProgress->cmdCancel.UserClick());
  EXPECT_TRUE(Vars().transferCancelled);
  EXPECT_FALSE(frmProgress->cmdCancel.Enabled());
  Vars().transferCancelled = false;  // the transfer took note
  EXPECT_FALSE(frmProgress->cmdCancel.UserClick());
  EXPECT_FALSE(Vars().transferCancelled);

  frmProgress->Unload();
  frmProgress->Load();  // the next transfer starts with Cancel usable
  EXPECT_TRUE(frmProgress->cmdCancel.Enabled());
}

TEST_F(FormsTest, MessageWindowsCarryTheirTextsUntilUnloaded) {
  EXPECT_EQ(frmEraseFile->Caption(), "Erasing");
  frmEraseFile->lblErasingFileName.SetCaption("a.mp3 is erasing !!!");
  frmEraseFile->Show();
  frmEraseFile->UserClose();
  EXPECT_TRUE(frmEraseFile->Visible());
  frmEraseFile->Unload();
  EXPECT_FALSE(frmEraseFile->Visible());
  EXPECT_EQ(frmEraseFile->lblErasingFileName.Caption(), "");
  EXPECT_EQ(frmFormatEraseWait->Caption(), "");
}

TEST_F(FormsTest, TheModelChoiceTakesTheChosenOptionOrKeepsTheCode) {
  EXPECT_EQ(frmProductName->Caption(), "Select Product Name");
  EXPECT_EQ(frmProductName->Frame1.Caption(), "Product Name");
  Vars().modelCode = "F0FF";

  // OK with ZMR-B chosen.
  backend().OnIdle = [] {
    if (!frmProductName->Visible()) return false;
    EXPECT_TRUE(Vars().modelChoicePending);
    EXPECT_FALSE(frmProductName->optZmrA.Checked());  // none chosen at first
    frmProductName->optZmrB.UserClick();
    return frmProductName->cmdOK.UserClick();
  };
  EXPECT_EQ(ChooseModel(), "F011");
  EXPECT_FALSE(Vars().modelChoicePending);
  EXPECT_FALSE(frmProductName->Visible());

  // OK with nothing chosen keeps the code.
  backend().OnIdle = [] { return frmProductName->Visible() && frmProductName->cmdOK.UserClick(); };
  EXPECT_EQ(ChooseModel(), "F011");

  // The close box ends the wait as well, with the code unchanged.
  Vars().modelCode = "";
  backend().OnIdle = [] {
    if (!frmProductName->Visible()) return false;
    frmProductName->optZmrC.UserClick();  // chosen, then the window closed: no OK
    frmProductName->UserClose();
    return true;
  };
  EXPECT_EQ(ChooseModel(), "");
  EXPECT_FALSE(Vars().modelChoicePending);

  backend().OnIdle = [] { return frmProductName->Visible() && frmProductName->optZmrA.UserClick() &&
                                 frmProductName->cmdOK.UserClick(); };
  EXPECT_EQ(ChooseModel(), "F010");
}

}  // namespace
}  // namespace halvern
