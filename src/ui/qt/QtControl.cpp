#include "ui/qt/QtControl.h"

#include <QWidget>

#include "ui/qt/QtLook.h"

namespace larkspan {

void QtControl::ResetWidgetState() const {
  QWidget* widget = Widget();
  if (widget == nullptr) return;
  widget->setHidden(!layout_.visible);
  widget->setEnabled(layout_.enabled);
}

QFont QtPlace::FontFor(const ControlLayout& control) const {
  return control.font ? ToQFont(*control.font) : defaultFont;
}

}  // namespace larkspan
