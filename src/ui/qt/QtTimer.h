#pragma once
#include <QTimer>

#include "ui/Controls.h"
#include "ui/qt/QtControl.h"

namespace larkspan {

class QtTimer final : public Timer, public QtControl {
 public:
  explicit QtTimer(const ControlLayout& layout);
  void SetInterval(int milliseconds) override;
  void SetEnabled(bool enabled) override;
  bool Enabled() const override { return enabled_; }
  void Reset() override;
  void OnWindowLoaded() override;
  QWidget* Widget() const override { return nullptr; }

 private:
  void Restart();
  void Tick();

  QTimer timer_;
  int interval_ = 0;
  bool enabled_ = false;
  // The tick handler is running (it may pump events for a long time): a tick that falls due
  // meanwhile is dropped rather than run inside the running one.
  bool ticking_ = false;
};

}  // namespace larkspan
