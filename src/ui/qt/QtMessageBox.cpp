#include "ui/qt/QtMessageBox.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <memory>

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

// A Yes/No question takes neither Esc nor a close: only its two buttons answer it.
class QuestionBox final : public QMessageBox {
 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (!event->matches(QKeySequence::Cancel)) QMessageBox::keyPressEvent(event);
  }
  void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

}  // namespace

MsgBoxResult ShowQtMessageBox(const std::u16string& prompt, int style,
                              const std::u16string& title) {
  const bool question = (style & kButtonBits) == kMsgYesNo;
  std::unique_ptr<QMessageBox> made =
      question ? std::make_unique<QuestionBox>() : std::make_unique<QMessageBox>();
  QMessageBox& box = *made;
  box.setWindowTitle(ToQString(title));
  box.setTextFormat(Qt::PlainText);
  box.setText(WithLineBreaks(prompt));
  box.setIcon(IconFor(style));
  // The update window keeps itself on top; its messages must not open behind it.
  box.setWindowFlag(Qt::WindowStaysOnTopHint);
  if (!question) {
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return MsgBoxResult::kOk;
  }
  QPushButton* yes = box.addButton(QMessageBox::Yes);
  box.addButton(QMessageBox::No);
  box.setDefaultButton(yes);
  box.setWindowFlag(Qt::WindowCloseButtonHint, false);
  box.exec();
  return box.clickedButton() == yes ? MsgBoxResult::kYes : MsgBoxResult::kNo;
}

}  // namespace larkspan
