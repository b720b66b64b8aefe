// The update window: its life, the check sequence against a local HTTP server, and the result
// display (which release counts as newer, and the lines that say so).
#include "update_window/CheckUpdatesForm.h"
#include "Deployment.h"
#include "windows/WindowTestHarness.h"

namespace larkspan::test {
namespace {

const std::u16string kStatus1156 = u"<1156> ...";
const std::u16string kError300 = u"(<334> 300)";
const std::u16string kExplanation300 = kError300 + u"\r\n<1159 Acme Acme>\r\n<1160>";
constexpr char kNewerRelease[] = "2026#3.2#0101001#http://h/setup.exe#New release";

class CheckUpdatesFormTest : public UpdateWindowTest {
 protected:
  // Both probes and the maker's site answer, the update information is at /update.txt. The
  // maker's name changes after start-up, so that its replacement in the texts shows.
  HeadlessWindow& StartAgainstServer() {
    w = &Start(u"x*3.1*0101000*" + FromUtf8(server.Url("/update.txt")));
    AppGlobals& g = Globals();
    g.probeAddresses = {FromUtf8(server.Url("/product/")), FromUtf8(server.Url("/"))};
    g.CompanyURL = FromUtf8(server.Url("/"));
    g.CompanyName = u"Acme";
    return *w;
  }
  void RunCheck() { backend.Advance(200); }
  std::u16string Status() { return w->LabelNamed("StatusL").caption; }
  std::u16string News() { return w->TextBoxNamed("NewsT").text; }
  bool DownloadOffered() { return w->ButtonNamed("DownloadCB").visible; }

  HttpFixture server;
  HeadlessWindow* w = nullptr;
};

TEST_F(CheckUpdatesFormTest, NoConnectionShowsError312WithItsThreeLines) {
  StartAgainstServer();
  Globals().probeAddresses = {FromUtf8(RefusedUrl("/")), FromUtf8(RefusedUrl("/"))};
  RunCheck();
  EXPECT_EQ(Status(), u"(<334> 312)");
  EXPECT_EQ(News(), u"(<334> 312)\r\n<1161>\r\n<1158 Acme>\r\n<1162>");
  EXPECT_FALSE(DownloadOffered());
  EXPECT_EQ(w->topmostCalls.size(), 1u);  // the error stops the check before SetOnTop
}

TEST_F(CheckUpdatesFormTest, UnreachableMakerSiteShowsError300WithoutFetching) {
  StartAgainstServer();
  Globals().CompanyURL = FromUtf8(RefusedUrl("/"));
  RunCheck();
  EXPECT_EQ(w->LabelNamed("StatusL").captionHistory,
            (std::vector<std::u16string>{kStatus1156, kStatus1156, u"<1157 Acme> ...", kError300}));
  EXPECT_EQ(News(), kExplanation300);
  EXPECT_EQ(server.RequestCount("/update.txt"), 0u);
}

// A fetch that fails is a row of the fault matrix.

TEST_F(CheckUpdatesFormTest, UnusableUpdateTextsShowError300) {
  const std::pair<const char*, size_t> cases[] = {
      // the text, its JNSplit messages
      {"", 0},
      {"     ", 0},
      {"<HEAD><title>x</title>", 0},
      {"  <Head>2026#3.2#0101001#http://h/s.exe#news", 0},
      {"2026#3.2", 3},  // one message per missing field
      {"2026#3.2#0101001", 2},
      {"2026#3.2#0101001#http://h/s.exe", 1},
      {"2026#  #0101001#http://h/s.exe#news", 0},
      {"#3.2#0101001#u#news", 0},
      {"2026#3.2#0101001#u# ", 0}};
  for (const auto& [body, jnsplitMessages] : cases) {
    SCOPED_TRACE(body);
    ResetGlobals();
    backend.messages.clear();
    server.Serve("/update.txt", HttpResponse::Text(body));
    StartAgainstServer();
    RunCheck();
    EXPECT_EQ(Status(), kError300);
    EXPECT_EQ(News(), kExplanation300);
    EXPECT_FALSE(DownloadOffered());
    EXPECT_EQ(backend.messages.size(), jnsplitMessages);
    for (const MessageRecord& m : backend.messages) EXPECT_EQ(m.title, u"JNSplit - Function Error");
  }
  // The installer's address was stored before the empty news field was found.
  EXPECT_EQ(Globals().DownloadURL, u"u");
}

TEST_F(CheckUpdatesFormTest, CompleteTextReachesTheResultDisplayUntrimmed) {
  server.Serve("/update.txt", HttpResponse::Text("  2026 #3.2# 0101001 #http://h/setup.exe#New "
                                                 "release<Crlf>Faster\r\n#sixth field  "));
  StartAgainstServer();
  RunCheck();
  EXPECT_EQ(Status(), u"<1099>\r\nVantrel2026  <24> 3.2 <1284>  0101001 ");
  EXPECT_TRUE(DownloadOffered());
  EXPECT_EQ(News(), u"New release\r\nFaster\r\n");
  EXPECT_EQ(Globals().DownloadURL, u"http://h/setup.exe");
  EXPECT_EQ(w->topmostCalls, (std::vector<bool>{true, true}));
  // The product's site answered the first probe, so the maker's root was asked only once.
  EXPECT_EQ(server.RequestCount("/"), 1u);
}

TEST_F(CheckUpdatesFormTest, CheckRunsOnceAt200MsAndTheWindowReturnsOnTopEvery2000Ms) {
  StartAgainstServer();
  Globals().probeAddresses = {FromUtf8(RefusedUrl("/"))};
  w->SetTopmost(false);  // as if another window had come up
  backend.Advance(199);
  EXPECT_EQ(Status(), kStatus1156);
  backend.Advance(1);
  EXPECT_EQ(Status(), u"(<334> 312)");
  EXPECT_FALSE(w->topmost);
  backend.Advance(1800);
  EXPECT_TRUE(w->topmost);
  backend.Advance(6000);
  EXPECT_EQ(w->TimerNamed("DoJobTimer").ticks, 1);
  EXPECT_EQ(w->topmostCalls, (std::vector<bool>{true, false, true, true, true, true}));
}

TEST_F(CheckUpdatesFormTest, CloseBoxAndCancelEndTheProgramWithoutAQuestion) {
  for (bool byCancel : {false, true}) {
    ResetGlobals();
    HeadlessWindow& window = Start(u"x*3.1*0101000*http://h/u.txt");
    EXPECT_THROW(byCancel ? window.Click("btnCancel") : window.CloseBox(), ProgramEnded);
    EXPECT_TRUE(backend.messages.empty());
    // Ended through ExitProgram, which clears the record but for the caller's field.
    EXPECT_EQ(Globals().CompanyName + Globals().UpdateInfoURL, u"");
    EXPECT_EQ(Globals().CallerField, u"x");
  }
}

TEST_F(CheckUpdatesFormTest, PromotionPicturesOpenTheirTagsAlsoDuringTheCheck) {
  std::vector<std::string> opened;
  ShellLauncher previous =
      SetShellLauncher([&](const auto& argv) { opened.push_back(argv.back()); });
  server.Serve("/update.txt", HttpResponse::Text(kNewerRelease));
  StartAgainstServer();
  auto clickBoth = [&] {
    EXPECT_TRUE(w->ClickImage("imgReadMore"));
    EXPECT_TRUE(w->ClickImage("imgDownload"));
  };
  clickBoth();
  backend.AtYield(backend.yields + 1, clickBoth);  // inside the check, as it lets events run
  RunCheck();
  SetShellLauncher(previous);
  const std::string page = deployment::kPromoPageUrl, installer = deployment::kPromoInstallerUrl;
  EXPECT_EQ(opened, (std::vector<std::string>{page, installer, page, installer}));
  EXPECT_EQ(w->topmostCalls, (std::vector<bool>{true, true}));  // start-up and the check
}

TEST_F(CheckUpdatesFormTest, DownloadButtonStopsTheTopmostTimerAndOpensTheDownloadWindow) {
  server.Serve("/update.txt", HttpResponse::Text(kNewerRelease));
  StartAgainstServer();
  RunCheck();
  bool opened = false;
  backend.At(backend.Now() + 1000, [&] {
    HeadlessWindow& down = backend.WindowNamed("DownForm");
    opened = down.modal;
    EXPECT_FALSE(w->TimerNamed("OnTopFormTimer").enabled);
    EXPECT_FALSE(w->topmost);
    EXPECT_FALSE(w->Click("btnCancel"));  // the update window takes no input meanwhile
    // No download runs (the Save dialog was dismissed): Cancel stops, Cancel again closes.
    down.Click("btnCancel");
    down.Click("btnCancel");
  });
  EXPECT_TRUE(w->Click("DownloadCB"));
  EXPECT_TRUE(opened);
  const size_t calls = w->topmostCalls.size();
  backend.Advance(10000);
  EXPECT_EQ(w->topmostCalls.size(), calls);  // nothing restored
}

// ------------------------------------------------------------------ the result display

class ShowNewsTest : public CheckUpdatesFormTest {
 protected:
  void SetUp() override {
    CheckUpdatesFormTest::SetUp();
    w = &Start(u"x*3.1*0101000*http://h/u.txt");
  }
  // Installed version and build, then the announced release; returns the status text.
  std::u16string Show(const char16_t* installed, const char16_t* installedBuild,
                      const char16_t* ver, const char16_t* build, const char16_t* news = u"n") {
    Globals().InstalledVersion = installed;
    Globals().InstalledBuild = installedBuild;
    w->ButtonNamed("DownloadCB").visible = false;
    Globals().UpdateWindow().ShowNews(ver, u"2026", build, news);
    return Status();
  }
};

TEST_F(ShowNewsTest, DecidesBetweenNewerVersionNewerBuildAndNothing) {
  const struct {
    const char* name;
    const char16_t *installed, *installedBuild, *ver, *build, *shown;
  } cases[] = {
      {"newer version", u"3.1", u"0101001", u"3.2", u"0101001", u"<1099>"},
      {"older version whatever the build", u"3.2", u"0000000", u"3.1", u"9999999", u"<1047>"},
      {"3.20 is 3.2, equal builds", u"3.2", u"0101001", u"3.20", u"0101001", u"<1047>"},
      {"3.20 is 3.2, newer build", u"3.2", u"0101001", u"3.20", u"0101002", u"<1100>"},
      {"server reads higher but converts to 0", u"-1", u"0101001", u"0", u"0101009", u"<1047>"},
      {"last part decides first", u"3.2", u"9999001", u"3.2", u"0000002", u"<1100>"},
      {"older last part wins over newer others", u"3.2", u"0000002", u"3.2", u"9999001", u"<1047>"},
      {"middle part decides over the first", u"3.2", u"9901001", u"3.2", u"0102001", u"<1100>"},
      {"older middle part wins over newer first", u"3.2", u"0102001", u"3.2", u"9901001",
       u"<1047>"},
      {"first part decides last", u"3.2", u"0101001", u"3.2", u"0201001", u"<1100>"},
      {"short builds: the whole text is first and last part", u"3.2", u"12", u"3.2", u"13",
       u"<1100>"},
      {"short builds, older", u"3.2", u"21", u"3.2", u"12", u"<1047>"},
      {"a part beyond 16 bits stays 0", u"3.2", u"0000000", u"3.2", u"00001e9", u"<1047>"},
      {"not a whole number and higher: not newer", u"3.1", u"0101001", u"3.2b", u"0101009",
       u"<1047>"},
      {"not a whole number but equal: builds decide", u"3.2", u"0101001", u"3.2b", u"0101009",
       u"<1100>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::u16string status = Show(c.installed, c.installedBuild, c.ver, c.build);
    EXPECT_EQ(status.substr(0, status.find(u'\r')), c.shown);
    EXPECT_EQ(DownloadOffered(), c.shown != std::u16string(u"<1047>"));
  }
}

TEST_F(ShowNewsTest, ResultLinesDifferInTheBlankBeforeTheEdition) {
  EXPECT_EQ(Show(u"3", u"0101001", u"03.10", u"0101002"),
            u"<1099>\r\nVantrel2026 <24> 3.1 <1284> 0101002");
  EXPECT_EQ(Show(u"3.1", u"0101001", u"3.10", u"0101002"),
            u"<1100>\r\nVantrel 2026 <24> 3.1 <1284> 0101002");
}

TEST_F(ShowNewsTest, NewsGetsItsLineBreaksInAnyCaseAndEmptyNewsLeavesTheBox) {
  Show(u"3.1", u"0101001", u"3.1", u"0101001", u"One<CRLF>Two<crlf>Three<Crlf>");
  EXPECT_EQ(News(), u"One\r\nTwo\r\nThree\r\n");
  Show(u"3.1", u"0101001", u"3.1", u"0101001", u"");
  EXPECT_EQ(News(), u"One\r\nTwo\r\nThree\r\n");
}

}  // namespace
}  // namespace larkspan::test
