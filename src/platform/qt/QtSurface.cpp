#include "platform/qt/QtSurface.h"

#include <QCloseEvent>
#include <QHideEvent>
#include <QPainter>

namespace larkspan {

QtSurface::QtSurface(QWidget* parent, QColor background) : QWidget(parent) {
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, background);
  setPalette(palette);
  setAutoFillBackground(true);
}

void QtSurface::AddOutline(QRect place, QColor color) {
  outlines_.push_back({place, color});
  update(place);
}

void QtSurface::paintEvent(QPaintEvent* /*event*/) {
  if (outlines_.empty()) return;
  QPainter painter(this);
  for (const Outline& outline : outlines_) {
    // A cosmetic one-pixel pen draws the right and bottom edges on the last column and row
    // of the box, so the outline stays inside its place.
    painter.setPen(QPen(outline.color, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(outline.place.adjusted(0, 0, -1, -1));
  }
}

void QtWindowWidget::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (onCloseRequest) onCloseRequest();
}

void QtWindowWidget::hideEvent(QHideEvent* event) {
  QtSurface::hideEvent(event);
  if (!event->spontaneous() && onHidden) onHidden();
}

}  // namespace larkspan
