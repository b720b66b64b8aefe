// Start-up: the three outcomes of the entry procedure.
#include "Deployment.h"
#include "app/AppHarness.h"

namespace larkspan::test {
namespace {

using StartupTest = AppTest;

TEST_F(StartupTest, EndsSilentlyOrRefusesWithoutAWindowOrOpensItOnTop) {
  for (const char16_t* arguments : {u"", u"a*b", u"**"}) {
    SCOPED_TRACE(Narrow(arguments));
    backend.messages.clear();
    EXPECT_THROW(Main(arguments, backend), ProgramEnded);
    EXPECT_THROW(backend.WindowNamed("CheckUpdatesForm"), std::logic_error);
    ASSERT_EQ(backend.messages.size(), *arguments ? 1u : 0u);
    if (!*arguments) continue;
    EXPECT_EQ(Narrow(backend.messages[0].prompt),
              "Quillmere - Larkspan required recently version of Vantrel");
    EXPECT_EQ(backend.messages[0].style, kMsgInformation);
    EXPECT_EQ(Narrow(backend.messages[0].title), "Quillmere - Larkspan");
  }
  // Four empty fields are enough.
  HeadlessWindow& window = Start(u"***");
  EXPECT_TRUE(window.visible && backend.modalWindow == nullptr);
  EXPECT_EQ(window.topmostCalls, std::vector<bool>{true});
  EXPECT_EQ(Narrow(window.caption), "Quillmere - <1107> 3.15");  // the language came first
  // The product's site is probed first, the maker's only when it does not answer.
  EXPECT_EQ(Globals().probeAddresses,
            (std::vector<std::u16string>{FromUtf8(deployment::kProductUrl),
                                         FromUtf8(deployment::kCompanyUrl)}));
}

// A control that the window asks for and its layout does not hold is a programming error: it
// must reach the top with its name instead of being skipped (which left no window and a
// program running on without a word).
TEST_F(AppTest, AControlMissingFromTheLayoutEndsTheStartWithItsName) {
  backend.editLayout = [](WindowLayout& layout) {
    std::erase_if(layout.controls, [](const auto& c) { return c.name == "StatusL"; });
  };
  try {
    Start(u"x*3.1*0101000*http://h/u.txt");
    ADD_FAILURE() << "the start went on";
  } catch (const std::logic_error& error) {
    EXPECT_NE(std::string(error.what()).find("StatusL"), std::string::npos) << error.what();
  }
}

}  // namespace
}  // namespace larkspan::test
