// Runs with a German user locale (CTest sets LC_ALL=de_DE.UTF-8) and no separator override: the
// system's decimal separator is the user's comma, and the numbers that the windows show, and
// the strict reading, follow it.
#include "os/UserLocale.h"

#include <gtest/gtest.h>

#include <clocale>

#include "text/NumberText.h"

namespace larkspan {
namespace {

TEST(UserLocaleTest, GermanUserSeesDecimalCommas) {
#ifndef _WIN32
  std::setlocale(LC_ALL, "");  // as the Qt application does when it starts
#endif
  EXPECT_EQ(SystemDecimalSeparator(), u',');
  EXPECT_EQ(NumberToText(9.9), u"9,9");
  EXPECT_EQ(StrictNumber(u"1.000,5"), 1000.5);
}

}  // namespace
}  // namespace larkspan
