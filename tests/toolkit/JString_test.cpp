#include "toolkit/JString.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/HeadlessBackend.h"

namespace larkspan {
namespace {

TEST(JNSplitTest, Fields) {
  struct Case {
    std::u16string text, delimiter;
    int field;
    bool caseSensitive;
    std::u16string expected;
  } cases[] = {
      {u"free*3.2*0101*http://h/u.txt", u"*", 0, true, u"free"},
      {u"free*3.2*0101*http://h/u.txt", u"*", 2, true, u"0101"},
      {u"free*3.2*0101*http://h/u.txt", u"*", 3, true, u"http://h/u.txt"},  // the last field
      {u"*a", u"*", 0, true, u""},
      {u"a*", u"*", 1, true, u""},
      {u"a**b", u"*", 1, true, u""},
      {u"no delimiter", u"*", 5, true, u""},
      // Not case-sensitive: "X" and "x" both split, the field keeps the text's case.
      {u"oneXTwoxthree", u"x", 1, false, u"Two"},
      {u"oneXTwoxthree", u"X", 2, false, u"three"},
      {u"oneXTwoxthree", u"x", 1, true, u"three"},
      {u"\U0001F600A\U0001F600a", u"a", 1, false, u"\U0001F600"},  // surrogates stay aligned
  };
  test::HeadlessBackend ui;
  for (const Case& c : cases) {
    EXPECT_EQ(JNSplit(c.text, c.delimiter, c.field, c.caseSensitive), c.expected)
        << test::Narrow(c.text) << " field " << c.field;
  }
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(ui.yields, 0);
}

// Bad arguments: one critical message each, and the empty result.
TEST(JStringTest, BadArgumentsAreReported) {
  const std::u16string split = u"JNSplit - Function Error", find = u"JFind - Function Error";
  const struct Case {
    std::function<bool()> givesEmpty;
    std::u16string prompt, title;
  } cases[] = {
      {[] { return JNSplit(u"a#b#c", u"#", 3, true).empty(); },
       u"Number of position is out of script!\nThe maixmum split text number is: 2", split},
      {[] { return JNSplit(u"", u"*", -1, true).empty(); },
       u"Number of position is out of script!\n"
       u"The split text number postition can not less than 0",
       split},
      // The start tests come before the empty-search test.
      {[] { return JFind(u"", u"", 0, 1, true) == 0; },
       u"Start position can not be larger than the text you are searching in.", find},
      {[] { return JFind(u"abc", u"a", 0, 0, true) == 0; },
       u"Start position can not be less than integer \u00AB1\u00BB", find},
  };
  for (const Case& c : cases) {
    test::HeadlessBackend ui;
    EXPECT_TRUE(c.givesEmpty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].prompt, c.prompt);
    EXPECT_EQ(ui.messages[0].style, kMsgCritical);
    EXPECT_EQ(ui.messages[0].title, c.title);
  }
}

TEST(JFindTest, CountsAndPositions) {
  struct Case {
    std::u16string text, search;
    std::int16_t occurrence;
    std::int32_t start;
    bool caseSensitive;
    std::int32_t expected;
  } cases[] = {
      {u"aaa", u"aa", 0, 1, true, 2},  // overlapping matches both count
      {u"aaa", u"aa", -2, 1, true, 2},
      {u"aaa", u"aa", 3, 1, true, 0},
      {u"aaa", u"aa", -3, 1, true, 0},
      {u"a*b*c*d", u"*", 0, 3, true, 2},
      {u"a*b*c*d", u"*", -1, 3, true, 4},
      {u"a*b*c*d", u"*", 2, 1, true, 4},
      {u"xAbxaB", u"aB", -2, 1, false, 5},
      {u"xAbxaB", u"aB", 0, 1, true, 1},
      {u"abc", u"", 0, 1, true, 0},
      {u"\U0001F600A\U0001F600a", u"\U0001F600a", 0, 1, false, 2},
  };
  test::HeadlessBackend ui;
  for (const Case& c : cases) {
    EXPECT_EQ(JFind(c.text, c.search, c.occurrence, c.start, c.caseSensitive), c.expected)
        << test::Narrow(c.text) << " occurrence " << c.occurrence << " start " << c.start;
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST(JReplaceTest, Rewrites) {
  struct Case {
    std::u16string text, search, replacement;
    std::int32_t start, maximum, first;
    bool caseSensitive;
    std::u16string expected;
  } cases[] = {
      {u"aaa", u"aa", u"b", 0, 0, 0, true, u"ba"},  // no overlap; start 0 reads as 1
      {u"abc", u"b", u"x", 10, 0, 0, true, u"abc"},
      {u"a-a-a", u"a", u"b", 2, 0, 0, true, u"a-b-b"},  // the prefix is copied as it is
      {u"x1x2x3", u"x", u"Y", 1, 1, 2, true, u"x1Y2x3"},
      {u"x1x2x3", u"x", u"", 1, 2, 0, true, u"12x3"},
      {u"AaA", u"a", u"-", 1, 1, 3, false, u"Aa-"},
      {u"One<Crlf>Two<CRLF>", u"<Crlf>", u"\r\n", 0, 0, 0, false, u"One\r\nTwo\r\n"},
      {u"abc", u"", u"x", 1, 0, 0, true, u"abc"},
  };
  test::HeadlessBackend ui;
  for (const Case& c : cases) {
    EXPECT_EQ(
        JReplace(c.text, c.search, c.replacement, c.start, c.maximum, c.first, c.caseSensitive),
        c.expected)
        << test::Narrow(c.text);
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST(JStringTest, FindAndReplaceLetEventsRunAtEveryStep) {
  test::HeadlessBackend ui;
  JFind(u"abcd", u"x", 0, 1, true);
  EXPECT_EQ(ui.yields, 4);
  JFind(u"abcd", u"b", 0, 2, true);
  EXPECT_EQ(ui.yields, 7);
  JReplace(u"a<Crlf>b", u"<Crlf>", u"\r\n", 0, 0, 0, false);
  EXPECT_EQ(ui.yields, 10);  // "a", the marker, "b"
}

}  // namespace
}  // namespace larkspan
