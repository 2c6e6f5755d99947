// The program's mouse pointer: the hourglass over all its windows while
// long work runs on the GUI thread (a transfer, a download), the normal
// pointer again afterwards.
#pragma once

namespace gui {

void SetBusyCursor(bool on);
bool BusyCursor();

// Shows the hourglass for the lifetime of the object and puts back what
// was shown before.
class BusyCursorScope {
 public:
  BusyCursorScope() : before_(BusyCursor()) { SetBusyCursor(true); }
  ~BusyCursorScope() { SetBusyCursor(before_); }
  BusyCursorScope(const BusyCursorScope&) = delete;
  BusyCursorScope& operator=(const BusyCursorScope&) = delete;

 private:
  bool before_;
};

}  // namespace gui
