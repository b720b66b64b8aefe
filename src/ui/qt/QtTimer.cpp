#include "ui/qt/QtTimer.h"

namespace larkspan {

QtTimer::QtTimer(const ControlLayout& layout) : QtControl(layout) {
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Tick(); });
  Reset();
}

void QtTimer::Reset() {
  ResetTo(Layout().interval);
}

void QtTimer::OnWindowLoaded() {
  if (Layout().enabled) SetEnabled(true);
}

}  // namespace larkspan
