#include "ui/qt/QtProgressBar.h"

#include <QProgressBar>
#include <algorithm>

#include "ui/qt/QtLook.h"

namespace larkspan {

QtProgressBar::QtProgressBar(const ControlLayout& layout, const QtPlace& place)
    : QtControl(layout), bar_(new QProgressBar(place.parent)), pacer_(*place.pacer) {
  bar_->setObjectName(QString::fromStdString(layout.name));
  bar_->setFont(place.FontFor(layout));
  bar_->setGeometry(PlaceOf(layout));
  bar_->setTextVisible(false);
  bar_->setFocusPolicy(Qt::NoFocus);
  QPalette palette = bar_->palette();
  palette.setColor(QPalette::WindowText, ToQColor(layout.foreColor.value_or(0x000000)));
  bar_->setPalette(palette);
  Reset();
}

void QtProgressBar::SetMax(int maximum) {
  // A maximum of 0 would turn the bar into a busy indicator; the bar just stays empty.
  bar_->setMaximum(std::max(maximum, 1));
  // Qt empties a bar whose value falls outside its new range; this one shows the nearest end,
  // as for a value set beyond it.
  value_ = std::min(value_, bar_->maximum());
  pacer_.Changed(*this);
}

void QtProgressBar::SetValue(int value) {
  // Qt ignores a value outside the range; the bar shows the nearest end instead.
  value = std::clamp(value, 0, bar_->maximum());
  if (value == value_) return;
  value_ = value;
  pacer_.Changed(*this);
}

void QtProgressBar::ShowRecorded() {
  // A bar repaints itself at once (a paint and a round trip to the display) whenever its value
  // changes visibly; with updates held it is painted with the frame's other changes instead.
  bar_->setUpdatesEnabled(false);
  bar_->setValue(std::min(value_, bar_->maximum()));
  bar_->setUpdatesEnabled(true);
}

void QtProgressBar::Reset() {
  ResetWidgetState();
  bar_->setRange(0, std::max(Layout().maximum, 1));
  value_ = 0;
  bar_->setValue(0);
}

QWidget* QtProgressBar::Widget() const {
  return bar_;
}

}  // namespace larkspan
