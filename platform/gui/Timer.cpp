#include "platform/gui/Timer.h"

#include "platform/gui/Application.h"

namespace gui {

Timer::~Timer() {
  if (armed_ && Application::Exists()) App().backend().StopTimer(*this);
}

void Timer::SetInterval(int ms) {
  interval_ = ms;
  Rearm();
}

void Timer::SetEnabled(bool on) {
  if (on == enabled_) return;
  enabled_ = on;
  Rearm();
}

void Timer::Rearm() {
  if (!Application::Exists()) return;
  if (enabled_ && interval_ > 0) {
    App().backend().StartTimer(*this);
    armed_ = true;
  } else if (armed_) {
    App().backend().StopTimer(*this);
    armed_ = false;
  }
}

void Timer::Tick() {
  if (enabled_) Fire(OnTimer);
}

}  // namespace gui
