// Start-up: the three outcomes of the entry procedure.
#include "Product.h"
#include "app/AppHarness.h"

namespace larkspan::test {
namespace {

using StartupTest = AppTest;

TEST_F(StartupTest, EndsSilentlyOrRefusesWithoutAWindowOrOpensItOnTop) {
  for (const char16_t* arguments : {u"", u"a*b", u"**"}) {
    SCOPED_TRACE(ToUtf8(arguments));
    backend.messages.clear();
    EXPECT_THROW(Main(arguments, backend), ProgramEnded);
    EXPECT_THROW(backend.WindowNamed("CheckUpdatesForm"), std::logic_error);
    ASSERT_EQ(backend.messages.size(), *arguments ? 1u : 0u);
    if (!*arguments) continue;
    EXPECT_EQ(ToUtf8(backend.messages[0].prompt),
              "Quillmere - Larkspan required recently version of Vantrel");
    EXPECT_EQ(backend.messages[0].style, kMsgInformation);
    EXPECT_EQ(ToUtf8(backend.messages[0].title), "Quillmere - Larkspan");
  }
  // Four empty fields are enough.
  HeadlessWindow& window = Start(u"***");
  EXPECT_TRUE(window.visible && backend.modalWindow == nullptr);
  EXPECT_EQ(window.topmostCalls, std::vector<bool>{true});
  EXPECT_EQ(ToUtf8(window.caption), "Quillmere - <1107> 3.15");  // the language came first
  // The product's site is probed first, the maker's only when it does not answer.
  EXPECT_EQ(Globals().probeAddresses,
            (std::vector<std::u16string>{FromUtf8(deployment::kProductUrl),
                                         FromUtf8(deployment::kCompanyUrl)}));
}

}  // namespace
}  // namespace larkspan::test
