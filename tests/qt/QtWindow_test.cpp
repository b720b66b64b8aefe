// The Qt back end builds a window from a layout table and drives it through the control
// contracts: places, initial states, text sizing, clicks, timers, close handling, topmost.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <stdexcept>
#include <tuple>

#include "QtTestApp.h"
#include "platform/qt/QtBackend.h"
#include "platform/qt/QtWindow.h"

namespace larkspan::test {
namespace {

// The members a control leaves out take their defaults.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
// 400 x 300 pixels; every place a multiple of 15 twips. One control a line or two:
// clang-format off
WindowLayout TestLayout() {
  using K = ControlKind;
  WindowLayout w{.name = "TestForm", .caption = u"Design Caption", .clientWidth = 6000,
                 .clientHeight = 4500, .icon = "update_icon.png"};
  w.controls = {
      {.name = "TickTimer", .kind = K::kTimer, .interval = 20},
      {.name = "IdleTimer", .kind = K::kTimer, .enabled = false, .interval = 20},
      {.name = "Outline", .kind = K::kShape, .left = 150, .top = 150, .width = 3000,
       .height = 1500, .borderColor = 0x4A91E6},
      {.name = "StatusL", .left = 300, .top = 300, .width = 1500, .height = 225,
       .caption = u"[Status]", .font = Font{"Arial", 8.25, true}, .autoSize = true},
      {.name = "FixedL", .left = 300, .top = 900, .width = 1500, .height = 225},
      {.name = "WrapL", .left = 300, .top = 1200, .width = 1500, .height = 450, .wordWrap = true},
      {.name = "NewsT", .kind = K::kTextBox, .left = 3300, .top = 300, .width = 2400,
       .height = 1500, .foreColor = 0x4180E7, .multiLine = true, .locked = true},
      {.name = "StopB", .kind = K::kButton, .left = 300, .top = 3600, .width = 1500,
       .height = 450, .caption = u"Stop", .picture = "stop.png"},
      {.name = "CloseB", .kind = K::kButton, .left = 300, .top = 3600, .width = 1500,
       .height = 450, .picture = "no_such_picture.png", .visible = false},
      {.name = "CancelB", .kind = K::kButton, .left = 2100, .top = 3600, .width = 1500,
       .height = 450},
      {.name = "Panel", .kind = K::kFrame, .left = 3300, .top = 2100, .width = 2400,
       .height = 1350},
      {.name = "PanelPic", .kind = K::kImage, .parent = "Panel", .left = 150, .top = 150,
       .width = 750, .height = 750, .picture = "help_button.png", .stretch = true,
       .tag = u"http://example.test/page.html", .handCursor = true},
      {.name = "PlainPic", .kind = K::kImage, .left = 300, .top = 2400, .width = 750,
       .height = 690, .picture = "help_button.png"},
      {.name = "Bar", .kind = K::kProgressBar, .left = 1200, .top = 2400, .width = 1800,
       .height = 300},
  };
  return w;
}
// clang-format on
#pragma GCC diagnostic pop

class QtWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = backend.CreateWindow(TestLayout());
    window->onLoad = [this] { ++loads; };
  }

  QWidget& Top() { return dynamic_cast<QtWindow&>(*window).Widget(); }
  template <class T = QWidget>
  T& Child(const char* name) {
    T* child = Top().findChild<T*>(QString::fromLatin1(name));
    if (child == nullptr) throw std::runtime_error(std::string("no widget ") + name);
    return *child;
  }
  // A click of the user at the centre of a widget's place. Like the window system, it goes
  // to whatever the window shows at that point, which need not be that widget.
  void ClickAt(QWidget& widget) {
    const QPoint point = widget.mapTo(&Top(), widget.rect().center());
    QWidget* shown = Top().childAt(point);
    QWidget* target = shown != nullptr ? shown : &Top();
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(&Top(), point));
  }

  QtBackend backend;
  std::unique_ptr<Window> window;
  int loads = 0;
};

TEST_F(QtWindowTest, PlacesEveryControlAtItsPixelPlaceInItsStartingState) {
  EXPECT_EQ(Top().size(), QSize(400, 300));
  EXPECT_EQ(Top().minimumSize(), Top().maximumSize());
  EXPECT_FALSE(Top().windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  const struct {
    const char* name;
    QRect place;
  } places[] = {
      {"FixedL", {20, 60, 100, 15}},   {"WrapL", {20, 80, 100, 30}},
      {"NewsT", {220, 20, 160, 100}},  {"StopB", {20, 240, 100, 30}},
      {"CloseB", {20, 240, 100, 30}},  {"CancelB", {140, 240, 100, 30}},
      {"Panel", {220, 140, 160, 90}},  {"PanelPic", {10, 10, 50, 50}},
      {"PlainPic", {20, 160, 50, 46}}, {"Bar", {80, 160, 120, 20}},
  };
  for (const auto& [name, place] : places) EXPECT_EQ(Child(name).geometry(), place) << name;
  EXPECT_EQ(Child("StatusL").pos(), QPoint(20, 20));
  EXPECT_EQ(Child("PanelPic").parentWidget(), &Child("Panel"));

  EXPECT_EQ(Top().windowTitle(), "Design Caption");
  EXPECT_TRUE(Child("CloseB").isHidden());
  EXPECT_EQ(Child<QPushButton>("StopB").iconSize(), QSize(20, 20));
  EXPECT_TRUE(Child<QPushButton>("CloseB").icon().isNull());  // missing picture: none shown
  const QFont status = Child("StatusL").font();
  EXPECT_EQ(status.family() + QString::number(status.pixelSize()), "Liberation Sans11");
  EXPECT_TRUE(status.bold() && !Child("FixedL").font().bold());
  EXPECT_TRUE(Child<QPlainTextEdit>("NewsT").isReadOnly());
  EXPECT_EQ(Child("NewsT").palette().color(QPalette::Text), QColor(0x41, 0x80, 0xE7));
}

TEST_F(QtWindowTest, DrawsShapeOutlinesWithoutFill) {
  const QImage shot = Top().grab().toImage();
  for (QPoint edge : {QPoint(10, 10), QPoint(209, 109), QPoint(150, 109)}) {
    EXPECT_EQ(shot.pixel(edge), qRgb(0x4A, 0x91, 0xE6));
  }
  EXPECT_EQ(shot.pixel(12, 50), qRgb(255, 255, 255));  // inside, left of the labels
  EXPECT_EQ(shot.pixel(210, 110), qRgb(255, 255, 255));
}

TEST_F(QtWindowTest, LabelsShowTheirWholeText) {
  const std::u16string longText = u"Downloaded 12.5 MB of 80.1 MB (15%) at 512 KB/s, still going";
  window->GetLabel("StatusL").SetCaption(longText);
  auto& status = Child<QLabel>("StatusL");
  EXPECT_GE(status.width(), QFontMetrics(status.font()).horizontalAdvance(status.text()));
  EXPECT_EQ(status.pos(), QPoint(20, 20));

  window->GetLabel("StatusL").SetCaption(u"first\r\nsecond\rthird");
  EXPECT_EQ(status.text(), "first\nsecond\nthird");
  EXPECT_GE(status.height(), 3 * QFontMetrics(status.font()).lineSpacing());

  window->GetLabel("WrapL").SetCaption(longText + u" " + longText + u"\r\nand one more line");
  auto& wrap = Child<QLabel>("WrapL");
  EXPECT_EQ(wrap.width(), 100);
  EXPECT_GE(wrap.height(), wrap.heightForWidth(100));
  EXPECT_GT(wrap.height(), 30);
}

TEST_F(QtWindowTest, TextBoxGivesBackExactlyWhatWasSet) {
  TextBox& news = window->GetTextBox("NewsT");
  for (const std::u16string text :
       {u"", u"one line", u"a\r\nb", u"a\rb\nc\r\n", u"\u00e9t\u00e9"}) {
    news.SetText(text);
    EXPECT_EQ(news.Text(), text);
  }
  news.SetText(u"a\r\nb\rc");
  EXPECT_EQ(Child<QPlainTextEdit>("NewsT").toPlainText(), "a\nb\nc");
}

TEST_F(QtWindowTest, ClicksReachOnlyVisibleEnabledButtonsAndPictures) {
  int stops = 0, closes = 0, pictures = 0;
  window->GetButton("StopB").onClick = [&] { ++stops; };
  window->GetButton("CloseB").onClick = [&] { ++closes; };
  window->GetImage("PanelPic").onClick = [&] { ++pictures; };
  window->Show();
  ClickAt(Child("StopB"));
  ClickAt(Child("PanelPic"));
  ClickAt(Child("PlainPic"));
  EXPECT_EQ(std::tuple(stops, closes, pictures), std::tuple(1, 0, 1));

  // The two buttons share one place: the click goes to the one shown.
  window->GetButton("StopB").SetVisible(false);
  window->GetButton("CloseB").SetVisible(true);
  ClickAt(Child("CloseB"));
  Child<QPushButton>("StopB").click();  // code cannot click a hidden button either
  window->GetButton("CloseB").SetEnabled(false);
  ClickAt(Child("CloseB"));
  EXPECT_EQ(std::tuple(stops, closes), std::tuple(1, 1));

  EXPECT_EQ(window->GetImage("PanelPic").Tag(), u"http://example.test/page.html");
  EXPECT_EQ(Child("PanelPic").cursor().shape(), Qt::BitmapCursor);
  EXPECT_FALSE(Child("PlainPic").testAttribute(Qt::WA_SetCursor));
}

TEST_F(QtWindowTest, TimersTickOnlyWhileEnabled) {
  int ticks = 0, idleTicks = 0;
  window->GetTimer("TickTimer").onTick = [&] { ++ticks; };
  window->GetTimer("IdleTimer").onTick = [&] { ++idleTicks; };
  RunUntil([] { return false; }, 60);
  EXPECT_EQ(ticks, 0);  // a window that has not loaded runs no timer
  window->Show();
  EXPECT_TRUE(RunUntil([&] { return ticks >= 3; }, 2000));
  EXPECT_EQ(idleTicks, 0);

  window->GetTimer("TickTimer").SetEnabled(false);
  const int stoppedAt = ticks;
  window->GetTimer("IdleTimer").SetEnabled(true);
  EXPECT_TRUE(RunUntil([&] { return idleTicks >= 2; }, 2000));
  EXPECT_EQ(ticks, stoppedAt);
}

TEST_F(QtWindowTest, RefusedCloseKeepsTheWindow) {
  int queries = 0, unloads = 0;
  bool refuseQuery = true, refuseUnload = false;
  window->onQueryUnload = [&](bool& cancel) { cancel = (++queries, refuseQuery); };
  window->onUnload = [&](bool& cancel) { cancel = (++unloads, refuseUnload); };
  window->Show();
  window->GetButton("StopB").SetCaption(u"Changed");
  EXPECT_FALSE(window->Close());
  Top().close();  // the close box
  EXPECT_EQ(queries, 2);
  EXPECT_EQ(unloads, 0);
  refuseQuery = false;
  refuseUnload = true;
  EXPECT_FALSE(window->Close());
  EXPECT_EQ(unloads, 1);
  EXPECT_TRUE(Top().isVisible());
  EXPECT_EQ(Child<QPushButton>("StopB").text(), "Changed");
  EXPECT_TRUE(window->GetTimer("TickTimer").Enabled());
}

TEST_F(QtWindowTest, CloseResetsEverythingForTheNextOpening) {
  window->Show();
  window->SetCaption(u"Run-time Caption");
  window->GetLabel("StatusL").SetCaption(u"A much longer status text than the layout's");
  window->GetLabel("FixedL").SetForeColor(0xC04000);
  window->GetTextBox("NewsT").SetText(u"news");
  window->GetButton("StopB").SetVisible(false);
  window->GetButton("CloseB").SetVisible(true);
  window->GetButton("CancelB").SetEnabled(false);
  window->GetProgressBar("Bar").SetValue(70);
  window->GetTimer("IdleTimer").SetEnabled(true);
  const int statusWidth = Child("StatusL").width();

  Top().close();
  EXPECT_FALSE(Top().isVisible());
  EXPECT_EQ(Top().windowTitle(), "Design Caption");
  EXPECT_EQ(Child<QLabel>("StatusL").text(), "[Status]");
  EXPECT_LT(Child("StatusL").width(), statusWidth);
  EXPECT_EQ(Child("FixedL").palette().color(QPalette::WindowText), QColor(Qt::black));
  EXPECT_EQ(window->GetTextBox("NewsT").Text(), u"");
  EXPECT_FALSE(Child("StopB").isHidden() || !Child("CloseB").isHidden());
  EXPECT_TRUE(Child("CancelB").isEnabled());
  EXPECT_LE(Child<QProgressBar>("Bar").value(), 0);
  EXPECT_FALSE(window->GetTimer("TickTimer").Enabled() || window->GetTimer("IdleTimer").Enabled());

  window->Show();
  EXPECT_EQ(loads, 2);
  EXPECT_TRUE(window->GetTimer("TickTimer").Enabled());
  EXPECT_FALSE(window->GetTimer("IdleTimer").Enabled());
}

TEST_F(QtWindowTest, ShowModalReturnsOnceTheWindowCloses) {
  int ticks = 0;
  window->GetTimer("TickTimer").onTick = [&] {
    if (++ticks == 2) window->Close();
  };
  window->ShowModal();
  EXPECT_EQ(ticks, 2);
  EXPECT_FALSE(Top().isVisible());
  EXPECT_EQ(Top().windowModality(), Qt::NonModal);
}

TEST_F(QtWindowTest, TopmostChangesOnlyTheStackingBand) {
  window->Show();
  const QRect place = Top().geometry();
  for (bool onTop : {true, true, false}) {
    window->SetTopmost(onTop);
    ASSERT_NE(Top().windowHandle(), nullptr);
    EXPECT_EQ(Top().windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint), onTop);
    EXPECT_EQ(Top().windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
    EXPECT_EQ(Top().geometry(), place);
    EXPECT_TRUE(Top().isVisible());
  }
}

}  // namespace
}  // namespace larkspan::test
