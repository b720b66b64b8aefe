// The check's decision between a newer version, a newer build and nothing newer, as the update
// window shows it and larkspan-publish reports it.
#include "update/CheckOutcome.h"

#include <gtest/gtest.h>

namespace larkspan::test {
namespace {

TEST(CheckOutcomeTest, DecidesBetweenNewerVersionNewerBuildAndNothing) {
  using enum ReleaseOutcome;
  const struct {
    const char* name;
    const char16_t *installed, *installedBuild, *ver, *build;
    ReleaseOutcome shown;
  } cases[] = {
      {"newer version", u"3.1", u"0101001", u"3.2", u"0101001", kNewerVersion},
      {"older version whatever the build", u"3.2", u"0000000", u"3.1", u"9999999", kNothingNewer},
      {"3.20 is 3.2: the builds decide", u"3.2", u"0101001", u"3.20", u"0101002", kNewerBuild},
      {"server reads higher but converts to 0", u"-1", u"0101001", u"0", u"0101009", kNothingNewer},
      {"last part decides first", u"3.2", u"9999001", u"3.2", u"0000002", kNewerBuild},
      {"older last part wins over newer others", u"3.2", u"0000002", u"3.2", u"9999001",
       kNothingNewer},
      {"middle part decides over the first", u"3.2", u"9901001", u"3.2", u"0102001", kNewerBuild},
      {"older middle wins over newer first", u"3.2", u"0102001", u"3.2", u"9901001", kNothingNewer},
      {"first part decides last", u"3.2", u"0101001", u"3.2", u"0201001", kNewerBuild},
      {"a part's half goes to the even 2", u"3.2", u"0101002", u"3.2", u"01012.5", kNothingNewer},
      {"a part's half goes to the even 4", u"3.2", u"0101003", u"3.2", u"01013.5", kNewerBuild},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const CheckOutcome outcome =
        DecideCheck(std::u16string(u"2026#") + c.ver + u"#" + c.build + u"#u#n",
                    {u"Vantrel", c.installed, c.installedBuild}, LangTable());
    EXPECT_EQ(outcome.release, c.shown);
    EXPECT_EQ(outcome.downloadOffered, c.shown != kNothingNewer);
  }
}

}  // namespace
}  // namespace larkspan::test
