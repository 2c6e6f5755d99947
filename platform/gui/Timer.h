// A timer: while enabled, OnTimer runs every Interval milliseconds on the
// GUI thread. Changing the interval of a running timer restarts its period.
#pragma once

#include <functional>

namespace gui {

class Form;

class Timer {
 public:
  explicit Timer(Form* owner) : owner_(owner) {}
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  Form* Owner() const { return owner_; }
  int Interval() const { return interval_; }
  void SetInterval(int ms);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on);

  // For backends: one period has passed.
  void Tick();

  std::function<void()> OnTimer;

 private:
  void Rearm();
  Form* owner_;
  int interval_ = 1000;
  bool enabled_ = false;
  bool armed_ = false;
};

}  // namespace gui
