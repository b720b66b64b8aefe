#pragma once
#include "ui/Controls.h"
#include "ui/qt/QtControl.h"

class QPushButton;

namespace larkspan {

// A push button with its picture left of the caption.
class QtButton final : public Button, public QtControl {
 public:
  QtButton(const ControlLayout& layout, const QtPlace& place);
  void SetCaption(const std::u16string& caption) override;
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  void Reset() override;
  QWidget* Widget() const override;

 private:
  QPushButton* button_;
};

}  // namespace larkspan
