#pragma once
#include <QTimer>

#include "ui/TimerState.h"
#include "ui/qt/QtControl.h"

namespace larkspan {

class QtTimer final : public TimerState, public QtControl {
 public:
  explicit QtTimer(const ControlLayout& layout);
  void Reset() override;
  void OnWindowLoaded() override;
  QWidget* Widget() const override { return nullptr; }

 private:
  void StartSystemTimer(int milliseconds) override { timer_.start(milliseconds); }
  void StopSystemTimer() override { timer_.stop(); }

  QTimer timer_;
};

}  // namespace larkspan
