// The two windows as the Qt back end builds them: every control at its pixel place, the
// update window's captions replaced at load with the download button hidden, the download
// window's shared button places, keyboard order and value texts that are never cut.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

#include "download_window/DownFormLayout.h"
#include "platform/qt/QtBackend.h"
#include "qt/QtTestApp.h"
#include "startup/AppGlobals.h"
#include "startup/Main_ModuleM.h"
#include "update_window/CheckUpdatesLayout.h"

namespace larkspan::test {
namespace {

// Each control at its place relative to the window (a frame's children inside the frame);
// returns how many were placed.
int ExpectPlaces(QWidget& top, const WindowLayout& layout) {
  int frameLeft = 0, frameTop = 0, placed = 0;
  for (const ControlLayout& c : layout.controls) {
    if (c.kind == ControlKind::kFrame) frameLeft = c.left, frameTop = c.top;
    if (c.kind == ControlKind::kTimer || c.kind == ControlKind::kShape) continue;
    SCOPED_TRACE(c.name);
    auto* widget = top.findChild<QWidget*>(QString::fromStdString(c.name));
    if (widget == nullptr) {
      ADD_FAILURE() << "not built";
      continue;
    }
    const bool inFrame = !c.parent.empty();
    EXPECT_EQ(widget->mapTo(&top, QPoint(0, 0)), QPoint(Pixels(c.left + (inFrame ? frameLeft : 0)),
                                                        Pixels(c.top + (inFrame ? frameTop : 0))));
    ++placed;
    if (c.autoSize) continue;  // sized to its text
    EXPECT_EQ(widget->width(), Pixels(c.width));
    // A wrapping label may only grow downwards, to show its text whole.
    EXPECT_TRUE(c.wordWrap ? widget->height() >= Pixels(c.height)
                           : widget->height() == Pixels(c.height));
  }
  return placed;
}

class UpdateWindowLayout : public ::testing::Test {
 protected:
  void TearDown() override {
    ResetGlobals();  // the windows belong to this test's back end: drop them while it exists
    SetLanguageLoader(nullptr);
  }
  QtBackend backend;
};

TEST_F(UpdateWindowLayout, ControlsStandAtTheirPlacesAndLoadReplacesTheCaptions) {
  ResetGlobals();
  SetLanguageLoader([] {
    LangTable& lang = Globals().LangText;
    for (auto [index, text] : {std::pair{1045, u"Get it"},
                               {1048, u"News of the day"},
                               {1156, u"Looking for updates"},
                               {108, u"Close"},
                               {1107, u"Updates"}}) {
      lang.Set(index, text);
    }
  });
  Main(u"***", backend);
  QWidget* top = ShownWindow("CheckUpdatesForm");
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->size(), QSize(462, 490));
  EXPECT_EQ(ExpectPlaces(*top, CheckUpdatesFormLayout()), 12);
  auto* description = top->findChild<QLabel*>("lblProdDesc");
  EXPECT_LE(description->heightForWidth(description->width()), Pixels(975));  // fits its box

  EXPECT_EQ(top->windowTitle(), "Quillmere - Updates 3.15");
  EXPECT_EQ(top->findChild<QLabel*>("StatusL")->text(), "Looking for updates ...");
  EXPECT_EQ(top->findChild<QLabel*>("lblLastNews")->text(), "News of the day");
  EXPECT_EQ(top->findChild<QPushButton*>("btnCancel")->text(), "Close");
  auto* download = top->findChild<QPushButton*>("DownloadCB");
  EXPECT_EQ(download->text(), "Get it");
  EXPECT_TRUE(download->isHidden());
  EXPECT_TRUE(top->findChild<QWidget*>("btnCancel")->isVisible());
}

class DownloadWindowLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    window->Show();
    top = ShownWindow("DownForm");
    ASSERT_NE(top, nullptr);
  }
  template <class W = QWidget>
  W& Child(const char* name) {
    auto* child = top->findChild<W*>(name);
    if (child == nullptr) throw std::runtime_error(std::string("no widget ") + name);
    return *child;
  }

  QtBackend backend;
  std::unique_ptr<Window> window = backend.CreateWindow(DownFormLayout());
  QWidget* top = nullptr;
};

TEST_F(DownloadWindowLayout, ControlsStandAtTheirPlacesAndButtonsShareTwoPlaces) {
  EXPECT_EQ(top->size(), QSize(475, 185));
  EXPECT_EQ(ExpectPlaces(*top, DownFormLayout()), 12);
  EXPECT_FALSE(top->windowIcon().isNull());
  EXPECT_TRUE(Child<QLabel>("lblDownStat").font().bold());
  EXPECT_EQ(Child("lblDownStat").palette().color(QPalette::WindowText), QColor(0xC04000));
  const struct {
    const char *name, *sharesWith;
    bool shown;
    int picture;
  } buttons[] = {{"btnStopDownload", "btnClose", true, 20},
                 {"btnClose", "btnStopDownload", false, 24},
                 {"btnCancel", "btnRunFile", true, 16},
                 {"btnRunFile", "btnCancel", false, 20}};
  for (const auto& b : buttons) {
    SCOPED_TRACE(b.name);
    auto& button = Child<QPushButton>(b.name);
    EXPECT_EQ(button.geometry(), Child(b.sharesWith).geometry());
    EXPECT_EQ(button.isVisible(), b.shown);
    EXPECT_FALSE(button.icon().isNull());
    EXPECT_EQ(button.iconSize(), QSize(b.picture, b.picture));
  }
}

TEST_F(DownloadWindowLayout, TabGoesThroughTheButtonsInTheirOrder) {
  // Lowest index first: Run File (8), Cancel (9), Close (10), Stop (11).
  const char* order[] = {"btnRunFile", "btnCancel", "btnClose", "btnStopDownload"};
  for (int i = 0; i + 1 < 4; ++i) {
    QWidget* next = Child(order[i]).nextInFocusChain();
    while (next != nullptr && next->focusPolicy() == Qt::NoFocus) next = next->nextInFocusChain();
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->objectName(), order[i + 1]);
  }
}

TEST_F(DownloadWindowLayout, ValueTextsLongerThanTheirBoxesShowWhole) {
  for (auto [name, text] : {std::pair{"lblDownVal", u"1023.99 MB  ( 100 % )"},
                            {"lblTransferRateVal", u"32767  ( KB/Sec )"},
                            {"lblFileSizeVal", u"1.99 GB"}}) {
    window->GetLabel(name).SetCaption(text);
    auto& label = Child<QLabel>(name);
    EXPECT_EQ(label.text(), QString::fromStdU16String(text));
    EXPECT_GE(label.width(), QFontMetrics(label.font()).horizontalAdvance(label.text())) << name;
    EXPECT_EQ(label.x(), Pixels(1560));
  }
}

}  // namespace
}  // namespace larkspan::test
