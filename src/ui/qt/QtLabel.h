#pragma once
#include <optional>
#include <string>

#include "ui/Controls.h"
#include "ui/qt/QtControl.h"

class QLabel;

namespace larkspan {

class QtLabel final : public Label, public QtControl, public QtPacedControl {
 public:
  QtLabel(const ControlLayout& layout, const QtPlace& place);
  void SetCaption(const std::u16string& caption) override;
  void SetForeColor(Rgb color) override;
  void Reset() override;
  QWidget* Widget() const override;
  void ShowRecorded() override;

 private:
  // Sizes the label so that its text shows whole, as its sizing setting says.
  void FitText();
  QLabel* label_;
  QtFramePacer& pacer_;
  // What the label was last given, and what its widget shows (nothing: to be set afresh). The
  // download sets the same status text and colour for every chunk; an unchanged one costs a
  // comparison.
  std::u16string caption_;
  Rgb foreColor_ = 0x000000;
  std::optional<std::u16string> shownCaption_;
  std::optional<Rgb> shownColor_;
};

}  // namespace larkspan
