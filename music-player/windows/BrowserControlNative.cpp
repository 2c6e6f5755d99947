// Natively there is no browser control: the browser window shows its
// address and the button instead.
#include "music-player/windows/BrowserControl.h"

namespace vantu {

std::unique_ptr<BrowserControl> CreateBrowserControl(gui::CustomWindow&) { return nullptr; }

}  // namespace vantu
