#pragma once
#include "platform/Controls.h"
#include "platform/qt/QtControl.h"

class QLabel;

namespace larkspan {

class QtLabel final : public Label, public QtControl {
 public:
  QtLabel(const ControlLayout& layout, const QtPlace& place);
  void SetCaption(const std::u16string& caption) override;
  void SetForeColor(Rgb color) override;
  void Reset() override;
  QWidget* Widget() const override;

 private:
  // Sizes the label so that its text shows whole, as its sizing setting says.
  void FitText();
  QLabel* label_;
};

}  // namespace larkspan
