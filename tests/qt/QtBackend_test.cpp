// The Qt back end's message box, answered by a simulated user as soon as it opens. (That a
// yield lets clicks and timers run: the journeys; that it does so at most once per pass
// interval: the download's CPU figure in bench/.)
#include "ui/qt/QtBackend.h"

#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "QtTestApp.h"

namespace larkspan::test {
namespace {

TEST(QtBackendTest, MessageBoxStyleGivesIconAndButtonsAndTheAnswerComesBack) {
  QtBackend backend;
  Ui* previous = UseUi(&backend);
  using B = QMessageBox;
  const std::tuple<int, B::Icon, B::StandardButtons, Qt::Key, MsgBoxResult> cases[] = {
      {kMsgCritical, B::Critical, B::Ok, Qt::Key_Escape, MsgBoxResult::kOk},
      {kMsgYesNo, B::NoIcon, B::Yes | B::No, Qt::Key_Return, MsgBoxResult::kYes},
      {kMsgYesNo + kMsgCritical, B::Critical, B::Yes | B::No, Qt::Key_N, MsgBoxResult::kNo}};
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

}  // namespace
}  // namespace larkspan::test
