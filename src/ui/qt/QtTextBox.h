#pragma once
#include "ui/Controls.h"
#include "ui/qt/QtControl.h"

class QPlainTextEdit;

namespace larkspan {

class QtTextBox final : public TextBox, public QtControl {
 public:
  QtTextBox(const ControlLayout& layout, const QtPlace& place);
  void SetText(const std::u16string& text) override;
  std::u16string Text() const override;
  void Reset() override;
  QWidget* Widget() const override;

 private:
  QPlainTextEdit* edit_;
  // The text as it was set: the widget turns every line end into its own.
  std::u16string text_;
};

}  // namespace larkspan
