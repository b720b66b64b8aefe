// The Qt back end builds a window from a layout table and drives it through the control
// contracts: places, clicks, modality, close handling and topmost; its message box and Save
// dialog are read and answered as soon as they open. (That a yield lets clicks and timers run:
// the journeys; that it does so at most once per pass interval: the download's CPU figure in
// bench/.)
#include <QAccessible>
#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "QtTestApp.h"
#include "ui/TestLayout.h"
#include "ui/qt/QtBackend.h"
#include "ui/qt/QtWindow.h"

namespace larkspan::test {
namespace {

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
  // clang-format off
  const std::pair<const char*, QRect> places[] = {
      {"StopB", {20, 240, 100, 30}}, {"Box", {220, 140, 160, 90}}, {"Pic", {10, 10, 50, 47}},
      {"Bar", {80, 160, 120, 20}}};
  // clang-format on
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
  EXPECT_EQ(std::pair(stops, pictures), std::pair(2, 3));
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

TEST_F(QtWindowTest, MessageBoxStyleGivesIconAndButtonsAndTheAnswerComesBack) {
  using B = QMessageBox;
  // Every style that the program uses.
  const std::tuple<int, B::Icon, B::StandardButtons, Qt::Key, MsgBoxResult> cases[] = {
      {kMsgCritical, B::Critical, B::Ok, Qt::Key_Escape, MsgBoxResult::kOk},
      {kMsgInformation, B::Information, B::Ok, Qt::Key_Return, MsgBoxResult::kOk},
      {kMsgOkOnly, B::NoIcon, B::Ok, Qt::Key_Escape, MsgBoxResult::kOk},
      {kMsgYesNo, B::NoIcon, B::Yes | B::No, Qt::Key_Return, MsgBoxResult::kYes},
      {kMsgYesNo, B::NoIcon, B::Yes | B::No, Qt::Key_N, MsgBoxResult::kNo}};
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
    EXPECT_EQ(backend.MsgBox(u"Go on?", style, u"Larkspan"), result) << style;
  }
}

// The download's one filter, "*." and the extension as description and pattern, as the user
// sees it offered.
TEST_F(QtWindowTest, SaveDialogOffersTheFilterItIsGiven) {
  for (const auto& [filter, seen] :
       {std::pair(u"*.exe|*.exe", "*.exe (*.exe)"), std::pair(u"*.|*.", "*. (*.)")}) {
    const std::unique_ptr<SaveDialog> dialog = backend.NewSaveDialog();
    dialog->Filter = filter;
    QTimer::singleShot(0, [&] {
      auto& shown = dynamic_cast<QFileDialog&>(*QApplication::activeModalWidget());
      const auto& types = *shown.findChild<QComboBox*>("fileTypeCombo");
      EXPECT_EQ(std::pair(types.count(), types.currentText().toStdString()),
                std::pair(1, std::string(seen)));
      shown.reject();
    });
    dialog->ShowSave();
  }
}

}  // namespace
}  // namespace larkspan::test
