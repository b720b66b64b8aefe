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

#include "QtTestApp.h"
#include "platform/qt/QtBackend.h"
#include "platform/qt/QtWindow.h"

namespace larkspan::test {
namespace {

ControlLayout Control(const char* name, ControlKind kind, int left, int top, int width,
                      int height) {
  ControlLayout c;
  c.name = name;
  c.kind = kind;
  c.left = left;
  c.top = top;
  c.width = width;
  c.height = height;
  return c;
}

// 400 x 300 pixels; every place a multiple of 15 twips.
WindowLayout TestLayout() {
  WindowLayout w;
  w.name = "TestForm";
  w.caption = u"Design Caption";
  w.clientWidth = 6000;
  w.clientHeight = 4500;
  w.icon = "update_icon.png";
  auto add = [&w](ControlLayout c) -> ControlLayout& { return w.controls.emplace_back(c); };
  ControlLayout& tick = add(Control("TickTimer", ControlKind::kTimer, 0, 0, 0, 0));
  tick.interval = 20;
  ControlLayout& idle = add(Control("IdleTimer", ControlKind::kTimer, 0, 0, 0, 0));
  idle.interval = 20;
  idle.enabled = false;
  add(Control("Outline", ControlKind::kShape, 150, 150, 3000, 1500)).borderColor = 0x4A91E6;
  ControlLayout& status = add(Control("StatusL", ControlKind::kLabel, 300, 300, 1500, 225));
  status.caption = u"[Status]";
  status.font = Font{"Arial", 8.25, true};
  status.autoSize = true;
  add(Control("FixedL", ControlKind::kLabel, 300, 900, 1500, 225)).caption = u"Fixed";
  ControlLayout& wrap = add(Control("WrapL", ControlKind::kLabel, 300, 1200, 1500, 450));
  wrap.wordWrap = true;
  ControlLayout& news = add(Control("NewsT", ControlKind::kTextBox, 3300, 300, 2400, 1500));
  news.multiLine = news.verticalScrollBar = news.locked = true;
  news.foreColor = 0x4180E7;
  news.tabIndex = 0;
  ControlLayout& stop = add(Control("StopB", ControlKind::kButton, 300, 3600, 1500, 450));
  stop.caption = u"Stop";
  stop.picture = "stop.png";
  stop.tabStop = true;
  stop.tabIndex = 2;
  ControlLayout& close = add(Control("CloseB", ControlKind::kButton, 300, 3600, 1500, 450));
  close.caption = u"Close";
  close.picture = "no_such_picture.png";
  close.visible = false;
  close.tabStop = true;
  close.tabIndex = 1;
  ControlLayout& cancel = add(Control("CancelB", ControlKind::kButton, 2100, 3600, 1500, 450));
  cancel.caption = u"Cancel";
  cancel.tabStop = true;
  cancel.tabIndex = 3;
  add(Control("Panel", ControlKind::kFrame, 3300, 2100, 2400, 1350));
  ControlLayout& link = add(Control("PanelPic", ControlKind::kImage, 150, 150, 750, 750));
  link.parent = "Panel";
  link.picture = "help_button.png";
  link.stretch = link.handCursor = true;
  link.tag = u"http://example.test/page.html";
  add(Control("PlainPic", ControlKind::kImage, 300, 2400, 750, 690)).picture = "help_button.png";
  add(Control("Bar", ControlKind::kProgressBar, 1200, 2400, 1800, 300));
  return w;
}

class QtWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = backend.CreateWindow(TestLayout());
    qtWindow = dynamic_cast<QtWindow*>(window.get());
    ASSERT_NE(qtWindow, nullptr);
    window->onLoad = [this] { ++loads; };
  }

  QWidget& Top() { return qtWindow->Widget(); }
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
  QtWindow* qtWindow = nullptr;
  int loads = 0;
};

TEST_F(QtWindowTest, PlacesEveryControlAtItsPixelPlace) {
  EXPECT_EQ(Top().size(), QSize(400, 300));
  EXPECT_EQ(Top().minimumSize(), Top().maximumSize());
  EXPECT_FALSE(Top().windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(Top().windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
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
}

TEST_F(QtWindowTest, StartsWithTheLayoutsStateAndFonts) {
  EXPECT_EQ(Top().windowTitle(), "Design Caption");
  EXPECT_FALSE(Top().windowIcon().isNull());
  EXPECT_TRUE(Child("CloseB").isHidden());
  EXPECT_FALSE(Child("StopB").isHidden());
  EXPECT_EQ(Child<QPushButton>("StopB").text(), "Stop");
  EXPECT_EQ(Child<QPushButton>("StopB").iconSize(), QSize(20, 20));
  EXPECT_TRUE(Child<QPushButton>("CloseB").icon().isNull());  // missing picture: none shown
  EXPECT_EQ(Child<QLabel>("StatusL").text(), "[Status]");
  EXPECT_EQ(Child<QProgressBar>("Bar").maximum(), 100);
  EXPECT_LE(Child<QProgressBar>("Bar").value(), 0);
  const QFont status = Child("StatusL").font();
  EXPECT_EQ(status.family(), "Liberation Sans");
  EXPECT_EQ(status.pixelSize(), 11);
  EXPECT_TRUE(status.bold());
  EXPECT_EQ(Child("FixedL").font().pixelSize(), 11);
  EXPECT_FALSE(Child("FixedL").font().bold());
  auto& news = Child<QPlainTextEdit>("NewsT");
  EXPECT_TRUE(news.isReadOnly());
  EXPECT_EQ(news.palette().color(QPalette::Text), QColor(0x41, 0x80, 0xE7));
  EXPECT_FALSE(news.focusPolicy() & Qt::TabFocus);
  EXPECT_TRUE(Child("StopB").focusPolicy() & Qt::TabFocus);
  EXPECT_EQ(Child("StopB").nextInFocusChain(), &Child("CancelB"));
}

TEST_F(QtWindowTest, DrawsShapeOutlinesWithoutFill) {
  const QImage shot = Top().grab().toImage();
  const QRgb blue = qRgb(0x4A, 0x91, 0xE6);
  EXPECT_EQ(shot.pixel(10, 10), blue);
  EXPECT_EQ(shot.pixel(209, 109), blue);
  EXPECT_EQ(shot.pixel(150, 109), blue);
  EXPECT_EQ(shot.pixel(12, 50), qRgb(255, 255, 255));  // inside, left of the labels
  EXPECT_EQ(shot.pixel(210, 110), qRgb(255, 255, 255));
}

TEST_F(QtWindowTest, LabelsShowTheirWholeText) {
  const std::u16string longText = u"Downloaded 12.5 MB of 80.1 MB (15%) at 512 KB/s, still going";
  window->GetLabel("StatusL").SetCaption(longText);
  auto& status = Child<QLabel>("StatusL");
  EXPECT_GT(status.width(), 100);
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
  const std::u16string texts[] = {u"", u"one line", u"a\r\nb", u"a\rb\nc\r\n", u"\u00e9t\u00e9"};
  for (const std::u16string& text : texts) {
    news.SetText(text);
    EXPECT_EQ(news.Text(), text);
    EXPECT_FALSE(Child<QPlainTextEdit>("NewsT").toPlainText().contains('\r'));
  }
  news.SetText(u"a\r\nb\rc");
  EXPECT_EQ(Child<QPlainTextEdit>("NewsT").blockCount(), 3);
}

TEST_F(QtWindowTest, ClicksReachOnlyVisibleEnabledButtons) {
  int stops = 0, closes = 0;
  window->GetButton("StopB").onClick = [&] { ++stops; };
  window->GetButton("CloseB").onClick = [&] { ++closes; };
  window->Show();
  ClickAt(Child("StopB"));
  EXPECT_EQ(stops, 1);
  EXPECT_EQ(closes, 0);

  // The two buttons share one place: the click goes to the one shown.
  window->GetButton("StopB").SetVisible(false);
  window->GetButton("CloseB").SetVisible(true);
  ClickAt(Child("CloseB"));
  EXPECT_EQ(stops, 1);
  EXPECT_EQ(closes, 1);
  Child<QPushButton>("StopB").click();  // code cannot click a hidden button either
  EXPECT_EQ(stops, 1);

  window->GetButton("CloseB").SetEnabled(false);
  ClickAt(Child("CloseB"));
  EXPECT_EQ(closes, 1);
}

TEST_F(QtWindowTest, PicturesRaiseClicksAndShowTheHandOnlyWhereAsked) {
  int clicks = 0;
  window->GetImage("PanelPic").onClick = [&] { ++clicks; };
  window->Show();
  ClickAt(Child("PanelPic"));
  EXPECT_EQ(clicks, 1);
  ClickAt(Child("PlainPic"));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(window->GetImage("PanelPic").Tag(), u"http://example.test/page.html");
  EXPECT_EQ(Child("PanelPic").cursor().shape(), Qt::BitmapCursor);
  EXPECT_FALSE(Child("PlainPic").testAttribute(Qt::WA_SetCursor));
  EXPECT_FALSE(Top().testAttribute(Qt::WA_SetCursor));
}

TEST_F(QtWindowTest, ProgressBarFollowsMaximumAndValue) {
  ProgressBar& bar = window->GetProgressBar("Bar");
  auto& widget = Child<QProgressBar>("Bar");
  bar.SetMax(200);
  bar.SetValue(50);
  EXPECT_EQ(widget.maximum(), 200);
  EXPECT_EQ(widget.value(), 50);
  bar.SetValue(250);
  EXPECT_EQ(widget.value(), 200);
}

TEST_F(QtWindowTest, TimersTickOnlyWhileEnabled) {
  int ticks = 0, idleTicks = 0;
  window->GetTimer("TickTimer").onTick = [&] { ++ticks; };
  window->GetTimer("IdleTimer").onTick = [&] { ++idleTicks; };
  RunFor(60);
  EXPECT_EQ(ticks, 0);  // a window that has not loaded runs no timer
  window->Show();
  EXPECT_TRUE(window->GetTimer("TickTimer").Enabled());
  EXPECT_TRUE(RunUntil([&] { return ticks >= 3; }, 2000));
  EXPECT_EQ(idleTicks, 0);

  window->GetTimer("TickTimer").SetEnabled(false);
  const int stoppedAt = ticks;
  window->GetTimer("IdleTimer").SetEnabled(true);
  EXPECT_TRUE(RunUntil([&] { return idleTicks >= 2; }, 2000));
  EXPECT_EQ(ticks, stoppedAt);
}

TEST_F(QtWindowTest, ATickThatPumpsEventsIsNotReentered) {
  int depth = 0, deepest = 0, ticks = 0;
  window->GetTimer("TickTimer").onTick = [&] {
    ++ticks;
    deepest = std::max(deepest, ++depth);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 120) DoEvents();  // several intervals long
    --depth;
  };
  window->Show();
  EXPECT_TRUE(RunUntil([&] { return ticks >= 2; }, 3000));
  EXPECT_EQ(deepest, 1);
}

TEST_F(QtWindowTest, RefusedCloseKeepsTheWindow) {
  int queries = 0, unloads = 0;
  bool refuseQuery = true, refuseUnload = false;
  window->onQueryUnload = [&](bool& cancel) {
    ++queries;
    cancel = refuseQuery;
  };
  window->onUnload = [&](bool& cancel) {
    ++unloads;
    cancel = refuseUnload;
  };
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
  const QRect statusPlace = Child("StatusL").geometry();

  Top().close();
  EXPECT_FALSE(Top().isVisible());
  EXPECT_EQ(Top().windowTitle(), "Design Caption");
  EXPECT_EQ(Child<QLabel>("StatusL").text(), "[Status]");
  EXPECT_LT(Child("StatusL").width(), statusPlace.width());
  EXPECT_EQ(Child("FixedL").palette().color(QPalette::WindowText), QColor(Qt::black));
  EXPECT_EQ(window->GetTextBox("NewsT").Text(), u"");
  EXPECT_FALSE(Child("StopB").isHidden());
  EXPECT_TRUE(Child("CloseB").isHidden());
  EXPECT_TRUE(Child("CancelB").isEnabled());
  EXPECT_LE(Child<QProgressBar>("Bar").value(), 0);
  EXPECT_FALSE(window->GetTimer("TickTimer").Enabled());
  EXPECT_FALSE(window->GetTimer("IdleTimer").Enabled());

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
  EXPECT_EQ(loads, 1);
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

TEST_F(QtWindowTest, AskingForAnAbsentControlOrAnotherKindThrows) {
  EXPECT_THROW(window->GetLabel("NewsT"), std::logic_error);
  EXPECT_THROW(window->GetButton("NoSuchButton"), std::logic_error);
  EXPECT_THROW(window->GetImage("Panel"), std::logic_error);
  EXPECT_THROW(window->GetTimer("Outline"), std::logic_error);
  EXPECT_NO_THROW(window->GetTimer("IdleTimer"));
}

}  // namespace
}  // namespace larkspan::test
