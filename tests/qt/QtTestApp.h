#pragma once
// The Qt application that the tests of the Qt back end need, created once per test program
// (on the offscreen platform that the test runner sets), and helpers to wait in its loop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <cmath>
#include <functional>
#include <memory>

namespace larkspan::test {

class QtApplicationEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "larkspan_qt_test";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QApplication> app_;
};

inline ::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

// Lets events run until `done` holds or `ms` milliseconds have passed; returns `done()`.
inline bool RunUntil(const std::function<bool()>& done, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
  return done();
}

// Runs `act` on the modal widget as soon as one is open (a message box or a dialog shown
// with exec(), which does not return until `act` ends it).
inline void WhenModalOpens(std::function<void(QWidget&)> act) {
  auto* poll = new QTimer;
  poll->setInterval(5);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, act = std::move(act)] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) return;
    poll->stop();
    poll->deleteLater();
    act(*modal);
  });
  poll->start();
}

inline int Pixels(int twips) {
  return static_cast<int>(std::lround(twips / 15.0));
}

// The shown top-level window of that layout name, or none.
inline QWidget* ShownWindow(const QString& name) {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == name && widget->isVisible()) return widget;
  }
  return nullptr;
}

}  // namespace larkspan::test
