#include "platform/gui/ShellInfo.h"

#include "platform/gui/Application.h"

namespace gui {

ShellItemInfo GetShellInfo(const std::string& path, bool folder) { return App().backend().GetShellInfo(path, folder); }

}  // namespace gui
