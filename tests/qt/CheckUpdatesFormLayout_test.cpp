// The update window as the Qt back end builds it: every control at its pixel place, the
// download button hidden, and the design-time captions replaced when the window loads.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <cmath>

#include "platform/qt/QtBackend.h"
#include "qt/QtTestApp.h"
#include "startup/AppGlobals.h"
#include "startup/Main_ModuleM.h"
#include "update_window/CheckUpdatesForm.h"
#include "update_window/CheckUpdatesLayout.h"

namespace larkspan {
namespace {

int Pixels(int twips) {
  return static_cast<int>(std::lround(twips / 15.0));
}

class CheckUpdatesFormQtTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = std::make_unique<QtBackend>();
    ResetGlobals();
    SetLanguageLoader([] {
      Globals().LangText.Set(1045, u"Get it");
      Globals().LangText.Set(1048, u"News of the day");
      Globals().LangText.Set(1156, u"Looking for updates");
      Globals().LangText.Set(108, u"Close");
      Globals().LangText.Set(1107, u"Updates");
    });
    Main(u"***", *backend);
    window = &Globals().UpdateWindow().Form();
    top = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->objectName() == "CheckUpdatesForm" && widget->isVisible()) top = widget;
    }
    ASSERT_NE(top, nullptr);
  }

  void TearDown() override {
    ResetGlobals();
    SetLanguageLoader(nullptr);
    backend.reset();
  }

  template <class W = QWidget>
  W* Child(const std::string& name) {
    return top->findChild<W*>(QString::fromStdString(name));
  }

  std::unique_ptr<QtBackend> backend;
  Window* window = nullptr;
  QWidget* top = nullptr;
};

TEST_F(CheckUpdatesFormQtTest, ControlsStandAtTheirPixelPlaces) {
  const WindowLayout& layout = CheckUpdatesFormLayout();
  EXPECT_EQ(top->size(), QSize(462, 490));
  int frameLeft = 0, frameTop = 0, placed = 0;
  for (const ControlLayout& c : layout.controls) {
    if (c.kind == ControlKind::kFrame) frameLeft = c.left, frameTop = c.top;
    if (c.kind == ControlKind::kTimer || c.kind == ControlKind::kShape) continue;
    SCOPED_TRACE(c.name);
    QWidget* widget = Child(c.name);
    ASSERT_NE(widget, nullptr);
    int left = c.left + (c.parent.empty() ? 0 : frameLeft);
    int topEdge = c.top + (c.parent.empty() ? 0 : frameTop);
    QPoint at = widget->mapTo(top, QPoint(0, 0));
    EXPECT_EQ(at, QPoint(Pixels(left), Pixels(topEdge)));
    EXPECT_EQ(widget->width(), Pixels(c.width));
    // A wrapping label may only grow downwards, to show its text whole.
    if (c.wordWrap) {
      EXPECT_GE(widget->height(), Pixels(c.height));
    } else {
      EXPECT_EQ(widget->height(), Pixels(c.height));
    }
    ++placed;
  }
  EXPECT_EQ(placed, 12);
}

TEST_F(CheckUpdatesFormQtTest, ProductDescriptionFitsItsBox) {
  QLabel* description = Child<QLabel>("lblProdDesc");
  ASSERT_NE(description, nullptr);
  EXPECT_LE(description->heightForWidth(description->width()), Pixels(975));
}

TEST_F(CheckUpdatesFormQtTest, LoadReplacesTheCaptionsAndHidesTheDownloadButton) {
  EXPECT_EQ(top->windowTitle(), "Quillmere - Updates 3.15");
  EXPECT_EQ(Child<QLabel>("StatusL")->text(), "Looking for updates ...");
  EXPECT_EQ(Child<QLabel>("lblLastNews")->text(), "News of the day");
  EXPECT_EQ(Child<QPushButton>("btnCancel")->text(), "Close");
  QPushButton* download = Child<QPushButton>("DownloadCB");
  ASSERT_NE(download, nullptr);
  EXPECT_EQ(download->text(), "Get it");
  EXPECT_TRUE(download->isHidden());
  EXPECT_TRUE(Child("btnCancel")->isVisible());
}

}  // namespace
}  // namespace larkspan
