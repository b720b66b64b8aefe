// A label of the Qt back end skips a caption or colour that it already shows; what it shows
// must still follow every call, also across a close of its window (which puts the layout's
// caption, colour and place back).
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLabel>

#include "platform/qt/QtBackend.h"
#include "platform/qt/QtWindow.h"
#include "qt/QtTestApp.h"

namespace larkspan::test {
namespace {

WindowLayout LabelLayout() {
  WindowLayout w;
  w.name = "LabelForm";
  w.clientWidth = 6000;
  w.clientHeight = 1500;
  ControlLayout status;
  status.name = "StatusL";
  status.left = status.top = 300;
  status.width = 900;
  status.height = 225;
  status.caption = u"[Status]";
  status.foreColor = 0x000080;
  status.autoSize = true;
  w.controls.push_back(status);
  return w;
}

class QtLabelTest : public ::testing::Test {
 protected:
  QColor ShownColour() const { return shown.palette().color(QPalette::WindowText); }
  bool ShowsWhole() const {
    return shown.width() >= QFontMetrics(shown.font()).horizontalAdvance(shown.text());
  }

  QtBackend backend;
  std::unique_ptr<Window> window = backend.CreateWindow(LabelLayout());
  Label& status = window->GetLabel("StatusL");
  QLabel& shown = *static_cast<QtWindow&>(*window).Widget().findChild<QLabel*>("StatusL");
};

TEST_F(QtLabelTest, ShowsEveryCaptionAndColourInTurn) {
  window->Show();
  const std::u16string longText = u"Receiving the installer from the maker's server ...";
  for (const std::u16string& text : {longText, longText, std::u16string(u"Done"), longText}) {
    status.SetCaption(text);
    EXPECT_EQ(shown.text(), QString::fromStdU16String(text));
    EXPECT_TRUE(ShowsWhole());
  }
  for (Rgb colour : {0x0C8B3Fu, 0x0C8B3Fu, 0x0000FFu, 0x0C8B3Fu}) {
    status.SetForeColor(colour);
    EXPECT_EQ(ShownColour(), QColor(static_cast<QRgb>(colour)));
  }
}

TEST_F(QtLabelTest, TheLastOpeningsCaptionAndColourApplyAgainAfterAClose) {
  window->Show();
  const std::u16string longText = u"A much longer status text than the layout's";
  status.SetCaption(longText);
  status.SetForeColor(0xFF0000);
  const int fittedWidth = shown.width();
  window->Close();
  ASSERT_EQ(shown.text(), "[Status]");
  ASSERT_EQ(ShownColour(), QColor(0x00, 0x00, 0x80));

  window->Show();
  status.SetCaption(longText);
  status.SetForeColor(0xFF0000);
  EXPECT_EQ(shown.text(), QString::fromStdU16String(longText));
  EXPECT_EQ(shown.width(), fittedWidth);
  EXPECT_EQ(ShownColour(), QColor(0xFF, 0x00, 0x00));
  // The layout's own caption and colour, set by code after the close, stay as they are.
  status.SetCaption(u"[Status]");
  status.SetForeColor(0x000080);
  EXPECT_EQ(shown.text(), "[Status]");
  EXPECT_TRUE(ShowsWhole());
  EXPECT_EQ(ShownColour(), QColor(0x00, 0x00, 0x80));
}

TEST_F(QtLabelTest, ACaptionKeptOverACloseIsFittedAgain) {
  window->Show();
  const int fittedWidth = shown.width();
  ASSERT_NE(fittedWidth, Pixels(900));  // the layout's width is not the fitted one
  status.SetCaption(u"[Status]");
  window->Close();
  EXPECT_EQ(shown.width(), fittedWidth);
}

}  // namespace
}  // namespace larkspan::test
