#include "toolkit/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/Failure.h"

namespace larkspan {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct ReadCase {
  std::u16string text;
  double expected;
};

TEST(LeadingNumberTest, Readings) {
  const ReadCase cases[] = {
      {u"3.2", 3.2},
      {u" 3 .1 ", 3.1},
      {u"\t-\n4", -4},
      {u"3.1.2", 3.1},
      {u"12abc", 12},
      {u"abc", 0},
      {u"", 0},
      {u"-", 0},
      {u".", 0},
      {u"-.5", -0.5},
      {u"1 0", 10},
      {u"1e3", 1000},
      {u"1E+2x", 100},
      {u"1 e - 2", 0.01},
      {u"2e", 2},
      {u"2e-", 2},
      {u"3,5", 3},
      {u"03.1", 3.1},
      {u"1e999", kInf},
      {u"-1e999", -kInf},
      {u"1e-999", 0},
      {u"\r5", 0},
      {u"1e99999999999999999999", kInf},
  };
  for (const ReadCase& c : cases) {
    EXPECT_EQ(LeadingNumber(c.text), c.expected);
  }
}

TEST(LeadingNumberTest, PointIsAlwaysAPeriod) {
  ScopedDecimalSeparator comma(u',');
  EXPECT_EQ(LeadingNumber(u"3.25"), 3.25);
  EXPECT_EQ(LeadingNumber(u"3,25"), 3);
}

TEST(StrictNumberTest, Accepts) {
  const ReadCase cases[] = {
      {u" 3.2 ", 3.2}, {u"-1", -1},  {u"+4", 4},     {u"1,000.5", 1000.5},
      {u"1e3", 1000},  {u".5", 0.5}, {u"5.", 5},     {u"2E-2", 0.02},
      {u"3,2", 32},    {u"0", 0},    {u"1e-999", 0},
  };
  for (const ReadCase& c : cases) {
    EXPECT_EQ(StrictNumber(c.text), c.expected);
  }
}

TEST(StrictNumberTest, RejectsWithTypeMismatch) {
  for (const char16_t* text : {u"", u" ", u"3.2a", u"v3", u"1e", u"1e+", u"-", u".", u"3 .2",
                               u"\t3", u",5", u"1,", u"1..2", u"--1", u"1,.5"}) {
    try {
      StrictNumber(text);
      ADD_FAILURE() << "accepted text of length " << std::u16string(text).size();
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.Code(), kTypeMismatch);
    }
  }
  try {
    StrictNumber(u"1e400");
    ADD_FAILURE() << "accepted 1e400";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.Code(), kOverflow);
  }
}

TEST(StrictNumberTest, FollowsTheUserSeparators) {
  ScopedDecimalSeparator comma(u',');
  EXPECT_EQ(StrictNumber(u"3,25"), 3.25);
  EXPECT_EQ(StrictNumber(u"1.000,5"), 1000.5);
  EXPECT_EQ(StrictNumber(u"3.2"), 32);  // "." groups digits here
}

TEST(NumberToTextTest, GeneralForm) {
  const std::pair<double, std::u16string> cases[] = {
      {3.2, u"3.2"},
      {3.0, u"3"},
      {0.1 + 0.2, u"0.3"},
      {-2.5, u"-2.5"},
      {-0.0, u"0"},
      {100, u"100"},
      {1.23456789012345678, u"1.23456789012346"},
      {123456789012345, u"123456789012345"},
      {999999999999999.9, u"1E+15"},
      {1e20, u"1E+20"},
      {0.0001, u"0.0001"},
      {0.00001, u"1E-05"},
      {-1.5e-7, u"-1.5E-07"},
      {1.5e300, u"1.5E+300"},
  };
  for (const auto& [value, expected] : cases) {
    EXPECT_EQ(NumberToText(value), expected) << value;
  }
  ScopedDecimalSeparator comma(u',');
  EXPECT_EQ(NumberToText(1234.5), u"1234,5");
  EXPECT_EQ(NumberToText(2.5e-6), u"2,5E-06");
}

TEST(RoundingTest, HalvesGoToTheEvenNeighbour) {
  const std::pair<double, std::optional<std::int16_t>> cases[] = {
      {2.5, 2},
      {3.5, 4},
      {-2.5, -2},
      {0.5, 0},
      {2.51, 3},
      {32767.4, 32767},
      {32767.5, std::nullopt},
      {-32768.5, -32768},
      {-32769, std::nullopt},
      {std::nan(""), std::nullopt},
  };
  for (const auto& [value, expected] : cases) {
    EXPECT_EQ(RoundToInt16(value), expected) << value;
  }
  EXPECT_EQ(RoundHalfEven(0.125, 2), 0.12);
  EXPECT_EQ(RoundHalfEven(0.375, 2), 0.38);
  EXPECT_EQ(RoundHalfEven(-1.5, 0), -2);
  EXPECT_EQ(RoundHalfEven(1.23456, 3), 1.235);
  EXPECT_EQ(RoundHalfEven(1e300, 2), 1e300);
}

TEST(TrimBlanksTest, OnlyCode32) {
  EXPECT_EQ(TrimBlanks(u"  a b  "), u"a b");
  EXPECT_EQ(TrimBlanks(u" \ta\r\n "), u"\ta\r\n");
  EXPECT_EQ(TrimBlanks(u"   "), u"");
}

TEST(DecimalSeparatorTest, OverridesNestAndRestore) {
  const char16_t original = UserDecimalSeparator();
  {
    ScopedDecimalSeparator comma(u',');
    {
      ScopedDecimalSeparator other(u'\u066B');
      EXPECT_EQ(UserDecimalSeparator(), u'\u066B');
    }
    EXPECT_EQ(UserDecimalSeparator(), u',');
  }
  EXPECT_EQ(UserDecimalSeparator(), original);
}

}  // namespace
}  // namespace larkspan
