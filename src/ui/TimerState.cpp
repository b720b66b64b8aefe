#include "ui/TimerState.h"

namespace larkspan {

void TimerState::SetInterval(int milliseconds) {
  interval_ = milliseconds;
  Restart();
}

void TimerState::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Restart();
}

void TimerState::ResetTo(int interval) {
  interval_ = interval;
  enabled_ = false;
  StopSystemTimer();
}

// The interval counts from now. An interval of 0 keeps an enabled timer silent.
void TimerState::Restart() {
  if (enabled_ && interval_ > 0) {
    StartSystemTimer(interval_);
  } else {
    StopSystemTimer();
  }
}

// A tick already on its way when the timer was disabled is dropped too.
void TimerState::Tick() {
  if (!enabled_ || ticking_) return;
  ticking_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{ticking_};
  if (onTick) onTick();
}

}  // namespace larkspan
