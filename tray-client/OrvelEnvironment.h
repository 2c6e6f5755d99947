// Where the tray client finds its program file, its settings file and the
// registry, and where the user's desktop is. The Windows program fills it
// from the system (the program's own path, ORVEL.INI in the Windows
// directory, the real registry, the shell's desktop folder); tests fill it
// with a folder of their own and an in-memory registry.
#pragma once

#include "common/File.h"
#include "platform/Registry.h"

namespace orvel {

struct OrvelEnvironment {
  common::Path programPath;    // the running program file
  common::Path programFolder;  // the folder it is in
  common::Path iniPath;        // ORVEL.INI in the Windows directory
  platform::Registry* registry = nullptr;
  // ORVEL.INI in the user's own folder (application data): where the
  // settings go when the Windows directory cannot be written, and read
  // first once it exists. Empty: none.
  common::Path userIniPath;
  // The user's desktop, the root of "My PC"'s folders. Empty: the PC's
  // drives are the root.
  common::Path desktopFolder;
};

OrvelEnvironment& Environment();

// LocalSync, the folder of the fetched channel files, made when missing:
// "LocalSync" in the program folder when files can be written there, else
// (a user without administrator rights) "LocalSync" beside the user's own
// ORVEL.INI, which is used first once it exists.
common::Path LocalSyncFolder();

}  // namespace orvel
