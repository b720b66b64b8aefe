#include "ui/qt/QtTimer.h"

namespace larkspan {

QtTimer::QtTimer(const ControlLayout& layout) : QtControl(layout) {
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Tick(); });
  Reset();
}

void QtTimer::SetInterval(int milliseconds) {
  interval_ = milliseconds;
  Restart();
}

void QtTimer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Restart();
}

void QtTimer::Reset() {
  interval_ = Layout().interval;
  enabled_ = false;
  timer_.stop();
}

void QtTimer::OnWindowLoaded() {
  if (Layout().enabled) SetEnabled(true);
}

// The interval counts from now. An interval of 0 keeps an enabled timer silent.
void QtTimer::Restart() {
  if (enabled_ && interval_ > 0) {
    timer_.start(interval_);
  } else {
    timer_.stop();
  }
}

void QtTimer::Tick() {
  if (ticking_) return;
  ticking_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{ticking_};
  if (onTick) onTick();
}

}  // namespace larkspan
