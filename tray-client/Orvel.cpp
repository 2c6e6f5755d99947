// Orvel.exe: the single-instance guard, then the application on the Win32
// backend with the four start-up forms, then the message loop until the
// tray menu's Exit closes the main form.
#include <windows.h>
#include <shlobj.h>

#include <filesystem>
#include <memory>

#include "platform/NamedMapping.h"
#include "platform/Registry.h"
#include "platform/gui/Application.h"
#include "platform/gui/win32/Win32Backend.h"
#include "tray-client/ConfForm.h"
#include "tray-client/OrvelEnvironment.h"
#include "tray-client/Startup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // Made before anything else and held until the process ends; a second
  // start finds it and ends at once, silently.
  auto guard = platform::NamedMapping::Create(orvel::kSingleInstanceName, orvel::kSingleInstanceSize);
  if (guard.AlreadyExisted()) return 0;

  wchar_t module[MAX_PATH * 4] = {};
  GetModuleFileNameW(nullptr, module, static_cast<DWORD>(std::size(module)));
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  // The user's own settings folder, for a user who may not write the
  // Windows directory.
  wchar_t appData[MAX_PATH] = {};
  std::filesystem::path userIni;
  if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData))) {
    userIni = std::filesystem::path(appData) / "Orvel" / orvel::kIniFileName;
  }
  wchar_t desktop[MAX_PATH] = {};
  std::filesystem::path desktopFolder;
  if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop))) {
    desktopFolder = desktop;
  }
  auto registry = platform::CreateSystemRegistry();
  const std::filesystem::path program(module);
  orvel::Environment() = orvel::OrvelEnvironment{program, program.parent_path(),
                                                 std::filesystem::path(windows) / orvel::kIniFileName, registry.get(),
                                                 userIni, desktopFolder};

  gui::Application app(gui::win32::CreateWin32Backend(instance));
  orvel::CreateStartupForms(app);
  app.Run();
  app.DestroyForms();
  return 0;
}
