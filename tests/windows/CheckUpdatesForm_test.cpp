// The update window's life and its check sequence, against a local HTTP server.
#include <gtest/gtest.h>

#include <string>

#include "Deployment.h"
#include "platform/CodePage.h"
#include "platform/ShellModuleM.h"
#include "support/HttpFixture.h"
#include "update_window/CheckUpdatesForm.h"
#include "update_window/CheckUpdatesLayout.h"
#include "windows/UpdateWindowFixture.h"

namespace larkspan::test {
namespace {

const std::u16string kStatus1156 = u"<1156> ...";
const std::u16string kConnecting = u"<1157 Acme> ...";
const std::u16string kError300 = u"(<334> 300)";
const std::u16string kError312 = u"(<334> 312)";
const std::u16string kExplanation300 = kError300 + u"\r\n<1159 Acme Acme>\r\n<1160>";

class CheckUpdatesFormTest : public UpdateWindowTest {
 protected:
  // Starts the program against the fixture: both probes and the maker's site answer, and the
  // update information is served at /update.txt. The maker's name is changed after start-up
  // so that its replacement in the language texts shows.
  HeadlessWindow& StartAgainstServer() {
    HeadlessWindow& window = Start(u"x*3.1*0101000*" + FromUtf8(server.Url("/update.txt")));
    AppGlobals& g = Globals();
    g.probeAddresses = {FromUtf8(server.Url("/product/")), FromUtf8(server.Url("/"))};
    g.CompanyURL = FromUtf8(server.Url("/"));
    g.CompanyName = u"Acme";
    return window;
  }

  std::u16string Refused() const {
    return FromUtf8("http://127.0.0.1:" + std::to_string(HttpFixture::RefusedPort()) + "/");
  }

  // Runs the check that the load has scheduled.
  void RunCheck() { backend.Advance(200); }

  HttpFixture server;
};

TEST_F(CheckUpdatesFormTest, LoadSetsTheLanguageTextsAndHidesTheDownloadButton) {
  HeadlessWindow& window = Start(u"***");
  EXPECT_EQ(window.caption, u"Quillmere - <1107> 3.15");
  EXPECT_EQ(window.ButtonNamed("DownloadCB").caption, u"<1045>");
  EXPECT_FALSE(window.ButtonNamed("DownloadCB").visible);
  EXPECT_EQ(window.LabelNamed("StatusL").caption, kStatus1156);
  EXPECT_EQ(window.LabelNamed("lblLastNews").caption, u"<1048>");
  EXPECT_EQ(window.ButtonNamed("btnCancel").caption, u"<108>");
  EXPECT_EQ(window.TextBoxNamed("NewsT").text, u"");
  EXPECT_TRUE(window.TimerNamed("DoJobTimer").enabled);
  EXPECT_TRUE(window.TimerNamed("OnTopFormTimer").enabled);
}

TEST_F(CheckUpdatesFormTest, NoConnectionShowsError312WithItsThreeLines) {
  HeadlessWindow& window = StartAgainstServer();
  Globals().probeAddresses = {Refused(), Refused()};
  RunCheck();
  EXPECT_EQ(window.LabelNamed("StatusL").caption, kError312);
  EXPECT_EQ(window.TextBoxNamed("NewsT").text, kError312 + u"\r\n<1161>\r\n<1158 Acme>\r\n<1162>");
  EXPECT_FALSE(window.ButtonNamed("DownloadCB").visible);
  EXPECT_EQ(server.RequestCount("/"), 0u);
  // The error stops the check before it would put the window on top again.
  EXPECT_EQ(window.topmostCalls.size(), 1u);
}

TEST_F(CheckUpdatesFormTest, UnreachableMakerSiteShowsError300) {
  HeadlessWindow& window = StartAgainstServer();
  Globals().CompanyURL = Refused();
  RunCheck();
  EXPECT_EQ(window.LabelNamed("StatusL").captionHistory,
            (std::vector<std::u16string>{kStatus1156, kStatus1156, kConnecting, kError300}));
  EXPECT_EQ(window.TextBoxNamed("NewsT").text, kExplanation300);
  EXPECT_EQ(server.RequestCount("/update.txt"), 0u);
  EXPECT_EQ(window.topmostCalls.size(), 1u);
}

TEST_F(CheckUpdatesFormTest, FailedFetchLeavesTheConnectingTextAndPutsTheWindowOnTop) {
  HeadlessWindow& window = StartAgainstServer();
  Globals().UpdateInfoURL = Refused() + u"update.txt";
  RunCheck();
  EXPECT_EQ(window.LabelNamed("StatusL").caption, kConnecting);
  EXPECT_EQ(window.TextBoxNamed("NewsT").text, u"");
  EXPECT_FALSE(window.ButtonNamed("DownloadCB").visible);
  EXPECT_TRUE(backend.messages.empty());
  EXPECT_EQ(window.topmostCalls, (std::vector<bool>{true, true}));
}

TEST_F(CheckUpdatesFormTest, TimedOutFetchIsAFailedFetch) {
  Globals().transferSettings.requestTimeoutSeconds = 1;
  HeadlessWindow& window = StartAgainstServer();
  HttpResponse silent;
  silent.silent = true;
  server.Serve("/update.txt", silent);
  RunCheck();
  EXPECT_EQ(window.LabelNamed("StatusL").caption, kConnecting);
  EXPECT_EQ(window.TextBoxNamed("NewsT").text, u"");
}

TEST_F(CheckUpdatesFormTest, UnusableUpdateTextsShowError300) {
  struct Case {
    const char* body;
    int jnsplitMessages;
  };
  for (const Case& c :
       {Case{"", 0}, Case{"     ", 0}, Case{"<HEAD><title>x</title>", 0},
        Case{"  <Head>2026#3.2#0101001#http://h/s.exe#news", 0}, Case{"no delimiter at all", 0},
        Case{"2026#3.2", 3}, Case{"2026#3.2#0101001", 2},
        Case{"2026#3.2#0101001#http://h/s.exe", 1}, Case{"2026#  #0101001#http://h/s.exe#news", 0},
        Case{"2026#3.2#0101001##news", 0}, Case{"#3.2#0101001#u#news", 0}}) {
    SCOPED_TRACE(c.body);
    ResetGlobals();
    backend.messages.clear();
    server.Serve("/update.txt", HttpResponse::Text(c.body));
    HeadlessWindow& window = StartAgainstServer();
    RunCheck();
    EXPECT_EQ(window.LabelNamed("StatusL").caption, kError300);
    EXPECT_EQ(window.TextBoxNamed("NewsT").text, kExplanation300);
    EXPECT_FALSE(window.ButtonNamed("DownloadCB").visible);
    EXPECT_EQ(JNSplitMessages(), c.jnsplitMessages);
    EXPECT_EQ(backend.messages.size(), static_cast<size_t>(c.jnsplitMessages));
    EXPECT_EQ(window.topmostCalls.back(), true);
  }
}

TEST_F(CheckUpdatesFormTest, InstallerAddressIsKeptAfterAnEmptyNewsField) {
  server.Serve("/update.txt", HttpResponse::Text("2026#3.2#0101001#http://h/setup.exe# "));
  HeadlessWindow& window = StartAgainstServer();
  RunCheck();
  EXPECT_EQ(window.LabelNamed("StatusL").caption, kError300);
  EXPECT_EQ(Globals().DownloadURL, u"http://h/setup.exe");
}

TEST_F(CheckUpdatesFormTest, CompleteTextReachesTheResultDisplay) {
  server.Serve("/update.txt",
               HttpResponse::Text("  2026#3.2#0101001#http://h/setup.exe#New release<Crlf>Faster "
                                  "scanning\r\n#sixth field  "));
  HeadlessWindow& window = StartAgainstServer();
  RunCheck();
  EXPECT_EQ(window.LabelNamed("StatusL").caption, u"<1099>\r\nVantrel2026 <24> 3.2 <1284> 0101001");
  EXPECT_TRUE(window.ButtonNamed("DownloadCB").visible);
  EXPECT_EQ(window.TextBoxNamed("NewsT").text, u"New release\r\nFaster scanning\r\n");
  EXPECT_EQ(Globals().DownloadURL, u"http://h/setup.exe");
  EXPECT_EQ(window.topmostCalls, (std::vector<bool>{true, true}));
  EXPECT_TRUE(backend.messages.empty());
  // The product's site answered the first probe: the maker's root was asked once, by the
  // reachability test only.
  EXPECT_EQ(server.RequestCount("/product/"), 1u);
  EXPECT_EQ(server.RequestCount("/"), 1u);
}

TEST_F(CheckUpdatesFormTest, FieldsWithBlanksAroundTextAreUsedUntrimmed) {
  server.Serve("/update.txt", HttpResponse::Text(" 2026 #3.2# 0101001 #http://h/setup.exe#n"));
  HeadlessWindow& window = StartAgainstServer();
  RunCheck();
  // A text trimmed as a whole: the edition keeps its blank behind, the build both.
  EXPECT_EQ(window.LabelNamed("StatusL").caption,
            u"<1099>\r\nVantrel2026  <24> 3.2 <1284>  0101001 ");
}

TEST_F(CheckUpdatesFormTest, CheckRunsOnceTwoHundredMillisecondsAfterLoad) {
  HeadlessWindow& window = StartAgainstServer();
  Globals().probeAddresses = {Refused()};
  backend.Advance(199);
  EXPECT_EQ(window.TimerNamed("DoJobTimer").ticks, 0);
  EXPECT_EQ(window.LabelNamed("StatusL").caption, kStatus1156);
  backend.Advance(1);
  EXPECT_EQ(window.TimerNamed("DoJobTimer").ticks, 1);
  EXPECT_FALSE(window.TimerNamed("DoJobTimer").enabled);
  EXPECT_EQ(window.LabelNamed("StatusL").caption, kError312);
  backend.Advance(10000);
  EXPECT_EQ(window.TimerNamed("DoJobTimer").ticks, 1);
}

TEST_F(CheckUpdatesFormTest, WindowIsPutBackOnTopEveryTwoSeconds) {
  HeadlessWindow& window = StartAgainstServer();
  Globals().probeAddresses = {Refused()};
  window.SetTopmost(false);  // as if another window had come up
  backend.Advance(1999);
  EXPECT_FALSE(window.topmost);
  backend.Advance(1);
  EXPECT_TRUE(window.topmost);
  backend.Advance(6000);
  EXPECT_EQ(window.TimerNamed("OnTopFormTimer").ticks, 4);
  EXPECT_EQ(window.topmostCalls, (std::vector<bool>{true, false, true, true, true, true}));
}

TEST_F(CheckUpdatesFormTest, CloseBoxAndCancelEndTheProgramWithoutAQuestion) {
  for (bool byCancel : {false, true}) {
    SCOPED_TRACE(byCancel ? "btnCancel" : "close box");
    ResetGlobals();
    backend.programEnded = false;
    HeadlessWindow& window = Start(u"x*3.1*0101000*http://h/u.txt");
    EXPECT_THROW(byCancel ? window.Click("btnCancel") : window.CloseBox(), ProgramEnded);
    EXPECT_TRUE(backend.programEnded);
    EXPECT_TRUE(backend.messages.empty());
    EXPECT_EQ(Globals().CompanyName, u"");  // the program's end cleared the record
  }
}

constexpr char kNewerRelease[] = "2026#3.2#0101001#http://h/setup.exe#New release";

TEST_F(CheckUpdatesFormTest, PromotionPicturesOpenTheirTagsBeforeDuringAndAfterTheCheck) {
  std::vector<std::string> opened;
  ShellLauncher previous = SetShellLauncher(
      [&](const std::vector<std::string>& argv) { opened.push_back(argv.back()); });
  server.Serve("/update.txt", HttpResponse::Text(kNewerRelease));
  HeadlessWindow& window = StartAgainstServer();
  auto clickBoth = [&] {
    EXPECT_TRUE(window.ClickImage("imgReadMore"));
    EXPECT_TRUE(window.ClickImage("imgDownload"));
  };
  clickBoth();
  // The check's first pass of pending events comes while it puts the maker's name in.
  backend.AtYield(backend.yields + 1, clickBoth);
  RunCheck();
  clickBoth();
  SetShellLauncher(previous);

  std::vector<std::string> expected;
  for (int i = 0; i < 3; ++i) {
    expected.push_back(deployment::kPromoPageUrl);
    expected.push_back(deployment::kPromoInstallerUrl);
  }
  EXPECT_EQ(opened, expected);
  // Only start-up and the end of the check touched the topmost state.
  EXPECT_EQ(window.topmostCalls, (std::vector<bool>{true, true}));
}

TEST_F(CheckUpdatesFormTest, DownloadButtonStopsTheTopmostTimerAndOpensTheDownloadWindow) {
  server.Serve("/update.txt", HttpResponse::Text(kNewerRelease));
  HeadlessWindow& window = StartAgainstServer();
  RunCheck();
  ASSERT_TRUE(window.ButtonNamed("DownloadCB").visible);
  EXPECT_EQ(Globals().DownloadURL, u"http://h/setup.exe");

  int opened = 0;
  auto closeDownloadWindowSoon = [&] {
    backend.At(backend.Now() + 1000, [&] {
      ++opened;
      HeadlessWindow& down = backend.WindowNamed("DownForm");
      EXPECT_TRUE(down.modal);
      EXPECT_FALSE(window.TimerNamed("OnTopFormTimer").enabled);
      EXPECT_FALSE(window.topmost);
      // The update window takes no input meanwhile.
      EXPECT_FALSE(window.Click("btnCancel"));
      // Cancel with no download running (the Save dialog was dismissed): the first click
      // stops, the second closes.
      down.Click("btnCancel");
      down.Click("btnCancel");
      EXPECT_FALSE(down.visible);
    });
  };
  closeDownloadWindowSoon();
  EXPECT_TRUE(window.Click("DownloadCB"));
  EXPECT_EQ(opened, 1);

  // Nothing is restored: the window stays out of the topmost band from now on.
  size_t calls = window.topmostCalls.size();
  backend.Advance(10000);
  EXPECT_EQ(window.topmostCalls.size(), calls);
  EXPECT_FALSE(window.topmost);

  // The offer stays; the download window opens again.
  closeDownloadWindowSoon();
  EXPECT_TRUE(window.Click("DownloadCB"));
  EXPECT_EQ(opened, 2);
  EXPECT_FALSE(backend.programEnded);
}

TEST_F(CheckUpdatesFormTest, ProductDescriptionHas256Characters) {
  const WindowLayout& layout = CheckUpdatesFormLayout();
  int found = 0;
  for (const ControlLayout& c : layout.controls) {
    if (c.name == "lblProdDesc") {
      ++found;
      EXPECT_EQ(c.caption.size(), 256u);
      EXPECT_NE(c.caption.find(u"Ostrafel"), std::u16string::npos);
      EXPECT_TRUE(c.wordWrap);
    }
  }
  EXPECT_EQ(found, 1);
}

}  // namespace
}  // namespace larkspan::test
