// The system shell's view of PC files and folders: display names, type
// names and icons (pictures named "shell:..." that list and tree views draw
// through their image lists). Headless runs give a fixed small set: the
// last path component as the name, and the icons "shell:folder",
// "shell:drive", "shell:audio" (.mp3, .sa3, .wav) and "shell:file".
#pragma once

#include <string>

#include "platform/gui/Backend.h"

namespace gui {

ShellItemInfo GetShellInfo(const std::string& path, bool folder);

}  // namespace gui
