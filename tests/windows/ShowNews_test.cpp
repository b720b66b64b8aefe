// The result display: which release counts as newer, and the lines that say so.
#include <gtest/gtest.h>

#include <string>

#include "platform/CodePage.h"
#include "toolkit/NumberText.h"
#include "update_window/CheckUpdatesForm.h"
#include "windows/UpdateWindowFixture.h"

namespace larkspan::test {
namespace {

enum class Shown { kNewerVersion, kNewerBuild, kNothing };

struct Case {
  const char* name;
  const char16_t* installedVersion;
  const char16_t* installedBuild;
  const char16_t* ver;
  const char16_t* build;
  Shown expected;
};

class ShowNewsTest : public UpdateWindowTest {
 protected:
  void SetUp() override {
    UpdateWindowTest::SetUp();
    window = &Start(u"x*3.1*0101000*http://h/u.txt");
  }

  void Show(const std::u16string& installedVersion, const std::u16string& installedBuild,
            const std::u16string& ver, const std::u16string& edition, const std::u16string& build,
            const std::u16string& news = u"news") {
    Globals().InstalledVersion = installedVersion;
    Globals().InstalledBuild = installedBuild;
    window->ButtonNamed("DownloadCB").visible = false;
    Globals().UpdateWindow().ShowNews(ver, edition, build, news);
  }

  std::u16string Status() { return window->LabelNamed("StatusL").caption; }
  bool DownloadOffered() { return window->ButtonNamed("DownloadCB").visible; }

  HeadlessWindow* window = nullptr;
};

TEST_F(ShowNewsTest, DecidesBetweenNewerVersionNewerBuildAndNothing) {
  const Case cases[] = {
      {"newer version", u"3.1", u"0101001", u"3.2", u"0101001", Shown::kNewerVersion},
      {"older version whatever the build", u"3.2", u"0000000", u"3.1", u"9999999", Shown::kNothing},
      {"3.20 equals 3.2, equal builds", u"3.2", u"0101001", u"3.20", u"0101001", Shown::kNothing},
      {"3.20 equals 3.2, newer build", u"3.2", u"0101001", u"3.20", u"0101002", Shown::kNewerBuild},
      {"empty installed version reads 0", u"", u"0101001", u"3.2", u"0101001",
       Shown::kNewerVersion},
      {"server reads higher but converts to 0", u"-1", u"0101001", u"0", u"0101009",
       Shown::kNothing},
      {"middle part decides over the first", u"3.2", u"9901001", u"3.2", u"0102001",
       Shown::kNewerBuild},
      {"last part decides first", u"3.2", u"9999001", u"3.2", u"0000002", Shown::kNewerBuild},
      {"older last part wins over newer others", u"3.2", u"0000002", u"3.2", u"9999001",
       Shown::kNothing},
      {"older middle part wins over newer first", u"3.2", u"0102001", u"3.2", u"9901001",
       Shown::kNothing},
      {"first part decides last", u"3.2", u"0101001", u"3.2", u"0201001", Shown::kNewerBuild},
      {"short builds: the whole text is first and last part", u"3.2", u"12", u"3.2", u"13",
       Shown::kNewerBuild},
      {"short builds, older", u"3.2", u"21", u"3.2", u"12", Shown::kNothing},
      {"halves round to even: 2.5 is 2", u"3.2", u"0000002", u"3.2", u"00002.5", Shown::kNothing},
      {"halves round to even: 3.5 is 4", u"3.2", u"0000003", u"3.2", u"00003.5",
       Shown::kNewerBuild},
      {"a part beyond 16 bits stays 0", u"3.2", u"0000000", u"3.2", u"00001e9", Shown::kNothing},
      {"not a whole number and higher: not newer", u"3.1", u"0101001", u"3.2b", u"0101009",
       Shown::kNothing},
      {"not a whole number but equal: builds decide", u"3.2", u"0101001", u"3.2b", u"0101009",
       Shown::kNewerBuild},
      {"equal everything", u"3.2", u"0101001", u"3.2", u"0101001", Shown::kNothing},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Show(c.installedVersion, c.installedBuild, c.ver, u"2026", c.build);
    switch (c.expected) {
      case Shown::kNewerVersion:
        EXPECT_EQ(Status().substr(0, 8), u"<1099>\r\n");
        EXPECT_TRUE(DownloadOffered());
        break;
      case Shown::kNewerBuild:
        EXPECT_EQ(Status().substr(0, 8), u"<1100>\r\n");
        EXPECT_TRUE(DownloadOffered());
        break;
      case Shown::kNothing:
        EXPECT_EQ(Status(), u"<1047>");
        EXPECT_FALSE(DownloadOffered());
        break;
    }
  }
}

TEST_F(ShowNewsTest, ResultLinesDifferInTheBlankBeforeTheEdition) {
  Show(u"3", u"0101001", u"03.10", u" 2026", u" 0101001 ");
  EXPECT_EQ(Status(), u"<1099>\r\nVantrel 2026 <24> 3.1 <1284>  0101001 ");
  Show(u"3.1", u"0101001", u"3.1", u"2026", u"0101002");
  EXPECT_EQ(Status(), u"<1100>\r\nVantrel 2026 <24> 3.1 <1284> 0101002");
  Show(u"3.1", u"0101001", u"3.15", u"2026", u"0101002");
  EXPECT_EQ(Status(), u"<1099>\r\nVantrel2026 <24> 3.15 <1284> 0101002");
}

TEST_F(ShowNewsTest, NewsGetsItsLineBreaksInAnyCaseAndEmptyNewsLeavesTheBox) {
  Show(u"3.1", u"0101001", u"3.1", u"2026", u"0101001", u"One<CRLF>Two<crlf>Three<Crlf>");
  EXPECT_EQ(window->TextBoxNamed("NewsT").text, u"One\r\nTwo\r\nThree\r\n");
  Show(u"3.1", u"0101001", u"3.1", u"2026", u"0101001", u"");
  EXPECT_EQ(window->TextBoxNamed("NewsT").text, u"One\r\nTwo\r\nThree\r\n");
}

TEST_F(ShowNewsTest, VersionTextUsesTheUserDecimalSeparator) {
  ScopedDecimalSeparator comma(u',');
  Show(u"3", u"0101001", u"3,5", u"2026", u"0101001");
  // "3,5" reads 3 but converts whole as 3.5: not newer by version, 3 == 3, builds equal.
  EXPECT_EQ(Status(), u"<1047>");
  Show(u"3.1", u"0101001", u"3.25", u"2026", u"0101001");
  EXPECT_EQ(Status(), u"<1099>\r\nVantrel2026 <24> 3,25 <1284> 0101001");
}

}  // namespace
}  // namespace larkspan::test
