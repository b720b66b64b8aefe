// The update window: its life, the check sequence against a local HTTP server, and the result
// display (the lines that say what is newer). Which release counts as newer is the check
// outcome's test; how a failing fetch ends is a row of the fault matrix.
#include "app/AppHarness.h"

namespace larkspan::test {
namespace {

constexpr char kError300[] = "(<334> 300)";

class CheckTest : public AppTest {
 protected:
  void StartChecked(const char* updateText = "2026#3.2#0101001#http://h/setup.exe#New") {
    ResetProgram();
    http.Serve("/update.txt", Reply::Text(updateText));
    w = &StartAgainstServer(http.Url("/update.txt"));
  }
  std::string Status() { return ToUtf8(w->Control("StatusL").caption); }
  std::string News() { return ToUtf8(w->Control("NewsT").caption); }
  bool DownloadOffered() { return w->Control("DownloadCB").visible; }
  HeadlessWindow* w = nullptr;
};

TEST_F(CheckTest, CheckEndsInTheDisplayOfItsFirstFailingStepOrInTheResult) {
  const std::string explanation300 = kError300 + std::string("\r\n<1159 Acme Acme>\r\n<1160>");
  enum Refused { kNothing, kProbes, kMakerSite };
  const struct {
    Refused refused;
    const char* body;
    std::size_t messages;
    std::string status, news;
  } cases[] = {
      {kProbes, "", 0, "(<334> 312)", "(<334> 312)\r\n<1161>\r\n<1158 Acme>\r\n<1162>"},
      {kMakerSite, "", 0, kError300, explanation300},
      {kNothing, "2026#3.2", 3, kError300, explanation300},  // a message per missing field
      {kNothing, "  2026 #3.2# 0101001 #http://h/setup.exe#New<Crlf>Faster\r\n#sixth field  ", 0,
       "<1099>\r\nVantrel2026  <24> 3.2 <1284>  0101001 ", "New\r\nFaster\r\n"},
      {kNothing, "2026#3.10#0101009#u#New<CRLF>", 0,
       "<1100>\r\nVantrel 2026 <24> 3.1 <1284> 0101009", "New\r\n"},
      // The installer's address is kept although the news field turns out blank.
      {kNothing, "2026#3.2#0101001#u# ", 0, kError300, explanation300},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.body);
    backend.messages.clear();
    StartChecked(c.body);
    const std::u16string refused = FromUtf8(HttpFixture::RefusedUrl());
    if (c.refused == kProbes) Globals().probeAddresses = {refused, refused};
    if (c.refused == kMakerSite) Globals().CompanyURL = refused;
    backend.Advance(200);  // the check
    EXPECT_EQ(Status(), c.status);
    EXPECT_EQ(News(), c.news);
    EXPECT_EQ(DownloadOffered(), c.status.find("Vantrel") != std::string::npos);
    EXPECT_EQ(backend.messages.size(), c.messages);
    // Only a check that got as far as the fetch returns the window to the top.
    EXPECT_EQ(w->topmostCalls.size(), c.refused == kNothing ? 2u : 1u);
  }
  EXPECT_EQ(ToUtf8(Globals().DownloadURL), "u");
}

TEST_F(CheckTest, ChecksOnceAfter200MsAndKeepsOnTopTillTheDownloadWindowOpens) {
  StartChecked();
  // The promotion pictures open their tags, and leave the topmost state alone.
  EXPECT_TRUE(w->Click("imgReadMore") && w->Click("imgDownload"));
  EXPECT_EQ(opened, (std::vector<std::string>{ToUtf8(w->Control("imgReadMore").layout.tag),
                                              ToUtf8(w->Control("imgDownload").layout.tag)}));
  w->SetTopmost(false);  // as if another window had come up
  backend.Advance(199);
  EXPECT_EQ(Status(), "<1156> ...");
  backend.Advance(1);
  EXPECT_TRUE(DownloadOffered());
  w->SetTopmost(false);
  backend.Advance(1799);
  EXPECT_FALSE(w->topmostCalls.back());
  backend.Advance(1 + 4000);
  EXPECT_EQ(w->Control("DoJobTimer").ticks, 1);
  EXPECT_EQ(w->topmostCalls, (std::vector<bool>{true, false, true, false, true, true, true}));

  bool inspected = false;
  backend.At(backend.Now() + 1000, [&] {
    HeadlessWindow& down = backend.WindowNamed("DownForm");
    EXPECT_TRUE(backend.modalWindow == &down && !w->topmostCalls.back());
    // No download runs (the Save dialog was dismissed): Cancel only stops, a second closes.
    EXPECT_TRUE(down.Click("btnCancel") && down.visible);
    EXPECT_TRUE(down.Click("btnCancel") && !down.visible);
    inspected = true;
  });
  EXPECT_TRUE(w->Click("DownloadCB"));
  EXPECT_TRUE(inspected);
  const std::size_t calls = w->topmostCalls.size();
  backend.Advance(10'000);
  EXPECT_EQ(w->topmostCalls.size(), calls);
  // Ended through ExitProgram, which clears the record but for the caller's field.
  EXPECT_THROW(w->Click("btnCancel"), ProgramEnded);
  EXPECT_EQ(ToUtf8(Globals().CompanyName + Globals().UpdateInfoURL + u"|" + Globals().CallerField),
            "|x");
  EXPECT_TRUE(backend.messages.empty());
}

}  // namespace
}  // namespace larkspan::test
