// A yield of the Qt back end passes through the event loop at most once per pass interval:
// within the interval it returns at once, and after it a click or a timer runs.
#include "ui/qt/QtBackend.h"

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

}  // namespace
}  // namespace larkspan::test
