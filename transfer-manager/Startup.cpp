#include "transfer-manager/Startup.h"

#include "transfer-manager/HalvernEnvironment.h"
#include "transfer-manager/Texts.h"
#include "transfer-manager/frmMessages.h"
#include "transfer-manager/frmProductName.h"
#include "transfer-manager/frmProgress.h"
#include "transfer-manager/frmShape.h"
#include "transfer-manager/frmWait.h"
#include "transfer-manager/modDevice.h"
#include "transfer-manager/modPreview.h"
#include "transfer-manager/modUpload.h"
#include "transfer-manager/modVariables.h"

namespace halvern {

namespace {
std::unique_ptr<TransportLibrary>& TransportSlot() {
  static std::unique_ptr<TransportLibrary> library;
  return library;
}
}  // namespace

HalvernEnvironment& Environment() {
  static HalvernEnvironment environment;
  return environment;
}

TransportLibrary* Transport() { return TransportSlot().get(); }

void SetTransport(std::unique_ptr<TransportLibrary> library) { TransportSlot() = std::move(library); }

Started StartHalvern(gui::Application& app) {
  auto& env = Environment();
  Started started;
  ResetVariables();

  auto library = LoadTransportLibrary(env.programFolder, *env.driver);
  if (!library) {
    app.MessageBox(text::kLibraryMissing, text::kLibraryMissingTitle, gui::Buttons::kOk, gui::MsgIcon::kNone);
    started.result = StartResult::kLibraryMissing;
    return started;
  }
  started.guard.emplace(platform::NamedMapping::Create(env.instanceName, 1024));
  if (started.guard->AlreadyExisted()) {
    started.result = StartResult::kAlreadyRunning;
    return started;
  }
  SetTransport(std::move(library));
  SetDevice(std::make_unique<DeviceAccess>(*env.driver));

  app.SetTitle("Halvern");
  auto& shape = app.CreateForm<ShapeForm>();
  app.SetMainForm(&shape);
  InstallUpload(shape);
  InstallPreview(shape, env.media ? env.media() : CreateSystemMediaControl());
  app.CreateForm<ProgressForm>();
  app.CreateForm<WaitForm>();
  app.CreateForm<EraseFileForm>();
  app.CreateForm<FormatEraseWaitForm>();
  app.CreateForm<ProductNameForm>();
  shape.Show();
  return started;
}

}  // namespace halvern
