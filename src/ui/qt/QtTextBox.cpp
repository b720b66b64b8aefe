#include "ui/qt/QtTextBox.h"

#include <QPlainTextEdit>

#include "ui/qt/QtLook.h"

namespace larkspan {
namespace {

constexpr Rgb kFlatBorder = 0x808080;

void StyleEdit(QPlainTextEdit& edit, const ControlLayout& layout) {
  edit.setFrameStyle(QFrame::Box | QFrame::Plain);
  edit.setLineWidth(1);
  QPalette palette = edit.palette();
  palette.setColor(QPalette::Base, ToQColor(layout.backColor.value_or(0xFFFFFF)));
  palette.setColor(QPalette::Text, ToQColor(layout.foreColor.value_or(0x000000)));
  palette.setColor(QPalette::WindowText, ToQColor(kFlatBorder));
  edit.setPalette(palette);
  edit.setLineWrapMode(layout.multiLine ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  edit.setVerticalScrollBarPolicy(layout.verticalScrollBar ? Qt::ScrollBarAlwaysOn
                                                           : Qt::ScrollBarAlwaysOff);
  edit.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  edit.setReadOnly(layout.locked);
  if (layout.locked) {
    // Locked text cannot be changed but can still be selected and copied.
    edit.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  }
  edit.setFocusPolicy(layout.tabStop ? Qt::StrongFocus : Qt::ClickFocus);
}

}  // namespace

QtTextBox::QtTextBox(const ControlLayout& layout, const QtPlace& place)
    : QtControl(layout), edit_(new QPlainTextEdit(place.parent)) {
  edit_->setObjectName(QString::fromStdString(layout.name));
  edit_->setFont(place.FontFor(layout));
  edit_->setGeometry(PlaceOf(layout));
  StyleEdit(*edit_, layout);
  Reset();
}

void QtTextBox::SetText(const std::u16string& text) {
  text_ = text;
  edit_->setPlainText(WithLineBreaks(text));
}

std::u16string QtTextBox::Text() const {
  return text_;
}

void QtTextBox::Reset() {
  ResetWidgetState();
  SetText(Layout().caption);
}

QWidget* QtTextBox::Widget() const {
  return edit_;
}

}  // namespace larkspan
