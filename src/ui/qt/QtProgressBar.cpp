#include "ui/qt/QtProgressBar.h"

#include <QProgressBar>
#include <algorithm>

#include "ui/qt/QtLook.h"

namespace larkspan {

QtProgressBar::QtProgressBar(const ControlLayout& layout, const QtPlace& place)
    : QtControl(layout), bar_(new QProgressBar(place.parent)) {
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
}

void QtProgressBar::SetValue(int value) {
  // Qt ignores a value outside the range; the bar shows the nearest end instead.
  bar_->setValue(std::clamp(value, 0, bar_->maximum()));
}

void QtProgressBar::Reset() {
  ResetWidgetState();
  bar_->setRange(0, std::max(Layout().maximum, 1));
  bar_->setValue(0);
}

QWidget* QtProgressBar::Widget() const {
  return bar_;
}

}  // namespace larkspan
