#include "transfer-manager/modModelFiles.h"

#include <filesystem>

#include "platform/gui/Application.h"
#include "transfer-manager/frmProductName.h"
#include "transfer-manager/modCommon.h"
#include "transfer-manager/modVariables.h"
#include "transfer-manager/modWrite.h"

namespace halvern {

namespace {
constexpr const char* kDecoderV103 = "CORVANE_ENCO_DEC_ORG_V103.bot";
constexpr const char* kDecoderV104 = "CORVANE_ENCO_DEC_ORG_V104.bot";
constexpr const char* kEncoderV103 = "CORVANE_ENCO_ENC_ORG_V103.bot";
constexpr const char* kMp3Decoder = "CORVANE_MP3P_DEC_ORG_V100.bot";
// The decoder image of version 1.4 and later players of the older model.
constexpr int kDecoderV104From = 14;
}  // namespace

std::vector<std::string> ModelImageFiles(const std::string& modelCode, int firmwareVersion) {
  if (modelCode == kModelZmrA) {
    return {firmwareVersion >= kDecoderV104From ? kDecoderV104 : kDecoderV103, kEncoderV103};
  }
  if (modelCode == kModelZmrB || modelCode == kModelZmrC) return {kMp3Decoder};
  return {};
}

bool CheckBootFiles(ShapeForm& form) {
  auto& app = gui::App();
  app.ProcessMessages();
  const std::string folder = TextOfPath(Vars().programFolder);
  for (const auto& name : ModelImageFiles(Vars().modelCode, Vars().firmwareVersion)) {
    const std::string path = JoinPath(folder, name);
    const auto& p = PathFromText(path);
    if (!FileExists(p)) {
      app.MessageBox(name + " File is not exists!!!", "Not Exist File", gui::Buttons::kOk, gui::MsgIcon::kNone);
      return false;
    }
    std::error_code ec;
    const auto length = std::filesystem::file_size(p, ec);
    form.lvwTmpDownload.AddItem(gui::ListItem{name, {ec ? "0" : std::to_string(length), path}});
  }
  return true;
}

bool CheckModelFiles(ShapeForm& form) {
  auto& app = gui::App();
  if (!IsKnownModel(Vars().modelCode)) {
    ChooseModel();
    // The chooser closed without a model: nothing to write.
    if (!IsKnownModel(Vars().modelCode)) return true;
  }
  if (!CheckBootFiles(form)) {
    form.lvwTmpDownload.Clear();
    return false;
  }
  const bool written = ConfirmOverwrite(form, form.lvwTmpDownload, true, true);
  app.ProcessMessages();
  form.lvwTmpDownload.Clear();
  app.Sleep(300);
  return written;
}

}  // namespace halvern
