#include "ui/qt/QtButton.h"

#include <QPushButton>

#include "ui/qt/QtAssets.h"
#include "ui/qt/QtLook.h"

namespace larkspan {

QtButton::QtButton(const ControlLayout& layout, const QtPlace& place)
    : QtControl(layout), button_(new QPushButton(place.parent)) {
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

void QtButton::SetVisible(bool visible) {
  button_->setVisible(visible);
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
