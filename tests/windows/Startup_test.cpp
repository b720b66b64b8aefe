// Start-up: the three outcomes of the entry procedure, the command-line fields, the end.
#include <gtest/gtest.h>

#include "Deployment.h"
#include "platform/CodePage.h"
#include "windows/UpdateWindowFixture.h"

namespace larkspan::test {
namespace {

using StartupTest = UpdateWindowTest;

TEST_F(StartupTest, EmptyArgumentTextEndsSilently) {
  EXPECT_THROW(Main(u"", backend), ProgramEnded);
  EXPECT_TRUE(backend.programEnded);
  EXPECT_TRUE(backend.messages.empty());
  EXPECT_THROW(backend.WindowNamed("CheckUpdatesForm"), std::logic_error);
  EXPECT_EQ(languageLoads, 1);
}

TEST_F(StartupTest, FewerThanThreeStarsRefusesWithoutAWindow) {
  for (const char16_t* arguments : {u"a*b", u"x", u"**", u" "}) {
    SCOPED_TRACE(Narrow(arguments));
    ResetGlobals();
    backend.messages.clear();
    backend.programEnded = false;
    EXPECT_THROW(Main(arguments, backend), ProgramEnded);
    EXPECT_TRUE(backend.programEnded);
    ASSERT_EQ(backend.messages.size(), 1u);
    EXPECT_EQ(backend.messages[0].prompt,
              u"Quillmere - Larkspan required recently version of Vantrel");
    EXPECT_EQ(backend.messages[0].style, 64);
    EXPECT_EQ(backend.messages[0].title, u"Quillmere - Larkspan");
    EXPECT_THROW(backend.WindowNamed("CheckUpdatesForm"), std::logic_error);
    // The refusal ends at once, without clearing the record.
    EXPECT_EQ(Globals().CompanyName, u"Quillmere");
  }
}

TEST_F(StartupTest, LanguageLoadsBeforeTheCommandLineIsRead) {
  Start(u"***");
  EXPECT_EQ(languageLoads, 1);
  EXPECT_EQ(commandLineAtLanguageLoad, u"");
}

TEST_F(StartupTest, ThreeStarsGiveFourEmptyFieldsAndTheWindow) {
  HeadlessWindow& window = Start(u"***");
  const AppGlobals& g = Globals();
  EXPECT_EQ(g.CommandLine, u"***");
  EXPECT_EQ(g.CallerField, u"");
  EXPECT_EQ(g.InstalledVersion, u"");
  EXPECT_EQ(g.InstalledBuild, u"");
  EXPECT_EQ(g.UpdateInfoURL, u"");
  EXPECT_TRUE(window.visible);
  EXPECT_TRUE(backend.messages.empty());
  EXPECT_FALSE(backend.programEnded);
}

TEST_F(StartupTest, FieldsAreStoredAsCutWithBlanksAndFieldThreeEndsAtTheFourthStar) {
  Start(u"free * 3.1 *0101001* http://h/u.txt *ignored");
  const AppGlobals& g = Globals();
  EXPECT_EQ(g.CallerField, u"free ");
  EXPECT_EQ(g.InstalledVersion, u" 3.1 ");
  EXPECT_EQ(g.InstalledBuild, u"0101001");
  EXPECT_EQ(g.UpdateInfoURL, u" http://h/u.txt ");
  EXPECT_EQ(g.DownloadURL, u"");
}

TEST_F(StartupTest, ConstantsAfterStartUp) {
  Start(u"***");
  const AppGlobals& g = Globals();
  EXPECT_EQ(g.CompanyName, u"Quillmere");
  EXPECT_EQ(g.UpdaterVersion, u"3.15");
  EXPECT_EQ(g.ProductName, u"Vantrel");
  EXPECT_EQ(g.DownloaderVersion, u"1.01");
  EXPECT_EQ(g.DownloaderName, u"Download Manager");
  EXPECT_EQ(g.DownloaderTitle, u"Quillmere - Download Manager");
  EXPECT_EQ(g.CompanyURL, FromUtf8(deployment::kCompanyUrl));
  ASSERT_EQ(g.probeAddresses.size(), 2u);
  EXPECT_EQ(g.probeAddresses[0], FromUtf8(deployment::kProductUrl));
  EXPECT_EQ(g.probeAddresses[1], FromUtf8(deployment::kCompanyUrl));
}

TEST_F(StartupTest, WindowIsLoadedShownAndThenMadeTopmost) {
  HeadlessWindow& window = Start(u"a*3.1*0101001*http://h/u.txt");
  EXPECT_EQ(window.loads, 1);
  EXPECT_TRUE(window.visible);
  EXPECT_FALSE(window.modal);
  EXPECT_EQ(window.topmostCalls, std::vector<bool>{true});
  EXPECT_EQ(window.caption, u"Quillmere - <1107> 3.15");
}

TEST_F(StartupTest, ExitProgramClearsTheRecordButKeepsTheCallerField) {
  Start(u"caller*3.1*0101001*http://h/u.txt");
  Globals().DownloadURL = u"http://h/setup.exe";
  EXPECT_THROW(ExitProgram(), ProgramEnded);
  const AppGlobals& g = Globals();
  for (const std::u16string* text :
       {&g.CompanyName, &g.UpdaterVersion, &g.CompanyURL, &g.ProductName, &g.InstalledVersion,
        &g.UpdateInfoURL, &g.CommandLine, &g.DownloadURL, &g.InstalledBuild, &g.DownloaderVersion,
        &g.DownloaderName, &g.DownloaderTitle}) {
    EXPECT_EQ(*text, u"");
  }
  EXPECT_EQ(g.CallerField, u"caller");
}

}  // namespace
}  // namespace larkspan::test
