#include "ui/qt/QtButton.h"

#include <QKeyEvent>
#include <QPushButton>

#include "ui/qt/QtAssets.h"
#include "ui/qt/QtLook.h"

namespace larkspan {
namespace {

// Enter presses the focused button, as Space does and as in the Windows build; no button is
// pressed by Enter from elsewhere.
class QtPushButton final : public QPushButton {
 public:
  using QPushButton::QPushButton;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
      if (!event->isAutoRepeat()) click();
      return;
    }
    QPushButton::keyPressEvent(event);
  }
};

}  // namespace

QtButton::QtButton(const ControlLayout& layout, const QtPlace& place)
    : QtControl(layout), button_(new QtPushButton(place.parent)) {
  button_->setObjectName(QString::fromStdString(layout.name));
  button_->setFont(place.FontFor(layout));
  button_->setGeometry(PlaceOf(layout));
  // Enter must not press a button that the user did not pick.
  button_->setAutoDefault(false);
  button_->setDefault(false);
  button_->setFocusPolicy(layout.tabStop ? Qt::StrongFocus : Qt::ClickFocus);
  const QPixmap picture = LoadPicture(layout.picture);
  if (!picture.isNull()) {
    button_->setIcon(QIcon(picture));
    button_->setIconSize(picture.size());
  }
  if (layout.foreColor) {
    QPalette palette = button_->palette();
    palette.setColor(QPalette::ButtonText, ToQColor(*layout.foreColor));
    button_->setPalette(palette);
  }
  // A disabled button emits nothing and a hidden one takes no mouse or keyboard input; the
  // check also turns away a click requested by code (accessibility tools) on a hidden one.
  QObject::connect(button_, &QPushButton::clicked, button_, [this] {
    if (!button_->isHidden() && onClick) onClick();
  });
  Reset();
}

void QtButton::SetCaption(const std::u16string& caption) {
  button_->setText(WithLineBreaks(caption));
}

// A focused button that hides hands the focus to the next shown one in the tab order; when
// none is shown, the focus rests on the hidden button until a button shows and takes it, so
// that the keys and screen readers never lose it (the download window swaps both buttons).
void QtButton::SetVisible(bool visible) {
  button_->setVisible(visible);
  const QWidget* focus = button_->window()->focusWidget();
  if (visible && focus != nullptr && focus != button_ && focus->isHidden()) {
    button_->setFocus(Qt::OtherFocusReason);
  }
}

void QtButton::SetEnabled(bool enabled) {
  button_->setEnabled(enabled);
}

void QtButton::Reset() {
  ResetWidgetState();
  SetCaption(Layout().caption);
}

QWidget* QtButton::Widget() const {
  return button_;
}

}  // namespace larkspan
