// The Qt message box and Save dialog, answered by a simulated user as soon as they open.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include "QtTestApp.h"
#include "platform/qt/QtBackend.h"
#include "platform/qt/QtSaveDialog.h"

namespace larkspan::test {
namespace {

TEST(QtMessageBoxTest, StyleGivesIconButtonsAndAnswerAboveTopmostWindows) {
  QtBackend backend;
  using B = QMessageBox;
  const struct {
    int style;
    QMessageBox::Icon icon;
    QList<QMessageBox::StandardButton> buttons;
    int answer;  // a button, or Escape for the Esc key
    MsgBoxResult result;
  } cases[] = {
      {kMsgOkOnly, B::NoIcon, {B::Ok}, B::Ok, MsgBoxResult::kOk},
      {kMsgCritical, B::Critical, {B::Ok}, B::Ok, MsgBoxResult::kOk},
      {kMsgInformation, B::Information, {B::Ok}, B::Escape, MsgBoxResult::kOk},
      {kMsgYesNo, B::NoIcon, {B::Yes, B::No}, B::Yes, MsgBoxResult::kYes},
      {kMsgYesNo, B::NoIcon, {B::Yes, B::No}, B::No, MsgBoxResult::kNo},
      {kMsgYesNo, B::NoIcon, {B::Yes, B::No}, B::Escape, MsgBoxResult::kNo},
      {kMsgYesNo + kMsgCritical, B::Critical, {B::Yes, B::No}, B::Yes, MsgBoxResult::kYes},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.style);
    WhenModalOpens([&c](QWidget& modal) {
      auto* box = qobject_cast<QMessageBox*>(&modal);
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(box->icon(), c.icon);
      QList<QMessageBox::StandardButton> buttons;
      for (QAbstractButton* button : box->buttons()) buttons << box->standardButton(button);
      std::sort(buttons.begin(), buttons.end());
      EXPECT_EQ(buttons, c.buttons);
      EXPECT_EQ(box->text(), "first\nsecond\nthird\nfourth");
      EXPECT_EQ(box->windowTitle(), QString::fromStdU16String(kAppTitle));
      EXPECT_TRUE(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
      if (c.answer == B::Escape) {
        QTest::keyClick(box, Qt::Key_Escape);
      } else {
        box->button(static_cast<QMessageBox::StandardButton>(c.answer))->click();
      }
    });
    EXPECT_EQ(MsgBox(u"first\r\nsecond\nthird\rfourth", c.style), c.result);
  }
}

TEST(QtSaveDialogTest, FilterTextBecomesNameFilters) {
  EXPECT_EQ(ToNameFilters(u"*.exe|*.exe"), QStringList{"*.exe (*.exe)"});
  EXPECT_EQ(ToNameFilters(u"*.|*."), QStringList{"*. (*.)"});
  EXPECT_EQ(ToNameFilters(u"Programs|*.exe|All files|*.*"),
            (QStringList{"Programs (*.exe)", "All files (*.*)"}));
  EXPECT_EQ(ToNameFilters(u""), QStringList{});
}

struct DialogSeen {
  QString folder, nameLine;
  QStringList filters;
};

// Opens the dialog; the user types `typed` into the name line and Enter (or only Esc).
std::u16string Choose(SaveDialog& dialog, const QString& typed, DialogSeen& seen) {
  WhenModalOpens([&seen, typed](QWidget& modal) {
    auto* fileDialog = qobject_cast<QFileDialog*>(&modal);
    ASSERT_NE(fileDialog, nullptr);
    // Active, as the window system makes a new dialog; the name line has the focus.
    fileDialog->activateWindow();
    auto* nameLine = fileDialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(nameLine, nullptr);
    EXPECT_TRUE(RunUntil([&] { return QApplication::focusWidget() == nameLine; }, 1000));
    seen = {fileDialog->directory().absolutePath(), nameLine->text(), fileDialog->nameFilters()};
    if (typed.isEmpty()) {
      QTest::keyClick(nameLine, Qt::Key_Escape);
      return;
    }
    QTest::keyClicks(nameLine, typed);
    QTest::keyClick(nameLine, Qt::Key_Return);
    // A dialog that ignored Enter (or asked a question) fails the test instead of waiting.
    QTimer::singleShot(2000, fileDialog, [fileDialog] {
      if (QWidget* question = QApplication::activeModalWidget(); question != fileDialog) {
        question->close();
      }
      fileDialog->reject();
    });
  });
  dialog.ShowSave();
  return dialog.FileName;
}

TEST(QtSaveDialogTest, TypedPathIsChosenWithoutAQuestionAndDismissalEmptiesTheName) {
  QtBackend backend;
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString base = QDir(folder.path()).canonicalPath();
  QDir(base).mkdir("other");
  auto dialog = backend.CreateSaveDialog();
  dialog->InitDir = base.toStdU16String();
  dialog->Filter = u"*.exe|*.exe";
  dialog->FileName = u"setup.exe";

  // An existing file is chosen without a question: the program asks its own.
  const QString typed = base + "/other/chosen.exe";
  QFile existing(typed);
  ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
  existing.close();

  DialogSeen seen;
  EXPECT_EQ(Choose(*dialog, typed, seen), typed.toStdU16String());
  EXPECT_EQ(seen.folder, base);
  EXPECT_EQ(seen.filters, QStringList{"*.exe (*.exe)"});
  EXPECT_EQ(seen.nameLine, "setup.exe");

  // The next showing starts from the path just chosen.
  EXPECT_EQ(Choose(*dialog, "", seen), u"");
  EXPECT_EQ(seen.folder, base + "/other");
  EXPECT_EQ(seen.nameLine, "chosen.exe");

  // A start folder that is not there gives way to the home folder.
  dialog->InitDir = u"/no/such/folder/anywhere";
  Choose(*dialog, "", seen);
  EXPECT_EQ(seen.folder, QDir::home().absolutePath());
}

}  // namespace
}  // namespace larkspan::test
