#include "ui/qt/QtSurface.h"

#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QHideEvent>
#include <QMoveEvent>
#include <QPainter>
#include <QTimer>
#include <string>

#include "os/Timing.h"

namespace larkspan {
namespace {

// The benchmarks time the start-up up to the first paint of a window: its start, and the
// return to the event loop once the whole frame (every control in it) is painted.
void MarkFirstPaint(QWidget& window) {
  if (window.property("larkspanPainted").toBool()) return;
  window.setProperty("larkspanPainted", true);
  const std::string name = window.objectName().toStdString();
  TimingMark("first-paint:" + name);
  QTimer::singleShot(0, &window, [name] { TimingMark("first-frame:" + name); });
}

// A window is a frame for screen readers, named by its caption (a plain widget would be a
// nameless filler).
QAccessibleInterface* WindowAccessible(const QString& /*className*/, QObject* object) {
  auto* window = dynamic_cast<QtWindowWidget*>(object);
  return window != nullptr ? new QAccessibleWidget(window, QAccessible::Window) : nullptr;
}

}  // namespace

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
  if constexpr (kTimingBuild) {
    if (isWindow()) MarkFirstPaint(*this);
  }
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

QtWindowWidget::QtWindowWidget(QColor background) : QtSurface(nullptr, background) {
  static const bool factoryInstalled = (QAccessible::installFactory(WindowAccessible), true);
  (void)factoryInstalled;
}

void QtWindowWidget::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (onCloseRequest) onCloseRequest();
}

void QtWindowWidget::hideEvent(QHideEvent* event) {
  QtSurface::hideEvent(event);
  if (!event->spontaneous() && onHidden) onHidden();
}

void QtWindowWidget::moveEvent(QMoveEvent* event) {
  QtSurface::moveEvent(event);
  if (onMoved) onMoved();
}

}  // namespace larkspan
