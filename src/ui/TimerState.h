#pragma once
#include "ui/Controls.h"

namespace larkspan {

// What the back ends' timers share: the interval and the enabled state, a restart of the
// system's timer when either changes, and the guard that drops a tick falling due while the
// handler of the last one still runs (it may yield for a long time). A back end starts and
// stops its system's timer and calls Tick when that fires.
class TimerState : public Timer {
 public:
  void SetInterval(int milliseconds) final;
  void SetEnabled(bool enabled) final;
  bool Enabled() const final { return enabled_; }
  void Tick();

 protected:
  // Disabled, with `interval` (the layout's).
  void ResetTo(int interval);

 private:
  // Ticks every `milliseconds` from now on, or no more.
  virtual void StartSystemTimer(int milliseconds) = 0;
  virtual void StopSystemTimer() = 0;
  void Restart();

  int interval_ = 0;
  bool enabled_ = false;
  bool ticking_ = false;
};

}  // namespace larkspan
