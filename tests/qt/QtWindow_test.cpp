// The Qt back end builds a window from a layout table and drives it through the control
// contracts: places, clicks, close handling and topmost.
#include <QAccessible>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "QtTestApp.h"
#include "ui/qt/QtBackend.h"
#include "ui/qt/QtWindow.h"

namespace larkspan::test {
namespace {

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"  // left-out members: defaults
// 400 x 300 pixels; one place that is not a whole number of pixels.
// clang-format off
WindowLayout TestLayout() {
  using K = ControlKind;
  WindowLayout w{.name = "Test", .clientWidth = 6000, .clientHeight = 4500};
  w.controls = {
      {.name = "Tick", .kind = K::kTimer, .interval = 20},
      // Its caption is longer than its box, as the download window's value labels are.
      {.name = "StatusL", .left = 300, .top = 300, .width = 600, .height = 225,
       .caption = u"[Connection Status]", .foreColor = 0x000080, .autoSize = true},
      {.name = "StopB", .kind = K::kButton, .left = 300, .top = 3600, .width = 1500, .height = 450},
      {.name = "Box", .kind = K::kFrame, .left = 3300, .top = 2100, .width = 2400, .height = 1350},
      {.name = "Pic", .kind = K::kImage, .parent = "Box", .left = 150, .top = 150,
       .width = 750, .height = 700,  // 46.7 pixels high
       .tag = u"http://x/", .accessibleName = u"Read More"},
      {.name = "Bar", .kind = K::kProgressBar, .left = 1200, .top = 2400, .width = 1800,
       .height = 300},
  };
  return w;
}
// clang-format on

class QtWindowTest : public ::testing::Test {
 protected:
  QWidget& Top() { return dynamic_cast<QtWindow&>(*window).Widget(); }
  template <class T = QWidget>
  T& Child(const char* name) {
    if (T* child = Top().findChild<T*>(name)) return *child;
    throw std::runtime_error(std::string("no widget ") + name);
  }

  QtBackend backend;
  std::unique_ptr<Window> window = backend.NewWindow(TestLayout());
};

TEST_F(QtWindowTest, BuildsEveryControlAtItsPixelPlace) {
  const std::pair<const char*, QRect> places[] = {{"StopB", {20, 240, 100, 30}},
                                                  {"Box", {220, 140, 160, 90}},
                                                  {"Pic", {10, 10, 50, 47}},
                                                  {"Bar", {80, 160, 120, 20}}};
  for (const auto& [name, place] : places) EXPECT_EQ(Child(name).geometry(), place) << name;
  EXPECT_EQ(Child("Pic").parentWidget(), &Child("Box"));
  EXPECT_EQ(Child("StatusL").pos(), QPoint(20, 20));
  EXPECT_TRUE(Top().minimumSize() == QSize(400, 300) && Top().maximumSize() == QSize(400, 300));
}

TEST_F(QtWindowTest, OnlyWholeClicksOnPicturesAndShownButtonsOutsideAModalShowingCount) {
  int stops = 0, pictures = 0;
  window->GetButton("StopB").onClick = [&] { ++stops; };
  window->GetImage("Pic").onClick = [&] { ++pictures; };
  window->Show();
  QTest::mouseClick(&Child("Pic"), Qt::LeftButton);
  QTest::mousePress(&Child("Pic"), Qt::LeftButton);
  QTest::mouseRelease(&Child("Pic"), Qt::LeftButton, {}, {-5, -5});  // let go elsewhere
  // A double-click, as Qt delivers it: press, release, double-click, release. One click.
  QTest::mouseClick(&Child("Pic"), Qt::LeftButton);
  QTest::mouseDClick(&Child("Pic"), Qt::LeftButton);
  QTest::mouseRelease(&Child("Pic"), Qt::LeftButton);
  Child<QPushButton>("StopB").click();
  QTest::keyClick(&Child("StopB"), Qt::Key_Return);  // as on Windows, Enter presses it
  // While another window is shown modally, this one takes no click; once it has closed, it does.
  const auto click = [&] {
    QTest::mouseClick(Top().windowHandle(), Qt::LeftButton, {}, Child("StopB").geometry().center());
  };
  const std::unique_ptr<Window> modal = backend.NewWindow(TestLayout());
  QTimer::singleShot(0, [&] { click(), modal->Close(); });
  modal->ShowModal();
  click();
  // A screen reader finds the picture as a link named for what it says and presses it.
  QAccessibleInterface* link = QAccessible::queryAccessibleInterface(&Child("Pic"));
  EXPECT_EQ(std::pair(link->role(), link->text(QAccessible::Name)),
            std::pair(QAccessible::Link, QString("Read More")));
  link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  window->GetButton("StopB").SetVisible(false);
  Child<QPushButton>("StopB").click();  // as a tool might: a hidden button takes no click
  EXPECT_EQ(std::pair(stops, pictures), std::pair(3, 3));
}

TEST_F(QtWindowTest, ARefusedCloseAndTopmostKeepTheWindowAsItIs) {
  int queries = 0, unloads = 0;
  window->onQueryUnload = [&](bool& cancel) { cancel = ++queries < 3; };
  window->onUnload = [&](bool& cancel) { cancel = ++unloads > 0; };
  window->Show();
  const QRect place = Top().geometry();
  for (bool onTop : {true, false}) {
    window->SetTopmost(onTop);  // the stays-on-top state of the shown window, nothing else
    EXPECT_EQ(Top().windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint), onTop);
  }
  EXPECT_FALSE(window->Close());
  Top().close();  // the close box
  EXPECT_FALSE(window->Close());
  EXPECT_EQ(std::pair(queries, unloads), std::pair(3, 1));
  EXPECT_TRUE(Top().isVisible() && Top().geometry() == place && window->GetTimer("Tick").Enabled());
}

// A label skips a caption or colour that it already shows; a close puts the layout's back, so
// the same caption and colour must show again at the next opening, fitted afresh.
TEST_F(QtWindowTest, ACloseResetsEveryControlForTheNextOpening) {
  auto& label = Child<QLabel>("StatusL");
  auto shown = [&] {
    Top();  // which shows every value given so far
    return std::pair(label.text(), label.palette().color(QPalette::WindowText));
  };
  EXPECT_FALSE(window->GetTimer("Tick").Enabled());  // not before the load
  for (const QString caption : {"Longer than the layout's", "[Connection Status]"}) {
    window->Show();
    EXPECT_TRUE(window->GetTimer("Tick").Enabled());
    window->GetTimer("Tick").SetEnabled(false);
    window->GetLabel("StatusL").SetCaption(u"Longer than the layout's");
    window->GetLabel("StatusL").SetForeColor(0xC04000);
    EXPECT_EQ(shown(), std::pair(QString("Longer than the layout's"), QColor(0xC04000)));
    window->GetLabel("StatusL").SetCaption(caption.toStdU16String());
    window->GetButton("StopB").SetVisible(false);
    window->GetButton("StopB").SetEnabled(false);
    window->GetProgressBar("Bar").SetValue(70);

    Top().close();
    EXPECT_EQ(shown(), std::pair(QString("[Connection Status]"), QColor(0x000080)));
    EXPECT_TRUE(ShowsWhole(label));
    EXPECT_TRUE(!Child("StopB").isHidden() && Child("StopB").isEnabled() && !Top().isVisible());
    EXPECT_EQ(Child<QProgressBar>("Bar").value(), 0);
  }
}

// Values come faster than a screen shows them: on a shown window the first change shows at
// once, the others of its frame wait, and the last one shows when the frame ends. A hidden
// window shows each at once, so that its first paint has them all.
TEST_F(QtWindowTest, AShownWindowTakesOneValueAFrameAndEndsOnTheLast) {
  auto& label = Child<QLabel>("StatusL");
  auto& bar = Child<QProgressBar>("Bar");
  auto shows = [&](const char* text, int value) {
    return label.text() == text && bar.value() == value;
  };
  window->GetLabel("StatusL").SetCaption(u"hidden");
  window->GetProgressBar("Bar").SetValue(5);
  EXPECT_TRUE(shows("hidden", 5));
  window->Show();
  for (const char16_t* caption : {u"first", u"second", u"last"}) {
    window->GetLabel("StatusL").SetCaption(caption);
    window->GetProgressBar("Bar").SetValue(10);
  }
  EXPECT_TRUE(shows("first", 5));
  EXPECT_TRUE(QTest::qWaitFor([&] { return shows("last", 10); }));
}

}  // namespace
}  // namespace larkspan::test
