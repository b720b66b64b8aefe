// Both windows as the Qt back end builds them, in every language that ships, holding the
// longest texts that they put into their labels: every control is built, and every text shows
// whole, without running into another control or out of its window.
#include <QDir>

#include "QtTestApp.h"
#include "app/AppGlobals.h"
#include "app/CheckUpdatesForm.h"
#include "app/CheckUpdatesLayout.h"
#include "app/DownForm.h"
#include "app/DownFormLayout.h"
#include "app/Startup.h"
#include "ui/qt/QtBackend.h"
#include "ui/qt/QtLook.h"
#include "ui/qt/QtWindow.h"
#include "update/DownProgress.h"

namespace larkspan::test {
namespace {

// Each shown control keeps the relation of its layout place to its parent and to the other
// shown controls of that parent (to an outline: its drawn box): inside stays inside, apart
// stays apart. So a label that grows to show its text whole must find the room for it.
void ExpectTextsFit(Window& window, const WindowLayout& layout) {
  const QWidget& top = dynamic_cast<QtWindow&>(window).Widget();
  for (const ControlLayout& c : layout.controls) {
    const auto* shown = top.findChild<QWidget*>(c.name.c_str());
    if (c.kind == ControlKind::kTimer || c.kind == ControlKind::kShape) continue;
    ASSERT_NE(shown, nullptr) << c.name << " not built";
    if (shown->isHidden()) continue;
    if (const auto* label = qobject_cast<const QLabel*>(shown)) {
      EXPECT_TRUE(ShowsWhole(*label)) << c.name << ": " << label->text().toStdString();
    }
    std::map<std::string, QRect> around{{"its parent", shown->parentWidget()->rect()}};
    for (const ControlLayout& o : layout.controls) {
      const auto* w = top.findChild<QWidget*>(o.name.c_str());
      if (&o != &c && o.parent == c.parent && (w ? !w->isHidden() : o.kind == ControlKind::kShape))
        around.emplace(o.name, w ? w->geometry() : PlaceOf(o));
    }
    const QRect place = PlaceOf(c), now = shown->geometry();
    for (const auto& [name, there] : around)
      EXPECT_FALSE((there.contains(place) && !there.contains(now)) ||
                   (!there.intersects(place) && there.intersects(now)))
          << c.name << " runs into " << name;
  }
}

TEST(FormLayouts, EveryLanguagesTextsFitBothWindows) {
  const QDir folder(qEnvironmentVariable("LARKSPAN_SOURCE_DIR") + "/Lang", "*.lng");
  ASSERT_GT(folder.count(), 0u);
  for (const QString& file : folder.entryList()) {
    SCOPED_TRACE(file.toStdString());
    QtBackend backend;
    SetLanguageLoader([&] {
      EXPECT_EQ(LoadLanguageFile(folder.filePath(file).toStdU16String(), Globals().LangText), 0);
    });
    Main(u"Vantrel*3.1*0101000*http://127.0.0.1:9/update.txt", backend);
    // The result lines of a newer version and of a newer build, both two lines long.
    for (const char16_t* version : {u"10.25", u"3.1"}) {
      const AppGlobals& g = Globals();
      TheUpdateWindow().ShowNews(DecideCheck(u"2009#" + std::u16string(version) + u"#9999999#u#n",
                                             {g.ProductName, g.InstalledVersion, g.InstalledBuild},
                                             g.LangText));
      ExpectTextsFit(TheUpdateWindow().Form(), CheckUpdatesFormLayout());
    }
    Window& down = TheDownloadWindow().Form();
    down.Show();
    // The longest texts: four digits and two decimals, 100 %.
    down.GetLabel("lblDownVal").SetCaption(DownProgress(1073731338).After(1073731338).downText);
    down.GetLabel("lblFileSizeVal").SetCaption(SizeText(1073731338));
    down.GetLabel("lblTransferRateVal").SetCaption(RateText(INT16_MAX));
    ExpectTextsFit(down, DownFormLayout());
    ResetProgram();  // the windows belong to this back end: gone before it, fresh for the next
  }
}

}  // namespace
}  // namespace larkspan::test
