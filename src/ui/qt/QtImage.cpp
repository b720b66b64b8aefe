#include "ui/qt/QtImage.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <functional>

#include "ui/qt/QtAssets.h"
#include "ui/qt/QtLook.h"

namespace larkspan {

class QtImageWidget final : public QWidget {
 public:
  QtImageWidget(QWidget* parent, QPixmap picture, bool stretch)
      : QWidget(parent), picture_(std::move(picture)), stretch_(stretch) {}
  std::function<void()> onClick;

 protected:
  void paintEvent(QPaintEvent* /*event*/) override {
    if (picture_.isNull()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, stretch_);
    if (stretch_) {
      painter.drawPixmap(rect(), picture_);
    } else {
      painter.drawPixmap(0, 0, picture_);
    }
  }
  void mousePressEvent(QMouseEvent* event) override {
    pressed_ = event->button() == Qt::LeftButton;
  }
  // The second press of a double-click arrives as this event, and its release must not count
  // as a second click: a double-click opens a picture's address once.
  void mouseDoubleClickEvent(QMouseEvent* /*event*/) override { pressed_ = false; }
  // A click is a press and a release of the left button, both over the picture.
  void mouseReleaseEvent(QMouseEvent* event) override {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click && onClick) onClick();
  }

 private:
  QPixmap picture_;
  bool stretch_;
  bool pressed_ = false;
};

QtImage::QtImage(const ControlLayout& layout, const QtPlace& place)
    : QtControl(layout),
      widget_(new QtImageWidget(place.parent, LoadPicture(layout.picture), layout.stretch)) {
  widget_->setObjectName(QString::fromStdString(layout.name));
  widget_->setGeometry(PlaceOf(layout));
  if (layout.handCursor) widget_->setCursor(HandCursor());
  widget_->onClick = [this] {
    if (onClick) onClick();
  };
  Reset();
}

std::u16string QtImage::Tag() const {
  return Layout().tag;
}

void QtImage::Reset() {
  ResetWidgetState();
}

QWidget* QtImage::Widget() const {
  return widget_;
}

}  // namespace larkspan
