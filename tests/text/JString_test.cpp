#include "text/JString.h"

#include <gtest/gtest.h>

#include <tuple>

#include "os/CodePage.h"
#include "support/HeadlessBackend.h"

namespace larkspan {
namespace {

// Good arguments: results and no message. The fields as the command line and the update
// information use them (case-sensitive, in and beyond the middle, empty ones) show in
// update/CheckOutcome_test.cpp's result lines, and the news's line breaks of any letter case in
// app/CheckUpdatesForm_test.cpp.
TEST(JStringTest, ResultsWithoutMessages) {
  test::HeadlessBackend ui;
  const std::tuple<std::u16string, std::u16string, int, bool, std::u16string> splits[] = {
      {u"a*", u"*", 1, true, u""},
      {u"no delimiter", u"*", 5, true, u""},
      // Not case-sensitive: "X" and "x" both split, the field keeps the text's case.
      {u"oneXTwoxthree", u"x", 1, false, u"Two"},
      {u"oneXTwoxthree", u"x", 1, true, u"three"},
      {u"\U0001F600A\U0001F600a", u"a", 1, false, u"\U0001F600"},  // surrogates stay aligned
  };
  for (const auto& [text, delimiter, field, caseSensitive, expected] : splits) {
    EXPECT_EQ(JNSplit(text, delimiter, field, caseSensitive), expected)
        << ToUtf8(text) << " field " << field;
  }
  EXPECT_EQ(ui.yields, 0);  // JFind and JReplace let events run, JNSplit does not
  const std::tuple<std::u16string, std::u16string, std::int16_t, std::int32_t, bool, std::int32_t>
      finds[] = {
          {u"aaa", u"aa", 0, 1, true, 2},  // overlapping matches both count
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
  for (const auto& [text, search, occurrence, start, caseSensitive, expected] : finds) {
    EXPECT_EQ(JFind(text, search, occurrence, start, caseSensitive), expected)
        << ToUtf8(text) << " occurrence " << occurrence << " start " << start;
  }
  const std::tuple<std::u16string, std::u16string, std::u16string, std::int32_t, std::int32_t,
                   std::int32_t, bool, std::u16string>
      replaces[] = {
          {u"aaa", u"aa", u"b", 0, 0, 0, true, u"ba"},  // no overlap; start 0 reads as 1
          {u"abc", u"b", u"x", 10, 0, 0, true, u"abc"},
          {u"a-a-a", u"a", u"b", 2, 0, 0, true, u"a-b-b"},  // the prefix is copied as it is
          {u"x1x2x3", u"x", u"Y", 1, 1, 2, true, u"x1Y2x3"},
          {u"x1x2x3", u"x", u"", 1, 2, 0, true, u"12x3"},
          {u"AaA", u"a", u"-", 1, 1, 3, false, u"Aa-"},
          {u"abc", u"", u"x", 1, 0, 0, true, u"abc"},
      };
  for (const auto& [text, search, replacement, start, maximum, first, caseSensitive, expected] :
       replaces) {
    EXPECT_EQ(JReplace(text, search, replacement, start, maximum, first, caseSensitive), expected)
        << ToUtf8(text);
  }
  EXPECT_TRUE(ui.messages.empty());
}

// Bad arguments: the empty result, and one critical message each with its fixed text.
TEST(JStringTest, BadArgumentsAreReported) {
  test::HeadlessBackend ui;
  EXPECT_EQ(JNSplit(u"a#b#c", u"#", 3, true), u"");
  EXPECT_EQ(JNSplit(u"", u"*", -1, true), u"");
  EXPECT_EQ(JFind(u"", u"", 0, 1, true), 0);  // the start tests come before the empty search
  EXPECT_EQ(JFind(u"abc", u"a", 0, 0, true), 0);
  const std::u16string split = u"JNSplit - Function Error", find = u"JFind - Function Error";
  const std::pair<std::u16string, std::u16string> expected[] = {
      {u"Number of position is out of script!\nThe maixmum split text number is: 2", split},
      {u"Number of position is out of script!\nThe split text number postition can not less than 0",
       split},
      {u"Start position can not be larger than the text you are searching in.", find},
      {u"Start position can not be less than integer \u00AB1\u00BB", find},
  };
  ASSERT_EQ(ui.messages.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(ui.messages[i].prompt, expected[i].first);
    EXPECT_EQ(ui.messages[i].style, kMsgCritical);
    EXPECT_EQ(ui.messages[i].title, expected[i].second);
  }
}

}  // namespace
}  // namespace larkspan
