// Vantu.exe: the application's start (marker file, single instance, the
// settings, playlist and presets), the main window's run on the Win32
// backend until it closes, then the exit that saves them.
#include <windows.h>
#include <ole2.h>
#undef MessageBox

#include <memory>
#include <string>

#include "common/TextCodec.h"
#include "music-player/PlayerSettings.h"
#include "music-player/VantuApp.h"
#include "music-player/windows/PlayerShell.h"
#include "music-player/windows/VantuPlayerDlg.h"
#include "platform/Registry.h"
#include "platform/gui/Application.h"
#include "platform/gui/win32/Win32Backend.h"

namespace {

// Code page 949 bytes of a text of the system.
std::string Ansi(const wchar_t* text) {
  const std::wstring wide(text ? text : L"");
  return common::Utf16ToCp949Lossy(std::u16string(wide.begin(), wide.end()));
}

// The folder of the running program, with its trailing backslash.
std::string ProgramFolder() {
  wchar_t module[MAX_PATH * 4] = {};
  GetModuleFileNameW(nullptr, module, static_cast<DWORD>(std::size(module)));
  std::wstring path(module);
  path.erase(path.find_last_of(L'\\') + 1);
  return Ansi(path.c_str());
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  // The browser window hosts an ActiveX control.
  const bool ole = SUCCEEDED(OleInitialize(nullptr));
  int result = 0;
  {
    gui::Application app(gui::win32::CreateWin32Backend(instance));
    app.SetTitle("Vantu");
    auto instances = vantu::CreateSystemInstanceLink();
    vantu::VantuEnvironment env;
    env.programFolder = ProgramFolder();
    env.instances = instances.get();
    env.showMessage = [](const std::string& text) { gui::App().MessageBox(text, "Vantu"); };
    vantu::CVantuPlayerApp player(env, vantu::ProcessSettings());
    auto registry = platform::CreateSystemRegistry();
    vantu::SystemShell shell(*registry);
    const std::string line = Ansi(commandLine);
    player.InitInstance(line, [&] {
      vantu::CVantuPlayerDlg dialog(player, shell, line);
      dialog.RunModal();
    });
    result = player.ExitInstance();
    vantu::FlushDeletedWindows();
    app.DestroyForms();
  }
  if (ole) OleUninitialize();
  return result;
}
