// The Qt back end's services: a yield passes through the event loop at most once per pass
// interval (within the interval it returns at once, and after it a click or a timer runs); the
// message box, answered by a simulated user as soon as it opens.
#include "ui/qt/QtBackend.h"

#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <chrono>

#include "QtTestApp.h"

namespace larkspan::test {
namespace {

using namespace std::chrono_literals;

// A loop of nothing but yields, as the download's, waiting for a posted event (what a click
// on Stop becomes) and a timer's tick (the rate timer's).
TEST(QtBackendTest, YieldsAloneRunPostedEventsAndTimersOnlyOncePerInterval) {
  for (const bool longInterval : {false, true}) {
    QtBackend backend(longInterval ? std::chrono::microseconds(1h) : QtBackend::kPassInterval);
    backend.DoEvents();  // the first yield passes, and opens the interval
    bool clicked = false;
    bool ticked = false;
    QObject receiver;
    QMetaObject::invokeMethod(
        &receiver, [&] { clicked = true; }, Qt::QueuedConnection);
    QTimer::singleShot(5ms, &receiver, [&] { ticked = true; });
    const auto giveUp = std::chrono::steady_clock::now() + (longInterval ? 50ms : 10s);
    while (!(clicked && ticked) && std::chrono::steady_clock::now() < giveUp) {
      backend.DoEvents();
    }
    EXPECT_EQ(clicked, !longInterval) << "interval " << (longInterval ? "1 h" : "default");
    EXPECT_EQ(ticked, !longInterval) << "interval " << (longInterval ? "1 h" : "default");
    QCoreApplication::processEvents();  // nothing left for the next round
  }
}

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
