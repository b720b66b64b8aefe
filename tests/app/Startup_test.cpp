// Start-up: the three outcomes of the entry procedure, and the sites that its check probes.
#include <cstdlib>

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
}

#ifndef _WIN32
// The check probes the build's own sites: the product's first, the maker's when that does not
// answer, then the maker's alone, and fetches. Every request goes through the user's proxy,
// which here is the test's server: it sees them whatever the addresses are.
TEST_F(StartupTest, ProbesTheProductsSiteFirstThenTheMakers) {
  http.Serve(deployment::kProductUrl, {.end = Reply::End::kReset});
  // The fixture keeps itself off any proxy (no_proxy); here it is the proxy, for the next check.
  unsetenv("no_proxy");
  unsetenv("NO_PROXY");
  setenv("http_proxy", http.Url("").c_str(), 1);
  Start(u"x*3.1*0101000*http://127.0.0.1:9/update.txt");
  backend.Advance(200);
  unsetenv("http_proxy");
  std::vector<std::string> seen;
  for (const Request& request : http.Requests()) seen.push_back(request.target);
  EXPECT_EQ(seen,
            (std::vector<std::string>{deployment::kProductUrl, deployment::kCompanyUrl,
                                      deployment::kCompanyUrl, "http://127.0.0.1:9/update.txt"}));
}
#endif

}  // namespace
}  // namespace larkspan::test
