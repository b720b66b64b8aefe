#include "text/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "base/Failure.h"

namespace larkspan {
namespace {

using ReadCase = std::pair<std::u16string, double>;

// The readings that the check's table (update/CheckOutcome_test.cpp) cannot show through a
// version or a build.
TEST(LeadingNumberTest, ExponentsAndRange) {
  const ReadCase cases[] = {{u"-.5", -0.5}, {u"1 e - 2", 0.01}, {u"2e-", 2}, {u"1e-999", 0}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(LeadingNumber(text), expected);
  EXPECT_EQ(LeadingNumber(u"1e99999999999999999999"), HUGE_VAL);  // an exponent beyond int64
}

TEST(StrictNumberTest, WholeTextInTheUserLocale) {
  const ReadCase cases[] = {{u"1,000.5", 1000.5}, {u".5", 0.5}, {u"-2E-2", -0.02}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(StrictNumber(text), expected);
  for (const char16_t* text : {u"", u"3.2a", u"v3", u"1e400", u"1e", u"1e+", u"-", u"3 .2", u"\t3",
                               u",5", u"1,", u"1..2", u"--1"}) {
    EXPECT_THROW(StrictNumber(text), Failure) << "length " << std::u16string(text).size();
  }
}

}  // namespace
}  // namespace larkspan
