// The Qt back end's message box and Save dialog, read and answered by a simulated user as soon
// as they open. (That a yield lets clicks and timers run: the journeys; that it does so at most
// once per pass interval: the download's CPU figure in bench/.)
#include "ui/qt/QtBackend.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "QtTestApp.h"

namespace larkspan::test {
namespace {

TEST(QtBackendTest, MessageBoxStyleGivesIconAndButtonsAndTheAnswerComesBack) {
  QtBackend backend;
  Ui* previous = UseUi(&backend);
  using B = QMessageBox;
  // Every style that the program uses.
  const std::tuple<int, B::Icon, B::StandardButtons, Qt::Key, MsgBoxResult> cases[] = {
      {kMsgCritical, B::Critical, B::Ok, Qt::Key_Escape, MsgBoxResult::kOk},
      {kMsgInformation, B::Information, B::Ok, Qt::Key_Return, MsgBoxResult::kOk},
      {kMsgOkOnly, B::NoIcon, B::Ok, Qt::Key_Escape, MsgBoxResult::kOk},
      {kMsgYesNo, B::NoIcon, B::Yes | B::No, Qt::Key_Return, MsgBoxResult::kYes},
      {kMsgYesNo, B::NoIcon, B::Yes | B::No, Qt::Key_N, MsgBoxResult::kNo}};
  for (const auto& [style, icon, buttons, key, result] : cases) {
    QTimer::singleShot(0, [&] {
      auto& box = dynamic_cast<B&>(*QApplication::activeModalWidget());
      EXPECT_EQ(std::pair(box.icon(), box.standardButtons()), std::pair(icon, buttons));
      EXPECT_TRUE(box.windowFlags().testFlag(Qt::WindowStaysOnTopHint));  // above our windows
      if (buttons != B::Ok) {  // only Yes or No answers a question: not Esc, not the close box
        QTest::keyClick(&box, Qt::Key_Escape);
        box.close();
        EXPECT_TRUE(box.isVisible());
      }
      QTest::keyClick(&box, key);
    });
    EXPECT_EQ(MsgBox(u"Go on?", style), result) << style;
  }
  UseUi(previous);
}

// The download's one filter, "*." and the extension as description and pattern: the filter
// that the user sees, and what it lets through from the folder (which is read in the
// background: its folder shows once it has been read).
TEST(QtBackendTest, SaveDialogShowsItsFilterAndWhatItLetsThrough) {
  const QTemporaryDir folder;
  QDir(folder.path()).mkdir("folder");
  for (const char* name : {"setup.exe", "notes.txt"}) {
    QFile(folder.filePath(name)).open(QIODevice::WriteOnly);
  }
  const std::pair<std::u16string, QStringList> cases[] = {
      {u"*.exe|*.exe", {"*.exe (*.exe)", "folder", "setup.exe"}},
      {u"*.|*.", {"*. (*.)", "folder"}}};
  QtBackend backend;
  for (const auto& [filter, seen] : cases) {
    const std::unique_ptr<SaveDialog> dialog = backend.NewSaveDialog();
    dialog->Filter = filter;
    dialog->InitDir = folder.path().toStdU16String();
    QTimer::singleShot(0, [&] {
      auto& shown = dynamic_cast<QFileDialog&>(*QApplication::activeModalWidget());
      const auto& types = *shown.findChild<QComboBox*>("fileTypeCombo");
      const auto& files = *shown.findChild<QAbstractItemView*>("listView");
      const auto seenNow = [&] {
        QStringList now;
        for (int i = 0; i < types.count(); ++i) now << types.itemText(i);
        for (int i = 0; i < files.model()->rowCount(files.rootIndex()); ++i)
          now << files.model()->index(i, 0, files.rootIndex()).data().toString();
        return now;
      };
      EXPECT_TRUE(QTest::qWaitFor([&] { return seenNow() == seen; }))
          << seenNow().join(" | ").toStdString();
      shown.reject();
    });
    dialog->ShowSave();
    EXPECT_EQ(dialog->FileName, u"");
  }
}

}  // namespace
}  // namespace larkspan::test
