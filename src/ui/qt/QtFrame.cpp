#include "ui/qt/QtFrame.h"

#include "ui/qt/QtLook.h"
#include "ui/qt/QtSurface.h"

namespace larkspan {

QtFrame::QtFrame(const ControlLayout& layout, const QtPlace& place)
    : QtControl(layout),
      surface_(new QtSurface(place.parent, ToQColor(layout.backColor.value_or(0xFFFFFF)))) {
  surface_->setObjectName(QString::fromStdString(layout.name));
  surface_->setFont(place.FontFor(layout));
  surface_->setGeometry(PlaceOf(layout));
  Reset();
}

QWidget* QtFrame::Widget() const {
  return surface_;
}

}  // namespace larkspan
