// Halvern.exe: the transfer manager on the Win32 backend. The transport
// library beside the program and the single instance are checked first;
// then the main window runs until the user quits.
#include <windows.h>

#include <filesystem>

#include "platform/Registry.h"
#include "platform/gui/Application.h"
#include "platform/gui/win32/Win32Backend.h"
#include "player-link/Driver.h"
#include "transfer-manager/HalvernEnvironment.h"
#include "transfer-manager/Startup.h"
#include "transfer-manager/modDevice.h"
#include "transfer-manager/modPreview.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  wchar_t module[MAX_PATH * 4] = {};
  GetModuleFileNameW(nullptr, module, static_cast<DWORD>(std::size(module)));
  auto registry = platform::CreateSystemRegistry();
  auto shell = halvern::CreateSystemShell();
  auto& env = halvern::Environment();
  env.programFolder = std::filesystem::path(module).parent_path();
  env.registry = registry.get();
  env.driver = &playerlink::SystemDriver();
  env.shell = shell.get();

  gui::Application app(gui::win32::CreateWin32Backend(instance));
  auto started = halvern::StartHalvern(app);
  if (started.result != halvern::StartResult::kRunning) return 0;
  app.Run();
  app.DestroyForms();
  halvern::ResetPreview();
  halvern::SetDevice(nullptr);
  halvern::SetTransport(nullptr);
  return 0;
}
