// Runs with a German user locale (CTest sets LC_ALL=de_DE.UTF-8) and no separator override: the
// numbers that both windows show, and the strict reading, follow the user's decimal comma.
#include <gtest/gtest.h>

#include <clocale>

#include "text/NumberText.h"
#include "update/DownProgress.h"
#include "update/ResultLine.h"

namespace larkspan {
namespace {

TEST(UserLocaleTest, GermanUserSeesDecimalCommas) {
#ifndef _WIN32
  std::setlocale(LC_ALL, "");  // as the Qt application does when it starts
#endif
  const std::u16string result = ResultLines(LangTable{}, ReleaseOutcome::kNewerVersion, u"Vantrel",
                                            u"2009", u"9.9", u"0101000");
  EXPECT_NE(result.find(u" 9,9 "), std::u16string::npos);
  EXPECT_EQ(SizeText(3000000), u"2,86 MB");
  EXPECT_EQ(StrictNumber(u"1.000,5"), 1000.5);
}

}  // namespace
}  // namespace larkspan
