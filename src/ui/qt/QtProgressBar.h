#pragma once
#include "ui/Controls.h"
#include "ui/qt/QtControl.h"

class QProgressBar;

namespace larkspan {

class QtProgressBar final : public ProgressBar, public QtControl, public QtPacedControl {
 public:
  QtProgressBar(const ControlLayout& layout, const QtPlace& place);
  void SetMax(int maximum) override;
  void SetValue(int value) override;
  void Reset() override;
  QWidget* Widget() const override;
  void ShowRecorded() override;

 private:
  QProgressBar* bar_;
  QtFramePacer& pacer_;
  int value_ = 0;  // the last value given, within the bar's range
};

}  // namespace larkspan
