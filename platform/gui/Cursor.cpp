#include "platform/gui/Cursor.h"

#include "platform/gui/Application.h"

namespace gui {

namespace {
bool busy = false;
}

void SetBusyCursor(bool on) {
  busy = on;
  if (Application::Exists()) App().backend().SetBusyCursor(on);
}

bool BusyCursor() { return busy; }

}  // namespace gui
