#include "ui/qt/QtMessageBox.h"

#include <QMessageBox>
#include <QPushButton>

#include "ui/qt/QtLook.h"

namespace larkspan {
namespace {

constexpr int kIconBits = 0x70;
constexpr int kButtonBits = 0x07;

QMessageBox::Icon IconFor(int style) {
  switch (style & kIconBits) {
    case 16:
      return QMessageBox::Critical;
    case 32:
      return QMessageBox::Question;
    case 48:
      return QMessageBox::Warning;
    case 64:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

}  // namespace

MsgBoxResult ShowQtMessageBox(const std::u16string& prompt, int style,
                              const std::u16string& title) {
  QMessageBox box;
  box.setWindowTitle(ToQString(title));
  box.setTextFormat(Qt::PlainText);
  box.setText(WithLineBreaks(prompt));
  box.setIcon(IconFor(style));
  // The update window keeps itself on top; its messages must not open behind it.
  box.setWindowFlag(Qt::WindowStaysOnTopHint);
  if ((style & kButtonBits) != kMsgYesNo) {
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return MsgBoxResult::kOk;
  }
  QPushButton* yes = box.addButton(QMessageBox::Yes);
  QPushButton* no = box.addButton(QMessageBox::No);
  box.setDefaultButton(yes);
  // Esc and the close box answer No.
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes ? MsgBoxResult::kYes : MsgBoxResult::kNo;
}

}  // namespace larkspan
