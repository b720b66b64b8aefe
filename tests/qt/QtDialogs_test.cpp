// The Qt message box and Save dialog, answered by a simulated user as soon as they open.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "QtTestApp.h"
#include "platform/qt/QtBackend.h"
#include "platform/qt/QtSaveDialog.h"

namespace larkspan::test {
namespace {

struct BoxSeen {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QList<QMessageBox::StandardButton> buttons;
  QString text, title;
  bool onTop = false;
};

// Shows a message box, records how it looks and answers it with `answer` (a button, or
// QMessageBox::Escape for the Esc key).
MsgBoxResult AskAndAnswer(const std::u16string& prompt, int style, int answer, BoxSeen& seen) {
  WhenModalOpens([&seen, answer](QWidget& modal) {
    auto* box = qobject_cast<QMessageBox*>(&modal);
    ASSERT_NE(box, nullptr);
    seen.icon = box->icon();
    for (QAbstractButton* button : box->buttons()) seen.buttons << box->standardButton(button);
    seen.text = box->text();
    seen.title = box->windowTitle();
    seen.onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    if (answer == QMessageBox::Escape) {
      QTest::keyClick(box, Qt::Key_Escape);
    } else {
      box->button(static_cast<QMessageBox::StandardButton>(answer))->click();
    }
  });
  return MsgBox(prompt, style);
}

TEST(QtMessageBoxTest, StyleGivesIconButtonsAndAnswer) {
  QtBackend backend;
  using B = QMessageBox;
  const struct {
    int style;
    QMessageBox::Icon icon;
    QList<QMessageBox::StandardButton> buttons;
    int answer;
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
    BoxSeen seen;
    EXPECT_EQ(AskAndAnswer(u"Question?", c.style, c.answer, seen), c.result) << c.style;
    EXPECT_EQ(seen.icon, c.icon) << c.style;
    std::sort(seen.buttons.begin(), seen.buttons.end());
    EXPECT_EQ(seen.buttons, c.buttons) << c.style;
  }
}

TEST(QtMessageBoxTest, ShowsTitleAndLineBreaksAboveTopmostWindows) {
  QtBackend backend;
  BoxSeen seen;
  AskAndAnswer(u"first\r\nsecond\nthird\rfourth", kMsgOkOnly, QMessageBox::Ok, seen);
  EXPECT_EQ(seen.text, "first\nsecond\nthird\nfourth");
  EXPECT_EQ(seen.title, QString::fromStdU16String(kAppTitle));
  EXPECT_TRUE(seen.onTop);
}

TEST(QtSaveDialogTest, FilterTextBecomesNameFilters) {
  const struct {
    std::u16string filter;
    QStringList expected;
  } cases[] = {
      {u"*.exe|*.exe", {"*.exe (*.exe)"}},
      {u"Programs|*.exe|All files|*.*", {"Programs (*.exe)", "All files (*.*)"}},
      {u"Texts|*.txt;*.log", {"Texts (*.txt *.log)"}},
      {u"", {}},
      {u"Lonely description", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ToNameFilters(c.filter), c.expected);
}

struct DialogSeen {
  QString folder;
  QStringList filters;
  QString focusName;
  QString nameLine;
};

// Opens the dialog; the user types `typed` into the name line (unless empty: then Esc).
std::u16string Choose(SaveDialog& dialog, const QString& typed, DialogSeen& seen) {
  WhenModalOpens([&seen, typed](QWidget& modal) {
    auto* fileDialog = qobject_cast<QFileDialog*>(&modal);
    ASSERT_NE(fileDialog, nullptr);
    // The name line takes the focus just after the dialog opens.
    RunUntil(
        [fileDialog] {
          return fileDialog->focusWidget() != nullptr &&
                 fileDialog->focusWidget()->objectName() == "fileNameEdit";
        },
        1000);
    seen.folder = fileDialog->directory().absolutePath();
    seen.filters = fileDialog->nameFilters();
    seen.focusName = fileDialog->focusWidget() ? fileDialog->focusWidget()->objectName() : "";
    auto* nameLine = fileDialog->findChild<QLineEdit*>("fileNameEdit");
    seen.nameLine = nameLine ? nameLine->text() : "";
    QWidget* target = fileDialog->focusWidget() ? fileDialog->focusWidget() : fileDialog;
    if (typed.isEmpty()) {
      QTest::keyClick(target, Qt::Key_Escape);
    } else {
      QTest::keyClicks(target, typed);
      QTest::keyClick(target, Qt::Key_Return);
      // A dialog that ignored Enter fails the test instead of waiting for ever.
      QTimer::singleShot(2000, fileDialog, [fileDialog] { fileDialog->reject(); });
    }
  });
  dialog.ShowSave();
  return dialog.FileName;
}

TEST(QtSaveDialogTest, TypedPathIsChosenAndDismissalEmptiesTheName) {
  QtBackend backend;
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString base = QDir(folder.path()).canonicalPath();
  QDir(base).mkdir("other");
  auto dialog = backend.CreateSaveDialog();
  dialog->InitDir = base.toStdU16String();
  dialog->Filter = u"*.exe|*.exe";
  dialog->FileName = u"setup.exe";

  DialogSeen seen;
  const QString typed = base + "/other/chosen.exe";
  EXPECT_EQ(Choose(*dialog, typed, seen), typed.toStdU16String());
  EXPECT_EQ(seen.folder, base);
  EXPECT_EQ(seen.filters, QStringList{"*.exe (*.exe)"});
  EXPECT_EQ(seen.focusName, "fileNameEdit");
  EXPECT_EQ(seen.nameLine, "setup.exe");

  // The next showing starts from the path just chosen.
  DialogSeen again;
  EXPECT_EQ(Choose(*dialog, "", again), u"");
  EXPECT_EQ(again.folder, base + "/other");
  EXPECT_EQ(again.nameLine, "chosen.exe");
}

TEST(QtSaveDialogTest, MissingStartFolderFallsBackToHome) {
  QtBackend backend;
  auto dialog = backend.CreateSaveDialog();
  dialog->InitDir = u"/no/such/folder/anywhere";
  DialogSeen seen;
  Choose(*dialog, "", seen);
  EXPECT_EQ(seen.folder, QDir::home().absolutePath());
}

}  // namespace
}  // namespace larkspan::test
