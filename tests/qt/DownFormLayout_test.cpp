// The download window as the Qt back end builds it: places, the two shared button places with
// their pictures, the keyboard order, and value texts that are never cut.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>
#include <cmath>

#include "download_window/DownFormLayout.h"
#include "platform/qt/QtBackend.h"
#include "qt/QtTestApp.h"

namespace larkspan {
namespace {

int Pixels(int twips) {
  return static_cast<int>(std::lround(twips / 15.0));
}

class DownFormLayoutQtTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = std::make_unique<QtBackend>();
    window = backend->CreateWindow(DownFormLayout());
    window->Show();
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->objectName() == "DownForm" && widget->isVisible()) top = widget;
    }
    ASSERT_NE(top, nullptr);
  }

  void TearDown() override {
    window.reset();
    backend.reset();
  }

  template <class W = QWidget>
  W* Child(const char* name) {
    return top->findChild<W*>(name);
  }

  std::unique_ptr<QtBackend> backend;
  std::unique_ptr<Window> window;
  QWidget* top = nullptr;
};

TEST_F(DownFormLayoutQtTest, WindowAndControlsStandAtTheirPixelPlaces) {
  EXPECT_EQ(top->size(), QSize(475, 185));
  EXPECT_EQ(top->windowTitle(), "Quillmere - Download Manager 1.0");
  EXPECT_FALSE(top->windowIcon().isNull());
  int placed = 0;
  for (const ControlLayout& c : DownFormLayout().controls) {
    if (c.kind == ControlKind::kTimer) continue;
    SCOPED_TRACE(c.name);
    QWidget* widget = Child(c.name.c_str());
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->mapTo(top, QPoint(0, 0)), QPoint(Pixels(c.left), Pixels(c.top)));
    // Labels size themselves to their texts; everything else keeps its box.
    if (c.kind != ControlKind::kLabel) {
      EXPECT_EQ(widget->size(), QSize(Pixels(c.width), Pixels(c.height)));
    }
    ++placed;
  }
  EXPECT_EQ(placed, 12);
  EXPECT_TRUE(Child<QLabel>("lblDownStat")->font().bold());
  EXPECT_EQ(Child<QLabel>("lblDownStat")->palette().color(QPalette::WindowText), QColor(0xC04000));
  EXPECT_EQ(Child<QProgressBar>("ProBarDownload")->maximum(), 100);
}

TEST_F(DownFormLayoutQtTest, ButtonsShareTwoPlacesOneVisibleEachWithItsPicture) {
  struct Button {
    const char* name;
    const char* sharesWith;
    bool shown;
    int picture;
  };
  for (const Button& b : {Button{"btnStopDownload", "btnClose", true, 20},
                          Button{"btnClose", "btnStopDownload", false, 24},
                          Button{"btnCancel", "btnRunFile", true, 16},
                          Button{"btnRunFile", "btnCancel", false, 20}}) {
    SCOPED_TRACE(b.name);
    QPushButton* button = Child<QPushButton>(b.name);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->geometry(), Child(b.sharesWith)->geometry());
    EXPECT_EQ(button->isVisible(), b.shown);
    EXPECT_FALSE(button->icon().isNull());
    EXPECT_EQ(button->iconSize(), QSize(b.picture, b.picture));
  }
}

TEST_F(DownFormLayoutQtTest, TabGoesThroughTheButtonsInTheirOrder) {
  // Lowest index first: Run File (8), Cancel (9), Close (10), Stop (11).
  const char* order[] = {"btnRunFile", "btnCancel", "btnClose", "btnStopDownload"};
  for (int i = 0; i + 1 < 4; ++i) {
    QWidget* next = Child(order[i])->nextInFocusChain();
    while (next != nullptr && next->focusPolicy() == Qt::NoFocus) next = next->nextInFocusChain();
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->objectName(), order[i + 1]);
  }
}

TEST_F(DownFormLayoutQtTest, ValueTextsLongerThanTheirBoxesShowWhole) {
  const std::u16string texts[] = {u"1023.99 MB  ( 100 % )", u"32767  ( KB/Sec )", u"1.99 GB"};
  const char* labels[] = {"lblDownVal", "lblTransferRateVal", "lblFileSizeVal"};
  for (int i = 0; i < 3; ++i) {
    window->GetLabel(labels[i]).SetCaption(texts[i]);
    QLabel* label = Child<QLabel>(labels[i]);
    const QString shown = QString::fromStdU16String(texts[i]);
    EXPECT_EQ(label->text(), shown);
    EXPECT_GE(label->width(), QFontMetrics(label->font()).horizontalAdvance(shown)) << labels[i];
    EXPECT_EQ(label->x(), Pixels(1560));
  }
}

}  // namespace
}  // namespace larkspan
