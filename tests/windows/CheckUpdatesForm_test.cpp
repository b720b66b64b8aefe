// The update window's life and its check sequence, against a local HTTP server.
#include <gtest/gtest.h>

#include "Deployment.h"
#include "platform/CodePage.h"
#include "platform/ShellModuleM.h"
#include "support/HttpFixture.h"
#include "update_window/CheckUpdatesLayout.h"
#include "windows/UpdateWindowFixture.h"

namespace larkspan::test {
namespace {

const std::u16string kStatus1156 = u"<1156> ...";
const std::u16string kConnecting = u"<1157 Acme> ...";
const std::u16string kError300 = u"(<334> 300)";
const std::u16string kExplanation300 = kError300 + u"\r\n<1159 Acme Acme>\r\n<1160>";
constexpr char kNewerRelease[] = "2026#3.2#0101001#http://h/setup.exe#New release";

class CheckUpdatesFormTest : public UpdateWindowTest {
 protected:
  // Both probes and the maker's site answer, the update information is at /update.txt. The
  // maker's name changes after start-up, so that its replacement in the texts shows.
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
  void RunCheck() { backend.Advance(200); }
  std::u16string Status(HeadlessWindow& w) { return w.LabelNamed("StatusL").caption; }
  std::u16string News(HeadlessWindow& w) { return w.TextBoxNamed("NewsT").text; }

  HttpFixture server;
};

TEST_F(CheckUpdatesFormTest, LoadSetsTheLanguageTextsAndHidesTheDownloadButton) {
  HeadlessWindow& window = Start(u"***");
  EXPECT_EQ(window.caption, u"Quillmere - <1107> 3.15");
  EXPECT_EQ(window.ButtonNamed("DownloadCB").caption, u"<1045>");
  EXPECT_FALSE(window.ButtonNamed("DownloadCB").visible);
  EXPECT_EQ(Status(window), kStatus1156);
  EXPECT_EQ(window.LabelNamed("lblLastNews").caption, u"<1048>");
  EXPECT_EQ(window.ButtonNamed("btnCancel").caption, u"<108>");
}

TEST_F(CheckUpdatesFormTest, NoConnectionShowsError312WithItsThreeLines) {
  HeadlessWindow& window = StartAgainstServer();
  Globals().probeAddresses = {Refused(), Refused()};
  RunCheck();
  EXPECT_EQ(Status(window), u"(<334> 312)");
  EXPECT_EQ(News(window), u"(<334> 312)\r\n<1161>\r\n<1158 Acme>\r\n<1162>");
  EXPECT_FALSE(window.ButtonNamed("DownloadCB").visible);
  EXPECT_EQ(window.topmostCalls.size(), 1u);  // the error stops the check before SetOnTop
}

TEST_F(CheckUpdatesFormTest, UnreachableMakerSiteShowsError300WithoutFetching) {
  HeadlessWindow& window = StartAgainstServer();
  Globals().CompanyURL = Refused();
  RunCheck();
  EXPECT_EQ(window.LabelNamed("StatusL").captionHistory,
            (std::vector<std::u16string>{kStatus1156, kStatus1156, kConnecting, kError300}));
  EXPECT_EQ(News(window), kExplanation300);
  EXPECT_EQ(server.RequestCount("/update.txt"), 0u);
}

TEST_F(CheckUpdatesFormTest, FailedFetchLeavesTheConnectingTextAndPutsTheWindowOnTop) {
  HttpResponse silent;
  silent.silent = true;
  server.Serve("/silent.txt", silent);
  for (std::u16string address : {Refused() + u"update.txt", FromUtf8(server.Url("/silent.txt"))}) {
    SCOPED_TRACE(Narrow(address));
    ResetGlobals();
    Globals().transferSettings.requestTimeoutSeconds = 1;
    HeadlessWindow& window = StartAgainstServer();
    Globals().UpdateInfoURL = address;
    RunCheck();
    EXPECT_EQ(Status(window), kConnecting);
    EXPECT_EQ(News(window), u"");
    EXPECT_TRUE(backend.messages.empty());
    EXPECT_EQ(window.topmostCalls, (std::vector<bool>{true, true}));
  }
}

TEST_F(CheckUpdatesFormTest, UnusableUpdateTextsShowError300) {
  struct Case {
    const char* body;
    size_t jnsplitMessages;  // one per missing field
  };
  for (const Case& c :
       {Case{"", 0}, Case{"     ", 0}, Case{"<HEAD><title>x</title>", 0},
        Case{"  <Head>2026#3.2#0101001#http://h/s.exe#news", 0}, Case{"no delimiter at all", 0},
        Case{"2026#3.2", 3}, Case{"2026#3.2#0101001", 2},
        Case{"2026#3.2#0101001#http://h/s.exe", 1}, Case{"2026#  #0101001#http://h/s.exe#news", 0},
        Case{"#3.2#0101001#u#news", 0}, Case{"2026#3.2#0101001#u# ", 0}}) {
    SCOPED_TRACE(c.body);
    ResetGlobals();
    backend.messages.clear();
    server.Serve("/update.txt", HttpResponse::Text(c.body));
    HeadlessWindow& window = StartAgainstServer();
    RunCheck();
    EXPECT_EQ(Status(window), kError300);
    EXPECT_EQ(News(window), kExplanation300);
    EXPECT_FALSE(window.ButtonNamed("DownloadCB").visible);
    EXPECT_EQ(backend.messages.size(), c.jnsplitMessages);
    for (const MessageRecord& m : backend.messages) EXPECT_EQ(m.title, u"JNSplit - Function Error");
  }
  // The installer's address was stored before the empty news field was found.
  EXPECT_EQ(Globals().DownloadURL, u"u");
}

TEST_F(CheckUpdatesFormTest, CompleteTextReachesTheResultDisplayUntrimmed) {
  server.Serve("/update.txt", HttpResponse::Text("  2026 #3.2# 0101001 #http://h/setup.exe#New "
                                                 "release<Crlf>Faster\r\n#sixth field  "));
  HeadlessWindow& window = StartAgainstServer();
  RunCheck();
  EXPECT_EQ(Status(window), u"<1099>\r\nVantrel2026  <24> 3.2 <1284>  0101001 ");
  EXPECT_TRUE(window.ButtonNamed("DownloadCB").visible);
  EXPECT_EQ(News(window), u"New release\r\nFaster\r\n");
  EXPECT_EQ(Globals().DownloadURL, u"http://h/setup.exe");
  EXPECT_EQ(window.topmostCalls, (std::vector<bool>{true, true}));
  // The product's site answered the first probe, so the maker's root was asked only once.
  EXPECT_EQ(server.RequestCount("/product/"), 1u);
  EXPECT_EQ(server.RequestCount("/"), 1u);
}

TEST_F(CheckUpdatesFormTest, CheckRunsOnceAt200MsAndTheWindowReturnsOnTopEvery2000Ms) {
  HeadlessWindow& window = StartAgainstServer();
  Globals().probeAddresses = {Refused()};
  window.SetTopmost(false);  // as if another window had come up
  backend.Advance(199);
  EXPECT_EQ(Status(window), kStatus1156);
  backend.Advance(1);
  EXPECT_EQ(Status(window), u"(<334> 312)");
  EXPECT_FALSE(window.topmost);
  backend.Advance(1800);
  EXPECT_TRUE(window.topmost);
  backend.Advance(6000);
  EXPECT_EQ(window.TimerNamed("DoJobTimer").ticks, 1);
  EXPECT_EQ(window.topmostCalls, (std::vector<bool>{true, false, true, true, true, true}));
}

TEST_F(CheckUpdatesFormTest, CloseBoxAndCancelEndTheProgramWithoutAQuestion) {
  for (bool byCancel : {false, true}) {
    ResetGlobals();
    HeadlessWindow& window = Start(u"x*3.1*0101000*http://h/u.txt");
    EXPECT_THROW(byCancel ? window.Click("btnCancel") : window.CloseBox(), ProgramEnded);
    EXPECT_TRUE(backend.messages.empty());
    EXPECT_EQ(Globals().CompanyName, u"");  // ended through ExitProgram
  }
}

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
  backend.AtYield(backend.yields + 1, clickBoth);  // inside the check, as it lets events run
  RunCheck();
  clickBoth();
  SetShellLauncher(previous);
  std::vector<std::string> pair{deployment::kPromoPageUrl, deployment::kPromoInstallerUrl};
  std::vector<std::string> expected;
  for (int i = 0; i < 3; ++i) expected.insert(expected.end(), pair.begin(), pair.end());
  EXPECT_EQ(opened, expected);
  EXPECT_EQ(window.topmostCalls, (std::vector<bool>{true, true}));  // start-up and the check
}

TEST_F(CheckUpdatesFormTest, DownloadButtonStopsTheTopmostTimerAndOpensTheDownloadWindow) {
  server.Serve("/update.txt", HttpResponse::Text(kNewerRelease));
  HeadlessWindow& window = StartAgainstServer();
  RunCheck();
  int opened = 0;
  auto closeDownloadWindowSoon = [&] {
    backend.At(backend.Now() + 1000, [&] {
      ++opened;
      HeadlessWindow& down = backend.WindowNamed("DownForm");
      EXPECT_TRUE(down.modal);
      EXPECT_FALSE(window.TimerNamed("OnTopFormTimer").enabled);
      EXPECT_FALSE(window.topmost);
      EXPECT_FALSE(window.Click("btnCancel"));  // the update window takes no input meanwhile
      // No download runs (the Save dialog was dismissed): Cancel stops, Cancel again closes.
      down.Click("btnCancel");
      down.Click("btnCancel");
    });
  };
  closeDownloadWindowSoon();
  EXPECT_TRUE(window.Click("DownloadCB"));
  EXPECT_EQ(opened, 1);
  size_t calls = window.topmostCalls.size();
  backend.Advance(10000);
  EXPECT_EQ(window.topmostCalls.size(), calls);  // nothing restored
  closeDownloadWindowSoon();
  EXPECT_TRUE(window.Click("DownloadCB"));
  EXPECT_EQ(opened, 2);
}

TEST_F(CheckUpdatesFormTest, ProductDescriptionHas256Characters) {
  for (const ControlLayout& c : CheckUpdatesFormLayout().controls) {
    if (c.name == "lblProdDesc") {
      EXPECT_EQ(c.caption.size(), 256u);
    }
  }
}

}  // namespace
}  // namespace larkspan::test
