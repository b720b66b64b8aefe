#include "ui/qt/QtImage.h"

#include <QAccessible>
#include <QAccessibleWidget>
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
  // The picture takes clicks: a link for screen readers, named for what the picture says.
  bool link = false;
  QString spokenName;

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

namespace {

// What a screen reader finds of a picture: a link whose action is the click, named for what
// the picture says, or, for a picture that takes no clicks, a graphic without a name. Neither
// takes the keyboard focus.
class QtImageAccessible final : public QAccessibleWidget {
 public:
  explicit QtImageAccessible(QtImageWidget* image)
      : QAccessibleWidget(image, image->link ? QAccessible::Link : QAccessible::Graphic) {}
  QString text(QAccessible::Text kind) const override {
    return kind == QAccessible::Name ? Image().spokenName : QString();
  }
  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.linked = Image().link;
    return state;
  }
  QStringList actionNames() const override {
    return Image().link ? QStringList{pressAction()} : QStringList{};
  }
  void doAction(const QString& action) override {
    if (action == pressAction() && Image().link && Image().onClick) Image().onClick();
  }

 private:
  QtImageWidget& Image() const { return static_cast<QtImageWidget&>(*widget()); }
};

QAccessibleInterface* ImageAccessible(const QString& /*className*/, QObject* object) {
  auto* image = dynamic_cast<QtImageWidget*>(object);
  return image != nullptr ? new QtImageAccessible(image) : nullptr;
}

}  // namespace

QtImage::QtImage(const ControlLayout& layout, const QtPlace& place)
    : QtControl(layout),
      widget_(new QtImageWidget(place.parent, LoadPicture(layout.picture), layout.stretch)) {
  widget_->setObjectName(QString::fromStdString(layout.name));
  widget_->setGeometry(PlaceOf(layout));
  if (layout.handCursor) widget_->setCursor(HandCursor());
  static const bool factoryInstalled = (QAccessible::installFactory(ImageAccessible), true);
  (void)factoryInstalled;
  widget_->link = !layout.tag.empty();
  widget_->spokenName = ToQString(layout.accessibleName);
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
