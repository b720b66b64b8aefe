#pragma once
#include "ui/Controls.h"
#include "ui/qt/QtControl.h"

class QProgressBar;

namespace larkspan {

class QtProgressBar final : public ProgressBar, public QtControl {
 public:
  QtProgressBar(const ControlLayout& layout, const QtPlace& place);
  void SetMax(int maximum) override;
  void SetValue(int value) override;
  void Reset() override;
  QWidget* Widget() const override;

 private:
  QProgressBar* bar_;
};

}  // namespace larkspan
