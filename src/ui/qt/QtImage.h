#pragma once
#include "ui/Controls.h"
#include "ui/qt/QtControl.h"

namespace larkspan {

class QtImageWidget;

// A picture at its own size or stretched to its place, raising clicks.
class QtImage final : public Image, public QtControl {
 public:
  QtImage(const ControlLayout& layout, const QtPlace& place);
  std::u16string Tag() const override;
  void Reset() override;
  QWidget* Widget() const override;

 private:
  QtImageWidget* widget_;
};

}  // namespace larkspan
