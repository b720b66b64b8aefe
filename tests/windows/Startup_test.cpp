// Start-up: the three outcomes of the entry procedure and the command-line fields.
#include "windows/WindowTestHarness.h"

namespace larkspan::test {
namespace {

using StartupTest = UpdateWindowTest;

TEST_F(StartupTest, EmptyArgumentTextEndsSilently) {
  EXPECT_THROW(Main(u"", backend), ProgramEnded);
  EXPECT_TRUE(backend.messages.empty());
  EXPECT_THROW(backend.WindowNamed("CheckUpdatesForm"), std::logic_error);
}

TEST_F(StartupTest, FewerThanThreeStarsRefuseWithoutAWindow) {
  for (const char16_t* arguments : {u"a*b", u"**"}) {
    SCOPED_TRACE(Narrow(arguments));
    backend.messages.clear();
    EXPECT_THROW(Main(arguments, backend), ProgramEnded);
    ASSERT_EQ(backend.messages.size(), 1u);
    EXPECT_EQ(backend.messages[0].prompt,
              u"Quillmere - Larkspan required recently version of Vantrel");
    EXPECT_EQ(backend.messages[0].style, 64);
    EXPECT_EQ(backend.messages[0].title, u"Quillmere - Larkspan");
    EXPECT_THROW(backend.WindowNamed("CheckUpdatesForm"), std::logic_error);
  }
}

TEST_F(StartupTest, ThreeStarsOpenTheWindowWithFourEmptyFieldsOnTop) {
  HeadlessWindow& window = Start(u"***");
  EXPECT_EQ(commandLineAtLanguageLoad, u"");  // the language came first
  const AppGlobals& g = Globals();
  EXPECT_EQ(g.CallerField + g.InstalledVersion + g.InstalledBuild + g.UpdateInfoURL, u"");
  EXPECT_TRUE(window.visible);
  EXPECT_FALSE(window.modal);
  EXPECT_EQ(window.topmostCalls, std::vector<bool>{true});
  EXPECT_TRUE(backend.messages.empty());
}

TEST_F(StartupTest, FieldsAreStoredAsCutAndFieldThreeEndsAtTheFourthStar) {
  Start(u"free * 3.1 *0101001* http://h/u.txt *ignored");
  const AppGlobals& g = Globals();
  EXPECT_EQ(g.CallerField, u"free ");
  EXPECT_EQ(g.InstalledVersion, u" 3.1 ");
  EXPECT_EQ(g.InstalledBuild, u"0101001");
  EXPECT_EQ(g.UpdateInfoURL, u" http://h/u.txt ");
}

}  // namespace
}  // namespace larkspan::test
