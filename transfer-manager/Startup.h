// Start-up of the transfer manager: the transport library beside the
// program (its absence is the one start-up message), the single instance,
// then the forms: frmShape, the main window, first.
#pragma once

#include <optional>

#include "platform/NamedMapping.h"
#include "platform/gui/Application.h"

namespace halvern {

enum class StartResult { kRunning, kLibraryMissing, kAlreadyRunning };

struct Started {
  StartResult result = StartResult::kRunning;
  // Held while the program runs: a second start finds it.
  std::optional<platform::NamedMapping> guard;
};

// Loads the library (a message box and kLibraryMissing when it is not
// there), claims the single-instance guard (kAlreadyRunning, silently, when
// another instance holds it), makes the device layer and the six forms and
// shows the main window. The application then runs its loop.
Started StartHalvern(gui::Application& app);

}  // namespace halvern
