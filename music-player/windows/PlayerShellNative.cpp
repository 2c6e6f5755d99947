// Natively the player starts no other program.
#include "music-player/windows/PlayerShell.h"

namespace vantu {

bool SystemShell::StartCommand(const std::string&) { return false; }
bool SystemShell::OpenInDefaultBrowser(const std::string&) { return false; }

}  // namespace vantu
