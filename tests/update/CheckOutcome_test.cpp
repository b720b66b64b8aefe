// The check's decision between a newer version, a newer build, nothing newer and error 300, and
// the result line that the update window shows for it; larkspan-publish reports the same.
#include "update/CheckOutcome.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "os/CodePage.h"
#include "text/NumberText.h"

namespace larkspan::test {
namespace {

TEST(CheckOutcomeTest, DecidesAndWritesTheResultLine) {
  using enum ReleaseOutcome;
  const struct {
    const char16_t *installed, *installedBuild, *ver, *build;
    std::optional<ReleaseOutcome> shown;  // nothing: error 300
    const char16_t* versionText = u"";    // as the result line writes the server's version
  } cases[] = {
      {u"3.1", u"0101001", u"3.2", u"0101001", kNewerVersion, u"3.2"},
      {u"3.2", u"0000000", u"3.1", u"9999999", kNothingNewer},  // older version, whatever the build
      {u"3.2", u"0101001", u"3.20", u"0101002", kNewerBuild, u"3.2"},  // 3.20 is 3.2
      {u"-1", u"0101001", u"0", u"0101009", kNothingNewer},  // reads higher but converts to 0
      // Equal versions: the last part decides first, then the middle, then the first.
      {u"3.2", u"9999001", u"3.2", u"0000002", kNewerBuild, u"3.2"},
      {u"3.2", u"0000002", u"3.2", u"9999001", kNothingNewer},
      {u"3.2", u"9901001", u"3.2", u"0102001", kNewerBuild, u"3.2"},
      {u"3.2", u"0102001", u"3.2", u"9901001", kNothingNewer},
      {u"3.2", u"0101001", u"3.2", u"0201001", kNewerBuild, u"3.2"},
      {u"3.2", u"0101002", u"3.2", u"01012.5", kNothingNewer},  // a part's half goes to the even 2
      {u"3.2", u"0101003", u"3.2", u"01013.5", kNewerBuild, u"3.2"},  // and to the even 4
      // A server version that is not a number as a whole is never newer, but its leading number
      // still equals an installed one, and then the builds decide.
      {u"3.1", u"0101001", u"3.2a", u"0101001", kNothingNewer},
      {u"3.2", u"0101001", u"3.2a", u"0101002", kNewerBuild, u"3.2"},
      {u"3.2", u"0101001", u"3.2.1", u"0101002", kNewerBuild, u"3.2"},
      {u"3.1", u"0101001", u"\t3.2", u"0101001", kNothingNewer},           // a tab is no blank
      {u"3.2", u"0101001", u"\t3 \n.2", u"0101002", kNewerBuild, u"3.2"},  // read past them
      {u"2.9", u"0101001", u"3,2", u"0101001", kNewerVersion, u"3"},  // the reading ends at ","
      {u"3.1", u"0101001", u" +3.2 ", u"0101001", kNewerVersion, u"3.2"},
      {u"3.1", u"0101001", u"1e1", u"0101001", kNewerVersion, u"10"},
      // The version written back: at most 15 digits, the shortest form, large and small ones with
      // an exponent.
      {u"", u"1", u"0.30000000000000004", u"1", kNewerVersion, u"0.3"},
      {u"", u"1", u"1.23456789012345678", u"1", kNewerVersion, u"1.23456789012346"},
      {u"", u"1", u"123456789012345", u"1", kNewerVersion, u"123456789012345"},
      {u"", u"1", u"999999999999999.9", u"1", kNewerVersion, u"1E+15"},
      {u"", u"1", u"0.0001", u"1", kNewerVersion, u"0.0001"},
      {u"-1", u"1", u"-1.5e-7", u"1", kNewerVersion, u"-1.5E-07"},
      {u"0", u"1", u"-0", u"2", kNewerBuild, u"0"},
      {u"", u"0101001", u"0x3", u"0101002", kNewerBuild, u"0"},    // no hexadecimal: reads 0
      {u"", u"0101001", u"\r3.2", u"0101002", kNewerBuild, u"0"},  // a carriage return ends it
      {u"3.1", u"0101001", u"", u"0101001", std::nullopt},
      // Builds: a letter ends a part's number, a sign and an exponent belong to it.
      {u"3.2", u"0101001", u"3.2", u"0102x01", kNothingNewer},
      {u"3.2", u"0101000", u"3.2", u"01010x9", kNothingNewer},
      {u"3.2", u"0101-05", u"3.2", u"0101-02", kNewerBuild, u"3.2"},
      {u"3.2", u"0101019", u"3.2", u"01012e1", kNewerBuild, u"3.2"},
      {u"3.2", u"0101000", u"3.2", u"01011e5", kNothingNewer},  // beyond 16 bits it reads 0
      {u"3.2", u"0101001", u"3.2", u"  ", std::nullopt},
  };
  // The leading number always reads ".", which also ends it at a ","; the whole number and the
  // version written back take the user's separator.
  for (const char16_t separator : {u'.', u','}) {
    const ScopedDecimalSeparator scoped(separator);
    for (const auto& c : cases) {
      SCOPED_TRACE(ToUtf8(std::u16string(c.ver) + u"#" + c.build + separator));
      std::u16string version = c.versionText;
      std::replace(version.begin(), version.end(), u'.', separator);
      const CheckOutcome outcome =
          DecideCheck(std::u16string(u"2026#") + c.ver + u"#" + c.build + u"#u#n",
                      {u"Vantrel", c.installed, c.installedBuild}, LangTable());
      const bool newer = c.shown && c.shown != kNothingNewer;
      EXPECT_EQ(outcome.release, c.shown);
      EXPECT_EQ(outcome.downloadOffered, newer);
      // The language's words are empty here; the newer-build line has a blank before the edition.
      const std::u16string edition = c.shown == kNewerBuild ? u" 2026  " : u"2026  ";
      EXPECT_EQ(outcome.resultLines,
                newer ? u"\r\nVantrel" + edition + version + u"  " + c.build : u"");
    }
  }
}

}  // namespace
}  // namespace larkspan::test
